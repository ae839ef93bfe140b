// The Windows C runtime's own printf and strtod, reached past MinGW's replacements, so that digits,
// exponents (three digits: e+003) and the locale's decimal point are those of the runtime.
#pragma once

#include <cstddef>
#include <string>

namespace ovs::crt {

// Formats into buffer (size bytes, always terminated); returns the length, or -1 when it did not fit.
int FormatBuffer(char* buffer, size_t size, const char* format, ...);
// Formats into a string of whatever length the result needs.
std::string Format(const char* format, ...);
// The runtime's strtod (process locale, leading white space skipped).
double ReadDouble(const char* text, char** end);
// The runtime's atof.
double ReadDouble(const char* text);

// Widens a two-digit exponent ("e+20", "E-05") to three digits in place, as the runtime writes them;
// texts that already have three digits stay as they are.
void WidenExponent(std::string& text);

} // namespace ovs::crt
