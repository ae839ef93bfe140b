// Settings of the signed-in user (current-user hive) and the process's policy cache, which answers
// the well-known policy, audit-trail, report, file and data-format values once the writers below
// have filled it from the caller's policy and settings objects.
#pragma once

#include "ovstooldefs.h"
#include "ovspolicyobjects.h"

// Key path P and optional subkey K name the key P\K (or P when K is absent or empty). A triple that
// the policy cache lists (matched exactly, letter case included) is answered by the cache alone.

// Characters placed in the buffer; with no buffer (null or size 0), the stored byte count.
OVSTOOL_API int Tool_GetRegCurrentUserString(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName,
                                             LPCSTR szDefault, LPSTR szBuffer, DWORD dwBufferSize);
OVSTOOL_API int Tool_GetRegCurrentUserInt(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName,
                                          int nDefault);
// Bytes placed in the buffer; never from the cache.
OVSTOOL_API DWORD Tool_GetRegCurrentUserBinary(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName,
                                               const void* pDefault, DWORD dwDefaultSize, void* pBuffer,
                                               DWORD dwBufferSize);
// R\V[\SYSTEMn][\K], composed as by Tool_GetRegistryKeyName.
OVSTOOL_API int Tool_GetRegistryCurrentUserKeyName(LPCSTR szRoot, LPCSTR szVersionKey, short nSystemNumber,
                                                   LPCSTR szSubKey, LPSTR szBuffer, DWORD dwBufferSize);

OVSTOOL_API BOOL Tool_WriteRegCurrentUserString(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName,
                                                LPCSTR szText);
OVSTOOL_API BOOL Tool_WriteRegCurrentUserInt(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName,
                                             int nValue);
OVSTOOL_API BOOL Tool_WriteRegCurrentUserBinary(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName,
                                                const void* pData, DWORD dwByteCount);

// Reads the login, audit-trail, report, file and option policies and writes them below the common
// root or szRoot. Always TRUE.
OVSTOOL_API BOOL Tool_WriteRegCurrentUserPolicy(LPCSTR szRoot, IOVSUserPolicy* pPolicy);
// Reads the data formats and their display modes and writes them below szRoot. Always TRUE.
OVSTOOL_API BOOL Tool_WriteRegCurrentUserSysProjSetting(LPCSTR szRoot, IOVSSysProjSetting* pSettings);
