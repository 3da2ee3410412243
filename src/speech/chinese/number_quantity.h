#pragma once

#include "number_shapes.h"

namespace NumberShapes {

// Any other number, as an amount with what is written around it: its sign, currency, percent,
// unit or measure word, or a year, month or day (-5℃, $5, 3.5%, 2个, 2024年, 1,234,567).
Reading quantity(const NumberSpot& spot);

} // namespace NumberShapes
