// Date values: encoding and decoding of the stored text form, the current time and date texts.
#include "ovstooldate.h"
#include "callframe.h"
#include "date_value_text.h"

#include <ctime>
#include <string>

namespace {

constexpr char kShortDatePlaceholder[] = "%x";
constexpr char kTimePlaceholder[] = "%X";
constexpr int kFormatBuffer = 100;
constexpr int kChangeBuffer = 32;

// Takes a caller's by-value variant over and clears it on every road out.
class ClearOnExit {
public:
    explicit ClearOnExit(VARIANT& value) : m_value(value) {}
    ~ClearOnExit() { VariantClear(&m_value); }
    ClearOnExit(const ClearOnExit&) = delete;
    ClearOnExit& operator=(const ClearOnExit&) = delete;

private:
    VARIANT& m_value;
};

std::string Narrow(BSTR text) {
    const int length = static_cast<int>(SysStringLen(text));
    if (length == 0) {
        return std::string();
    }
    const int bytes = WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return std::string();
    }
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, narrow.data(), bytes, nullptr, nullptr);
    return narrow;
}

// The text widened by the thread's code page; null when it cannot be allocated.
BSTR Widen(const std::string& text) {
    const int length = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0);
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(wide));
    if (result != nullptr && wide > 0) {
        MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, result, wide);
    }
    return result;
}

bool SameToTheSecond(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

void SetCurrentLocalTime(COleDateTime& out) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    out.SetDateTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

// The runtime clock's seconds since 1970 as local time, within the runtime's own range for them
// (1970 to the end of 3000). The zone comes from the platform's rules for the year of the moment,
// as for every other conversion here, rather than from the runtime's reading of a TZ variable,
// which can disagree with the platform's zone.
bool BreakDownLocal(__time64_t t, SYSTEMTIME& local) {
    constexpr __time64_t kLastSecond = 32535215999; // 3000-12-31 23:59:59
    constexpr ULONGLONG kTicksPerSecond = 10000000;
    constexpr ULONGLONG kTicksTo1970 = 116444736000000000;
    if (t < 0 || t > kLastSecond) {
        return false;
    }
    const ULONGLONG ticks = static_cast<ULONGLONG>(t) * kTicksPerSecond + kTicksTo1970;
    FILETIME universal;
    universal.dwLowDateTime = static_cast<DWORD>(ticks);
    universal.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    if (!Tool_FileTimeToLocalSystemTime(&universal, &local)) {
        return false;
    }
    local.wMilliseconds = 0;
    return true;
}

void ReplaceAll(CString& text, LPCSTR placeholder, LPCSTR replacement) {
    if (text.Find(placeholder) >= 0) {
        text.Replace(placeholder, replacement);
    }
}

} // namespace

void Tool_EnCodeDateValue(double dDate, BOOL bNoDate, VARIANT* pvarOut) {
    OVS_REQUIRE_ARG("Tool_EnCodeDateValue", pvarOut != nullptr, );
    VariantClear(pvarOut);
    if (bNoDate) {
        VariantChangeType(pvarOut, pvarOut, 0, VT_BSTR);
        return;
    }
    SYSTEMTIME local;
    FILETIME universal;
    if (!COleDateTime(dDate).GetAsSystemTime(local) || !Tool_LocalSystemTimeToFileTime(&local, &universal)) {
        return;
    }
    BSTR text = Widen(ovs::DateValueText(universal));
    if (text == nullptr) {
        pvarOut->vt = VT_ERROR;
        pvarOut->scode = E_OUTOFMEMORY;
        AfxThrowMemoryException();
    }
    pvarOut->vt = VT_BSTR;
    pvarOut->bstrVal = text;
}

void Tool_DeCodeDateValue(VARIANT varValue, COleDateTime* pOut) {
    ClearOnExit clear(varValue);
    OVS_REQUIRE_ARG("Tool_DeCodeDateValue", pOut != nullptr, );
    if (varValue.vt != VT_BSTR || SysStringLen(varValue.bstrVal) == 0) {
        SetCurrentLocalTime(*pOut);
        return;
    }
    FILETIME universal;
    SYSTEMTIME local;
    if (!ovs::ParseDateValueText(Narrow(varValue.bstrVal).c_str(), universal) ||
        !Tool_FileTimeToLocalSystemTime(&universal, &local) ||
        pOut->SetDateTime(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond) !=
            0) {
        pOut->SetStatus(COleDateTime::invalid);
        return;
    }
    SYSTEMTIME back;
    if (!pOut->GetAsSystemTime(back) || !SameToTheSecond(back, local)) {
        pOut->SetStatus(COleDateTime::invalid);
    }
}

COleDateTime::DateTimeStatus Tool_GetNow(COleDateTime* pOut) {
    OVS_REQUIRE_ARG("Tool_GetNow", pOut != nullptr, COleDateTime::invalid);
    SYSTEMTIME local;
    if (BreakDownLocal(_time64(nullptr), local)) {
        pOut->SetDateTime(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
    } else {
        pOut->SetStatus(COleDateTime::invalid);
    }
    return pOut->GetStatus();
}

void Tool_MakeDateFormat(__time64_t t, LPCSTR szFormat, CString& strOut) {
    strOut = szFormat;
    SYSTEMTIME moment = {};
    if (!BreakDownLocal(t, moment)) {
        // A moment the platform formatting refuses, so that both texts come out empty.
        moment = SYSTEMTIME();
        moment.wHour = moment.wMinute = moment.wSecond = static_cast<WORD>(-1);
    }
    if (strOut.Find(kShortDatePlaceholder) >= 0) {
        char date[kFormatBuffer] = {};
        if (GetDateFormatA(LOCALE_SYSTEM_DEFAULT, DATE_SHORTDATE, &moment, nullptr, date, kFormatBuffer) ==
            0) {
            date[0] = '\0';
        }
        ReplaceAll(strOut, kShortDatePlaceholder, date);
    }
    if (strOut.Find(kTimePlaceholder) >= 0) {
        char time[kFormatBuffer] = {};
        if (GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, 0, &moment, nullptr, time, kFormatBuffer) == 0) {
            time[0] = '\0';
        }
        ReplaceAll(strOut, kTimePlaceholder, time);
    }
}

void Tool_ChangeDateTime(FILETIME ftValue, CString& strOut, WORD wStyle) {
    SYSTEMTIME moment = {};
    const bool broken = FileTimeToSystemTime(&ftValue, &moment) != FALSE;
    strOut.Empty();
    if (!broken) {
        return;
    }
    if (wStyle == 1) {
        COleDateTime value;
        if (value.SetDateTime(moment.wYear, moment.wMonth, moment.wDay, moment.wHour, moment.wMinute,
                              moment.wSecond) == 0) {
            strOut = value.Format(0, LOCALE_USER_DEFAULT);
        }
    } else if (wStyle == 2) {
        char date[kChangeBuffer] = {};
        char time[kChangeBuffer] = {};
        if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &moment, nullptr, date, kChangeBuffer) == 0) {
            date[0] = '\0';
        }
        if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &moment, nullptr, time, kChangeBuffer) == 0) {
            time[0] = '\0';
        }
        strOut = date;
        strOut += " ";
        strOut += time;
    }
}
