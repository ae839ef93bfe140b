// Pressure unit conversions, the file type codes of GC data files and the nearest value of a list.
#include "ovstoolgc.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>

namespace {

// kPa per unit of Tool_ConvertPressureUnit: kPa, bar, psi. The psi factor is held in single
// precision, so its double value is 6.894999980926514.
constexpr double kKpaPerUnit[] = {1.0, 100.0, static_cast<double>(6.895f)};

// How many units of Tool_ConvertPressureValue make 1 kgf/cm2: kgf/cm2, psi, MPa, bar, kPa.
constexpr double kUnitsPerKgfCm2[] = {1.0, 14.22334391, 0.09806649780269999, 0.9806650281,
                                      0.09806649780269999 * 1000.0};

template <size_t N>
bool KnownUnit(int code, const double (&)[N]) {
    return code >= 0 && static_cast<size_t>(code) < N;
}

struct GcFileType {
    const char* extension;
    WORD code;
};

// Searched in order: "cdf" must be met before the one-letter entry "c" that would also match it.
constexpr GcFileType kGcFileTypes[] = {{"gcd", 111}, {"gcm", 112}, {"gcb", 114}, {"gcr", 115}, {"cdf", 130},
                                       {"d", 120},   {"m", 121},   {"c", 122},   {"pdf", 52}};

constexpr WORD kKt4MethodType = 132;
constexpr WORD kKt4OtherType = 133;

// ASCII case folding only: extensions are compared the same way under every locale.
char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(const char* text, const char* lowerWord) {
    for (; *lowerWord != '\0'; ++text, ++lowerWord) {
        if (FoldAscii(*text) != *lowerWord) {
            return false;
        }
    }
    return *text == '\0';
}

const char* SkipDot(const char* extension) {
    return *extension == '.' ? extension + 1 : extension;
}

} // namespace

double Tool_ConvertPressureUnit(double dValue, WORD wFromUnit, WORD wToUnit) {
    if (wFromUnit == wToUnit || !KnownUnit(wFromUnit, kKpaPerUnit) || !KnownUnit(wToUnit, kKpaPerUnit)) {
        return dValue;
    }
    // Multiplying or dividing by the kPa factor 1 is exact, so every pair of units rounds as its own
    // one- or two-step formula does.
    return dValue * kKpaPerUnit[wFromUnit] / kKpaPerUnit[wToUnit];
}

double Tool_ConvertPressureValue(double dValue, short nFromUnit, short nToUnit) {
    if (nFromUnit == nToUnit) {
        return dValue;
    }
    if (!KnownUnit(nFromUnit, kUnitsPerKgfCm2) || !KnownUnit(nToUnit, kUnitsPerKgfCm2)) {
        return 0.0;
    }
    return dValue / kUnitsPerKgfCm2[nFromUnit] * kUnitsPerKgfCm2[nToUnit];
}

WORD Tool_GetGCFileType(LPCSTR szExtension) {
    if (szExtension == nullptr) {
        return 0;
    }
    const char* extension = SkipDot(szExtension);
    for (const GcFileType& type : kGcFileTypes) {
        const bool oneLetter = type.extension[1] == '\0';
        if (EqualsIgnoringCase(extension, type.extension) ||
            (oneLetter && FoldAscii(extension[0]) == type.extension[0])) {
            return type.code;
        }
    }
    return 0;
}

WORD Tool_GetGCFileTypeForKT4(LPCSTR szExtension) {
    if (szExtension == nullptr) {
        return kKt4OtherType;
    }
    return EqualsIgnoringCase(SkipDot(szExtension), "met") ? kKt4MethodType : kKt4OtherType;
}

LONG Tool_GetGCSettingParam(DWORD, DWORD, DWORD, DWORD) {
    return 0;
}

float Tool_GetNearValue_float(float fValue, const float* pfList, short nCount) {
    if (pfList == nullptr) {
        return 0.0f;
    }
    short nearest = 0;
    float nearestDistance = std::fabs(fValue - pfList[0]);
    for (short i = 1; i < nCount; ++i) {
        const float distance = std::fabs(fValue - pfList[i]);
        if (distance < nearestDistance) {
            nearest = i;
            nearestDistance = distance;
        }
    }
    return pfList[nearest];
}

short Tool_GetNearValue_short(short nValue, const short* pnList, short nCount) {
    if (pnList == nullptr) {
        return 0;
    }
    // The difference wraps to 16 bits: 32767 and -32768 lie 1 apart.
    const auto distance = [nValue](short element) { return std::abs(static_cast<short>(nValue - element)); };
    short nearest = 0;
    int nearestDistance = distance(pnList[0]);
    for (short i = 1; i < nCount; ++i) {
        const int d = distance(pnList[i]);
        if (d < nearestDistance) {
            nearest = i;
            nearestDistance = d;
        }
    }
    return pnList[nearest];
}
