// Settings and properties kept by the storage server, named the way the registry names them (key,
// system name such as "System2" or null for the common scope, subkey, value name). Each call
// creates its own server object; the calling thread must have initialised COM. A server that cannot
// be created raises _com_error with the creation code, one without the storage interface raises
// _com_error(E_POINTER). A busy storage is waited for in 10 ms steps.
#pragma once

#include "ovstooldefs.h"

// Reads; the reserved arguments are not used. The "2" variants pass bReadFlag to the server.
OVSTOOL_API BOOL Tool_GetRegStorageString(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey,
                                          LPCSTR szValueName, LPCSTR szDefault, LPSTR szBuffer,
                                          DWORD dwBufferSize, DWORD dwReserved);
OVSTOOL_API int Tool_GetRegStorageInt(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey, LPCSTR szValueName,
                                      int nDefault, DWORD dwReserved);
OVSTOOL_API int Tool_GetRegStorageInt2(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey, LPCSTR szValueName,
                                       int nDefault, DWORD dwReserved, BOOL bReadFlag);
OVSTOOL_API BOOL Tool_GetRegStorageBinary(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey,
                                          LPCSTR szValueName, const void* pDefault, DWORD dwDefaultSize,
                                          void* pBuffer, DWORD dwBufferSize, DWORD dwReserved);
OVSTOOL_API BOOL Tool_GetRegStorageBinary2(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey,
                                           LPCSTR szValueName, const void* pDefault, DWORD dwDefaultSize,
                                           void* pBuffer, DWORD dwBufferSize, DWORD dwReserved,
                                           BOOL bReadFlag);

// Writes and removal; text is stored with its terminator, numbers as 4 bytes.
OVSTOOL_API BOOL Tool_WriteRegStorageString(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey,
                                            LPCSTR szValueName, LPCSTR szText, DWORD dwReserved);
OVSTOOL_API BOOL Tool_WriteRegStorageInt(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey,
                                         LPCSTR szValueName, int nValue, DWORD dwReserved);
OVSTOOL_API BOOL Tool_WriteRegStorageBinary(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey,
                                            LPCSTR szValueName, const void* pData, DWORD dwByteCount,
                                            DWORD dwReserved);
OVSTOOL_API BOOL Tool_RemoveRegStorage(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey,
                                       LPCSTR szValueName);

// Reads that move a value found only in the registry (root szKey, szVersionKey, nSystemNumber) into
// the storage; *pbConverted (may be null) tells whether they did.
OVSTOOL_API int Tool_GetRegStorageIntAutoConvert(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szVersionKey,
                                                 int nSystemNumber, LPCSTR szSubKey, LPCSTR szValueName,
                                                 int nDefault, BOOL* pbConverted, DWORD dwReserved);
OVSTOOL_API int Tool_GetRegStorageStringAutoConvert(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szVersionKey,
                                                    int nSystemNumber, LPCSTR szSubKey, LPCSTR szValueName,
                                                    LPCSTR szDefault, LPSTR szBuffer, DWORD dwBufferSize,
                                                    BOOL* pbConverted, DWORD dwReserved);

// Reads that take over a differing registry value (version key = szSystemName, no system number)
// into the storage and then delete it from the registry.
OVSTOOL_API int Tool_GetRegStorageInt_ImportReg(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey,
                                                LPCSTR szValueName, int nDefault, DWORD dwReserved);
OVSTOOL_API BOOL Tool_GetRegStorageString_ImportReg(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey,
                                                    LPCSTR szValueName, LPCSTR szDefault, LPSTR szBuffer,
                                                    DWORD dwBufferSize, DWORD dwReserved);

// Properties addressed by scope and all seven item key fields. The result is the first failing
// HRESULT or status met, else the final status. Word B is the value's size in bytes.
OVSTOOL_API HRESULT Tool_GetProperty(void* pBuffer, DWORD dwBufferSize, DWORD* pdwWordB, int nScope,
                                     int nIndex1, int nIndex2, int nSystemIndex, int nItemId,
                                     LPCSTR szKeyName, LPCSTR szSubKeyName, LPCSTR szValueName,
                                     DWORD* pdwWordA);
OVSTOOL_API HRESULT Tool_SetProperty(const void* pData, DWORD dwByteCount, int nScope, int nIndex1,
                                     int nIndex2, int nSystemIndex, int nItemId, LPCSTR szKeyName,
                                     LPCSTR szSubKeyName, LPCSTR szValueName, int nKind);
// The common property numbered nPropertyId.
OVSTOOL_API HRESULT Tool_GetSystemProperty(void* pBuffer, DWORD dwBufferSize, int nPropertyId);
OVSTOOL_API HRESULT Tool_SetSystemProperty(const void* pData, DWORD dwByteCount, int nPropertyId);
