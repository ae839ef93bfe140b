// Machine-wide settings under the product's registry key scheme (local-machine hive).
#pragma once

#include "ovstooldefs.h"

#define OVS_REG_PRODUCT_ROOT "SOFTWARE\\VELDORAN\\Orvantiscope\\Orvantiscope2"
#define OVS_REG_COMMON_ROOT "SOFTWARE\\VELDORAN\\Orvantiscope\\Common"
#define OVS_REG_CURRENT_VERSION "CurrentVersion"

// Plain family: key path P and optional subkey K name the key P\K (or P when K is absent or empty).
OVSTOOL_API int Tool_GetRegString(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, LPCSTR szDefault,
                                  LPSTR szBuffer, DWORD dwBufferSize);
OVSTOOL_API int Tool_GetRegInt(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, int nDefault);
OVSTOOL_API double Tool_GetRegDouble(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, double dDefault);
OVSTOOL_API int Tool_GetRegKeyName(LPCSTR szKeyPath, LPCSTR szSubKey, LPSTR szBuffer, DWORD dwBufferSize);
OVSTOOL_API BOOL Tool_WriteRegString(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, LPCSTR szText);
OVSTOOL_API BOOL Tool_WriteRegInt(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, int nValue);
OVSTOOL_API BOOL Tool_WriteRegBinary(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, const void* pData,
                                     DWORD dwByteCount);
OVSTOOL_API BOOL Tool_DeleteRegValue(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName);

// System-aware family: root R, version key V ("CurrentVersion" when null), system number n
// ("SYSTEMn" when n > 0) and optional subkey K name R\V[\SYSTEMn][\K].
OVSTOOL_API int Tool_GetRegistryString(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber, LPCSTR szSubKey,
                                       LPCSTR szValueName, LPCSTR szDefault, LPSTR szBuffer, DWORD dwBufferSize,
                                       DWORD* pdwErrorCode = nullptr);
OVSTOOL_API int Tool_GetRegistryInt(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber, LPCSTR szSubKey,
                                    LPCSTR szValueName, int nDefault, DWORD* pdwErrorCode = nullptr);
OVSTOOL_API DWORD Tool_GetRegistryBinary(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber, LPCSTR szSubKey,
                                         LPCSTR szValueName, const void* pDefault, DWORD dwDefaultSize,
                                         void* pBuffer, DWORD dwBufferSize);
OVSTOOL_API int Tool_GetRegistryKeyName(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber, LPCSTR szSubKey,
                                        LPSTR szBuffer, DWORD dwBufferSize);
OVSTOOL_API int Tool_GetRegistryCommonString(LPCSTR szSubKey, LPCSTR szValueName, LPCSTR szDefault,
                                             LPSTR szBuffer, DWORD dwBufferSize);
OVSTOOL_API BOOL Tool_WriteRegistryString(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber,
                                          LPCSTR szSubKey, LPCSTR szValueName, LPCSTR szText);
OVSTOOL_API BOOL Tool_WriteRegistryInt(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber, LPCSTR szSubKey,
                                       LPCSTR szValueName, int nValue);
OVSTOOL_API BOOL Tool_WriteRegistryBinary(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber,
                                          LPCSTR szSubKey, LPCSTR szValueName, const void* pData,
                                          DWORD dwByteCount);
OVSTOOL_API BOOL Tool_DeleteRegistryValue(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber,
                                          LPCSTR szSubKey, LPCSTR szValueName);

// "PCID" of the common root's "SystemAdmin" key; 1 when it is missing or 0.
OVSTOOL_API DWORD Tool_GetCurrentPCID();
