// Crash dumps of the calling process and reports of the processes that hold a file open.
#pragma once

#include "ovstooldefs.h"

#include <afx.h>

// Writes a minidump of this process. An empty strDumpPath is first filled with
// "<Log Path>\Debug\Dump\CrashDump_<local time>_<process id>.dmp"; the folder must exist. The type
// is the "DumpType" option (289 when unset, 6182 for -1). pExceptionPointers may be null.
// S_OK, or E_FAIL when dbghelp, the file or the dump fails.
OVSTOOL_API HRESULT Tool_CreateDump(EXCEPTION_POINTERS* pExceptionPointers, CString& strDumpPath);

// Writes to the debug report (level 2) which processes hold the file open, as the Restart Manager
// tells, or that the check failed.
OVSTOOL_API void Tool_Report_FileLockProcess(LPCSTR szFilePath);
