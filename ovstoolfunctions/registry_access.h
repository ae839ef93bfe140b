// The steps that every machine-wide registry call is made of, each reporting its own failures, and
// the one typed read that the text, number and binary reads share.
#pragma once

#include <windows.h>

namespace ovs::registry {

// Longest composed key path; a longer one is refused before the hive is touched.
constexpr size_t kMaxKeyPath = 255;

bool OpenRegistryKey(LPCSTR keyPath, HKEY* key, DWORD* errorCode);
bool CreateRegistryKey(LPCSTR keyPath, HKEY* key, DWORD* errorCode);
bool QueryRegistryValue(HKEY key, LPCSTR valueName, DWORD* type, BYTE* data, DWORD* size, DWORD* errorCode);
bool CloseRegistryKey(HKEY key, DWORD* errorCode);

// Reads a value of the expected type into the buffer, falling back to the default; returns the
// count placed (characters without terminator for text, bytes otherwise).
DWORD ReadValue(LPCSTR keyPath, LPCSTR valueName, const void* defaultData, DWORD defaultSize, void* buffer,
                DWORD bufferSize, DWORD expectedType, DWORD* errorCode);
BOOL WriteValue(LPCSTR keyPath, LPCSTR valueName, DWORD type, const void* data, DWORD byteCount);
BOOL DeleteValue(LPCSTR keyPath, LPCSTR valueName);

} // namespace ovs::registry
