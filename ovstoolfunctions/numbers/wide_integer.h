// An unsigned 128-bit integer from two 64-bit halves, in standard C++: just the operations that the
// exact decimal digits of a double need.
#pragma once

#include <bit>
#include <cstdint>

namespace ovs::numbers {

struct Uint128 {
    uint64_t high = 0;
    uint64_t low = 0;
};

inline Uint128 Multiply(uint64_t a, uint64_t b) {
    const uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32;
    const uint64_t bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
    const uint64_t lowLow = aLow * bLow;
    const uint64_t lowHigh = aLow * bHigh;
    const uint64_t highLow = aHigh * bLow;
    const uint64_t highHigh = aHigh * bHigh;
    const uint64_t middle = (lowLow >> 32) + (lowHigh & 0xFFFFFFFFu) + (highLow & 0xFFFFFFFFu);
    Uint128 result;
    result.low = (middle << 32) | (lowLow & 0xFFFFFFFFu);
    result.high = highHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32);
    return result;
}

// The low 128 bits of a * b.
inline Uint128 Multiply(const Uint128& a, uint64_t b) {
    Uint128 result = Multiply(a.low, b);
    result.high += a.high * b;
    return result;
}

inline bool Less(const Uint128& a, const Uint128& b) {
    return a.high != b.high ? a.high < b.high : a.low < b.low;
}

inline Uint128 Subtract(const Uint128& a, const Uint128& b) {
    Uint128 result;
    result.low = a.low - b.low;
    result.high = a.high - b.high - (a.low < b.low ? 1 : 0);
    return result;
}

inline Uint128 ShiftLeft(const Uint128& a, int bits) {
    if (bits == 0) {
        return a;
    }
    if (bits >= 64) {
        return Uint128{a.low << (bits - 64), 0};
    }
    return Uint128{(a.high << bits) | (a.low >> (64 - bits)), a.low << bits};
}

inline Uint128 ShiftRight(const Uint128& a, int bits) {
    if (bits == 0) {
        return a;
    }
    if (bits >= 64) {
        return Uint128{0, a.high >> (bits - 64)};
    }
    return Uint128{a.high >> bits, (a.low >> bits) | (a.high << (64 - bits))};
}

// The low `bits` bits of a (0 < bits < 128).
inline Uint128 LowBits(const Uint128& a, int bits) {
    if (bits >= 64) {
        const int highBits = bits - 64;
        return Uint128{highBits == 0 ? 0 : a.high & ((~uint64_t{0}) >> (64 - highBits)), a.low};
    }
    return Uint128{0, a.low & ((uint64_t{1} << bits) - 1)};
}

inline int BitLength(uint64_t value) {
    return static_cast<int>(std::bit_width(value));
}

inline int BitLength(const Uint128& a) {
    return a.high != 0 ? 64 + BitLength(a.high) : BitLength(a.low);
}

inline double ToDouble(const Uint128& a) {
    return static_cast<double>(a.high) * 18446744073709551616.0 + static_cast<double>(a.low);
}

// a / divisor and a % divisor, for a quotient below 2^63 and a divisor below 2^63.
inline uint64_t DivideSmallQuotient(const Uint128& a, uint64_t divisor, uint64_t* remainder) {
    uint64_t quotient = static_cast<uint64_t>(ToDouble(a) / static_cast<double>(divisor));
    Uint128 product = Multiply(quotient, divisor);
    while (Less(a, product)) {
        --quotient;
        product = Subtract(product, Uint128{0, divisor});
    }
    Uint128 rest = Subtract(a, product);
    while (rest.high != 0 || rest.low >= divisor) {
        ++quotient;
        rest = Subtract(rest, Uint128{0, divisor});
    }
    *remainder = rest.low;
    return quotient;
}

} // namespace ovs::numbers
