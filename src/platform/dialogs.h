#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>

class QPrinter;

class QWidget;

// Message boxes and the standard dialogs; tests answer them through a fake.
class Dialogs {
public:
    enum class Icon { Information, Warning, Error };

    virtual ~Dialogs() = default;
    virtual void showMessage(QWidget* parent, const QString& caption, const QString& text,
                             Icon icon) = 0;

    // File choosers. Filters are in Qt's form ("Text (*.txt);;All (*)"); an empty path means
    // the user cancelled.
    struct SaveChoice {
        QString path;
        QString filter; // the filter the user picked, one of those offered
    };
    virtual QString openFileName(QWidget* parent, const QString& filters) = 0;
    // The default suffix ("wav", no dot) is added to a name typed without one.
    virtual SaveChoice saveFileName(QWidget* parent, const QString& filters,
                                    const QString& defaultSuffix) = 0;
    virtual QString existingDirectory(QWidget* parent, const QString& caption) = 0;
    // A question that undoes nothing once answered yes (removing what the user installed).
    virtual bool confirm(QWidget* parent, const QString& caption, const QString& text) = 0;

    // Documents.

    // Audio export.

    // Key echo and clipboard.

    // Editor commands.
    // Font and colour choosers; nothing when the user cancelled.
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) = 0;
    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) = 0;
    // Printer set-up and print dialogs configure printer; false when the user cancelled.
    virtual bool setUpPrinter(QWidget* parent, QPrinter& printer) = 0;
    virtual bool choosePrinter(QWidget* parent, QPrinter& printer) = 0;

    // Tray, language, registration, help and about.

    // Follow-along highlight.
};
