// The per-process debug report: one log file per executable and instance, rotated by size.
#pragma once

#include "ovstooldefs.h"

// Levels of Tool_DbgReport and the mask bits that enable them.
enum : int {
    OVS_DBG_BANNER = 0, // written whenever the mask is not 0
    OVS_DBG_ERR = 1,
    OVS_DBG_WRN = 2,
    OVS_DBG_INF = 3,
    OVS_DBG_DBG = 4,
    OVS_DBG_TMG = 5,
};
enum : DWORD {
    OVS_DBGMASK_ERR = 0x01,
    OVS_DBGMASK_WRN = 0x02,
    OVS_DBGMASK_TMG = 0x04,
    OVS_DBGMASK_INF = 0x08,
    OVS_DBGMASK_DBG = 0x10,
};

// Opens the report of this process; FALSE when one is open already or no file could be opened.
// The file is rotated when it grows past dwLimitHigh * 2^32 + dwLimitLow bytes, checked every
// (dwCheckInterval + 1) lines; dwBackupCount 0 keeps time-stamped backups instead of numbered ones.
OVSTOOL_API BOOL Tool_InitDbgReportEx(int nInstance, DWORD dwLevelMask, DWORD dwLimitHigh, DWORD dwLimitLow,
                                      DWORD dwCheckInterval, DWORD dwBackupCount, LPCSTR szBackupTag,
                                      LPCSTR szAlternateTag);
OVSTOOL_API BOOL Tool_ReconfigureDbgReport(DWORD dwLevelMask, DWORD dwLimitHigh, DWORD dwLimitLow,
                                           DWORD dwCheckInterval, DWORD dwBackupCount);
OVSTOOL_API void Tool_DbgReport(LPCSTR szSourceFile, int nLine, int nLevel, LPCSTR szFormat, ...);

// Ask the debug-report set-up component to open the report; the two arguments are not used.
// A failure to create or reach it is thrown as _com_error.
OVSTOOL_API void Tool_InitDbgReport(DWORD dwReserved1, DWORD dwReserved2);
OVSTOOL_API void Tool_InitDbgReportWithoutCoInitialize(DWORD dwReserved1, DWORD dwReserved2);
