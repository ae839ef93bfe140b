#include "crt_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// MinGW's headers turn strtod into its own C99 parser; the runtime's is the one meant here.
#ifdef strtod
#undef strtod
#endif

namespace ovs::crt {

namespace {

// _vsnprintf and _vscprintf are the runtime's own functions in every MinGW and MSVC configuration.
int FormatV(char* buffer, size_t size, const char* format, va_list args) {
    if (buffer == nullptr || size == 0) {
        return -1;
    }
    const int written = _vsnprintf(buffer, size, format, args);
    if (written < 0 || static_cast<size_t>(written) >= size) {
        buffer[size - 1] = '\0';
        return -1;
    }
    return written;
}

} // namespace

int FormatBuffer(char* buffer, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int written = FormatV(buffer, size, format, args);
    va_end(args);
    return written;
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list counting;
    va_copy(counting, args);
    const int needed = _vscprintf(format, counting);
    va_end(counting);
    std::string text;
    if (needed > 0) {
        text.resize(static_cast<size_t>(needed) + 1);
        const int written = FormatV(text.data(), text.size(), format, args);
        text.resize(written > 0 ? static_cast<size_t>(written) : 0);
    }
    va_end(args);
    return text;
}

double ReadDouble(const char* text, char** end) {
    return strtod(text, end);
}

double ReadDouble(const char* text) {
    return atof(text);
}

void WidenExponent(std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if ((text[i] == 'e' || text[i] == 'E') && (text[i + 1] == '+' || text[i + 1] == '-')) {
            size_t digits = 0;
            while (i + 2 + digits < text.size() && text[i + 2 + digits] >= '0' &&
                   text[i + 2 + digits] <= '9') {
                ++digits;
            }
            if (digits > 0 && digits < 3) {
                text.insert(i + 2, 3 - digits, '0');
            }
            return;
        }
    }
}

} // namespace ovs::crt
