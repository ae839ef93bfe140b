#include "digit_engine.h"
#include "crt_text.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace ovs::numbers {

namespace {

constexpr double kDoubleEpsilon = 2.220446049250313e-16; // 2^-52
constexpr int kConversionDigits = 30;
constexpr int kRemainderDigits = 15;
constexpr int kMaxMantissaDigits = kConversionDigits - 1;

constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

double PowerOfTen(int k) {
    if (k >= 0 && k < static_cast<int>(sizeof(kExactPowers) / sizeof(kExactPowers[0]))) {
        return kExactPowers[k];
    }
    return std::pow(10.0, k);
}

// count digits of the conversion from index from on; places beyond its end read as zeros.
std::string Piece(const std::string& digits, long from, long count) {
    std::string piece;
    for (long i = from; i < from + count; ++i) {
        piece += i >= 0 && i < static_cast<long>(digits.size()) ? digits[static_cast<size_t>(i)] : '0';
    }
    return piece;
}

double ReadPiece(const std::string& piece) {
    return piece.empty() ? 0.0 : crt::ReadDouble(piece.c_str());
}

// The remainder digits as a fraction: "0", the process decimal point, the digits.
double ReadRemainder(const std::string& piece, char decimalPoint) {
    if (piece.empty()) {
        return 0.0;
    }
    std::string text = "0";
    text += decimalPoint;
    text += piece;
    return crt::ReadDouble(text.c_str());
}

bool AppendFormatted(DigitText& out, const char* format, int width, double value) {
    char buffer[DigitText::kSize];
    const int written = crt::FormatBuffer(buffer, sizeof(buffer), format, width, value);
    if (written < 0) {
        out.overflow = true;
        return false;
    }
    out.Append(buffer, static_cast<size_t>(written));
    return true;
}

// _fcvt with 30 fraction digits. Some runtimes hold its text in a short buffer and cut the digits of
// large values; those are then taken from the runtime's printf, which _fcvt is built on.
std::string FixedDigits(double value, int& decpt, int& sign) {
    const char* raw = _fcvt(value, kConversionDigits, &decpt, &sign);
    std::string digits = raw != nullptr ? raw : "";
    if (!std::isfinite(value) ||
        static_cast<long>(digits.size()) == static_cast<long>(decpt) + kConversionDigits) {
        return digits;
    }
    const std::string text = crt::Format("%.*f", kConversionDigits, std::fabs(value));
    size_t point = 0;
    while (point < text.size() && text[point] >= '0' && text[point] <= '9') {
        ++point;
    }
    const std::string integer = text.substr(0, point);
    const std::string fraction = point < text.size() ? text.substr(point + 1) : std::string();
    sign = std::signbit(value) ? 1 : 0;
    if (integer != "0") {
        decpt = static_cast<int>(integer.size());
        return integer + fraction;
    }
    const size_t zeros = fraction.find_first_not_of('0');
    if (zeros == std::string::npos) {
        decpt = 0;
        return fraction;
    }
    decpt = -static_cast<int>(zeros);
    return fraction.substr(zeros);
}

bool FixedPointExact(const OVS_DATAFORMAT& format, int mode, double value, char decimalPoint,
                     DigitText& out) {
    const int decimals = format.wDecimals;
    if (decimals > kConversionDigits) {
        return false;
    }
    int decpt = 0;
    int sign = 0;
    const std::string digits = FixedDigits(value, decpt, sign);

    double integerPart = 0.0;
    double fraction = 0.0;
    std::string remainder;
    int kept = 0;
    if (decpt >= 0) {
        integerPart = ReadPiece(Piece(digits, 0, decpt));
        fraction = ReadPiece(Piece(digits, decpt, decimals));
        remainder = Piece(digits, decpt + decimals, kRemainderDigits);
        kept = decpt + decimals;
    } else if (decpt + decimals >= 0) {
        const int n = decpt + decimals;
        fraction = ReadPiece(Piece(digits, 0, n));
        remainder = Piece(digits, n, kRemainderDigits);
        kept = n;
    } else {
        // The value lies entirely below the last kept digit: scaled so that digit is the unit.
        const int n = decpt + decimals;
        if (-n < kRemainderDigits) {
            remainder = std::string(static_cast<size_t>(-n), '0') + Piece(digits, 0, kRemainderDigits + n);
        }
    }
    fraction += Carry(ReadRemainder(remainder, decimalPoint), Tolerance(kept), mode);
    if (fraction >= PowerOfTen(decimals)) {
        integerPart += 1.0;
        fraction -= PowerOfTen(decimals);
    }
    if (sign != 0) {
        out.Append('-'); // a zero integer part keeps the sign: -0.00
    }
    AppendFormatted(out, "%.*lf", 0, integerPart);
    if (decimals > 0) {
        AppendFormatted(out, ".%0*.0lf", decimals, fraction);
    }
    return !out.overflow;
}

bool SignificantExact(const OVS_DATAFORMAT& format, int mode, double value, char decimalPoint,
                      DigitText& out) {
    const int kind = format.wKind;
    const int significant = format.wSignificantDigits;
    if (kind != 2 && significant == 0) {
        return false;
    }
    const int m = kind == 2 ? format.wDecimals : significant - 1;
    if (m > kMaxMantissaDigits) {
        return false;
    }
    if (value == 0.0) {
        std::string text =
            kind == 2 ? crt::Format("%*.*e", significant, m, value) : crt::Format("%.*g", significant, value);
        crt::WidenExponent(text);
        out.Append(text.c_str(), text.size());
        return !out.overflow;
    }
    int decpt = 0;
    int sign = 0;
    const char* raw = _ecvt(value, kConversionDigits, &decpt, &sign);
    const std::string digits = raw != nullptr ? raw : "";
    if (digits.empty()) {
        return false;
    }
    double first = digits[0] - '0';
    double mantissa = ReadPiece(Piece(digits, 1, m));
    const double remainder = ReadRemainder(Piece(digits, 1 + m, kRemainderDigits), decimalPoint);
    int exponent = decpt - 1;
    mantissa += Carry(remainder, Tolerance(m + 1), mode);
    if (mantissa >= PowerOfTen(m)) {
        first += 1.0;
        mantissa -= PowerOfTen(m);
    }
    if (first >= 10.0) {
        first = 1.0;
        mantissa = 0.0;
        exponent += 1;
    }
    char mantissaText[64] = "";
    if (m > 0 && crt::FormatBuffer(mantissaText, sizeof(mantissaText), "%0*.0lf", m, mantissa) != m) {
        return false;
    }
    WriteSignificant(format, sign != 0, static_cast<int>(first), mantissaText, m, exponent, decimalPoint,
                     out);
    return !out.overflow;
}

bool ProbeExactDigits() {
    int decpt = 0;
    int sign = 0;
    const char* fixed = _fcvt(2.675, kConversionDigits, &decpt, &sign);
    if (fixed == nullptr || std::strcmp(fixed, "2674999999999999822364316059975") != 0 || decpt != 1) {
        return false;
    }
    const char* significant = _ecvt(0.1, kConversionDigits, &decpt, &sign);
    return significant != nullptr && std::strcmp(significant, "100000000000000005551115123126") == 0 &&
           decpt == 0;
}

} // namespace

void DigitText::Append(const char* from, size_t count) {
    if (length + count < kSize) {
        std::memcpy(text + length, from, count);
        length += count;
        text[length] = '\0';
    } else {
        overflow = true;
    }
}

void DigitText::Append(const char* from) {
    Append(from, std::strlen(from));
}

void DigitText::AppendRepeated(char ch, size_t count) {
    if (length + count < kSize) {
        std::memset(text + length, ch, count);
        length += count;
        text[length] = '\0';
    } else {
        overflow = true;
    }
}

double Tolerance(int keptDigits) {
    return PowerOfTen(keptDigits < 0 ? 0 : keptDigits) * kDoubleEpsilon;
}

int Carry(double remainder, double tolerance, int mode) {
    if (remainder == 0.0) {
        return 0;
    }
    switch (mode) {
        case 1:
            return std::fabs(tolerance) > std::fabs(remainder - 0.5) || remainder > 0.5 ? 1 : 0;
        case 2:
            return std::fabs(tolerance) > std::fabs(remainder - 1.0) ? 1 : 0;
        case 3:
            return std::fabs(tolerance) > std::fabs(remainder - 0.1) || remainder > 0.1 ? 1 : 0;
        default:
            return 0;
    }
}

void WriteSignificant(const OVS_DATAFORMAT& format, bool negative, int firstDigit, const char* mantissa,
                      int m, int exponent, char decimalPoint, DigitText& out) {
    const int kind = format.wKind;
    const int significant = format.wSignificantDigits;
    const bool positional =
        kind == 10 || ((kind == 3 || kind == 4) && -5 < exponent && exponent < significant);
    size_t point = 0; // index of the decimal point written, 0 for none
    if (positional && exponent < 0) {
        out.Append(negative ? "-0" : "0");
        point = out.length;
        out.Append(decimalPoint);
        out.AppendRepeated('0', static_cast<size_t>(-exponent - 1));
        out.Append(static_cast<char>('0' + firstDigit));
        out.Append(mantissa, static_cast<size_t>(m));
    } else if (positional) {
        if (negative) {
            out.Append('-');
        }
        out.Append(static_cast<char>('0' + firstDigit));
        out.Append(mantissa, static_cast<size_t>(exponent < m ? exponent : m));
        if (exponent > m) {
            out.AppendRepeated('0', static_cast<size_t>(exponent - m)); // kind 10 only
        }
        if (m - exponent > 0) {
            point = out.length;
            out.Append(decimalPoint);
            out.Append(mantissa + exponent, static_cast<size_t>(m - exponent));
        }
    } else {
        if (negative) {
            out.Append('-');
        }
        out.Append(static_cast<char>('0' + firstDigit));
        if (m > 0) {
            point = out.length;
            out.Append('.');
            out.Append(mantissa, static_cast<size_t>(m));
        }
    }
    if (kind == 4 && point != 0 && !out.overflow) {
        while (out.length > point + 1 && out.text[out.length - 1] == '0') {
            --out.length;
        }
        if (out.length == point + 1) {
            --out.length; // the then bare decimal point
        }
        out.text[out.length] = '\0';
    }
    if (!positional) {
        char exponentText[8];
        const int magnitude = exponent < 0 ? -exponent : exponent;
        exponentText[0] = 'e';
        exponentText[1] = exponent < 0 ? '-' : '+';
        int at = 2;
        if (magnitude >= 1000) {
            exponentText[at++] = static_cast<char>('0' + magnitude / 1000 % 10);
        }
        exponentText[at++] = static_cast<char>('0' + magnitude / 100 % 10);
        exponentText[at++] = static_cast<char>('0' + magnitude / 10 % 10);
        exponentText[at++] = static_cast<char>('0' + magnitude % 10);
        out.Append(exponentText, static_cast<size_t>(at));
    }
}

bool FormatDigitsExact(const OVS_DATAFORMAT& format, int mode, double value, char decimalPoint,
                       DigitText& out) {
    out.Clear();
    bool ok = false;
    switch (format.wKind) {
        case 1:
            ok = FixedPointExact(format, mode, value, decimalPoint, out);
            break;
        case 2:
        case 3:
        case 4:
        case 10:
            ok = SignificantExact(format, mode, value, decimalPoint, out);
            break;
        case 5: {
            std::string text = crt::Format("%.7g", value);
            crt::WidenExponent(text);
            out.Append(text.c_str(), text.size());
            ok = !out.overflow;
            break;
        }
        default:
            break;
    }
    if (!ok) {
        out.Clear();
    }
    return ok;
}

bool RuntimeGivesExactDigits() {
    static const bool exact = ProbeExactDigits();
    return exact;
}

bool FormatDigits(const OVS_DATAFORMAT& format, int mode, double value, char decimalPoint, DigitText& out) {
    if (RuntimeGivesExactDigits()) {
        const FastResult fast = FormatDigitsFast(format, mode, value, decimalPoint, out);
        if (fast != FastResult::NotHandled) {
            return fast == FastResult::Done;
        }
    }
    return FormatDigitsExact(format, mode, value, decimalPoint, out);
}

} // namespace ovs::numbers
