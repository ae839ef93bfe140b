// The release log: its line format, the ring, the capacity setting and the one file it writes once.
#include "test_support.h"
#include "ovstoolreleaselog.h"
#include "ovsreg.h"

#include <tuple>

using namespace ovs::test;

namespace {

using Texts = std::vector<std::string>;

constexpr char kLogFolder[] = "C:\\Orvantiscope\\Log";
constexpr char kLogFile[] = "C:\\Orvantiscope\\Log\\ReleaseLog.LOG";

void SetCapacity(int capacity) {
    ASSERT_TRUE(Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Log", "ReleaseLog",
                                      capacity));
}

// The message parts of the lines, after their fixed head "cccc KIND [yyyy/mm/dd hh:mm:ss]".
Texts LogMessages() {
    Texts messages;
    for (const std::string& line : SplitLines(ReadFileText(kLogFile))) {
        messages.push_back(line.substr(line.find(']') + 1));
    }
    return messages;
}

class ReleaseLogTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        CreateDirectoryA("C:\\Orvantiscope", nullptr);
        CreateDirectoryA(kLogFolder, nullptr);
        DeleteFileA(kLogFile);
    }
    // The log with the capacity set and loaded, after the codes 1..count were added as "entry <code>".
    COVSReleaseLog& Log(int capacity, int count = 0) {
        SetCapacity(capacity);
        m_log.LoadCapacity();
        for (int code = 1; code <= count; ++code) {
            EXPECT_EQ(S_OK, m_log.AddEntry(code, 1, ("entry " + std::to_string(code)).c_str()));
        }
        return m_log;
    }
    COVSReleaseLog m_log;
};

} // namespace

// After the ring wrapped: its newest entries, oldest first.
TEST_F(ReleaseLogTest, LinesOldestFirstWithCodeKindLocalTimeAndMessage) {
    const std::string longMessage = std::string(100, 'a') + std::string(100, 'z'); // any wrong cut shows
    const std::tuple<int, int, std::string, std::string> entries[] = {{103, 0, "pump stopped", "0103 FATAL"},
                                                                      {7, 1, "lamp off", "0007 ERROR"},
                                                                      {12345, 2, "door open", "12345 ERROR"},
                                                                      {-5, 0, "", "-005 FATAL"},
                                                                      {1, 0, longMessage, "0001 FATAL"}};
    COVSReleaseLog& log = Log(5, 3);
    for (const auto& [code, kind, message, head] : entries) {
        EXPECT_EQ(S_OK, log.AddEntry(code, kind, message.c_str()));
    }
    EXPECT_EQ(S_OK, log.Flush());
    const Texts lines = SplitLines(ReadFileText(kLogFile));
    ASSERT_EQ(5u, lines.size());
    SYSTEMTIME now;
    GetLocalTime(&now);
    for (int i = 0; i < 5; ++i) {
        const COVSReleaseLog::Entry& entry = log.GetEntries()[(i + 3) % 5];
        EXPECT_EQ(now.wYear, entry.nYear);
        char head[64];
        std::snprintf(head, sizeof head, "%s [%4d/%02d/%02d %02d:%02d:%02d]", std::get<3>(entries[i]).c_str(),
                      entry.nYear, entry.nMonth, entry.nDay, entry.nHour, entry.nMinute, entry.nSecond);
        EXPECT_EQ(head + std::get<2>(entries[i]).substr(0, 127), lines[static_cast<size_t>(i)]);
    }
}

// An existing file is left as it is, what was added since stays for a later flush; clearing drops it all.
TEST_F(ReleaseLogTest, FirstWrittenFileIsKeptAndTheRingCleared) {
    COVSReleaseLog& log = Log(1, 2);
    ASSERT_EQ(S_OK, log.Flush());
    EXPECT_EQ(Texts{"entry 2"}, LogMessages());
    ASSERT_EQ(S_OK, log.AddEntry(3, 0, "entry 3"));
    EXPECT_EQ(S_OK, log.Flush());
    EXPECT_EQ(Texts{"entry 2"}, LogMessages());
    DeleteFileA(kLogFile);
    ASSERT_EQ(S_OK, log.Flush());
    EXPECT_EQ(Texts{"entry 3"}, LogMessages());
    ASSERT_EQ(S_OK, log.AddEntry(4, 1, "entry 4"));
    EXPECT_EQ(S_OK, log.Clear());
    EXPECT_EQ(0, log.GetEntries()[0].nCode);
    DeleteFileA(kLogFile);
    ASSERT_EQ(S_OK, log.Flush());
    EXPECT_TRUE(FileExists(kLogFile));
    EXPECT_TRUE(LogMessages().empty());
}

TEST_F(ReleaseLogTest, CapacityFromTheRegistryReadOnFirstUse) {
    COVSReleaseLog log; // no value: the log is disabled
    EXPECT_EQ(E_UNEXPECTED, log.AddEntry(1, 0, "lost"));
    SetCapacity(0);
    log.LoadCapacity();
    EXPECT_EQ(E_UNEXPECTED, log.AddEntry(1, 0, "lost"));
    EXPECT_EQ(S_OK, log.Flush());
    EXPECT_FALSE(FileExists(kLogFile));
    SetCapacity(2);
    COVSReleaseLog late; // no LoadCapacity: the first add reads it
    EXPECT_EQ(0, late.GetCapacity());
    EXPECT_EQ(S_OK, late.AddEntry(9, 1, "late"));
    EXPECT_EQ(2, late.GetCapacity());
    // A missing folder fails the flush; the folder is not made here.
    if (!RemoveDirectoryA(kLogFolder)) {
        GTEST_SKIP() << "the log folder holds other files";
    }
    EXPECT_EQ(E_UNEXPECTED, late.Flush());
    EXPECT_FALSE(FileExists(kLogFolder));
}
