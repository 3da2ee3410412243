#pragma once

#include <QString>

class Dialogs;
class QWidget;

// The application title, the caption of the program's message boxes.
inline const QString AppTitle = QStringLiteral("Parlora");

// The message as the error report shows it: a full stop is added when it ends without one.
QString withFullStop(const QString& message);

// The general error report: a message box captioned with the application title, error icon.
void reportError(Dialogs& dialogs, QWidget* parent, const QString& message);
