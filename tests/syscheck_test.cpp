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

TEST(SysChkString, ParsesSetsFindsAndWritesBackTheElements) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"<NAME>", 1, "<NAME >"},
        {"<A X=\"1>2\" Y=\"a b\">", 1, "<A X=\"1>2\" Y=\"a b\">"},
        {"<A K =V>", 1, "<A K=\"\" V=\"\">"},
        {"  <A   X=1   Y=2 >  ", 1, "<A X=1 Y=2>"},
        {">junk<A X=1>y<B>z", 2, "<A X=1><B >"},
        {"<B><A X=1><B Z=3>", 3, "<B Z=3><A X=1>"},
        {"<A X=1 X=2>", 1, "<A X=2>"},
        {"<A \"K\"=1 B=2 =3>", 1, "<A B=2>"},
        {"<><  ><\"A\"><A=1><A", 0, ""},
        {"<A X=\"open>", 0, ""}};
    for (const auto& [text, count, written] : cases) {
        CSysChkString list;
        list.Parse("<OLD>");
        EXPECT_EQ(count, list.Parse(text)) << text;
        EXPECT_EQ(written, Text(list.GetString())) << text;
    }
    CSysChkCompoStr element(" A ");
    const std::tuple<const char*, const char*, int> options[] = {
        {"K", "v", 0}, {" K ", " w ", 1}, {"L", "", 0}, {"", "x", -1}, {"a=b", "x", -1}, {nullptr, "x", -1}};
    for (const auto& [key, value, result] : options) {
        EXPECT_EQ(result, element.SetOption(key, value)) << (key ? key : "null");
    }
    EXPECT_EQ(0, element.SetOption("N", -42));
    EXPECT_EQ("<A K=w L=\"\" N=-42>", Text(element.GetString()));
    CString value;
    CSysChkString list;
    EXPECT_TRUE(element.GetOption("N", value) && value == "-42" && element.FindOption("k") == -1);
    EXPECT_TRUE(element.RemoveOption("K") && !element.RemoveOption("K") && !element.Parse("<a=b>"));
    list.Parse("<B><A X=1><C>");
    EXPECT_EQ(std::pair(1, -1), std::pair(list.Find("A"), list.Find("a")));
    list.Add(element);
    list.Add(CSysChkCompoStr("bad name"));
    EXPECT_TRUE(list.Remove("B") && !list.Remove("B"));
    EXPECT_EQ("<A L=\"\" N=-42><C >", Text(list.GetString()));
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
    OvsTestSetLocalClock(nullptr);
    EXPECT_EQ(base / "12\\SysChk12_Latest." + Made(Tool_MakeSystemCheckFileExt, 2),
              Made(Tool_MakeSystemCheckLatestFilePathName, 12, 2));
    EXPECT_EQ(base / "1\\SysChk1_Latest." + Made(Tool_MakeSystemCheckFileExtForPrint, 1),
              Made(Tool_MakeSystemCheckDataFilePathNameForPrint, 1, 1));
    SetFolderValue("Log SysChk Path", base / "a\\b"); // with its parents
    Tool_MakeSystemCheckFolder(4, 99);
    EXPECT_TRUE(ovs::test::FileExists(base / "a\\b\\4"));
    // Without a value the base folder hangs from the root of the current drive.
    Tool_DeleteRegistryValue(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Path", "Log SysChk Path");
    char before[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    const std::string path = Made(Tool_MakeSystemCheckLatestFilePathName, 3, 0);
    SetCurrentDirectoryA(before);
    EXPECT_EQ("C:\\Orvantiscope\\Log\\SysCheck\\3\\SysChk3_Latest." + ext0, path);
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

TEST(RunMode, FollowsTheRightToRunTheExpansionAndResets) {
    ovs::test::PathsReportFile();
    const DWORD without[] = {12, 0}, with[] = {12, 1706, 0};
    // rights (null: a failing query), text before, result, changed, text after
    const std::tuple<const DWORD*, const char*, HRESULT, BOOL, const char*> cases[] = {
        {without, "x<A X=1>", S_OK, TRUE, "<A X=1><RUNMODE OPTION=1>"},
        {without, "<RUNMODE OPTION=1>", S_OK, FALSE, "<RUNMODE OPTION=1>"},
        {with, "<A X=1><RUNMODE OPTION=2>", S_OK, TRUE, "<A X=1>"},
        {with, "<A X=1>", S_OK, FALSE, "<A X=1>"},
        {nullptr, "x<A X=1>", E_ACCESSDENIED, FALSE, "x<A X=1>"}};
    for (const auto& [rights, before, hr, expectChanged, after] : cases) {
        User user(rights, rights != nullptr ? S_OK : E_ACCESSDENIED);
        CString text(before);
        BOOL changed = !expectChanged;
        EXPECT_EQ(hr, Tool_SetSystemCheckExpansionRunMode(text, &changed, user.user.get()));
        EXPECT_EQ((std::pair<std::string, BOOL>(after, expectChanged)), std::pair(Text(text), changed))
            << before;
        EXPECT_EQ("user 12\n", CallLog(user.setup.get()));
        ovs::test::ExpectAllReleased(user.setup.get());
    }
    CString text("x<A X=1>");
    BOOL changed = TRUE;
    EXPECT_EQ(E_INVALIDARG, Tool_SetSystemCheckExpansionRunMode(text, &changed, nullptr));
    EXPECT_EQ(E_INVALIDARG, Tool_SetSystemCheckExpansionRunMode(text, nullptr, User(nullptr).user.get()));
    EXPECT_TRUE(!changed && Text(text) == "x<A X=1>");
    for (const char* argument :
         {"[nullptr != pIOVSUserManagement] is false.", "[nullptr != pbChanged] is false."}) {
        EXPECT_TRUE(ovs::test::ReportContains(
            std::string("Tool_SetSystemCheckExpansionRunMode : Invalid argument. : ") + argument));
    }
    for (const auto& [before, reset, after] : {std::tuple("<A X=1> <RUNMODE OPTION=1>", TRUE, "<A X=1>"),
                                               std::tuple("x<A X=1>", FALSE, "x<A X=1>")}) {
        text = before;
        EXPECT_EQ(reset, Tool_ResetSystemCheckExpansionRunMode(text));
        EXPECT_EQ(after, Text(text));
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
    SetFolderValue("Sys Path", system.path());
    Write(incoming, "incoming");
    const std::string fetchCall = "store 10\nstore 20 6 0x143001 report.txt 0 0\n";
    // Stored bytes, or a copy of the incoming file when not stored, stored empty, the store fails or
    // no fetch is asked; without the store's names the path is emptied.
    const std::tuple<LONG, std::string, HRESULT, HRESULT, BOOL, std::string, std::string> cases[] = {
        {1, std::string("stored\0bytes", 12), S_OK, S_OK, TRUE, cache, fetchCall},
        {0, "x", S_OK, S_OK, TRUE, cache, fetchCall},
        {1, "", S_OK, S_OK, TRUE, cache, fetchCall},
        {1, "x", E_FAIL, S_OK, TRUE, cache, fetchCall},
        {1, "x", S_OK, S_OK, FALSE, cache, "store 10\n"},
        {1, "x", S_OK, E_FAIL, TRUE, "", "store 10\n"}};
    for (const auto& [flag, bytes, hr, namesHr, fetching, expectedPath, calls] : cases) {
        ovs::test::RemoveTree(system / "2");
        store->SetStoreNames("Reports", namesHr);
        store->SetStoredBlock(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<ULONG>(bytes.size()),
                              flag, hr);
        CString path(incoming.c_str());
        Tool_GetSystemReport(storeInterface.get(), path, fetching, 2);
        EXPECT_EQ(expectedPath, Text(path)) << bytes;
        EXPECT_EQ(calls, CallLog(store.get())) << bytes;
        EXPECT_EQ(namesHr != S_OK                                    ? ""
                  : flag && hr == S_OK && fetching && !bytes.empty() ? bytes
                                                                     : "incoming",
                  expectedPath.empty() ? "" : ReadFileText(cache));
        ovs::test::ExpectAllReleased(store.get());
    }
    store->SetStoreNames("Reports", S_OK);
    CString path(incoming.c_str());
    Tool_GetSystemReport(storeInterface.get(), path, FALSE, 2);
    Write(cache, "cached"); // an existing cache file stays
    Tool_GetSystemReport(storeInterface.get(), path = incoming.c_str(), FALSE, 2);
    Tool_GetSystemReport(nullptr, path, TRUE, 2);
    EXPECT_EQ(std::pair(cache, std::string("cached")), std::pair(Text(path), ReadFileText(cache)));
    CallLog(store.get());

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
