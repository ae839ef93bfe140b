// The framework's automation support: the OLE exception and the OLE date-time value.
#pragma once

#include "afxexcept.h"
#include "afxstr.h"

#include <windows.h>
#include <oleauto.h>

// The platform headers define GetCurrentTime() as GetTickCount(), which would rename the member below.
#ifdef GetCurrentTime
#undef GetCurrentTime
#endif

// A failed component-library call, carrying its status code.
class AFX_API COleException : public CException {
public:
    explicit COleException(SCODE sc = S_OK) : m_sc(sc) {}
    // The status code that any framework exception stands for.
    static SCODE Process(const CException* pAnyException);
    BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;

    SCODE m_sc;
};

[[noreturn]] AFX_API void AfxThrowOleException(SCODE sc);
// Throws for a failed status: the memory exception for E_OUTOFMEMORY, an OLE exception otherwise.
AFX_API void AfxCheckError(SCODE sc);

// An automation date (days since 1899-12-30, the fraction the time of day) with a status.
class AFX_API COleDateTime {
public:
    enum DateTimeStatus { error = -1, valid = 0, invalid = 1, null = 2 };

    // The runtime clock's current time, broken down as local time, to the second.
    static COleDateTime GetCurrentTime();

    COleDateTime() noexcept : m_dt(0), m_status(valid) {}
    COleDateTime(DATE dtSrc) noexcept : m_dt(dtSrc), m_status(valid) {}
    // Seconds since 1970, broken down as local time; invalid when that fails.
    explicit COleDateTime(__time64_t timeSrc);
    COleDateTime(const SYSTEMTIME& systimeSrc);
    COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);

    COleDateTime& operator=(DATE dtSrc) noexcept;
    COleDateTime& operator=(const SYSTEMTIME& systimeSrc);

    DateTimeStatus GetStatus() const noexcept { return m_status; }
    void SetStatus(DateTimeStatus status) noexcept { m_status = status; }
    operator DATE() const noexcept { return m_dt; }

    // Year 100 to 9999 and a real day and time of day; returns 0 and makes the value valid, or
    // returns 1 and makes it invalid.
    int SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);
    int SetDate(int nYear, int nMonth, int nDay) { return SetDateTime(nYear, nMonth, nDay, 0, 0, 0); }
    int SetTime(int nHour, int nMin, int nSec) { return SetDateTime(1899, 12, 30, nHour, nMin, nSec); }

    // The broken-down value to the second; false for a value that is not valid.
    bool GetAsSystemTime(SYSTEMTIME& sysTime) const;
    // Parts of the value; -1 for a value that is not valid.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const; // 1 for Sunday

    // The platform's date-to-text conversion for the locale; "Invalid DateTime" for an invalid value
    // or a failed conversion, empty for a null value.
    CString Format(DWORD dwFlags = 0, LCID lcid = LANG_USER_DEFAULT) const;

    bool operator==(const COleDateTime& other) const noexcept {
        return m_status == other.m_status && m_dt == other.m_dt;
    }
    bool operator!=(const COleDateTime& other) const noexcept { return !(*this == other); }

    DATE m_dt;
    DateTimeStatus m_status;
};
