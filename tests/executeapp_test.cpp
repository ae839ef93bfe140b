// Programs started by the library as real processes: their command lines, the auxiliary program,
// registered processes killed together; the console user's token steps over faked session functions;
// background data through the data-file component stand-in.
#include "../ovstoolfunctions/processes/logon_token.h"
#include "../standins/datafile/data_file_standin.h"
#include "launching_manager_support.h"
#include "ovsreg.h"
#include "ovstooldbgreport.h"
#include "ovstoolexecute.h"
#include "test_support.h"
#include "unique_resource.h"

#include <fstream>
#include <tuple>

using namespace ovs::test;

namespace {

constexpr char kProcessesKey[] = "SOFTWARE\\VELDORAN\\Orvantiscope\\Orvantiscope2\\CurrentVersion\\";

const ChildMode kCommandLine("commandline", [](const std::vector<std::string>& args) {
    std::ofstream(args.at(0), std::ios::binary) << GetCommandLineA();
    return 0;
});

const ChildMode kRegisterAndSleep("register-sleep", [](const std::vector<std::string>& args) {
    Tool_RegisterProcess(std::stoi(args.at(0)), args.at(1).c_str(), FALSE);
    Sleep(60000);
    return 0;
});

// The text a started program wrote, once it is there (empty after 20 s).
std::string WaitForText(const std::string& path) {
    for (int i = 0; i < 200 && !FileExists(path); ++i) {
        Sleep(100);
    }
    Sleep(100);
    return FileExists(path) ? ReadFileText(path) : std::string();
}

// Programs started with a command line of the library's making run the child mode named here.
struct InheritedChild {
    explicit InheritedChild(const std::string& words) {
        SetEnvironmentVariableA(kChildVariable, words.c_str());
    }
    ~InheritedChild() { SetEnvironmentVariableA(kChildVariable, nullptr); }
};

class ExecuteTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        UseExecutableFolderAsProgramFolder();
    }
    TempFolder folder;
    const std::string self = ExecutableBaseName() + ".exe", quoted = "\"" + ExecutablePath() + "\"";
};

// ---- Token steps over faked session functions -----------------------------------------------------

struct Fake {
    DWORD session = 1, refuseToken = 0;
    bool linked = true, environment = true;
    DWORD flags = 0;
    std::string desktop, commandLine;
    int destroyed = 0;
} g_fake;

ovs::logon::SessionFunctions FakeFunctions() {
    return {
        [] { return g_fake.session; },
        [](ULONG, PHANDLE token) {
            SetLastError(g_fake.refuseToken);
            return g_fake.refuseToken == 0 ? OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, token)
                                           : FALSE;
        },
        [](LPVOID* block, HANDLE, BOOL inherit) {
            *block = &g_fake;
            return g_fake.environment && !inherit ? TRUE : (SetLastError(5), FALSE);
        },
        [](LPVOID) { return ++g_fake.destroyed, TRUE; },
        [](HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID out, DWORD size, PDWORD written) {
            return g_fake.linked ? GetTokenInformation(token, kind, out, size, written)
                                 : (SetLastError(1312), FALSE);
        },
        [](HANDLE token, DWORD access, LPSECURITY_ATTRIBUTES, SECURITY_IMPERSONATION_LEVEL level,
           TOKEN_TYPE type, PHANDLE out) -> BOOL {
            return access == MAXIMUM_ALLOWED && level == SecurityImpersonation && type == TokenPrimary &&
                   DuplicateTokenEx(token, access, nullptr, level, type, out);
        },
        [](HANDLE, LPCSTR, LPSTR line, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD flags,
           LPVOID, LPCSTR, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION) {
            g_fake.flags = flags;
            g_fake.desktop = startup->lpDesktop;
            g_fake.commandLine = line;
            SetLastError(2);
            return FALSE;
        },
    };
}

} // namespace

TEST(LogonToken, EachRefusedStepEndsTheStartAndCreationIsAttemptedOtherwise) {
    const struct {
        DWORD session, refuseToken;
        bool linked, linkedWanted, environment;
        BOOL result;
        DWORD flags;
    } cases[] = {{0xFFFFFFFF, 0, true, false, true, FALSE, 0},
                 {1, 1314, true, false, true, FALSE, 0},
                 {1, 0, false, true, true, FALSE, 0},
                 {1, 0, false, false, true, TRUE,
                  CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS},
                 {1, 0, true, true, false, TRUE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS}};
    for (const auto& c : cases) {
        g_fake = Fake{};
        std::tie(g_fake.session, g_fake.refuseToken, g_fake.linked, g_fake.environment) =
            std::tie(c.session, c.refuseToken, c.linked, c.environment);
        EXPECT_EQ(c.result, ovs::logon::StartAsConsoleUser(FakeFunctions(), "\"a b\" /x", c.linkedWanted));
        EXPECT_EQ(c.flags, g_fake.flags);
        EXPECT_TRUE(!c.result ||
                    (g_fake.desktop == "winsta0\\default" && g_fake.commandLine == "\"a b\" /x" &&
                     g_fake.destroyed == (c.environment ? 1 : 0)))
            << g_fake.desktop << " " << g_fake.commandLine << " " << g_fake.destroyed;
    }
}

TEST_F(ExecuteTest, ProgramsSeeTheirQuotedPathAndArguments) {
    const std::string bare = folder / "bare.txt", given = folder / "given.txt", asUser = folder / "user.txt";
    {
        InheritedChild child("commandline|" + bare);
        ASSERT_TRUE(Tool_ExecuteApplication(self.c_str(), nullptr, nullptr));
        EXPECT_EQ(quoted, WaitForText(bare)) << "no blank without arguments";
    }
    ASSERT_TRUE(Tool_ExecuteApplication(self.c_str(), ("--child commandline " + given).c_str(), nullptr));
    EXPECT_EQ(quoted + " --child commandline " + given, WaitForText(given));
    EXPECT_TRUE(Tool_ExecuteApplicationAsLogonUser(self.c_str(), ("--child commandline " + asUser).c_str(),
                                                   nullptr, TRUE));
    EXPECT_EQ(quoted + " --child commandline " + asUser, WaitForText(asUser));
    EXPECT_FALSE(Tool_ExecuteApplication(nullptr, nullptr, nullptr));
    EXPECT_FALSE(Tool_ExecuteApplicationAsLogonUser(nullptr, nullptr, nullptr, FALSE));
    EXPECT_FALSE(Tool_ExecuteApplication(self.c_str(), std::string(40000, 'x').c_str(), nullptr));
}

TEST_F(ExecuteTest, StartAppRunsTheAuxiliaryProgramUnquoted) {
    const std::string auxiliary = folder / "Auxiliary", seen = folder / "seen.txt";
    CreateDirectoryA(auxiliary.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(ExecutablePath().c_str(), (auxiliary + "\\probe.exe").c_str(), FALSE));
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Prog Path", folder.path().c_str());
    char path[32767];
    GetEnvironmentVariableA("PATH", path, sizeof path);
    SetEnvironmentVariableA("PATH", (ExecutableFolder() + ";" + path).c_str());
    InheritedChild child("commandline|" + seen);
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Auxiliary", "StartApp",
                             std::string(250, 'p').c_str());
    Tool_StartApp(); // the line does not fit: nothing starts
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Auxiliary", "StartApp", "probe");
    Tool_StartApp();
    EXPECT_EQ(auxiliary + "\\probe.exe", WaitForText(seen));
    SetEnvironmentVariableA("PATH", path);
}

TEST_F(ExecuteTest, RegisteredProcessesAreVolatileAndKilledTogether) {
    for (const int system : {0, 3}) {
        const std::string key = kProcessesKey + std::string(system ? "SYSTEM3\\" : "") + "PIDS";
        ASSERT_EQ(0, Tool_RegisterProcess(system, "Acquisition", FALSE));
        ovs::unique_hkey pids, lasting;
        ASSERT_EQ(0, RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS, pids.put()));
        DWORD id = 0, size = sizeof id;
        RegQueryValueExA(pids.get(), "Acquisition", nullptr, nullptr, reinterpret_cast<BYTE*>(&id), &size);
        EXPECT_EQ(GetCurrentProcessId(), id);
        EXPECT_EQ(ERROR_CHILD_MUST_BE_VOLATILE,
                  RegCreateKeyExA(pids.get(), "x", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                  lasting.put(), nullptr));
        EXPECT_EQ(0, Tool_RegisterProcess(system, "Acquisition", TRUE));
        EXPECT_EQ(ERROR_FILE_NOT_FOUND,
                  RegQueryValueExA(pids.get(), "Acquisition", nullptr, nullptr, nullptr, nullptr));
    }
    EXPECT_EQ(ERROR_INVALID_PARAMETER, Tool_RegisterProcess(1, nullptr, FALSE));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Tool_TerminateRegisteredProcess(2));
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 2, "PIDS", "Note", "not a process");
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, Tool_TerminateRegisteredProcess(2));
    ovs::unique_handle children[] = {StartChild("register-sleep", {"2", "One"}),
                                     StartChild("register-sleep", {"2", "Two"}),
                                     StartChild("register-sleep", {"2", "Three"})};
    DWORD count = 0;
    for (int i = 0; i < 300 && count < 4; ++i, Sleep(100)) {
        ovs::unique_hkey pids;
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kProcessesKey + std::string("SYSTEM2\\PIDS")).c_str(), 0, KEY_READ,
                      pids.put());
        RegQueryInfoKeyA(pids.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                         nullptr, nullptr, nullptr);
    }
    ASSERT_EQ(4u, count);
    EXPECT_EQ(0, Tool_TerminateRegisteredProcess(2));
    for (auto& child : children) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.get(), 20000));
        TerminateProcess(child.get(), 1);
    }
}

TEST(Background, OperationsComeInTheirOrder) {
    ovs::unique_hmodule module(LoadLibraryA((ExecutableFolder() + "\\OVSDataFile.dll").c_str()));
    using GetClassObject = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);
    const auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), "DllGetClassObject")));
    ovs::com_ptr<IClassFactory> factory;
    ovs::com_ptr<IOvsDataFileSetup> file;
    ASSERT_EQ(S_OK, get(CLSID_OvsDataFileStandIn, IID_IClassFactory, factory.put_void()));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IOvsDataFileSetup, file.put_void()));
    const auto calls = [&file] {
        LONG log[64], count = 0;
        file->GetCallLog(log, 64, &count);
        return std::vector<LONG>(log, log + std::min<LONG>(count, 64));
    };
    EXPECT_EQ(E_INVALIDARG, Tool_RunBackground(file.get(), file.get(), "bg.lcd", 0));
    EXPECT_EQ(E_INVALIDARG, Tool_RunBackground(nullptr, file.get(), "bg.lcd", 3));
    EXPECT_EQ(E_INVALIDARG, Tool_RunBackground(file.get(), nullptr, "bg.lcd", 3));
    EXPECT_TRUE(calls().empty());
    file->SetPdaKind(1);
    using V = std::vector<LONG>;
    V expected = {OVS_DFCALL_QUERY_DATA_FILE, OVS_DFCALL_QUERY_FILE_MANAGER, OVS_DFCALL_OPEN_FILE,
                  OVS_DFCALL_GET_RAW_OBJECT,  OVS_DFCALL_GET_PDA_OBJECT,     OVS_DFCALL_GET_PDA_INFO,
                  OVS_DFCALL_GET_RAW_OBJECT,  OVS_DFCALL_GET_PDA_OBJECT,     OVS_DFCALL_GET_PDA_INFO,
                  OVS_DFCALL_LINK_RAW,        OVS_DFCALL_CLEAR_PDA,          OVS_DFCALL_GET_PATH_NAME,
                  OVS_DFCALL_LINK_PDA};
    EXPECT_EQ(S_OK, Tool_RunBackground(file.get(), file.get(), "bg.lcd", 3)); // linked
    EXPECT_EQ(expected, calls());
    expected.insert(expected.end(), {OVS_DFCALL_QUERY_DATA_FILE, OVS_DFCALL_QUERY_FILE_MANAGER,
                                     OVS_DFCALL_GET_RAW_OBJECT, OVS_DFCALL_GET_PDA_OBJECT,
                                     OVS_DFCALL_GET_PDA_INFO, OVS_DFCALL_CLEAR_RAW, OVS_DFCALL_CLEAR_PDA});
    EXPECT_EQ(S_OK, Tool_RunBackground(file.get(), file.get(), "", 3)); // cleared
    EXPECT_EQ(expected, calls());
    file->FailCall(OVS_DFCALL_OPEN_FILE, E_ACCESSDENIED);
    EXPECT_EQ(E_ACCESSDENIED, Tool_RunBackground(file.get(), file.get(), "bg.lcd", 1));
    const V failed = calls();
    EXPECT_EQ((V{OVS_DFCALL_OPEN_FILE, OVS_DFCALL_CLOSE_FILE}), V(failed.end() - 2, failed.end()));
}
