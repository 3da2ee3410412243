#include "error_report.h"

#include "platform/dialogs.h"

QString withFullStop(const QString& message) {
    static const QString closing = QStringLiteral(".。!?！？");
    if (message.isEmpty() || closing.contains(message.back()))
        return message;
    return message + u'.';
}

void reportError(Dialogs& dialogs, QWidget* parent, const QString& message) {
    dialogs.showMessage(parent, AppTitle, withFullStop(message), Dialogs::Icon::Error);
}
