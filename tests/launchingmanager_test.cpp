#include "launching_manager_support.h"
#include "test_support.h"
#include "ovstoollaunch.h"
#include "ovstooldbgreport.h"
#include "ovsreg.h"
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
                   const std::string& pidFile = "", const char* env = nullptr) {
    const std::string args = "--child sleep " + std::to_string(ms) + (pidFile.empty() ? "" : " " + pidFile);
    return Tool_CreateProcessWithLaunchingManager(ExecutablePath().c_str(), args.c_str(), TRUE, life, env,
                                                  log);
}

const ChildMode kLaunch("launch",
                        [](const std::vector<std::string>&) { return LaunchSleeper(100, nullptr) ? 0 : 1; });

const ChildMode kHoldLock("hold-lock", [](const std::vector<std::string>& args) {
    ovs::unique_handle lock(CreateMutexA(nullptr, FALSE, "Global\\OVSLauncher_PrepareLaunching"));
    WaitForSingleObject(lock.get(), INFINITE);
    ovs::unique_handle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, args.at(0).c_str()));
    SetEvent(ready.get());
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

    COVSReleaseLog log;
    TempFolder folder;
};

// One receipt line of the manager: the road (G or L) and each section's bytes.
std::map<std::string, std::string> Sections(const std::string& line) {
    std::map<std::string, std::string> sections;
    std::istringstream words(line);
    words >> sections["road"];
    for (std::string word; words >> word;) {
        const size_t equals = word.find('=');
        std::string bytes;
        for (size_t i = equals + 1; i + 1 < word.size(); i += 2) {
            bytes.push_back(static_cast<char>(std::stoi(word.substr(i, 2), nullptr, 16)));
        }
        sections[word.substr(0, equals)] = bytes;
    }
    return sections;
}

// The layout of a text section: 32-bit length, the bytes with their terminator, three zeros.
std::string TextSection(const std::string& terminated) {
    const auto length = static_cast<uint32_t>(terminated.size());
    return std::string(reinterpret_cast<const char*>(&length), 4) + terminated + std::string(3, '\0');
}

std::string Cp932(const wchar_t* text) {
    char bytes[256] = {};
    WideCharToMultiByte(932, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

} // namespace

TEST(KernelObject, EveryoneGetsAllRightsOfTheKindInOneEntry) {
    const struct {
        DWORD kind, rights;
    } kinds[] = {{OVS_KERNEL_EVENT, 0x1F0003}, {OVS_KERNEL_SECTION, 0xF001F}, {OVS_KERNEL_MUTEX, 0x1F0001}};
    for (const auto& kind : kinds) {
        const std::string name = "Global\\OVSTest_Kind" + std::to_string(kind.kind);
        ovs::unique_handle object(Tool_CreateKernelObject(FALSE, name.c_str(), kind.kind, 0, 4096));
        ASSERT_TRUE(object) << kind.kind;
        PACL acl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_EQ(0u, GetSecurityInfo(object.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                      nullptr, &acl, nullptr, &descriptor));
        ovs::unique_hlocal owner(descriptor);
        ACCESS_ALLOWED_ACE* entry = nullptr;
        ASSERT_TRUE(GetAce(acl, 0, reinterpret_cast<void**>(&entry)));
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, entry->Header.AceType);
        EXPECT_EQ(kind.rights, entry->Mask);
        EXPECT_TRUE(IsWellKnownSid(&entry->SidStart, WinWorldSid));
        EXPECT_EQ(ACL_REVISION, acl->AclRevision);
        EXPECT_EQ(1, acl->AceCount);
        DWORD flags = 0;
        GetHandleInformation(object.get(), &flags);
        EXPECT_EQ(0u, flags & HANDLE_FLAG_INHERIT);
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
    const std::string receipt = folder / "receipt.txt";
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
    const std::vector<std::string> lines = SplitLines(ReadFileText(receipt));
    ASSERT_EQ(3u, lines.size());
    auto first = Sections(lines[0]);
    EXPECT_EQ("G", first["road"]);
    EXPECT_EQ(TextSection(ExecutablePath() + '\0'), first["LaunchingFileName"]);
    EXPECT_EQ(TextSection(std::string(1, '\0')), first["LaunchingArguments"]) << "size 8";
    EXPECT_EQ(TextSection(std::string("NOWINDOW_TRUE") + '\0'), first["LaunchingNoWindow"]);
    const std::string exit = first["LaunchingExit"];
    ASSERT_EQ(TextSection(exit.substr(4, exit.size() - 7)), exit);
    const std::string guid = exit.substr(4 + 7, 38);
    EXPECT_TRUE(std::regex_match(guid, std::regex(R"(\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\})")))
        << guid;
    EXPECT_EQ(TextSection("Global\\Timeout" + guid + '\0'), first["LaunchingTimeout"]);
    std::string lifeBytes(140, '\0');
    std::memcpy(lifeBytes.data(), &life, 12);
    EXPECT_EQ(lifeBytes, first["LaunchingLifeTimeData"]);
    const std::wstring env = L"A=1\r\nB=2";
    EXPECT_EQ(TextSection(std::string(reinterpret_cast<const char*>(env.c_str()), (env.size() + 1) * 2)),
              first["LaunchingEnvVars"]);
    const auto second = Sections(lines[1]);
    EXPECT_EQ(0u, second.count("LaunchingTimeout") + second.count("LaunchingLifeTimeData") +
                      second.count("LaunchingEnvVars"));
    EXPECT_NE(first["LaunchingExit"], Sections(lines[1])["LaunchingExit"]);
    EXPECT_EQ("L", Sections(lines[2])["road"]);
    EXPECT_EQ(std::vector<int>{121}, Codes());
}

TEST_F(LaunchTest, ProgramEndsAndLifetimesAreReported) {
    LaunchingManagerScope manager;
    ASSERT_TRUE(manager.started);
    OVS_LIFETIME ended = {5000, 0, FALSE, 7};
    EXPECT_TRUE(LaunchSleeper(100, &ended, &log));
    EXPECT_EQ(0u, ended.dwResult);
    for (const BOOL force : {TRUE, FALSE}) {
        const std::string pidFile = folder / ("pid" + std::to_string(force));
        OVS_LIFETIME outlived = {1000, 0, force, 7};
        EXPECT_TRUE(LaunchSleeper(20000, &outlived, &log, pidFile));
        EXPECT_EQ(258u, outlived.dwResult);
        ovs::unique_handle program(
            OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, std::stoul(ReadFileText(pidFile))));
        EXPECT_EQ(force ? WAIT_OBJECT_0 : WAIT_TIMEOUT, WaitForSingleObject(program.get(), 2000)) << force;
        TerminateProcess(program.get(), 0);
    }
    OVS_LIFETIME noWait = {0, 0, FALSE, 7};
    EXPECT_TRUE(LaunchSleeper(0, &noWait, &log));
    EXPECT_EQ(7u, noWait.dwResult);
    EXPECT_TRUE(LaunchSleeper(0, nullptr, &log));
    EXPECT_FALSE(Tool_CreateProcessWithLaunchingManager((folder / "missing.exe").c_str(), nullptr, FALSE,
                                                        nullptr, nullptr, &log));
    EXPECT_FALSE(Tool_CreateProcessWithLaunchingManager(nullptr, nullptr, FALSE, nullptr, nullptr, &log));
    EXPECT_EQ((std::vector<int>{120, 120, 121, 121, 102, 101}), Codes());
    EXPECT_STREQ("Tool_CreateProcessWithLaunchingManager file not found 2", log.GetEntries()[4].szMessage);
}

TEST_F(LaunchTest, RefusalsSilenceAndLostEndsGiveTheirResults) {
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
    EXPECT_EQ((std::vector<int>{117, 121, 121, 119}), Codes());
}

TEST_F(LaunchTest, AnAbsentManagerIsStartedAndServesConcurrentAndOrphanedRequests) {
    ASSERT_FALSE(LaunchingManagerRuns());
    EXPECT_TRUE(LaunchSleeper(0, nullptr));
    EXPECT_TRUE(LaunchingManagerRuns());
    StopLaunchingManager();
    const std::string receipt = folder / "receipt.txt";
    LaunchingManagerScope manager({"/Receipt", receipt});
    ovs::unique_handle clients[] = {ovs::unique_handle(StartChild("launch")),
                                    ovs::unique_handle(StartChild("launch"))};
    for (auto& client : clients) {
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client.get(), 30000));
        DWORD code = 1;
        GetExitCodeProcess(client.get(), &code);
        EXPECT_EQ(0u, code);
    }
    const std::vector<std::string> lines = SplitLines(ReadFileText(receipt));
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(Sections(lines[0])["LaunchingFileName"], Sections(lines[1])["LaunchingFileName"]);
    EXPECT_NE(Sections(lines[0])["LaunchingExit"], Sections(lines[1])["LaunchingExit"]);

    ovs::unique_handle ready(CreateEventA(nullptr, TRUE, FALSE, "Global\\OVSTest_LockHeld"));
    ovs::unique_handle holder(StartChild("hold-lock", {"Global\\OVSTest_LockHeld"}));
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
    const std::string expected[] = {
        "    [szArguments] = [--child sleep 100]",
        "    [bNoWindow] = [TRUE:1]",
        "    [pLifeTime->nLifeTime] = [TRUE:2000]",
        Cp932(L"\u25BC\u30DF\u30E5\u30FC\u30C6\u30C3\u30AF\u30B9\u53D6\u5F97\u5F85\u6A5F"),
        Cp932(
            L"[Global\\\uFF5E]\u306E\u30D5\u30A1\u30A4\u30EB\u30DE\u30C3\u30D4\u30F3\u30B0\u540D\u3092\u4F7F"
            L"\u7528\u3057\u307E\u3059"),
        Cp932(L"\u25BC\u524D\u51E6\u7406\u7D42\u4E86\u30A4\u30D9\u30F3\u30C8\u5F85\u6A5F"),
        Cp932(L"\u25B2\u524D\u51E6\u7406\u7D42\u4E86\u30A4\u30D9\u30F3\u30C8\u5F85\u6A5F\u629C\u3051-"
              L"\u524D\u51E6"
              L"\u7406\u6210\u529F"),
        Cp932(L"\u30DF\u30E5\u30FC\u30C6\u30C3\u30AF\u30B9\u89E3\u653E"),
        Cp932(L"\u25B2\u51E6\u7406\u7D42\u4E86\u30A4\u30D9\u30F3\u30C8\u5F85\u6A5F\u629C\u3051(\u30D7\u30ED"
              L"\u30BB\u30B9 \u6B63\u5E38\u7D42\u4E86)"),
    };
    size_t at = 0;
    for (const std::string& line : expected) {
        const size_t found = text.find(line + "\r\n", at);
        ASSERT_NE(std::string::npos, found) << line;
        at = found + line.size();
    }
}
