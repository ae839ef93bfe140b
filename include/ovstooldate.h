// Date values and time conversion. A stored date is an instant in universal time kept as the 8 bytes
// of a file time, written as 16 hexadecimal digits in a VT_BSTR variant, low byte first.
#pragma once

#include "ovstooldefs.h"
#include <afxdisp.h>
#include <afxstr.h>

#include <ctime>

// Encodes an automation date in local time. bNoDate gives a VT_BSTR with the empty text; a date that
// cannot be converted leaves an empty variant. When the text cannot be allocated the variant becomes
// VT_ERROR holding E_OUTOFMEMORY and the framework's memory exception is thrown.
OVSTOOL_API void Tool_EnCodeDateValue(double dDate, BOOL bNoDate, VARIANT* pvarOut);
// Decodes into local time. A variant that is not text, or an empty text, gives the current local time;
// bad digits, an odd count or fewer than 16 digits give status invalid. The variant is taken over and
// cleared, so pass a copy that you do not free yourself.
OVSTOOL_API void Tool_DeCodeDateValue(VARIANT varValue, COleDateTime* pOut);

// Conversions between universal and local time by the current time zone, with the zone's rules of
// the year in question (not those of today). FALSE as soon as a step fails.
OVSTOOL_API BOOL Tool_FileTimeToLocalSystemTime(const FILETIME* pUniversal, SYSTEMTIME* pLocal);
OVSTOOL_API BOOL Tool_FileTimeToLocalFileTime(const FILETIME* pUniversal, FILETIME* pLocal);
OVSTOOL_API BOOL Tool_LocalSystemTimeToFileTime(const SYSTEMTIME* pLocal, FILETIME* pUniversal);
OVSTOOL_API BOOL Tool_LocalFileTimeToFileTime(const FILETIME* pLocal, FILETIME* pUniversal);

// The runtime clock's current local time to the second; returns the value's status.
OVSTOOL_API COleDateTime::DateTimeStatus Tool_GetNow(COleDateTime* pOut);
// The format with every "%x" replaced by the short date and every "%X" by the time of t (seconds
// since 1970, shown in local time), both in the system's default locale.
OVSTOOL_API void Tool_MakeDateFormat(__time64_t t, LPCSTR szFormat, CString& strOut);
// The file time shown as it is (no time-zone conversion): style 1 the platform's date-to-text form
// for the user's locale, style 2 long date, a blank and the time; any other style empty.
OVSTOOL_API void Tool_ChangeDateTime(FILETIME ftValue, CString& strOut, WORD wStyle);
