// The registry storage client against the out-of-process storage server stand-in.
#include "OVSTools2.h"
#include "storage_server.h"

#include <comdef.h>

#include <cstring>
#include <thread>

namespace {

using ovs::test::StorageServerTest;

constexpr char kKey[] = "SOFTWARE\\VELDORAN\\Orvantiscope\\Orvantiscope2";
constexpr char kSub[] = "Storage";
constexpr HRESULT kAbsent = static_cast<HRESULT>(0x80070002);
constexpr long kCommon = 0x40;
constexpr long kPerSystem = 0x10;

// A value through the property interface: the result and word B; an int is read into `value` unless
// a buffer is given.
struct PropertyRead {
    HRESULT result;
    int value;
    DWORD wordB;
};
PropertyRead ReadProperty(long scope, long system, const char* name, void* buffer = nullptr, DWORD size = 0) {
    PropertyRead read = {E_FAIL, 0, 0};
    read.result = Tool_GetProperty(buffer != nullptr ? buffer : &read.value, buffer != nullptr ? size : 4,
                                   &read.wordB, scope, -1, 0, system, 1, kKey, kSub, name, nullptr);
    return read;
}

TEST_F(StorageServerTest, SystemNamesSelectTheScopeAndValuesComeBackAsWritten) {
    const std::tuple<const char*, long, long> cases[] = {
        {"System3", kPerSystem, 3}, {"CurrentVersion", kCommon, -1}, {nullptr, kCommon, -1},
        {"System0", kCommon, -1},   {"system12", kPerSystem, 12},    {"Systemx", kCommon, -1}};
    int written = 100;
    for (const auto& [systemName, scope, systemIndex] : cases) {
        SCOPED_TRACE(systemName ? systemName : "(null)");
        const std::string name = "V" + std::to_string(++written);
        ASSERT_TRUE(Tool_WriteRegStorageInt(kKey, systemName, kSub, name.c_str(), written, 0));
        const PropertyRead read = ReadProperty(scope, systemIndex, name.c_str());
        // The same name in the other scope is a different value.
        EXPECT_EQ(std::tuple(S_OK, written, kAbsent),
                  std::tuple(read.result, read.value,
                             ReadProperty(scope, systemIndex == 3 ? -1 : 3, name.c_str()).result));
    }

    ASSERT_TRUE(Tool_WriteRegStorageString(kKey, "System2", kSub, "Text", "Säule 7", 0));
    ASSERT_TRUE(Tool_WriteRegStorageInt(kKey, "System2", kSub, "Int", -123456, 0));
    const BYTE block[] = {0, 1, 2, 0xFE, 0xFF, 0};
    ASSERT_TRUE(Tool_WriteRegStorageBinary(kKey, "System2", kSub, "Block", block, sizeof block, 0));
    char text[32];
    EXPECT_TRUE(Tool_GetRegStorageString(kKey, "System2", kSub, "Text", "d", text, sizeof text, 0));
    EXPECT_STREQ("Säule 7", text);
    EXPECT_EQ(-123456, Tool_GetRegStorageInt(kKey, "System2", kSub, "Int", 5, 0));
    EXPECT_EQ(-123456, Tool_GetRegStorageInt2(kKey, "System2", kSub, "Int", 5, 0, 7));
    BYTE read[8] = {};
    EXPECT_TRUE(Tool_GetRegStorageBinary2(kKey, "System2", kSub, "Block", nullptr, 0, read, 8, 0, TRUE));
    EXPECT_EQ(0, std::memcmp(block, read, sizeof block));
    // Word B is the byte count, the text with its terminator.
    DWORD size = 0;
    EXPECT_EQ(S_OK,
              Tool_GetProperty(nullptr, 0, &size, kPerSystem, -1, 0, 2, 1, kKey, kSub, "Text", nullptr));
    EXPECT_EQ(sizeof "Säule 7", size);

    // Absent, or in a buffer too small: the default, cut to the buffer; no default: FALSE.
    EXPECT_EQ(5, Tool_GetRegStorageInt(kKey, "System1", kSub, "Int", 5, 0));
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_TRUE(Tool_GetRegStorageString(kKey, "System2", kSub, "Text", "default", small, sizeof small, 0));
    EXPECT_STREQ("def", small);
    EXPECT_FALSE(Tool_GetRegStorageString(kKey, nullptr, kSub, "Text", nullptr, text, sizeof text, 0));
    const BYTE fallback[] = {9, 8, 7, 6};
    BYTE two[2] = {};
    EXPECT_TRUE(Tool_GetRegStorageBinary(kKey, nullptr, kSub, "Block", fallback, sizeof fallback, two, 2, 0));
    EXPECT_EQ(0, std::memcmp(fallback, two, 2));
    EXPECT_FALSE(Tool_GetRegStorageBinary(kKey, nullptr, kSub, "Block", nullptr, 0, two, 2, 0));

    // Removal, then the property pair of the common scope.
    EXPECT_TRUE(Tool_RemoveRegStorage(kKey, "System2", kSub, "Int"));
    EXPECT_EQ(8, Tool_GetRegStorageInt(kKey, "System2", kSub, "Int", 8, 0));
    EXPECT_FALSE(Tool_RemoveRegStorage(kKey, "System2", kSub, "Int"));
    const double factor = 1.25;
    double back = 0;
    EXPECT_EQ(S_OK, Tool_SetSystemProperty(&factor, sizeof factor, 0x143002));
    EXPECT_EQ(S_OK, Tool_GetSystemProperty(&back, sizeof back, 0x143002));
    EXPECT_EQ(factor, back);
    EXPECT_EQ(static_cast<HRESULT>(0x800700EA), Tool_GetSystemProperty(&back, 4, 0x143002));
}

// Opens the report and makes the server answer busy twice to a read, then once each to a write, a
// removal and a converting read; exits with the value read.
ovs::test::ChildMode busyMode("regstorage-busy", [](const std::vector<std::string>&) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (!Tool_InitDbgReportEx(1, OVS_DBGMASK_TMG, 0, 0x01000000, 0, 3, "B", "A") ||
        FAILED(ovs::test::StorageAnswerBusy(2))) {
        return -1;
    }
    const int value = Tool_GetRegStorageInt(kKey, nullptr, kSub, "Busy", 0, 0);
    ovs::test::StorageAnswerBusy(1);
    Tool_WriteRegStorageInt(kKey, nullptr, kSub, "Other", 1, 0);
    ovs::test::StorageAnswerBusy(1);
    Tool_RemoveRegStorage(kKey, nullptr, kSub, "Other");
    ovs::test::StorageAnswerBusy(1);
    Tool_GetRegStorageIntAutoConvert(kKey, nullptr, nullptr, 0, kSub, "Busy", 0, nullptr, 0);
    return value;
});

TEST_F(StorageServerTest, RegistryValuesMoveIntoTheStorageAndBusyStorageIsWaitedFor) {
    // AutoConvert: found only in the registry, the value is stored with the whole buffer.
    Tool_WriteRegistryString(kKey, nullptr, 2, kSub, "Column", "C18");
    char text[64];
    BOOL converted = FALSE;
    EXPECT_EQ(3, Tool_GetRegStorageStringAutoConvert(kKey, nullptr, nullptr, 2, kSub, "Column", "none", text,
                                                     sizeof text, &converted, 0));
    EXPECT_STREQ("C18", text);
    EXPECT_TRUE(converted);
    char stored[64];
    const PropertyRead read = ReadProperty(kPerSystem, 2, "Column", stored, sizeof stored);
    EXPECT_EQ(std::pair(S_OK, DWORD(sizeof stored)), std::pair(read.result, read.wordB));
    EXPECT_EQ(3, Tool_GetRegStorageStringAutoConvert(kKey, "System2", nullptr, 0, kSub, "Column", "none",
                                                     text, sizeof text, &converted, 0));
    EXPECT_FALSE(converted);
    // Nowhere: the default, not converted.
    EXPECT_EQ(4, Tool_GetRegStorageStringAutoConvert(kKey, nullptr, nullptr, 0, kSub, "Nowhere", "none", text,
                                                     sizeof text, &converted, 0));
    EXPECT_FALSE(converted);
    EXPECT_EQ(kAbsent, ReadProperty(kCommon, -1, "Nowhere").result);
    Tool_WriteRegistryInt(kKey, nullptr, 0, kSub, "Flow", 250);
    EXPECT_EQ(250, Tool_GetRegStorageIntAutoConvert(kKey, nullptr, nullptr, 0, kSub, "Flow", 1, nullptr, 0));
    EXPECT_EQ(250, ReadProperty(kCommon, -1, "Flow").value);
    EXPECT_EQ(0,
              Tool_GetRegStorageIntAutoConvert(kKey, nullptr, nullptr, 0, nullptr, "Flow", 1, &converted, 0));

    // ImportReg: a differing registry value wins and leaves the registry; an equal one stays.
    // The system name is the registry's version key.
    Tool_WriteRegistryInt(kKey, "System5", 0, kSub, "Runs", 5);
    ASSERT_TRUE(Tool_WriteRegStorageInt(kKey, "System5", kSub, "Runs", 3, 0));
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(5, Tool_GetRegStorageInt_ImportReg(kKey, "System5", kSub, "Runs", 0, 0));
        EXPECT_EQ(5, Tool_GetRegStorageInt(kKey, "System5", kSub, "Runs", 0, 0));
        EXPECT_EQ(pass == 0 ? -1 : 5, Tool_GetRegistryInt(kKey, "System5", 0, kSub, "Runs", -1));
        Tool_WriteRegistryInt(kKey, "System5", 0, kSub, "Runs", 5);
    }
    Tool_WriteRegistryString(kKey, "System5", 0, kSub, "Name", "Pump");
    ASSERT_TRUE(Tool_WriteRegStorageString(kKey, "System5", kSub, "Name", "pump", 0));
    EXPECT_TRUE(Tool_GetRegStorageString_ImportReg(kKey, "System5", kSub, "Name", "", text, sizeof text, 0));
    EXPECT_STREQ("Pump", text);
    EXPECT_EQ(0, Tool_GetRegistryString(kKey, "System5", 0, kSub, "Name", "", text, sizeof text));

    ASSERT_TRUE(Tool_WriteRegStorageInt(kKey, nullptr, kSub, "Busy", 42, 0));
    ovs::test::ReportFolder report;
    EXPECT_EQ(42u, ovs::test::RunChild("regstorage-busy").exitCode);
    std::string waits;
    for (const std::string& line : ovs::test::SplitLines(ovs::test::ReadFileText(report.reportFile()))) {
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
    const auto readInt = [] { return Tool_GetRegStorageInt(kKey, nullptr, kSub, "X", 7, 0); };
    // A thread without COM.
    HRESULT raised = S_OK;
    std::thread([&] { raised = RaisedBy(readInt); }).join();
    EXPECT_EQ(CO_E_NOTINITIALIZED, raised);

    // Not registered (and not running); a removal without a value name never asks for the server.
    ASSERT_TRUE(ovs::test::StopStorageServer());
    ASSERT_TRUE(ovs::test::RunStorageServerSwitch("/UnregServer"));
    EXPECT_EQ(REGDB_E_CLASSNOTREG, RaisedBy(readInt));
    EXPECT_EQ(S_OK, RaisedBy([] { EXPECT_FALSE(Tool_RemoveRegStorage(kKey, nullptr, kSub, nullptr)); }));
    ASSERT_TRUE(ovs::test::RunStorageServerSwitch("/RegServer"));
    EXPECT_EQ(S_OK, RaisedBy([&] { EXPECT_EQ(7, readInt()); }));
}

} // namespace
