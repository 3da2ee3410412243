#include "number_units.h"

#include "number_text.h"

#include <array>

namespace NumberUnits {

namespace {

using NumberText::charAt;

struct UnitName {
    QStringView written;
    QStringView spoken;
    bool counts;
};

// Longer names first where one begins another (km/h before km before m).
constexpr std::array Units{
    UnitName{u"km/h", u"千米每小时", true},
    UnitName{u"m/s", u"米每秒", true},
    UnitName{u"km²", u"平方千米", true},
    UnitName{u"km2", u"平方千米", true},
    UnitName{u"cm²", u"平方厘米", true},
    UnitName{u"cm³", u"立方厘米", true},
    UnitName{u"m²", u"平方米", true},
    UnitName{u"m2", u"平方米", true},
    UnitName{u"m³", u"立方米", true},
    UnitName{u"m3", u"立方米", true},
    UnitName{u"km", u"千米", true},
    UnitName{u"kg", u"千克", true},
    UnitName{u"mg", u"毫克", true},
    UnitName{u"cm", u"厘米", true},
    UnitName{u"mm", u"毫米", true},
    UnitName{u"ml", u"毫升", true},
    UnitName{u"mL", u"毫升", true},
    UnitName{u"mAh", u"毫安时", true},
    UnitName{u"min", u"分钟", true},
    UnitName{u"ms", u"毫秒", true},
    UnitName{u"kWh", u"千瓦时", true},
    UnitName{u"kW", u"千瓦", true},
    UnitName{u"kHz", u"千赫", true},
    UnitName{u"MHz", u"兆赫", true},
    UnitName{u"Hz", u"赫兹", true},
    UnitName{u"dB", u"分贝", false},
    UnitName{u"°C", u"摄氏度", false},
    UnitName{u"℃", u"摄氏度", false},
    UnitName{u"°F", u"华氏度", false},
    UnitName{u"℉", u"华氏度", false},
    UnitName{u"°", u"度", false},
    UnitName{u"g", u"克", true},
    UnitName{u"m", u"米", true},
    UnitName{u"L", u"升", true},
    UnitName{u"t", u"吨", true},
    UnitName{u"h", u"小时", true},
    UnitName{u"s", u"秒", true},
    UnitName{u"W", u"瓦", true},
    UnitName{u"V", u"伏", true},
};

struct CurrencyName {
    QStringView written;
    QStringView spoken;
};

constexpr std::array CurrencySigns{
    CurrencyName{u"HK$", u"港元"}, CurrencyName{u"US$", u"美元"}, CurrencyName{u"$", u"美元"},
    CurrencyName{u"¥", u"元"},     CurrencyName{u"￥", u"元"},    CurrencyName{u"€", u"欧元"},
    CurrencyName{u"£", u"英镑"},
};

constexpr std::array CurrencyCodes{
    CurrencyName{u"CNY", u"元人民币"}, CurrencyName{u"RMB", u"元人民币"},
    CurrencyName{u"USD", u"美元"},     CurrencyName{u"EUR", u"欧元"},
    CurrencyName{u"GBP", u"英镑"},     CurrencyName{u"JPY", u"日元"},
    CurrencyName{u"HKD", u"港元"},
};

constexpr QStringView MeasureCharacters =
    u"个本次天岁年位名只条张件辆台家种场点分秒层倍块支杯瓶双对套份片篇首部句颗粒座间所头匹"
    u"棵根把门节项顿遍趟回声步口串元角毛斤吨米克升周万千亿里人轮样类磅";
constexpr std::array MeasureWords{u"小时", u"分钟", u"星期", u"礼拜", u"公里", u"公斤",
                                  u"公分", u"公顷", u"英里", u"英尺", u"英寸", u"盎司"};

} // namespace

Unit unitAt(QStringView s, qsizetype at) {
    for (const UnitName& unit : Units) {
        if (const qsizetype length = NumberText::wordAt(s, at, unit.written);
            length && !NumberText::isDigitAt(s, at + length))
            return {length, unit.spoken.toString(), unit.counts};
    }
    return {};
}

Currency currencyBefore(QStringView s, qsizetype end) {
    const QStringView before = s.first(end);
    for (const CurrencyName& sign : CurrencySigns) {
        if (before.endsWith(sign.written))
            return {sign.written.size(), sign.spoken.toString()};
    }
    for (const CurrencyName& code : CurrencyCodes) {
        if (before.endsWith(code.written) &&
            !NumberText::isAsciiLetter(charAt(s, end - code.written.size() - 1)))
            return {code.written.size(), code.spoken.toString()};
    }
    return {};
}

Currency currencyCodeAt(QStringView s, qsizetype at) {
    for (const CurrencyName& code : CurrencyCodes) {
        if (const qsizetype length = NumberText::wordAt(s, at, code.written))
            return {length, code.spoken.toString()};
    }
    return {};
}

bool isMeasureWordAt(QStringView s, qsizetype at) {
    if (at >= s.size())
        return false;
    if (MeasureCharacters.contains(s[at]))
        return true;
    const QStringView after = s.sliced(at);
    for (const QStringView word : MeasureWords) {
        if (after.startsWith(word))
            return true;
    }
    return false;
}

} // namespace NumberUnits
