#include "registry_access.h"
#include "ovstooldbgreport.h"

#include <cstring>
#include <memory>
#include <utility>

namespace ovs::registry {

namespace {

HKEY RootOf(Hive hive) {
    return hive == Hive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

bool Reports(Hive hive) {
    return hive == Hive::LocalMachine;
}

// Writes the system's text for a status; missing keys and values (2, 3) are ordinary and silent, and
// so is every status when the hive is read silently.
bool ReportStatus(LSTATUS status, DWORD* errorCode, Hive hive = Hive::LocalMachine) {
    if (errorCode != nullptr) {
        *errorCode = static_cast<DWORD>(status);
    }
    if (status == ERROR_SUCCESS) {
        return true;
    }
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND || !Reports(hive)) {
        return false;
    }
    LPSTR text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(status), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text),
        0, nullptr);
    Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_ERR, "%s",
                   length > 0 && text != nullptr ? text : "Failed to save errorcode.");
    LocalFree(text);
    return false;
}

bool IsSilent(DWORD* errorCode, Hive hive) {
    return *errorCode == ERROR_FILE_NOT_FOUND || *errorCode == ERROR_PATH_NOT_FOUND || !Reports(hive);
}

bool KeyPathFits(LPCSTR keyPath) {
    return keyPath != nullptr && std::strlen(keyPath) <= kMaxKeyPath;
}

} // namespace

bool OpenRegistryKey(LPCSTR keyPath, HKEY* key, DWORD* errorCode, Hive hive) {
    DWORD status = 0;
    const bool ok = ReportStatus(RegOpenKeyA(RootOf(hive), keyPath, key), &status, hive);
    if (errorCode != nullptr) {
        *errorCode = status;
    }
    if (!ok && !IsSilent(&status, hive)) {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_ERR, "[OpenRegistryKey] Failed with unintended error. %s",
                       keyPath);
    }
    return ok;
}

bool CreateRegistryKey(LPCSTR keyPath, HKEY* key, DWORD* errorCode, Hive hive) {
    DWORD status = 0;
    const bool ok = ReportStatus(RegCreateKeyA(RootOf(hive), keyPath, key), &status, hive);
    if (errorCode != nullptr) {
        *errorCode = status;
    }
    if (!ok && !IsSilent(&status, hive)) {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_ERR,
                       "[CreateRegistryKey] Failed with unintended error. %s", keyPath);
    }
    return ok;
}

bool QueryRegistryValue(HKEY key, LPCSTR valueName, DWORD* type, BYTE* data, DWORD* size, DWORD* errorCode,
                        Hive hive) {
    DWORD status = 0;
    const bool ok = ReportStatus(RegQueryValueExA(key, valueName, nullptr, type, data, size), &status, hive);
    if (errorCode != nullptr) {
        *errorCode = status;
    }
    if (!ok && !IsSilent(&status, hive)) {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_ERR,
                       "[QueryRegistryValue] Failed with unintended error. Subkey : %s",
                       valueName != nullptr ? valueName : "");
    }
    return ok;
}

bool CloseRegistryKey(HKEY key, DWORD* errorCode, Hive hive) {
    DWORD status = 0;
    const bool ok = ReportStatus(RegCloseKey(key), &status, hive);
    if (errorCode != nullptr) {
        *errorCode = status;
    }
    if (!ok && !IsSilent(&status, hive)) {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_ERR, "%s",
                       "[CloseRegistryKey] Failed with unintended error.");
    }
    return ok;
}

namespace {

// Owns an open key: Close() reports the close step's own result, the destructor closes on every
// other road out.
class OpenKey {
public:
    explicit OpenKey(Hive hive) : m_hive(hive) {}
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey() {
        if (m_key != nullptr) {
            CloseRegistryKey(m_key, nullptr, m_hive);
        }
    }
    HKEY* put() { return &m_key; }
    HKEY get() const { return m_key; }
    bool Close(DWORD* errorCode) {
        return CloseRegistryKey(std::exchange(m_key, nullptr), errorCode, m_hive);
    }
    Hive hive() const { return m_hive; }

private:
    Hive m_hive;
    HKEY m_key = nullptr;
};

DWORD ReadDefault(const void* defaultData, DWORD defaultSize, void* buffer, DWORD bufferSize, bool isText) {
    if (buffer == nullptr || bufferSize == 0) {
        return 0;
    }
    auto* out = static_cast<BYTE*>(buffer);
    if (isText) {
        const DWORD length = defaultData == nullptr ? 0 : defaultSize;
        const DWORD copied = length < bufferSize - 1 ? length : bufferSize - 1;
        if (copied > 0) {
            std::memcpy(out, defaultData, copied);
        }
        out[copied] = '\0';
        return copied;
    }
    if (defaultData == nullptr || defaultSize == 0) {
        return 0;
    }
    const DWORD copied = defaultSize < bufferSize ? defaultSize : bufferSize;
    std::memcpy(out, defaultData, copied);
    return copied;
}

// Reads the data of the expected type and closes the key; false when either step fails. A failed
// query keeps its own status in the error code, as the first query does.
bool ReadStored(OpenKey& key, LPCSTR valueName, DWORD expectedType, BYTE* buffer, DWORD* size,
                DWORD* errorCode) {
    DWORD type = 0;
    if (!QueryRegistryValue(key.get(), valueName, &type, buffer, size, errorCode, key.hive()) ||
        type != expectedType) {
        return false;
    }
    return key.Close(errorCode);
}

} // namespace

DWORD ReadValue(LPCSTR keyPath, LPCSTR valueName, const void* defaultData, DWORD defaultSize, void* buffer,
                DWORD bufferSize, DWORD expectedType, DWORD* errorCode, Hive hive) {
    const bool isText = expectedType == REG_SZ;
    const bool hasBuffer = buffer != nullptr && bufferSize != 0;
    auto fallBack = [&] { return ReadDefault(defaultData, defaultSize, buffer, bufferSize, isText); };
    OpenKey key(hive);
    if (!KeyPathFits(keyPath) || !OpenRegistryKey(keyPath, key.put(), errorCode, hive)) {
        return fallBack();
    }
    DWORD type = 0;
    DWORD storedSize = 0;
    if (!QueryRegistryValue(key.get(), valueName, &type, nullptr, &storedSize, errorCode, hive) ||
        type != expectedType) {
        return fallBack();
    }
    if (!hasBuffer) {
        return key.Close(errorCode) ? storedSize : 0;
    }
    auto* out = static_cast<BYTE*>(buffer);
    const DWORD room = isText ? bufferSize - 1 : bufferSize;
    if (storedSize > room) {
        std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[storedSize]);
        DWORD size = storedSize;
        if (block == nullptr || !ReadStored(key, valueName, expectedType, block.get(), &size, errorCode)) {
            return fallBack();
        }
        std::memcpy(out, block.get(), room);
        if (isText) {
            out[room] = '\0';
        }
        return room;
    }
    DWORD size = bufferSize;
    if (!ReadStored(key, valueName, expectedType, out, &size, errorCode)) {
        return fallBack();
    }
    if (isText) {
        // The stored text ends with its terminator, which is not counted.
        if (size > 0) {
            --size;
        }
        out[size] = '\0';
    }
    return size;
}

std::string PlainKeyPath(LPCSTR keyPath, LPCSTR subKey) {
    std::string path = keyPath != nullptr ? keyPath : "";
    if (subKey != nullptr && *subKey != '\0') {
        path.append("\\").append(subKey);
    }
    return path;
}

BOOL WriteValue(LPCSTR keyPath, LPCSTR valueName, DWORD type, const void* data, DWORD byteCount, Hive hive) {
    OpenKey key(hive);
    if (!KeyPathFits(keyPath) || !CreateRegistryKey(keyPath, key.put(), nullptr, hive)) {
        return FALSE;
    }
    const bool written =
        ReportStatus(RegSetValueExA(key.get(), valueName, 0, type, static_cast<const BYTE*>(data), byteCount),
                     nullptr, hive);
    const bool closed = key.Close(nullptr);
    return written && closed;
}

BOOL DeleteValue(LPCSTR keyPath, LPCSTR valueName, Hive hive) {
    OpenKey key(hive);
    if (!KeyPathFits(keyPath) || !OpenRegistryKey(keyPath, key.put(), nullptr, hive)) {
        return FALSE;
    }
    const bool deleted = ReportStatus(RegDeleteValueA(key.get(), valueName), nullptr, hive);
    const bool closed = key.Close(nullptr);
    return deleted && closed;
}

} // namespace ovs::registry
