#include "number_quantity.h"

#include "number_text.h"
#include "number_units.h"
#include "number_words.h"

namespace NumberShapes {

namespace {

using namespace NumberText;

// Digits with their thousands separators and decimal part.
struct Numeral {
    qsizetype end = 0;
    QString whole; // without the separators
    QStringView fraction;
    bool grouped = false;

    bool isWhole() const { return fraction.isEmpty() && !grouped; }
};

Numeral numeralAt(QStringView s, qsizetype at) {
    Numeral numeral;
    numeral.end = digitsEnd(s, at);
    numeral.whole = s.sliced(at, numeral.end - at).toString();
    if (numeral.whole.size() <= 3) {
        while (charAt(s, numeral.end) == u',' && digitsEnd(s, numeral.end + 1) == numeral.end + 4) {
            numeral.whole += s.sliced(numeral.end + 1, 3);
            numeral.end += 4;
            numeral.grouped = true;
        }
    }
    if (charAt(s, numeral.end) == u'.' && isDigitAt(s, numeral.end + 1)) {
        const qsizetype fractionEnd = digitsEnd(s, numeral.end + 1);
        numeral.fraction = s.sliced(numeral.end + 1, fractionEnd - numeral.end - 1);
        numeral.end = fractionEnd;
    }
    return numeral;
}

// The amount in words; counting when a measure word follows, where 2 is 两. A whole number
// written with a leading zero is a code, read digit by digit ("007", "05年").
QString amountWords(const Numeral& numeral, bool counting) {
    if (!numeral.fraction.isEmpty())
        return NumberWords::decimal(numeral.whole, numeral.fraction);
    if (numeral.isWhole() && numeral.whole.size() > 1 && numeral.whole.startsWith(u'0'))
        return NumberWords::digitByDigit(numeral.whole);
    return counting ? NumberWords::counted(numeral.whole) : NumberWords::cardinal(numeral.whole);
}

// Money's cents are said without their written zeros: ￥1.50 is 一点五元.
Numeral asMoney(Numeral numeral) {
    while (numeral.fraction.endsWith(u'0'))
        numeral.fraction.chop(1);
    return numeral;
}

bool isMoneyWordAt(QStringView s, qsizetype at) {
    return QStringView(u"元块").contains(charAt(s, at));
}

// What is written before the digits and belongs to the amount.
struct Lead {
    qsizetype start;
    QString sign;     // 负
    QString currency; // said after the amount
    bool ordinal = false;
};

Lead leadBefore(const NumberSpot& spot) {
    const QStringView s = spot.text;
    Lead lead{spot.at, {}, {}, wordBefore(s, spot.at, {u"第"}, u" ")};
    const qsizetype signEnd = charAt(s, spot.at - 1) == u' ' ? spot.at - 1 : spot.at;
    if (const NumberUnits::Currency currency = NumberUnits::currencyBefore(s, signEnd);
        currency.length && signEnd - currency.length >= spot.floor) {
        lead.start = signEnd - currency.length;
        lead.currency = currency.spoken;
    }
    if (const qsizetype minus = minusBefore(s, lead.start, spot.floor); minus >= 0) {
        lead.start = minus;
        lead.sign = QStringLiteral("负");
    } else if (charAt(s, lead.start - 1) == u'±' && lead.start - 1 >= spot.floor) {
        lead.start -= 1;
        lead.sign = QStringLiteral("正负");
    }
    return lead;
}

QString percentWords(QChar sign) {
    switch (sign.unicode()) {
    case u'%':
        return QStringLiteral("百分之");
    case u'‰':
        return QStringLiteral("千分之");
    case u'‱':
        return QStringLiteral("万分之");
    default:
        return {};
    }
}

// The end of the number after a range sign ("5-10%"), whose percent or year this one shares;
// -1 when no range follows.
qsizetype rangePartnerEnd(QStringView s, qsizetype end) {
    static constexpr QStringView RangeSigns = u"-~—–〜";
    if (!RangeSigns.contains(charAt(s, end)) || !isDigitAt(s, end + 1))
        return -1;
    return numeralAt(s, end + 1).end;
}

// A year is read digit by digit: four digits or more, three after 公元 or a word that names a
// point in time (于349年, 在349年), or with a month after it; 公元31年 is 三十一年, 历时349年 is
// an amount.
bool isYear(QStringView s, qsizetype at, const Numeral& numeral) {
    if (!numeral.isWhole())
        return false;
    const qsizetype monthEnd = digitsEnd(s, numeral.end + 1);
    const bool monthFollows =
        monthEnd > numeral.end + 1 && monthEnd <= numeral.end + 3 && charAt(s, monthEnd) == u'月';
    static constexpr QStringView SpanAfter = u"后内里间来前之中左以多";
    const bool pointInTime =
        wordBefore(s, at, {u"于", u"在"}) && !SpanAfter.contains(charAt(s, numeral.end + 1));
    return numeral.whole.size() >= 4 || monthFollows ||
           (numeral.whole.size() == 3 && (wordBefore(s, at, {u"公元", u"公元前"}) || pointInTime));
}

bool isYearRange(QStringView s, const Numeral& numeral, qsizetype partnerEnd) {
    return numeral.isWhole() && numeral.whole.size() == 4 && partnerEnd == numeral.end + 5 &&
           charAt(s, partnerEnd) == u'年';
}

// Said as a date: 3月 and 5日 or 5号 are names of the month and day (二月, not 两月).
bool isDatePart(QStringView s, const Numeral& numeral) {
    if (!numeral.isWhole())
        return false;
    const int value = numeral.whole.toInt();
    const QChar next = charAt(s, numeral.end);
    return (next == u'月' && value >= 1 && value <= 12) ||
           ((next == u'日' || next == u'号') && value >= 1 && value <= 31);
}

// The magnitude characters an amount of money carries before its currency ("$5万").
qsizetype magnitudeEnd(QStringView s, qsizetype at) {
    while (QStringView(u"十百千万亿").contains(charAt(s, at)))
        ++at;
    return at;
}

} // namespace

Reading quantity(const NumberSpot& spot) {
    const QStringView s = spot.text;
    const Numeral numeral = numeralAt(s, spot.at);
    const Lead lead = leadBefore(spot);
    const qsizetype end = numeral.end;
    const auto said = [&](qsizetype until, const QString& words) {
        return Reading{{lead.start, until, lead.sign + words}};
    };

    if (const QString percent = percentWords(charAt(s, end)); !percent.isEmpty())
        return said(end + 1, percent + amountWords(numeral, false));
    if (!lead.currency.isEmpty()) {
        const qsizetype until = magnitudeEnd(s, end);
        return said(until, amountWords(asMoney(numeral), true) +
                               s.sliced(end, until - end).toString() + lead.currency);
    }
    const qsizetype after = blanksEnd(s, end) <= end + 1 ? blanksEnd(s, end) : end;
    if (const NumberUnits::Currency code = NumberUnits::currencyCodeAt(s, after); code.length)
        return said(after + code.length, amountWords(asMoney(numeral), true) + code.spoken);
    if (const NumberUnits::Unit unit = NumberUnits::unitAt(s, after); unit.length) {
        return said(after + unit.length,
                    amountWords(numeral, unit.counts && !lead.ordinal) + unit.spoken);
    }

    const qsizetype partnerEnd = rangePartnerEnd(s, end);
    if (partnerEnd >= 0 && !percentWords(charAt(s, partnerEnd)).isEmpty())
        return said(end, percentWords(charAt(s, partnerEnd)) + amountWords(numeral, false));
    if ((charAt(s, end) == u'年' && isYear(s, spot.at, numeral)) ||
        isYearRange(s, numeral, partnerEnd))
        return said(end, NumberWords::digitByDigit(numeral.whole));
    if (isDatePart(s, numeral))
        return said(end, NumberWords::cardinal(numeral.whole));
    const bool counting = !lead.ordinal && NumberUnits::isMeasureWordAt(s, end);
    return said(end, amountWords(isMoneyWordAt(s, end) ? asMoney(numeral) : numeral, counting));
}

} // namespace NumberShapes
