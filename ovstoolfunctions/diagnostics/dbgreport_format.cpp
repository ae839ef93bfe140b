#include "dbgreport_format.h"
#include "text_scan.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace ovs::dbgreport {

namespace {

// Appends to a caller buffer and silently drops what does not fit before the terminating zero.
class Output {
public:
    Output(char* out, size_t capacity) : m_out(out), m_limit(capacity - 1) {}
    void Append(const char* text, size_t length) {
        const size_t room = m_limit - m_length;
        const size_t taken = length < room ? length : room;
        CopyShort(m_out + m_length, text, taken);
        m_length += taken;
    }
    // Copies the format's characters up to its next '%' or its end, and returns where it stopped.
    const char* AppendLiteral(const char* format) {
        const char* end = FindConversionOrEnd(format);
        Append(format, static_cast<size_t>(end - format));
        return end;
    }
    void Fill(char c, size_t count) {
        if (count == 0) {
            return;
        }
        const size_t room = m_limit - m_length;
        const size_t taken = count < room ? count : room;
        std::memset(m_out + m_length, c, taken);
        m_length += taken;
    }
    size_t Finish() {
        m_out[m_length] = '\0';
        return m_length;
    }

private:
    char* m_out;
    size_t m_limit;
    size_t m_length = 0;
};

enum class Size { Int, Short, Long64 };

struct Conversion {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool zero = false;
    size_t width = 0;
    int precision = -1; // -1: none given
    Size size = Size::Int;
    char type = 0;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the conversion after a '%'; false for anything this formatter leaves to the runtime.
bool ParseConversion(const char*& cursor, Conversion& conversion) {
    const char* p = cursor;
    for (;; ++p) {
        if (*p == '-') {
            conversion.left = true;
        } else if (*p == '+') {
            conversion.plus = true;
        } else if (*p == ' ') {
            conversion.space = true;
        } else if (*p == '0') {
            conversion.zero = true;
        } else {
            break;
        }
    }
    for (; IsDigit(*p); ++p) {
        conversion.width = conversion.width * 10 + static_cast<size_t>(*p - '0');
        if (conversion.width > 4096) {
            return false;
        }
    }
    if (*p == '.') {
        ++p;
        conversion.precision = 0;
        for (; IsDigit(*p); ++p) {
            conversion.precision = conversion.precision * 10 + (*p - '0');
            if (conversion.precision > 4096) {
                return false;
            }
        }
    }
    if (*p == 'h') {
        conversion.size = Size::Short;
        ++p;
    } else if (*p == 'l' && p[1] == 'l') {
        conversion.size = Size::Long64;
        p += 2;
    } else if (*p == 'l') {
        ++p; // long is 32 bits wide here
    } else if (*p == 'I' && p[1] == '6' && p[2] == '4') {
        conversion.size = Size::Long64;
        p += 3;
    } else if (*p == 'I' && p[1] == '3' && p[2] == '2') {
        p += 3;
    } else if (*p == 'I') {
        conversion.size = sizeof(void*) == 8 ? Size::Long64 : Size::Int;
        ++p;
    }
    switch (*p) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
            break;
        case 'c':
        case 's':
            if (conversion.size != Size::Int) {
                return false; // wide characters
            }
            break;
        default:
            return false;
    }
    conversion.type = *p;
    cursor = p + 1;
    return true;
}

void WriteInteger(Output& output, const Conversion& conversion, va_list& args) {
    const bool isSigned = conversion.type == 'd' || conversion.type == 'i';
    uint64_t magnitude;
    bool negative = false;
    if (conversion.size == Size::Long64) {
        const uint64_t value = va_arg(args, uint64_t);
        negative = isSigned && static_cast<int64_t>(value) < 0;
        magnitude = negative ? 0 - value : value;
    } else {
        const unsigned int raw = va_arg(args, unsigned int);
        uint32_t value = raw;
        if (conversion.size == Size::Short) {
            value = isSigned ? static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(raw)))
                             : static_cast<uint16_t>(raw);
        }
        negative = isSigned && static_cast<int32_t>(value) < 0;
        magnitude = negative ? 0 - static_cast<uint64_t>(static_cast<int32_t>(value)) : value;
    }
    char digits[24];
    char* end = digits + sizeof digits;
    char* first = end;
    if (conversion.type == 'x' || conversion.type == 'X') {
        const char* alphabet = conversion.type == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
        for (; magnitude != 0; magnitude >>= 4) {
            *--first = alphabet[magnitude & 15];
        }
    } else if (magnitude != 0) {
        first = DecimalDigits(magnitude, end);
    }
    const size_t digitCount = static_cast<size_t>(end - first);
    // No precision means at least one digit; precision 0 prints nothing for the value 0.
    const size_t minimumDigits = conversion.precision < 0 ? 1 : static_cast<size_t>(conversion.precision);
    size_t zeros = minimumDigits > digitCount ? minimumDigits - digitCount : 0;
    char sign = 0;
    if (negative) {
        sign = '-';
    } else if (isSigned && conversion.plus) {
        sign = '+';
    } else if (isSigned && conversion.space) {
        sign = ' ';
    }
    size_t length = digitCount + zeros + (sign != 0 ? 1 : 0);
    // The runtime pads with zeros also when a precision is given.
    if (conversion.zero && !conversion.left && conversion.width > length) {
        zeros += conversion.width - length;
        length = conversion.width;
    }
    const size_t padding = conversion.width > length ? conversion.width - length : 0;
    if (!conversion.left) {
        output.Fill(' ', padding);
    }
    if (sign != 0) {
        output.Append(&sign, 1);
    }
    output.Fill('0', zeros);
    output.Append(first, digitCount);
    if (conversion.left) {
        output.Fill(' ', padding);
    }
}

// Writes a text or character conversion; false for a null text, whose form the runtime decides.
bool WriteText(Output& output, const Conversion& conversion, va_list& args) {
    char character;
    const char* text;
    size_t length;
    if (conversion.type == 'c') {
        character = static_cast<char>(va_arg(args, int));
        if (character == '\0') {
            return false; // the message ends at a zero character; the runtime's road handles it
        }
        text = &character;
        length = 1;
    } else {
        text = va_arg(args, const char*);
        if (text == nullptr) {
            return false;
        }
        if (conversion.precision < 0) {
            length = TextLength(text);
        } else {
            // The text need not be terminated within the precision.
            const size_t limit = static_cast<size_t>(conversion.precision);
            for (length = 0; length < limit && text[length] != '\0'; ++length) {
            }
        }
    }
    const size_t padding = conversion.width > length ? conversion.width - length : 0;
    const char fill = conversion.zero && !conversion.left ? '0' : ' ';
    if (!conversion.left) {
        output.Fill(fill, padding);
    }
    output.Append(text, length);
    if (conversion.left) {
        output.Fill(' ', padding);
    }
    return true;
}

bool FormatDirectly(Output& output, const char* format, va_list& args) {
    const char* cursor = format;
    for (;;) {
        cursor = output.AppendLiteral(cursor);
        if (*cursor == '\0') {
            return true;
        }
        ++cursor;
        if (*cursor == '%') {
            output.Append(cursor, 1);
            ++cursor;
            continue;
        }
        Conversion conversion;
        if (!ParseConversion(cursor, conversion)) {
            return false;
        }
        if (conversion.type == 'c' || conversion.type == 's') {
            if (!WriteText(output, conversion, args)) {
                return false;
            }
        } else {
            WriteInteger(output, conversion, args);
        }
    }
}

} // namespace

size_t FormatMessageText(char* out, size_t capacity, const char* format, va_list args) {
    va_list untouched;
    va_copy(untouched, args);
    Output output(out, capacity);
    va_list walking;
    va_copy(walking, args);
    const bool done = FormatDirectly(output, format, walking);
    va_end(walking);
    if (done) {
        va_end(untouched);
        return output.Finish();
    }
    const int length = _vsnprintf(out, capacity, format, untouched);
    va_end(untouched);
    if (length < 0 || static_cast<size_t>(length) >= capacity) {
        out[capacity - 1] = '\0';
    }
    // The message ends at its first zero character, as when it is copied in as a text.
    return std::strlen(out);
}

} // namespace ovs::dbgreport
