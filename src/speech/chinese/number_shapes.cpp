#include "number_shapes.h"

#include "number_text.h"
#include "number_units.h"
#include "number_words.h"

#include <QStringList>
#include <QVarLengthArray>
#include <functional>

namespace NumberShapes {

namespace {

using namespace NumberText;
using NumberWords::One;

// Runs of digits joined by single separators: "2024-03-05" is three groups.
struct Groups {
    QVarLengthArray<QStringView, 4> digits;
    QVarLengthArray<qsizetype, 4> starts;
    qsizetype end = 0;

    qsizetype size() const { return qsizetype(digits.size()); }
    int value(qsizetype group) const { return digits[group].toInt(); }
    qsizetype length(qsizetype group) const { return digits[group].size(); }
};

Groups groupsAt(QStringView s, qsizetype at, QChar separator) {
    Groups groups;
    for (qsizetype start = at;; start = groups.end + 1) {
        groups.end = digitsEnd(s, start);
        groups.starts.push_back(start);
        groups.digits.push_back(s.sliced(start, groups.end - start));
        if (charAt(s, groups.end) != separator || !isDigitAt(s, groups.end + 1))
            return groups;
    }
}

using GroupWords = std::function<QString(QStringView)>;

// Each group said by its words and each separator as between; the last group followed by
// after.
Reading groupPieces(const Groups& groups, const GroupWords& words, const QStringList& between,
                    const QString& after = {}) {
    Reading reading;
    for (qsizetype group = 0; group < groups.size(); ++group) {
        const qsizetype start = groups.starts[group];
        const qsizetype end = start + groups.length(group);
        if (group > 0)
            reading.push_back({start - 1, start, between[std::min(group, between.size()) - 1]});
        const bool last = group + 1 == groups.size();
        reading.push_back({start, end, words(groups.digits[group]) + (last ? after : "")});
    }
    return reading;
}

QString cardinalWords(QStringView digits) {
    return NumberWords::cardinal(digits);
}

QString digitWords(QStringView digits) {
    return NumberWords::digitByDigit(digits);
}

QString telephoneDigits(QStringView digits) {
    return NumberWords::digitByDigit(digits, One::Yao);
}

const QStringList Point{QStringLiteral("点")};
const QStringList Pause{QStringLiteral(" ")};

// What people put between a label and the number it introduces ("电话：", "编号为 ").
constexpr QStringView LabelGap = u" :：是为";

// A year digit by digit, a month or a day as a number.
QString dateWords(QStringView digits) {
    return digits.size() == 4 ? digitWords(digits) : cardinalWords(digits);
}

bool isMonth(const Groups& groups, qsizetype group) {
    return groups.length(group) <= 2 && groups.value(group) >= 1 && groups.value(group) <= 12;
}

bool isDay(const Groups& groups, qsizetype group) {
    return groups.length(group) <= 2 && groups.value(group) >= 1 && groups.value(group) <= 31;
}

Reading dateWith(const NumberSpot& spot, QChar separator) {
    const Groups groups = groupsAt(spot.text, spot.at, separator);
    if (groups.size() < 2 || groups.length(0) != 4 || !isMonth(groups, 1))
        return {};
    const QStringList units{QStringLiteral("年"), QStringLiteral("月")};
    if (groups.size() == 3 && isDay(groups, 2)) {
        return groupPieces(groups, dateWords, units, QStringLiteral("日"));
    }
    // A year and a month alone only with the month's two digits: "2024-03", never "2024.3".
    if (groups.size() == 2 && groups.length(1) == 2 && separator != u'.') {
        return groupPieces(groups, dateWords, units, QStringLiteral("月"));
    }
    return {};
}

bool isMobile(const Groups& groups, const QString& digits) {
    const bool shaped = groups.size() == 1 || (groups.size() == 3 && groups.length(0) == 3 &&
                                               groups.length(1) == 4 && groups.length(2) == 4);
    return shaped && digits.size() == 11 && digits[0] == u'1' && digits[1] >= u'3';
}

bool isServiceLine(const QString& digits) {
    return digits.size() == 10 && (digits.startsWith(u"400") || digits.startsWith(u"800"));
}

bool isLandline(const Groups& groups) {
    return groups.size() == 2 && groups.digits[0].startsWith(u'0') && groups.length(0) >= 3 &&
           groups.length(0) <= 4 && groups.length(1) >= 7 && groups.length(1) <= 8;
}

bool looksLikeTelephone(const Groups& groups) {
    QString digits;
    for (const QStringView group : groups.digits)
        digits += group;
    return isMobile(groups, digits) || isServiceLine(digits) || isLandline(groups);
}

bool isScore(const NumberSpot& spot, const Groups& groups) {
    static constexpr QStringView Results[] = {u"获胜", u"战胜", u"取胜", u"击败",
                                              u"告负", u"落败", u"胜出", u"险胜"};
    const QStringView after = spot.text.sliced(blanksEnd(spot.text, groups.end));
    for (const QStringView result : Results) {
        if (after.startsWith(result))
            return true;
    }
    return wordBefore(spot.text, spot.at, {u"比分"}, LabelGap);
}

QString twoDigitWords(int value, QChar unit) {
    const QString words = value < 10 ? u'零' + digitWords(QString::number(value))
                                     : cardinalWords(QString::number(value));
    return words + unit;
}

} // namespace

Reading markedVersion(const NumberSpot& spot) {
    if (!wordBefore(spot.text, spot.at, {u"v", u"ver", u"version", u"版本", u"版本号"}, LabelGap))
        return {};
    return groupPieces(groupsAt(spot.text, spot.at, u'.'), cardinalWords, Point);
}

Reading gluedToLetters(const NumberSpot& spot) {
    const QStringView s = spot.text;
    // A letter already said is a sign ("1920x1080"), not part of a name.
    if (spot.at - 1 < spot.floor || !isAsciiLetter(charAt(s, spot.at - 1)) ||
        NumberUnits::currencyBefore(s, spot.at).length)
        return {};
    const qsizetype end = digitsEnd(s, spot.at);
    const QStringView digits = s.sliced(spot.at, end - spot.at);
    // Model numbers are read digit by digit (RTX4090), short ones as numbers (MP3, iPhone15).
    if (digits.size() >= 3)
        return {{spot.at, end, digitWords(digits)}};
    if (charAt(s, end) == u'.' && isDigitAt(s, end + 1)) {
        const qsizetype fractionEnd = digitsEnd(s, end + 1);
        return {{spot.at, fractionEnd,
                 NumberWords::decimal(digits, s.sliced(end + 1, fractionEnd - end - 1))}};
    }
    return {{spot.at, end, cardinalWords(digits)}};
}

Reading ipAddress(const NumberSpot& spot) {
    const Groups groups = groupsAt(spot.text, spot.at, u'.');
    if (groups.size() != 4)
        return {};
    for (qsizetype group = 0; group < 4; ++group) {
        if (groups.length(group) > 3 || groups.value(group) > 255)
            return {};
    }
    return groupPieces(groups, digitWords, Point);
}

Reading date(const NumberSpot& spot) {
    for (const QChar separator : {u'-', u'/', u'.'}) {
        if (Reading reading = dateWith(spot, separator); !reading.empty())
            return reading;
    }
    return {};
}

Reading telephone(const NumberSpot& spot) {
    static constexpr std::initializer_list<QStringView> Labels = {
        u"电话", u"手机", u"手机号", u"号码", u"热线", u"致电",
        u"拨打", u"传真", u"座机",   u"客服", u"tel",  u"phone"};
    const Groups hyphened = groupsAt(spot.text, spot.at, u'-');
    if (wordBefore(spot.text, spot.at, Labels, LabelGap) || looksLikeTelephone(hyphened))
        return groupPieces(hyphened, telephoneDigits, Pause);
    const Groups spaced = groupsAt(spot.text, spot.at, u' ');
    if (spaced.size() == 3 && looksLikeTelephone(spaced))
        return groupPieces(spaced, telephoneDigits, Pause);
    return {};
}

Reading code(const NumberSpot& spot) {
    static constexpr std::initializer_list<QStringView> Labels = {
        u"编号", u"订单号", u"单号",     u"邮编",   u"邮政编码", u"验证码", u"密码",
        u"工号", u"学号",   u"账号",     u"帐号",   u"卡号",     u"尾号",   u"代码",
        u"车次", u"航班号", u"身份证号", u"房间号", u"No."};
    if (!wordBefore(spot.text, spot.at, Labels, LabelGap))
        return {};
    return groupPieces(groupsAt(spot.text, spot.at, u'-'), digitWords, Pause);
}

Reading clockTime(const NumberSpot& spot) {
    const Groups groups = groupsAt(spot.text, spot.at, u':');
    if (groups.size() < 2 || groups.size() > 3 || groups.length(0) > 2 || groups.value(0) > 24)
        return {};
    for (qsizetype group = 1; group < groups.size(); ++group) {
        if (groups.length(group) != 2 || groups.value(group) > 59)
            return {};
    }
    if (isScore(spot, groups))
        return {};
    const int minutes = groups.value(1);
    const int seconds = groups.size() == 3 ? groups.value(2) : 0;
    // On the hour it is just 十二点, not 十二点零分.
    QString words = NumberWords::counted(QString::number(groups.value(0))) + u'点';
    if (minutes > 0 || seconds > 0)
        words += twoDigitWords(minutes, u'分');
    if (seconds > 0)
        words += twoDigitWords(seconds, u'秒');
    return {{spot.at, groups.end, words}};
}

Reading fraction(const NumberSpot& spot) {
    const Groups groups = groupsAt(spot.text, spot.at, u'/');
    // The tail of "1/2/3" is no fraction either.
    const bool continued =
        charAt(spot.text, spot.at - 1) == u'/' && isDigitAt(spot.text, spot.at - 2);
    if (continued || groups.size() != 2 || groups.value(1) == 0 ||
        charAt(spot.text, groups.end) == u'.')
        return {};
    const qsizetype minus = minusBefore(spot.text, spot.at, spot.floor);
    const QString sign = minus >= 0 ? QStringLiteral("负") : QString();
    return {{minus >= 0 ? minus : spot.at, groups.end,
             sign + cardinalWords(groups.digits[1]) + QStringLiteral("分之") +
                 cardinalWords(groups.digits[0])}};
}

Reading dottedVersion(const NumberSpot& spot) {
    const Groups groups = groupsAt(spot.text, spot.at, u'.');
    return groups.size() >= 3 ? groupPieces(groups, cardinalWords, Point) : Reading{};
}

} // namespace NumberShapes
