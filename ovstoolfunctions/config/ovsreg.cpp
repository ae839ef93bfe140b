// Machine-wide registry exports: key-name composition and the typed reads, writes and deletes.
#include "ovsreg.h"
#include "registry_access.h"
#include "caller_buffer.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace ovs::registry;

namespace {

constexpr char kSystemKeyFormat[] = "SYSTEM%d";
constexpr char kPcidSubKey[] = "SystemAdmin";
constexpr char kPcidValue[] = "PCID";

bool IsGiven(LPCSTR text) {
    return text != nullptr && *text != '\0';
}

// R\V[\SYSTEMn][\K]; with alwaysSubKey the subkey position is kept even when it is empty.
std::string SystemKeyPath(LPCSTR root, LPCSTR versionKey, int systemNumber, LPCSTR subKey,
                          bool alwaysSubKey = false) {
    std::string path = root != nullptr ? root : "";
    path.append("\\").append(versionKey != nullptr ? versionKey : OVS_REG_CURRENT_VERSION);
    if (systemNumber > 0) {
        char systemKey[16];
        std::snprintf(systemKey, sizeof systemKey, kSystemKeyFormat, systemNumber);
        path.append("\\").append(systemKey);
    }
    if (IsGiven(subKey) || alwaysSubKey) {
        path.append("\\").append(subKey != nullptr ? subKey : "");
    }
    return path;
}

// A missing key path cannot name a key; passing null makes the steps refuse it.
LPCSTR KeyOrNull(LPCSTR root, const std::string& path) {
    return root != nullptr ? path.c_str() : nullptr;
}

int ReadText(LPCSTR keyPath, LPCSTR valueName, LPCSTR defaultText, LPSTR buffer, DWORD bufferSize,
             DWORD* errorCode) {
    const DWORD defaultLength = defaultText != nullptr ? static_cast<DWORD>(std::strlen(defaultText)) : 0;
    return static_cast<int>(
        ReadValue(keyPath, valueName, defaultText, defaultLength, buffer, bufferSize, REG_SZ, errorCode));
}

int ReadInt(LPCSTR keyPath, LPCSTR valueName, int defaultValue, DWORD* errorCode) {
    int value = 0;
    ReadValue(keyPath, valueName, &defaultValue, sizeof defaultValue, &value, sizeof value, REG_DWORD,
              errorCode);
    return value;
}

BOOL WriteText(LPCSTR keyPath, LPCSTR valueName, LPCSTR text) {
    if (text == nullptr) {
        return FALSE;
    }
    // The terminator is stored with the text so that every reader gets it back whole.
    return WriteValue(keyPath, valueName, REG_SZ, text, static_cast<DWORD>(std::strlen(text)) + 1);
}

int ComposeKeyName(const std::string& path, LPSTR buffer, DWORD bufferSize) {
    if (buffer == nullptr || bufferSize == 0) {
        return static_cast<int>(path.size());
    }
    return static_cast<int>(ovs::CopyToBuffer(buffer, bufferSize, path.c_str()));
}

} // namespace

int Tool_GetRegString(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, LPCSTR szDefault, LPSTR szBuffer,
                      DWORD dwBufferSize) {
    const std::string path = PlainKeyPath(szKeyPath, szSubKey);
    return ReadText(KeyOrNull(szKeyPath, path), szValueName, szDefault, szBuffer, dwBufferSize, nullptr);
}

int Tool_GetRegInt(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, int nDefault) {
    const std::string path = PlainKeyPath(szKeyPath, szSubKey);
    return ReadInt(KeyOrNull(szKeyPath, path), szValueName, nDefault, nullptr);
}

double Tool_GetRegDouble(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, double dDefault) {
    const std::string path = PlainKeyPath(szKeyPath, szSubKey);
    double value = 0.0; // a shorter stored block fills only its leading bytes
    ReadValue(KeyOrNull(szKeyPath, path), szValueName, &dDefault, sizeof dDefault, &value, sizeof value,
              REG_BINARY, nullptr);
    return value;
}

int Tool_GetRegKeyName(LPCSTR szKeyPath, LPCSTR szSubKey, LPSTR szBuffer, DWORD dwBufferSize) {
    return ComposeKeyName(PlainKeyPath(szKeyPath, szSubKey), szBuffer, dwBufferSize);
}

BOOL Tool_WriteRegString(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, LPCSTR szText) {
    const std::string path = PlainKeyPath(szKeyPath, szSubKey);
    return WriteText(KeyOrNull(szKeyPath, path), szValueName, szText);
}

BOOL Tool_WriteRegInt(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, int nValue) {
    const std::string path = PlainKeyPath(szKeyPath, szSubKey);
    return WriteValue(KeyOrNull(szKeyPath, path), szValueName, REG_DWORD, &nValue, sizeof nValue);
}

BOOL Tool_WriteRegBinary(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName, const void* pData,
                         DWORD dwByteCount) {
    if (pData == nullptr && dwByteCount != 0) {
        return FALSE;
    }
    const std::string path = PlainKeyPath(szKeyPath, szSubKey);
    return WriteValue(KeyOrNull(szKeyPath, path), szValueName, REG_BINARY, pData, dwByteCount);
}

BOOL Tool_DeleteRegValue(LPCSTR szKeyPath, LPCSTR szSubKey, LPCSTR szValueName) {
    // A subkey that is given, even empty, keeps its place: P\K.
    std::string path = szKeyPath != nullptr ? szKeyPath : "";
    if (szSubKey != nullptr) {
        path.append("\\").append(szSubKey);
    }
    return DeleteValue(KeyOrNull(szKeyPath, path), szValueName);
}

int Tool_GetRegistryString(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber, LPCSTR szSubKey,
                           LPCSTR szValueName, LPCSTR szDefault, LPSTR szBuffer, DWORD dwBufferSize,
                           DWORD* pdwErrorCode) {
    const std::string path = SystemKeyPath(szRoot, szVersionKey, nSystemNumber, szSubKey);
    return ReadText(KeyOrNull(szRoot, path), szValueName, szDefault, szBuffer, dwBufferSize, pdwErrorCode);
}

int Tool_GetRegistryInt(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber, LPCSTR szSubKey,
                        LPCSTR szValueName, int nDefault, DWORD* pdwErrorCode) {
    const std::string path = SystemKeyPath(szRoot, szVersionKey, nSystemNumber, szSubKey);
    return ReadInt(KeyOrNull(szRoot, path), szValueName, nDefault, pdwErrorCode);
}

DWORD Tool_GetRegistryBinary(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber, LPCSTR szSubKey,
                             LPCSTR szValueName, const void* pDefault, DWORD dwDefaultSize, void* pBuffer,
                             DWORD dwBufferSize) {
    const std::string path = SystemKeyPath(szRoot, szVersionKey, nSystemNumber, szSubKey);
    return ReadValue(KeyOrNull(szRoot, path), szValueName, pDefault, dwDefaultSize, pBuffer, dwBufferSize,
                     REG_BINARY, nullptr);
}

int Tool_GetRegistryKeyName(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber, LPCSTR szSubKey,
                            LPSTR szBuffer, DWORD dwBufferSize) {
    return ComposeKeyName(SystemKeyPath(szRoot, szVersionKey, nSystemNumber, szSubKey), szBuffer,
                          dwBufferSize);
}

int Tool_GetRegistryCommonString(LPCSTR szSubKey, LPCSTR szValueName, LPCSTR szDefault, LPSTR szBuffer,
                                 DWORD dwBufferSize) {
    return ReadText(PlainKeyPath(OVS_REG_COMMON_ROOT, szSubKey).c_str(), szValueName, szDefault, szBuffer,
                    dwBufferSize, nullptr);
}

BOOL Tool_WriteRegistryString(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber, LPCSTR szSubKey,
                              LPCSTR szValueName, LPCSTR szText) {
    const std::string path = SystemKeyPath(szRoot, szVersionKey, nSystemNumber, szSubKey);
    return WriteText(KeyOrNull(szRoot, path), szValueName, szText);
}

BOOL Tool_WriteRegistryInt(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber, LPCSTR szSubKey,
                           LPCSTR szValueName, int nValue) {
    const std::string path = SystemKeyPath(szRoot, szVersionKey, nSystemNumber, szSubKey);
    return WriteValue(KeyOrNull(szRoot, path), szValueName, REG_DWORD, &nValue, sizeof nValue);
}

BOOL Tool_WriteRegistryBinary(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber, LPCSTR szSubKey,
                              LPCSTR szValueName, const void* pData, DWORD dwByteCount) {
    if (pData == nullptr && dwByteCount != 0) {
        return FALSE;
    }
    const std::string path = SystemKeyPath(szRoot, szVersionKey, nSystemNumber, szSubKey);
    return WriteValue(KeyOrNull(szRoot, path), szValueName, REG_BINARY, pData, dwByteCount);
}

BOOL Tool_DeleteRegistryValue(LPCSTR szRoot, LPCSTR szVersionKey, int nSystemNumber, LPCSTR szSubKey,
                              LPCSTR szValueName) {
    const std::string path = SystemKeyPath(szRoot, szVersionKey, nSystemNumber, szSubKey, true);
    return DeleteValue(KeyOrNull(szRoot, path), szValueName);
}

DWORD Tool_GetCurrentPCID() {
    const std::string path = PlainKeyPath(OVS_REG_COMMON_ROOT, kPcidSubKey);
    const DWORD pcid = static_cast<DWORD>(ReadInt(path.c_str(), kPcidValue, 0, nullptr));
    return pcid == 0 ? 1 : pcid;
}
