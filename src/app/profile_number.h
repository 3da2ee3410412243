#pragma once

#include <QString>
#include <optional>

// Integers in profile files: "0x" + hexadecimal, "$" + hexadecimal, or decimal with an
// optional sign. Hexadecimal covers the full 32 bits (colours such as $FF000005 read as
// negative numbers); anything that is not a 32-bit integer in these forms gives nothing.
std::optional<qint32> parseProfileInteger(const QString& text);
