// The digit engine: a double becomes text by a data-format record, rounding on the decimal digits of
// the value and allowing for the double's own error at every rounding boundary.
#pragma once

#include "ovsdataformat.h"

#include <cstddef>

namespace ovs::numbers {

// Output of the engine: any finite double in kind 1 with up to 30 decimals fits.
struct DigitText {
    static constexpr size_t kSize = 372;
    char text[kSize];
    size_t length = 0;
    bool overflow = false;

    void Clear() {
        length = 0;
        overflow = false;
        text[0] = '\0';
    }
    void Append(char ch) {
        if (length + 1 < kSize) {
            text[length++] = ch;
            text[length] = '\0';
        } else {
            overflow = true;
        }
    }
    void Append(const char* from, size_t count);
    void Append(const char* from);
    void AppendRepeated(char ch, size_t count);
};

// 10^k times the double epsilon: how far a remainder may lie from a boundary and still count as on it.
double Tolerance(int keptDigits);
// 1 when the remainder r (0 <= r < 1, the digits beyond the last kept one) carries into it.
int Carry(double remainder, double tolerance, int mode);

// Formats with the exact algorithm on the runtime's 30-digit conversions (_fcvt, _ecvt, atof).
// False, with an empty text, for an unsupported kind or digit count.
bool FormatDigitsExact(const OVS_DATAFORMAT& format, int mode, double value, char decimalPoint,
                       DigitText& out);

enum class FastResult { Done, Failed, NotHandled };
// The same results for the common cases, from the double's exact binary value; NotHandled when the
// exact algorithm must decide (zero, non-finite, very large or small values, many digits, or digits so
// close to a boundary of the 30-digit conversion that its rounding could matter).
FastResult FormatDigitsFast(const OVS_DATAFORMAT& format, int mode, double value, char decimalPoint,
                            DigitText& out);

// Fast path first, the exact algorithm where it does not decide.
bool FormatDigits(const OVS_DATAFORMAT& format, int mode, double value, char decimalPoint, DigitText& out);

// The layout shared by both paths for kinds 2, 3, 4 and 10: sign, first digit, the m further
// mantissa digits (text of m characters) and the decimal exponent, after the carry.
void WriteSignificant(const OVS_DATAFORMAT& format, bool negative, int firstDigit, const char* mantissa,
                      int m, int exponent, char decimalPoint, DigitText& out);

// Whether the fast path may be used at all: the runtime's conversions must give exact digits.
bool RuntimeGivesExactDigits();

} // namespace ovs::numbers
