// Logical paths: "[" information block "]\" path, the block holding key=value items separated by
// "#" and the path having every ":" written as "#" ([OldVer=1]\C#\Data\Run01.lcd). Reading,
// setting, removing and clearing items; items of the process-wide path-information component;
// display texts and shortened paths; a file-name comparison that knows the form.
// A key is matched as a whole key of the block: "Ver" does not find the item "OldVer".
#pragma once

#include "ovstooldefs.h"
#include <afxstr.h>

// The key of the item that marks an older version of a data file.
#define OVS_LOGICAL_PATH_OLD_VERSION_KEY "OldVer"

// Item bits of Tool_GetPathInfoFromLogicalPath.
#define OVS_PATHINFO_NUMBER 0x1000u
#define OVS_PATHINFO_IDENTIFIER 0x8u
#define OVS_PATHINFO_PROJECT_NAME 0x20u
#define OVS_PATHINFO_ITEM_40 0x40u
#define OVS_PATHINFO_SHORT_FORM 0x80000u
#define OVS_PATHINFO_ITEM_100000 0x100000u
#define OVS_PATHINFO_ITEM_20000 0x20000u
#define OVS_PATHINFO_DATA_SET_NUMBER 0x40000u
// Not an item: failed or empty items keep their place (separator and bit).
#define OVS_PATHINFO_KEEP_PLACES 0x80000000u

// *pnValue = the item's number (atoi rules); E_FAIL when the block has no such item.
OVSTOOL_API HRESULT Tool_GetInfoFromLogicalPathInt(LPCSTR szPath, LPCSTR szKey, int* pnValue);
// szOut = the path with the item set (replaced in place, or put first in the block; an ordinary
// path gets a new block). S_OK; E_INVALIDARG for null texts; ERROR_INSUFFICIENT_BUFFER as HRESULT
// (and an empty szOut when dwOutSize > 0) when the result and its terminator do not fit.
OVSTOOL_API HRESULT Tool_SetInfoToLogicalPathInt(LPCSTR szPath, LPCSTR szKey, int nValue, LPSTR szOut,
                                                 DWORD dwOutSize);
// szOut = the path behind the block, the drive's "#" back to ":". E_FAIL when "]" precedes "[".
// Copied as strncpy does: padded with zeros, and without a terminator when it fills the buffer.
OVSTOOL_API HRESULT Tool_RemoveInfoOfLogicalPath(LPCSTR szPath, LPSTR szOut, DWORD dwOutSize);
// szOut = "[]" and the text after the block. E_FAIL when "]" precedes "[". Copied as above.
OVSTOOL_API HRESULT Tool_ClearInfoOfLogicalPath(LPCSTR szPath, LPSTR szOut, DWORD dwOutSize);

// The items of dwMask (OVS_PATHINFO_ bits) from the component, joined by chSeparator; returns the
// bits placed. 0 with strOut untouched when the component cannot be created. bFlag goes to the
// item 0x20000. The calling thread must have initialised COM.
OVSTOOL_API DWORD Tool_GetPathInfoFromLogicalPath(CString strPath, CString& strOut, DWORD dwMask,
                                                  char chSeparator, BOOL bFlag);
// The component's file kind in *pnKind; the failing HRESULT, E_FAIL for a null pnKind, or the
// component's status.
OVSTOOL_API HRESULT Tool_GetFileKindFromLogicalPath(CString strPath, int* pnKind);
// Releases the cached component; the next use creates it again. What its Release answers, or 0
// when none is held.
OVSTOOL_API ULONG Tool_ReleaseInterface();

// "project - data set/item 0x20000 - item 0x100000" for a logical path; other texts unchanged.
OVSTOOL_API CString Tool_MakeDisplayDataFilePathFromLogicalPath(const CString& strPath, BOOL bFlag);
OVSTOOL_API CString Tool_MakeDisplayDataFilePathFromLogicalPath_ProjectName_DataSetNum(
    const CString& strPath, BOOL bWithProjectName, BOOL bWithDataSetNumber);
// The path to show in a text of dwTextLength characters (path included) that must not exceed 255.
OVSTOOL_API CString Tool_GetShortPathFromLogicalPath(CString strPath, UINT dwTextLength);
OVSTOOL_API CString Tool_GetShortPath(CString strPath, UINT dwTextLength);

// Case-insensitive like lstrcmpiA; two logical paths compare without their blocks, and fields 3, 17
// and 18 count only when szA carries an "OldVer" item.
OVSTOOL_API int Tool_CompareFileName(LPCSTR szA, LPCSTR szB);
