#include "test_support.h"
#include "ovstoolreleaselog.h"
#include "ovsreg.h"

#include <numeric>
#include <string>
#include <tuple>
#include <vector>

using namespace ovs::test;

namespace {

constexpr char kLogFolder[] = "C:\\Orvantiscope\\Log";
constexpr char kLogFile[] = "C:\\Orvantiscope\\Log\\ReleaseLog.LOG";

void SetCapacity(int capacity) {
    ASSERT_TRUE(Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Log", "ReleaseLog",
                                      capacity));
}

std::vector<std::string> LogLines() {
    return SplitLines(ReadFileText(kLogFile));
}

// The message parts of the lines, after their fixed head "cccc KIND [yyyy/mm/dd hh:mm:ss]".
std::vector<std::string> LogMessages() {
    std::vector<std::string> messages;
    for (const std::string& line : LogLines()) {
        const size_t end = line.find(']');
        messages.push_back(end == std::string::npos ? "<no head>" : line.substr(end + 1));
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
    void TearDown() override {
        DeleteFileA(kLogFile);
        RegistryTest::TearDown();
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

TEST_F(ReleaseLogTest, LinesOldestFirstWithCodeKindLocalTimeAndMessage) {
    std::string longMessage(200, 'a');
    std::iota(longMessage.begin(), longMessage.end(), '\x20'); // no two alike, so that any wrong cut shows
    const std::tuple<int, int, std::string, std::string> entries[] = {{103, 0, "pump stopped", "0103 FATAL"},
                                                                      {7, 1, "lamp off", "0007 ERROR"},
                                                                      {12345, 2, "door open", "12345 ERROR"},
                                                                      {-5, 0, "", "-005 FATAL"},
                                                                      {1, 0, longMessage, "0001 FATAL"}};
    COVSReleaseLog& log = Log(5);
    for (const auto& [code, kind, message, head] : entries) {
        EXPECT_EQ(S_OK, log.AddEntry(code, kind, message.c_str()));
    }
    EXPECT_EQ(S_OK, log.Flush());
    EXPECT_EQ(log.GetReadIndex(), log.GetWriteIndex());
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(5u, lines.size());
    SYSTEMTIME now;
    GetLocalTime(&now);
    for (int i = 0; i < 5; ++i) {
        const COVSReleaseLog::Entry& entry = log.GetEntries()[i];
        EXPECT_EQ(now.wYear, entry.nYear);
        char head[64];
        std::snprintf(head, sizeof head, "%s [%4d/%02d/%02d %02d:%02d:%02d]", std::get<3>(entries[i]).c_str(),
                      entry.nYear, entry.nMonth, entry.nDay, entry.nHour, entry.nMinute, entry.nSecond);
        EXPECT_EQ(head + std::get<2>(entries[i]).substr(0, 127), lines[static_cast<size_t>(i)]);
    }
}

TEST_F(ReleaseLogTest, RingKeepsTheNewestEntries) {
    EXPECT_EQ(S_OK, Log(1, 2).Flush());
    EXPECT_EQ(std::vector<std::string>{"entry 2"}, LogMessages());
    DeleteFileA(kLogFile);

    COVSReleaseLog& log = Log(3, 5);
    ASSERT_EQ(S_OK, log.Flush());
    EXPECT_EQ((std::vector<std::string>{"entry 3", "entry 4", "entry 5"}), LogMessages());
    EXPECT_EQ(log.GetReadIndex(), log.GetWriteIndex());
    // After a wrap, only what was added since the last flush.
    DeleteFileA(kLogFile);
    ASSERT_EQ(S_OK, log.AddEntry(6, 1, "entry 6"));
    ASSERT_EQ(S_OK, log.Flush());
    EXPECT_EQ(std::vector<std::string>{"entry 6"}, LogMessages());
}

TEST_F(ReleaseLogTest, CapacityFromTheRegistryReadOnFirstUse) {
    COVSReleaseLog missing; // no value: the log is disabled
    missing.LoadCapacity();
    EXPECT_EQ(0, missing.GetCapacity());
    EXPECT_EQ(E_UNEXPECTED, missing.AddEntry(1, 0, "lost"));
    EXPECT_EQ(S_OK, missing.Flush());
    SetCapacity(0);
    COVSReleaseLog zero;
    EXPECT_EQ(E_UNEXPECTED, zero.AddEntry(1, 0, "lost"));
    EXPECT_EQ(S_OK, zero.Flush());
    EXPECT_FALSE(FileExists(kLogFile));

    SetCapacity(2);
    COVSReleaseLog late; // no LoadCapacity: the first add reads it
    EXPECT_EQ(0, late.GetCapacity());
    EXPECT_EQ(S_OK, late.AddEntry(9, 1, "late"));
    EXPECT_EQ(2, late.GetCapacity());
}

TEST_F(ReleaseLogTest, ExistingFileIsLeftAsItIsUntilCleared) {
    COVSReleaseLog& log = Log(4, 1);
    ASSERT_EQ(S_OK, log.Flush());
    EXPECT_EQ(std::vector<std::string>{"entry 1"}, LogMessages());
    const std::string written = ReadFileText(kLogFile);
    ASSERT_EQ(S_OK, log.AddEntry(2, 0, "second"));
    EXPECT_EQ(S_OK, log.Flush());
    EXPECT_EQ(written, ReadFileText(kLogFile));
    EXPECT_EQ(1, log.GetReadIndex()) << "the second entry stays in the ring";
    EXPECT_EQ(2, log.GetWriteIndex());
    // Clearing drops every entry: the next flush writes an empty file.
    EXPECT_EQ(S_OK, log.Clear());
    EXPECT_EQ(0, log.GetReadIndex());
    EXPECT_EQ(0, log.GetWriteIndex());
    EXPECT_EQ(0, log.GetEntries()[0].nCode);
    EXPECT_EQ('\0', log.GetEntries()[1].szMessage[0]);
    DeleteFileA(kLogFile);
    ASSERT_EQ(S_OK, log.Flush());
    EXPECT_TRUE(FileExists(kLogFile));
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(ReleaseLogTest, MissingFolderFailsTheFlush) {
    if (!RemoveDirectoryA(kLogFolder)) {
        GTEST_SKIP() << "the log folder holds other files";
    }
    EXPECT_EQ(E_UNEXPECTED, Log(2, 1).Flush());
    EXPECT_FALSE(FileExists(kLogFolder)); // the folder is not made here
}
