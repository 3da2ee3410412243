#include "error_report.h"

#include "platform/dialogs.h"

#include <algorithm>

namespace {
// A Chinese message ends with the Chinese full stop.
bool isChinese(const QString& message) {
    return std::any_of(message.begin(), message.end(), [](QChar c) {
        return (c.unicode() >= 0x3000 && c.unicode() <= 0x9fff) ||
               (c.unicode() >= 0xff00 && c.unicode() <= 0xffef);
    });
}
} // namespace

QString withFullStop(const QString& message) {
    static const QString closing = QStringLiteral(".。!?！？");
    if (message.isEmpty() || closing.contains(message.back()))
        return message;
    return message + (isChinese(message) ? u'。' : u'.');
}

void reportError(Dialogs& dialogs, QWidget* parent, const QString& message) {
    dialogs.showMessage(parent, AppTitle, withFullStop(message), Dialogs::Icon::Error);
}
