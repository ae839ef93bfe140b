// The temporary folder of the process: "Cache_<process>_<ticks>" below the work folder (registry
// "Work Path", else the platform's temporary folder), made on the switch and removed at the end.
#pragma once

#include "ovstooldefs.h"
#include <afxstr.h>

// Sets the folder up on the first call (creating it) and points TMP and TEMP at it.
OVSTOOL_API void Tool_SwitchToProcessTempPath();
// The process folder once switched, else the base folder (read afresh); returns 1.
OVSTOOL_API int Tool_GetProcessTempPathString(CString& strFolder);
// The same text with its terminator; returns its length. A buffer too small for the whole text
// gets an empty text and 0.
OVSTOOL_API int Tool_GetProcessTempPath(LPSTR szBuffer, DWORD dwBufferSize);
// Deletes the process folder and everything in it; the shared base folder is never touched.
OVSTOOL_API void Tool_DeleteProcessTempPath();
