#include "number_text.h"

#include <algorithm>

namespace NumberText {

qsizetype digitsEnd(QStringView s, qsizetype from) {
    while (from < s.size() && isDigit(s[from]))
        ++from;
    return from;
}

qsizetype blanksEnd(QStringView s, qsizetype from) {
    while (from < s.size() && s[from] == u' ')
        ++from;
    return from;
}

bool wordBefore(QStringView s, qsizetype end, std::initializer_list<QStringView> words,
                QStringView skipped) {
    while (end > 0 && skipped.contains(s[end - 1]))
        --end;
    if (end == 0)
        return false;
    const QStringView before = s.first(end);
    const char32_t last = QChar::toCaseFolded(before.back().unicode());
    for (const QStringView word : words) {
        // The last character first: most places end in none of the words.
        if (QChar::toCaseFolded(word.back().unicode()) != last ||
            !before.endsWith(word, Qt::CaseInsensitive))
            continue;
        const qsizetype start = end - word.size();
        if (!isAsciiLetter(word.front()) || !isAsciiLetter(charAt(s, start - 1)))
            return true;
    }
    return false;
}

qsizetype wordAt(QStringView s, qsizetype at, QStringView word) {
    if (!s.sliced(at).startsWith(word))
        return 0;
    const qsizetype end = at + word.size();
    return isAsciiLetter(word.back()) && isAsciiLetter(charAt(s, end)) ? 0 : word.size();
}

qsizetype minusBefore(QStringView s, qsizetype at, qsizetype floor) {
    const qsizetype sign = at - 1;
    if (sign < floor || (charAt(s, sign) != u'-' && charAt(s, sign) != u'−'))
        return -1;
    const QChar before = charAt(s, sign - 1);
    return isAsciiWordCharacter(before) || before == u')' || before == u']' ? -1 : sign;
}

QString narrowed(const QString& text) {
    const auto isWide = [](QChar c) { return c >= u'！' && c <= u'～' && c != u'，'; };
    qsizetype at = std::find_if(text.begin(), text.end(), isWide) - text.begin();
    if (at == text.size())
        return text;
    QString result = text;
    QChar* out = result.data();
    for (; at < result.size(); ++at) {
        if (isWide(out[at]))
            out[at] = QChar(char16_t(out[at].unicode() - (u'！' - u'!')));
    }
    return result;
}

} // namespace NumberText
