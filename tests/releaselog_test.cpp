#include "test_support.h"
#include "ovstoolreleaselog.h"
#include "ovsreg.h"

#include <regex>
#include <string>
#include <vector>

using ovs::test::FileExists;
using ovs::test::ReadFileText;
using ovs::test::RegistryTest;
using ovs::test::SplitLines;

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

// The message part of a line after its fixed head "cccc KIND [yyyy/mm/dd hh:mm:ss]".
std::string MessageOf(const std::string& line) {
    const size_t end = line.find(']');
    return end == std::string::npos ? "<no head>" : line.substr(end + 1);
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
};

} // namespace

TEST_F(ReleaseLogTest, ThreeAddsAndAFlushWriteThreeLinesOldestFirst) {
    SetCapacity(3);
    COVSReleaseLog log;
    log.LoadCapacity();
    ASSERT_EQ(3, log.GetCapacity());
    EXPECT_EQ(S_OK, log.AddEntry(103, 0, "pump stopped"));
    EXPECT_EQ(S_OK, log.AddEntry(7, 1, "lamp off"));
    EXPECT_EQ(S_OK, log.AddEntry(12345, 2, "door open"));
    EXPECT_EQ(S_OK, log.Flush());
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(3u, lines.size());
    const std::regex head(R"(^(\S+) +(FATAL|ERROR) \[(\d{4})/(\d\d)/(\d\d) (\d\d):(\d\d):(\d\d)\].*$)");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[0], match, head)) << lines[0];
    EXPECT_EQ("0103 FATAL [", lines[0].substr(0, 12));
    EXPECT_EQ("pump stopped", MessageOf(lines[0]));
    EXPECT_EQ("0007 ERROR [", lines[1].substr(0, 12));
    EXPECT_EQ("lamp off", MessageOf(lines[1]));
    EXPECT_EQ("12345 ERROR [", lines[2].substr(0, 13));
    EXPECT_EQ("door open", MessageOf(lines[2]));
    EXPECT_EQ(log.GetReadIndex(), log.GetWriteIndex());
}

TEST_F(ReleaseLogTest, LineCarriesTheLocalTimeOfTheEntry) {
    SetCapacity(2);
    COVSReleaseLog log;
    log.LoadCapacity();
    ASSERT_EQ(S_OK, log.AddEntry(1, 0, "x"));
    const COVSReleaseLog::Entry& entry = log.GetEntries()[0];
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(now.wYear, entry.nYear);
    EXPECT_GE(entry.nMonth, 1);
    EXPECT_LE(entry.nMonth, 12);
    char expected[64];
    std::snprintf(expected, sizeof expected, "0001 FATAL [%4d/%02d/%02d %02d:%02d:%02d]x", entry.nYear,
                  entry.nMonth, entry.nDay, entry.nHour, entry.nMinute, entry.nSecond);
    ASSERT_EQ(S_OK, log.Flush());
    EXPECT_EQ(std::vector<std::string>{expected}, LogLines());
}

TEST_F(ReleaseLogTest, NegativeCodeKeepsFourColumns) {
    SetCapacity(1);
    COVSReleaseLog log;
    log.LoadCapacity();
    ASSERT_EQ(S_OK, log.AddEntry(-5, 0, ""));
    ASSERT_EQ(S_OK, log.Flush());
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("-005 FATAL [", lines[0].substr(0, 12));
    EXPECT_EQ("", MessageOf(lines[0]));
}

TEST_F(ReleaseLogTest, MissingCapacityDisablesTheLog) {
    COVSReleaseLog log;
    log.LoadCapacity();
    EXPECT_EQ(0, log.GetCapacity());
    EXPECT_EQ(E_UNEXPECTED, log.AddEntry(1, 0, "lost"));
    EXPECT_EQ(S_OK, log.Flush());
    EXPECT_FALSE(FileExists(kLogFile));
}

TEST_F(ReleaseLogTest, CapacityZeroDisablesTheLog) {
    SetCapacity(0);
    COVSReleaseLog log;
    EXPECT_EQ(E_UNEXPECTED, log.AddEntry(1, 0, "lost"));
    EXPECT_EQ(S_OK, log.Flush());
    EXPECT_FALSE(FileExists(kLogFile));
}

TEST_F(ReleaseLogTest, CapacityIsReadOnFirstUse) {
    SetCapacity(2);
    COVSReleaseLog log; // no LoadCapacity: the first add reads it
    EXPECT_EQ(0, log.GetCapacity());
    EXPECT_EQ(S_OK, log.AddEntry(9, 1, "late"));
    EXPECT_EQ(2, log.GetCapacity());
}

TEST_F(ReleaseLogTest, WrappedRingWritesTheNewestCapacityEntriesOldestFirst) {
    SetCapacity(3);
    COVSReleaseLog log;
    log.LoadCapacity();
    for (int code = 1; code <= 5; ++code) {
        ASSERT_EQ(S_OK, log.AddEntry(code, 1, ("entry " + std::to_string(code)).c_str()));
    }
    ASSERT_EQ(S_OK, log.Flush());
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("entry 3", MessageOf(lines[0]));
    EXPECT_EQ("entry 4", MessageOf(lines[1]));
    EXPECT_EQ("entry 5", MessageOf(lines[2]));
    EXPECT_EQ(log.GetReadIndex(), log.GetWriteIndex());
}

TEST_F(ReleaseLogTest, RingOfOneKeepsTheNewestEntry) {
    SetCapacity(1);
    COVSReleaseLog log;
    log.LoadCapacity();
    ASSERT_EQ(S_OK, log.AddEntry(1, 1, "old"));
    ASSERT_EQ(S_OK, log.AddEntry(2, 1, "new"));
    ASSERT_EQ(S_OK, log.Flush());
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("new", MessageOf(lines[0]));
}

TEST_F(ReleaseLogTest, PartlyFilledRingAfterAWrapWritesOnlyWhatIsNew) {
    SetCapacity(3);
    COVSReleaseLog log;
    log.LoadCapacity();
    for (int code = 1; code <= 4; ++code) {
        ASSERT_EQ(S_OK, log.AddEntry(code, 1, ("entry " + std::to_string(code)).c_str()));
    }
    ASSERT_EQ(S_OK, log.Flush());
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("entry 2", MessageOf(lines[0]));
    EXPECT_EQ("entry 4", MessageOf(lines[2]));
    DeleteFileA(kLogFile);
    ASSERT_EQ(S_OK, log.AddEntry(5, 1, "entry 5"));
    ASSERT_EQ(S_OK, log.Flush());
    lines = LogLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("entry 5", MessageOf(lines[0]));
}

TEST_F(ReleaseLogTest, LongMessageIsCutTo127Characters) {
    SetCapacity(2);
    COVSReleaseLog log;
    log.LoadCapacity();
    std::string message;
    for (int i = 0; i < 200; ++i) {
        message.push_back(static_cast<char>('a' + i % 26));
    }
    ASSERT_EQ(S_OK, log.AddEntry(1, 0, message.c_str()));
    EXPECT_EQ(message.substr(0, 127), std::string(log.GetEntries()[0].szMessage));
    ASSERT_EQ(S_OK, log.Flush());
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(message.substr(0, 127), MessageOf(lines[0]));
}

TEST_F(ReleaseLogTest, SecondFlushDoesNothingBecauseTheFileExists) {
    SetCapacity(4);
    COVSReleaseLog log;
    log.LoadCapacity();
    ASSERT_EQ(S_OK, log.AddEntry(1, 0, "first"));
    ASSERT_EQ(S_OK, log.Flush());
    const std::string written = ReadFileText(kLogFile);
    ASSERT_EQ(S_OK, log.AddEntry(2, 0, "second"));
    EXPECT_EQ(S_OK, log.Flush());
    EXPECT_EQ(written, ReadFileText(kLogFile));
    EXPECT_NE(log.GetReadIndex(), log.GetWriteIndex()); // the second entry stays in the ring
}

TEST_F(ReleaseLogTest, ExistingFileIsLeftAsItIs) {
    SetCapacity(2);
    {
        HANDLE file =
            CreateFileA(kLogFile, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, "earlier run\r\n", 13, &written, nullptr);
        CloseHandle(file);
    }
    COVSReleaseLog log;
    log.LoadCapacity();
    ASSERT_EQ(S_OK, log.AddEntry(1, 0, "now"));
    EXPECT_EQ(S_OK, log.Flush());
    EXPECT_EQ("earlier run\r\n", ReadFileText(kLogFile));
    EXPECT_EQ(0, log.GetReadIndex());
    EXPECT_EQ(1, log.GetWriteIndex());
}

TEST_F(ReleaseLogTest, MissingFolderFailsTheFlush) {
    SetCapacity(2);
    if (!RemoveDirectoryA(kLogFolder)) {
        GTEST_SKIP() << "the log folder holds other files";
    }
    COVSReleaseLog log;
    log.LoadCapacity();
    ASSERT_EQ(S_OK, log.AddEntry(1, 0, "nowhere"));
    EXPECT_EQ(E_UNEXPECTED, log.Flush());
    EXPECT_FALSE(FileExists(kLogFolder)); // the folder is not made here
}

TEST_F(ReleaseLogTest, ClearDropsEveryEntry) {
    SetCapacity(3);
    COVSReleaseLog log;
    log.LoadCapacity();
    ASSERT_EQ(S_OK, log.AddEntry(1, 0, "a"));
    ASSERT_EQ(S_OK, log.AddEntry(2, 0, "b"));
    EXPECT_EQ(S_OK, log.Clear());
    EXPECT_EQ(0, log.GetReadIndex());
    EXPECT_EQ(0, log.GetWriteIndex());
    EXPECT_EQ(0, log.GetEntries()[0].nCode);
    EXPECT_EQ('\0', log.GetEntries()[1].szMessage[0]);
    ASSERT_EQ(S_OK, log.Flush());
    EXPECT_TRUE(LogLines().empty());
    EXPECT_TRUE(FileExists(kLogFile));
}

namespace {

// The process-wide log of a fresh process: one instance, its capacity read on first access.
ovs::test::ChildMode instanceMode("releaselog-instance", [](const std::vector<std::string>&) {
    COVSReleaseLog& first = COVSReleaseLog::Instance();
    if (&first != &COVSReleaseLog::Instance()) {
        return 2;
    }
    if (first.GetCapacity() != 2) {
        return 3;
    }
    if (first.AddEntry(31, 0, "from the instance") != S_OK) {
        return 4;
    }
    return first.Flush() == S_OK ? 0 : 5;
});

} // namespace

TEST_F(ReleaseLogTest, ProcessWideInstanceReadsItsCapacityOnce) {
    SetCapacity(2);
    const ovs::test::ChildResult child = ovs::test::RunChild("releaselog-instance");
    ASSERT_TRUE(child.finished);
    EXPECT_EQ(0u, child.exitCode);
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("0031 FATAL [", lines[0].substr(0, 12));
    EXPECT_EQ("from the instance", MessageOf(lines[0]));
}
