#include "test_support.h"
#include "current_user_raw.h"
#include "locale_child.h"
#include "ovsreg.h"
#include "ovstooldbgreport.h"
#include "unique_resource.h"

#include <sddl.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

using ovs::test::RawValue;
using ovs::test::RegistryTest;

namespace {

constexpr char kRoot[] = OVS_REG_PRODUCT_ROOT;
constexpr char kVersion[] = OVS_REG_CURRENT_VERSION;
constexpr char kPlainKey[] = "SOFTWARE\\VELDORAN\\Plain";

// The value as the machine hive holds it, read past the library.
std::optional<RawValue> RawQuery(const std::string& keyPath, LPCSTR valueName) {
    return ovs::test::RawUserQuery(keyPath, valueName, HKEY_LOCAL_MACHINE);
}

bool RawKeyExists(const std::string& keyPath) {
    ovs::unique_hkey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
}

void RawSet(const std::string& keyPath, LPCSTR valueName, DWORD type, const void* data, DWORD size) {
    ovs::unique_hkey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0,
                                             KEY_SET_VALUE, nullptr, key.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key.get(), valueName, 0, type, static_cast<const BYTE*>(data), size));
}

std::vector<BYTE> Bytes(const std::string& text) {
    return std::vector<BYTE>(text.begin(), text.end());
}

std::string TextWithTerminator(const std::string& text) {
    return text + std::string(1, '\0');
}

// ---- Key-name composition ----------------------------------------------------------------------

struct SystemKeyCase {
    LPCSTR versionKey;
    int systemNumber;
    LPCSTR subKey;
    const char* expected; // below the root
};

const SystemKeyCase kSystemKeyCases[] = {
    {nullptr, 0, nullptr, "\\CurrentVersion"},
    {nullptr, 0, "", "\\CurrentVersion"},
    {nullptr, 0, "Path", "\\CurrentVersion\\Path"},
    {nullptr, 2, nullptr, "\\CurrentVersion\\SYSTEM2"},
    {nullptr, 2, "", "\\CurrentVersion\\SYSTEM2"},
    {nullptr, 2, "Path", "\\CurrentVersion\\SYSTEM2\\Path"},
    {"2.10", 0, nullptr, "\\2.10"},
    {"2.10", 0, "Path\\Inner", "\\2.10\\Path\\Inner"},
    {"2.10", 12, nullptr, "\\2.10\\SYSTEM12"},
    {"2.10", 12, "Path", "\\2.10\\SYSTEM12\\Path"},
};

class SystemKeyNameTest : public RegistryTest, public ::testing::WithParamInterface<SystemKeyCase> {};

TEST_P(SystemKeyNameTest, ComposesThePathOfTheTable) {
    const SystemKeyCase& c = GetParam();
    const std::string expected = std::string("A") + c.expected;
    char buffer[300];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(static_cast<int>(expected.size()),
              Tool_GetRegistryKeyName("A", c.versionKey, c.systemNumber, c.subKey, buffer, sizeof buffer));
    EXPECT_STREQ(expected.c_str(), buffer);
    // Without a buffer only the length is given.
    EXPECT_EQ(static_cast<int>(expected.size()),
              Tool_GetRegistryKeyName("A", c.versionKey, c.systemNumber, c.subKey, nullptr, 0));
}

TEST_P(SystemKeyNameTest, WritesReadsAndDeletesAtThatPath) {
    const SystemKeyCase& c = GetParam();
    const std::string path = std::string(kRoot) + c.expected;
    ASSERT_TRUE(Tool_WriteRegistryString(kRoot, c.versionKey, c.systemNumber, c.subKey, "Text", "t"));
    ASSERT_TRUE(Tool_WriteRegistryInt(kRoot, c.versionKey, c.systemNumber, c.subKey, "Int", 5));
    const BYTE block[] = {1, 2, 3};
    ASSERT_TRUE(Tool_WriteRegistryBinary(kRoot, c.versionKey, c.systemNumber, c.subKey, "Bin", block, 3));

    const auto text = RawQuery(path, "Text");
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), text->type);
    EXPECT_EQ(Bytes(TextWithTerminator("t")), text->bytes);
    const auto number = RawQuery(path, "Int");
    ASSERT_TRUE(number.has_value());
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), number->type);
    const auto binary = RawQuery(path, "Bin");
    ASSERT_TRUE(binary.has_value());
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), binary->type);
    EXPECT_EQ(std::vector<BYTE>(block, block + 3), binary->bytes);

    char buffer[16];
    EXPECT_EQ(1, Tool_GetRegistryString(kRoot, c.versionKey, c.systemNumber, c.subKey, "Text", "d", buffer,
                                        sizeof buffer));
    EXPECT_STREQ("t", buffer);
    EXPECT_EQ(5, Tool_GetRegistryInt(kRoot, c.versionKey, c.systemNumber, c.subKey, "Int", -1));
    BYTE read[8] = {};
    EXPECT_EQ(3u, Tool_GetRegistryBinary(kRoot, c.versionKey, c.systemNumber, c.subKey, "Bin", nullptr, 0,
                                         read, sizeof read));
    EXPECT_EQ(0, std::memcmp(block, read, 3));

    // The plain family reaches the same value through the composed name.
    char keyName[300];
    Tool_GetRegistryKeyName(kRoot, c.versionKey, c.systemNumber, c.subKey, keyName, sizeof keyName);
    EXPECT_EQ(path, keyName);
    EXPECT_EQ(5, Tool_GetRegInt(keyName, nullptr, "Int", -1));
}

INSTANTIATE_TEST_SUITE_P(EveryRow, SystemKeyNameTest, ::testing::ValuesIn(kSystemKeyCases));

struct PlainKeyCase {
    LPCSTR subKey;
    const char* expected;
};

const PlainKeyCase kPlainKeyCases[] = {
    {nullptr, "A"},
    {"", "A"},
    {"B", "A\\B"},
    {"B\\C", "A\\B\\C"},
};

class PlainKeyNameTest : public RegistryTest, public ::testing::WithParamInterface<PlainKeyCase> {};

TEST_P(PlainKeyNameTest, ComposesKeyAndSubkey) {
    const PlainKeyCase& c = GetParam();
    char buffer[32];
    EXPECT_EQ(static_cast<int>(std::strlen(c.expected)),
              Tool_GetRegKeyName("A", c.subKey, buffer, sizeof buffer));
    EXPECT_STREQ(c.expected, buffer);
    EXPECT_EQ(static_cast<int>(std::strlen(c.expected)), Tool_GetRegKeyName("A", c.subKey, nullptr, 0));
}

TEST_P(PlainKeyNameTest, WritesAndReadsAtThatPath) {
    const PlainKeyCase& c = GetParam();
    const std::string path = std::string(kPlainKey) + (c.expected + 1);
    ASSERT_TRUE(Tool_WriteRegInt(kPlainKey, c.subKey, "Int", 77));
    const auto stored = RawQuery(path, "Int");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), stored->type);
    EXPECT_EQ(77, Tool_GetRegInt(kPlainKey, c.subKey, "Int", -1));
}

INSTANTIATE_TEST_SUITE_P(EveryForm, PlainKeyNameTest, ::testing::ValuesIn(kPlainKeyCases));

TEST(KeyNameBuffer, SystemKeyHasAtMostFifteenCharacters) {
    char buffer[64];
    EXPECT_EQ(32, Tool_GetRegistryKeyName("A", nullptr, 2147483647, nullptr, buffer, sizeof buffer));
    EXPECT_STREQ("A\\CurrentVersion\\SYSTEM214748364", buffer);
    EXPECT_EQ(34, Tool_GetRegistryKeyName("A", nullptr, 999999999, "B", buffer, sizeof buffer));
    EXPECT_STREQ("A\\CurrentVersion\\SYSTEM999999999\\B", buffer);
}

TEST(KeyNameBuffer, CutsToSizeMinusOneAndReturnsWhatWasWritten) {
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    // "A\CurrentVersion\SYSTEM2\B" is 26 characters; a 5-byte buffer takes 4 and the terminator.
    EXPECT_EQ(4, Tool_GetRegistryKeyName("A", nullptr, 2, "B", buffer, 5));
    EXPECT_STREQ("A\\Cu", buffer);
    EXPECT_EQ('#', buffer[5]);
    EXPECT_EQ(26, Tool_GetRegistryKeyName("A", nullptr, 2, "B", buffer, 0));
    EXPECT_EQ(26, Tool_GetRegistryKeyName("A", nullptr, 2, "B", nullptr, 5));
    EXPECT_EQ(0, Tool_GetRegKeyName("ABC", "D", buffer, 1));
    EXPECT_STREQ("", buffer);
    EXPECT_EQ(2, Tool_GetRegKeyName("ABC", "D", buffer, 3));
    EXPECT_STREQ("AB", buffer);
}

// ---- Typed reads and writes ----------------------------------------------------------------------

TEST_F(RegistryTest, PlainTextIsStoredAsTerminatedStringValue) {
    ASSERT_TRUE(Tool_WriteRegString(kPlainKey, "Sub", "Name", "value text"));
    const auto stored = RawQuery(std::string(kPlainKey) + "\\Sub", "Name");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored->type);
    EXPECT_EQ(Bytes(TextWithTerminator("value text")), stored->bytes);
    char buffer[32];
    EXPECT_EQ(10, Tool_GetRegString(kPlainKey, "Sub", "Name", "default", buffer, sizeof buffer));
    EXPECT_STREQ("value text", buffer);
}

TEST_F(RegistryTest, EmptyTextAndDefaultValueNameReadBack) {
    ASSERT_TRUE(Tool_WriteRegString(kPlainKey, nullptr, "", "of the key"));
    ASSERT_TRUE(Tool_WriteRegString(kPlainKey, nullptr, "Empty", ""));
    char buffer[32];
    EXPECT_EQ(10, Tool_GetRegString(kPlainKey, nullptr, "", "d", buffer, sizeof buffer));
    EXPECT_STREQ("of the key", buffer);
    EXPECT_EQ(0, Tool_GetRegString(kPlainKey, nullptr, "Empty", "d", buffer, sizeof buffer));
    EXPECT_STREQ("", buffer);
}

TEST_F(RegistryTest, PlainIntIsStoredAsDoubleWord) {
    ASSERT_TRUE(Tool_WriteRegInt(kPlainKey, nullptr, "Neg", -123456));
    const auto stored = RawQuery(kPlainKey, "Neg");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), stored->type);
    ASSERT_EQ(4u, stored->bytes.size());
    int raw = 0;
    std::memcpy(&raw, stored->bytes.data(), 4);
    EXPECT_EQ(-123456, raw);
    EXPECT_EQ(-123456, Tool_GetRegInt(kPlainKey, nullptr, "Neg", 9));
    EXPECT_EQ(-123456, Tool_GetRegistryInt("SOFTWARE\\VELDORAN", "Plain", 0, nullptr, "Neg", 9));
}

TEST_F(RegistryTest, BinaryBlockIsStoredAsBinaryValue) {
    const BYTE block[] = {0, 0xFF, 0x10, 0};
    ASSERT_TRUE(Tool_WriteRegBinary(kPlainKey, nullptr, "Bin", block, sizeof block));
    const auto stored = RawQuery(kPlainKey, "Bin");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), stored->type);
    EXPECT_EQ(std::vector<BYTE>(block, block + 4), stored->bytes);
    // An empty block is a value too.
    ASSERT_TRUE(Tool_WriteRegBinary(kPlainKey, nullptr, "None", nullptr, 0));
    const auto empty = RawQuery(kPlainKey, "None");
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->bytes.empty());
}

TEST_F(RegistryTest, DoubleReadsTheEightByteLittleEndianBlock) {
    const double value = -1234.5678e-3;
    ASSERT_TRUE(Tool_WriteRegBinary(kPlainKey, nullptr, "D", &value, sizeof value));
    EXPECT_EQ(value, Tool_GetRegDouble(kPlainKey, nullptr, "D", 7.0));
    // 1.0 is 00 00 00 00 00 00 F0 3F in little-endian order.
    const BYTE one[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
    ASSERT_TRUE(Tool_WriteRegBinary(kPlainKey, nullptr, "One", one, 8));
    EXPECT_EQ(1.0, Tool_GetRegDouble(kPlainKey, nullptr, "One", 7.0));
}

TEST_F(RegistryTest, ShortDoubleBlockFillsOnlyTheLeadingBytesOfZero) {
    // The two high bytes of 1.0 alone, at the start, make the tiny number 0x3FF0 * 2^-1074.
    const BYTE high[2] = {0xF0, 0x3F};
    ASSERT_TRUE(Tool_WriteRegBinary(kPlainKey, nullptr, "Short", high, 2));
    const double read = Tool_GetRegDouble(kPlainKey, nullptr, "Short", 7.0);
    unsigned long long bits = 0;
    std::memcpy(&bits, &read, sizeof bits);
    EXPECT_EQ(0x3FF0ull, bits);
    // A longer block gives its first eight bytes.
    const double value = 2.5;
    BYTE longer[12] = {};
    std::memcpy(longer, &value, 8);
    longer[8] = 0xAA;
    ASSERT_TRUE(Tool_WriteRegBinary(kPlainKey, nullptr, "Long", longer, sizeof longer));
    EXPECT_EQ(2.5, Tool_GetRegDouble(kPlainKey, nullptr, "Long", 7.0));
}

struct MissingCase {
    const char* name;
    LPCSTR keyPath;
    LPCSTR valueName;
};

class MissingValueTest : public RegistryTest, public ::testing::WithParamInterface<MissingCase> {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        ASSERT_TRUE(Tool_WriteRegString(kPlainKey, nullptr, "Other", "x"));
    }
};

TEST_P(MissingValueTest, ReadsGiveTheirDefaults) {
    const MissingCase& c = GetParam();
    char buffer[16];
    EXPECT_EQ(7, Tool_GetRegString(c.keyPath, nullptr, c.valueName, "default", buffer, sizeof buffer));
    EXPECT_STREQ("default", buffer);
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(0, Tool_GetRegString(c.keyPath, nullptr, c.valueName, nullptr, buffer, sizeof buffer));
    EXPECT_STREQ("", buffer);
    EXPECT_EQ(-42, Tool_GetRegInt(c.keyPath, nullptr, c.valueName, -42));
    EXPECT_EQ(0.25, Tool_GetRegDouble(c.keyPath, nullptr, c.valueName, 0.25));
    // No buffer: the stored size is asked for, and a missing value has none.
    EXPECT_EQ(0, Tool_GetRegString(c.keyPath, nullptr, c.valueName, "default", nullptr, 16));
}

INSTANTIATE_TEST_SUITE_P(MissingKeyOrValue, MissingValueTest,
                         ::testing::Values(MissingCase{"MissingKey", "SOFTWARE\\VELDORAN\\Absent", "Value"},
                                           MissingCase{"MissingValue", kPlainKey, "Value"},
                                           MissingCase{"NullKeyPath", nullptr, "Other"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegistryTest, TextDefaultIsCutToTheBuffer) {
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(4, Tool_GetRegString(kPlainKey, nullptr, "Missing", "abcdefgh", buffer, 5));
    EXPECT_STREQ("abcd", buffer);
    EXPECT_EQ('#', buffer[5]);
    EXPECT_EQ(4, Tool_GetRegString(kPlainKey, nullptr, "Missing", "abcd", buffer, 5));
    EXPECT_STREQ("abcd", buffer);
    EXPECT_EQ(0, Tool_GetRegString(kPlainKey, nullptr, "Missing", "abcd", buffer, 1));
    EXPECT_STREQ("", buffer);
}

struct MismatchCase {
    const char* name;
    DWORD storedType;
    std::vector<BYTE> stored;
};

class TypeMismatchTest : public RegistryTest, public ::testing::WithParamInterface<MismatchCase> {};

// Each read expects one type; a value of any other type counts as missing.
TEST_P(TypeMismatchTest, OtherTypesGiveTheDefault) {
    const MismatchCase& c = GetParam();
    RawSet(kPlainKey, "V", c.storedType, c.stored.data(), static_cast<DWORD>(c.stored.size()));
    char buffer[16];
    if (c.storedType != REG_SZ) {
        EXPECT_EQ(1, Tool_GetRegString(kPlainKey, nullptr, "V", "d", buffer, sizeof buffer));
        EXPECT_STREQ("d", buffer);
        EXPECT_EQ(0, Tool_GetRegistryString("SOFTWARE\\VELDORAN", "Plain", 0, nullptr, "V", "d", nullptr, 0));
    }
    if (c.storedType != REG_DWORD) {
        EXPECT_EQ(31, Tool_GetRegInt(kPlainKey, nullptr, "V", 31));
        EXPECT_EQ(31, Tool_GetRegistryInt("SOFTWARE\\VELDORAN", "Plain", 0, nullptr, "V", 31));
    }
    if (c.storedType != REG_BINARY) {
        EXPECT_EQ(3.5, Tool_GetRegDouble(kPlainKey, nullptr, "V", 3.5));
        const BYTE fallback[2] = {9, 8};
        BYTE read[4] = {};
        EXPECT_EQ(2u, Tool_GetRegistryBinary("SOFTWARE\\VELDORAN", "Plain", 0, nullptr, "V", fallback, 2,
                                             read, sizeof read));
        EXPECT_EQ(9, read[0]);
        EXPECT_EQ(8, read[1]);
    }
}

INSTANTIATE_TEST_SUITE_P(StoredTypes, TypeMismatchTest,
                         ::testing::Values(MismatchCase{"Text", REG_SZ, {'1', '2', 0}},
                                           MismatchCase{"DoubleWord", REG_DWORD, {12, 0, 0, 0}},
                                           MismatchCase{"Binary", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8}},
                                           MismatchCase{"ExpandText", REG_EXPAND_SZ, {'a', 0}},
                                           MismatchCase{"MultiText", REG_MULTI_SZ, {'a', 0, 0}},
                                           MismatchCase{"QuadWord", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

// Buffer of `size` bytes, stored text of `length` characters.
struct CutCase {
    DWORD size;
    int length;
    int expected;
};

class TextCutTest : public RegistryTest, public ::testing::WithParamInterface<CutCase> {};

TEST_P(TextCutTest, StoredTextIsCutAtSizeMinusOne) {
    const CutCase& c = GetParam();
    const std::string text = std::string("0123456789abcdefghijklmnopqrstuvwxyz").substr(0, c.length);
    ASSERT_TRUE(Tool_WriteRegistryString(kRoot, nullptr, 1, "Cut", "T", text.c_str()));
    std::vector<char> buffer(c.size + 4, '#');
    EXPECT_EQ(c.expected,
              Tool_GetRegistryString(kRoot, nullptr, 1, "Cut", "T", "default", buffer.data(), c.size));
    EXPECT_EQ(text.substr(0, c.expected), std::string(buffer.data()));
    EXPECT_EQ('#', buffer[c.size]) << "written past the buffer";
    EXPECT_EQ(c.expected, Tool_GetRegString(kRoot, "CurrentVersion\\SYSTEM1\\Cut", "T", "default",
                                            buffer.data(), c.size));
}

INSTANTIATE_TEST_SUITE_P(Boundaries, TextCutTest,
                         ::testing::Values(CutCase{8, 7, 7},  // exactly size - 1: whole
                                           CutCase{8, 8, 7},  // one more: cut
                                           CutCase{8, 20, 7}, // far longer: cut
                                           CutCase{8, 3, 3},  // short
                                           CutCase{1, 5, 0},  // room for the terminator only
                                           CutCase{2, 1, 1},  // one character, whole
                                           CutCase{36, 36, 35}));

TEST_F(RegistryTest, NoBufferGivesTheStoredByteSize) {
    ASSERT_TRUE(Tool_WriteRegistryString(kRoot, nullptr, 0, "Path", "Log Path", "C:\\Log"));
    // The stored size counts the terminator.
    EXPECT_EQ(7, Tool_GetRegistryString(kRoot, nullptr, 0, "Path", "Log Path", "d", nullptr, 0));
    char untouched[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(7, Tool_GetRegistryString(kRoot, nullptr, 0, "Path", "Log Path", "d", untouched, 0));
    EXPECT_EQ('#', untouched[0]);
    EXPECT_EQ(7, Tool_GetRegString(kRoot, "CurrentVersion\\Path", "Log Path", "d", nullptr, 100));
    EXPECT_EQ(0, Tool_GetRegistryString(kRoot, nullptr, 0, "Path", "Missing", "d", nullptr, 0));
    EXPECT_EQ(0, Tool_GetRegistryString(kRoot, nullptr, 0, "Absent", "Log Path", "d", nullptr, 0));

    const BYTE block[5] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(Tool_WriteRegistryBinary(kRoot, nullptr, 0, "Path", "Bin", block, 5));
    EXPECT_EQ(5u, Tool_GetRegistryBinary(kRoot, nullptr, 0, "Path", "Bin", nullptr, 0, nullptr, 0));
    EXPECT_EQ(0u, Tool_GetRegistryBinary(kRoot, nullptr, 0, "Path", "Missing", block, 5, nullptr, 0));
}

TEST_F(RegistryTest, BinaryReadCutsToTheBufferAndFallsBackToTheDefault) {
    const BYTE block[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(Tool_WriteRegistryBinary(kRoot, nullptr, 3, nullptr, "Bin", block, 6));
    BYTE read[8];
    std::memset(read, 0xEE, sizeof read);
    EXPECT_EQ(4u, Tool_GetRegistryBinary(kRoot, nullptr, 3, nullptr, "Bin", nullptr, 0, read, 4));
    EXPECT_EQ(0, std::memcmp(block, read, 4));
    EXPECT_EQ(0xEE, read[4]);
    EXPECT_EQ(6u, Tool_GetRegistryBinary(kRoot, nullptr, 3, nullptr, "Bin", nullptr, 0, read, 6));

    // The default is copied, at most the buffer's size; with none the buffer stays as it was.
    const BYTE fallback[5] = {9, 9, 9, 9, 9};
    std::memset(read, 0xEE, sizeof read);
    EXPECT_EQ(3u, Tool_GetRegistryBinary(kRoot, nullptr, 3, nullptr, "Missing", fallback, 5, read, 3));
    EXPECT_EQ(9, read[2]);
    EXPECT_EQ(0xEE, read[3]);
    std::memset(read, 0xEE, sizeof read);
    EXPECT_EQ(0u,
              Tool_GetRegistryBinary(kRoot, nullptr, 3, nullptr, "Missing", nullptr, 0, read, sizeof read));
    EXPECT_EQ(0u,
              Tool_GetRegistryBinary(kRoot, nullptr, 3, nullptr, "Missing", fallback, 0, read, sizeof read));
    EXPECT_EQ(0xEE, read[0]);
}

TEST_F(RegistryTest, IntReadsHandBackTheLastStatus) {
    DWORD status = 12345;
    EXPECT_EQ(4, Tool_GetRegistryInt(kRoot, nullptr, 0, "Absent", "V", 4, &status));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), status);
    ASSERT_TRUE(Tool_WriteRegistryInt(kRoot, nullptr, 0, "Here", "V", 8));
    status = 12345;
    EXPECT_EQ(8, Tool_GetRegistryInt(kRoot, nullptr, 0, "Here", "V", 4, &status));
    EXPECT_EQ(0u, status);
    status = 12345;
    EXPECT_EQ(4, Tool_GetRegistryInt(kRoot, nullptr, 0, "Here", "Missing", 4, &status));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), status);
    char buffer[8];
    status = 12345;
    EXPECT_EQ(1,
              Tool_GetRegistryString(kRoot, nullptr, 0, "Absent", "V", "d", buffer, sizeof buffer, &status));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), status);
}

TEST_F(RegistryTest, CommonStringReadsBelowTheCommonRoot) {
    ASSERT_TRUE(Tool_WriteRegString(OVS_REG_COMMON_ROOT, "Language", "UseSystemLanguage", "No"));
    char buffer[8];
    EXPECT_EQ(2, Tool_GetRegistryCommonString("Language", "UseSystemLanguage", "Yes", buffer, sizeof buffer));
    EXPECT_STREQ("No", buffer);
    EXPECT_EQ(3, Tool_GetRegistryCommonString("Language", "Missing", "Yes", buffer, sizeof buffer));
    EXPECT_STREQ("Yes", buffer);
    ASSERT_TRUE(Tool_WriteRegString(OVS_REG_COMMON_ROOT, nullptr, "Top", "t"));
    EXPECT_EQ(1, Tool_GetRegistryCommonString(nullptr, "Top", "Yes", buffer, sizeof buffer));
    EXPECT_EQ(1, Tool_GetRegistryCommonString("", "Top", "Yes", buffer, sizeof buffer));
}

TEST_F(RegistryTest, WritesOverwriteAndChangeTheType) {
    ASSERT_TRUE(Tool_WriteRegistryInt(kRoot, nullptr, 0, "K", "V", 1));
    ASSERT_TRUE(Tool_WriteRegistryString(kRoot, nullptr, 0, "K", "V", "now text"));
    EXPECT_EQ(-1, Tool_GetRegistryInt(kRoot, nullptr, 0, "K", "V", -1));
    char buffer[16];
    EXPECT_EQ(8, Tool_GetRegistryString(kRoot, nullptr, 0, "K", "V", "d", buffer, sizeof buffer));
}

TEST_F(RegistryTest, MissingArgumentsAreRefused) {
    EXPECT_FALSE(Tool_WriteRegString(nullptr, "K", "V", "t"));
    EXPECT_FALSE(Tool_WriteRegString(kPlainKey, nullptr, "V", nullptr));
    EXPECT_FALSE(Tool_WriteRegBinary(kPlainKey, nullptr, "V", nullptr, 4));
    EXPECT_FALSE(Tool_WriteRegistryString(nullptr, nullptr, 0, nullptr, "V", "t"));
    EXPECT_FALSE(Tool_WriteRegistryString(kRoot, nullptr, 0, nullptr, "V", nullptr));
    EXPECT_FALSE(Tool_WriteRegistryBinary(kRoot, nullptr, 0, nullptr, "V", nullptr, 1));
    EXPECT_FALSE(Tool_DeleteRegValue(nullptr, "K", "V"));
    EXPECT_FALSE(Tool_DeleteRegistryValue(nullptr, nullptr, 0, "K", "V"));
    EXPECT_EQ(5, Tool_GetRegistryInt(nullptr, nullptr, 0, nullptr, "V", 5));
    EXPECT_FALSE(RawKeyExists(kRoot));
}

// ---- Deletes ---------------------------------------------------------------------------------------

TEST_F(RegistryTest, PlainDeleteRemovesTheValueOnce) {
    ASSERT_TRUE(Tool_WriteRegInt(kPlainKey, "Sub", "V", 1));
    ASSERT_TRUE(Tool_WriteRegInt(kPlainKey, "Sub", "Keep", 2));
    EXPECT_TRUE(Tool_DeleteRegValue(kPlainKey, "Sub", "V"));
    EXPECT_FALSE(RawQuery(std::string(kPlainKey) + "\\Sub", "V").has_value());
    EXPECT_TRUE(RawQuery(std::string(kPlainKey) + "\\Sub", "Keep").has_value());
    EXPECT_FALSE(Tool_DeleteRegValue(kPlainKey, "Sub", "V"));
    EXPECT_FALSE(Tool_DeleteRegValue(kPlainKey, "Absent", "Keep"));
    // Without a subkey the key path itself is used.
    ASSERT_TRUE(Tool_WriteRegInt(kPlainKey, nullptr, "Top", 3));
    EXPECT_TRUE(Tool_DeleteRegValue(kPlainKey, nullptr, "Top"));
    EXPECT_FALSE(RawQuery(kPlainKey, "Top").has_value());
}

struct DeleteCase {
    int systemNumber;
    const char* path; // below the root
};

class SystemDeleteTest : public RegistryTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(SystemDeleteTest, DeletesBelowTheComposedPath) {
    const DeleteCase& c = GetParam();
    ASSERT_TRUE(Tool_WriteRegistryString(kRoot, nullptr, c.systemNumber, "Sub", "V", "x"));
    const std::string path = std::string(kRoot) + c.path;
    ASSERT_TRUE(RawQuery(path, "V").has_value());
    EXPECT_TRUE(Tool_DeleteRegistryValue(kRoot, nullptr, c.systemNumber, "Sub", "V"));
    EXPECT_FALSE(RawQuery(path, "V").has_value());
    EXPECT_TRUE(RawKeyExists(path));
    EXPECT_FALSE(Tool_DeleteRegistryValue(kRoot, nullptr, c.systemNumber, "Sub", "V"));
}

INSTANTIATE_TEST_SUITE_P(SystemNumbers, SystemDeleteTest,
                         ::testing::Values(DeleteCase{0, "\\CurrentVersion\\Sub"},
                                           DeleteCase{4, "\\CurrentVersion\\SYSTEM4\\Sub"}));

TEST_F(RegistryTest, DeleteWithoutSubkeyKeepsTheSubkeyPlace) {
    // The path then ends in "\", which names the same key.
    ASSERT_TRUE(Tool_WriteRegistryInt(kRoot, nullptr, 0, nullptr, "V", 1));
    EXPECT_TRUE(Tool_DeleteRegistryValue(kRoot, nullptr, 0, nullptr, "V"));
    EXPECT_FALSE(RawQuery(std::string(kRoot) + "\\CurrentVersion", "V").has_value());
    ASSERT_TRUE(Tool_WriteRegInt(kPlainKey, nullptr, "V", 1));
    EXPECT_TRUE(Tool_DeleteRegValue(kPlainKey, "", "V"));
    EXPECT_FALSE(RawQuery(kPlainKey, "V").has_value());
}

// ---- PCID ------------------------------------------------------------------------------------------

TEST_F(RegistryTest, CurrentPcidIsOneWhenMissingOrZero) {
    EXPECT_EQ(1u, Tool_GetCurrentPCID());
    ASSERT_TRUE(Tool_WriteRegInt(OVS_REG_COMMON_ROOT, "SystemAdmin", "PCID", 0));
    EXPECT_EQ(1u, Tool_GetCurrentPCID());
    ASSERT_TRUE(Tool_WriteRegInt(OVS_REG_COMMON_ROOT, "SystemAdmin", "PCID", 37));
    EXPECT_EQ(37u, Tool_GetCurrentPCID());
    ASSERT_TRUE(Tool_WriteRegString(OVS_REG_COMMON_ROOT, "SystemAdmin", "PCID", "37"));
    EXPECT_EQ(1u, Tool_GetCurrentPCID());
}

// ---- Length limit of the composed key path ------------------------------------------------------

// "SOFTWARE\VELDORAN\" and parts below it, `length` characters in all; no part is over 255.
std::string KeyPathOfLength(size_t length) {
    std::string path = "SOFTWARE\\VELDORAN\\";
    while (path.size() < length) {
        const size_t left = length - path.size();
        if (left <= 200) {
            path.append(left, 'k');
        } else {
            path.append(150, 'p').append("\\");
        }
    }
    return path;
}

TEST_F(RegistryTest, KeyPathOfExactly255CharactersIsUsed) {
    const std::string path = KeyPathOfLength(255);
    ASSERT_EQ(255u, path.size());
    EXPECT_TRUE(Tool_WriteRegString(path.c_str(), nullptr, "V", "long"));
    EXPECT_TRUE(RawQuery(path, "V").has_value());
    char buffer[8];
    EXPECT_EQ(4, Tool_GetRegString(path.c_str(), "", "V", "d", buffer, sizeof buffer));
    EXPECT_TRUE(Tool_DeleteRegValue(path.c_str(), nullptr, "V"));
}

TEST_F(RegistryTest, KeyPathOver255CharactersIsRefused) {
    const std::string path = KeyPathOfLength(256);
    // The key exists, so only the length can make the library refuse it.
    const int stored = 5;
    RawSet(path, "V", REG_DWORD, &stored, sizeof stored);
    EXPECT_EQ(-1, Tool_GetRegInt(path.c_str(), nullptr, "V", -1));
    char buffer[8];
    EXPECT_EQ(1, Tool_GetRegString(path.c_str(), nullptr, "V", "d", buffer, sizeof buffer));
    EXPECT_FALSE(Tool_WriteRegInt(path.c_str(), nullptr, "W", 1));
    EXPECT_FALSE(RawQuery(path, "W").has_value());
    EXPECT_FALSE(Tool_DeleteRegValue(path.c_str(), nullptr, "V"));
    EXPECT_TRUE(RawQuery(path, "V").has_value());

    // A subkey that takes a 255-character key path over the limit is refused as well.
    const std::string full = KeyPathOfLength(255);
    EXPECT_FALSE(Tool_WriteRegString(full.c_str(), "S", "V", "x"));
    EXPECT_FALSE(RawKeyExists(full + "\\S"));
    // The key name is still composed in full.
    EXPECT_EQ(257, Tool_GetRegKeyName(full.c_str(), "S", nullptr, 0));
}

TEST_F(RegistryTest, SystemAwarePathOver255CharactersIsRefused) {
    // Root + "\CurrentVersion" (15) + "\SYSTEM1" (8) = 256.
    const std::string root = KeyPathOfLength(233);
    char name[300];
    ASSERT_EQ(256, Tool_GetRegistryKeyName(root.c_str(), nullptr, 1, nullptr, name, sizeof name));
    EXPECT_FALSE(Tool_WriteRegistryInt(root.c_str(), nullptr, 1, nullptr, "V", 1));
    EXPECT_FALSE(RawKeyExists(name));
    ASSERT_EQ(255, Tool_GetRegistryKeyName(root.c_str(), "CurrentVersio", 1, nullptr, name, sizeof name));
    EXPECT_TRUE(Tool_WriteRegistryInt(root.c_str(), "CurrentVersio", 1, nullptr, "V", 1));
    EXPECT_EQ(1, Tool_GetRegistryInt(root.c_str(), "CurrentVersio", 1, nullptr, "V", -1));
}

// ---- Double-byte text ------------------------------------------------------------------------

// "表示" in code page 932: four bytes.
constexpr char kDoubleByteText[] = "\x95\x5C\x8E\xA6";

int RunDoubleByteText(const std::vector<std::string>&) {
    if (GetACP() != 932) {
        return 0x100;
    }
    int failures = 0;
    if (!Tool_WriteRegistryString(kRoot, nullptr, 0, "Path", "Text", kDoubleByteText)) {
        return 0x200;
    }
    char buffer[16] = {};
    if (Tool_GetRegistryString(kRoot, nullptr, 0, "Path", "Text", "", buffer, sizeof buffer) != 4 ||
        std::strcmp(buffer, kDoubleByteText) != 0) {
        failures |= 0x01;
    }
    // Sizes count bytes, the terminator included.
    if (Tool_GetRegistryString(kRoot, nullptr, 0, "Path", "Text", "", nullptr, 0) != 5) {
        failures |= 0x02;
    }
    return failures;
}

ovs::test::ChildMode doubleByteTextMode("registry-double-byte-text", RunDoubleByteText);

TEST_F(RegistryTest, DoubleByteTextReadsBackInItsCodePage) {
    if (!ovs::test::RunsUnderWine()) {
        GTEST_SKIP() << "the locale of a child is set through Wine's Unix environment";
    }
    const ovs::test::ChildResult result =
        ovs::test::RunChildInLocale("ja_JP.UTF-8", "registry-double-byte-text");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode) << "1: text, 2: size";
}

// ---- Failures in the debug report ----------------------------------------------------------------

constexpr char kDeniedOpenKey[] = "DeniedOpen";
constexpr char kDeniedQueryKey[] = "DeniedQuery";
constexpr char kMarker[] = "MARK ";

void Mark(LPCSTR section) {
    Tool_DbgReport(nullptr, 0, OVS_DBG_INF, "%s%s", kMarker, section);
}

// Puts a security descriptor on a key for the life of the object and restores the old one through
// the same handle, which keeps its rights whatever the descriptor says.
class KeySecurity {
public:
    KeySecurity(const std::string& keyPath, LPCSTR sddl, SECURITY_INFORMATION parts) : m_parts(parts) {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_ALL_ACCESS | WRITE_OWNER,
                          m_key.put()) != ERROR_SUCCESS) {
            return;
        }
        DWORD size = 0;
        RegGetKeySecurity(m_key.get(), parts, nullptr, &size);
        m_old.resize(size);
        if (size == 0 || RegGetKeySecurity(m_key.get(), parts, m_old.data(), &size) != ERROR_SUCCESS) {
            return;
        }
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                                  nullptr)) {
            return;
        }
        ovs::unique_hlocal owner(descriptor);
        m_applied = RegSetKeySecurity(m_key.get(), parts, descriptor) == ERROR_SUCCESS;
    }
    ~KeySecurity() {
        if (m_applied) {
            RegSetKeySecurity(m_key.get(), m_parts, m_old.data());
        }
    }
    KeySecurity(const KeySecurity&) = delete;
    KeySecurity& operator=(const KeySecurity&) = delete;
    bool applied() const { return m_applied; }

private:
    SECURITY_INFORMATION m_parts;
    ovs::unique_hkey m_key;
    std::vector<BYTE> m_old;
    bool m_applied = false;
};

// Exit code: one bit per expectation that did not hold in the child.
int RunDeniedAccess(const std::vector<std::string>&) {
    int failures = 0;
    if (!Tool_InitDbgReportEx(1, 0x1F, 0, 0x01000000, 0, 3, "B", "A")) {
        return 0x100;
    }
    Tool_WriteRegistryString(kRoot, nullptr, 0, kDeniedOpenKey, "V", "x");
    Tool_WriteRegistryString(kRoot, nullptr, 0, kDeniedQueryKey, "V", "x");
    const std::string base = std::string(kRoot) + "\\" + kVersion + "\\";
    {
        // An owner other than this user (who would keep reading and changing the rights) and a
        // descriptor that denies everyone everything make even the plain open, which asks for
        // whatever access is allowed, fail. Giving the key to the system account needs the restore
        // privilege on Windows; Wine lets an administrator do it.
        KeySecurity noOpen(base + kDeniedOpenKey, "O:SYD:(D;;KA;;;WD)",
                           OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION);
        // The owner keeps the right to open, but not to read values.
        KeySecurity noQuery(base + kDeniedQueryKey, "D:(D;;KA;;;WD)", DACL_SECURITY_INFORMATION);
        if (!noOpen.applied() || !noQuery.applied()) {
            return 0x200;
        }
        char buffer[16];
        DWORD status = 0;
        Mark("open");
        if (Tool_GetRegistryString(kRoot, nullptr, 0, kDeniedOpenKey, "V", "dflt", buffer, sizeof buffer,
                                   &status) != 4 ||
            status != ERROR_ACCESS_DENIED) {
            failures |= 0x01;
        }
        Mark("create");
        if (Tool_WriteRegistryInt(kRoot, nullptr, 0, kDeniedOpenKey, "W", 1)) {
            failures |= 0x02;
        }
        Mark("query");
        if (Tool_GetRegistryInt(kRoot, nullptr, 0, kDeniedQueryKey, "V", 6, &status) != 6 ||
            status != ERROR_ACCESS_DENIED) {
            failures |= 0x04;
        }
        Mark("write");
        if (Tool_WriteRegistryInt(kRoot, nullptr, 0, kDeniedQueryKey, "W", 1)) {
            failures |= 0x08;
        }
    }
    Mark("missing");
    DWORD status = 0;
    if (Tool_GetRegistryInt(kRoot, nullptr, 0, "Absent", "V", 6, &status) != 6 ||
        status != ERROR_FILE_NOT_FOUND) {
        failures |= 0x10;
    }
    Tool_GetRegistryInt(kRoot, nullptr, 0, kDeniedQueryKey, "Missing", 6);
    Tool_GetRegInt("SOFTWARE\\VELDORAN\\Absent\\Deeper", nullptr, "V", 6);
    Tool_DeleteRegValue(kRoot, "Absent", "V");
    Tool_DeleteRegistryValue(kRoot, nullptr, 0, kDeniedQueryKey, "Missing");
    Mark("end");
    return failures;
}

ovs::test::ChildMode deniedAccessMode("registry-denied-access", RunDeniedAccess);

struct ReportLine {
    std::string tag; // "ERR", "INF", ... or empty for banners
    std::string message;
};

bool StartsWithTime(const std::string& line) {
    // "2026/12/04 17:05:09.123"
    return line.size() >= 23 && line[4] == '/' && line[7] == '/' && line[10] == ' ' && line[13] == ':' &&
           line[19] == '.';
}

// Time, process/thread, [tag], source(line), message: the message follows the fourth tab. Banners
// have no tag; a line that does not begin with a time goes on with the message before it.
std::vector<ReportLine> ParseReport(const std::string& text) {
    std::vector<ReportLine> lines;
    for (const std::string& line : ovs::test::SplitLines(text)) {
        if (!StartsWithTime(line)) {
            if (!lines.empty()) {
                lines.back().message += "\r\n" + line;
            }
            continue;
        }
        std::vector<size_t> tabs;
        for (size_t at = line.find('\t'); at != std::string::npos && tabs.size() < 4;
             at = line.find('\t', at + 1)) {
            tabs.push_back(at);
        }
        if (tabs.size() == 4 && line.compare(tabs[1] + 1, 1, "[") == 0) {
            lines.push_back({line.substr(tabs[1] + 2, tabs[2] - tabs[1] - 3), line.substr(tabs[3] + 1)});
        } else if (tabs.size() >= 2) {
            lines.push_back({std::string(), line.substr(tabs[1] + 1)});
        }
    }
    return lines;
}

// The error lines between "MARK section" and the next marker.
std::vector<std::string> ErrorsIn(const std::vector<ReportLine>& lines, const std::string& section) {
    std::vector<std::string> errors;
    bool inside = false;
    for (const ReportLine& line : lines) {
        if (line.tag == "INF" && line.message.rfind(kMarker, 0) == 0) {
            inside = line.message == kMarker + section;
        } else if (inside && line.tag == "ERR") {
            errors.push_back(line.message);
        }
    }
    return errors;
}

std::string SystemText(DWORD status) {
    LPSTR text = nullptr;
    FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        status, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0, nullptr);
    ovs::unique_hlocal owner(text);
    return text != nullptr ? text : "";
}

class RegistryReportTest : public RegistryTest {
protected:
    std::vector<ReportLine> RunChildAndReadReport() {
        ovs::test::ReportFolder folder;
        const ovs::test::ChildResult result = ovs::test::RunChild("registry-denied-access");
        EXPECT_TRUE(result.finished);
        EXPECT_EQ(0u, result.exitCode) << "failed expectations in the child (bits)";
        return ParseReport(ovs::test::ReadFileText(folder.reportFile("001")));
    }
};

TEST_F(RegistryReportTest, AccessDeniedIsLoggedAndMissingKeysAreNot) {
    const std::vector<ReportLine> lines = RunChildAndReadReport();
    ASSERT_FALSE(lines.empty()) << "no debug report";
    const std::string denied = SystemText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(denied.empty());
    const std::string keyBase = std::string(kRoot) + "\\CurrentVersion\\";

    // Open: the system's text, then the step's own message with the key path.
    EXPECT_EQ((std::vector<std::string>{denied, "[OpenRegistryKey] Failed with unintended error. " + keyBase +
                                                    kDeniedOpenKey}),
              ErrorsIn(lines, "open"));
    EXPECT_EQ((std::vector<std::string>{denied, "[CreateRegistryKey] Failed with unintended error. " +
                                                    keyBase + kDeniedOpenKey}),
              ErrorsIn(lines, "create"));
    EXPECT_EQ(
        (std::vector<std::string>{denied, "[QueryRegistryValue] Failed with unintended error. Subkey : V"}),
        ErrorsIn(lines, "query"));
    // A failed value write writes the system's text alone.
    EXPECT_EQ(std::vector<std::string>{denied}, ErrorsIn(lines, "write"));
    // Missing keys and values (status 2 and 3) are ordinary.
    EXPECT_TRUE(ErrorsIn(lines, "missing").empty());
}

} // namespace
