// Names that do not collide and the temporary folder of a process. Every process starts with an empty
// folder slot and reads its name settings once, so those cases run in child processes of their own.
#include "OVSTools2.h"
#include "cp932_child.h"
#include "file_helpers.h"
#include "guarded_buffer.h"
#include "paths_report.h"
#include "../ovstoolfunctions/local_clock.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace ovs::test;

namespace {

// Only the last nine digits count; a wider number keeps its digits.
TEST(UniqueNames, NumberFieldsAndNumberedNames) {
    // text, increment, digits, fixed width, result
    const std::tuple<const char*, int, int, int, const char*> fields[] = {
        {"", 1, 4, 0, "0001"},     {"R7", 0, 3, 1, "R007"},   {"A5000000000", 1, 3, 0, "A5000000001"},
        {"R99", 1, 3, 0, "R100"},  {"R008", 1, 3, 0, "R009"}, {"R0100", 1, 2, 1, "R101"},
        {"R1a", 1, 2, 0, "R1a01"}, {"R", 1, -5, 0, "R1"}};
    for (const auto& [input, increment, digits, fixedWidth, expected] : fields) {
        CString text(input);
        Tool_IncreaseStringNumber(text, increment, digits, fixedWidth);
        EXPECT_STREQ(expected, text) << input;
    }
    // Folder and extension stay; results that would reach 260 bytes are refused.
    const std::string tooLong = "C:\\" + std::string(257, 'r') + "1",
                      full = "C:\\" + std::string(254, 'r') + "99";
    const std::pair<std::string, std::string> increased[] = {
        {"C:\\Data\\Run008.lcd", "C:\\Data\\Run009.lcd"},
        {"C:\\Data\\", "C:\\Data\\001"},
        {"[OldVer=1]\\C#\\Run01.lcd", "[OldVer=1]\\C#\\Run02.lcd"},
        {tooLong, tooLong},
        {full, full}};
    for (const auto& [path, result] : increased) {
        CString text(path.c_str());
        Tool_IncreaseFilenameNumber(text, TRUE, 3, FALSE);
        EXPECT_EQ(result, text.GetString()) << path;
    }
    const std::string longName = "C:\\" + std::string(257, 'o') + ".lcd";
    const std::tuple<std::string, const char*, short, std::string> numbered[] = {
        {"C:\\Data\\old.lcd", "Run", 3, "C:\\Data\\Run_3.lcd"},
        {"C:\\old.a.b", "x", -1, "C:\\x_-1.b"},
        {"old", nullptr, 0, "_0"},
        {longName, "Run", 1, longName}};
    for (const auto& [input, base, number, expected] : numbered) {
        CString path(input.c_str());
        Tool_FileNameInc(path, base, number);
        EXPECT_EQ(expected, path.GetString()) << input;
    }
}

// 4 December 2026, 14:05:09, with the user's short date format set to dd/MM/yyyy for the test and
// put back afterwards: names carry the date in that format and the 24-hour time, without "/" or ":".
constexpr SYSTEMTIME kFixedTime = {2026, 12, 5, 4, 14, 5, 9, 0};

TEST(AutoNames, InTheUserDateFormatCutToTheBuffer) {
    OvsTestSetLocalClock(&kFixedTime);
    char format[80] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, format, sizeof format);
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, "dd/MM/yyyy");
    const std::tuple<const char*, const char*, DWORD, std::string> cases[] = {
        {"Run", "lcd", MAX_PATH, "Run_04122026140509.lcd"},
        {nullptr, nullptr, MAX_PATH, "04122026140509"},
        {"", "", MAX_PATH, "04122026140509."},
        {nullptr, nullptr, 5, "0412"},
        {"Run", "lcd", 1, ""}};
    for (const auto& [prefix, extension, room, name] : cases) {
        GuardedBuffer buffer(room);
        EXPECT_EQ(static_cast<int>(name.size()),
                  Tool_MakeAutoFileName(prefix, extension, buffer.data(), room));
        EXPECT_TRUE(name == buffer.text() && buffer.intact()) << name;
    }
    EXPECT_EQ(0, Tool_MakeAutoFileName("Run", "lcd", nullptr, 10));
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, format);
    OvsTestSetLocalClock(nullptr);
}

TEST(DbcsAutoNames, CutNeverSplitsADoubleByteCharacter) {
    OVS_REQUIRE_CODE_PAGE_932();
    char buffer[MAX_PATH];
    EXPECT_EQ(2, Tool_MakeAutoFileName("\x95\x5C\x83\x5C", nullptr, buffer, 4));
    EXPECT_STREQ("\x95\x5C", buffer);
}

// The temporary folder and scratch names, in child processes

std::string ProcessTempPath() {
    CString folder;
    Tool_GetProcessTempPathString(folder);
    return folder.GetString();
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string PlatformTempPath() {
    char folder[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    return std::string(folder, length < MAX_PATH ? length : 0);
}

void Store(const std::string& folder) {
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Path", "Work Path",
                             folder.c_str());
}

// Scratch names in the process folder, which is empty, with the retry limit given.
void CheckTempNames(ChildChecks& check, const std::string& folder, int retryLimit) {
    char name[MAX_PATH];
    check(20, Tool_GenerateTempFileName("tmp", "lcd", name, sizeof name) != FALSE);
    const std::string first = name, suffix = "-" + std::to_string(GetCurrentProcessId()) + ".lcd";
    check(21, first.rfind(folder + "\\tmp", 0) == 0 && first.rfind(suffix) == first.size() - suffix.size());
    check(22, !FileExists(first) && FolderEntries(folder).empty()); // the placeholder is gone
    // No extension, or one given with its period.
    check(23, Tool_GenerateTempFileName("tmp", nullptr, name, sizeof name) &&
                  std::strchr(std::strrchr(name, '\\'), '.') == nullptr && first != name);
    check(26, Tool_GenerateTempFileName("tmp", ".lcm", name, sizeof name) &&
                  std::string(name).find(".lcm") == std::strlen(name) - 4 && !std::strstr(name, ".."));
    // A buffer too small for the name: FALSE and nothing written past it.
    GuardedBuffer small(10);
    check(28, Tool_GenerateTempFileName("tmp", "lcd", small.data(), small.size()) == FALSE && small.intact());
    check(29, FolderEntries(folder).empty() && Tool_GenerateTempFileName("tmp", "lcd", nullptr, 10) == FALSE);
    // Every candidate taken (its extension "x\.." names the folder it is in): retries up to the limit.
    check(17, !Tool_GenerateTempFileName("tmp", "x\\..", name, sizeof name) && FolderEntries(folder).empty());
    check(18, ReportCount("File Already exists [") == retryLimit &&
                  ReportCount("The retry exceeded the upper bound.") == 1);
}

// args: base folder ("" for none in the registry, and no retry limit; else a limit of 3), and the
// folder of a parent process that must stay as it is. Without the second, runs a second process of
// this mode while its own folder holds files.
const ChildMode kSwitch("temp-switch", [](const std::vector<std::string>& args) {
    ChildChecks check;
    PathsReportFile();
    const std::string base = args.at(0);
    Store(base);
    if (!base.empty()) {
        Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "File", "GenTmpNameMaxCount",
                              3);
    }
    // Before the switch the base folder serves.
    const std::string expected = base.empty() ? PlatformTempPath() : base;
    char buffer[MAX_PATH];
    CString text;
    check(0, ProcessTempPath() == expected && Tool_GetProcessTempPathString(text) == 1);
    check(1, Tool_GetProcessTempPath(buffer, sizeof buffer) == static_cast<int>(expected.size()) &&
                 expected == buffer);

    Tool_SwitchToProcessTempPath();
    const std::string folder = ProcessTempPath();
    char name[32];
    std::snprintf(name, sizeof name, "Cache_%X_", static_cast<unsigned>(GetCurrentProcessId()));
    const std::string prefix = (expected.back() == '\\' ? expected : expected + "\\") + name;
    check(3, folder.rfind(prefix, 0) == 0 && folder.size() > prefix.size() &&
                 folder.find('\\', prefix.size()) == std::string::npos);
    check(4, IsFolder(folder) && Variable("TMP") == folder && Variable("TEMP") == folder &&
                 PlatformTempPath() == folder + "\\");
    Tool_SwitchToProcessTempPath();
    check(6, ProcessTempPath() == folder); // a second switch keeps the folder
    // The buffer form: exactly the room for text and terminator, and one byte less.
    GuardedBuffer exact(folder.size() + 1), tooShort(folder.size());
    check(7, Tool_GetProcessTempPath(exact.data(), exact.size()) == static_cast<int>(folder.size()));
    check(8, folder == exact.text() && exact.intact());
    check(9, Tool_GetProcessTempPath(tooShort.data(), tooShort.size()) == 0 && tooShort.intact());
    check(10, tooShort.text().empty() && Tool_GetProcessTempPath(nullptr, 10) == 0);
    CheckTempNames(check, folder, base.empty() ? 10 : 3);

    MakeFile(folder + "\\scratch.tmp");
    CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
    MakeFile(folder + "\\sub\\inner.tmp", true);
    const bool nested = args.size() > 1;
    if (nested) {
        check(11, args[1] != folder && FileExists(args[1] + "\\scratch.tmp"));
    } else if (!base.empty()) {
        const ChildResult other = RunChild("temp-switch", {base, folder});
        check(12, other.finished && other.exitCode == 0);
    }
    check(13, FileExists(folder + "\\scratch.tmp")); // the other process's end left it
    Tool_DeleteProcessTempPath();
    check(14, !FileExists(folder) && IsFolder(expected) && ProcessTempPath() == folder); // the slot keeps it
    check(16, !nested || FileExists(args[1] + "\\scratch.tmp"));
    return check.result();
});

// args: a base folder so long that the process folder would reach 260 bytes.
const ChildMode kLongBase("temp-long-base", [](const std::vector<std::string>& args) {
    ChildChecks check;
    PathsReportFile();
    const std::string base = args.at(0);
    Store(base);
    Tool_SwitchToProcessTempPath();
    check(0, ProcessTempPath() == base && Variable("TMP") == base);
    check(1, ReportContains("Invalid process work path : " + base + "\\Cache_"));
    MakeFile(base + "\\s.t");
    Tool_DeleteProcessTempPath();
    check(2, FileExists(base + "\\s.t"));
    return check.result();
});

void ExpectChild(const std::string& mode, const std::vector<std::string>& args) {
    const ChildResult result = RunChild(mode, args);
    EXPECT_TRUE(result.finished && result.exitCode == 0)
        << mode << " " << args.at(0) << ": " << result.exitCode;
}

using TempFolders = RegistryTest;

TEST_F(TempFolders, SwitchCreatesAndDeleteRemovesTheFolderOfEachProcessAndNamesRetryToTheLimit) {
    TempFolder folder;
    ExpectChild("temp-switch", {folder.path()});
    ExpectChild("temp-switch", {""}); // the platform's folder ends with "\"
}

TEST_F(TempFolders, LongBaseFolderIsSharedAndNeverRemoved) {
    TempFolder folder;
    std::string base = folder / std::string(120, 'w');
    CreateDirectoryA(base.c_str(), nullptr);
    base += "\\" + std::string(250 - base.size() - 1, 'v'); // + "\Cache_<pid>_<ticks>" passes 259
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    ExpectChild("temp-long-base", {base});
}

} // namespace
