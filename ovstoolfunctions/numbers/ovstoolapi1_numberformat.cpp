// Numbers to text by the data-format record and rounding mode; text numbers rounded and counted.
#include "ovstoolnumberformat.h"
#include "crt_text.h"
#include "data_format_source.h"
#include "digit_engine.h"
#include "module_state.h"
#include "rounding_printf.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

char DecimalPoint() {
    return ovs::Module().decimalPoint[0];
}

void ReplacePeriods(char* text, size_t length, char decimalPoint) {
    if (decimalPoint == '.') {
        return;
    }
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '.') {
            text[i] = decimalPoint;
        }
    }
}

// The rounding-printf engine's precision, notation and mode for a record and a caller's mode.
std::string FormatByRoundingPrintf(const OVS_DATAFORMAT& format, int mode, double value) {
    unsigned precision = format.wDecimals;
    bool exponent = false;
    switch (format.wKind) {
        case 2:
            exponent = true;
            break;
        case 3:
        case 4:
        case 5:
            exponent = true;
            precision = static_cast<WORD>(format.wSignificantDigits - 1);
            break;
        default:
            break;
    }
    const int engineMode = mode == 2 ? 1 : mode == 3 ? 2 : 3;
    return ovs::numbers::FormatRoundingPrintf(precision, exponent, engineMode, value);
}

// "%.<digits>e" of the value, counted as a number in exponent notation needs, capped at digits.
int CountDecimalsInExponentForm(double value, int digits) {
    const std::string format = ovs::crt::Format("%%.%de", digits);
    const std::string text = ovs::crt::Format(format.c_str(), value);
    const int count = Tool_CalcNumOfDecimalsString(text.c_str());
    return count > digits ? digits : count;
}

constexpr int kValueStringSize = 32;
// Longest _gcvt text for a digit count: sign, point, digits and "e-308" with the terminator.
constexpr int kMaxValueStringDigits = kValueStringSize - 9;

} // namespace

BOOL Tool_GetRegDataFormat2(LPCSTR szValueName, LPCSTR szDefault, OVS_DATAFORMAT* pFormat) {
    if (pFormat == nullptr) {
        return FALSE;
    }
    *pFormat = OVS_DATAFORMAT{};
    char text[256];
    ovs::numbers::ReadDataFormatText(szValueName, szDefault, text);
    WORD* fields[] = {&pFormat->wKind, &pFormat->wDecimals, &pFormat->wSignificantDigits, &pFormat->wFourth};
    const char* token = text;
    for (WORD* field : fields) {
        *field = static_cast<WORD>(std::atoi(token));
        const char* comma = std::strchr(token, ',');
        if (comma == nullptr) {
            break;
        }
        token = comma + 1;
    }
    ovs::numbers::LoadRoundingSwitch();
    return TRUE;
}

BOOL Tool_GenerateValueStringByDataFormat(const OVS_DATAFORMAT* pFormat, short nRoundMode, double dValue,
                                          CString& strText) {
    if (pFormat == nullptr || pFormat->wKind == 0) {
        return FALSE;
    }
    const char decimalPoint = DecimalPoint();
    if (ovs::numbers::RoundingSwitch() == 1) {
        std::string text = FormatByRoundingPrintf(*pFormat, nRoundMode, dValue);
        ReplacePeriods(text.data(), text.size(), decimalPoint);
        strText = CString(text.c_str(), static_cast<int>(text.size()));
        return TRUE;
    }
    ovs::numbers::DigitText out;
    const bool ok = ovs::numbers::FormatDigits(*pFormat, nRoundMode, dValue, decimalPoint, out);
    ReplacePeriods(out.text, out.length, decimalPoint);
    strText = CString(out.text, static_cast<int>(out.length));
    return ok ? TRUE : FALSE;
}

void Tool_GenerateValueString(double dValue, int nDigits, CString& strText) {
    if (nDigits < 0 || nDigits > kMaxValueStringDigits) {
        strText.Empty(); // the text could not be held in the conversion's buffer
        return;
    }
    char text[kValueStringSize] = "";
    _gcvt(dValue, nDigits, text);
    const char decimalPoint = DecimalPoint();
    const char* point = std::strchr(text, decimalPoint);
    if (point == nullptr) {
        strText = text;
        return;
    }
    const bool negative = text[0] == '-';
    int limit = nDigits + 1 + (negative ? 1 : 0);
    const int pointIndex = static_cast<int>(point - text);
    if (pointIndex == (negative ? 2 : 1) && text[pointIndex - 1] == '0') {
        ++limit; // a lone "0" before the point is not a significant digit
    }
    std::string exponentPart;
    for (int i = pointIndex + 1; i <= limit; ++i) {
        if (text[i] == '\0' || text[i] == 'e') {
            if (text[i] == 'e') {
                exponentPart = text + i;
            }
            for (int fill = i; fill <= limit; ++fill) {
                text[fill] = '0';
            }
            break;
        }
    }
    text[limit] = '\0';
    strText = (std::string(text) + exponentPart).c_str();
}

void Tool_GenerateValueStringForf(double dValue, CString& strText) {
    char text[kValueStringSize] = "";
    _gcvt(dValue, 7, text);
    const size_t length = std::strlen(text);
    strText = text;
    if (length > 0 && text[length - 1] == DecimalPoint()) {
        strText += "0";
    }
}

BOOL Tool_RoundOffString(CString& strText, int nPosition) {
    CString trimmed = strText;
    trimmed.Trim();
    char number[256];
    if (trimmed.GetLength() >= static_cast<int>(sizeof(number))) {
        return FALSE;
    }
    std::strcpy(number, trimmed.GetString());
    const bool negative = number[0] == '-';
    char* digits = number + (negative ? 1 : 0);
    const char decimalPoint = DecimalPoint();
    char* point = nullptr;
    for (char* at = digits; *at != '\0'; ++at) {
        if (*at == decimalPoint && point == nullptr) {
            point = at;
        } else if (*at < '0' || *at > '9') {
            return FALSE;
        }
    }
    if (point == nullptr || nPosition < 1 || static_cast<int>(std::strlen(point + 1)) < nPosition) {
        return FALSE;
    }
    const char deciding = point[nPosition];
    point[nPosition] = '\0'; // keeps position - 1 fraction digits
    if (deciding < '5') {
        strText = number;
        return TRUE;
    }
    double step = 1.0;
    for (int i = 0; i < nPosition - 1; ++i) {
        step /= 10;
    }
    double value = ovs::crt::ReadDouble(number);
    value += negative ? -step : step;
    const std::string format = ovs::crt::Format("%%1.%df", nPosition - 1);
    strText = ovs::crt::Format(format.c_str(), value).c_str();
    return TRUE;
}

int Tool_CalcNumOfDecimalsString(LPCSTR szText) {
    if (szText == nullptr) {
        return 0;
    }
    const char* mark = std::strchr(szText, 'e');
    if (mark == nullptr) {
        return 0;
    }
    const int exponent = std::atoi(mark + 1);
    const int length = static_cast<int>(mark - szText);
    int count = 0;
    for (int i = length - 1; i >= 1; --i) {
        if (szText[i] != '0') {
            count = szText[0] == '-' ? i - 2 : i - 1;
            break;
        }
    }
    const int decimals = count - exponent;
    return decimals > 0 ? decimals : 0;
}

int Tool_CalcNumOfDecimalsDouble(double dValue) {
    return CountDecimalsInExponentForm(dValue, 15);
}

int Tool_CalcNumOfDecimalsFloat(float fValue) {
    return CountDecimalsInExponentForm(static_cast<double>(fValue), 6);
}
