#pragma once

#include "number_output.h"

#include <QStringView>

// Where a number's digits start in the narrowed text, and the earliest position its reading may
// take in: what stands before floor is already said.
struct NumberSpot {
    QStringView text;
    qsizetype at;
    qsizetype floor;
};

// Each recognises one kind of number written at a spot and says how it is read; an empty
// reading when the spot holds something else.
namespace NumberShapes {

Reading markedVersion(const NumberSpot& spot);  // v1.2.3, 版本 2.0.1
Reading gluedToLetters(const NumberSpot& spot); // MP3, A4, RTX4090
Reading ipAddress(const NumberSpot& spot);      // 192.168.1.1
Reading date(const NumberSpot& spot);           // 2024-03-05, 2024/3/5, 2024.3.5, 2024-03
Reading telephone(const NumberSpot& spot);      // 13812345678, 010-12345678, 电话：12345
Reading code(const NumberSpot& spot);           // 编号 0123, 验证码 456789
Reading clockTime(const NumberSpot& spot);      // 10:30, 10:30:15
Reading fraction(const NumberSpot& spot);       // 1/3
Reading dottedVersion(const NumberSpot& spot);  // 1.2.3

} // namespace NumberShapes
