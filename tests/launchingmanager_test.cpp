// Programs started through the launching manager, a real process reached by its named objects: the
// request sections of each road, program ends and lifetimes, refusals, a manager started on demand,
// concurrent and orphaned requests, the debug lines; kernel objects that everyone may use.
#include "launching_manager_support.h"
#include "ovsreg.h"
#include "ovstooldbgreport.h"
#include "ovstoollaunch.h"
#include "test_support.h"
#include "unique_resource.h"

#include <aclapi.h>

#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>

using namespace ovs::test;

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
    OVS_LIFETIME life = {2000, 0, FALSE, 7};
    return LaunchSleeper(100, &life) && life.dwResult == 0 ? 0 : 1;
});

class LaunchTest : public RegistryTest {
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
    const std::string receipt = folder / "receipt.txt";
};

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
    EXPECT_EQ(INVALID_HANDLE_VALUE, Tool_CreateKernelObject(FALSE, "Global\\OVSTest_Kind3", 3, 0, 16));
    ovs::unique_handle mutex(Tool_CreateKernelObject(TRUE, "Global\\OVSTest_Clash", OVS_KERNEL_MUTEX, 0, 0));
    EXPECT_EQ(nullptr, Tool_CreateKernelObject(FALSE, "Global\\OVSTest_Clash", OVS_KERNEL_EVENT, 0, 0));
    ovs::unique_handle first(Tool_CreateKernelObject(FALSE, "Global\\OVSTest_Same", OVS_KERNEL_EVENT, 0, 0));
    ovs::unique_handle second(Tool_CreateKernelObject(FALSE, "Global\\OVSTest_Same", OVS_KERNEL_EVENT, 0, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    SetEvent(first.get());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second.get(), 0)) << "the existing event is opened";
}

TEST_F(LaunchTest, TheManagerReadsTheSectionsOfEachRoad) {
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

TEST_F(LaunchTest, ProgramEndsLifetimesRefusalsAndSilenceGiveTheirResults) {
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

TEST_F(LaunchTest, AnAbsentManagerIsStartedAndServesConcurrentAndOrphanedRequests) {
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

TEST_F(LaunchTest, DebugLinesAreTheSystemsOwnBytes) {
    ReportFolder report;
    LaunchingManagerScope manager;
    ASSERT_EQ(0u, RunChild("report-launch").exitCode);
    const std::string text = ReadFileText(report.reportFile());
    size_t at = 0;
    for (const wchar_t* line :
         {L"    [szArguments] = [--child sleep 100]", L"    [bNoWindow] = [TRUE:1]",
          L"    [pLifeTime->nLifeTime] = [TRUE:2000]",
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
