#include "afxdisp.h"

#include <cmath>
#include <ctime>

namespace {

constexpr long long kSecondsPerDay = 86400;
constexpr char kInvalidDateTime[] = "Invalid DateTime";

// Days from 1899-12-30 to the given date of the proleptic Gregorian calendar.
long long DaysFromCivil(int year, int month, int day) {
    const int y = month <= 2 ? year - 1 : year;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const long long fromEpoch1970 = static_cast<long long>(era) * 146097 + dayOfEra - 719468;
    return fromEpoch1970 + 25569; // 1899-12-30 lies 25569 days before 1970-01-01
}

void CivilFromDays(long long days, int& year, int& month, int& day) {
    const long long z = days - 25569 + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long dayOfEra = z - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The automation date as whole seconds on a straight time line. Below 0 the integer part counts
// days back while the fraction still runs forward through that day, so -1.25 is 06:00 of the day
// before 1899-12-30; rounding to the second allows for the double's own error.
bool DateToSeconds(DATE dt, long long& seconds) {
    if (!std::isfinite(dt) || dt < -657434.0 || dt >= 2958466.0) {
        return false;
    }
    const double whole = std::trunc(dt);
    const double linear = whole + std::fabs(dt - whole);
    seconds = std::llround(linear * kSecondsPerDay);
    return true;
}

struct Broken {
    int year, month, day, hour, minute, second, dayOfWeek;
};

bool Break(const COleDateTime& value, Broken& out) {
    long long seconds = 0;
    if (value.GetStatus() != COleDateTime::valid || !DateToSeconds(value.m_dt, seconds)) {
        return false;
    }
    long long days = seconds / kSecondsPerDay;
    long long rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    CivilFromDays(days, out.year, out.month, out.day);
    out.hour = static_cast<int>(rest / 3600);
    out.minute = static_cast<int>(rest / 60 % 60);
    out.second = static_cast<int>(rest % 60);
    out.dayOfWeek = static_cast<int>(((days % 7) + 7 + 6) % 7) + 1; // 1899-12-30 was a Saturday
    return true;
}

// Owns a BSTR for the length of one conversion.
struct BstrOwner {
    BSTR text = nullptr;
    ~BstrOwner() { SysFreeString(text); }
};

} // namespace

COleDateTime COleDateTime::GetCurrentTime() {
    return COleDateTime(_time64(nullptr));
}

COleDateTime::COleDateTime(__time64_t timeSrc) : m_dt(0), m_status(valid) {
    struct tm local = {};
    if (_localtime64_s(&local, &timeSrc) != 0) {
        m_status = invalid;
        return;
    }
    SetDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec);
}

COleDateTime::COleDateTime(const SYSTEMTIME& systimeSrc) : m_dt(0), m_status(valid) {
    *this = systimeSrc;
}

COleDateTime::COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec)
    : m_dt(0), m_status(valid) {
    SetDateTime(nYear, nMonth, nDay, nHour, nMin, nSec);
}

COleDateTime& COleDateTime::operator=(DATE dtSrc) noexcept {
    m_dt = dtSrc;
    m_status = valid;
    return *this;
}

COleDateTime& COleDateTime::operator=(const SYSTEMTIME& systimeSrc) {
    SetDateTime(systimeSrc.wYear, systimeSrc.wMonth, systimeSrc.wDay, systimeSrc.wHour, systimeSrc.wMinute,
                systimeSrc.wSecond);
    return *this;
}

int COleDateTime::SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) {
    const bool ok = nYear >= 100 && nYear <= 9999 && nMonth >= 1 && nMonth <= 12 && nDay >= 1 &&
                    nDay <= DaysInMonth(nYear, nMonth) && nHour >= 0 && nHour <= 23 && nMin >= 0 &&
                    nMin <= 59 && nSec >= 0 && nSec <= 59;
    if (!ok) {
        m_dt = 0;
        m_status = invalid;
        return 1;
    }
    const long long days = DaysFromCivil(nYear, nMonth, nDay);
    const double fraction = (nHour * 3600.0 + nMin * 60.0 + nSec) / kSecondsPerDay;
    m_dt = days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
    m_status = valid;
    return 0;
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& sysTime) const {
    Broken parts;
    if (!Break(*this, parts)) {
        return false;
    }
    sysTime.wYear = static_cast<WORD>(parts.year);
    sysTime.wMonth = static_cast<WORD>(parts.month);
    sysTime.wDayOfWeek = static_cast<WORD>(parts.dayOfWeek - 1);
    sysTime.wDay = static_cast<WORD>(parts.day);
    sysTime.wHour = static_cast<WORD>(parts.hour);
    sysTime.wMinute = static_cast<WORD>(parts.minute);
    sysTime.wSecond = static_cast<WORD>(parts.second);
    sysTime.wMilliseconds = 0;
    return true;
}

int COleDateTime::GetYear() const {
    Broken parts;
    return Break(*this, parts) ? parts.year : -1;
}

int COleDateTime::GetMonth() const {
    Broken parts;
    return Break(*this, parts) ? parts.month : -1;
}

int COleDateTime::GetDay() const {
    Broken parts;
    return Break(*this, parts) ? parts.day : -1;
}

int COleDateTime::GetHour() const {
    Broken parts;
    return Break(*this, parts) ? parts.hour : -1;
}

int COleDateTime::GetMinute() const {
    Broken parts;
    return Break(*this, parts) ? parts.minute : -1;
}

int COleDateTime::GetSecond() const {
    Broken parts;
    return Break(*this, parts) ? parts.second : -1;
}

int COleDateTime::GetDayOfWeek() const {
    Broken parts;
    return Break(*this, parts) ? parts.dayOfWeek : -1;
}

CString COleDateTime::Format(DWORD dwFlags, LCID lcid) const {
    if (m_status == null) {
        return CString();
    }
    if (m_status != valid) {
        return CString(kInvalidDateTime);
    }
    BstrOwner text;
    if (FAILED(VarBstrFromDate(m_dt, lcid, dwFlags, &text.text))) {
        return CString(kInvalidDateTime);
    }
    return CString(static_cast<LPCWSTR>(text.text != nullptr ? text.text : L""));
}
