// Registry-style values in the storage server: typed reads, writes and removal.
#include "ovsregstorage.h"
#include "regstorage_session.h"

#include <cstring>

using namespace ovs::regstorage;

namespace {

constexpr char kRemoveBusy[] = "Sleep(10) in RemoveRegStorage";

// Reads text into the buffer; a cut default is terminated within the buffer.
BOOL ReadText(LPCSTR key, LPCSTR systemName, LPCSTR subKey, LPCSTR valueName, LPCSTR defaultText,
              LPSTR buffer, DWORD size) {
    const DWORD room = buffer != nullptr ? size : 0;
    const DWORD defaultSize = defaultText != nullptr ? static_cast<DWORD>(std::strlen(defaultText) + 1) : 0;
    const bool read =
        ReadStorage(key, systemName, subKey, valueName, defaultText, defaultSize, buffer, room, true);
    if (room > 0 && std::memchr(buffer, '\0', room) == nullptr) {
        buffer[room - 1] = '\0';
    }
    return read;
}

int ReadInt(LPCSTR key, LPCSTR systemName, LPCSTR subKey, LPCSTR valueName, int defaultValue, bool readFlag) {
    int value = 0;
    ReadStorage(key, systemName, subKey, valueName, &defaultValue, sizeof defaultValue, &value, sizeof value,
                readFlag);
    return value;
}

} // namespace

BOOL Tool_GetRegStorageString(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey, LPCSTR szValueName,
                              LPCSTR szDefault, LPSTR szBuffer, DWORD dwBufferSize, DWORD) {
    return ReadText(szKey, szSystemName, szSubKey, szValueName, szDefault, szBuffer, dwBufferSize);
}

int Tool_GetRegStorageInt(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey, LPCSTR szValueName,
                          int nDefault, DWORD) {
    return ReadInt(szKey, szSystemName, szSubKey, szValueName, nDefault, true);
}

int Tool_GetRegStorageInt2(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey, LPCSTR szValueName,
                           int nDefault, DWORD, BOOL bReadFlag) {
    return ReadInt(szKey, szSystemName, szSubKey, szValueName, nDefault, bReadFlag != FALSE);
}

BOOL Tool_GetRegStorageBinary(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey, LPCSTR szValueName,
                              const void* pDefault, DWORD dwDefaultSize, void* pBuffer, DWORD dwBufferSize,
                              DWORD dwReserved) {
    return Tool_GetRegStorageBinary2(szKey, szSystemName, szSubKey, szValueName, pDefault, dwDefaultSize,
                                     pBuffer, dwBufferSize, dwReserved, TRUE);
}

BOOL Tool_GetRegStorageBinary2(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey, LPCSTR szValueName,
                               const void* pDefault, DWORD dwDefaultSize, void* pBuffer, DWORD dwBufferSize,
                               DWORD, BOOL bReadFlag) {
    return ReadStorage(szKey, szSystemName, szSubKey, szValueName, pDefault, dwDefaultSize, pBuffer,
                       pBuffer != nullptr ? dwBufferSize : 0, bReadFlag != FALSE);
}

BOOL Tool_WriteRegStorageString(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey, LPCSTR szValueName,
                                LPCSTR szText, DWORD) {
    if (szText == nullptr) {
        return FALSE;
    }
    return WriteStorage(szKey, szSystemName, szSubKey, szValueName, szText,
                        static_cast<DWORD>(std::strlen(szText) + 1));
}

BOOL Tool_WriteRegStorageInt(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey, LPCSTR szValueName,
                             int nValue, DWORD) {
    return WriteStorage(szKey, szSystemName, szSubKey, szValueName, &nValue, sizeof nValue);
}

BOOL Tool_WriteRegStorageBinary(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey, LPCSTR szValueName,
                                const void* pData, DWORD dwByteCount, DWORD) {
    return WriteStorage(szKey, szSystemName, szSubKey, szValueName, pData, dwByteCount);
}

BOOL Tool_RemoveRegStorage(LPCSTR szKey, LPCSTR szSystemName, LPCSTR szSubKey, LPCSTR szValueName) {
    if (szKey == nullptr || szSubKey == nullptr || szValueName == nullptr) {
        return FALSE;
    }
    Session session;
    const Scope scope = ScopeFromSystemName(szSystemName);
    RegStorageKey item = RegistryValueKey(scope, szKey, szSubKey, szValueName);
    if (session.OpenForWrite(scope.scope, item).Failed()) {
        return FALSE;
    }
    if (session.Remove(item, kRemoveBusy).Failed()) {
        return FALSE;
    }
    return !session.Commit().Failed();
}
