#include "chinese_numbers.h"

#include "number_output.h"
#include "number_quantity.h"
#include "number_shapes.h"
#include "number_text.h"

#include <array>

namespace {

using namespace NumberText;

// Tried in turn at the first digit of a number; a number that is none of them is a quantity.
constexpr std::array Shapes{
    NumberShapes::markedVersion, NumberShapes::gluedToLetters, NumberShapes::ipAddress,
    NumberShapes::date,          NumberShapes::telephone,      NumberShapes::code,
    NumberShapes::clockTime,     NumberShapes::fraction,       NumberShapes::dottedVersion,
};

Reading readingAt(const NumberSpot& spot) {
    for (const auto shape : Shapes) {
        if (Reading reading = shape(spot); !reading.empty())
            return reading;
    }
    return NumberShapes::quantity(spot);
}

// Signs of comparison that mean nothing else, said wherever they stand.
QString comparisonWords(QChar sign) {
    switch (sign.unicode()) {
    case u'≤':
        return QStringLiteral("小于等于");
    case u'≥':
        return QStringLiteral("大于等于");
    case u'≠':
        return QStringLiteral("不等于");
    case u'≈':
        return QStringLiteral("约等于");
    default:
        return {};
    }
}

// Signs that relate a number to what stands on either side of it ("x<5", "1+1=").
QString relationWords(QChar sign) {
    switch (sign.unicode()) {
    case u'=':
        return QStringLiteral("等于");
    case u'<':
        return QStringLiteral("小于");
    case u'>':
        return QStringLiteral("大于");
    default:
        return {};
    }
}

bool isRelationSign(QChar c) {
    return c == u'=' || c == u'<' || c == u'>';
}

// Signs of a sum between two numbers.
QString operationWords(QChar sign) {
    switch (sign.unicode()) {
    case u'+':
        return QStringLiteral("加");
    case u'−':
        return QStringLiteral("减");
    case u'×':
    case u'*':
        return QStringLiteral("乘");
    case u'÷':
        return QStringLiteral("除以");
    default:
        return {};
    }
}

bool isRangeSign(QChar sign) {
    return QStringView(u"~—–〜").contains(sign);
}

// A bracketed run of pinyin syllables ("[hang2 zhang3]") from an opening bracket: the position
// after its closing bracket, or 0 when there is none here.
qsizetype pinyinEnd(QStringView s, qsizetype open) {
    qsizetype at = open + 1;
    for (;;) {
        const qsizetype lettersStart = at;
        while (isAsciiLetter(charAt(s, at)))
            ++at;
        const QChar tone = charAt(s, at);
        if (at == lettersStart || tone < u'1' || tone > u'5')
            return 0;
        const QChar next = charAt(s, ++at);
        if (next == u']')
            return at + 1;
        if (next != u' ')
            return 0;
        ++at;
    }
}

class NumberScanner {
public:
    explicit NumberScanner(const QString& text)
        : m_narrowed(narrowed(text)), m_s(m_narrowed), m_out(text) {}

    SpokenText spoken() {
        for (qsizetype at = 0; at < m_s.size();) {
            const QChar c = m_s[at];
            if (isDigit(c))
                at = readNumber(at);
            else if (const qsizetype end = c == u'[' ? pinyinEnd(m_s, at) : 0)
                at = end;
            else
                at = readSign(at);
        }
        return m_out.result();
    }

private:
    qsizetype readNumber(qsizetype at) {
        const Reading reading = readingAt({m_s, at, m_out.settled()});
        m_out.add(reading);
        return readSignAfterNumber(reading.back().end);
    }

    // A sign without a number before it: a comparison anywhere, a relation when a number
    // follows ("x = 5").
    qsizetype readSign(qsizetype at) {
        QString words = comparisonWords(m_s[at]);
        if (words.isEmpty() && isRelationSign(m_s[at]) && isDigitAt(m_s, blanksEnd(m_s, at + 1)))
            words = relationWords(m_s[at]);
        if (!words.isEmpty()) {
            m_out.add({{at, at + 1, words}});
            m_inSum = true;
        }
        return at + 1;
    }

    // The sign after a number, when it joins it to the next one or relates it: said, and the
    // scan goes on at the next number. Blanks around it stay as they are.
    qsizetype readSignAfterNumber(qsizetype end) {
        if (rangeFollowsUnit(end)) {
            m_out.add({{end + 1, end + 2, QStringLiteral("到")}});
            m_inSum = false;
            return end + 2;
        }
        const qsizetype sign = blanksEnd(m_s, end);
        const qsizetype next = blanksEnd(m_s, sign + 1);
        const QString words = sign < m_s.size() ? signWords(end, sign, next) : QString();
        m_inSum = !words.isEmpty() && words != u"到" && words != u"比";
        if (words.isEmpty())
            return end;
        m_out.add({{sign, sign + 1, words}});
        return isDigitAt(m_s, next) ? next : sign + 1;
    }

    QString signWords(qsizetype end, qsizetype sign, qsizetype next) const {
        const QChar c = m_s[sign];
        if (const QString words = relationWords(c); !words.isEmpty())
            return words;
        if (!isDigitAt(m_s, next))
            return {};
        const bool tight = sign == end && next == sign + 1;
        if (const QString words = operationWords(c); !words.isEmpty())
            return words;
        if (isRangeSign(c))
            return QStringLiteral("到");
        if (c == u'-')
            return hyphenWords(end, sign, next);
        if (tight && c == u':')
            return QStringLiteral("比");
        // "1920x1080"; but 0x1F is hexadecimal
        const bool hexadecimal = m_s[end - 1] == u'0' && !isDigitAt(m_s, end - 2);
        if (tight && (c == u'x' || c == u'X') && !hexadecimal &&
            !isAsciiWordCharacter(charAt(m_s, digitsEnd(m_s, next))))
            return QStringLiteral("乘");
        return {};
    }

    // Between two numbers a hyphen is a minus in a sum ("3 - 1", "3-1=2", "1+2-3") and a range
    // otherwise ("1-2"); with a blank on one side only it is the sign of the next number.
    QString hyphenWords(qsizetype end, qsizetype sign, qsizetype next) const {
        const bool spacedBefore = sign > end;
        const bool spacedAfter = next > sign + 1;
        if ((spacedBefore && spacedAfter) || m_inSum || equalsAfter(next))
            return QStringLiteral("减");
        if (!spacedBefore && !spacedAfter)
            return QStringLiteral("到");
        return {};
    }

    // "1990年-2000年", "3天~5天": a range whose first number keeps its unit; the hyphen is no
    // minus sign of the second.
    bool rangeFollowsUnit(qsizetype end) const {
        static constexpr QStringView Units = u"年月日号天周岁个次点分秒元万亿";
        const QChar sign = charAt(m_s, end + 1);
        return Units.contains(charAt(m_s, end)) && (sign == u'-' || isRangeSign(sign)) &&
               isDigitAt(m_s, end + 2);
    }

    bool equalsAfter(qsizetype number) const {
        qsizetype at = number;
        while (isDigitAt(m_s, at) || charAt(m_s, at) == u'.')
            ++at;
        return charAt(m_s, blanksEnd(m_s, at)) == u'=';
    }

    const QString m_narrowed;
    const QStringView m_s;
    SpokenBuilder m_out;
    bool m_inSum = false; // the last sign said was part of a sum, so a hyphen is a minus
};

} // namespace

SpokenText chineseSpokenForm(const QString& text) {
    return NumberScanner(text).spoken();
}
