// Programs started as real processes, directly, as the console user or through the launching manager
// (a real process reached by its named objects); the process registry; shared kernel objects.
#include "../ovstoolfunctions/processes/logon_token.h"
#include "hex_text.h"
#include "launching_manager_support.h"
#include "ovsreg.h"
#include "ovstooldbgreport.h"
#include "ovstoolexecute.h"
#include "ovstoollaunch.h"
#include "test_support.h"
#include "unique_resource.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <tuple>

using namespace ovs::test;

namespace {

const ChildMode kCommandLine("commandline", [](const std::vector<std::string>& args) {
    std::ofstream(args.at(0), std::ios::binary) << GetCommandLineA();
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
        SetEnvironmentVariableA(kChildVariable, nullptr);
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
                requests.back()[word.substr(0, equals)] = HexBytes(word.substr(equals + 1));
            }
        }
        return requests;
    }

    COVSReleaseLog log;
    TempFolder folder;
    const std::string receipt = folder / "receipt.txt", self = ExecutableBaseName() + ".exe",
                      quoted = "\"" + ExecutablePath() + "\"";
};

// Token steps over faked session functions, since this platform always has a console session, a
// token and a linked token: each refusal ends the start, otherwise the creation is attempted.
struct Fake {
    DWORD session = 1, refuseToken = 0, flags = 0;
    bool linked = true, environment = true;
    std::string desktop, commandLine;
    int destroyed = 0;
} g_fake;

const ovs::logon::SessionFunctions kFakeFunctions = {
    [] { return g_fake.session; },
    [](ULONG, PHANDLE token) -> BOOL {
        SetLastError(g_fake.refuseToken);
        return !g_fake.refuseToken && OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, token);
    },
    [](LPVOID* block, HANDLE, BOOL inherit) -> BOOL {
        *block = &g_fake;
        return g_fake.environment && !inherit ? TRUE : (SetLastError(5), FALSE);
    },
    [](LPVOID) { return ++g_fake.destroyed, TRUE; },
    [](HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID out, DWORD size, PDWORD written) {
        return g_fake.linked ? GetTokenInformation(token, kind, out, size, written)
                             : (SetLastError(1312), FALSE);
    },
    [](HANDLE token, DWORD access, LPSECURITY_ATTRIBUTES, SECURITY_IMPERSONATION_LEVEL level, TOKEN_TYPE type,
       PHANDLE out) -> BOOL {
        return access == MAXIMUM_ALLOWED && level == SecurityImpersonation && type == TokenPrimary &&
               DuplicateTokenEx(token, access, nullptr, level, type, out);
    },
    [](HANDLE, LPCSTR, LPSTR line, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD flags, LPVOID,
       LPCSTR, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION) {
        std::tie(g_fake.flags, g_fake.desktop, g_fake.commandLine) =
            std::tuple(flags, startup->lpDesktop, line);
        return SetLastError(2), FALSE;
    }};

} // namespace

TEST(LogonToken, EachRefusedStepEndsTheStartAndCreationIsAttemptedOtherwise) {
    constexpr DWORD kNewConsole = CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS;
    // session, refused token, linked, linked wanted, environment, result, creation flags
    const std::tuple<DWORD, DWORD, bool, bool, bool, BOOL, DWORD> cases[] = {
        {0xFFFFFFFF, 0, true, false, true, FALSE, 0},
        {1, 1314, true, false, true, FALSE, 0},
        {1, 0, false, true, true, FALSE, 0},
        {1, 0, false, false, true, TRUE, CREATE_UNICODE_ENVIRONMENT | kNewConsole},
        {1, 0, true, true, false, TRUE, kNewConsole}};
    for (const auto& [session, refuseToken, linked, linkedWanted, environment, result, flags] : cases) {
        g_fake = Fake{session, refuseToken, 0, linked, environment, {}, {}, 0};
        EXPECT_EQ(result, ovs::logon::StartAsConsoleUser(kFakeFunctions, "\"a b\" /x", linkedWanted));
        EXPECT_EQ(std::tuple(flags, std::string(result ? "winsta0\\default" : ""), result ? "\"a b\" /x" : "",
                             result && environment ? 1 : 0),
                  std::tuple(g_fake.flags, g_fake.desktop, g_fake.commandLine, g_fake.destroyed));
    }
}

TEST_F(ProcessTest, ProgramsSeeTheirQuotedPathAndArguments) {
    const std::string bare = folder / "bare.txt", given = folder / "given.txt", asUser = folder / "user.txt";
    SetEnvironmentVariableA(kChildVariable, ("commandline|" + bare).c_str()); // arguments take precedence
    ASSERT_TRUE(Tool_ExecuteApplication(self.c_str(), nullptr, nullptr));
    EXPECT_EQ(quoted, WaitForText(bare)) << "no blank without arguments";
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
    SetEnvironmentVariableA(kChildVariable, ("commandline|" + seen).c_str());
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Auxiliary", "StartApp",
                             std::string(250, 'p').c_str());
    Tool_StartApp(); // the line does not fit: nothing starts
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Auxiliary", "StartApp", "probe");
    Tool_StartApp();
    EXPECT_EQ(auxiliary + "\\probe.exe", WaitForText(seen));
    SetEnvironmentVariableA("PATH", path);
}

TEST_F(ProcessTest, RegisteredProcessesAreVolatile) {
    EXPECT_EQ(ERROR_INVALID_PARAMETER, Tool_RegisterProcess(2, nullptr, FALSE));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Tool_TerminateRegisteredProcess(2));
    ASSERT_EQ(0, Tool_RegisterProcess(2, "Acquisition", FALSE));
    ovs::unique_hkey pids, lasting;
    ASSERT_EQ(0,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            "SOFTWARE\\VELDORAN\\Orvantiscope\\Orvantiscope2\\CurrentVersion\\SYSTEM2\\PIDS",
                            0, KEY_ALL_ACCESS, pids.put()));
    EXPECT_EQ(ERROR_CHILD_MUST_BE_VOLATILE,
              RegCreateKeyExA(pids.get(), "x", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                              lasting.put(), nullptr));
}

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
    for (const auto& [kind, access] : {std::pair{OVS_KERNEL_EVENT, "D:(A;;0x1f0003;;;WD)"},
                                       {OVS_KERNEL_SECTION, "D:(A;;CCDCLCSWRPSDRCWDWO;;;WD)"},
                                       {OVS_KERNEL_MUTEX, "D:(A;;0x1f0001;;;WD)"}}) {
        ovs::unique_handle object(Tool_CreateKernelObject(FALSE, "Global\\OVSTest_Kind", kind, 0, 4096));
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        char* text = nullptr;
        GetSecurityInfo(object.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                        nullptr, &descriptor);
        ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                             DACL_SECURITY_INFORMATION, &text, nullptr);
        const ovs::unique_hlocal owners[] = {ovs::unique_hlocal(descriptor), ovs::unique_hlocal(text)};
        EXPECT_STREQ(access, text) << kind;
    }
    EXPECT_EQ(INVALID_HANDLE_VALUE, Tool_CreateKernelObject(FALSE, "Global\\OVSTest_Kind3", 3, 0, 16));
}

TEST_F(ProcessTest, TheManagerIsStartedReadsTheSectionsOfEachRoadAndServesConcurrentAndOrphanedRequests) {
    ASSERT_FALSE(LaunchingManagerRuns());
    EXPECT_TRUE(LaunchSleeper(0, nullptr));
    EXPECT_TRUE(LaunchingManagerRuns());
    StopLaunchingManager();
    LaunchingManagerScope manager({"/Receipt", receipt});
    ASSERT_TRUE(manager.started);
    OVS_LIFETIME life = {0, 4096, TRUE, 7};
    ASSERT_TRUE(Tool_CreateProcessWithLaunchingManager(ExecutablePath().c_str(), nullptr, TRUE, &life,
                                                       "A=1\r\nB=2", &log));
    EXPECT_EQ(7u, life.dwResult) << "no end wait with a lifetime of 0";
    ovs::unique_handle clients[] = {StartChild("launch"), StartChild("launch")};
    for (auto& client : clients) {
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client.get(), 30000));
        DWORD code = 1;
        GetExitCodeProcess(client.get(), &code);
        EXPECT_EQ(0u, code);
    }
    {
        ovs::unique_handle noGlobal(CreateMutexA(nullptr, FALSE, "Global\\OVSUserAnAdmin"));
        ASSERT_TRUE(LaunchSleeper(0, nullptr));
    }
    auto requests = Receipt();
    ASSERT_EQ(4u, requests.size());
    const std::string guid = requests[0]["LaunchingExit"].substr(4 + 7, 38); // after the length and "Global\"
    EXPECT_TRUE(IsGuidText(guid)) << guid;
    const std::string lifeBytes =
        std::string(reinterpret_cast<const char*>(&life), 12) + std::string(128, '\0');
    const std::wstring env = L"A=1\r\nB=2";
    const std::map<std::string, std::string> expected = {
        {"road", "G"},
        {"LaunchingFileName", TextSection(ExecutablePath() + '\0')},
        {"LaunchingArguments", TextSection(std::string(1, '\0'))},
        {"LaunchingNoWindow", TextSection(std::string("NOWINDOW_TRUE") + '\0')},
        {"LaunchingExit", TextSection("Global\\" + guid + '\0')},
        {"LaunchingTimeout", TextSection("Global\\Timeout" + guid + '\0')},
        {"LaunchingLifeTimeData", lifeBytes},
        {"LaunchingEnvVars",
         TextSection(std::string(reinterpret_cast<const char*>(env.c_str()), (env.size() + 1) * 2))}};
    EXPECT_EQ(expected, requests[0]);
    EXPECT_EQ(0u, requests[1].count("LaunchingTimeout") + requests[1].count("LaunchingLifeTimeData") +
                      requests[1].count("LaunchingEnvVars"));
    EXPECT_NE(requests[0]["LaunchingExit"], requests[1]["LaunchingExit"]);
    EXPECT_NE(requests[1]["LaunchingExit"], requests[2]["LaunchingExit"]) << "concurrent requests";
    EXPECT_EQ("L", requests[3]["road"]);
    EXPECT_EQ(std::vector<int>{121}, Codes());
    ovs::unique_handle ready(CreateEventA(nullptr, TRUE, FALSE, "Global\\OVSTest_LockHeld"));
    ovs::unique_handle holder = StartChild("hold-lock", {"Global\\OVSTest_LockHeld"});
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready.get(), 30000));
    TerminateProcess(holder.get(), 1);
    WaitForSingleObject(holder.get(), 5000);
    EXPECT_TRUE(LaunchSleeper(0, nullptr)) << "an abandoned lock is taken over";
}

TEST_F(ProcessTest, ProgramEndsLifetimesRefusalsAndSilenceGiveTheirResults) {
    {
        LaunchingManagerScope manager;
        ASSERT_TRUE(manager.started);
        OVS_LIFETIME ended = {5000, 0, FALSE, 7};
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
        EXPECT_FALSE(Tool_CreateProcessWithLaunchingManager((folder / "missing.exe").c_str(), nullptr, FALSE,
                                                            nullptr, nullptr, &log));
        EXPECT_FALSE(Tool_CreateProcessWithLaunchingManager(nullptr, nullptr, FALSE, nullptr, nullptr, &log));
        EXPECT_STREQ("Tool_CreateProcessWithLaunchingManager file not found 2",
                     log.GetEntries()[2].szMessage);
    }
    for (const auto& [refusal, wait] : {std::pair{"/AnswerNG", 0u}, {"/NoAnswer", 9500u}}) {
        LaunchingManagerScope manager({refusal});
        const ULONGLONG start = GetTickCount64();
        EXPECT_FALSE(LaunchSleeper(0, nullptr, &log));
        EXPECT_GE(GetTickCount64() - start, wait) << refusal;
    }
    EXPECT_EQ(nullptr, OpenFileMappingA(FILE_MAP_READ, FALSE, "Global\\OVSLauncher_LaunchingFileName"));
    {
        LaunchingManagerScope manager({"/NoEndSignal"}); // the wait runs out at three lifetimes
        OVS_LIFETIME life = {2000, 0, TRUE, 7};
        const ULONGLONG start = GetTickCount64();
        EXPECT_TRUE(LaunchSleeper(0, &life, &log));
        EXPECT_EQ(258u, life.dwResult);
        EXPECT_LT(GetTickCount64() - start, 7000u);
    }
    EXPECT_EQ((std::vector<int>{120, 120, 102, 101, 117, 121, 121, 119}), Codes());
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
