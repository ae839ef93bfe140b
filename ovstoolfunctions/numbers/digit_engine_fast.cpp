// The digit engine's results for the common cases without the runtime's 30-digit conversions: the
// decimal digits that the conversion would give are computed exactly from the double's binary value
// (mantissa times a power of two) with 128-bit integers, as far as the rounding decision reads them.
// Wherever the conversion's own rounding at its 30th digit could reach those digits, or the value
// lies outside what 128 bits hold, the exact algorithm decides instead.
#include "digit_engine.h"
#include "text_scan.h"
#include "wide_integer.h"

#include <cmath>
#include <cstring>

namespace ovs::numbers {

namespace {

constexpr int kConversionDigits = 30;
constexpr int kRemainderDigits = 15;
constexpr uint64_t kRemainderScale = 1000000000000000ULL; // 10^15
constexpr int kMaxFixedDecimals = 14;                     // kept + remainder digits stay below 30
constexpr int kMaxMantissaDigits = 13;
constexpr int kMaxPowerOfFive = 32; // mantissa (53 bits) times 5^32 stays below 2^128

constexpr uint64_t kPowersOfTen[] = {1ULL,
                                     10ULL,
                                     100ULL,
                                     1000ULL,
                                     10000ULL,
                                     100000ULL,
                                     1000000ULL,
                                     10000000ULL,
                                     100000000ULL,
                                     1000000000ULL,
                                     10000000000ULL,
                                     100000000000ULL,
                                     1000000000000ULL,
                                     10000000000000ULL,
                                     100000000000000ULL,
                                     1000000000000000ULL,
                                     10000000000000000ULL,
                                     100000000000000000ULL,
                                     1000000000000000000ULL,
                                     10000000000000000000ULL};

constexpr uint64_t PowerOfFive(int n) {
    uint64_t value = 1;
    for (int i = 0; i < n; ++i) {
        value *= 5;
    }
    return value;
}

// x * 5^n for x below 2^53 and n up to 32.
Uint128 MultiplyPowerOfFive(uint64_t x, int n) {
    constexpr int kStep = 27; // 5^27 is the largest power of five below 2^64
    if (n <= kStep) {
        static constexpr uint64_t kPowers[] = {
            PowerOfFive(0),  PowerOfFive(1),  PowerOfFive(2),  PowerOfFive(3),  PowerOfFive(4),
            PowerOfFive(5),  PowerOfFive(6),  PowerOfFive(7),  PowerOfFive(8),  PowerOfFive(9),
            PowerOfFive(10), PowerOfFive(11), PowerOfFive(12), PowerOfFive(13), PowerOfFive(14),
            PowerOfFive(15), PowerOfFive(16), PowerOfFive(17), PowerOfFive(18), PowerOfFive(19),
            PowerOfFive(20), PowerOfFive(21), PowerOfFive(22), PowerOfFive(23), PowerOfFive(24),
            PowerOfFive(25), PowerOfFive(26), PowerOfFive(27)};
        return Multiply(x, kPowers[n]);
    }
    return Multiply(Multiply(x, PowerOfFive(kStep)), PowerOfFive(n - kStep));
}

int DecimalDigitCount(uint64_t value) {
    int count = 1;
    while (count < 20 && value >= kPowersOfTen[count]) {
        ++count;
    }
    return count;
}

// 10^n as a 128-bit number, n from 15 to 34.
Uint128 WidePowerOfTen(int n) {
    return Multiply(kRemainderScale, kPowersOfTen[n - kRemainderDigits]);
}

struct Binary {
    uint64_t mantissa; // below 2^53
    int exponent;      // value = mantissa * 2^exponent
    bool negative;
};

// False for zero, infinities and NaN.
bool Decompose(double value, Binary& binary) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    binary.negative = (bits >> 63) != 0;
    if (biased == 0x7FF || (biased == 0 && fraction == 0)) {
        return false;
    }
    if (biased == 0) {
        binary.mantissa = fraction;
        binary.exponent = -1074;
    } else {
        binary.mantissa = fraction | (uint64_t{1} << 52);
        binary.exponent = biased - 1075;
    }
    return true;
}

// floor(value * 10^scale) for the magnitude, and the fraction that is left (approximately; only
// compared against a margin). False when 128 bits do not hold the computation.
bool ScaledDigits(const Binary& binary, int scale, Uint128& digits, double& left) {
    left = 0.0;
    if (scale < 0) {
        if (binary.exponent < 0 || BitLength(binary.mantissa) + binary.exponent > 63 || -scale > 19) {
            return false;
        }
        const uint64_t whole = binary.mantissa << binary.exponent;
        const uint64_t divisor = kPowersOfTen[-scale];
        digits = Uint128{0, whole / divisor};
        left = static_cast<double>(whole % divisor) / static_cast<double>(divisor);
        return true;
    }
    if (scale > kMaxPowerOfFive) {
        return false;
    }
    const Uint128 product = MultiplyPowerOfFive(binary.mantissa, scale);
    const int shift = binary.exponent + scale;
    if (shift >= 0) {
        if (BitLength(product) + shift > 127) {
            return false;
        }
        digits = ShiftLeft(product, shift);
        return true;
    }
    const int drop = -shift;
    if (drop >= 128) {
        digits = Uint128{};
        left = std::ldexp(ToDouble(product), -drop);
        return true;
    }
    digits = ShiftRight(product, drop);
    left = std::ldexp(ToDouble(LowBits(product, drop)), -drop);
    return true;
}

// True when the digits after the ones read (up to the conversion's 30th) could all be nines, so that
// the conversion's rounding might carry into the digits read.
bool NearConversionCarry(double left, int unreadDigits) {
    static constexpr double kMargins[] = {0.0,  2e-1, 2e-2,  2e-3,  2e-4,  2e-5,  2e-6,  2e-7,
                                          2e-8, 2e-9, 2e-10, 2e-11, 2e-12, 2e-13, 2e-14, 2e-15};
    return unreadDigits < 1 || unreadDigits > 15 || left >= 1.0 - kMargins[unreadDigits];
}

void AppendPadded(DigitText& out, uint64_t value, int width) {
    char buffer[24];
    char* end = buffer + sizeof(buffer);
    char* first = DecimalDigits(value, end);
    const size_t length = static_cast<size_t>(end - first);
    if (static_cast<int>(length) < width) {
        out.AppendRepeated('0', static_cast<size_t>(width) - length);
    }
    out.Append(first, length);
}

FastResult FixedPoint(const OVS_DATAFORMAT& format, int mode, const Binary& binary, DigitText& out) {
    const int decimals = format.wDecimals;
    if (decimals > kMaxFixedDecimals) {
        return FastResult::NotHandled;
    }
    const int scale = decimals + kRemainderDigits;
    uint64_t integerPart = 0;
    Uint128 scaled;
    double left = 0.0;
    if (binary.exponent >= 0) {
        if (BitLength(binary.mantissa) + binary.exponent > 62) {
            return FastResult::NotHandled;
        }
        integerPart = binary.mantissa << binary.exponent;
    } else {
        const int fractionBits = -binary.exponent;
        uint64_t fractionPart = binary.mantissa;
        if (fractionBits < 64) {
            integerPart = binary.mantissa >> fractionBits;
            fractionPart = binary.mantissa & ((uint64_t{1} << fractionBits) - 1);
        }
        const Binary fraction{fractionPart, binary.exponent, false};
        if (!ScaledDigits(fraction, scale, scaled, left)) {
            return FastResult::NotHandled;
        }
    }
    if (NearConversionCarry(left, kConversionDigits - scale)) {
        return FastResult::NotHandled;
    }
    uint64_t remainder = 0;
    uint64_t fraction = DivideSmallQuotient(scaled, kRemainderScale, &remainder);

    int kept = 0;
    if (integerPart > 0) {
        kept = DecimalDigitCount(integerPart) + decimals;
    } else if (fraction > 0 || remainder > 0) {
        const int significantDigits =
            fraction > 0 ? DecimalDigitCount(fraction) + kRemainderDigits : DecimalDigitCount(remainder);
        const int leadingZeros = scale - significantDigits;
        kept = decimals - leadingZeros > 0 ? decimals - leadingZeros : 0;
    }
    fraction += static_cast<uint64_t>(
        Carry(static_cast<double>(remainder) / static_cast<double>(kRemainderScale), Tolerance(kept), mode));
    if (fraction >= kPowersOfTen[decimals]) {
        fraction -= kPowersOfTen[decimals];
        ++integerPart;
    }
    if (binary.negative) {
        out.Append('-');
    }
    AppendPadded(out, integerPart, 1);
    if (decimals > 0) {
        out.Append('.');
        AppendPadded(out, fraction, decimals);
    }
    return FastResult::Done;
}

FastResult Significant(const OVS_DATAFORMAT& format, int mode, const Binary& binary, double magnitude,
                       char decimalPoint, DigitText& out) {
    const int kind = format.wKind;
    if (kind != 2 && format.wSignificantDigits == 0) {
        return FastResult::Failed;
    }
    const int m = kind == 2 ? format.wDecimals : format.wSignificantDigits - 1;
    if (m > kMaxMantissaDigits) {
        return FastResult::NotHandled;
    }
    const int digitsRead = m + 1 + kRemainderDigits;
    const Uint128 lowest = WidePowerOfTen(digitsRead - 1);
    const Uint128 beyond = WidePowerOfTen(digitsRead);
    int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    Uint128 digits;
    double left = 0.0;
    for (int attempt = 0;; ++attempt) {
        if (attempt == 3 || !ScaledDigits(binary, digitsRead - 1 - exponent, digits, left)) {
            return FastResult::NotHandled;
        }
        if (Less(digits, lowest)) {
            --exponent;
        } else if (!Less(digits, beyond)) {
            ++exponent;
        } else {
            break;
        }
    }
    if (NearConversionCarry(left, kConversionDigits - digitsRead)) {
        return FastResult::NotHandled;
    }
    uint64_t remainder = 0;
    const uint64_t kept = DivideSmallQuotient(digits, kRemainderScale, &remainder);
    int first = static_cast<int>(kept / kPowersOfTen[m]);
    uint64_t mantissa = kept % kPowersOfTen[m];
    mantissa += static_cast<uint64_t>(
        Carry(static_cast<double>(remainder) / static_cast<double>(kRemainderScale), Tolerance(m + 1), mode));
    if (mantissa >= kPowersOfTen[m]) {
        ++first;
        mantissa -= kPowersOfTen[m];
    }
    if (first >= 10) {
        first = 1;
        mantissa = 0;
        ++exponent;
    }
    char mantissaText[kMaxMantissaDigits + 1] = "";
    char* end = mantissaText + m;
    for (int i = 0; i < m; ++i, mantissa /= 10) {
        *--end = static_cast<char>('0' + mantissa % 10);
    }
    WriteSignificant(format, binary.negative, first, mantissaText, m, exponent, decimalPoint, out);
    return FastResult::Done;
}

} // namespace

FastResult FormatDigitsFast(const OVS_DATAFORMAT& format, int mode, double value, char decimalPoint,
                            DigitText& out) {
    const int kind = format.wKind;
    if (kind != 1 && kind != 2 && kind != 3 && kind != 4 && kind != 10) {
        return FastResult::NotHandled;
    }
    Binary binary;
    if (!Decompose(value, binary)) {
        return FastResult::NotHandled;
    }
    out.Clear();
    const FastResult result = kind == 1
                                  ? FixedPoint(format, mode, binary, out)
                                  : Significant(format, mode, binary, std::fabs(value), decimalPoint, out);
    if (result != FastResult::Done) {
        out.Clear();
    }
    return result;
}

} // namespace ovs::numbers
