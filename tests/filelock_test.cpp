#include "test_support.h"

#include "ovstooldbgreport.h"
#include "ovstooldump.h"
#include "unique_resource.h"

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char kNullArgument[] = "<null>";

// Reports on each path given, with the platform's Restart Manager.
const ovs::test::ChildMode reportMode("lockreport", [](const std::vector<std::string>& args) {
    if (!Tool_InitDbgReportEx(1, OVS_DBGMASK_WRN, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 1, "B", "A")) {
        return 3;
    }
    for (const std::string& path : args) {
        Tool_Report_FileLockProcess(path == kNullArgument ? nullptr : path.c_str());
    }
    return 0;
});

// Waits until killed: a second holder with a process of its own.
const ovs::test::ChildMode waitMode("wait", [](const std::vector<std::string>&) {
    Sleep(INFINITE);
    return 0;
});

std::string Logged(const std::string& message) {
    return "    [strLogMessage] = [" + message + "]";
}

class FileLockReport : public ovs::test::RegistryTest {
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

    // The stand-in's host reports on the held file with the holders named; its report's text.
    std::string HostReport(const std::string& holders) {
        const std::string bin = ovs::test::ExecutableFolder();
        const std::string host = bin + "\\..\\rstrtmgr\\OVSLockReportHost.exe";
        char path[32768];
        GetEnvironmentVariableA("PATH", path, sizeof path);
        const ovs::test::ChildResult run = ovs::test::RunProgram(
            host, {m_file}, {{"PATH", bin + ";" + path}, {"OVS_RSTRTMGR_HOLDERS", holders}});
        EXPECT_TRUE(run.finished);
        EXPECT_EQ(0u, run.exitCode) << host;
        const std::string report = m_report->debugFolder() + "\\DbgReport_OVSLockReportHost_Inst_001.log";
        const std::string text = ovs::test::ReadFileText(report);
        DeleteFileA(report.c_str());
        return text;
    }

    std::optional<ovs::test::ReportFolder> m_report;
    std::string m_file;
    ovs::unique_hfile m_held;
};

TEST_F(FileLockReport, WinesRestartManagerGivesTheFailureMessage) {
    const std::string free = m_report->logPath() + "\\free.dat";
    const ovs::test::ChildResult child = ovs::test::RunChild("lockreport", {m_file, free, "", kNullArgument});
    ASSERT_TRUE(child.finished);
    ASSERT_EQ(0u, child.exitCode);
    const std::string report = ovs::test::ReadFileText(m_report->reportFile());
    // Wine's service succeeds without a session key and lists no holder even for a held file.
    EXPECT_NE(std::string::npos, report.find(Logged("Fail to check file lock process: " + m_file))) << report;
    EXPECT_NE(std::string::npos, report.find(Logged("Fail to check file lock process: " + free)));
    EXPECT_NE(std::string::npos, report.find(Logged("Fail to check file lock process: ")));
    EXPECT_EQ(std::string::npos, report.find("Check locked file"));
}

TEST_F(FileLockReport, HoldersAsTheRestartManagerListsThem) {
    const ovs::unique_handle waiter = ovs::test::StartChild("wait");
    ASSERT_TRUE(waiter);
    const std::string self = std::to_string(GetCurrentProcessId());
    const std::string other = std::to_string(GetProcessId(waiter.get()));
    const std::string selfPath = ovs::test::ExecutablePath();
    const std::string checked = "Check locked file : " + m_file;

    struct Case {
        std::string holders;
        std::string message;
    };
    const Case cases[] = {
        {"", checked + "\nFile is not locked."},
        {self + "," + other, checked + "\nLock process : (" + self + ") " + selfPath + "\nLock process : (" +
                                 other + ") " + selfPath},
        {other + "!", checked + "\nLock process : Holder application " + other},
        {"1,2,3,4,5,6,7,8,9,10," + self, "Fail to check file lock process: " + m_file},
    };
    for (const Case& c : cases) {
        const std::string report = HostReport(c.holders);
        EXPECT_NE(std::string::npos, report.find(Logged(c.message))) << c.holders << "\n" << report;
    }
    TerminateProcess(waiter.get(), 0);
    WaitForSingleObject(waiter.get(), 10000);
}

} // namespace
