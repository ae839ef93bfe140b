// Whether a text reads as a number, and comparisons with a tolerance given in decimals.
#include "crt_text.h"
#include "ovstoolseparators.h"

#include <cmath>
#include <string>

BOOL Tool_IsNumeric(LPCSTR szText) {
    if (szText == nullptr || szText[0] == '\0') {
        return FALSE;
    }
    // The appended "0" lets a text that ends in a point, a sign or an exponent mark count as numeric.
    const std::string copy = std::string(szText) + "0";
    char* end = nullptr;
    ovs::crt::ReadDouble(copy.c_str(), &end);
    return end == copy.c_str() + copy.size() ? TRUE : FALSE;
}

int Tool_CompareDouble(double dA, double dB, int nDecimals) {
    const double difference = dA - dB;
    const double tolerance = std::pow(10.0, -(static_cast<double>(nDecimals) + 1));
    if (tolerance > std::fabs(difference)) {
        return 0;
    }
    return difference < 0 ? -1 : 1;
}

int Tool_CompareFloat(float fA, float fB, int nDecimals) {
    const float difference = fA - fB;
    const float tolerance = static_cast<float>(std::pow(10.0, -(static_cast<double>(nDecimals) + 1)));
    if (tolerance > std::fabs(difference)) {
        return 0;
    }
    return difference < 0 ? -1 : 1;
}
