// Names that do not collide: incremented and numbered names, names stamped with a fixed clock, and
// scratch names in the process temporary folder (in child processes, which read their settings
// once).
#include "cp932_child.h"
#include "paths_report.h"
#include "../ovstoolfunctions/local_clock.h"
#include "ovsreg.h"
#include "ovstooltemppath.h"
#include "ovstooluniquenames.h"
#include "unique_resource.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using ovs::test::ChildMode;
using ovs::test::FileExists;
using ovs::test::RegistryTest;
using ovs::test::RunChild;
using ovs::test::TempFolder;

namespace {

TEST(IncreaseStringNumber, NumberField) {
    const struct {
        const char* text;
        BOOL increment;
        int digits;
        BOOL fixedWidth;
        const char* result;
    } cases[] = {
        {"", TRUE, 4, FALSE, "0001"},
        {"", FALSE, 3, TRUE, "001"},
        {"Run", TRUE, 4, FALSE, "Run0001"},
        {"Run", TRUE, 3, TRUE, "Run001"},
        {"Run7", FALSE, 3, TRUE, "Run007"},
        {"A1234567890", TRUE, 3, FALSE, "A1234567891"}, // only the last nine digits count
        {"Run09", TRUE, 3, FALSE, "Run10"},
        {"Run99", TRUE, 3, FALSE, "Run100"},
        {"Run008", TRUE, 3, FALSE, "Run009"},
        {"Run5", TRUE, 3, TRUE, "Run006"},
        {"Run0100", TRUE, 2, TRUE, "Run101"}, // a wider number keeps its digits
        {"Run12", FALSE, 5, FALSE, "Run12"},
        {"12", TRUE, 1, FALSE, "13"},
        {"Run999999999", TRUE, 3, FALSE, "Run1000000000"},
        {"Run1a", TRUE, 2, FALSE, "Run1a01"},
        {"Run", TRUE, 0, FALSE, "Run1"},
        {"Run", TRUE, -5, FALSE, "Run1"},
    };
    for (const auto& c : cases) {
        CString text(c.text);
        Tool_IncreaseStringNumber(text, c.increment, c.digits, c.fixedWidth);
        EXPECT_STREQ(c.result, text) << c.text;
    }
}

TEST(IncreaseFilenameNumber, FolderAndExtensionStay) {
    const struct {
        const char* path;
        const char* result;
    } cases[] = {
        {"C:\\Data\\Run008.lcd", "C:\\Data\\Run009.lcd"},
        {"Run09.lcd", "Run10.lcd"},
        {"C:\\Data\\Run.lcd", "C:\\Data\\Run001.lcd"},
        {"C:\\Run1", "C:\\Run2"},
        {"C:\\Data\\", "C:\\Data\\001"},
        {"[OldVer=1]\\C#\\Data\\Run01.lcd", "[OldVer=1]\\C#\\Data\\Run02.lcd"}, // the logical folder stays
    };
    for (const auto& c : cases) {
        CString path(c.path);
        Tool_IncreaseFilenameNumber(path, TRUE, 3, FALSE);
        EXPECT_STREQ(c.result, path) << c.path;
    }
    const std::string tooLong = "C:\\" + std::string(257, 'r') + "1";
    CString path(tooLong.c_str());
    Tool_IncreaseFilenameNumber(path, TRUE, 3, FALSE);
    EXPECT_EQ(tooLong, path.GetString());
    // A result that would reach 260 bytes is refused too.
    const std::string full = "C:\\" + std::string(254, 'r') + "99";
    CString grown(full.c_str());
    Tool_IncreaseFilenameNumber(grown, TRUE, 3, FALSE);
    EXPECT_EQ(full, grown.GetString());
}

TEST(FileNameInc, NumberedNameInTheSameFolder) {
    const struct {
        const char* path;
        const char* base;
        short number;
        const char* result;
    } cases[] = {
        {"C:\\Data\\old.lcd", "Run", 3, "C:\\Data\\Run_3.lcd"},
        {"C:\\Data\\old", "Run", 12, "C:\\Data\\Run_12"},
        {"C:\\old.a.b", "x", -1, "C:\\x_-1.b"},
        {"old.lcd", "Run", 0, "Run_0.lcd"},
        {"C:\\Data\\old.lcd", nullptr, 7, "C:\\Data\\_7.lcd"},
    };
    for (const auto& c : cases) {
        CString path(c.path);
        Tool_FileNameInc(path, c.base, c.number);
        EXPECT_STREQ(c.result, path) << c.path;
    }
    const std::string tooLong = "C:\\" + std::string(257, 'o') + ".lcd";
    CString path(tooLong.c_str());
    Tool_FileNameInc(path, "Run", 1);
    EXPECT_EQ(tooLong, path.GetString());
}

// 4 December 2026, 14:05:09.
SYSTEMTIME FixedTime() {
    SYSTEMTIME time = {};
    time.wYear = 2026;
    time.wMonth = 12;
    time.wDay = 4;
    time.wDayOfWeek = 5;
    time.wHour = 14;
    time.wMinute = 5;
    time.wSecond = 9;
    return time;
}

class FixedClock : public ::testing::Test {
protected:
    void SetUp() override {
        const SYSTEMTIME time = FixedTime();
        OvsTestSetLocalClock(&time);
    }
    void TearDown() override { OvsTestSetLocalClock(nullptr); }
};

// The short date and 24-hour time of the thread locale, without invalid file-name characters.
std::string DateAndTimeDigits() {
    const SYSTEMTIME time = FixedTime();
    char date[64];
    char clock[64];
    GetDateFormatA(GetThreadLocale(), DATE_SHORTDATE, &time, nullptr, date, sizeof date);
    GetTimeFormatA(GetThreadLocale(), TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER, &time, nullptr, clock,
                   sizeof clock);
    std::string text;
    for (const char c : std::string(date) + clock) {
        if (std::string("\\/:*?<>|\"").find(c) == std::string::npos) {
            text += c;
        }
    }
    return text;
}

TEST_F(FixedClock, AutoNameInTheThreadLocale) {
    const std::string stamp = DateAndTimeDigits();
    ASSERT_NE(std::string::npos, stamp.find("2026"));
    char buffer[MAX_PATH + 2];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(static_cast<int>(stamp.size() + 8), Tool_MakeAutoFileName("Run", "lcd", buffer + 1, MAX_PATH));
    EXPECT_EQ("Run_" + stamp + ".lcd", buffer + 1);
    EXPECT_EQ('#', buffer[0]);
    EXPECT_EQ(static_cast<int>(stamp.size()), Tool_MakeAutoFileName(nullptr, nullptr, buffer + 1, MAX_PATH));
    EXPECT_EQ(stamp, buffer + 1);
    EXPECT_EQ(static_cast<int>(stamp.size() + 1), Tool_MakeAutoFileName("", "", buffer + 1, MAX_PATH));
    EXPECT_EQ(stamp + ".", buffer + 1);
}

TEST_F(FixedClock, AutoNameIsCutToTheBuffer) {
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(4, Tool_MakeAutoFileName(nullptr, nullptr, buffer + 1, 5));
    EXPECT_EQ(DateAndTimeDigits().substr(0, 4), buffer + 1);
    EXPECT_EQ('#', buffer[0]);
    EXPECT_EQ('#', buffer[6]);
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(0, Tool_MakeAutoFileName("Run", "lcd", buffer + 1, 1));
    EXPECT_EQ('\0', buffer[1]);
    EXPECT_EQ('#', buffer[2]);
    EXPECT_EQ(0, Tool_MakeAutoFileName("Run", "lcd", nullptr, 10));
}

// The user's short date format set to yyyy/MM/dd for the test, and put back afterwards.
class YearMonthDay {
public:
    YearMonthDay() {
        m_saved = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, m_format, sizeof m_format) > 0;
        SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, "yyyy/MM/dd");
    }
    ~YearMonthDay() {
        if (m_saved) {
            SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, m_format);
        }
    }
    YearMonthDay(const YearMonthDay&) = delete;
    YearMonthDay& operator=(const YearMonthDay&) = delete;

private:
    char m_format[80] = "";
    bool m_saved = false;
};

TEST_F(FixedClock, AutoNameWithYearMonthDay) {
    YearMonthDay format;
    char buffer[MAX_PATH];
    EXPECT_EQ(22, Tool_MakeAutoFileName("Run", "lcd", buffer, sizeof buffer));
    EXPECT_STREQ("Run_20261204140509.lcd", buffer);
    EXPECT_EQ(14, Tool_MakeAutoFileName(nullptr, nullptr, buffer, sizeof buffer));
    EXPECT_STREQ("20261204140509", buffer);
}

class DbcsFixedClock : public FixedClock {};

TEST_F(DbcsFixedClock, AutoNameInCodePage932) {
    OVS_REQUIRE_CODE_PAGE_932();
    YearMonthDay format;
    char buffer[MAX_PATH];
    EXPECT_EQ(22, Tool_MakeAutoFileName("Run", "lcd", buffer, sizeof buffer));
    EXPECT_STREQ("Run_20261204140509.lcd", buffer);
    EXPECT_EQ(14, Tool_MakeAutoFileName(nullptr, nullptr, buffer, sizeof buffer));
    EXPECT_STREQ("20261204140509", buffer);
    // A cut never splits a double-byte character.
    EXPECT_EQ(2, Tool_MakeAutoFileName("\x95\x5C\x83\x5C", nullptr, buffer, 4));
    EXPECT_STREQ("\x95\x5C", buffer);
}

// Each check that fails sets its bit in the exit code.
class Checks {
public:
    void operator()(int bit, bool holds) {
        if (!holds) {
            m_failed |= 1 << bit;
            std::fprintf(stderr, "check %d failed\n", bit);
        }
    }
    int result() const { return m_failed; }

private:
    int m_failed = 0;
};

bool FolderIsEmpty(const std::string& folder) {
    WIN32_FIND_DATAA found;
    ovs::unique_find find(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!find) {
        return true;
    }
    do {
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0) {
            return false;
        }
    } while (FindNextFileA(find.get(), &found));
    return true;
}

void SetWorkPath(const std::string& folder) {
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Path", "Work Path",
                             folder.c_str());
}

// args: base folder.
const ChildMode kTempNames("temp-names", [](const std::vector<std::string>& args) {
    Checks check;
    SetWorkPath(args.at(0));
    Tool_SwitchToProcessTempPath();
    CString folder;
    Tool_GetProcessTempPathString(folder);
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "-%lu.lcd", GetCurrentProcessId());

    char name[MAX_PATH];
    check(0, Tool_GenerateTempFileName("tmp", "lcd", name, sizeof name) != FALSE);
    const std::string first = name;
    check(1, first.rfind(std::string(folder) + "\\tmp", 0) == 0);
    check(2, first.size() > std::strlen(suffix) &&
                 first.compare(first.size() - std::strlen(suffix), std::string::npos, suffix) == 0);
    check(3, !FileExists(first));
    check(4, FolderIsEmpty(folder.GetString())); // the placeholder is gone

    // The platform takes three characters of the prefix.
    check(5, Tool_GenerateTempFileName("tmpxyz", nullptr, name, sizeof name) != FALSE);
    const std::string second = name;
    check(6, second.find("\\tmp") != std::string::npos && second.find("xyz") == std::string::npos);
    check(7, second.find('.', second.rfind('\\')) == std::string::npos); // no extension
    check(8, second != first);

    check(9, Tool_GenerateTempFileName("tmp", ".lcm", name, sizeof name) != FALSE);
    check(10, std::string(name).find(".lcm") == std::strlen(name) - 4 &&
                  std::string(name).find("..") == std::string::npos);

    // A buffer too small for the name: FALSE and nothing written past it.
    char small[12];
    std::memset(small, '#', sizeof small);
    check(11, Tool_GenerateTempFileName("tmp", "lcd", small + 1, 10) == FALSE);
    check(12, small[0] == '#' && small[11] == '#');
    check(13, FolderIsEmpty(folder.GetString()));
    check(14, Tool_GenerateTempFileName("tmp", "lcd", nullptr, 10) == FALSE);
    Tool_DeleteProcessTempPath();
    return check.result();
});

// The number of the placeholder in a name "<folder>\tmp<hex>-<pid>...".
unsigned PlaceholderNumber(const std::string& name) {
    const size_t start = name.rfind("\\tmp");
    return start == std::string::npos
               ? 0
               : static_cast<unsigned>(std::strtoul(name.c_str() + start + 4, nullptr, 16));
}

// args: base folder, retry limit to store ("-" for none), retries expected. Every candidate is
// taken: its extension "x\.." names the folder it is in.
const ChildMode kTakenNames("temp-names-taken", [](const std::vector<std::string>& args) {
    Checks check;
    ovs::test::PathsReportFile();
    SetWorkPath(args.at(0));
    if (args.at(1) != "-") {
        Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "File", "GenTmpNameMaxCount",
                              std::atoi(args.at(1).c_str()));
    }
    const int expected = std::atoi(args.at(2).c_str());
    Tool_SwitchToProcessTempPath();
    CString folder;
    Tool_GetProcessTempPathString(folder);
    char name[MAX_PATH];
    check(0, Tool_GenerateTempFileName("tmp", "x\\..", name, sizeof name) == FALSE);
    std::vector<unsigned> numbers;
    for (const std::string& line :
         ovs::test::SplitLines(ovs::test::ReadFileText(ovs::test::PathsReportFile()))) {
        if (line.find("File Already exists [") != std::string::npos) {
            numbers.push_back(PlaceholderNumber(line));
        }
    }
    check(1, static_cast<int>(numbers.size()) == expected);
    // Each retry moves on to another placeholder number.
    for (size_t i = 1; i < numbers.size(); ++i) {
        check(2, numbers[i] != numbers[i - 1] && numbers[i] != 0);
    }
    check(3, ovs::test::ReportCount("The retry exceeded the upper bound.") == 1);
    check(4, FolderIsEmpty(folder.GetString()));
    Tool_DeleteProcessTempPath();
    return check.result();
});

class TempNames : public RegistryTest {};

TEST_F(TempNames, FreeNameInTheProcessFolder) {
    TempFolder base;
    const ovs::test::ChildResult result = RunChild("temp-names", {base.path()});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode);
}

TEST_F(TempNames, TakenNamesMoveOnUntilTheRetryLimit) {
    TempFolder base;
    for (const auto& [limit, retries] :
         std::vector<std::pair<std::string, std::string>>{{"-", "10"}, {"3", "3"}, {"1", "1"}}) {
        const ovs::test::ChildResult result = RunChild("temp-names-taken", {base.path(), limit, retries});
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(0u, result.exitCode) << "limit " << limit;
    }
}

} // namespace
