// The rounding-printf engine, chosen by the machine-wide rounding switch: the runtime's printf,
// with the value first rounded by the mode on its decimal scale.
#pragma once

#include <string>

namespace ovs::numbers {

// Modes of this engine: 1 truncates, 2 rounds up from a tenth, any other leaves rounding to printf.
std::string FormatRoundingPrintf(unsigned precision, bool exponent, int mode, double value);
// v rounded to precision decimals by the mode (1 truncate, 2 add 0.9 before truncating).
double RoundToDecimals(double value, unsigned precision, int mode);

} // namespace ovs::numbers
