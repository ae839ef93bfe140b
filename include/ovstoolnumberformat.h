// Numbers to text by the data-format record and the rounding mode, and digit counting.
#pragma once

#include "ovsdataformat.h"
#include "ovstooldefs.h"
#include <afxstr.h>

// Rounding modes of the formatter.
#define OVS_ROUND_HALF_UP 1  // carries at a half (allowing for the double's own error)
#define OVS_ROUND_TRUNCATE 2 // carries only within the double's error of a whole unit
#define OVS_ROUND_UP_TENTH 3 // carries above a tenth

// Reads "kind,decimals,significant digits[,fourth]" of the current user's DataFormat value (or the
// default text) into the record; reads the machine-wide "RoundMode" switch once per process.
OVSTOOL_API BOOL Tool_GetRegDataFormat2(LPCSTR szValueName, LPCSTR szDefault, OVS_DATAFORMAT* pFormat);
// FALSE and text untouched for kind 0; FALSE and empty text for an unsupported record.
OVSTOOL_API BOOL Tool_GenerateValueStringByDataFormat(const OVS_DATAFORMAT* pFormat, short nRoundMode,
                                                      double dValue, CString& strText);
OVSTOOL_API void Tool_GenerateValueString(double dValue, int nDigits, CString& strText);
OVSTOOL_API void Tool_GenerateValueStringForf(double dValue, CString& strText);
OVSTOOL_API BOOL Tool_RoundOffString(CString& strText, int nPosition);
OVSTOOL_API int Tool_CalcNumOfDecimalsString(LPCSTR szText);
OVSTOOL_API int Tool_CalcNumOfDecimalsDouble(double dValue);
OVSTOOL_API int Tool_CalcNumOfDecimalsFloat(float fValue);
