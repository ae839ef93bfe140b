// Registry values as the hive holds them (the current user's by default), read and written past the
// library, and a fixture that starts and ends each test with the current user's product tree removed.
#pragma once

#include "test_support.h"
#include "unique_resource.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace ovs::test {

inline constexpr char kCurrentUserTree[] = "SOFTWARE\\VELDORAN";

inline void ResetCurrentUserTree() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kCurrentUserTree);
}

class CurrentUserTest : public ::testing::Test {
protected:
    void SetUp() override { ResetCurrentUserTree(); }
    void TearDown() override { ResetCurrentUserTree(); }
};

// The product trees of both hives removed before and after each test.
class BothHivesTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        ResetCurrentUserTree();
    }
    void TearDown() override {
        ResetCurrentUserTree();
        RegistryTest::TearDown();
    }
};

struct RawValue {
    DWORD type;
    std::vector<BYTE> bytes;
};

inline std::optional<RawValue> RawUserQuery(const std::string& keyPath, LPCSTR valueName,
                                            HKEY hive = HKEY_CURRENT_USER) {
    unique_hkey key;
    if (RegOpenKeyExA(hive, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    RawValue value{0, std::vector<BYTE>(4096)};
    DWORD size = static_cast<DWORD>(value.bytes.size());
    if (RegQueryValueExA(key.get(), valueName, nullptr, &value.type, value.bytes.data(), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.bytes.resize(size);
    return value;
}

inline bool RawUserKeyExists(const std::string& keyPath, HKEY hive = HKEY_CURRENT_USER) {
    unique_hkey key;
    return RegOpenKeyExA(hive, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
}

inline bool RawUserSet(const std::string& keyPath, LPCSTR valueName, DWORD type, const void* data, DWORD size,
                       HKEY hive = HKEY_CURRENT_USER) {
    unique_hkey key;
    return RegCreateKeyExA(hive, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                           nullptr) == ERROR_SUCCESS &&
           RegSetValueExA(key.get(), valueName, 0, type, static_cast<const BYTE*>(data), size) ==
               ERROR_SUCCESS;
}

// A text value with its terminator, as the platform keeps string values.
inline bool RawUserSetText(const std::string& keyPath, LPCSTR valueName, const std::string& text) {
    return RawUserSet(keyPath, valueName, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

inline bool RawUserSetInt(const std::string& keyPath, LPCSTR valueName, DWORD value) {
    return RawUserSet(keyPath, valueName, REG_DWORD, &value, sizeof value);
}

inline std::vector<BYTE> TextBytes(const std::string& text, bool withTerminator) {
    std::vector<BYTE> bytes(text.begin(), text.end());
    if (withTerminator) {
        bytes.push_back(0);
    }
    return bytes;
}

} // namespace ovs::test
