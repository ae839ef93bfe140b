// Coded results and labels as texts of the user's language, loaded from the resource text module.
#include "ovstoolreporttext.h"
#include "ovsres.h"

#include <algorithm>
#include <iterator>

namespace {

// Option passed to the text module by every call that has none of its caller's.
constexpr UINT kDefaultOption = 1;

struct CodedText {
    WORD code;
    UINT textId;
    WORD attribute;
};

constexpr CodedText kBatchActions[] = {
    {1, 2394, 3}, {2, 2395, 3}, {3, 2396, 3}, {4, 2397, 3},  {6, 2399, 4},
    {7, 2400, 3}, {8, 2401, 3}, {9, 2402, 3}, {10, 2403, 3},
};

constexpr CodedText kBatchTargets[] = {
    {1, 2373, 3},  {2, 2374, 3},  {3, 2375, 3},  {4, 2376, 3},  {5, 2377, 3},  {6, 2378, 3},  {7, 2379, 3},
    {8, 2380, 3},  {9, 2381, 2},  {10, 2382, 3}, {15, 2383, 2}, {20, 2384, 3}, {21, 2385, 3}, {22, 2386, 3},
    {25, 2387, 3}, {26, 2388, 3}, {30, 2389, 3}, {31, 2390, 3}, {32, 2391, 3},
};

// Function codes 1 to 8.
constexpr UINT kFunctionTexts[] = {864, 865, 866, 867, 869, 898, 896, 897};

constexpr UINT kTypeText1 = 33488;
constexpr UINT kTypeText2 = 33489;
constexpr UINT kTypeTextOther = 33490;
constexpr UINT kTypeText4 = 33491;

constexpr UINT kSetModeText = 33492;
constexpr UINT kPlainModeText = 33493;
constexpr UINT kModeQualifierText = 33494;
constexpr DWORD kSetModeFlag1 = 0x8000;
constexpr DWORD kSetModeFlag2 = 0x200;
constexpr DWORD kQualifiedModeFlags1 = 0x10040;

// Sample types 0 to 6.
constexpr UINT kSampleTypeTexts[] = {8212, 8213, 8214, 8215, 8216, 8270, 273};

constexpr UINT kPurityFirstText = 8442;
constexpr UINT kPuritySecondText = 8443;
constexpr double kPurityFirstValue = 3.0;
constexpr double kPuritySecondValue = 2.0;
// With no decimals the special values are written as whole numbers scaled by a million.
constexpr double kPurityWholeScale = 1000000.0;
constexpr char kDecimalsFormat[] = "%%.%df";

constexpr char kJudgementSeparator[] = ";";
constexpr char kQualifierOpen[] = "(";
constexpr char kQualifierClose[] = ")";

CString LoadText(UINT textId) {
    CString text;
    RES_LoadString(textId, text, kDefaultOption);
    return text;
}

WORD LoadCodedText(const CodedText* first, const CodedText* last, WORD code, CString& out, LONG option) {
    out.Empty();
    const CodedText* row =
        std::find_if(first, last, [code](const CodedText& entry) { return entry.code == code; });
    if (row == last) {
        return 0;
    }
    RES_LoadString(row->textId, out, static_cast<UINT>(option));
    return row->attribute;
}

} // namespace

void Tool_GetJudgementString(CString& strOut, WORD wLimitFlags, WORD wFlagsA, LONG lFlagsB, double dValue,
                             double dLimit1, double dLimit2) {
    // A comparison with a NaN value is false, so such a value adds no limit text.
    const struct {
        bool holds;
        UINT textId;
    } judgements[] = {
        {(wFlagsA & 0x08) != 0, 1206},
        {(wFlagsA & 0x20) != 0, 1207},
        {(lFlagsB & 0x20) != 0, 1209},
        {(lFlagsB & 0x40) != 0, 1208},
        {(lFlagsB & 0x80) != 0, 1226},
        {(lFlagsB & 0x100) != 0, 1225},
        {(wLimitFlags & 0x01) != 0 && dLimit1 > dValue, 1210},
        {(wLimitFlags & 0x02) != 0 && dLimit2 > dValue, 1211},
    };
    CString joined;
    for (const auto& judgement : judgements) {
        if (judgement.holds) {
            if (!joined.IsEmpty()) {
                joined += kJudgementSeparator;
            }
            joined += LoadText(judgement.textId);
        }
    }
    strOut = joined;
}

void Tool_GetPurityResultString(double dValue, int nDecimals, CString& strOut) {
    const double scale = nDecimals == 0 ? kPurityWholeScale : 1.0;
    if (dValue == kPurityFirstValue * scale) {
        strOut = LoadText(kPurityFirstText);
    } else if (dValue == kPuritySecondValue * scale) {
        strOut = LoadText(kPuritySecondText);
    } else {
        CString format;
        format.Format(kDecimalsFormat, nDecimals < 0 ? 0 : nDecimals);
        strOut.Format(format, dValue);
    }
}

WORD Tool_GetBatchActionStr(WORD wCode, CString& strOut, LONG lOption) {
    return LoadCodedText(std::begin(kBatchActions), std::end(kBatchActions), wCode, strOut, lOption);
}

WORD Tool_GetBatchTargetStr(WORD wCode, CString& strOut, LONG lOption) {
    return LoadCodedText(std::begin(kBatchTargets), std::end(kBatchTargets), wCode, strOut, lOption);
}

CString Tool_GetFunctionString(short nCode) {
    if (nCode < 1 || nCode > static_cast<short>(std::size(kFunctionTexts))) {
        return CString();
    }
    return LoadText(kFunctionTexts[nCode - 1]);
}

CString Tool_GetModeString(DWORD dwFlags1, DWORD dwFlags2) {
    const bool setMode = (dwFlags1 & kSetModeFlag1) != 0 || (dwFlags2 & kSetModeFlag2) != 0;
    CString text = LoadText(setMode ? kSetModeText : kPlainModeText);
    if ((dwFlags1 & kQualifiedModeFlags1) != 0) {
        text += kQualifierOpen + LoadText(kModeQualifierText) + kQualifierClose;
    }
    return text;
}

CString Tool_GetTypeString(short nCode) {
    switch (nCode) {
        case 1:
            return LoadText(kTypeText1);
        case 2:
            return LoadText(kTypeText2);
        case 4:
            return LoadText(kTypeText4);
        default:
            return LoadText(kTypeTextOther);
    }
}

int Tool_GetSampleTypeName(int nIndex, CString& strOut) {
    if (nIndex < 0 || nIndex >= static_cast<int>(std::size(kSampleTypeTexts))) {
        strOut.Empty(); // no such sample type: nothing is loaded
        return 0;
    }
    return RES_LoadString(kSampleTypeTexts[nIndex], strOut, kDefaultOption);
}
