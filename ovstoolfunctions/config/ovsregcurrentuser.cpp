// Current-user registry exports: reads and writes in the current-user hive, answered by the policy
// cache for the triples it lists. Nothing here is written to the debug report.
#include "ovsregcurrentuser.h"
#include "ovsreg.h"
#include "policy_cache.h"
#include "registry_access.h"
#include "caller_buffer.h"
#include "current_user_values.h"

#include <cstring>
#include <string>

using ovs::registry::Hive;

namespace {

// Reads use P\K only for a non-empty subkey; writes and deletes keep any subkey that is given.
enum class SubKeyUse { WhenNotEmpty, WhenGiven };

std::string CurrentUserPath(LPCSTR keyPath, LPCSTR subKey, SubKeyUse use) {
    if (use == SubKeyUse::WhenGiven && subKey != nullptr && *subKey == '\0') {
        return std::string(keyPath) + "\\";
    }
    return ovs::registry::PlainKeyPath(keyPath, subKey);
}

DWORD TextLength(LPCSTR text) {
    return text != nullptr ? static_cast<DWORD>(std::strlen(text)) : 0;
}

// Writes to the cache slot of a listed triple, or else to the current-user hive.
BOOL WriteCurrentUser(LPCSTR keyPath, LPCSTR subKey, LPCSTR valueName, DWORD type, const void* data,
                      DWORD cachedSize, DWORD storedSize) {
    if (keyPath == nullptr) {
        return FALSE;
    }
    if (const auto index = ovs::policy::FindCacheEntry(keyPath, subKey, valueName)) {
        return ovs::policy::WriteCacheEntry(*index, type, data, cachedSize) ? TRUE : FALSE;
    }
    const std::string path = CurrentUserPath(keyPath, subKey, SubKeyUse::WhenGiven);
    return ovs::registry::WriteValue(path.c_str(), valueName, type, data, storedSize, Hive::CurrentUser);
}

} // namespace

namespace ovs::settings {

BOOL DeleteCurrentUserValue(LPCSTR keyPath, LPCSTR subKey, LPCSTR valueName) {
    if (keyPath == nullptr) {
        return FALSE;
    }
    const std::string path = CurrentUserPath(keyPath, subKey, SubKeyUse::WhenGiven);
    return ovs::registry::DeleteValue(path.c_str(), valueName, Hive::CurrentUser);
}

} // namespace ovs::settings

int Tool_GetRegCurrentUserString(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, LPCSTR szDefault,
                                 LPSTR szBuffer, DWORD dwBufferSize) {
    const bool hasBuffer = szBuffer != nullptr && dwBufferSize != 0;
    if (const auto index = ovs::policy::FindCacheEntry(szKeyPath, szSubKey, szValueName)) {
        const ovs::policy::CachedValue cached = ovs::policy::ReadCacheEntry(*index);
        if (!hasBuffer) {
            return cached.data != nullptr ? static_cast<int>(cached.size) : 0;
        }
        if (cached.data == nullptr) {
            return static_cast<int>(ovs::CopyToBuffer(szBuffer, dwBufferSize, szDefault));
        }
        const DWORD copied = cached.size < dwBufferSize - 1 ? cached.size : dwBufferSize - 1;
        if (copied > 0) {
            std::memcpy(szBuffer, cached.data, copied);
        }
        szBuffer[copied] = '\0';
        return static_cast<int>(copied);
    }
    if (szKeyPath == nullptr) {
        return static_cast<int>(ovs::CopyToBuffer(szBuffer, dwBufferSize, szDefault));
    }
    const std::string path = CurrentUserPath(szKeyPath, szSubKey, SubKeyUse::WhenNotEmpty);
    return static_cast<int>(ovs::registry::ReadValue(path.c_str(), szValueName, szDefault,
                                                     TextLength(szDefault), szBuffer, dwBufferSize, REG_SZ,
                                                     nullptr, Hive::CurrentUser));
}

int Tool_GetRegCurrentUserInt(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, int nDefault) {
    if (const auto index = ovs::policy::FindCacheEntry(szKeyPath, szSubKey, szValueName)) {
        // The first four bytes, whatever type the slot was written with; a shorter block gives the
        // default.
        const ovs::policy::CachedValue cached = ovs::policy::ReadCacheEntry(*index);
        int value = nDefault;
        if (cached.data != nullptr && cached.size >= sizeof value) {
            std::memcpy(&value, cached.data, sizeof value);
        }
        return value;
    }
    if (szKeyPath == nullptr) {
        return nDefault;
    }
    const std::string path = CurrentUserPath(szKeyPath, szSubKey, SubKeyUse::WhenNotEmpty);
    int value = 0;
    ovs::registry::ReadValue(path.c_str(), szValueName, &nDefault, sizeof nDefault, &value, sizeof value,
                             REG_DWORD, nullptr, Hive::CurrentUser);
    return value;
}

DWORD Tool_GetRegCurrentUserBinary(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName,
                                   const void* pDefault, DWORD dwDefaultSize, void* pBuffer,
                                   DWORD dwBufferSize) {
    const std::string path =
        szKeyPath != nullptr ? CurrentUserPath(szKeyPath, szSubKey, SubKeyUse::WhenNotEmpty) : std::string();
    return ovs::registry::ReadValue(szKeyPath != nullptr ? path.c_str() : nullptr, szValueName, pDefault,
                                    dwDefaultSize, pBuffer, dwBufferSize, REG_BINARY, nullptr,
                                    Hive::CurrentUser);
}

int Tool_GetRegistryCurrentUserKeyName(LPCSTR szRoot, LPCSTR szVersionKey, short nSystemNumber,
                                       LPCSTR szSubKey, LPSTR szBuffer, DWORD dwBufferSize) {
    return Tool_GetRegistryKeyName(szRoot, szVersionKey, nSystemNumber, szSubKey, szBuffer, dwBufferSize);
}

BOOL Tool_WriteRegCurrentUserString(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, LPCSTR szText) {
    if (szText == nullptr) {
        return FALSE;
    }
    // The cache keeps the characters alone; the hive gets the terminator too, so that it holds the text
    // as a whole string.
    const DWORD length = TextLength(szText);
    return WriteCurrentUser(szKeyPath, szSubKey, szValueName, REG_SZ, szText, length, length + 1);
}

BOOL Tool_WriteRegCurrentUserInt(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, int nValue) {
    return WriteCurrentUser(szKeyPath, szSubKey, szValueName, REG_DWORD, &nValue, sizeof nValue,
                            sizeof nValue);
}

BOOL Tool_WriteRegCurrentUserBinary(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, const void* pData,
                                    DWORD dwByteCount) {
    if (pData == nullptr && dwByteCount != 0) {
        return FALSE;
    }
    return WriteCurrentUser(szKeyPath, szSubKey, szValueName, REG_BINARY, pData, dwByteCount, dwByteCount);
}
