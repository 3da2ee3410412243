#pragma once

#include <QString>

class QWidget;

// Message boxes and the standard dialogs; tests answer them through a fake.
class Dialogs {
public:
    enum class Icon { Information, Warning, Error };

    virtual ~Dialogs() = default;
    virtual void showMessage(QWidget* parent, const QString& caption, const QString& text,
                             Icon icon) = 0;

    // Documents.

    // Audio export.

    // Key echo and clipboard.

    // Editor commands.

    // Tray, language, registration, help and about.

    // Follow-along highlight.
};
