// Helpers for the host applications' windows and outside components.
#pragma once

#include "ovstooldefs.h"

#include <afx.h>
#include <afxwin.h>

// The bytes Tool_GetSystemVersion writes at most, terminator included.
#define OVS_SYSTEM_VERSION_SIZE 64

// Moves the rectangle (shrunk to the desktop's size first where it is larger) onto the desktop.
OVSTOOL_API void Tool_CalculateVisibleWindowRect(LPRECT lpRect);

// The nearest multiple-document child frame above the window (its parents only), or null.
OVSTOOL_API CMDIChildWnd* Tool_GetMDIChildFrameWnd(CWnd* pWnd);
// The child frame of the document's first view, or null.
OVSTOOL_API CMDIChildWnd* Tool_GetMDIChildFrameWndFromDocument(CDocument* pDocument);

// Appends the report-item controls registered under HKLM "<szRoot>\CurrentVersion\ReportItem\OCX":
// each value's text to strArray and the leading number of its name (16 bits) to wArray, in step.
// Always TRUE.
OVSTOOL_API BOOL Tool_EnumReportItemOCX(LPCSTR szRoot, CStringArray& strArray, CWordArray& wArray);

// The version text of the instrument-control package under szRoot (at most
// OVS_SYSTEM_VERSION_SIZE bytes, always terminated), from the version component; both outputs stay
// untouched when it cannot answer. *pbFlag is set (to 0) only for the package that is known fixed.
OVSTOOL_API void Tool_GetSystemVersion(char* szVersion, BYTE* pbFlag, LPCSTR szRoot);
