#include "profile_number.h"

namespace {

int hexDigitValue(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

std::optional<qint32> parseHex(QStringView digits) {
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    return static_cast<qint32>(static_cast<quint32>(value));
}

} // namespace

std::optional<qint32> parseProfileInteger(const QString& text) {
    if (text.size() > 2 && text.startsWith(u"0x", Qt::CaseInsensitive))
        return parseHex(QStringView(text).mid(2));
    if (text.startsWith(u'$'))
        return parseHex(QStringView(text).mid(1));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool sign = i == 0 && (c == u'+' || c == u'-');
        if (!sign && !(c >= u'0' && c <= u'9'))
            return std::nullopt;
    }
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<qint32>(value) : std::nullopt;
}
