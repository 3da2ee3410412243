#include "number_words.h"

namespace NumberWords {

namespace {

constexpr char16_t DigitNames[] = u"零一二三四五六七八九";
constexpr int MaxCardinalDigits = 16;
constexpr quint64 Wan = 10000;
constexpr quint64 Yi = 100000000;

QChar digitName(int digit) {
    return QChar(DigitNames[digit]);
}

// One group of four places (below 万). At the head of the number a lone ten is 十, not 一十;
// 2 before 千 is 两.
QString groupWords(quint64 value, bool atHead) {
    static constexpr char16_t Places[] = {u'千', u'百', u'十', 0};
    QString words;
    bool gap = false;
    quint64 divisor = 1000;
    for (int place = 0; place < 4; ++place, divisor /= 10) {
        const int digit = int(value / divisor % 10);
        if (digit == 0) {
            gap = !words.isEmpty();
            continue;
        }
        if (gap)
            words += u'零';
        gap = false;
        const bool headTen = atHead && words.isEmpty() && place == 2 && digit == 1;
        if (!headTen)
            words += place == 0 && digit == 2 ? QChar(u'两') : digitName(digit);
        if (Places[place])
            words += QChar(Places[place]);
    }
    return words;
}

// A value split at a unit (万 or 亿): the part above, the unit, and the part below, with 零
// where a place of the part below is skipped at its top.
QString unitWords(quint64 value, bool atHead);

QString splitWords(quint64 value, quint64 unit, QChar unitName, bool atHead) {
    const quint64 above = value / unit;
    const quint64 below = value % unit;
    QString words = atHead && above == 2 ? QStringLiteral("两") : unitWords(above, atHead);
    words += unitName;
    if (below == 0)
        return words;
    if (below < unit / 10)
        words += u'零';
    return words + unitWords(below, false);
}

QString unitWords(quint64 value, bool atHead) {
    if (value >= Yi)
        return splitWords(value, Yi, u'亿', atHead);
    if (value >= Wan)
        return splitWords(value, Wan, u'万', atHead);
    return groupWords(value, atHead);
}

QStringView withoutLeadingZeros(QStringView digits) {
    qsizetype first = 0;
    while (first < digits.size() && digits[first] == u'0')
        ++first;
    return digits.sliced(first);
}

} // namespace

QString digitByDigit(QStringView digits, One one) {
    QString words;
    words.reserve(digits.size());
    for (const QChar c : digits) {
        const int digit = c.unicode() - u'0';
        words += one == One::Yao && digit == 1 ? QChar(u'幺') : digitName(digit);
    }
    return words;
}

QString cardinal(QStringView digits) {
    const QStringView significant = withoutLeadingZeros(digits);
    if (significant.isEmpty())
        return QStringLiteral("零");
    if (significant.size() > MaxCardinalDigits)
        return digitByDigit(significant);
    return unitWords(significant.toULongLong(), true);
}

QString counted(QStringView digits) {
    return digits == u"2" ? QStringLiteral("两") : cardinal(digits);
}

QString decimal(QStringView whole, QStringView fraction) {
    return cardinal(whole) + u'点' + digitByDigit(fraction);
}

} // namespace NumberWords
