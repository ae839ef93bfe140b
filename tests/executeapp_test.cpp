// Programs started by the library as real processes: their command lines, the auxiliary program,
// registered processes killed together; the console user's token steps over faked session functions;
// background data through the data-file component stand-in. Programs started through the launching
// manager, a real process reached by its named objects: the request sections of each road, program
// ends and lifetimes, refusals, a manager started on demand, concurrent and orphaned requests, the
// debug lines; kernel objects that everyone may use.
#include "../ovstoolfunctions/processes/logon_token.h"
#include "../standins/datafile/data_file_standin.h"
#include "launching_manager_support.h"
#include "ovsreg.h"
#include "ovstooldbgreport.h"
#include "ovstoolexecute.h"
#include "ovstoollaunch.h"
#include "test_support.h"
#include "unique_resource.h"

#include <aclapi.h>

#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>
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

// A clean registry with the build's binaries as the program folder, a release log of 32 entries, and
// no launching manager before and after.
class ProcessTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        StopLaunchingManager();
        UseExecutableFolderAsProgramFolder();
        Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Log", "ReleaseLog", 32);
        log.LoadCapacity();
    }
    void TearDown() override {
        StopLaunchingManager();
        RegistryTest::TearDown();
    }
    std::vector<int> Codes() const {
        std::vector<int> codes;
        for (int i = 0; i < log.GetWriteIndex(); ++i) {
            codes.push_back(log.GetEntries()[i].nCode);
        }
        return codes;
    }
    // Each receipt line of the manager: the road (G or L) and each section's bytes.
    std::vector<std::map<std::string, std::string>> Receipt() const {
        std::vector<std::map<std::string, std::string>> requests;
        for (const std::string& line : SplitLines(ReadFileText(receipt))) {
            std::istringstream words(line);
            words >> requests.emplace_back()["road"];
            for (std::string word; words >> word;) {
                const size_t equals = word.find('=');
                std::string& bytes = requests.back()[word.substr(0, equals)];
                for (size_t i = equals + 1; i + 1 < word.size(); i += 2) {
                    bytes.push_back(static_cast<char>(std::stoi(word.substr(i, 2), nullptr, 16)));
                }
            }
        }
        return requests;
    }

    COVSReleaseLog log;
    TempFolder folder;
    const std::string receipt = folder / "receipt.txt", self = ExecutableBaseName() + ".exe",
                      quoted = "\"" + ExecutablePath() + "\"";
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

TEST_F(ProcessTest, ProgramsSeeTheirQuotedPathAndArguments) {
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

TEST_F(ProcessTest, StartAppRunsTheAuxiliaryProgramUnquoted) {
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

TEST_F(ProcessTest, RegisteredProcessesAreVolatileAndKilledTogether) {
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

// ---- The launching manager --------------------------------------------------------------------------

namespace {

const ChildMode kSleep("sleep", [](const std::vector<std::string>& args) {
    if (args.size() > 1) {
        std::ofstream(args[1]) << GetCurrentProcessId();
    }
    Sleep(std::stoul(args.at(0)));
    return 0;
});

BOOL LaunchSleeper(DWORD ms, OVS_LIFETIME* life, COVSReleaseLog* log = nullptr,
                   const std::string& pidFile = "") {
    const std::string args = "--child sleep " + std::to_string(ms) + (pidFile.empty() ? "" : " " + pidFile);
    return Tool_CreateProcessWithLaunchingManager(ExecutablePath().c_str(), args.c_str(), TRUE, life, nullptr,
                                                  log);
}

const ChildMode kLaunch("launch",
                        [](const std::vector<std::string>&) { return LaunchSleeper(100, nullptr) ? 0 : 1; });

const ChildMode kHoldLock("hold-lock", [](const std::vector<std::string>& args) {
    ovs::unique_handle lock(CreateMutexA(nullptr, FALSE, "Global\\OVSLauncher_PrepareLaunching"));
    WaitForSingleObject(lock.get(), INFINITE);
    SetEvent(ovs::unique_handle(OpenEventA(EVENT_MODIFY_STATE, FALSE, args.at(0).c_str())).get());
    Sleep(60000);
    return 0;
});

const ChildMode kReportLaunch("report-launch", [](const std::vector<std::string>&) {
    Tool_InitDbgReportEx(1, 0x1F, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 1, "B", "A");
    OVS_LIFETIME life = {20000, 0, FALSE, 7}; // ends long before, even on a loaded machine
    return LaunchSleeper(100, &life) && life.dwResult == 0 ? 0 : 1;
});

// The layout of a text section: 32-bit length, the bytes with their terminator, three zeros.
std::string TextSection(const std::string& terminated) {
    const auto length = static_cast<uint32_t>(terminated.size());
    return std::string(reinterpret_cast<const char*>(&length), 4) + terminated + std::string(3, '\0');
}

} // namespace

TEST(KernelObject, EveryoneGetsAllRightsOfTheKindInOneEntry) {
    for (const auto& [kind, rights] : {std::pair{OVS_KERNEL_EVENT, 0x1F0003},
                                       {OVS_KERNEL_SECTION, 0xF001F},
                                       {OVS_KERNEL_MUTEX, 0x1F0001}}) {
        const std::string name = "Global\\OVSTest_Kind" + std::to_string(kind);
        ovs::unique_handle object(Tool_CreateKernelObject(FALSE, name.c_str(), kind, 0, 4096));
        PACL acl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_EQ(0u, GetSecurityInfo(object.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                      nullptr, &acl, nullptr, &descriptor))
            << kind;
        ovs::unique_hlocal owner(descriptor);
        ACCESS_ALLOWED_ACE* entry = nullptr;
        ASSERT_TRUE(GetAce(acl, 0, reinterpret_cast<void**>(&entry)));
        DWORD flags = 0;
        GetHandleInformation(object.get(), &flags);
        EXPECT_TRUE(entry->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
                    entry->Mask == static_cast<DWORD>(rights) &&
                    IsWellKnownSid(&entry->SidStart, WinWorldSid) && acl->AclRevision == ACL_REVISION &&
                    acl->AceCount == 1 && (flags & HANDLE_FLAG_INHERIT) == 0)
            << kind;
    }
    // An unknown kind; a name taken by another kind; an event of the same name opened.
    EXPECT_EQ(INVALID_HANDLE_VALUE, Tool_CreateKernelObject(FALSE, "Global\\OVSTest_Kind3", 3, 0, 16));
    ovs::unique_handle mutex(Tool_CreateKernelObject(TRUE, "Global\\OVSTest_Clash", OVS_KERNEL_MUTEX, 0, 0)),
        first(Tool_CreateKernelObject(FALSE, "Global\\OVSTest_Same", OVS_KERNEL_EVENT, 0, 0)),
        second(Tool_CreateKernelObject(FALSE, "Global\\OVSTest_Same", OVS_KERNEL_EVENT, 0, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_EQ(nullptr, Tool_CreateKernelObject(FALSE, "Global\\OVSTest_Clash", OVS_KERNEL_EVENT, 0, 0));
    SetEvent(first.get());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second.get(), 0));
}

TEST_F(ProcessTest, TheManagerReadsTheSectionsOfEachRoad) {
    LaunchingManagerScope manager({"/Receipt", receipt});
    ASSERT_TRUE(manager.started);
    OVS_LIFETIME life = {0, 4096, TRUE, 7};
    ASSERT_TRUE(Tool_CreateProcessWithLaunchingManager(ExecutablePath().c_str(), nullptr, TRUE, &life,
                                                       "A=1\r\nB=2", &log));
    EXPECT_EQ(7u, life.dwResult) << "no end wait with a lifetime of 0";
    ASSERT_TRUE(LaunchSleeper(0, nullptr));
    {
        ovs::unique_handle noGlobal(CreateMutexA(nullptr, FALSE, "Global\\OVSUserAnAdmin"));
        ASSERT_TRUE(LaunchSleeper(0, nullptr));
    }
    auto requests = Receipt();
    ASSERT_EQ(3u, requests.size());
    auto& first = requests[0];
    const std::string exit = first["LaunchingExit"], guid = exit.substr(4 + 7, 38);
    ASSERT_EQ(TextSection(exit.substr(4, exit.size() - 7)), exit);
    EXPECT_TRUE(std::regex_match(guid, std::regex(R"(\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\})")))
        << guid;
    std::string lifeBytes(140, '\0');
    std::memcpy(lifeBytes.data(), &life, 12);
    const std::wstring env = L"A=1\r\nB=2";
    const std::map<std::string, std::string> expected = {
        {"road", "G"},
        {"LaunchingFileName", TextSection(ExecutablePath() + '\0')},
        {"LaunchingArguments", TextSection(std::string(1, '\0'))},
        {"LaunchingNoWindow", TextSection(std::string("NOWINDOW_TRUE") + '\0')},
        {"LaunchingExit", exit},
        {"LaunchingTimeout", TextSection("Global\\Timeout" + guid + '\0')},
        {"LaunchingLifeTimeData", lifeBytes},
        {"LaunchingEnvVars",
         TextSection(std::string(reinterpret_cast<const char*>(env.c_str()), (env.size() + 1) * 2))}};
    EXPECT_EQ(expected, first);
    EXPECT_EQ(0u, requests[1].count("LaunchingTimeout") + requests[1].count("LaunchingLifeTimeData") +
                      requests[1].count("LaunchingEnvVars"));
    EXPECT_NE(exit, requests[1]["LaunchingExit"]);
    EXPECT_EQ("L", requests[2]["road"]);
    EXPECT_EQ(std::vector<int>{121}, Codes());
}

TEST_F(ProcessTest, ProgramEndsLifetimesRefusalsAndSilenceGiveTheirResults) {
    {
        LaunchingManagerScope manager;
        ASSERT_TRUE(manager.started);
        OVS_LIFETIME ended = {5000, 0, FALSE, 7}, noWait = {0, 0, FALSE, 7};
        EXPECT_TRUE(LaunchSleeper(100, &ended, &log));
        EXPECT_EQ(0u, ended.dwResult);
        for (const BOOL force : {TRUE, FALSE}) {
            const std::string pidFile = folder / ("pid" + std::to_string(force));
            OVS_LIFETIME outlived = {3000, 0, force, 7}; // time for a loaded machine to start the program
            EXPECT_TRUE(LaunchSleeper(20000, &outlived, &log, pidFile));
            EXPECT_EQ(258u, outlived.dwResult);
            ovs::unique_handle program(
                OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, std::stoul(ReadFileText(pidFile))));
            EXPECT_EQ(force ? WAIT_OBJECT_0 : WAIT_TIMEOUT, WaitForSingleObject(program.get(), 2000))
                << force;
            TerminateProcess(program.get(), 0);
        }
        EXPECT_TRUE(LaunchSleeper(0, &noWait, &log));
        EXPECT_EQ(7u, noWait.dwResult);
        EXPECT_TRUE(LaunchSleeper(0, nullptr, &log));
        EXPECT_FALSE(Tool_CreateProcessWithLaunchingManager((folder / "missing.exe").c_str(), nullptr, FALSE,
                                                            nullptr, nullptr, &log));
        EXPECT_FALSE(Tool_CreateProcessWithLaunchingManager(nullptr, nullptr, FALSE, nullptr, nullptr, &log));
        EXPECT_STREQ("Tool_CreateProcessWithLaunchingManager file not found 2",
                     log.GetEntries()[4].szMessage);
    }
    {
        LaunchingManagerScope manager({"/AnswerNG"});
        EXPECT_FALSE(LaunchSleeper(0, nullptr, &log));
    }
    {
        LaunchingManagerScope manager({"/NoAnswer"});
        const ULONGLONG start = GetTickCount64();
        EXPECT_FALSE(LaunchSleeper(0, nullptr, &log));
        EXPECT_GE(GetTickCount64() - start, 9500u);
        EXPECT_EQ(nullptr, OpenFileMappingA(FILE_MAP_READ, FALSE, "Global\\OVSLauncher_LaunchingFileName"));
    }
    {
        LaunchingManagerScope manager({"/NoEndSignal"});
        OVS_LIFETIME life = {2000, 0, TRUE, 7};
        const ULONGLONG start = GetTickCount64();
        EXPECT_TRUE(LaunchSleeper(0, &life, &log));
        EXPECT_EQ(258u, life.dwResult);
        EXPECT_LT(GetTickCount64() - start, 7000u);
    }
    EXPECT_EQ((std::vector<int>{120, 120, 121, 121, 102, 101, 117, 121, 121, 119}), Codes());
}

TEST_F(ProcessTest, AnAbsentManagerIsStartedAndServesConcurrentAndOrphanedRequests) {
    ASSERT_FALSE(LaunchingManagerRuns());
    EXPECT_TRUE(LaunchSleeper(0, nullptr));
    EXPECT_TRUE(LaunchingManagerRuns());
    StopLaunchingManager();
    LaunchingManagerScope manager({"/Receipt", receipt});
    ovs::unique_handle clients[] = {StartChild("launch"), StartChild("launch")};
    for (auto& client : clients) {
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client.get(), 30000));
        DWORD code = 1;
        GetExitCodeProcess(client.get(), &code);
        EXPECT_EQ(0u, code);
    }
    auto requests = Receipt();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(requests[0]["LaunchingFileName"], requests[1]["LaunchingFileName"]);
    EXPECT_NE(requests[0]["LaunchingExit"], requests[1]["LaunchingExit"]);
    ovs::unique_handle ready(CreateEventA(nullptr, TRUE, FALSE, "Global\\OVSTest_LockHeld"));
    ovs::unique_handle holder = StartChild("hold-lock", {"Global\\OVSTest_LockHeld"});
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready.get(), 30000));
    TerminateProcess(holder.get(), 1);
    WaitForSingleObject(holder.get(), 5000);
    EXPECT_TRUE(LaunchSleeper(0, nullptr)) << "an abandoned lock is taken over";
}

TEST_F(ProcessTest, DebugLinesAreTheSystemsOwnBytes) {
    ReportFolder report;
    LaunchingManagerScope manager;
    ASSERT_EQ(0u, RunChild("report-launch").exitCode);
    const std::string text = ReadFileText(report.reportFile());
    size_t at = 0;
    for (const wchar_t* line :
         {L"    [szArguments] = [--child sleep 100]", L"    [bNoWindow] = [TRUE:1]",
          L"    [pLifeTime->nLifeTime] = [TRUE:20000]",
          L"\u25BC\u30DF\u30E5\u30FC\u30C6\u30C3\u30AF\u30B9\u53D6\u5F97\u5F85\u6A5F",
          L"[Global\\\uFF5E]\u306E\u30D5\u30A1\u30A4\u30EB\u30DE\u30C3\u30D4\u30F3\u30B0\u540D"
          L"\u3092\u4F7F\u7528\u3057\u307E\u3059",
          L"\u25BC\u524D\u51E6\u7406\u7D42\u4E86\u30A4\u30D9\u30F3\u30C8\u5F85\u6A5F",
          L"\u25B2\u524D\u51E6\u7406\u7D42\u4E86\u30A4\u30D9\u30F3\u30C8\u5F85\u6A5F\u629C\u3051-"
          L"\u524D\u51E6\u7406\u6210\u529F",
          L"\u30DF\u30E5\u30FC\u30C6\u30C3\u30AF\u30B9\u89E3\u653E",
          L"\u25B2\u51E6\u7406\u7D42\u4E86\u30A4\u30D9\u30F3\u30C8\u5F85\u6A5F\u629C\u3051(\u30D7"
          L"\u30ED\u30BB\u30B9 \u6B63\u5E38\u7D42\u4E86)"}) {
        char bytes[256] = {}; // the line in code page 932
        WideCharToMultiByte(932, 0, line, -1, bytes, sizeof bytes, nullptr, nullptr);
        const size_t found = text.find(std::string(bytes) + "\r\n", at);
        ASSERT_NE(std::string::npos, found) << bytes;
        at = found + std::strlen(bytes);
    }
}
