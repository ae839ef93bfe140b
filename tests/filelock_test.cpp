#include "test_support.h"

#include "ovstooldbgreport.h"
#include "ovstooldump.h"
#include "unique_resource.h"

#include <optional>

using namespace ovs::test;

namespace {

// Reports on each path given ("<null>": none), with the platform's Restart Manager.
const ChildMode reportMode("lockreport", [](const std::vector<std::string>& args) {
    if (!Tool_InitDbgReportEx(1, OVS_DBGMASK_WRN, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 1, "B", "A")) {
        return 3;
    }
    for (const std::string& path : args) {
        Tool_Report_FileLockProcess(path == "<null>" ? nullptr : path.c_str());
    }
    return 0;
});

// Waits until killed: a second holder with a process of its own.
const ChildMode waitMode("wait", [](const std::vector<std::string>&) {
    Sleep(INFINITE);
    return 0;
});

bool Logged(const std::string& report, const std::string& message) {
    return report.find("    [strLogMessage] = [" + message + "]") != std::string::npos;
}

class FileLockReport : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        m_report.emplace();
        m_file = m_report->logPath() + "\\held.dat";
        m_held.reset(CreateFileA(m_file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(m_held);
    }
    void TearDown() override {
        m_held.reset();
        m_report.reset();
        RegistryTest::TearDown();
    }

    std::optional<ReportFolder> m_report;
    std::string m_file;
    ovs::unique_hfile m_held;
};

// Wine's service succeeds without a session key and lists no holder even for a held file.
TEST_F(FileLockReport, WinesRestartManagerGivesTheFailureMessage) {
    const ChildResult child = RunChild("lockreport", {m_file, "", "<null>"});
    ASSERT_TRUE(child.finished && child.exitCode == 0);
    const std::string report = ReadFileText(m_report->reportFile());
    EXPECT_TRUE(Logged(report, "Fail to check file lock process: " + m_file)) << report;
    EXPECT_TRUE(Logged(report, "Fail to check file lock process: "));
    EXPECT_EQ(std::string::npos, report.find("Check locked file"));
}

// The stand-in's host reports on the held file with the holders named.
TEST_F(FileLockReport, HoldersAsTheRestartManagerListsThem) {
    const ovs::unique_handle waiter = StartChild("wait");
    ASSERT_TRUE(waiter);
    const std::string self = std::to_string(GetCurrentProcessId());
    const std::string other = std::to_string(GetProcessId(waiter.get()));
    const std::string checked = "Check locked file : " + m_file;
    const std::pair<std::string, std::string> cases[] = {
        {"", checked + "\nFile is not locked."},
        {self + "," + other, checked + "\nLock process : (" + self + ") " + ExecutablePath() +
                                 "\nLock process : (" + other + ") " + ExecutablePath()},
        {other + "!", checked + "\nLock process : Holder application " + other},
        {"1,2,3,4,5,6,7,8,9,10," + self, "Fail to check file lock process: " + m_file}};
    const std::string bin = ExecutableFolder();
    char path[32768];
    GetEnvironmentVariableA("PATH", path, sizeof path);
    for (const auto& [holders, message] : cases) {
        const ChildResult run = RunProgram(bin + "\\..\\rstrtmgr\\OVSLockReportHost.exe", {m_file},
                                           {{"PATH", bin + ";" + path}, {"OVS_RSTRTMGR_HOLDERS", holders}});
        EXPECT_TRUE(run.finished && run.exitCode == 0) << holders;
        const std::string report = m_report->debugFolder() + "\\DbgReport_OVSLockReportHost_Inst_001.log";
        EXPECT_TRUE(Logged(ReadFileText(report), message)) << holders;
        DeleteFileA(report.c_str());
    }
    TerminateProcess(waiter.get(), 0);
    WaitForSingleObject(waiter.get(), 10000);
}

} // namespace
