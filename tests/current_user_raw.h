// Registry values as the hive holds them (the current user's by default), read and written past the
// library, and fixtures that start and end each test with the product trees removed.
#pragma once

#include "test_support.h"
#include "unique_resource.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace ovs::test {

inline constexpr char kCurrentUserTree[] = "SOFTWARE\\VELDORAN";

inline void ResetCurrentUserTree() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kCurrentUserTree);
}

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

inline bool RawUserSetInt(const std::string& keyPath, LPCSTR valueName, DWORD value) {
    return RawUserSet(keyPath, valueName, REG_DWORD, &value, sizeof value);
}

} // namespace ovs::test
