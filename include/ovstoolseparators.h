// The process decimal point and thousands separator, fixed from the user's locale at module start;
// period and local notation, digit grouping, and numeric tests and tolerant comparisons.
#pragma once

#include "ovsdataformat.h"
#include "ovstooldefs.h"
#include <afxstr.h>

OVSTOOL_API CString Tool_GetStringDecimalPoint();
OVSTOOL_API CString Tool_GetStringThousandsSep();

OVSTOOL_API void Tool_ReplacePeriod2DecimalPoint(CString& strText);
OVSTOOL_API void Tool_ReplacePeriod2DecimalPointLPTSTR(LPSTR szText);
OVSTOOL_API void Tool_ReplaceDecimalPoint2Period(CString& strText);
// Numbers inside a text between the local notation and period notation (double-byte aware).
OVSTOOL_API void Tool_ReplaceMacroCaltureLocal2US(CString& strText);
OVSTOOL_API void Tool_ReplaceMacroCaltureUS2Local(CString& strText);

// Thousands separators into the first run of digits, in place; nothing when it would not fit.
OVSTOOL_API void Tool_PutComma(LPSTR szText, int nBufferSize);
OVSTOOL_API void Tool_PutCommaCString(CString& strText);
OVSTOOL_API void Tool_PutCommaCStringDouble(double dValue, short nDigits, CString& strText);
OVSTOOL_API void Tool_PutCommaCStringDoubleDecimal(const OVS_DATAFORMAT* pFormat, short nRoundMode,
                                                   double dValue, CString& strText);

OVSTOOL_API BOOL Tool_IsNumeric(LPCSTR szText);
// -1, 0 or 1; equal when the difference is below 10^-(decimals + 1).
OVSTOOL_API int Tool_CompareDouble(double dA, double dB, int nDecimals);
OVSTOOL_API int Tool_CompareFloat(float fA, float fB, int nDecimals);
