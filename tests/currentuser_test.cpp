#include "test_support.h"
#include "current_user_raw.h"
#include "ovsreg.h"
#include "ovsregcurrentuser.h"

#include <cstring>
#include <string>
#include <vector>

using ovs::test::ChildMode;
using ovs::test::ChildResult;
using ovs::test::CurrentUserTest;
using ovs::test::RawUserKeyExists;
using ovs::test::RawUserQuery;
using ovs::test::RawUserSet;
using ovs::test::RawUserSetInt;
using ovs::test::RawUserSetText;
using ovs::test::RunChild;
using ovs::test::TextBytes;

namespace {

// Not one of the triples that the policy cache answers.
constexpr char kKey[] = "SOFTWARE\\VELDORAN\\UserTest";
constexpr char kSub[] = "Sub";
const std::string kKeySub = std::string(kKey) + "\\" + kSub;
constexpr char kProduct[] = OVS_REG_PRODUCT_ROOT;
constexpr char kCommon[] = OVS_REG_COMMON_ROOT;

std::string ReadText(LPCSTR keyPath, LPCSTR subKey, LPCSTR valueName, LPCSTR defaultText, DWORD size,
                     int* result) {
    std::vector<char> buffer(size + 1, '#');
    *result = Tool_GetRegCurrentUserString(keyPath, subKey, valueName, defaultText, buffer.data(), size);
    if (size == 0) {
        return std::string(buffer.data(), buffer.size());
    }
    EXPECT_EQ('#', buffer[size]) << "written past the buffer";
    return std::string(buffer.data());
}

// ---- Text reads ----------------------------------------------------------------------------------

struct TextSizeCase {
    DWORD size;
    const char* expected;
    int result;
};

TEST_F(CurrentUserTest, StoredTextIsCutToOneLessThanTheBuffer) {
    ASSERT_TRUE(RawUserSetText(kKeySub, "Text", "abcd"));
    const TextSizeCase cases[] = {{6, "abcd", 4}, {5, "abcd", 4}, {4, "abc", 3}, {2, "a", 1}, {1, "", 0}};
    for (const TextSizeCase& c : cases) {
        int result = -1;
        EXPECT_EQ(c.expected, ReadText(kKey, kSub, "Text", "dflt", c.size, &result)) << "size " << c.size;
        EXPECT_EQ(c.result, result) << "size " << c.size;
    }
}

TEST_F(CurrentUserTest, TextWithoutBufferGivesStoredByteCount) {
    ASSERT_TRUE(RawUserSetText(kKeySub, "Text", "abcd"));
    EXPECT_EQ(5, Tool_GetRegCurrentUserString(kKey, kSub, "Text", "dflt", nullptr, 100));
    char untouched[4] = {'x', 'y', 'z', '\0'};
    EXPECT_EQ(5, Tool_GetRegCurrentUserString(kKey, kSub, "Text", "dflt", untouched, 0));
    EXPECT_STREQ("xyz", untouched);
    EXPECT_EQ(0, Tool_GetRegCurrentUserString(kKey, kSub, "Missing", "dflt", nullptr, 0));
    EXPECT_EQ(0, Tool_GetRegCurrentUserString("SOFTWARE\\VELDORAN\\NoKey", kSub, "Text", "dflt", nullptr, 0));
}

struct DefaultCase {
    const char* name;
    const char* keyPath;
    const char* valueName;
};

TEST_F(CurrentUserTest, MissingKeyValueOrTypeGivesDefault) {
    ASSERT_TRUE(RawUserSetInt(kKeySub, "Number", 12));
    ASSERT_TRUE(RawUserSet(kKeySub, "Block", REG_BINARY, "ab", 2));
    const DefaultCase cases[] = {
        {"missing key", "SOFTWARE\\VELDORAN\\NoKey", "Text"},
        {"missing value", kKey, "Text"},
        {"double word", kKey, "Number"},
        {"binary", kKey, "Block"},
    };
    for (const DefaultCase& c : cases) {
        int result = -1;
        EXPECT_EQ("dflt", ReadText(c.keyPath, kSub, c.valueName, "dflt", 10, &result)) << c.name;
        EXPECT_EQ(4, result) << c.name;
        EXPECT_EQ("df", ReadText(c.keyPath, kSub, c.valueName, "dflt", 3, &result)) << c.name;
        EXPECT_EQ(2, result) << c.name;
        EXPECT_EQ("", ReadText(c.keyPath, kSub, c.valueName, nullptr, 10, &result)) << c.name;
        EXPECT_EQ(0, result) << c.name;
    }
}

TEST_F(CurrentUserTest, OnlyTheCurrentUserHiveIsRead) {
    ovs::test::ResetProductRegistry();
    ASSERT_TRUE(Tool_WriteRegString(kKey, kSub, "Text", "machine"));
    int result = -1;
    EXPECT_EQ("dflt", ReadText(kKey, kSub, "Text", "dflt", 20, &result));
    ASSERT_TRUE(RawUserSetText(kKeySub, "Text", "user"));
    EXPECT_EQ("user", ReadText(kKey, kSub, "Text", "dflt", 20, &result));
    EXPECT_EQ(4, result);
    ovs::test::ResetProductRegistry();
}

TEST_F(CurrentUserTest, AbsentOrEmptySubkeyReadsTheKeyItself) {
    ASSERT_TRUE(RawUserSetText(kKey, "Text", "top"));
    ASSERT_TRUE(RawUserSetText(kKeySub, "Text", "below"));
    int result = -1;
    EXPECT_EQ("top", ReadText(kKey, nullptr, "Text", "dflt", 20, &result));
    EXPECT_EQ("top", ReadText(kKey, "", "Text", "dflt", 20, &result));
    EXPECT_EQ("below", ReadText(kKey, kSub, "Text", "dflt", 20, &result));
    EXPECT_EQ(1000, Tool_GetRegCurrentUserInt(kKey, "", "Missing", 1000));
}

TEST_F(CurrentUserTest, NullKeyPathGivesDefault) {
    int result = -1;
    EXPECT_EQ("dflt", ReadText(nullptr, kSub, "Text", "dflt", 20, &result));
    EXPECT_EQ(4, result);
    EXPECT_EQ(9, Tool_GetRegCurrentUserInt(nullptr, kSub, "Number", 9));
    const BYTE fallback[2] = {7, 8};
    BYTE buffer[4] = {};
    EXPECT_EQ(2u, Tool_GetRegCurrentUserBinary(nullptr, kSub, "Block", fallback, 2, buffer, sizeof buffer));
}

// ---- Number reads --------------------------------------------------------------------------------

TEST_F(CurrentUserTest, IntReadNeedsADoubleWord) {
    ASSERT_TRUE(RawUserSetInt(kKeySub, "Number", 42));
    ASSERT_TRUE(RawUserSetInt(kKeySub, "Negative", 0xFFFFFFFEu));
    ASSERT_TRUE(RawUserSetText(kKeySub, "Text", "42"));
    const DWORD four = 42;
    ASSERT_TRUE(RawUserSet(kKeySub, "Block", REG_BINARY, &four, sizeof four));
    EXPECT_EQ(42, Tool_GetRegCurrentUserInt(kKey, kSub, "Number", -7));
    EXPECT_EQ(-2, Tool_GetRegCurrentUserInt(kKey, kSub, "Negative", -7));
    EXPECT_EQ(-7, Tool_GetRegCurrentUserInt(kKey, kSub, "Text", -7));
    EXPECT_EQ(-7, Tool_GetRegCurrentUserInt(kKey, kSub, "Block", -7));
    EXPECT_EQ(-7, Tool_GetRegCurrentUserInt(kKey, kSub, "Missing", -7));
    EXPECT_EQ(-7, Tool_GetRegCurrentUserInt("SOFTWARE\\VELDORAN\\NoKey", kSub, "Number", -7));
}

// ---- Binary reads --------------------------------------------------------------------------------

TEST_F(CurrentUserTest, BinaryReadCopiesAtMostTheBuffer) {
    const BYTE stored[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(RawUserSet(kKeySub, "Block", REG_BINARY, stored, sizeof stored));
    BYTE buffer[16];
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(8u, Tool_GetRegCurrentUserBinary(kKey, kSub, "Block", nullptr, 0, buffer, sizeof buffer));
    EXPECT_EQ(0, std::memcmp(stored, buffer, 8));
    EXPECT_EQ(0xEE, buffer[8]);
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(3u, Tool_GetRegCurrentUserBinary(kKey, kSub, "Block", nullptr, 0, buffer, 3));
    EXPECT_EQ(0, std::memcmp(stored, buffer, 3));
    EXPECT_EQ(0xEE, buffer[3]);
    EXPECT_EQ(8u, Tool_GetRegCurrentUserBinary(kKey, kSub, "Block", nullptr, 0, nullptr, 0));
}

TEST_F(CurrentUserTest, BinaryDefaultIsCopiedAtMostTheBuffer) {
    ASSERT_TRUE(RawUserSetText(kKeySub, "Text", "abc"));
    const BYTE fallback[5] = {9, 8, 7, 6, 5};
    for (LPCSTR valueName : {"Missing", "Text"}) {
        BYTE buffer[8];
        std::memset(buffer, 0xEE, sizeof buffer);
        EXPECT_EQ(5u,
                  Tool_GetRegCurrentUserBinary(kKey, kSub, valueName, fallback, 5, buffer, sizeof buffer));
        EXPECT_EQ(0, std::memcmp(fallback, buffer, 5));
        std::memset(buffer, 0xEE, sizeof buffer);
        EXPECT_EQ(2u, Tool_GetRegCurrentUserBinary(kKey, kSub, valueName, fallback, 5, buffer, 2));
        EXPECT_EQ(9, buffer[0]);
        EXPECT_EQ(0xEE, buffer[2]);
        std::memset(buffer, 0xEE, sizeof buffer);
        EXPECT_EQ(0u, Tool_GetRegCurrentUserBinary(kKey, kSub, valueName, nullptr, 0, buffer, sizeof buffer));
        EXPECT_EQ(0xEE, buffer[0]) << "no default leaves the buffer untouched";
    }
}

// ---- Writes --------------------------------------------------------------------------------------

TEST_F(CurrentUserTest, WritesStoreTheirTypes) {
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kKey, kSub, "Text", "value"));
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kKey, kSub, "Empty", ""));
    ASSERT_TRUE(Tool_WriteRegCurrentUserInt(kKey, kSub, "Number", -3));
    const BYTE block[3] = {0, 1, 2};
    ASSERT_TRUE(Tool_WriteRegCurrentUserBinary(kKey, kSub, "Block", block, sizeof block));
    ASSERT_TRUE(Tool_WriteRegCurrentUserBinary(kKey, kSub, "NoBytes", nullptr, 0));

    const auto text = RawUserQuery(kKeySub, "Text");
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), text->type);
    EXPECT_EQ(TextBytes("value", true), text->bytes);
    const auto empty = RawUserQuery(kKeySub, "Empty");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), empty->type);
    const auto number = RawUserQuery(kKeySub, "Number");
    ASSERT_TRUE(number.has_value());
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), number->type);
    EXPECT_EQ((std::vector<BYTE>{0xFD, 0xFF, 0xFF, 0xFF}), number->bytes);
    const auto binary = RawUserQuery(kKeySub, "Block");
    ASSERT_TRUE(binary.has_value());
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), binary->type);
    EXPECT_EQ((std::vector<BYTE>{0, 1, 2}), binary->bytes);
    const auto noBytes = RawUserQuery(kKeySub, "NoBytes");
    ASSERT_TRUE(noBytes.has_value());
    EXPECT_TRUE(noBytes->bytes.empty());
}

TEST_F(CurrentUserTest, WrittenValuesReadBack) {
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kKey, kSub, "Text", "round trip"));
    ASSERT_TRUE(Tool_WriteRegCurrentUserInt(kKey, kSub, "Number", 123456));
    const BYTE block[4] = {4, 3, 2, 1};
    ASSERT_TRUE(Tool_WriteRegCurrentUserBinary(kKey, kSub, "Block", block, sizeof block));
    int result = -1;
    EXPECT_EQ("round trip", ReadText(kKey, kSub, "Text", "dflt", 64, &result));
    EXPECT_EQ(10, result);
    EXPECT_EQ(11, Tool_GetRegCurrentUserString(kKey, kSub, "Text", "dflt", nullptr, 0));
    EXPECT_EQ(123456, Tool_GetRegCurrentUserInt(kKey, kSub, "Number", 0));
    BYTE buffer[4] = {};
    EXPECT_EQ(4u, Tool_GetRegCurrentUserBinary(kKey, kSub, "Block", nullptr, 0, buffer, sizeof buffer));
    EXPECT_EQ(0, std::memcmp(block, buffer, 4));
}

TEST_F(CurrentUserTest, WriteWithoutSubkeyUsesTheKeyItself) {
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kKey, nullptr, "Top", "t"));
    ASSERT_TRUE(Tool_WriteRegCurrentUserInt(kKey, "", "EmptySub", 5));
    EXPECT_TRUE(RawUserQuery(kKey, "Top").has_value());
    EXPECT_TRUE(RawUserQuery(kKey, "EmptySub").has_value());
}

TEST_F(CurrentUserTest, BadWritesAreRefused) {
    EXPECT_FALSE(Tool_WriteRegCurrentUserString(kKey, kSub, "Text", nullptr));
    EXPECT_FALSE(Tool_WriteRegCurrentUserString(nullptr, kSub, "Text", "x"));
    EXPECT_FALSE(Tool_WriteRegCurrentUserInt(nullptr, kSub, "Number", 1));
    EXPECT_FALSE(Tool_WriteRegCurrentUserBinary(kKey, kSub, "Block", nullptr, 4));
    EXPECT_FALSE(RawUserKeyExists(kKeySub));
    // A composed key path longer than 255 characters.
    const std::string longSub(256 - std::strlen(kKey) - 1, 'k');
    EXPECT_FALSE(Tool_WriteRegCurrentUserString(kKey, longSub.c_str(), "Text", "x"));
    EXPECT_FALSE(RawUserKeyExists(std::string(kKey) + "\\" + longSub));
    const std::string fitting(255 - std::strlen(kKey) - 1, 'k');
    EXPECT_TRUE(Tool_WriteRegCurrentUserString(kKey, fitting.c_str(), "Text", "x"));
    EXPECT_EQ(-4, Tool_GetRegCurrentUserInt(kKey, longSub.c_str(), "Text", -4));
}

TEST_F(CurrentUserTest, WritesLeaveTheMachineHiveAlone) {
    ovs::test::ResetProductRegistry();
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kKey, kSub, "Text", "value"));
    EXPECT_FALSE(RawUserKeyExists(kKey, HKEY_LOCAL_MACHINE));
}

// ---- Key names -----------------------------------------------------------------------------------

struct KeyNameCase {
    LPCSTR versionKey;
    short systemNumber;
    LPCSTR subKey;
    const char* expected;
};

TEST_F(CurrentUserTest, KeyNamesAreComposedAsForTheMachineHive) {
    const KeyNameCase cases[] = {
        {nullptr, 0, nullptr, "A\\CurrentVersion"}, {nullptr, 0, "", "A\\CurrentVersion"},
        {nullptr, 0, "B", "A\\CurrentVersion\\B"},  {nullptr, 2, "B", "A\\CurrentVersion\\SYSTEM2\\B"},
        {"V", 12, nullptr, "A\\V\\SYSTEM12"},       {"V", -1, "B", "A\\V\\B"},
    };
    for (const KeyNameCase& c : cases) {
        char buffer[64] = {};
        const int length = Tool_GetRegistryCurrentUserKeyName("A", c.versionKey, c.systemNumber, c.subKey,
                                                              buffer, sizeof buffer);
        EXPECT_STREQ(c.expected, buffer);
        EXPECT_EQ(static_cast<int>(std::strlen(c.expected)), length);
        EXPECT_EQ(length, Tool_GetRegistryCurrentUserKeyName("A", c.versionKey, c.systemNumber, c.subKey,
                                                             nullptr, 0));
        char machine[64] = {};
        EXPECT_EQ(length, Tool_GetRegistryKeyName("A", c.versionKey, c.systemNumber, c.subKey, machine,
                                                  sizeof machine));
        EXPECT_STREQ(machine, buffer);
    }
    char small[5];
    EXPECT_EQ(4, Tool_GetRegistryCurrentUserKeyName("A", nullptr, 0, nullptr, small, sizeof small));
    EXPECT_STREQ("A\\Cu", small);
}

// ---- Listed triples: the policy cache ------------------------------------------------------------

TEST_F(CurrentUserTest, ListedTextIsCachedNotStored) {
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kProduct, "AuditTrail", "BatchSetting", "Yes"));
    EXPECT_FALSE(RawUserKeyExists(std::string(kProduct) + "\\AuditTrail"));
    int result = -1;
    EXPECT_EQ("Yes", ReadText(kProduct, "AuditTrail", "BatchSetting", "dflt", 16, &result));
    EXPECT_EQ(3, result);
    // The cache keeps the characters without a terminator.
    EXPECT_EQ(3, Tool_GetRegCurrentUserString(kProduct, "AuditTrail", "BatchSetting", "dflt", nullptr, 0));
    EXPECT_EQ("Ye", ReadText(kProduct, "AuditTrail", "BatchSetting", "dflt", 3, &result));
    EXPECT_EQ(2, result);
    EXPECT_EQ("", ReadText(kProduct, "AuditTrail", "BatchSetting", "dflt", 1, &result));
    EXPECT_EQ(0, result);
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kProduct, "AuditTrail", "BatchSetting", "No"));
    EXPECT_EQ("No", ReadText(kProduct, "AuditTrail", "BatchSetting", "dflt", 16, &result));
    EXPECT_EQ(2, result);
}

TEST_F(CurrentUserTest, ListedEmptyTextCountsAsWritten) {
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kProduct, "Report", "HeaderDataStatus", ""));
    int result = -1;
    EXPECT_EQ("", ReadText(kProduct, "Report", "HeaderDataStatus", "dflt", 16, &result));
    EXPECT_EQ(0, result);
}

TEST_F(CurrentUserTest, ListedNumberIsCachedNotStored) {
    ASSERT_TRUE(Tool_WriteRegCurrentUserInt(kCommon, "SystemAdmin", "LoginTryCount", 5));
    EXPECT_FALSE(RawUserKeyExists(std::string(kCommon) + "\\SystemAdmin"));
    EXPECT_EQ(5, Tool_GetRegCurrentUserInt(kCommon, "SystemAdmin", "LoginTryCount", -1));
    ASSERT_TRUE(Tool_WriteRegCurrentUserInt(kCommon, "SystemAdmin", "LoginTryCount", -70000));
    EXPECT_EQ(-70000, Tool_GetRegCurrentUserInt(kCommon, "SystemAdmin", "LoginTryCount", -1));
}

TEST_F(CurrentUserTest, ListedShortEntryGivesTheIntDefault) {
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kProduct, "File", "IsDataOverwritten", "No"));
    EXPECT_EQ(-1, Tool_GetRegCurrentUserInt(kProduct, "File", "IsDataOverwritten", -1));
}

TEST_F(CurrentUserTest, ListedBinaryIsCachedButBinaryReadsTheHive) {
    const BYTE block[4] = {1, 0, 0, 0};
    ASSERT_TRUE(Tool_WriteRegCurrentUserBinary(kProduct, "Option", "UseMail", block, sizeof block));
    EXPECT_FALSE(RawUserKeyExists(std::string(kProduct) + "\\Option"));
    EXPECT_EQ(1, Tool_GetRegCurrentUserInt(kProduct, "Option", "UseMail", -1));
    BYTE buffer[4] = {};
    const BYTE fallback[1] = {9};
    EXPECT_EQ(
        1u, Tool_GetRegCurrentUserBinary(kProduct, "Option", "UseMail", fallback, 1, buffer, sizeof buffer));
    EXPECT_EQ(9, buffer[0]);
}

struct NearMissCase {
    const char* name;
    const char* keyPath;
    const char* subKey;
    const char* valueName;
    const char* storedKey;
};

TEST_F(CurrentUserTest, NearMissesOfListedTriplesReachTheHive) {
    const std::string lowerRoot = "software\\veldoran\\orvantiscope\\orvantiscope2";
    const std::string composed = std::string(kProduct) + "\\AuditTrail";
    const std::string trailing = std::string(kProduct) + "\\";
    const NearMissCase cases[] = {
        {"key path case", lowerRoot.c_str(), "AuditTrail", "ConfigSetting", nullptr},
        {"subkey case", kProduct, "audittrail", "ConfigSetting", nullptr},
        {"value name case", kProduct, "AuditTrail", "configsetting", nullptr},
        {"subkey in the key path", composed.c_str(), nullptr, "ConfigSetting", nullptr},
        {"trailing separator", trailing.c_str(), "AuditTrail", "ConfigSetting", nullptr},
    };
    for (const NearMissCase& c : cases) {
        ovs::test::ResetCurrentUserTree();
        ASSERT_TRUE(Tool_WriteRegCurrentUserString(c.keyPath, c.subKey, c.valueName, c.name)) << c.name;
        const auto stored = RawUserQuery(composed, c.valueName);
        ASSERT_TRUE(stored.has_value()) << c.name;
        EXPECT_EQ(TextBytes(c.name, true), stored->bytes) << c.name;
        int result = -1;
        EXPECT_EQ(c.name, ReadText(c.keyPath, c.subKey, c.valueName, "dflt", 64, &result)) << c.name;
    }
}

// Before anything writes them in the process, listed triples give the caller's default whatever
// the hive holds.
ChildMode unwrittenMode("currentuser-unwritten", [](const std::vector<std::string>&) {
    char buffer[16] = "#";
    if (Tool_GetRegCurrentUserString(kProduct, "AuditTrail", "DefaultSetting", "dflt", buffer,
                                     sizeof buffer) != 4 ||
        std::strcmp(buffer, "dflt") != 0) {
        return 10;
    }
    if (Tool_GetRegCurrentUserString(kProduct, "AuditTrail", "DefaultSetting", "dflt", nullptr, 0) != 0) {
        return 11;
    }
    if (Tool_GetRegCurrentUserString(kProduct, "AuditTrail", "DefaultSetting", nullptr, buffer,
                                     sizeof buffer) != 0 ||
        buffer[0] != '\0') {
        return 12;
    }
    if (Tool_GetRegCurrentUserInt(kCommon, "SystemAdmin", "LoginLockTime", -9) != -9) {
        return 13;
    }
    // Not listed: read from the hive.
    if (Tool_GetRegCurrentUserInt(kCommon, "SystemAdmin", "NotListed", -9) != 77) {
        return 14;
    }
    return 0;
});

TEST_F(CurrentUserTest, UnwrittenListedTriplesGiveTheDefault) {
    ASSERT_TRUE(RawUserSetText(std::string(kProduct) + "\\AuditTrail", "DefaultSetting", "Yes"));
    ASSERT_TRUE(RawUserSetInt(std::string(kCommon) + "\\SystemAdmin", "LoginLockTime", 30));
    ASSERT_TRUE(RawUserSetInt(std::string(kCommon) + "\\SystemAdmin", "NotListed", 77));
    const ChildResult child = RunChild("currentuser-unwritten");
    ASSERT_TRUE(child.finished);
    EXPECT_EQ(0u, child.exitCode);
}

} // namespace
