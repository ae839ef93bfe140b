// Reads that move values from the registry into the storage server: on first read (AutoConvert)
// and whenever the registry holds a differing value (ImportReg).
#include "ovsregstorage.h"
#include "ovsreg.h"
#include "regstorage_session.h"
#include "caller_buffer.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace ovs::regstorage;

namespace {

constexpr char kAutoConvertBusy[] = "Sleep(10) in GetRegStorageAutoConvert";
constexpr char kSystemNameFormat[] = "System%d";

struct StorageValue {
    LPCSTR key;
    LPCSTR systemName;
    int systemNumber;
    LPCSTR subKey;
    LPCSTR valueName;
};

// The system name a converted value is written under: the caller's, else one made from the index.
std::string SystemNameFor(const StorageValue& value, const Scope& scope) {
    if (value.systemName != nullptr) {
        return value.systemName;
    }
    char name[24] = "";
    if (scope.systemIndex > 0) {
        std::snprintf(name, sizeof name, kSystemNameFormat, static_cast<int>(scope.systemIndex));
    }
    return name;
}

// Reads the value from the storage into buffer; when it is not there, readRegistry fills buffer from
// the registry and, when that reports status 0, the whole buffer is written to the storage. False
// when the storage could not be opened (buffer untouched).
template <typename RegistryRead>
bool ReadOrConvert(const StorageValue& value, void* buffer, DWORD size, BOOL* converted,
                   RegistryRead readRegistry) {
    const Scope scope = value.systemName != nullptr ? ScopeFromSystemName(value.systemName)
                                                    : ScopeFromSystemIndex(value.systemNumber);
    Session session;
    RegStorageKey item = RegistryValueKey(scope, value.key, value.subKey, value.valueName);
    if (session.OpenForRead(scope.scope, item, 1).Failed()) {
        return false;
    }
    if (session.Read(item, buffer, size, nullptr, nullptr, kAutoConvertBusy).Failed() &&
        readRegistry() == 0) {
        const std::string systemName = SystemNameFor(value, scope);
        // A converted flag promises that the value is now in the storage.
        if (WriteStorage(value.key, systemName.empty() ? nullptr : systemName.c_str(), value.subKey,
                         value.valueName, buffer, size) &&
            converted != nullptr) {
            *converted = TRUE;
        }
    }
    session.Commit();
    return true;
}

} // namespace

int Tool_GetRegStorageIntAutoConvert(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szVersionKey,
                                     int nSystemNumber, LPCSTR szSubKey, LPCSTR szValueName, int nDefault,
                                     BOOL* pbConverted, DWORD) {
    if (pbConverted != nullptr) {
        *pbConverted = FALSE;
    }
    if (szKey == nullptr || szSubKey == nullptr || szValueName == nullptr) {
        return 0;
    }
    int result = 0;
    const StorageValue value = {szKey, szSystemName, nSystemNumber, szSubKey, szValueName};
    const bool opened = ReadOrConvert(value, &result, sizeof result, pbConverted, [&] {
        DWORD status = ERROR_FILE_NOT_FOUND;
        result =
            Tool_GetRegistryInt(szKey, szVersionKey, nSystemNumber, szSubKey, szValueName, nDefault, &status);
        return status;
    });
    // A storage that cannot be opened reads as the default.
    return opened ? result : nDefault;
}

int Tool_GetRegStorageStringAutoConvert(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szVersionKey,
                                        int nSystemNumber, LPCSTR szSubKey, LPCSTR szValueName,
                                        LPCSTR szDefault, LPSTR szBuffer, DWORD dwBufferSize,
                                        BOOL* pbConverted, DWORD) {
    if (pbConverted != nullptr) {
        *pbConverted = FALSE;
    }
    if (szKey == nullptr || szSubKey == nullptr || szValueName == nullptr || szDefault == nullptr ||
        szBuffer == nullptr || dwBufferSize == 0) {
        return 0;
    }
    const StorageValue value = {szKey, szSystemName, nSystemNumber, szSubKey, szValueName};
    const bool opened = ReadOrConvert(value, szBuffer, dwBufferSize, pbConverted, [&] {
        DWORD status = ERROR_FILE_NOT_FOUND;
        Tool_GetRegistryString(szKey, szVersionKey, nSystemNumber, szSubKey, szValueName, szDefault, szBuffer,
                               dwBufferSize, &status);
        return status;
    });
    if (!opened) {
        return static_cast<int>(ovs::CopyToBuffer(szBuffer, dwBufferSize, szDefault));
    }
    return static_cast<int>(strnlen(szBuffer, dwBufferSize));
}

int Tool_GetRegStorageInt_ImportReg(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey, LPCSTR szValueName,
                                    int nDefault, DWORD dwReserved) {
    const int stored =
        Tool_GetRegStorageInt(szKey, szSystemName, szSubKey, szValueName, nDefault, dwReserved);
    DWORD status = ERROR_FILE_NOT_FOUND;
    const int registered =
        Tool_GetRegistryInt(szKey, szSystemName, 0, szSubKey, szValueName, nDefault, &status);
    if (status != ERROR_SUCCESS || registered == stored) {
        return stored;
    }
    if (Tool_WriteRegStorageInt(szKey, szSystemName, szSubKey, szValueName, registered, dwReserved)) {
        Tool_DeleteRegistryValue(szKey, szSystemName, 0, szSubKey, szValueName);
    }
    return registered;
}

BOOL Tool_GetRegStorageString_ImportReg(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey,
                                        LPCSTR szValueName, LPCSTR szDefault, LPSTR szBuffer,
                                        DWORD dwBufferSize, DWORD dwReserved) {
    const DWORD size = szBuffer != nullptr ? dwBufferSize : 0;
    DWORD status = ERROR_FILE_NOT_FOUND;
    Tool_GetRegistryString(szKey, szSystemName, 0, szSubKey, szValueName, szDefault, szBuffer, size, &status);
    // With no buffer there is nothing read to compare.
    const bool registered = status == ERROR_SUCCESS && size > 0;
    const std::string registryText =
        registered ? std::string(szBuffer, strnlen(szBuffer, size)) : std::string();
    if (!Tool_GetRegStorageString(szKey, szSystemName, szSubKey, szValueName, szDefault, szBuffer, size,
                                  dwReserved)) {
        return FALSE;
    }
    if (registered && registryText != std::string(szBuffer, strnlen(szBuffer, size))) {
        ovs::CopyToBuffer(szBuffer, size, registryText.c_str());
        if (Tool_WriteRegStorageString(szKey, szSystemName, szSubKey, szValueName, registryText.c_str(),
                                       dwReserved)) {
            Tool_DeleteRegistryValue(szKey, szSystemName, 0, szSubKey, szValueName);
        }
    }
    return TRUE;
}
