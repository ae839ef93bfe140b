#include "ovstoolseparators.h"
#include "module_state.h"

#include <string>

namespace {

char DecimalPoint() {
    return ovs::Module().decimalPoint[0];
}

char ThousandsSeparator() {
    return ovs::Module().thousandsSeparator[0];
}

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// One pass over the text, stepping by characters of the process code page so that trail bytes are
// never read as characters: inside a number (begun by a digit or `point`), `point` becomes
// `newPoint`, `separator` becomes `newSeparator` when a digit follows, and any other character ends
// the number. The length never changes.
void ConvertNumbers(CString& text, char point, char newPoint, char separator, char newSeparator) {
    if (text.IsEmpty()) {
        return;
    }
    std::string copy(text.GetString(), static_cast<size_t>(text.GetLength()));
    char* at = copy.data();
    bool inNumber = false;
    while (*at != '\0') {
        char* next = CharNextA(at);
        const bool single = next == at + 1;
        const char ch = *at;
        if (!inNumber && single && (IsDigit(ch) || ch == point)) {
            inNumber = true;
        }
        if (inNumber) {
            if (single && ch == point) {
                *at = newPoint;
            } else if (single && ch == separator) {
                if (IsDigit(*next)) {
                    *at = newSeparator;
                }
            } else if (!single || !IsDigit(ch)) {
                inNumber = false;
            }
        }
        if (next == at) {
            break;
        }
        at = next;
    }
    text = CString(copy.c_str(), static_cast<int>(copy.size()));
}

} // namespace

CString Tool_GetStringDecimalPoint() {
    return CString(ovs::Module().decimalPoint);
}

CString Tool_GetStringThousandsSep() {
    return CString(ovs::Module().thousandsSeparator);
}

void Tool_ReplacePeriod2DecimalPoint(CString& strText) {
    if (DecimalPoint() != '.') {
        strText.Replace('.', DecimalPoint());
    }
}

void Tool_ReplacePeriod2DecimalPointLPTSTR(LPSTR szText) {
    if (szText == nullptr || DecimalPoint() == '.') {
        return;
    }
    for (char* at = szText; *at != '\0'; ++at) {
        if (*at == '.') {
            *at = DecimalPoint();
        }
    }
}

void Tool_ReplaceDecimalPoint2Period(CString& strText) {
    if (DecimalPoint() != '.') {
        strText.Replace(DecimalPoint(), '.');
    }
}

void Tool_ReplaceMacroCaltureLocal2US(CString& strText) {
    if (DecimalPoint() == '.' && ThousandsSeparator() == ',') {
        return;
    }
    ConvertNumbers(strText, DecimalPoint(), '.', ThousandsSeparator(), ',');
}

void Tool_ReplaceMacroCaltureUS2Local(CString& strText) {
    if (DecimalPoint() == '.' && ThousandsSeparator() == ',') {
        return;
    }
    ConvertNumbers(strText, '.', DecimalPoint(), ',', ThousandsSeparator());
}
