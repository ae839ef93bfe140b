// Copies and scans for the short texts of a report line, written out in place: under the
// runtime's memcpy and strlen, each call costs more than the bytes it moves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ovs {

// Copies length bytes in word-sized pieces; pieces of constant size become plain moves.
inline void CopyShort(char* to, const char* from, size_t length) {
    if (length >= 8) {
        char* lastTo = to + length - 8;
        const char* lastFrom = from + length - 8;
        for (; length > 8; length -= 8, to += 8, from += 8) {
            std::memcpy(to, from, 8);
        }
        std::memcpy(lastTo, lastFrom, 8); // the last word, overlapping the one before
    } else if (length >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + length - 4, from + length - 4, 4);
    } else if (length > 0) {
        to[0] = from[0];
        to[length / 2] = from[length / 2];
        to[length - 1] = from[length - 1];
    }
}

namespace detail {

constexpr uint64_t kLowBits = 0x0101010101010101ULL;
constexpr uint64_t kHighBits = 0x8080808080808080ULL;

// Non-zero when one of the word's eight bytes is zero.
constexpr uint64_t HasZeroByte(uint64_t word) {
    return (word - kLowBits) & ~word & kHighBits;
}

// The first byte from text on that is zero or equal to stop (0 finds only the zero). Bytes are read
// a whole aligned word at a time once text is aligned: such a word never reaches into the next
// page, so reading the bytes after the zero within it is harmless.
inline const char* FindByteOrZero(const char* text, unsigned char stop) {
    for (; reinterpret_cast<uintptr_t>(text) % 8 != 0; ++text) {
        if (*text == '\0' || static_cast<unsigned char>(*text) == stop) {
            return text;
        }
    }
    const uint64_t stopBytes = kLowBits * stop;
    for (;; text += 8) {
        uint64_t word;
        std::memcpy(&word, text, 8);
        if (HasZeroByte(word) != 0 || HasZeroByte(word ^ stopBytes) != 0) {
            break;
        }
    }
    while (*text != '\0' && static_cast<unsigned char>(*text) != stop) {
        ++text;
    }
    return text;
}

} // namespace detail

// Writes the decimal digits of value so that they end just before end, two at a time, and returns
// the first of them (one "0" for the value 0).
inline char* DecimalDigits(uint64_t value, char* end) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    for (; value > 0xFFFFFFFFu; value /= 100) {
        end -= 2;
        std::memcpy(end, kPairs + value % 100 * 2, 2);
    }
    // The rest fits in 32 bits, whose divisions cost less.
    uint32_t rest = static_cast<uint32_t>(value);
    for (; rest >= 100; rest /= 100) {
        end -= 2;
        std::memcpy(end, kPairs + rest % 100 * 2, 2);
    }
    if (rest >= 10) {
        end -= 2;
        std::memcpy(end, kPairs + rest * 2, 2);
    } else {
        *--end = static_cast<char>('0' + rest);
    }
    return end;
}

inline size_t TextLength(const char* text) {
    return static_cast<size_t>(detail::FindByteOrZero(text, 0) - text);
}

// The first '%' of a format, or its terminating zero.
inline const char* FindConversionOrEnd(const char* format) {
    return detail::FindByteOrZero(format, '%');
}

} // namespace ovs
