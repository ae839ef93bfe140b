#include "rounding_printf.h"
#include "crt_text.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace ovs::numbers {

namespace {

constexpr unsigned kMaxPrecision = 100;

// The decimal exponent E with 1 <= |value| / 10^E < 10, starting from the runtime's "%e" text.
int DecimalExponent(double magnitude) {
    const std::string text = crt::Format("%e", magnitude);
    const size_t mark = text.find('e');
    int exponent = mark != std::string::npos ? std::atoi(text.c_str() + mark + 1) : 0;
    for (int step = 0; step < 8 && magnitude / std::pow(10.0, exponent) >= 10.0; ++step) {
        ++exponent;
    }
    for (int step = 0; step < 8 && magnitude / std::pow(10.0, exponent) < 1.0; ++step) {
        --exponent;
    }
    return exponent;
}

} // namespace

double RoundToDecimals(double value, unsigned precision, int mode) {
    const double scale = std::pow(10.0, static_cast<double>(precision));
    double scaled = std::fabs(value) * scale;
    if (mode == 2) {
        scaled += 0.9;
    }
    if (!std::isfinite(scaled)) {
        return value;
    }
    // Written with 15 significant digits and read back, to shed the binary noise of the product.
    const std::string text = crt::Format("%.14e", scaled);
    const double cleaned = crt::ReadDouble(text.c_str());
    const double result = std::trunc(cleaned) / scale;
    return value < 0 ? -result : result;
}

std::string FormatRoundingPrintf(unsigned precision, bool exponent, int mode, double value) {
    if (!_finite(value)) {
        value = 0.0;
    }
    if (precision > kMaxPrecision) {
        return std::string();
    }
    const std::string format =
        "%" + crt::Format(".%d", static_cast<int>(precision)) + (exponent ? "e" : "lf");
    double written = value;
    if (mode == 1 || mode == 2) {
        if (!exponent) {
            written = RoundToDecimals(value, precision, mode);
        } else if (value != 0.0) {
            const int power = DecimalExponent(std::fabs(value));
            const double scale = std::pow(10.0, power);
            written = RoundToDecimals(value / scale, precision, mode) * scale;
        }
    }
    std::string text = crt::Format(format.c_str(), written);
    crt::WidenExponent(text);
    return text;
}

} // namespace ovs::numbers
