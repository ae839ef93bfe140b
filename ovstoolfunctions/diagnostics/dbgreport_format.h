// Message formatting for the debug report: the conversions that report lines use are done here
// without going through the runtime's printf, which costs more than the file write itself.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace ovs::dbgreport {

// Formats exactly as the runtime's _vsnprintf does: "%%" and d, i, u, x, X, c and s with the flags
// '-', '+', ' ' and '0', a width, a precision and the sizes h, l, ll, I, I32 and I64 are done here;
// any other conversion, a '*' or '#', or a null text hands the whole format to _vsnprintf.
// Writes at most capacity - 1 characters (longer output is cut) and a terminating zero, and
// returns the number of characters written. capacity must be at least 1.
size_t FormatMessageText(char* out, size_t capacity, const char* format, va_list args);

} // namespace ovs::dbgreport
