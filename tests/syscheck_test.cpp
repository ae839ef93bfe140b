// System check file names and folders, composite strings and the run-mode switch.
#include "paths_report.h"
#include "ovsreg.h"
#include "ovstoolpaths.h"
#include "ovstoolsyscheck.h"
#include "ovsusermanagement.h"
#include "host_object.h"
#include "../ovstoolfunctions/local_clock.h"
#include "unique_resource.h"

#include <objbase.h>

#include <random>
#include <string>
#include <vector>

namespace {

using ovs::test::RegistryTest;
using ovs::test::ReportContains;
using ovs::test::TempFolder;

std::string Text(const CString& text) {
    return text.GetString();
}

// ---- composite strings

TEST(SysChkString, ParsesAndWritesBackTheElements) {
    struct Case {
        const char* text;
        int count;
        const char* written;
    } cases[] = {
        {"<NAME>", 1, "<NAME >"},
        {"<A X=1><RUNMODE OPTION=1>", 2, "<A X=1><RUNMODE OPTION=1>"},
        {"<A X=\"a b\">", 1, "<A X=\"a b\">"},
        {"<A X=\"1>2\" Y=\"<\">", 1, "<A X=\"1>2\" Y=\"<\">"},
        {"<A K=>", 1, "<A K=\"\">"},
        {"<A K =V>", 1, "<A K=\"\" V=\"\">"},
        {"  <A   X=1   Y=2 >  ", 1, "<A X=1 Y=2>"},
        {"x<A X=1>y<B>z", 2, "<A X=1><B >"},
        {">junk<A X=1>", 1, "<A X=1>"},
        {"a>b<C>", 1, "<C >"},
        {"<A X=1><A Y=2>", 2, "<A Y=2>"},
        {"<B><A X=1><B Z=3>", 3, "<B Z=3><A X=1>"},
        {"<A X=1 X=2>", 1, "<A X=2>"},
        {"<A \"K\"=1 B=2 =3>", 1, "<A B=2>"},
        {"<><  ><\"A\"><A=1><A", 0, ""},
        {"<A X=\"open>", 0, ""},
        {"", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CSysChkString list;
        list.Parse("<OLD>");
        EXPECT_EQ(c.count, list.Parse(c.text));
        EXPECT_EQ(c.written, Text(list.GetString()));
    }
    EXPECT_EQ(0, CSysChkString().Parse(nullptr));
}

TEST(SysChkString, SetsFindsAndRemovesOptionsAndElements) {
    CSysChkCompoStr element(" A ");
    EXPECT_EQ("A", Text(element.GetName()));
    struct Option {
        const char* key;
        const char* value;
        int result;
    } options[] = {{"K", "v", 0},    {" K ", " w ", 1}, {"L", "", 0},      {"", "x", -1},
                   {"a b", "x", -1}, {"a=b", "x", -1},  {"a\"b", "x", -1}, {nullptr, "x", -1}};
    for (const Option& o : options) {
        EXPECT_EQ(o.result, element.SetOption(o.key, o.value)) << (o.key ? o.key : "null");
    }
    EXPECT_EQ(0, element.SetOption("N", -42));
    EXPECT_EQ("<A K=w L=\"\" N=-42>", Text(element.GetString()));
    CString value;
    EXPECT_TRUE(element.GetOption("N", value));
    EXPECT_EQ("-42", Text(value));
    EXPECT_EQ(-1, element.FindOption("k"));
    EXPECT_TRUE(element.RemoveOption("K"));
    EXPECT_FALSE(element.RemoveOption("K"));
    EXPECT_EQ("<A L=\"\" N=-42>", Text(element.GetString()));

    EXPECT_EQ("", Text(CSysChkCompoStr("bad name").GetString()));
    EXPECT_FALSE(element.Parse("A X=1"));
    EXPECT_FALSE(element.Parse("<a=b>"));
    EXPECT_EQ("<A L=\"\" N=-42>", Text(element.GetString()));

    CSysChkString list;
    list.Parse("<B><A X=1><C>");
    EXPECT_EQ(1, list.Find("A"));
    EXPECT_EQ(-1, list.Find("a"));
    list.Add(element);
    list.Add(CSysChkCompoStr("D"));
    list.Add(CSysChkCompoStr());
    EXPECT_TRUE(list.Remove("B"));
    EXPECT_FALSE(list.Remove("B"));
    EXPECT_EQ("<A L=\"\" N=-42><C ><D >", Text(list.GetString()));
    EXPECT_EQ(nullptr, list.GetAt(4));
}

// Parsing what was written gives the same list again, whatever the text was.
TEST(SysChkString, WritingWhatWasParsedIsStable) {
    std::mt19937 random(20240102);
    const char alphabet[] = "<>= \"AKx1";
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const size_t length = random() % 48;
        for (size_t i = 0; i < length; ++i) {
            text += alphabet[random() % (sizeof alphabet - 1)];
        }
        SCOPED_TRACE(text);
        CSysChkString first;
        first.Parse(text.c_str());
        const CString written = first.GetString();
        CSysChkString second;
        EXPECT_EQ(first.GetCount(), second.Parse(written));
        EXPECT_EQ(Text(written), Text(second.GetString()));
    }
}

// ---- file names and folders

constexpr char kBaseValue[] = "Log SysChk Path";

void SetFolderValue(const char* value, const std::string& folder) {
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Path", value, folder.c_str());
}

class SysCheckPaths : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        SetFolderValue(kBaseValue, m_base.path());
        const SYSTEMTIME fixed = {2024, 1, 2, 2, 3, 4, 5, 0};
        OvsTestSetLocalClock(&fixed);
    }
    void TearDown() override {
        OvsTestSetLocalClock(nullptr);
        RegistryTest::TearDown();
    }
    static std::string Extension(int kind) {
        CString extension;
        Tool_MakeSystemCheckFileExt(kind, extension);
        return Text(extension);
    }
    TempFolder m_base;
};

TEST_F(SysCheckPaths, NamesTheResultFilesOfASystem) {
    CString path;
    Tool_MakeSystemCheckFilePathName(3, 0, path);
    EXPECT_EQ(m_base / "3\\SysChk3_20240102030405." + Extension(0), Text(path));
    Tool_MakeSystemCheckLatestFilePathName(12, 2, path);
    EXPECT_EQ(m_base / "12\\SysChk12_Latest." + Extension(2), Text(path));
    CString printExtension;
    Tool_MakeSystemCheckFileExtForPrint(1, printExtension);
    Tool_MakeSystemCheckDataFilePathNameForPrint(1, 1, path);
    EXPECT_EQ(m_base / "1\\SysChk1_Latest." + Text(printExtension), Text(path));
    Tool_MakeSystemCheckFilePathName(2, -1, path);
    EXPECT_EQ(m_base / "2\\SysChk2_20240102030405.", Text(path));
}

TEST_F(SysCheckPaths, KindsShareTheirTextsInPairs) {
    using Loader = void (*)(int, CString&);
    for (Loader load : {Loader(Tool_MakeSystemCheckFileExt), Loader(Tool_MakeSystemCheckFileExtForPrint),
                        Loader(Tool_MakeSystemCheckFileFilter)}) {
        CString texts[6];
        const int kinds[6] = {0, 1, 2, 3, 4, -1};
        for (int i = 0; i < 6; ++i) {
            texts[i] = "stale";
            load(kinds[i], texts[i]);
        }
        EXPECT_FALSE(texts[0].IsEmpty());
        EXPECT_EQ(Text(texts[0]), Text(texts[1]));
        EXPECT_EQ(Text(texts[2]), Text(texts[3]));
        EXPECT_NE(Text(texts[0]), Text(texts[2]));
        EXPECT_EQ("", Text(texts[4]));
        EXPECT_EQ("", Text(texts[5]));
    }
    CString path;
    Tool_MakeSystemCheckLatestFilePathName(1, 4, path);
    EXPECT_EQ(m_base / "1\\SysChk1_Latest.", Text(path));
}

TEST_F(SysCheckPaths, MakesTheSystemFolderWithItsParents) {
    SetFolderValue(kBaseValue, m_base / "a\\b");
    Tool_MakeSystemCheckFolder(4, 99);
    EXPECT_TRUE(ovs::test::FileExists(m_base / "a\\b\\4"));
}

// Without a value the base folder hangs from the root of the current drive.
TEST_F(SysCheckPaths, DefaultBaseLandsOnTheCurrentDrive) {
    Tool_DeleteRegistryValue(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Path", kBaseValue);
    char before[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    const bool existed = ovs::test::FileExists("C:\\Orvantiscope");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    CString path;
    Tool_MakeSystemCheckLatestFilePathName(3, 0, path);
    Tool_MakeSystemCheckFolder(3, 0);
    const bool made = ovs::test::FileExists("C:\\Orvantiscope\\Log\\SysCheck\\3");
    SetCurrentDirectoryA(before);
    if (!existed) {
        ovs::test::RemoveTree("C:\\Orvantiscope");
    }
    EXPECT_EQ("C:\\Orvantiscope\\Log\\SysCheck\\3\\SysChk3_Latest." + Extension(0), Text(path));
    EXPECT_TRUE(made);
}

// ---- run mode

// A user management with the rights (null: no restriction) or a failing rights query.
struct User {
    ovs::com_ptr<IOvsHostObjectSetup> setup = ovs::test::CreateHostObject();
    ovs::com_ptr<IOVSUserManagement> user;
    User(const DWORD* rights, HRESULT hr = S_OK) {
        setup->SetRights(rights, hr);
        user = ovs::test::QueryAs<IOVSUserManagement>(setup.get(), IID_IOVSUserManagement);
    }
};

TEST(RunMode, FollowsTheRightToRunTheExpansion) {
    const DWORD without[] = {12, 0}, none[] = {0}, with[] = {12, 1706, 0};
    const struct {
        const DWORD* rights;
        const char* text;
        const char* result;
    } cases[] = {
        {without, "", "<RUNMODE OPTION=1>"},
        {none, "x<A X=1>", "<A X=1><RUNMODE OPTION=1>"},
        {with, "<A X=1><RUNMODE OPTION=1>", "<A X=1>"},
        {nullptr, "<RUNMODE OPTION=2><B Y=\"a b\">", "<B Y=\"a b\">"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        User user(c.rights);
        CString text(c.text);
        BOOL changed = FALSE;
        EXPECT_EQ(S_OK, Tool_SetSystemCheckExpansionRunMode(text, &changed, user.user.get()));
        EXPECT_TRUE(changed);
        EXPECT_EQ(c.result, Text(text));
        changed = TRUE;
        EXPECT_EQ(S_OK, Tool_SetSystemCheckExpansionRunMode(text, &changed, user.user.get()));
        EXPECT_FALSE(changed);
        EXPECT_EQ(c.result, Text(text));
        EXPECT_EQ("user 12\nuser 12\n", ovs::test::CallLog(user.setup.get()));
        EXPECT_EQ(0, ovs::test::LiveCounts(user.setup.get()).first);
    }
}

TEST(RunMode, RefusesWhatItCannotAskAndPassesOnFailures) {
    ovs::test::PathsReportFile();
    CString text("x<A X=1>");
    BOOL changed = TRUE;
    User failing(nullptr, E_ACCESSDENIED);
    EXPECT_EQ(E_ACCESSDENIED, Tool_SetSystemCheckExpansionRunMode(text, &changed, failing.user.get()));
    EXPECT_FALSE(changed);
    EXPECT_EQ("x<A X=1>", Text(text));
    changed = TRUE;
    EXPECT_EQ(E_INVALIDARG, Tool_SetSystemCheckExpansionRunMode(text, &changed, nullptr));
    EXPECT_FALSE(changed);
    EXPECT_TRUE(ReportContains("Tool_SetSystemCheckExpansionRunMode : Invalid argument. : "
                               "[nullptr != pIOVSUserManagement] is false."));
    EXPECT_EQ(E_INVALIDARG, Tool_SetSystemCheckExpansionRunMode(text, nullptr, failing.user.get()));
    EXPECT_TRUE(ReportContains("Tool_SetSystemCheckExpansionRunMode : Invalid argument. : "
                               "[nullptr != pbChanged] is false."));
    EXPECT_EQ("x<A X=1>", Text(text));
}

TEST(RunMode, ResetRemovesTheSwitch) {
    CString text("<A X=1> <RUNMODE OPTION=1>");
    EXPECT_TRUE(Tool_ResetSystemCheckExpansionRunMode(text));
    EXPECT_EQ("<A X=1>", Text(text));
    for (const char* untouched : {"x<A X=1>", "RUNMODE", ""}) {
        text = untouched;
        EXPECT_FALSE(Tool_ResetSystemCheckExpansionRunMode(text));
        EXPECT_EQ(untouched, Text(text));
    }
}

// ---- system report

constexpr char kFetchCall[] = "store 10\nstore 20 6 0x143001 report.txt 0 0\n";

class SystemReport : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        SetFolderValue("Sys Path", m_system.path());
        m_incoming = m_source / "report.txt";
        Write(m_incoming, "incoming");
        m_store->SetStoreNames("Reports", S_OK);
        Store(std::string("stored\0bytes", 12), 1, S_OK);
    }
    static void Write(const std::string& path, const std::string& bytes) {
        ovs::unique_hfile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD done = 0;
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    }
    void Store(const std::string& bytes, LONG flag, HRESULT hr) {
        m_store->SetStoredBlock(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<ULONG>(bytes.size()),
                                flag, hr);
    }
    // The path after the call; every block the store handed out is freed by then.
    std::string Fetch(BOOL fetch) {
        CString path(m_incoming.c_str());
        Tool_GetSystemReport(Store(), path, fetch, 2);
        EXPECT_EQ(0, ovs::test::LiveCounts(m_store.get()).first);
        return Text(path);
    }
    IOVSDocumentStore* Store() {
        m_storeInterface = ovs::test::QueryAs<IOVSDocumentStore>(m_store.get(), IID_IOVSDocumentStore);
        return m_storeInterface.get();
    }
    std::string Cache() const { return m_system / "2\\Reports\\report.txt"; }

    TempFolder m_system;
    TempFolder m_source;
    std::string m_incoming;
    ovs::com_ptr<IOvsHostObjectSetup> m_store = ovs::test::CreateHostObject();
    ovs::com_ptr<IOVSDocumentStore> m_storeInterface;
};

TEST_F(SystemReport, FetchWritesTheStoredBytes) {
    EXPECT_EQ(Cache(), Fetch(TRUE));
    EXPECT_EQ(std::string("stored\0bytes", 12), ovs::test::ReadFileText(Cache()));
    EXPECT_EQ(kFetchCall, ovs::test::CallLog(m_store.get()));
}

TEST_F(SystemReport, FallsBackToACopyOfTheIncomingFile) {
    const struct {
        LONG flag;
        const char* stored;
        HRESULT hr;
        BOOL fetch;
    } cases[] = {{0, "x", S_OK, TRUE}, {1, "", S_OK, TRUE}, {1, "x", E_FAIL, TRUE}, {1, "x", S_OK, FALSE}};
    for (const auto& c : cases) {
        Store(c.stored, c.flag, c.hr);
        EXPECT_EQ(Cache(), Fetch(c.fetch));
        EXPECT_EQ("incoming", ovs::test::ReadFileText(Cache()));
        EXPECT_EQ(c.fetch ? kFetchCall : "store 10\n", ovs::test::CallLog(m_store.get()));
        ovs::test::RemoveTree(m_system / "2");
    }
}

TEST_F(SystemReport, KeepsAnExistingCacheFile) {
    Tool_MakeDirectories((m_system / "2\\Reports").c_str());
    Write(Cache(), "cached");
    EXPECT_EQ(Cache(), Fetch(FALSE));
    EXPECT_EQ("cached", ovs::test::ReadFileText(Cache()));
}

TEST_F(SystemReport, WithoutNamesEmptiesThePath) {
    m_store->SetStoreNames("Reports", E_FAIL);
    EXPECT_EQ("", Fetch(TRUE));
    EXPECT_EQ("store 10\n", ovs::test::CallLog(m_store.get()));
    CString path("unchanged");
    Tool_GetSystemReport(nullptr, path, TRUE, 2);
    EXPECT_EQ("unchanged", Text(path));
}

TEST_F(SystemReport, SetHandsOverTheWholeFile) {
    const std::string bytes("a\0b\r\n", 5);
    Write(m_incoming, bytes);
    Tool_SetSystemReport(Store(), m_incoming.c_str());
    Tool_SetSystemReport(Store(), (m_source / "missing.txt").c_str());
    Tool_SetSystemReport(nullptr, m_incoming.c_str());
    EXPECT_EQ("store 19 6 0x143001 report.txt 5 1\n", ovs::test::CallLog(m_store.get()));
    BYTE written[16];
    ULONG size = 0;
    m_store->GetWrittenBlock(written, sizeof written, &size);
    EXPECT_EQ(bytes, std::string(reinterpret_cast<char*>(written), size));
}

} // namespace
