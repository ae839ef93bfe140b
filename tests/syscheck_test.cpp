// System check file names and folders, composite strings, the run-mode switch and the system report.
#include "paths_report.h"
#include "ovsreg.h"
#include "ovstoolpaths.h"
#include "ovstoolsyscheck.h"
#include "ovsusermanagement.h"
#include "host_object.h"
#include "../ovstoolfunctions/local_clock.h"
#include "unique_resource.h"

#include <objbase.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using ovs::test::CallLog;
using ovs::test::ReadFileText;
using ovs::test::TempFolder;

std::string Text(const CString& text) {
    return text.GetString();
}

TEST(SysChkString, ParsesAndWritesBackTheElements) {
    const std::tuple<const char*, int, const char*> cases[] = {
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
        {"", 0, ""}};
    for (const auto& [text, count, written] : cases) {
        CSysChkString list;
        list.Parse("<OLD>");
        EXPECT_EQ(count, list.Parse(text)) << text;
        EXPECT_EQ(written, Text(list.GetString())) << text;
    }
    EXPECT_EQ(0, CSysChkString().Parse(nullptr));
}

TEST(SysChkString, SetsFindsAndRemovesOptionsAndElements) {
    CSysChkCompoStr element(" A ");
    EXPECT_EQ("A", Text(element.GetName()));
    const std::tuple<const char*, const char*, int> options[] = {
        {"K", "v", 0},    {" K ", " w ", 1}, {"L", "", 0},      {"", "x", -1},
        {"a b", "x", -1}, {"a=b", "x", -1},  {"a\"b", "x", -1}, {nullptr, "x", -1}};
    for (const auto& [key, value, result] : options) {
        EXPECT_EQ(result, element.SetOption(key, value)) << (key ? key : "null");
    }
    EXPECT_EQ(0, element.SetOption("N", -42));
    EXPECT_EQ("<A K=w L=\"\" N=-42>", Text(element.GetString()));
    CString value;
    EXPECT_TRUE(element.GetOption("N", value));
    EXPECT_EQ("-42", Text(value));
    EXPECT_EQ(-1, element.FindOption("k"));
    EXPECT_TRUE(element.RemoveOption("K"));
    EXPECT_FALSE(element.RemoveOption("K"));
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

void SetFolderValue(const char* value, const std::string& folder) {
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Path", value, folder.c_str());
}

template <typename Maker>
std::string Made(Maker make, int first, int second = 0) {
    CString text("stale");
    if constexpr (std::is_invocable_v<Maker, int, CString&>) {
        make(first, text);
    } else {
        make(first, second, text);
    }
    return Text(text);
}

class SysCheckPaths : public ovs::test::RegistryTest {};

TEST_F(SysCheckPaths, NamesTheResultFilesOfASystemAndMakesItsFolder) {
    // Kinds share their texts in pairs; other kinds have none.
    for (const auto load :
         {Tool_MakeSystemCheckFileExt, Tool_MakeSystemCheckFileExtForPrint, Tool_MakeSystemCheckFileFilter}) {
        EXPECT_TRUE(!Made(load, 0).empty() && Made(load, 0) == Made(load, 1) &&
                    Made(load, 2) == Made(load, 3));
        EXPECT_NE(Made(load, 0), Made(load, 2));
        EXPECT_EQ("", Made(load, 4) + Made(load, -1));
    }
    const TempFolder base;
    SetFolderValue("Log SysChk Path", base.path());
    const SYSTEMTIME fixed = {2024, 1, 2, 2, 3, 4, 5, 0};
    OvsTestSetLocalClock(&fixed);
    const std::string ext0 = Made(Tool_MakeSystemCheckFileExt, 0);
    EXPECT_EQ(base / "3\\SysChk3_20240102030405." + ext0, Made(Tool_MakeSystemCheckFilePathName, 3, 0));
    EXPECT_EQ(base / "2\\SysChk2_20240102030405.", Made(Tool_MakeSystemCheckFilePathName, 2, -1));
    OvsTestSetLocalClock(nullptr);
    EXPECT_EQ(base / "12\\SysChk12_Latest." + Made(Tool_MakeSystemCheckFileExt, 2),
              Made(Tool_MakeSystemCheckLatestFilePathName, 12, 2));
    EXPECT_EQ(base / "1\\SysChk1_Latest.", Made(Tool_MakeSystemCheckLatestFilePathName, 1, 4));
    EXPECT_EQ(base / "1\\SysChk1_Latest." + Made(Tool_MakeSystemCheckFileExtForPrint, 1),
              Made(Tool_MakeSystemCheckDataFilePathNameForPrint, 1, 1));
    SetFolderValue("Log SysChk Path", base / "a\\b"); // with its parents
    Tool_MakeSystemCheckFolder(4, 99);
    EXPECT_TRUE(ovs::test::FileExists(base / "a\\b\\4"));

    // Without a value the base folder hangs from the root of the current drive.
    Tool_DeleteRegistryValue(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Path", "Log SysChk Path");
    char before[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    const bool existed = ovs::test::FileExists("C:\\Orvantiscope");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    const std::string path = Made(Tool_MakeSystemCheckLatestFilePathName, 3, 0);
    Tool_MakeSystemCheckFolder(3, 0);
    const bool made = ovs::test::FileExists("C:\\Orvantiscope\\Log\\SysCheck\\3");
    SetCurrentDirectoryA(before);
    if (!existed) {
        ovs::test::RemoveTree("C:\\Orvantiscope");
    }
    EXPECT_EQ("C:\\Orvantiscope\\Log\\SysCheck\\3\\SysChk3_Latest." + ext0, path);
    EXPECT_TRUE(made);
}

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
    const std::tuple<const DWORD*, const char*, const char*> cases[] = {
        {without, "", "<RUNMODE OPTION=1>"},
        {none, "x<A X=1>", "<A X=1><RUNMODE OPTION=1>"},
        {with, "<A X=1><RUNMODE OPTION=1>", "<A X=1>"},
        {nullptr, "<RUNMODE OPTION=2><B Y=\"a b\">", "<B Y=\"a b\">"}};
    for (const auto& [rights, before, after] : cases) {
        User user(rights);
        CString text(before);
        for (const BOOL expectChanged : {TRUE, FALSE}) { // the second call finds the text as it should be
            BOOL changed = !expectChanged;
            EXPECT_EQ(S_OK, Tool_SetSystemCheckExpansionRunMode(text, &changed, user.user.get()));
            EXPECT_EQ(expectChanged, changed) << before;
            EXPECT_EQ(after, Text(text));
        }
        EXPECT_EQ("user 12\nuser 12\n", CallLog(user.setup.get()));
        EXPECT_EQ(0, ovs::test::LiveCounts(user.setup.get()).first);
    }
}

TEST(RunMode, RefusesWhatItCannotAskPassesOnFailuresAndResets) {
    ovs::test::PathsReportFile();
    CString text("x<A X=1>");
    BOOL changed = TRUE;
    User failing(nullptr, E_ACCESSDENIED);
    EXPECT_EQ(E_ACCESSDENIED, Tool_SetSystemCheckExpansionRunMode(text, &changed, failing.user.get()));
    EXPECT_FALSE(changed);
    changed = TRUE;
    EXPECT_EQ(E_INVALIDARG, Tool_SetSystemCheckExpansionRunMode(text, &changed, nullptr));
    EXPECT_FALSE(changed);
    EXPECT_EQ(E_INVALIDARG, Tool_SetSystemCheckExpansionRunMode(text, nullptr, failing.user.get()));
    EXPECT_EQ("x<A X=1>", Text(text));
    for (const char* argument :
         {"[nullptr != pIOVSUserManagement] is false.", "[nullptr != pbChanged] is false."}) {
        EXPECT_TRUE(ovs::test::ReportContains(
            std::string("Tool_SetSystemCheckExpansionRunMode : Invalid argument. : ") + argument));
    }
    text = "<A X=1> <RUNMODE OPTION=1>";
    EXPECT_TRUE(Tool_ResetSystemCheckExpansionRunMode(text));
    EXPECT_EQ("<A X=1>", Text(text));
    for (const char* untouched : {"x<A X=1>", "RUNMODE", ""}) {
        text = untouched;
        EXPECT_FALSE(Tool_ResetSystemCheckExpansionRunMode(text));
        EXPECT_EQ(untouched, Text(text));
    }
}

class SystemReport : public ovs::test::RegistryTest {};

void Write(const std::string& path, const std::string& bytes) {
    ovs::unique_hfile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

TEST_F(SystemReport, FetchesTheStoredBytesCopiesTheIncomingFileOrHandsOverAFile) {
    const TempFolder system, source;
    const std::string incoming = source / "report.txt", cache = system / "2\\Reports\\report.txt";
    const auto store = ovs::test::CreateHostObject();
    const auto storeInterface = ovs::test::QueryAs<IOVSDocumentStore>(store.get(), IID_IOVSDocumentStore);
    // The path after the call; every block the store handed out is freed by then.
    const auto fetch = [&](BOOL fetch) {
        CString path(incoming.c_str());
        Tool_GetSystemReport(storeInterface.get(), path, fetch, 2);
        EXPECT_EQ(0, ovs::test::LiveCounts(store.get()).first);
        return Text(path);
    };
    const auto stored = [&](const std::string& bytes, LONG flag, HRESULT hr) {
        store->SetStoredBlock(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<ULONG>(bytes.size()),
                              flag, hr);
    };
    SetFolderValue("Sys Path", system.path());
    Write(incoming, "incoming");
    store->SetStoreNames("Reports", S_OK);
    stored(std::string("stored\0bytes", 12), 1, S_OK);
    const std::string fetchCall = "store 10\nstore 20 6 0x143001 report.txt 0 0\n";
    EXPECT_EQ(cache, fetch(TRUE));
    EXPECT_EQ(std::string("stored\0bytes", 12), ReadFileText(cache));
    EXPECT_EQ(fetchCall, CallLog(store.get()));
    // Not stored, stored empty, a failing store, or no fetch: a copy of the incoming file.
    const std::tuple<LONG, const char*, HRESULT, BOOL> cases[] = {
        {0, "x", S_OK, TRUE}, {1, "", S_OK, TRUE}, {1, "x", E_FAIL, TRUE}, {1, "x", S_OK, FALSE}};
    for (const auto& [flag, bytes, hr, fetching] : cases) {
        ovs::test::RemoveTree(system / "2");
        stored(bytes, flag, hr);
        EXPECT_EQ(cache, fetch(fetching));
        EXPECT_EQ("incoming", ReadFileText(cache));
        EXPECT_EQ(fetching ? fetchCall : "store 10\n", CallLog(store.get()));
    }
    Write(cache, "cached"); // an existing cache file stays
    EXPECT_EQ(cache, fetch(FALSE));
    EXPECT_EQ("cached", ReadFileText(cache));
    CallLog(store.get());
    store->SetStoreNames("Reports", E_FAIL); // without names the path is emptied
    EXPECT_EQ("", fetch(TRUE));
    EXPECT_EQ("store 10\n", CallLog(store.get()));
    CString path("unchanged");
    Tool_GetSystemReport(nullptr, path, TRUE, 2);
    EXPECT_EQ("unchanged", Text(path));

    const std::string bytes("a\0b\r\n", 5); // the whole file is handed over
    Write(incoming, bytes);
    Tool_SetSystemReport(storeInterface.get(), incoming.c_str());
    Tool_SetSystemReport(storeInterface.get(), (source / "missing.txt").c_str());
    Tool_SetSystemReport(nullptr, incoming.c_str());
    EXPECT_EQ("store 19 6 0x143001 report.txt 5 1\n", CallLog(store.get()));
    BYTE written[16];
    ULONG size = 0;
    store->GetWrittenBlock(written, sizeof written, &size);
    EXPECT_EQ(bytes, std::string(reinterpret_cast<char*>(written), size));
}

} // namespace
