// Registry settings of the machine and of the current user, and the failures the debug report tells.
#include "test_support.h"
#include "cp932_child.h"
#include "current_user_raw.h"
#include "ovsreg.h"
#include "ovsregcurrentuser.h"
#include "ovstooldbgreport.h"

#include <sddl.h>

#include <cstring>
#include <regex>

using namespace std::string_literals;
using ovs::test::BothHivesTest;

namespace {

constexpr char kRoot[] = OVS_REG_PRODUCT_ROOT;
// Not a triple that the policy cache answers.
constexpr char kKey[] = "SOFTWARE\\VELDORAN\\Settings";
constexpr char kSub[] = "Sub";
const std::string kKeySub = kKey + "\\Sub"s;

// "<type>:<bytes>" of a value as the hive holds it, read past the library, or "missing".
std::string Hive(HKEY hive, const std::string& keyPath, LPCSTR valueName) {
    const auto value = ovs::test::RawUserQuery(keyPath, valueName, hive);
    return value ? std::to_string(value->type) + ":" + std::string(value->bytes.begin(), value->bytes.end())
                 : "missing";
}

// The plain machine family and the current-user family share one read and write algorithm.
struct Family {
    const char* name;
    HKEY hive;
    HKEY otherHive;
    decltype(&Tool_GetRegString) getString;
    decltype(&Tool_GetRegInt) getInt;
    decltype(&Tool_GetRegCurrentUserBinary) getBinary; // below kKey\kSub only
    decltype(&Tool_WriteRegString) writeString;
    decltype(&Tool_WriteRegInt) writeInt;
    decltype(&Tool_WriteRegBinary) writeBinary;
};

const Family kFamilies[] = {
    {"machine", HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, Tool_GetRegString, Tool_GetRegInt,
     [](LPCSTR, LPCSTR, LPCSTR name, const void* fallback, DWORD fallbackSize, void* buffer, DWORD size) {
         return Tool_GetRegistryBinary("SOFTWARE\\VELDORAN", "Settings", 0, kSub, name, fallback,
                                       fallbackSize, buffer, size);
     },
     Tool_WriteRegString, Tool_WriteRegInt, Tool_WriteRegBinary},
    {"current user", HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, Tool_GetRegCurrentUserString,
     Tool_GetRegCurrentUserInt, Tool_GetRegCurrentUserBinary, Tool_WriteRegCurrentUserString,
     Tool_WriteRegCurrentUserInt, Tool_WriteRegCurrentUserBinary}};

void ResetBothHives() {
    ovs::test::ResetProductRegistry();
    ovs::test::ResetCurrentUserTree();
}

TEST_F(BothHivesTest, ValuesAreStoredTypedInTheirOwnHiveAndReadBackWholeOrCut) {
    const std::tuple<DWORD, int, int> cases[] = {{8, 7, 7}, {8, 8, 7}, {8, 20, 7}, {1, 5, 0}, {2, 1, 1}};
    const BYTE block[6] = {0, 0xFF, 0x10, 0, 5, 6};
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ResetBothHives();
        ASSERT_TRUE(f.writeString(kKey, kSub, "Text", "value text"));
        ASSERT_TRUE(f.writeInt(kKey, kSub, "Neg", -123456));
        ASSERT_TRUE(f.writeBinary(kKey, kSub, "Bin", block, 4));
        ASSERT_TRUE(f.writeBinary(kKey, kSub, "None", nullptr, 0));
        EXPECT_EQ("1:value text\0|4:\xC0\x1D\xFE\xFF|3:\0\xFF\x10\0|3:|missing"s,
                  Hive(f.hive, kKeySub, "Text") + "|" + Hive(f.hive, kKeySub, "Neg") + "|" +
                      Hive(f.hive, kKeySub, "Bin") + "|" + Hive(f.hive, kKeySub, "None") + "|" +
                      Hive(f.otherHive, kKeySub, "Text"));
        char buffer[32];
        EXPECT_EQ(10, f.getString(kKey, kSub, "Text", "default", buffer, sizeof buffer));
        EXPECT_STREQ("value text", buffer);
        EXPECT_EQ(-123456, f.getInt(kKey, kSub, "Neg", 9));
        // An absent or empty subkey names the key.
        ASSERT_TRUE(f.writeString(kKey, nullptr, "", "t"));
        ASSERT_TRUE(f.writeInt(kKey, "", "EmptySub", 5));
        EXPECT_EQ("1:t\0"s, Hive(f.hive, kKey, ""));
        EXPECT_EQ(1, f.getString(kKey, "", "", "d", buffer, sizeof buffer));
        EXPECT_EQ(5, f.getInt(kKey, nullptr, "EmptySub", -1));
        for (const auto& [size, length, expected] : cases) {
            SCOPED_TRACE(std::to_string(length) + " in " + std::to_string(size));
            const std::string text = std::string("0123456789abcdefghij").substr(0, length);
            ASSERT_TRUE(f.writeString(kKey, kSub, "T", text.c_str()));
            std::vector<char> out(size + 4, '#');
            EXPECT_EQ(expected, f.getString(kKey, kSub, "T", "dflt", out.data(), size));
            EXPECT_EQ(text.substr(0, expected), std::string(out.data()));
            EXPECT_EQ('#', out[size]) << "written past the buffer";
            // The stored size counts the terminator; a buffer of size 0 stays untouched.
            EXPECT_EQ(length + 1, f.getString(kKey, kSub, "T", "d", out.data(), 0));
            EXPECT_EQ('#', out[size]);
        }
        ASSERT_TRUE(f.writeBinary(kKey, kSub, "Bin", block, 6));
        BYTE read[8];
        std::memset(read, 0xEE, sizeof read);
        EXPECT_EQ(4u, f.getBinary(kKey, kSub, "Bin", nullptr, 0, read, 4));
        EXPECT_EQ(6u, f.getBinary(kKey, kSub, "Bin", nullptr, 0, nullptr, 0));
        // A default is copied, at most the buffer's size; with none the buffer stays as it was.
        EXPECT_EQ(0u, f.getBinary(kKey, kSub, "Missing", block, 5, nullptr, 0));
        EXPECT_EQ(3u, f.getBinary(kKey, kSub, "Missing", block, 5, read, 3));
        EXPECT_EQ(0u, f.getBinary(kKey, kSub, "Missing", block, 0, read + 4, 4));
        EXPECT_EQ("\0\xFF\x10\0\xEE"s, std::string(read, read + 5));
    }
}

// "SOFTWARE\VELDORAN\" and parts below it, `length` characters in all; no part is over 255.
std::string KeyPathOfLength(size_t length) {
    std::string path = "SOFTWARE\\VELDORAN\\";
    while (path.size() < length) {
        const size_t left = length - path.size();
        left <= 200 ? path.append(left, 'k') : path.append(150, 'p').append("\\");
    }
    return path;
}
TEST_F(BothHivesTest, MissingValuesGiveTheDefaultBadWritesAndKeyPathsOver255AreRefused) {
    const std::string full = KeyPathOfLength(255);
    const std::string over = KeyPathOfLength(256);
    const std::pair<DWORD, std::vector<BYTE>> stored[] = {
        {REG_SZ, {'1', '2', 0}},   {REG_DWORD, {12, 0, 0, 0}},  {REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8}},
        {REG_EXPAND_SZ, {'a', 0}}, {REG_MULTI_SZ, {'a', 0, 0}}, {REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}}};
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ResetBothHives();
        EXPECT_FALSE(f.writeString(nullptr, kSub, "V", "t"));
        EXPECT_FALSE(f.writeString(kKey, kSub, "V", nullptr));
        EXPECT_FALSE(f.writeBinary(kKey, kSub, "V", nullptr, 4));
        EXPECT_FALSE(ovs::test::RawUserKeyExists(kKeySub, f.hive));
        EXPECT_TRUE(f.writeInt(full.c_str(), nullptr, "V", 1));
        // The key exists, so only the length can make the library refuse it.
        ASSERT_TRUE(ovs::test::RawUserSet(over, "V", REG_SZ, "x", 2, f.hive));
        char buffer[8];
        EXPECT_EQ(1, f.getString(over.c_str(), nullptr, "V", "d", buffer, sizeof buffer));
        EXPECT_FALSE(f.writeInt(over.c_str(), nullptr, "W", 1));
        EXPECT_EQ("missing", Hive(f.hive, over, "W"));
        // A subkey that takes a 255-character key path over the limit.
        EXPECT_FALSE(f.writeString(full.c_str(), "S", "V", "x"));
        EXPECT_FALSE(ovs::test::RawUserKeyExists(full + "\\S", f.hive));
        ASSERT_TRUE(f.writeString(kKey, kSub, "Other", "x"));
        ASSERT_TRUE(ovs::test::RawUserSet(kKeySub, "InOtherHive", REG_SZ, "y", 2, f.otherHive));
        const std::pair<LPCSTR, LPCSTR> cases[] = {{"SOFTWARE\\VELDORAN\\Absent", "Value"},
                                                   {kKey, "Value"},
                                                   {kKey, "InOtherHive"},
                                                   {nullptr, "Other"}};
        for (const auto& [keyPath, valueName] : cases) {
            SCOPED_TRACE((keyPath ? keyPath : "(null)") + " "s + valueName);
            char buffer[16];
            std::memset(buffer, '#', sizeof buffer);
            EXPECT_EQ(4, f.getString(keyPath, kSub, valueName, "abcdefgh", buffer, 5));
            EXPECT_EQ("abcd\0#"s, std::string(buffer, 6));
            EXPECT_EQ(4, f.getString(keyPath, kSub, valueName, "abcd", buffer, 5));
            EXPECT_EQ(0, f.getString(keyPath, kSub, valueName, nullptr, buffer, sizeof buffer));
            EXPECT_STREQ("", buffer);
            EXPECT_EQ(-42, f.getInt(keyPath, kSub, valueName, -42));
            EXPECT_EQ(0, f.getString(keyPath, kSub, valueName, "default", nullptr, 16)) << "no stored size";
        }
        // Each read expects one type; a value of any other type counts as missing.
        for (const auto& [type, bytes] : stored) {
            SCOPED_TRACE("type " + std::to_string(type));
            ASSERT_TRUE(ovs::test::RawUserSet(kKeySub, "V", type, bytes.data(),
                                              static_cast<DWORD>(bytes.size()), f.hive));
            char buffer[16];
            EXPECT_EQ(type == REG_SZ ? 2 : 1, f.getString(kKey, kSub, "V", "d", buffer, sizeof buffer));
            EXPECT_EQ(type == REG_SZ ? 3 : 0, f.getString(kKey, kSub, "V", "d", nullptr, 0));
            EXPECT_EQ(type == REG_DWORD ? 12 : 31, f.getInt(kKey, kSub, "V", 31));
            const BYTE fallback[2] = {9, 8};
            BYTE read[4] = {};
            EXPECT_EQ(type == REG_BINARY ? 4u : 2u, f.getBinary(kKey, kSub, "V", fallback, 2, read, 4));
            EXPECT_EQ(type == REG_BINARY ? 1 : 9, read[0]);
        }
    }
    ASSERT_TRUE(Tool_WriteRegInt(full.c_str(), nullptr, "V", 1) &&
                ovs::test::RawUserSet(over, "V", REG_SZ, "x", 2, HKEY_LOCAL_MACHINE)); // reset by the loop
    EXPECT_TRUE(Tool_DeleteRegValue(full.c_str(), nullptr, "V"));
    EXPECT_FALSE(Tool_DeleteRegValue(over.c_str(), nullptr, "V"));
    EXPECT_EQ("1:x\0"s, Hive(HKEY_LOCAL_MACHINE, over, "V"));
    EXPECT_EQ(257, Tool_GetRegKeyName(full.c_str(), "S", nullptr, 0));
    // Root + "\CurrentVersion" (15) + "\SYSTEM1" (8) = 256.
    const std::string root = KeyPathOfLength(233);
    EXPECT_FALSE(Tool_WriteRegistryInt(root.c_str(), nullptr, 1, nullptr, "V", 1));
    EXPECT_FALSE(ovs::test::RawUserKeyExists(root + "\\CurrentVersion\\SYSTEM1", HKEY_LOCAL_MACHINE));
    EXPECT_TRUE(Tool_WriteRegistryInt(root.c_str(), "CurrentVersio", 1, nullptr, "V", 1));
}

TEST_F(BothHivesTest, SystemAwareCallsUseTheComposedKeyPath) {
    // The key path below the root last.
    const std::tuple<LPCSTR, int, LPCSTR, const char*> cases[] = {
        {nullptr, 0, nullptr, "\\CurrentVersion"},
        {nullptr, 0, "", "\\CurrentVersion"},
        {nullptr, 0, "Path", "\\CurrentVersion\\Path"},
        {nullptr, 2, nullptr, "\\CurrentVersion\\SYSTEM2"},
        {"2.10", 0, "P\\Q", "\\2.10\\P\\Q"},
        {"2.10", 12, nullptr, "\\2.10\\SYSTEM12"},
        {"2.10", -1, "Path", "\\2.10\\Path"}};
    const BYTE block[] = {1, 2, 3};
    for (const auto& [version, system, sub, below] : cases) {
        SCOPED_TRACE(below);
        const std::string name = "A"s + below;
        const std::string path = kRoot + std::string(below);
        char buffer[300];
        EXPECT_EQ(int(name.size()), Tool_GetRegistryKeyName("A", version, system, sub, buffer, 300));
        EXPECT_EQ(name, buffer);
        EXPECT_EQ(int(name.size()), Tool_GetRegistryKeyName("A", version, system, sub, nullptr, 0));
        EXPECT_EQ(int(name.size()),
                  Tool_GetRegistryCurrentUserKeyName("A", version, short(system), sub, buffer, 300));
        EXPECT_EQ(name, buffer);
        ASSERT_TRUE(Tool_WriteRegistryString(kRoot, version, system, sub, "Text", "t"));
        ASSERT_TRUE(Tool_WriteRegistryInt(kRoot, version, system, sub, "Int", 5));
        ASSERT_TRUE(Tool_WriteRegistryBinary(kRoot, version, system, sub, "Bin", block, 3));
        EXPECT_EQ("1:t\0"s + "4:\x05\0\0\0"s + "3:\x01\x02\x03", Hive(HKEY_LOCAL_MACHINE, path, "Text") +
                                                                     Hive(HKEY_LOCAL_MACHINE, path, "Int") +
                                                                     Hive(HKEY_LOCAL_MACHINE, path, "Bin"));
        EXPECT_EQ(3u, Tool_GetRegistryBinary(kRoot, version, system, sub, "Bin", nullptr, 0, buffer + 2, 8));
        EXPECT_EQ(1, Tool_GetRegistryString(kRoot, version, system, sub, "Text", "d", buffer, 2));
        EXPECT_EQ("t\0\x01\x02\x03"s, std::string(buffer, 5));
        EXPECT_EQ(5, Tool_GetRegistryInt(kRoot, version, system, sub, "Int", -1));
        // The delete always keeps the subkey's place; an absent subkey leaves "\" at the end.
        EXPECT_TRUE(Tool_DeleteRegistryValue(kRoot, version, system, sub, "Int"));
        EXPECT_EQ("missing", Hive(HKEY_LOCAL_MACHINE, path, "Int"));
        EXPECT_FALSE(Tool_DeleteRegistryValue(kRoot, version, system, sub, "Int"));
    }
}

TEST_F(BothHivesTest, PlainCallsDoublesStatusesCommonStringsAndThePcid) {
    const std::pair<LPCSTR, const char*> cases[] = {
        {nullptr, ""}, {"", ""}, {"B", "\\B"}, {"B\\C", "\\B\\C"}};
    for (const auto& [sub, below] : cases) {
        SCOPED_TRACE(below);
        const std::string name = "A"s + below;
        const std::string path = kKey + std::string(below);
        char buffer[32];
        EXPECT_EQ(int(name.size()), Tool_GetRegKeyName("A", sub, buffer, sizeof buffer));
        EXPECT_EQ(name, buffer);
        EXPECT_EQ(int(name.size()), Tool_GetRegKeyName("A", sub, nullptr, 0));
        ASSERT_TRUE(Tool_WriteRegInt(kKey, sub, "Int", 77));
        EXPECT_TRUE(Tool_DeleteRegValue(kKey, sub, "Int"));
        EXPECT_EQ("missing", Hive(HKEY_LOCAL_MACHINE, path, "Int"));
        EXPECT_FALSE(Tool_DeleteRegValue(kKey, sub, "Int"));
    }
    EXPECT_FALSE(Tool_DeleteRegValue(kKey, "Absent", "Int"));
    // Cuts keep the terminator; the system key has at most fifteen characters.
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(4, Tool_GetRegistryKeyName("A", nullptr, 2, "B", buffer, 5));
    EXPECT_EQ("A\\Cu\0#"s, std::string(buffer, 6));
    EXPECT_EQ(0, Tool_GetRegKeyName("ABC", "D", buffer, 1));
    EXPECT_EQ(32, Tool_GetRegistryKeyName("A", nullptr, 2147483647, nullptr, buffer, sizeof buffer));
    EXPECT_STREQ("A\\CurrentVersion\\SYSTEM214748364", buffer);
    const BYTE one[10] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0xAA, 0xAA}; // 1.0, little-endian, and more bytes
    ASSERT_TRUE(Tool_WriteRegBinary(kKey, nullptr, "One", one, sizeof one));
    EXPECT_EQ(1.0, Tool_GetRegDouble(kKey, nullptr, "One", 7.0));
    // A shorter block fills only the leading bytes of 0.0: the tiny number 0x3FF0 * 2^-1074.
    ASSERT_TRUE(Tool_WriteRegBinary(kKey, nullptr, "Short", one + 6, 2));
    const double read = Tool_GetRegDouble(kKey, nullptr, "Short", 7.0);
    EXPECT_EQ(0, std::memcmp("\xF0\x3F\0\0\0\0\0\0", &read, 8));
    EXPECT_EQ(0.25, Tool_GetRegDouble(kKey, nullptr, "Missing", 0.25));

    DWORD status[3] = {12345, 12345, 12345};
    ASSERT_TRUE(Tool_WriteRegistryInt(kRoot, nullptr, 0, "Here", "V", 8));
    EXPECT_EQ(4, Tool_GetRegistryInt(kRoot, nullptr, 0, "Absent", "V", 4, &status[0]));
    EXPECT_EQ(8, Tool_GetRegistryInt(kRoot, nullptr, 0, "Here", "V", 4, &status[1]));
    EXPECT_EQ(1,
              Tool_GetRegistryString(kRoot, nullptr, 0, "Here", "W", "d", buffer, sizeof buffer, &status[2]));
    EXPECT_EQ((std::vector<DWORD>{ERROR_FILE_NOT_FOUND, 0, ERROR_FILE_NOT_FOUND}),
              std::vector<DWORD>(status, status + 3));
    EXPECT_FALSE(Tool_WriteRegistryString(nullptr, nullptr, 0, nullptr, "V", "t"));
    EXPECT_FALSE(Tool_DeleteRegistryValue(nullptr, nullptr, 0, "K", "V"));

    ASSERT_TRUE(Tool_WriteRegString(OVS_REG_COMMON_ROOT, "Language", "UseSystemLanguage", "No"));
    EXPECT_EQ(2, Tool_GetRegistryCommonString("Language", "UseSystemLanguage", "Yes", buffer, sizeof buffer));
    EXPECT_STREQ("No", buffer);
    ASSERT_TRUE(Tool_WriteRegString(OVS_REG_COMMON_ROOT, nullptr, "Top", "t"));
    EXPECT_EQ(1, Tool_GetRegistryCommonString("", "Top", "Yes", buffer, sizeof buffer));
    EXPECT_EQ(1u, Tool_GetCurrentPCID());
    for (const auto& [stored, expected] : {std::pair{0, 1u}, {37, 37u}}) {
        ASSERT_TRUE(Tool_WriteRegInt(OVS_REG_COMMON_ROOT, "SystemAdmin", "PCID", stored));
        EXPECT_EQ(expected, Tool_GetCurrentPCID());
    }
}

class DbcsRegistryTest : public BothHivesTest {};

TEST_F(DbcsRegistryTest, DoubleByteTextKeepsItsBytes) {
    OVS_REQUIRE_CODE_PAGE_932();
    constexpr char kText[] = "\x95\x5C\x8E\xA6"; // two characters; the first one's trail byte is '\'
    ASSERT_TRUE(Tool_WriteRegistryString(kRoot, nullptr, 0, "Path", "Text", kText));
    char buffer[16] = {};
    EXPECT_EQ(4, Tool_GetRegistryString(kRoot, nullptr, 0, "Path", "Text", "", buffer, sizeof buffer));
    EXPECT_STREQ(kText, buffer);
    EXPECT_EQ(5, Tool_GetRegistryString(kRoot, nullptr, 0, "Path", "Text", "", nullptr, 0));
}

// Sets the owner (when the text names one) and the access list of an open key.
bool SetKeySecurity(HKEY key, LPCSTR sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const bool made =
        ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr);
    const ovs::unique_hlocal owner(descriptor);
    return made && RegSetKeySecurity(
                       key, DACL_SECURITY_INFORMATION | (sddl[0] == 'O' ? OWNER_SECURITY_INFORMATION : 0),
                       descriptor) == ERROR_SUCCESS;
}

// Fails each step once between markers of the debug report; the exit code is the query's status.
const ovs::test::ChildMode kDeniedAccess("registry-denied-access", [](const std::vector<std::string>&) {
    const auto mark = [](LPCSTR section) { Tool_DbgReport(nullptr, 0, OVS_DBG_INF, "MARK %s", section); };
    Tool_WriteRegistryString(kRoot, nullptr, 0, "DeniedOpen", "V", "x");
    Tool_WriteRegistryString(kRoot, nullptr, 0, "DeniedQuery", "V", "x");
    // These handles keep their rights whatever the descriptors say, and open everything again at the end.
    ovs::unique_hkey noOpen;
    ovs::unique_hkey noQuery;
    const std::string base = kRoot + "\\CurrentVersion\\"s;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, (base + "DeniedOpen").c_str(), 0, KEY_ALL_ACCESS | WRITE_OWNER,
                  noOpen.put());
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, (base + "DeniedQuery").c_str(), 0, KEY_ALL_ACCESS, noQuery.put());
    // Owned by the system account (an administrator may give it away under Wine) and denying everyone
    // everything, the first key fails even the plain open; the owner of the second may open it only.
    if (!Tool_InitDbgReportEx(1, 0x1F, 0, 0x01000000, 0, 3, "B", "A") ||
        !SetKeySecurity(noOpen.get(), "O:SYD:(D;;KA;;;WD)") ||
        !SetKeySecurity(noQuery.get(), "D:(D;;KA;;;WD)")) {
        return -1;
    }
    DWORD status = 0;
    mark("open");
    Tool_GetRegistryInt(kRoot, nullptr, 0, "DeniedOpen", "V", 6);
    mark("create");
    Tool_WriteRegistryInt(kRoot, nullptr, 0, "DeniedOpen", "W", 1);
    mark("query");
    Tool_GetRegistryInt(kRoot, nullptr, 0, "DeniedQuery", "V", 6, &status);
    SetKeySecurity(noOpen.get(), "D:(A;;KA;;;WD)");
    SetKeySecurity(noQuery.get(), "D:(A;;KA;;;WD)");
    mark("missing");
    Tool_GetRegistryInt(kRoot, nullptr, 0, "DeniedQuery", "Missing", 6);
    Tool_GetRegInt("SOFTWARE\\VELDORAN\\Absent\\Deeper", nullptr, "V", 6);
    Tool_DeleteRegistryValue(kRoot, nullptr, 0, "DeniedQuery", "Missing");
    return static_cast<int>(status);
});

TEST_F(BothHivesTest, AccessDeniedIsLoggedAndMissingKeysAreNot) {
    ovs::test::ReportFolder folder;
    const ovs::test::ChildResult result = ovs::test::RunChild("registry-denied-access");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), result.exitCode);
    // Each marker, then the messages of the error lines (time, thread, [ERR], source, message).
    static const std::regex kEntry(R"([^\t]*\t[^\t]*\t\[(INF|ERR)\]\t[^\t]*\t(MARK )?(.*))");
    std::string errors;
    for (const std::string& line : ovs::test::SplitLines(ovs::test::ReadFileText(folder.reportFile("001")))) {
        std::smatch m;
        if (std::regex_match(line, m, kEntry) && (m[1] == "ERR" || m[2].matched)) {
            errors += m[2].matched ? m[3].str() + ":" : "|" + m[3].str();
        }
    }
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_ACCESS_DENIED,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    // The system's text, then the step's own message; missing keys and values (status 2 and 3) are
    // ordinary.
    const std::string denied = "|" + std::string(text).substr(0, std::string(text).find('\r'));
    const std::string key = kRoot + "\\CurrentVersion\\DeniedOpen"s;
    EXPECT_EQ("open:" + denied + "|[OpenRegistryKey] Failed with unintended error. " + key + "create:" +
                  denied + "|[CreateRegistryKey] Failed with unintended error. " + key + "query:" + denied +
                  "|[QueryRegistryValue] Failed with unintended error. Subkey : Vmissing:",
              errors);
}

} // namespace
