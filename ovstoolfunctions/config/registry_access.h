// The steps that every machine-wide registry call is made of, each reporting its own failures, and
// the one typed read that the text, number and binary reads share.
#pragma once

#include <windows.h>

#include <string>

namespace ovs::registry {

// Longest composed key path; a longer one is refused before the hive is touched.
constexpr size_t kMaxKeyPath = 255;

// The hive a call works in. Step failures in the local-machine hive are written to the debug report;
// the current-user hive is read and written silently.
enum class Hive { LocalMachine, CurrentUser };

bool OpenRegistryKey(LPCSTR keyPath, HKEY* key, DWORD* errorCode, Hive hive = Hive::LocalMachine);
bool CreateRegistryKey(LPCSTR keyPath, HKEY* key, DWORD* errorCode, Hive hive = Hive::LocalMachine);
bool QueryRegistryValue(HKEY key, LPCSTR valueName, DWORD* type, BYTE* data, DWORD* size, DWORD* errorCode,
                        Hive hive = Hive::LocalMachine);
bool CloseRegistryKey(HKEY key, DWORD* errorCode, Hive hive = Hive::LocalMachine);

// The plain family's key path: P\K, or P alone when K is absent or empty.
std::string PlainKeyPath(LPCSTR keyPath, LPCSTR subKey);

// Reads a value of the expected type into the buffer, falling back to the default; returns the
// count placed (characters without terminator for text, bytes otherwise).
DWORD ReadValue(LPCSTR keyPath, LPCSTR valueName, const void* defaultData, DWORD defaultSize, void* buffer,
                DWORD bufferSize, DWORD expectedType, DWORD* errorCode, Hive hive = Hive::LocalMachine);
BOOL WriteValue(LPCSTR keyPath, LPCSTR valueName, DWORD type, const void* data, DWORD byteCount,
                Hive hive = Hive::LocalMachine);
BOOL DeleteValue(LPCSTR keyPath, LPCSTR valueName, Hive hive = Hive::LocalMachine);

} // namespace ovs::registry
