// Registry settings of the machine and of the current user with the failures the debug report tells, the
// policy cache and its writers, and the storage client against the out-of-process storage server stand-in.
#include "test_support.h"
#include "cp932_child.h"
#include "current_user_raw.h"
#include "ovsreg.h"
#include "ovsregcurrentuser.h"
#include "ovsregstorage.h"
#include "ovstooldbgreport.h"
#include "storage_server.h"

#include <comdef.h>
#include <sddl.h>

#include <array>
#include <cstring>
#include <regex>
#include <sstream>
#include <thread>
#include <tuple>

using namespace std::string_literals;
using namespace ovs::test;

namespace {

constexpr char kRoot[] = OVS_REG_PRODUCT_ROOT;
constexpr char kCommon[] = OVS_REG_COMMON_ROOT;
// Not a triple that the policy cache answers.
constexpr char kKey[] = "SOFTWARE\\VELDORAN\\Settings";
constexpr char kSub[] = "Sub";
const std::string kKeySub = kKey + "\\Sub"s;
// A root the cache does not list: everything written below it reaches the hive.
constexpr char kOtherRoot[] = "SOFTWARE\\VELDORAN\\WriterTest";
const HKEY kMachine = HKEY_LOCAL_MACHINE;

// "<type>:<bytes>" of a value as the hive holds it, read past the library, or "missing".
std::string Hive(HKEY hive, const std::string& keyPath, LPCSTR valueName) {
    DWORD type = 0;
    DWORD size = 4096;
    std::string bytes(size, '\0');
    const LSTATUS status =
        RegGetValueA(hive, keyPath.c_str(), valueName, RRF_RT_ANY | RRF_NOEXPAND, &type, bytes.data(), &size);
    return status == ERROR_SUCCESS ? std::to_string(type) + ":" + bytes.substr(0, size) : "missing";
}

// A current-user value as a number (a DWORD) or as a text without its terminator, or "missing".
std::string HiveText(const std::string& keyPath, LPCSTR valueName) {
    const std::string held = Hive(HKEY_CURRENT_USER, keyPath, valueName);
    const size_t colon = held.find(':');
    return held.rfind("4:", 0) == 0 ? std::to_string(*reinterpret_cast<const int*>(held.data() + 2))
                                    : held.substr(colon + 1, held.find('\0') - colon - 1);
}

// "<result>:<text>" of a current-user text read with default "dflt" into a buffer of `size` bytes.
std::string ReadText(LPCSTR keyPath, LPCSTR subKey, LPCSTR valueName, DWORD size = 64) {
    std::vector<char> buffer(size + 1, '#');
    const int result = Tool_GetRegCurrentUserString(keyPath, subKey, valueName, "dflt", buffer.data(), size);
    return std::to_string(result) + ":" + buffer.data() +
           (buffer[size] != '#' ? " written past the end" : "");
}

int ReadInt(LPCSTR keyPath, LPCSTR subKey, LPCSTR valueName) {
    return Tool_GetRegCurrentUserInt(keyPath, subKey, valueName, -12345);
}

// A machine value below kKey\kSub, read through the system-aware call with "Settings" as its version key.
DWORD GetBinary(LPCSTR name, const void* fallback, DWORD fallbackSize, void* buffer, DWORD size) {
    return Tool_GetRegistryBinary("SOFTWARE\\VELDORAN", "Settings", 0, kSub, name, fallback, fallbackSize,
                                  buffer, size);
}

TEST_F(BothHivesTest, ValuesAreTypedInTheirHiveReadWholeOrCutAndMissingOrOtherTypesGiveTheDefault) {
    // Buffer size, text length, result: fits, exactly fills, cut.
    const std::tuple<DWORD, int, int> cuts[] = {{8, 6, 6},  {8, 7, 7}, {8, 8, 7},
                                                {8, 20, 7}, {1, 5, 0}, {2, 1, 1}};
    const std::pair<LPCSTR, LPCSTR> missing[] = {
        {"SOFTWARE\\VELDORAN\\Absent", "Value"}, {kKey, "Value"}, {nullptr, "Text"}};
    const std::pair<DWORD, std::vector<BYTE>> types[] = {
        {REG_SZ, {'1', '2', 0}},   {REG_DWORD, {12, 0, 0, 0}},  {REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8}},
        {REG_EXPAND_SZ, {'a', 0}}, {REG_MULTI_SZ, {'a', 0, 0}}, {REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}}};
    const BYTE block[6] = {0, 0xFF, 0x10, 0, 5, 6};
    EXPECT_FALSE(Tool_WriteRegString(nullptr, kSub, "V", "t"));
    EXPECT_FALSE(Tool_WriteRegString(kKey, kSub, "V", nullptr));
    EXPECT_FALSE(Tool_WriteRegBinary(kKey, kSub, "V", nullptr, 4));
    EXPECT_FALSE(RawUserKeyExists(kKeySub, kMachine));
    ASSERT_TRUE(Tool_WriteRegString(kKey, kSub, "Text", "value text"));
    ASSERT_TRUE(Tool_WriteRegInt(kKey, kSub, "Neg", -123456));
    ASSERT_TRUE(Tool_WriteRegBinary(kKey, kSub, "Bin", block, 4));
    ASSERT_TRUE(Tool_WriteRegBinary(kKey, kSub, "None", nullptr, 0));
    EXPECT_EQ("1:value text\0|4:\xC0\x1D\xFE\xFF|3:\0\xFF\x10\0|3:|missing"s,
              Hive(kMachine, kKeySub, "Text") + "|" + Hive(kMachine, kKeySub, "Neg") + "|" +
                  Hive(kMachine, kKeySub, "Bin") + "|" + Hive(kMachine, kKeySub, "None") + "|" +
                  Hive(HKEY_CURRENT_USER, kKeySub, "Text"));
    char buffer[32];
    for (const auto& [size, length, expected] : cuts) {
        SCOPED_TRACE(std::to_string(length) + " in " + std::to_string(size));
        const std::string text = std::string("0123456789abcdefghij").substr(0, length);
        ASSERT_TRUE(Tool_WriteRegString(kKey, kSub, "T", text.c_str()));
        std::vector<char> out(size + 4, '#');
        EXPECT_EQ(expected, Tool_GetRegString(kKey, kSub, "T", "dflt", out.data(), size));
        // Nothing is written past the buffer; the stored size counts the terminator.
        EXPECT_EQ(text.substr(0, expected) + "#", std::string(out.data()) + out[size]);
        EXPECT_EQ(length + 1, Tool_GetRegString(kKey, kSub, "T", "d", out.data(), 0));
    }
    ASSERT_TRUE(Tool_WriteRegBinary(kKey, kSub, "Bin", block, 6));
    BYTE read[8];
    std::memset(read, 0xEE, sizeof read);
    EXPECT_EQ(4u, GetBinary("Bin", nullptr, 0, read, 4));
    EXPECT_EQ(6u, GetBinary("Bin", nullptr, 0, nullptr, 0));
    // A default is copied, at most the buffer's size; with none the buffer stays as it was.
    EXPECT_EQ(0u, GetBinary("Missing", block, 5, nullptr, 0));
    EXPECT_EQ(3u, GetBinary("Missing", block, 5, read, 3));
    EXPECT_EQ(0u, GetBinary("Missing", block, 0, read + 4, 4));
    EXPECT_EQ("\0\xFF\x10\0\xEE"s, std::string(read, read + 5));

    for (const auto& [keyPath, valueName] : missing) {
        SCOPED_TRACE((keyPath ? keyPath : "(null)") + " "s + valueName);
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(4, Tool_GetRegString(keyPath, kSub, valueName, "abcdefgh", buffer, 5));
        EXPECT_EQ("abcd\0#"s, std::string(buffer, 6));
        EXPECT_EQ(4, Tool_GetRegString(keyPath, kSub, valueName, "abcd", buffer, 5));
        EXPECT_EQ(0, Tool_GetRegString(keyPath, kSub, valueName, nullptr, buffer, sizeof buffer));
        EXPECT_STREQ("", buffer);
        EXPECT_EQ(-42, Tool_GetRegInt(keyPath, kSub, valueName, -42));
        EXPECT_EQ(0, Tool_GetRegString(keyPath, kSub, valueName, "default", nullptr, 16)) << "no stored size";
    }
    // Each read expects one type; a value of any other type counts as missing.
    for (const auto& [type, bytes] : types) {
        SCOPED_TRACE("type " + std::to_string(type));
        ASSERT_TRUE(RawUserSet(kKeySub, "V", type, bytes.data(), DWORD(bytes.size()), kMachine));
        EXPECT_EQ(type == REG_SZ ? 2 : 1, Tool_GetRegString(kKey, kSub, "V", "d", buffer, sizeof buffer));
        EXPECT_EQ(type == REG_SZ ? 3 : 0, Tool_GetRegString(kKey, kSub, "V", "d", nullptr, 0));
        EXPECT_EQ(type == REG_DWORD ? 12 : 31, Tool_GetRegInt(kKey, kSub, "V", 31));
        std::memset(read, 0, sizeof read);
        EXPECT_EQ(type == REG_BINARY ? 4u : 2u, GetBinary("V", block + 4, 2, read, 4));
        EXPECT_EQ(type == REG_BINARY ? 1 : 5, read[0]);
    }
}

TEST_F(BothHivesTest, KeyPathsOver255AreRefusedAndSystemAwareCallsUseTheComposedKeyPath) {
    // Both families check the length in one step, after adding the subkey, before touching the hive.
    const std::string full = "SOFTWARE\\VELDORAN\\" + std::string(237, 'k');
    const std::string over = full + "k";
    EXPECT_TRUE(Tool_WriteRegInt(full.c_str(), nullptr, "V", 1));
    // The key exists, so only the length can make the library refuse it.
    ASSERT_TRUE(RawUserSet(over, "V", REG_SZ, "x", 2, kMachine));
    char buffer[300];
    EXPECT_EQ(1, Tool_GetRegString(over.c_str(), nullptr, "V", "d", buffer, sizeof buffer));
    EXPECT_FALSE(Tool_WriteRegInt(over.c_str(), nullptr, "W", 1));
    EXPECT_FALSE(Tool_DeleteRegValue(over.c_str(), nullptr, "V"));
    EXPECT_EQ("1:x\0|missing"s, Hive(kMachine, over, "V") + "|" + Hive(kMachine, over, "W"));
    EXPECT_FALSE(Tool_WriteRegString(full.c_str(), "S", "V", "x"));
    EXPECT_FALSE(RawUserKeyExists(full + "\\S", kMachine));
    // Root + "\CurrentVersion" (15) + "\SYSTEM1" (8) = 256.
    const std::string root = full.substr(0, 233);
    EXPECT_FALSE(Tool_WriteRegistryInt(root.c_str(), nullptr, 1, nullptr, "V", 1));
    EXPECT_FALSE(RawUserKeyExists(root + "\\CurrentVersion\\SYSTEM1", kMachine));
    EXPECT_TRUE(Tool_WriteRegistryInt(root.c_str(), "CurrentVersio", 1, nullptr, "V", 1));

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
        const std::string path = kRoot + std::string(below);
        EXPECT_EQ(int(std::strlen(below)) + 1,
                  Tool_GetRegistryKeyName("A", version, system, sub, buffer, 300));
        EXPECT_EQ("A"s + below, buffer);
        ASSERT_TRUE(Tool_WriteRegistryString(kRoot, version, system, sub, "Text", "t"));
        ASSERT_TRUE(Tool_WriteRegistryBinary(kRoot, version, system, sub, "Bin", block, 3));
        EXPECT_EQ("1:t\0|3:\x01\x02\x03"s, Hive(kMachine, path, "Text") + "|" + Hive(kMachine, path, "Bin"));
        EXPECT_EQ(3u, Tool_GetRegistryBinary(kRoot, version, system, sub, "Bin", nullptr, 0, nullptr, 0));
        EXPECT_EQ(1, Tool_GetRegistryString(kRoot, version, system, sub, "Text", "d", buffer, 300));
        // The delete always keeps the subkey's place; an absent subkey leaves "\" at the end.
        EXPECT_TRUE(Tool_DeleteRegistryValue(kRoot, version, system, sub, "Text"));
        EXPECT_EQ("missing", Hive(kMachine, path, "Text"));
    }
}

TEST_F(BothHivesTest, PlainCallsDoublesStatusesCommonStringsAndThePcid) {
    for (const auto& [sub, below] : {std::pair<LPCSTR, LPCSTR>{nullptr, ""}, {"", ""}, {"B\\C", "\\B\\C"}}) {
        SCOPED_TRACE(below);
        char buffer[32];
        EXPECT_EQ(int(std::strlen(below)) + 1, Tool_GetRegKeyName("A", sub, buffer, sizeof buffer));
        EXPECT_EQ("A"s + below, buffer);
        ASSERT_TRUE(Tool_WriteRegInt(kKey, sub, "Int", 77));
        EXPECT_TRUE(Tool_DeleteRegValue(kKey, sub, "Int"));
        EXPECT_EQ("missing", Hive(kMachine, kKey + std::string(below), "Int"));
    }
    EXPECT_FALSE(Tool_DeleteRegValue(kKey, nullptr, "Int") || Tool_DeleteRegValue(kKey, "Absent", "Int"));
    // Cuts keep the terminator; the system key has at most fifteen characters.
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(4, Tool_GetRegistryKeyName("A", nullptr, 2, "B", buffer, 5));
    EXPECT_EQ("A\\Cu\0#"s, std::string(buffer, 6));
    EXPECT_EQ(32, Tool_GetRegistryKeyName("A", nullptr, 2147483647, nullptr, buffer, sizeof buffer));
    EXPECT_STREQ("A\\CurrentVersion\\SYSTEM214748364", buffer);
    EXPECT_EQ(16, Tool_GetRegistryCurrentUserKeyName("A", nullptr, -1, nullptr, buffer, sizeof buffer));
    const BYTE one[10] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0xAA, 0xAA}; // 1.0, little-endian, and more bytes
    ASSERT_TRUE(Tool_WriteRegBinary(kKey, nullptr, "One", one, sizeof one));
    EXPECT_EQ(1.0, Tool_GetRegDouble(kKey, nullptr, "One", 7.0));
    EXPECT_EQ(0.25, Tool_GetRegDouble(kKey, nullptr, "Missing", 0.25));

    DWORD status[3] = {12345, 12345, 12345};
    ASSERT_TRUE(Tool_WriteRegistryInt(kRoot, nullptr, 0, "Here", "V", 8));
    EXPECT_EQ(4, Tool_GetRegistryInt(kRoot, nullptr, 0, "Absent", "V", 4, &status[0]));
    EXPECT_EQ(8, Tool_GetRegistryInt(kRoot, nullptr, 0, "Here", "V", 4, &status[1]));
    EXPECT_EQ(1, Tool_GetRegistryString(kRoot, nullptr, 0, "Here", "W", "d", buffer, 8, &status[2]));
    EXPECT_EQ((std::vector<DWORD>{ERROR_FILE_NOT_FOUND, 0, ERROR_FILE_NOT_FOUND}),
              std::vector<DWORD>(status, status + 3));
    EXPECT_FALSE(Tool_WriteRegistryString(nullptr, nullptr, 0, nullptr, "V", "t"));
    EXPECT_FALSE(Tool_DeleteRegistryValue(nullptr, nullptr, 0, "K", "V"));

    ASSERT_TRUE(Tool_WriteRegString(kCommon, "Language", "UseSystemLanguage", "No"));
    EXPECT_EQ(2, Tool_GetRegistryCommonString("Language", "UseSystemLanguage", "Yes", buffer, sizeof buffer));
    EXPECT_STREQ("No", buffer);
    for (const auto& [stored, expected] : {std::pair{0, 1u}, {37, 37u}}) {
        ASSERT_TRUE(Tool_WriteRegInt(kCommon, "SystemAdmin", "PCID", stored));
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

// Fails open, create and query once each, then reads missing keys and values; exits with the query's status.
const ChildMode kDeniedAccess("registry-denied-access", [](const std::vector<std::string>&) {
    Tool_WriteRegistryString(kRoot, nullptr, 0, "DeniedOpen", "V", "x");
    Tool_WriteRegistryString(kRoot, nullptr, 0, "DeniedQuery", "V", "x");
    // These handles keep their rights whatever the descriptors say, and open everything again at the end.
    ovs::unique_hkey noOpen;
    ovs::unique_hkey noQuery;
    const std::string base = kRoot + "\\CurrentVersion\\"s;
    RegOpenKeyExA(kMachine, (base + "DeniedOpen").c_str(), 0, KEY_ALL_ACCESS | WRITE_OWNER, noOpen.put());
    RegOpenKeyExA(kMachine, (base + "DeniedQuery").c_str(), 0, KEY_ALL_ACCESS, noQuery.put());
    // Owned by the system account (an administrator may give it away under Wine) and denying everyone
    // everything, the first key fails even the plain open; the owner of the second may open it only.
    if (!Tool_InitDbgReportEx(1, 0x1F, 0, 0x01000000, 0, 3, "B", "A") ||
        !SetKeySecurity(noOpen.get(), "O:SYD:(D;;KA;;;WD)") ||
        !SetKeySecurity(noQuery.get(), "D:(D;;KA;;;WD)")) {
        return -1;
    }
    DWORD status = 0;
    Tool_GetRegistryInt(kRoot, nullptr, 0, "DeniedOpen", "V", 6);
    Tool_WriteRegistryInt(kRoot, nullptr, 0, "DeniedOpen", "W", 1);
    Tool_GetRegistryInt(kRoot, nullptr, 0, "DeniedQuery", "V", 6, &status);
    SetKeySecurity(noOpen.get(), "D:(A;;KA;;;WD)");
    SetKeySecurity(noQuery.get(), "D:(A;;KA;;;WD)");
    Tool_GetRegistryInt(kRoot, nullptr, 0, "DeniedQuery", "Missing", 6);
    Tool_GetRegInt("SOFTWARE\\VELDORAN\\Absent\\Deeper", nullptr, "V", 6);
    Tool_DeleteRegistryValue(kRoot, nullptr, 0, "DeniedQuery", "Missing");
    return static_cast<int>(status);
});

TEST_F(BothHivesTest, AccessDeniedIsLoggedAndMissingKeysAreNot) {
    ReportFolder folder;
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), RunChild("registry-denied-access").exitCode);
    // The messages of the error lines (time, thread, [ERR], source, message).
    static const std::regex kError(R"([^\t]*\t[^\t]*\t\[ERR\]\t[^\t]*\t(.*))");
    std::string errors;
    for (const std::string& line : SplitLines(ReadFileText(folder.reportFile("001")))) {
        std::smatch m;
        errors += std::regex_match(line, m, kError) ? "|" + m[1].str() : "";
    }
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_ACCESS_DENIED,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    // The system's text, then the step's own message; missing keys and values (2 and 3) are ordinary.
    const std::string denied = "|" + std::string(text).substr(0, std::string(text).find('\r'));
    const std::string key = kRoot + "\\CurrentVersion\\DeniedOpen"s;
    EXPECT_EQ(denied + "|[OpenRegistryKey] Failed with unintended error. " + key + denied +
                  "|[CreateRegistryKey] Failed with unintended error. " + key + denied +
                  "|[QueryRegistryValue] Failed with unintended error. Subkey : V",
              errors);
}

TEST_F(BothHivesTest, ListedTriplesAreCachedNotStoredAndNearMissesReachTheHive) {
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kRoot, "AuditTrail", "BatchSetting", "Yes"));
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kRoot, "Report", "HeaderDataStatus", ""));
    ASSERT_TRUE(Tool_WriteRegCurrentUserInt(kCommon, "SystemAdmin", "LoginTryCount", -70000));
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kRoot, "File", "IsDataOverwritten", "No"));
    const BYTE block[4] = {1, 0, 0, 0};
    ASSERT_TRUE(Tool_WriteRegCurrentUserBinary(kRoot, "Option", "UseMail", block, sizeof block));
    EXPECT_FALSE(RawUserKeyExists(kCurrentUserTree));
    // The cache keeps the characters without a terminator; a text shorter than a number reads as the
    // default; binary reads never ask the cache.
    EXPECT_EQ("3:Yes 2:Ye 0: 0:", ReadText(kRoot, "AuditTrail", "BatchSetting") + " " +
                                      ReadText(kRoot, "AuditTrail", "BatchSetting", 3) + " " +
                                      ReadText(kRoot, "AuditTrail", "BatchSetting", 1) + " " +
                                      ReadText(kRoot, "Report", "HeaderDataStatus"));
    EXPECT_EQ(3, Tool_GetRegCurrentUserString(kRoot, "AuditTrail", "BatchSetting", "dflt", nullptr, 0));
    BYTE buffer[4];
    EXPECT_EQ((std::vector<int>{-70000, -12345, 1, 1}),
              (std::vector<int>{
                  ReadInt(kCommon, "SystemAdmin", "LoginTryCount"),
                  ReadInt(kRoot, "File", "IsDataOverwritten"), ReadInt(kRoot, "Option", "UseMail"),
                  int(Tool_GetRegCurrentUserBinary(kRoot, "Option", "UseMail", block, 1, buffer, 4))}));

    const std::string lowerRoot = "software\\veldoran\\orvantiscope\\orvantiscope2";
    const std::string composed = kRoot + "\\AuditTrail"s;
    const std::string trailing = kRoot + "\\"s;
    constexpr char kSetting[] = "ConfigSetting";
    const std::tuple<const char*, const char*, const char*> nearMisses[] = {
        {lowerRoot.c_str(), "AuditTrail", kSetting}, {kRoot, "audittrail", kSetting},
        {kRoot, "AuditTrail", "configsetting"},      {composed.c_str(), nullptr, kSetting},
        {trailing.c_str(), "AuditTrail", kSetting},  {kRoot, "Report", kSetting}};
    for (const auto& [keyPath, subKey, valueName] : nearMisses) {
        const std::string text = keyPath + "|"s + (subKey ? subKey : "(null)") + "|" + valueName;
        SCOPED_TRACE(text);
        ResetCurrentUserTree();
        ASSERT_TRUE(Tool_WriteRegCurrentUserString(keyPath, subKey, valueName, text.c_str()));
        EXPECT_EQ(text, HiveText(kRoot + "\\"s + (subKey ? subKey : "AuditTrail"), valueName));
        EXPECT_EQ(std::to_string(text.size()) + ":" + text, ReadText(keyPath, subKey, valueName, 200));
    }
    // Not listed: the current user's hive only; no key path, text or data: refused, or the default.
    const BYTE bytes[3] = {1, 2, 3};
    ASSERT_TRUE(Tool_WriteRegCurrentUserBinary(kKey, nullptr, "Bin", bytes, 3));
    ASSERT_TRUE(Tool_WriteRegCurrentUserInt(kKey, "", "Int", -5));
    EXPECT_EQ("3:\x01\x02\x03|missing"s,
              Hive(HKEY_CURRENT_USER, kKey, "Bin") + "|" + Hive(kMachine, kKey, "Bin"));
    EXPECT_FALSE(Tool_WriteRegCurrentUserString(nullptr, kSub, "V", "t") ||
                 Tool_WriteRegCurrentUserString(kKey, kSub, "V", nullptr) ||
                 Tool_WriteRegCurrentUserBinary(kKey, kSub, "V", nullptr, 4));
    EXPECT_FALSE(RawUserKeyExists(kKeySub));
    EXPECT_EQ("-5 3 4:dflt -12345 2 4:dflt",
              std::to_string(ReadInt(kKey, nullptr, "Int")) + " " +
                  std::to_string(Tool_GetRegCurrentUserBinary(kKey, "", "Bin", nullptr, 0, nullptr, 0)) +
                  " " + ReadText(nullptr, kSub, "V") + " " + std::to_string(ReadInt(nullptr, kSub, "V")) +
                  " " +
                  std::to_string(Tool_GetRegCurrentUserBinary(nullptr, kSub, "V", bytes, 2, buffer, 4)) +
                  " " + ReadText(kKey, "", "Int"));
}

// How a test object fails a call: by its HRESULT or by its status; other calls answer S_OK and 0.
using Failure = std::pair<HRESULT, LONG>;
const Failure kFailures[] = {{E_FAIL, 0}, {S_OK, -1}};

// The library calls only the slots it names; the objects live on the test's stack and log the calls.
template <class Interface>
struct TestObject : Interface {
    std::map<LONG, Failure> failures;
    std::vector<LONG> calls;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT Answer(LONG number, LONG* status) {
        calls.push_back(number);
        const auto failure = failures.find(number);
        *status = failure == failures.end() ? 0 : failure->second.second;
        return failure == failures.end() ? S_OK : failure->second.first;
    }
};

// Every policy has the same value; any one can fail.
struct TestPolicy : TestObject<IOVSUserPolicy> {
    LONG allValues = 0;

    HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPolicySwitch(LONG number, LONG* value, LONG* status) override {
        return GetPolicyNumber(number, value, status);
    }
    HRESULT STDMETHODCALLTYPE GetPolicyNumber(LONG number, LONG* value, LONG* status) override {
        *value = failures.count(number) ? 1 : allValues; // a failed call's value must not be used
        return Answer(number, status);
    }
};

using DataFormatAnswer = std::array<LONG, 4>; // kind, decimals, significant digits, fourth value

// clang-format off
#define OVS_RESERVED_SLOT(n) HRESULT STDMETHODCALLTYPE Reserved##n() override { return E_NOTIMPL; }
// clang-format on

// One data format for every number and one value for the four modes (none: outputs left untouched).
struct TestSettings : TestObject<IOVSSysProjSetting> {
    std::optional<DataFormatAnswer> format;
    std::optional<LONG> mode;

    // clang-format off
    OVS_RESERVED_SLOT(4) OVS_RESERVED_SLOT(5) OVS_RESERVED_SLOT(6) OVS_RESERVED_SLOT(7) OVS_RESERVED_SLOT(8)
    OVS_RESERVED_SLOT(9) OVS_RESERVED_SLOT(10) OVS_RESERVED_SLOT(12) OVS_RESERVED_SLOT(16)
    HRESULT STDMETHODCALLTYPE GetDataFormat(LONG number, LONG* kind, LONG* decimals, LONG* digits, LONG* fourth,
                                            LONG* status) override {
        // clang-format on
        if (format) {
            std::tie(*kind, *decimals, *digits, *fourth) = std::tuple_cat(*format);
        }
        return Answer(number, status);
    }
    HRESULT STDMETHODCALLTYPE GetAHFormatMode(LONG* v, LONG* s) override { return Mode(13, v, s); }
    HRESULT STDMETHODCALLTYPE GetDilutionFactor(LONG* v, LONG* s) override { return Mode(14, v, s); }
    HRESULT STDMETHODCALLTYPE GetTotalMode(LONG* v, LONG* s) override { return Mode(15, v, s); }
    HRESULT STDMETHODCALLTYPE GetDefaultXAxisCalibCurve(LONG* v, LONG* s) override { return Mode(17, v, s); }
    HRESULT Mode(LONG slot, LONG* value, LONG* status) {
        *value = mode.value_or(*value);
        return Answer(slot, status);
    }
};

// How a row is written: N the number; Y "Yes" when 1; R "Yes" when 0; M "No" when 1.
struct PolicyRow {
    LONG number;
    char rule;
    std::string subKey; // below the common root for "SystemAdmin", else below the caller's root
    std::string valueName;
};

// The rows in the order in which the writer must read them.
const char kPolicyTable[] =
    "2010 N SystemAdmin LoginTryCount 2009 N SystemAdmin LoginLockTime 1019 Y SystemAdmin IsWindowsLogin "
    "1026 Y AuditTrail DefaultSetting 1027 Y AuditTrail BatchSetting 1028 Y AuditTrail ReportSetting "
    "1030 R AuditTrail ChangeInstrumentParam 1031 Y AuditTrail ConfigSetting "
    "1116 Y AuditTrail AttestInputReason 1117 Y AuditTrail SelectChangeReason "
    "1118 Y AuditTrail NeedBatchStopReason 1032 Y Report OutputFilenameOnItemTitle "
    "1033 Y Report InhibitFileReadPerItem 1034 Y Report HeaderParentType 1035 Y Report HeaderDataStatus "
    "1036 R File IsDataOverwritten 1037 R File IsMethodOverwritten 1038 R File IsReportOverwritten "
    "1039 R File IsBatchOverwritten 1040 R File IsAcqDataOverwritten 1119 Y AuditTrail ColumnAuditSetting "
    "1120 Y AuditTrail NeedColumnAuditSetting 1121 Y Option InhibitAcquitionNotColumn "
    "1130 R File EnableSaveAsData 1140 Y File UseOnlyMetaDataFile 2007 N SystemAdmin LoginTryCountUser "
    "2006 N SystemAdmin LoginLockTimeUser 2004 N SystemAdmin SamePwdPeriod 1029 Y Log IsAuditTrailLog "
    "1024 Y SystemAdmin IsPwdComplex 1016 M Option UseMail 1041 M Option UseMessage "
    "1042 Y Option SaveMethodDL 1048 Y Option CreatePDFFile 1049 Y Option PrintReportSaveData "
    "1111 Y Report InhibitPrintIfNotSaved 1150 Y Option BanEditExecutedBatchRow "
    "1151 Y Option BanPartialRunSelectedRow 1152 Y Option PermitPrunExecutedBatchRow";

std::vector<PolicyRow> PolicyRows() {
    std::vector<PolicyRow> rows;
    std::istringstream table(kPolicyTable);
    for (PolicyRow row; table >> row.number >> row.rule >> row.subKey >> row.valueName;) {
        rows.push_back(row);
    }
    return rows;
}
const std::vector<PolicyRow> kPolicyRows = PolicyRows();

// What a row should hold after the writer read `value` for it (or failed: the row's default).
std::string Expected(const PolicyRow& row, LONG value, bool failed) {
    if (row.rule == 'N') {
        return std::to_string(failed ? 0 : static_cast<short>(value & 0xFFFF));
    }
    const bool yes = row.rule == 'Y'   ? !failed && value == 1
                     : row.rule == 'R' ? failed || value == 0
                                       : failed || value != 1;
    return yes ? "Yes" : "No";
}

// What a row holds after the writer ran with the product root, read through the library.
std::string Stored(const PolicyRow& row) {
    const std::string keyPath = row.subKey == "SystemAdmin" ? kCommon : kRoot;
    if (row.rule == 'N') {
        return std::to_string(ReadInt(keyPath.c_str(), row.subKey.c_str(), row.valueName.c_str()));
    }
    const std::string text = ReadText(keyPath.c_str(), row.subKey.c_str(), row.valueName.c_str());
    return text.substr(text.find(':') + 1);
}

// Runs the policy writer with every policy at `value` and the one numbered `failing` failing.
void ExpectPolicyRun(LONG value, LONG failing = 0, Failure how = {}) {
    SCOPED_TRACE("all " + std::to_string(value) + ", failing " + std::to_string(failing));
    TestPolicy policy;
    policy.allValues = value;
    policy.failures[failing] = how;
    ASSERT_TRUE(Tool_WriteRegCurrentUserPolicy(kRoot, &policy));
    ASSERT_EQ(kPolicyRows.size(), policy.calls.size());
    for (size_t i = 0; i < policy.calls.size(); ++i) {
        EXPECT_EQ(kPolicyRows[i].number, policy.calls[i]);
        EXPECT_EQ(Expected(kPolicyRows[i], value, kPolicyRows[i].number == failing), Stored(kPolicyRows[i]))
            << kPolicyRows[i].valueName;
    }
}

TEST_F(BothHivesTest, EveryPolicyIsReadOnceInOrderAndWrittenByItsRuleOrItsDefault) {
    // Numbers keep their low sixteen bits as a signed number.
    for (LONG value : {0, 1, 2, 5, 0x12345, 0xFFFF, -3, 0x18000}) {
        ExpectPolicyRun(value);
    }
    for (const Failure& how : kFailures) {
        for (const PolicyRow& failing : kPolicyRows) {
            ExpectPolicyRun(1, failing.number, how);
        }
    }
    // A missing root or object writes nothing.
    TestPolicy policy;
    TestSettings settings;
    EXPECT_TRUE(Tool_WriteRegCurrentUserPolicy(nullptr, &policy) &&
                Tool_WriteRegCurrentUserPolicy(kRoot, nullptr) &&
                Tool_WriteRegCurrentUserSysProjSetting(nullptr, &settings) &&
                Tool_WriteRegCurrentUserSysProjSetting(kRoot, nullptr));
    EXPECT_TRUE(policy.calls.empty() && settings.calls.empty());
}

// In a fresh process: listed triples give the default until written, whatever the hive holds; a root
// differing in letter case writes to the hive, but the common-root rows are cached all the same.
const ChildMode kFreshProcess("policy-fresh-process", [](const std::vector<std::string>&) {
    char buffer[16] = "#";
    const bool fresh =
        ReadText(kRoot, "AuditTrail", "DefaultSetting") == "4:dflt" &&
        Tool_GetRegCurrentUserString(kRoot, "AuditTrail", "DefaultSetting", "dflt", nullptr, 0) == 0 &&
        Tool_GetRegCurrentUserString(kRoot, "AuditTrail", "DefaultSetting", nullptr, buffer, 16) == 0 &&
        buffer[0] == '\0' && Tool_GetRegCurrentUserInt(kCommon, "SystemAdmin", "LoginLockTime", -9) == -9 &&
        Tool_GetRegCurrentUserInt(kCommon, "SystemAdmin", "NotListed", -9) == 77; // not listed: the hive
    TestPolicy policy;
    Tool_WriteRegCurrentUserPolicy("software\\veldoran\\orvantiscope\\orvantiscope2", &policy);
    const bool otherCase = HiveText(kRoot + "\\AuditTrail"s, "DefaultSetting") == "No" &&
                           ReadText(kRoot, "AuditTrail", "DefaultSetting") == "4:dflt" &&
                           Tool_GetRegCurrentUserInt(kCommon, "SystemAdmin", "LoginTryCount", -1) == 0;
    return (fresh ? 0 : 1) | (otherCase ? 0 : 2); // the bits of the parts that failed
});

TEST_F(BothHivesTest, CacheAnswersOnlyWhatTheProcessWroteWithTheExactRoot) {
    ASSERT_TRUE(RawUserSet(kRoot + "\\AuditTrail"s, "DefaultSetting", REG_SZ, "Yes", 4));
    ASSERT_TRUE(RawUserSetInt(kCommon + "\\SystemAdmin"s, "LoginLockTime", 30));
    ASSERT_TRUE(RawUserSetInt(kCommon + "\\SystemAdmin"s, "NotListed", 77));
    EXPECT_EQ(0u, RunChild("policy-fresh-process").exitCode);
}

const LONG kFormatNumbers[] = {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012,
                               1013, 1014, 1015, 1016, 1017, 1018, 1043, 1019, 1020, 1021, 1022, 1023,
                               1024, 1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035,
                               1036, 1037, 1038, 1039, 1040, 1041, 1042, 1044, 1045, 1046, 1047, 1048,
                               1049, 1050, 1051, 1052, 1053, 1101, 1102, 1103, 1104, 1105, 1106, 1107};

TEST_F(BothHivesTest, FormatsAreReadInOrderAndStoredAsFourNumbersModesAsTextsOrInts) {
    // Other kinds become 1, untouched outputs keep their starting values; all modes but the last are 0 or 1.
    const std::tuple<std::optional<DataFormatAnswer>, const char*, std::optional<LONG>, const char*> cases[] =
        {{{{3, 4, 5, 2}}, "3,0,5,2", 0, "0 0 0 0"},   {{{2, 3, 8, 3}}, "2,3,8,3", 5, "1 1 1 5"},
         {{{1, 2, 0, 1}}, "1,2,0,1", -2, "1 1 1 -2"}, {{{4, 2, 3, 1}}, "1,2,3,1", std::nullopt, "1 1 1 1"},
         {{{0, 2, 3, 1}}, "1,2,3,1", 1, "1 1 1 1"},   {{{1, 0x10003, 0x1FFFF, 2}}, "1,3,-1,2", 1, "1 1 1 1"},
         {{{1, 2, 0, 7}}, "1,2,0,1", 1, "1 1 1 1"},   {{{1, 2, 0, 0}}, "1,2,0,1", 1, "1 1 1 1"},
         {std::nullopt, "1,0,0,1", 1, "1 1 1 1"}};
    std::vector<LONG> calls(std::begin(kFormatNumbers), std::end(kFormatNumbers));
    calls.insert(calls.end(), {13, 15, 14, 17});
    const std::string dataFormat = kOtherRoot + "\\DataFormat"s;
    const std::string option = kOtherRoot + "\\Option"s;
    for (const auto& [format, stored, mode, modes] : cases) {
        SCOPED_TRACE(stored);
        TestSettings settings;
        settings.format = format;
        settings.mode = mode;
        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kOtherRoot, &settings));
        EXPECT_EQ(calls, settings.calls);
        for (LPCSTR name : {"R.Time", "k'", "A/H", "CC", "GPCViscosity"}) {
            EXPECT_EQ(stored, HiveText(dataFormat, name)) << name;
        }
        EXPECT_EQ(modes, HiveText(dataFormat, "AH Format Mode") + " " + HiveText(dataFormat, "Total Mode") +
                             " " + HiveText(option, "DilutionFactor") + " " +
                             HiveText(option, "DefaultXAxisCalibCurve"));
    }
    // A failed call deletes the value from the hive and leaves the cache as it was.
    for (const Failure& how : kFailures) {
        TestSettings good;
        good.format = {1, 4, 0, 1};
        good.mode = 3;
        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kOtherRoot, &good));
        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kRoot, &good));
        TestSettings failing;
        failing.format = {2, 2, 0, 1};
        failing.failures = {{1002, how}, {17, how}, {13, how}};
        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kOtherRoot, &failing));
        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kRoot, &failing));
        EXPECT_EQ("missing missing missing 2,2,0,1 1 7:1,4,0,1 missing 3",
                  HiveText(dataFormat, "Conc.") + " " + HiveText(option, "DefaultXAxisCalibCurve") + " " +
                      HiveText(dataFormat, "AH Format Mode") + " " + HiveText(dataFormat, "Conc.%") + " " +
                      HiveText(dataFormat, "Total Mode") + " " + ReadText(kRoot, "DataFormat", "Conc.") +
                      " " + HiveText(kRoot + "\\DataFormat"s, "Conc.") + " " +
                      std::to_string(ReadInt(kRoot, "Option", "DefaultXAxisCalibCurve")));
    }
}

// The storage server's answer for an absent value, its scopes, and the subkey of these tests.
constexpr HRESULT kAbsent = static_cast<HRESULT>(0x80070002);
constexpr long kCommonScope = 0x40;
constexpr long kPerSystem = 0x10;
constexpr char kStore[] = "Storage";

// The result and the int of a value read through the property interface.
std::pair<HRESULT, int> ReadProperty(long scope, long system, const char* name) {
    int value = 0;
    const HRESULT result =
        Tool_GetProperty(&value, 4, nullptr, scope, -1, 0, system, 1, kRoot, kStore, name, nullptr);
    return {result, value};
}

TEST_F(StorageServerTest, SystemNamesSelectTheScopeAndValuesComeBackAsWritten) {
    const std::tuple<const char*, long, long> cases[] = {
        {"System3", kPerSystem, 3},    {"CurrentVersion", kCommonScope, -1}, {nullptr, kCommonScope, -1},
        {"System0", kCommonScope, -1}, {"system12", kPerSystem, 12},         {"Systemx", kCommonScope, -1}};
    int written = 100;
    for (const auto& [systemName, scope, systemIndex] : cases) {
        SCOPED_TRACE(systemName ? systemName : "(null)");
        const std::string name = "V" + std::to_string(++written);
        ASSERT_TRUE(Tool_WriteRegStorageInt(kRoot, systemName, kStore, name.c_str(), written, 0));
        EXPECT_EQ(std::pair(S_OK, written), ReadProperty(scope, systemIndex, name.c_str()));
        // The same name in the other scope is a different value.
        EXPECT_EQ(kAbsent, ReadProperty(scope, systemIndex == 3 ? -1 : 3, name.c_str()).first);
    }

    ASSERT_TRUE(Tool_WriteRegStorageString(kRoot, "System2", kStore, "Text", "Säule 7", 0));
    ASSERT_TRUE(Tool_WriteRegStorageInt(kRoot, "System2", kStore, "Int", -123456, 0));
    const BYTE block[] = {0, 1, 2, 0xFE, 0xFF, 0};
    ASSERT_TRUE(Tool_WriteRegStorageBinary(kRoot, "System2", kStore, "Block", block, sizeof block, 0));
    char text[32];
    EXPECT_TRUE(Tool_GetRegStorageString(kRoot, "System2", kStore, "Text", "d", text, sizeof text, 0));
    EXPECT_STREQ("Säule 7", text);
    EXPECT_EQ(-123456, Tool_GetRegStorageInt2(kRoot, "System2", kStore, "Int", 5, 0, 7));
    BYTE read[8] = {};
    EXPECT_TRUE(Tool_GetRegStorageBinary(kRoot, "System2", kStore, "Block", nullptr, 0, read, 8, 0));
    EXPECT_EQ(0, std::memcmp(block, read, sizeof block));

    // Absent, or in a buffer too small: the default, cut to the buffer; no default: FALSE.
    EXPECT_EQ(5, Tool_GetRegStorageInt(kRoot, "System1", kStore, "Int", 5, 0));
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_TRUE(Tool_GetRegStorageString(kRoot, "System2", kStore, "Text", "default", small, 4, 0));
    EXPECT_STREQ("def", small);
    EXPECT_FALSE(Tool_GetRegStorageString(kRoot, nullptr, kStore, "Text", nullptr, text, sizeof text, 0));

    // Removal, then the property pair of the common scope.
    EXPECT_TRUE(Tool_RemoveRegStorage(kRoot, "System2", kStore, "Int"));
    EXPECT_EQ(8, Tool_GetRegStorageInt(kRoot, "System2", kStore, "Int", 8, 0));
    EXPECT_FALSE(Tool_RemoveRegStorage(kRoot, "System2", kStore, "Int"));
    const double factor = 1.25;
    double back = 0;
    EXPECT_EQ(S_OK, Tool_SetSystemProperty(&factor, sizeof factor, 0x143002));
    EXPECT_EQ(S_OK, Tool_GetSystemProperty(&back, sizeof back, 0x143002));
    EXPECT_EQ(factor, back);
}

// The server answers busy twice to a read, once each to a write, a removal and a converting read.
ChildMode busyMode("regstorage-busy", [](const std::vector<std::string>&) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (!Tool_InitDbgReportEx(1, OVS_DBGMASK_TMG, 0, 0x01000000, 0, 3, "B", "A") ||
        FAILED(StorageAnswerBusy(2))) {
        return -1;
    }
    const int value = Tool_GetRegStorageInt(kRoot, nullptr, kStore, "Busy", 0, 0);
    StorageAnswerBusy(1);
    Tool_WriteRegStorageInt(kRoot, nullptr, kStore, "Other", 1, 0);
    StorageAnswerBusy(1);
    Tool_RemoveRegStorage(kRoot, nullptr, kStore, "Other");
    StorageAnswerBusy(1);
    Tool_GetRegStorageIntAutoConvert(kRoot, nullptr, nullptr, 0, kStore, "Busy", 0, nullptr, 0);
    return value;
});

TEST_F(StorageServerTest, RegistryValuesMoveIntoTheStorageAndBusyStorageIsWaitedFor) {
    // AutoConvert: found only in the registry, the value is stored with the whole buffer.
    Tool_WriteRegistryString(kRoot, nullptr, 2, kStore, "Column", "C18");
    char text[64];
    BOOL converted = FALSE;
    EXPECT_EQ(3, Tool_GetRegStorageStringAutoConvert(kRoot, nullptr, nullptr, 2, kStore, "Column", "none",
                                                     text, sizeof text, &converted, 0));
    EXPECT_STREQ("C18", text);
    EXPECT_TRUE(converted);
    DWORD stored = 0;
    EXPECT_EQ(S_OK, Tool_GetProperty(text, sizeof text, &stored, kPerSystem, -1, 0, 2, 1, kRoot, kStore,
                                     "Column", nullptr));
    EXPECT_EQ(sizeof text, stored);
    EXPECT_EQ(4, Tool_GetRegStorageStringAutoConvert(kRoot, nullptr, nullptr, 0, kStore, "Nowhere", "none",
                                                     text, sizeof text, &converted, 0));
    EXPECT_FALSE(converted);
    Tool_WriteRegistryInt(kRoot, nullptr, 0, kStore, "Flow", 250);
    EXPECT_EQ(250,
              Tool_GetRegStorageIntAutoConvert(kRoot, nullptr, nullptr, 0, kStore, "Flow", 1, nullptr, 0));
    EXPECT_EQ(250, ReadProperty(kCommonScope, -1, "Flow").second);
    EXPECT_EQ(
        0, Tool_GetRegStorageIntAutoConvert(kRoot, nullptr, nullptr, 0, nullptr, "Flow", 1, &converted, 0));

    // ImportReg (system name = version key): a differing registry value wins and leaves; an equal one stays.
    Tool_WriteRegistryInt(kRoot, "System5", 0, kStore, "Runs", 5);
    ASSERT_TRUE(Tool_WriteRegStorageInt(kRoot, "System5", kStore, "Runs", 3, 0));
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(5, Tool_GetRegStorageInt_ImportReg(kRoot, "System5", kStore, "Runs", 0, 0));
        EXPECT_EQ(5, Tool_GetRegStorageInt(kRoot, "System5", kStore, "Runs", 0, 0));
        EXPECT_EQ(pass == 0 ? -1 : 5, Tool_GetRegistryInt(kRoot, "System5", 0, kStore, "Runs", -1));
        Tool_WriteRegistryInt(kRoot, "System5", 0, kStore, "Runs", 5);
    }
    Tool_WriteRegistryString(kRoot, "System5", 0, kStore, "Name", "Pump");
    ASSERT_TRUE(Tool_WriteRegStorageString(kRoot, "System5", kStore, "Name", "pump", 0));
    EXPECT_TRUE(
        Tool_GetRegStorageString_ImportReg(kRoot, "System5", kStore, "Name", "", text, sizeof text, 0));
    EXPECT_STREQ("Pump", text);
    EXPECT_EQ(0, Tool_GetRegistryString(kRoot, "System5", 0, kStore, "Name", "", text, sizeof text));

    ASSERT_TRUE(Tool_WriteRegStorageInt(kRoot, nullptr, kStore, "Busy", 42, 0));
    ReportFolder report;
    EXPECT_EQ(42u, RunChild("regstorage-busy").exitCode);
    std::string waits;
    for (const std::string& line : SplitLines(ReadFileText(report.reportFile()))) {
        const size_t at = line.find("Sleep(10) in ");
        waits += line.find("TMG") != std::string::npos && at != std::string::npos ? line.substr(at + 13) + " "
                                                                                  : "";
    }
    EXPECT_EQ("GetRegStorage GetRegStorage WriteRegStorage RemoveRegStorage GetRegStorageAutoConvert ",
              waits);
}

// The error a call raises, or S_OK.
template <class Call>
HRESULT RaisedBy(Call call) {
    try {
        call();
    } catch (const _com_error& error) {
        return error.Error();
    }
    return S_OK;
}

TEST_F(StorageServerTest, UnreachableServersRaiseComErrors) {
    const auto readInt = [] { return Tool_GetRegStorageInt(kRoot, nullptr, kStore, "X", 7, 0); };
    HRESULT raised = S_OK;
    std::thread([&] { raised = RaisedBy(readInt); }).join();
    EXPECT_EQ(CO_E_NOTINITIALIZED, raised) << "a thread without COM";

    // Not registered (and not running); a removal without a value name never asks for the server.
    ASSERT_TRUE(StopStorageServer() && RunStorageServerSwitch("/UnregServer"));
    EXPECT_EQ(REGDB_E_CLASSNOTREG, RaisedBy(readInt));
    EXPECT_EQ(S_OK, RaisedBy([] { EXPECT_FALSE(Tool_RemoveRegStorage(kRoot, nullptr, kStore, nullptr)); }));
    ASSERT_TRUE(RunStorageServerSwitch("/RegServer"));
    EXPECT_EQ(S_OK, RaisedBy([&] { EXPECT_EQ(7, readInt()); }));
}

} // namespace
