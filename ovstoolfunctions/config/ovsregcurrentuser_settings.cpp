// The settings writer: the data formats and display modes of the caller's settings object, written
// as current-user values below the caller's root (and so, for the product root, into the policy
// cache). A value the object cannot give is deleted from the current-user hive instead.
#include "ovsregcurrentuser.h"
#include "current_user_values.h"
#include "data_format_names.h"

#include <cstdio>

using namespace ovs::settings;

namespace {

constexpr char kDataFormatTextFormat[] = "%d,%d,%d,%d";
constexpr char kOn[] = "1";
constexpr char kOff[] = "0";

bool Succeeded(HRESULT hr, LONG status) {
    return hr >= 0 && status >= 0;
}

void WriteDataFormat(LPCSTR root, const DataFormatName& format, IOVSSysProjSetting* settings) {
    LONG kind = 1;
    LONG decimals = 0;
    LONG significantDigits = 0;
    LONG fourthValue = 1;
    LONG status = 0;
    const HRESULT hr =
        settings->GetDataFormat(format.number, &kind, &decimals, &significantDigits, &fourthValue, &status);
    if (!Succeeded(hr, status)) {
        DeleteCurrentUserValue(root, kDataFormatKey, format.name);
        return;
    }
    // Kinds other than 2 and 3 become 1; kind 3 has no decimals; a fourth value outside 1 to 3 is
    // written as 1, the value the object's output starts with.
    const int recordKind = kind == 2 || kind == 3 ? static_cast<int>(kind) : 1;
    const int recordDecimals = recordKind == 3 ? 0 : static_cast<short>(static_cast<WORD>(decimals & 0xFFFF));
    const int recordDigits = static_cast<short>(static_cast<WORD>(significantDigits & 0xFFFF));
    const int recordFourth = fourthValue >= 1 && fourthValue <= 3 ? static_cast<int>(fourthValue) : 1;
    char text[64];
    std::snprintf(text, sizeof text, kDataFormatTextFormat, recordKind, recordDecimals, recordDigits,
                  recordFourth);
    Tool_WriteRegCurrentUserString(root, kDataFormatKey, format.name, text);
}

using ModeRead = HRESULT (STDMETHODCALLTYPE IOVSSysProjSetting::*)(LONG*, LONG*);

enum class Stored { OnOffText, OnOffInt, Int };

struct ModeRow {
    ModeRead read;
    LPCSTR subKey;
    LPCSTR valueName;
    Stored stored;
};

const ModeRow kModeRows[] = {
    {&IOVSSysProjSetting::GetAHFormatMode, kDataFormatKey, kAHFormatModeValue, Stored::OnOffText},
    {&IOVSSysProjSetting::GetTotalMode, kDataFormatKey, kTotalModeValue, Stored::OnOffText},
    {&IOVSSysProjSetting::GetDilutionFactor, kOptionKey, kDilutionFactorValue, Stored::OnOffInt},
    {&IOVSSysProjSetting::GetDefaultXAxisCalibCurve, kOptionKey, kDefaultXAxisCalibCurveValue, Stored::Int},
};

void WriteMode(LPCSTR root, const ModeRow& row, IOVSSysProjSetting* settings) {
    LONG value = 1;
    LONG status = 0;
    const HRESULT hr = (settings->*row.read)(&value, &status);
    if (!Succeeded(hr, status)) {
        DeleteCurrentUserValue(root, row.subKey, row.valueName);
        return;
    }
    switch (row.stored) {
        case Stored::OnOffText:
            Tool_WriteRegCurrentUserString(root, row.subKey, row.valueName, value != 0 ? kOn : kOff);
            break;
        case Stored::OnOffInt:
            Tool_WriteRegCurrentUserInt(root, row.subKey, row.valueName, value != 0 ? 1 : 0);
            break;
        case Stored::Int:
            Tool_WriteRegCurrentUserInt(root, row.subKey, row.valueName, static_cast<int>(value));
            break;
    }
}

} // namespace

BOOL Tool_WriteRegCurrentUserSysProjSetting(LPCSTR szRoot, IOVSSysProjSetting* pSettings) {
    if (szRoot == nullptr || pSettings == nullptr) {
        return TRUE;
    }
    for (const DataFormatName& format : kDataFormatNames) {
        WriteDataFormat(szRoot, format, pSettings);
    }
    for (const ModeRow& row : kModeRows) {
        WriteMode(szRoot, row, pSettings);
    }
    return TRUE;
}
