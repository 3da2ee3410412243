#pragma once

#include <QString>
#include <QStringView>

// Numbers as Chinese characters. Every function takes ASCII digits only: no signs, no
// separators.
namespace NumberWords {

// Digit by digit, as codes and years are read: "2024" → 二零二四. In telephone numbers 1 is
// said 幺, so that it is not heard as 七.
enum class One { Yi, Yao };
QString digitByDigit(QStringView digits, One one = One::Yi);

// The number as an amount: 10 → 十, 1005 → 一千零五, 20000 → 两万, 12345 → 一万两千三百四十五.
// More digits than the units reach (sixteen) are read one by one.
QString cardinal(QStringView digits);

// An amount before a measure word, where 2 is said 两: 2个 → 两个, but 22个 → 二十二个.
QString counted(QStringView digits);

// A decimal: 3.14 → 三点一四; the digits after the point are read one by one.
QString decimal(QStringView whole, QStringView fraction);

} // namespace NumberWords
