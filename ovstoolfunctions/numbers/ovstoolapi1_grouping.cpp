// Thousands separators: the first run of digits of a text, and formatted values grouped.
#include "crt_text.h"
#include "module_state.h"
#include "ovstoolnumberformat.h"
#include "ovstoolseparators.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kGroupingBufferSize = 1024;

char DecimalPoint() {
    return ovs::Module().decimalPoint[0];
}

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// The text grouped through the 1024-byte buffer; a text beyond that limit stays as it is.
std::string Grouped(const std::string& text) {
    if (text.size() >= static_cast<size_t>(kGroupingBufferSize)) {
        return text;
    }
    char buffer[kGroupingBufferSize];
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    Tool_PutComma(buffer, kGroupingBufferSize);
    return buffer;
}

// Adds one to the magnitude of an integer text ("-1" becomes "-2", "999" becomes "1000").
std::string IncrementMagnitude(std::string integer) {
    const size_t first = !integer.empty() && integer[0] == '-' ? 1 : 0;
    size_t at = integer.size();
    while (at > first) {
        --at;
        if (integer[at] != '9') {
            ++integer[at];
            return integer;
        }
        integer[at] = '0';
    }
    integer.insert(first, 1, '1');
    return integer;
}

} // namespace

void Tool_PutComma(LPSTR szText, int nBufferSize) {
    if (szText == nullptr) {
        return;
    }
    const int length = static_cast<int>(std::strlen(szText));
    if (length < 1) {
        return;
    }
    int start = 0;
    while (start < length && !IsDigit(szText[start])) {
        ++start;
    }
    if (start == length) {
        return;
    }
    int end = start;
    while (end < length && IsDigit(szText[end])) {
        ++end;
    }
    const int separators = (end - start - 1) / 3;
    if (separators == 0 || length + separators >= nBufferSize) {
        return;
    }
    const char separator = ovs::Module().thousandsSeparator[0];
    std::memmove(szText + end + separators, szText + end, static_cast<size_t>(length - end) + 1);
    // From the run's last digit toward its first, a separator after every third digit from the right.
    int to = end + separators - 1;
    for (int from = end - 1, right = 0; from >= start; --from, ++right) {
        if (right > 0 && right % 3 == 0) {
            szText[to--] = separator;
        }
        szText[to--] = szText[from];
    }
}

void Tool_PutCommaCString(CString& strText) {
    strText = Grouped(strText.GetString()).c_str();
}

void Tool_PutCommaCStringDouble(double dValue, short nDigits, CString& strText) {
    const int digits = nDigits > 0 ? nDigits : 0;
    if (digits == 0) {
        strText = Grouped(ovs::crt::Format("%.0f", dValue)).c_str();
        return;
    }
    const char decimalPoint = DecimalPoint();
    const std::string text = ovs::crt::Format("%.*f", digits, dValue);
    const size_t point = text.find(decimalPoint);
    std::string integer = text.substr(0, point);
    std::string fraction = point != std::string::npos ? text.substr(point + 1) : std::string();
    const std::string magnitude = !integer.empty() && integer[0] == '-' ? integer.substr(1) : integer;
    const int integerDigits = magnitude == "0" ? 0 : static_cast<int>(magnitude.size());
    int keep = digits - integerDigits;
    if (keep < 0) {
        fraction = "0";
        keep = 1;
    }
    if (keep >= 1 && keep < static_cast<int>(fraction.size()) && fraction.size() <= 8) {
        // Rounded half up on the decimal digits of a longer text.
        const std::string longer = ovs::crt::Format("%.*f", digits + 2, dValue);
        const size_t longerPoint = longer.find(decimalPoint);
        const std::string longerFraction =
            longerPoint != std::string::npos ? longer.substr(longerPoint + 1) : "";
        // The integer part comes from the same text, so that a carry that the shorter text already
        // made into it is not made twice.
        integer = longer.substr(0, longerPoint);
        const std::string head = longerFraction.substr(0, static_cast<size_t>(keep) + 1);
        const long value = std::atol(head.c_str());
        long kept = value / 10 + (head.size() == static_cast<size_t>(keep) + 1 && head.back() >= '5' ? 1 : 0);
        long limit = 1;
        for (int i = 0; i < keep; ++i) {
            limit *= 10;
        }
        if (kept >= limit) {
            kept = 0;
            integer = IncrementMagnitude(integer);
        }
        fraction = ovs::crt::Format("%0*ld", keep, kept);
    } else {
        fraction = fraction.substr(0, static_cast<size_t>(keep));
    }
    std::string result = Grouped(integer);
    if (!fraction.empty()) {
        result += decimalPoint;
        result += fraction;
    }
    strText = result.c_str();
}

void Tool_PutCommaCStringDoubleDecimal(const OVS_DATAFORMAT* pFormat, short nRoundMode, double dValue,
                                       CString& strText) {
    if (!Tool_GenerateValueStringByDataFormat(pFormat, nRoundMode, dValue, strText) || pFormat->wKind == 2) {
        return;
    }
    const std::string text = strText.GetString();
    const size_t point = text.find(DecimalPoint());
    if (pFormat->wDecimals == 0 || point == std::string::npos) {
        strText = Grouped(text).c_str();
        return;
    }
    strText = (Grouped(text.substr(0, point)) + text.substr(point)).c_str();
}
