#pragma once

#include <QString>
#include <QStringView>

// The words that follow or precede an amount and what they are said as.
namespace NumberUnits {

// A measure written after a number ("km", "℃"), found with its length; empty spoken when
// there is none.
struct Unit {
    qsizetype length = 0;
    QString spoken;
    bool counts = false; // an amount of it says 2 as 两 (两米, but 二摄氏度)
};
Unit unitAt(QStringView s, qsizetype at);

// A currency: the sign or code written before the amount ("$", "USD") ending at a position,
// or the code written after it ("CNY") at a position; the spoken word after the amount.
struct Currency {
    qsizetype length = 0;
    QString spoken;
};
Currency currencyBefore(QStringView s, qsizetype end);
Currency currencyCodeAt(QStringView s, qsizetype at);

// A measure word or unit in Chinese at a position, before which 2 is said 两 (2个, 2小时, 2万).
bool isMeasureWordAt(QStringView s, qsizetype at);

} // namespace NumberUnits
