// Variants written into the debug report as text, and caught exceptions turned into HRESULT codes.
#pragma once

#include "ovstooldefs.h"
#include <oleauto.h>

#include <exception>

class CException;

// Writes one line through Tool_DbgReport; szFormat receives the variant texts ("VT_I4 42",
// "VT_ARRAY (VT_I4)", "Other") as "%s" arguments in order. With pVar2 null and pVar3 given nothing is
// written. A failed copy of a variant throws the framework's memory or OLE exception.
OVSTOOL_API void Tool_DbgReportVariant(LPCSTR szSourceFile, int nLine, int nLevel, LPCSTR szFormat,
                                       const VARIANT* pVar1, const VARIANT* pVar2 = nullptr,
                                       const VARIANT* pVar3 = nullptr);

// The HRESULT that a caught standard-library exception stands for; E_INVALIDARG for null.
OVSTOOL_API HRESULT Tool_HResultFromException(const std::exception* pException);
// The HRESULT that a caught framework exception stands for; E_INVALIDARG for null.
OVSTOOL_API HRESULT Tool_HResultFromMFCException(const CException* pException);
