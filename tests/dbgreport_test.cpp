// The debug report. A process opens its report once and keeps it open until it ends, so every case that
// opens the report runs a script of commands in a child process of its own ("report" mode).
#include "test_support.h"
#include "OVSTools2.h"
#include "../standins/dbgreportsetup/dbgreport_setup.h"

#include <comdef.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <tuple>

using namespace ovs::test;

namespace {

using Texts = std::vector<std::string>;

// '#' stands for a digit, every other character for itself.
bool MatchesShape(const std::string& text, const char* shape) {
    return text.size() == std::strlen(shape) &&
           std::equal(text.begin(), text.end(), shape,
                      [](char c, char s) { return s == '#' ? c >= '0' && c <= '9' : c == s; });
}

// Lines "time\t[pid:tid]\ttail", a levelled tail being "[TAG]\tsource(line)\tmessage"; the writer's banners
// read as "<Start>", "<Reconfigure>" and "<End>", a line of another shape as "unparsed: " and the line.
struct Report {
    std::string text;
    Texts times;
    Texts tails;
    Texts messages;
};

Report ParseReport(const std::string& content) {
    Report report{content, {}, {}, {}};
    for (const std::string& text : SplitLines(content)) {
        const size_t tab = text.find('\t', 24);
        const std::string ids = tab == std::string::npos ? std::string() : text.substr(24, tab - 24);
        unsigned long pid = 0;
        unsigned long tid = 0;
        const bool parsed = tab != std::string::npos &&
                            MatchesShape(text.substr(0, 24), "####/##/## ##:##:##.###\t") &&
                            std::sscanf(ids.c_str(), "[%lu:%lu]", &pid, &tid) == 2 &&
                            ids == "[" + std::to_string(pid) + ":" + std::to_string(tid) + "]";
        std::string tail = parsed ? text.substr(tab + 1) : "unparsed: " + text;
        for (const char* kind : {"Start", "Reconfigure", "End"}) {
            if (tail == "========================= Session [" + std::to_string(pid) + "] " + kind +
                            " ==============================") {
                tail = std::string("<") + kind + ">";
            }
        }
        report.times.push_back(parsed ? text.substr(0, 23) : "");
        report.tails.push_back(tail);
        report.messages.push_back(tail[0] == '[' ? tail.substr(tail.find('\t', 6) + 1) : tail);
    }
    return report;
}

long long Milliseconds(const SYSTEMTIME& time) {
    FILETIME asFileTime = {};
    SystemTimeToFileTime(&time, &asFileTime);
    return static_cast<long long>((ULONGLONG{asFileTime.dwHighDateTime} << 32 | asFileTime.dwLowDateTime) /
                                  10000);
}

// Messages as the runtime's _vsnprintf makes them, cut to 1023 characters. A message with one conversion
// that the report leaves to the runtime goes there as a whole, so those stand in cases of their own.
std::string Expected(const char* format, ...) {
    char text[1024] = {};
    va_list args;
    va_start(args, format);
    _vsnprintf(text, sizeof text - 1, format, args);
    va_end(args);
    return text;
}

using MessageCase = std::pair<void (*)(), std::string>;

#define MESSAGE_CASE(...)                                                                                    \
    {                                                                                                        \
        [] { Tool_DbgReport(nullptr, 1, OVS_DBG_ERR, __VA_ARGS__); }, Expected(__VA_ARGS__)                  \
    }

const std::string kLongText(1500, 'L');
const char* const kNullText = nullptr;
// "Hyou" (a double-byte character in code page 932 whose trail byte is '\') and half-width kana.
const char kDoubleByteText[] = "\x95\x5C\x8E\xA6 \xB1\xB2";

std::vector<MessageCase> MessageCases() {
    return {
        MESSAGE_CASE("%d|%d|%d|%d|%i|%u, 100%%, %%d %%%d%%", 0, -1, INT_MIN, INT_MAX, -7, UINT_MAX, 50),
        MESSAGE_CASE("[%5d][%-5d][%05d][%05d][%-05d][%0-5d][%2d]", 42, 42, 42, -42, 3, 3, 12345),
        MESSAGE_CASE("[%+d][% d][%+ d][% +d][%+u][% u][%+x][%-+6d]", 5, 5, 5, -5, 5u, 5u, 5u, 7),
        MESSAGE_CASE("[%.0d][%.0u][%.0x][%5.0d][%+.0d][% .0d][%05.0d]", 0, 0u, 0u, 0, 0, 0, 0),
        MESSAGE_CASE("[%.3d][%.3d][%08.3d][%-8.3d][%+.3d]", 7, -7, 5, 5, 5),
        MESSAGE_CASE("%x|%X|%08x|%-8x|%.4x|%x", 0xBEEFu, 0xBEEFu, 0xBEEFu, 0xBEEFu, 0xAu, UINT_MAX),
        MESSAGE_CASE("%hd|%hu|%hx|%hd|%hd", 70000, -1, 0x12345, -32768, -5),
        MESSAGE_CASE("%ld|%lu|%lx|%lld|%lld|%llu|%llx", -123456L, 4000000000UL, 0xCAFEUL, LLONG_MIN,
                     LLONG_MAX, ULLONG_MAX, 0x123456789ABCDEFULL),
        MESSAGE_CASE("%I64d|%I64u|%I64X|%I32d|%I32u", -9876543210LL, ULLONG_MAX, 0xFEDCBA9876543210ULL, -5,
                     4294967295u),
        // A 64-bit argument must not shift the ones after it.
        MESSAGE_CASE("%Id|%Iu|%Ix|%I64d %d", static_cast<intptr_t>(-1), SIZE_MAX,
                     static_cast<uintptr_t>(0x12), 1LL << 40, 9),
        MESSAGE_CASE("[%c][%3c][%-3c][%c][%03c]", 'A', 'b', 'c', 0x141, 'z'),
        MESSAGE_CASE("[%s][%10s][%-10s][%.2s][%5.1s][%.0s][%05s][%-05s][%s]", "abc", "abc", "abc", "abc",
                     "abc", "abc", "ab", "ab", kDoubleByteText),
        MESSAGE_CASE("%s", std::string(1023, 'e').c_str()),
        MESSAGE_CASE("%s!", std::string(1023, 'f').c_str()),
        MESSAGE_CASE("%1100d|%-1030s|[%.1500d]", 7, "pad", 12),
        MESSAGE_CASE(kLongText.c_str()),
        // Left to the runtime.
        MESSAGE_CASE("[%s][%10s][%.3s]", kNullText, kNullText, kNullText),
        MESSAGE_CASE("a%cb", 0),
        MESSAGE_CASE("%f|%.2f|%e|%g|%E|%G|%d|%s", 3.14159, 2.675, 12345.678, 0.0001, 1e300, 1e-300, 1,
                     "three"),
        MESSAGE_CASE("[%ls][%S][%ws][%lc][%C][%hs][%hc]", L"wide", L"also", L"w", L'w', L'W', "narrow", 'n'),
        MESSAGE_CASE("[%4097d][%.4097d]", 12, 12),
        MESSAGE_CASE("%s %f", kLongText.c_str(), 1.5),
    };
}

// The child runs a script of commands in order; a command that finds what it did not expect ends it.

enum ChildExit : int { kOk = 0, kFailed = 3, kUnknownCommand = 6 };

Texts Words(const std::string& text) {
    Texts words;
    std::istringstream in(text + ",");
    for (std::string word; std::getline(in, word, ',');) {
        words.push_back(word);
    }
    return words;
}

Texts operator+(Texts a, const Texts& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

int RunScript(const Texts& script) {
    for (size_t i = 0; i < script.size();) {
        const std::string& command = script[i++];
        auto arg = [&](size_t k) -> const std::string& { return script.at(i + k); };
        auto number = [&](size_t k) { return std::stoll(arg(k), nullptr, 0); }; // taken as int or DWORD
        auto text = [&](size_t k) { return arg(k) == "<null>" ? nullptr : arg(k).c_str(); };
        // open <expected 1|0> <instance> <mask> <high> <low> <interval> <backups> <tag> <alternate tag>
        if (command == "open") {
            const BOOL opened = Tool_InitDbgReportEx(number(1), number(2), number(3), number(4), number(5),
                                                     number(6), text(7), text(8));
            if ((opened != FALSE) != (arg(0) == "1")) {
                return kFailed;
            }
            i += 9;
        } else if (command == "reconfigure") { // <mask> <high> <low> <interval> <backups>
            Tool_ReconfigureDbgReport(number(0), number(1), number(2), number(3), number(4));
            i += 5;
        } else if (command == "line") { // <source> <line> <level> <message>
            Tool_DbgReport(text(0), number(1), number(2), "%s", arg(3).c_str());
            i += 4;
        } else if (command == "messages") {
            for (const MessageCase& c : MessageCases()) {
                c.first();
            }
            Tool_DbgReport("null.cpp", 12, OVS_DBG_ERR, nullptr);
            // Bursts with pauses, some longer than the clock's resynchronisation and over a second in all;
            // each line's message is the local time in milliseconds read just before writing it.
            for (DWORD pause : {0, 1, 3, 12, 0, 25, 7, 300, 40, 0, 300, 2, 300}) {
                Sleep(pause);
                for (int n = 0; n < 50; ++n) {
                    SYSTEMTIME now;
                    GetLocalTime(&now);
                    Tool_DbgReport("clock.cpp", n, OVS_DBG_ERR, "%lld", Milliseconds(now));
                }
            }
        } else if (command == "threads") {
            // Thread k writes INF lines "T<k> 1" ... "T<k> 1000" while this one reconfigures the report.
            std::vector<std::jthread> workers; // joined at the end of the command
            for (int k = 1; k <= 4; ++k) {
                workers.emplace_back([k] {
                    for (int n = 1; n <= 1000; ++n) {
                        Tool_DbgReport("thread.cpp", n, OVS_DBG_INF, "T%d %d", k, n);
                    }
                });
            }
            for (int n = 0; n < 50; ++n) {
                Tool_ReconfigureDbgReport(0x0F, 0, 500, 0, 3);
                Sleep(1);
            }
        } else if (command == "mkdir") {
            CreateDirectoryA(arg(0).c_str(), nullptr);
            i += 1;
        } else if (command == "component") {
            Tool_InitDbgReport(0, 0);
        } else if (command == "spawn") {
            // The rest runs in a further process, while this one keeps its report open.
            const ChildResult child =
                RunChild("report", Texts(script.begin() + static_cast<long>(i), script.end()));
            return child.finished ? static_cast<int>(child.exitCode) : -1;
        } else {
            return kUnknownCommand;
        }
    }
    return kOk;
}

ChildMode g_reportMode("report", RunScript);

// "open" with limits "<high word>,<low word>,<interval>,<backups>,<tag>".
Texts Open(const std::string& limits = "0,0xFFFFFFFF,1000,3,B", const std::string& mask = "0x1F",
           int instance = 1) {
    return Words("open,1," + std::to_string(instance) + "," + mask + "," + limits + ",A");
}

// Silences the report before the child ends, so that its end lines change nothing.
const Texts kSilence = Words("reconfigure,0,0,0xFFFFFFFF,1000,3");

class DbgReportTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        m_folder.emplace();
    }

    // Of an instance below 10.
    std::string report(const std::string& suffix = "", int instance = 1) const {
        return m_folder->reportFile("00" + std::to_string(instance), suffix);
    }
    Report Read(const std::string& suffix = "", int instance = 1) const {
        return ParseReport(ReadFileText(report(suffix, instance)));
    }

    static void Run(const Texts& script, const std::map<std::string, std::string>& environment = {}) {
        const ChildResult child = RunChild("report", script, environment);
        ASSERT_TRUE(child.finished && child.exitCode == kOk) << child.exitCode;
    }

    std::optional<ReportFolder> m_folder;
};

// The report stays closed while its folder is missing, until the set-up component opens it with its values
// in place of those reconfigured before (limit 0). A line longer than its buffer gives way to a fixed text
// without a line end; a second open (instance 2, mask 0x01, limit 0) changes nothing.
TEST_F(DbgReportTest, LinesOfEachLevelUnderEachMaskByteForByte) {
    static const std::pair<const char*, DWORD> kLevels[] = {
        {"", 0}, {"[ERR]", 0x01}, {"[WRN]", 0x02}, {"[INF]", 0x08}, {"[DBG]", 0x10}, {"[TMG]", 0x04}};
    RemoveDirectoryA(m_folder->debugFolder().c_str());
    const ovs::unique_hmodule component(
        LoadLibraryA((ExecutableFolder() + "\\OVSDbgReportSetup.dll").c_str()));
    ASSERT_EQ(S_OK, CallServerFunction(component.get(), "DllRegisterServer"));
    Texts script =
        Words("reconfigure,0x1F,0,0,0,3,open,0,1,0x1F,0,0xFFFFFFFF,1000,3,B,A,line,a.cpp,1,1,dropped") +
        Texts{"mkdir", m_folder->debugFolder()} + Words("line,a.cpp,1,1,dropped too,component");
    Texts expected = {"<Start>"};
    DWORD mask = 0;
    // The banner level is written whenever the mask is not 0; mask 0 silences the banners too.
    auto line = [&](const std::string& source, int number, const char* field, int level,
                    const std::string& text) {
        script = script + Texts{"line", source, std::to_string(number), std::to_string(level), text};
        if (level == 0 ? mask != 0 : level > 0 && level < 6 && (mask & kLevels[level].second) != 0) {
            const std::string shown = source == "<null>" ? "" : source;
            expected.push_back(
                level == 0 ? text : kLevels[level].first + ("\t" + shown) + "(" + field + ")\t" + text);
        }
    };
    // Source line numbers of every width, spread over the masks and levels, with a source and without.
    const std::pair<int, const char*> numbers[] = {
        {123, "  123"},     {0, "    0"},       {-5, "   -5"},          {12345, "12345"},
        {123456, "123456"}, {-12345, "-12345"}, {INT_MAX, "2147483647"}};
    const DWORD masks[] = {0x0u, 0x01u, 0x02u, 0x04u, 0x08u, 0x10u, 0x20u, 0x1Fu, 0xFFFFFFFFu};
    for (int m = 0; m < 9; ++m) {
        script = script + Words("reconfigure," + std::to_string(masks[m]) + ",0,0xFFFFFFFF,1000,3");
        mask = masks[m];
        if (mask != 0) {
            expected.push_back("<Reconfigure>");
        }
        for (int level = -1; level <= 6; ++level) {
            const auto& [number, field] = numbers[(m + level + 1) % 7];
            line((m + level) % 2 != 0 ? "lv.cpp" : "<null>", number, field, level,
                 std::to_string(mask) + " level " + std::to_string(level));
        }
    }
    line(std::string(1900, 's'), 1, "    1", 1, "fits");
    Run(script + Texts{"line", std::string(2100, 's'), "2", "1", "too long"} +
        Words("open,0,2,0x01,0,0,0,3,C,D,line,a.cpp,2,3,after the second open") + kSilence);
    EXPECT_FALSE(FileExists(report("", 2)) || FileExists(report("_B001")) || FileExists(report("_C001")));
    const std::string text = ReadFileText(report());
    const size_t cut = text.find("!!!!!Message is too long!!!!!");
    ASSERT_NE(std::string::npos, cut);
    const Report file = ParseReport(text.substr(0, cut));
    EXPECT_EQ(expected, file.tails);
    EXPECT_EQ("\r\n", file.text.substr(file.text.size() - 2));
    EXPECT_TRUE(MatchesShape(text.substr(cut + 29, 5), "####/")); // the next line's time, at once
    EXPECT_EQ((Texts{"after the second open"}), ParseReport(text.substr(cut + 29)).messages);
}

// In the code pages 1252 and 932 (where the text cases' bytes are Japanese characters that pass
// through unchanged) and in zones with daylight saving time and with a half-hour offset.
TEST_F(DbgReportTest, MessagesAsTheRuntimeFormatsThemStampedWithTheLocalTime) {
    Texts expected = {"<Start>"};
    for (const MessageCase& c : MessageCases()) {
        expected.push_back("[ERR]\t(    1)\t" + c.second);
    }
    expected.push_back("[ERR]\tnull.cpp(   12)\t");
    const std::map<std::string, std::string> environments[] = {
        {{"LC_ALL", "C.UTF-8"}, {"TZ", "UTC"}},
        {{"LC_ALL", "ja_JP.UTF-8"}, {"TZ", "America/New_York"}},
        {{"TZ", "Asia/Kolkata"}}};
    for (const auto& environment : environments) {
        SCOPED_TRACE(environment.rbegin()->second);
        DeleteFileA(report().c_str());
        Run(Open() + Texts{"messages"} + kSilence, environment);
        const Report file = Read();
        ASSERT_EQ(expected.size() + 650, file.tails.size());
        EXPECT_EQ(expected, Texts(file.tails.begin(), file.tails.begin() + expected.size()));
        // Each stamp lies between the local times read before its line and before the next one; the
        // system's own local time may lag the precise clock by up to one of its ticks.
        for (size_t i = expected.size(); i + 1 < file.times.size(); ++i) {
            SYSTEMTIME time = {};
            std::sscanf(file.times[i].c_str(), "%hu/%hu/%hu %hu:%hu:%hu.%hu", &time.wYear, &time.wMonth,
                        &time.wDay, &time.wHour, &time.wMinute, &time.wSecond, &time.wMilliseconds);
            EXPECT_LE(std::stoll(file.messages[i]), Milliseconds(time)) << file.times[i];
            EXPECT_LE(Milliseconds(time), std::stoll(file.messages[i + 1]) + 16) << file.times[i];
        }
    }
}

// The file each instance's report goes to, also while earlier processes hold theirs open; each ends with its
// end banner. A report already there of the limit's size is appended to, the limit's high word counting; a
// larger one starts anew, its backup numbered or, with a backup count of 0, named by the rotation's time.
TEST_F(DbgReportTest, FileNameOfEachInstanceAndOfFurtherProcessesAndRotationAtOpening) {
    const std::string old = "2026/01/02 03:04:05.678\t[1:2]\t[ERR]\told.cpp(    1)\told\r\n";
    // The instance, its text in the name, the limits (high word, low word, interval, backups, tag, alternate
    // tag), the suffixes of the files that processes 1, 2, ... write to, and that of the old report's backup.
    const std::tuple<const char*, const char*, std::string, Texts, const char*> cases[] = {
        {"7", "007", "0," + std::to_string(old.size()) + ",9,3,B,Alt", {"", "_Alt001", "_Alt002"}, ""},
        {"1234", "1234", "1,0,9,3,B,", {"", "_001"}, ""},
        {"0", "unknown", "0,1,9,0,B,A", {""}, "_????_??????"},
        {"-3", "unknown", "0,0,9,3,B,A", {""}, "_B001"}};
    for (const auto& [instance, text, limits, suffixes, backup] : cases) {
        SCOPED_TRACE(instance);
        std::ofstream(m_folder->reportFile(text, ""), std::ios::binary) << old;
        Texts script;
        for (size_t p = 0; p < suffixes.size(); ++p) {
            script = script + (p > 0 ? Texts{"spawn"} : Texts{}) +
                     Words(std::string("open,1,") + instance + ",0x0F," + limits) +
                     Texts{"line", "a.cpp", "1", "1", "process " + std::to_string(p)};
        }
        Run(script);
        for (size_t p = 0; p < suffixes.size(); ++p) {
            EXPECT_EQ(((p == 0 && *backup == '\0' ? Texts{"old"} : Texts{}) +
                       Texts{"<Start>", "process " + std::to_string(p), "<End>"}),
                      ParseReport(ReadFileText(m_folder->reportFile(text, suffixes[p]))).messages)
                << suffixes[p];
        }
        if (*backup != '\0') {
            WIN32_FIND_DATAA found;
            const ovs::unique_find first(FindFirstFileA(m_folder->reportFile(text, backup).c_str(), &found));
            ASSERT_TRUE(first);
            EXPECT_EQ(old, ReadFileText(m_folder->debugFolder() + "\\" + found.cFileName));
        }
    }
}

// Checked after every line: the report rotates once it exceeds 500 bytes, while four threads write.
TEST_F(DbgReportTest, NumberedBackupsShiftAndTheOldestIsLostWhileThreadsWriteWholeLines) {
    Run(Open("0,500,0,3,B", "0x0F") + Texts{"threads"} + kSilence);
    EXPECT_FALSE(FileExists(report("_B004")));
    int next[5] = {}; // per thread, the number its next line must have; 0 before its first kept line
    std::string lastTime;
    size_t bad = 0;
    for (const char* suffix : {"_B003", "_B002", "_B001", ""}) {
        SCOPED_TRACE(suffix);
        const Report file = Read(suffix);
        if (*suffix == '\0' && file.text.empty()) {
            continue; // the last line crossed the limit: the new report is empty until the next one
        }
        ASSERT_EQ("\r\n", file.text.substr(file.text.size() - 2));
        EXPECT_TRUE(*suffix == '\0' ? file.text.size() <= 500 : file.text.size() > 500);
        for (size_t i = 0; i < file.tails.size(); ++i) {
            EXPECT_LE(lastTime, file.times[i]) << "time stamps follow the order of the files";
            lastTime = file.times[i];
            int thread = 0;
            int n = 0;
            char expected[64] = "";
            if (std::sscanf(file.tails[i].c_str(), "[INF]\tthread.cpp(%*d)\tT%d %d", &thread, &n) == 2 &&
                thread >= 1 && thread <= 4 && (next[thread] == 0 || n == next[thread])) {
                next[thread] = n + 1;
                std::snprintf(expected, sizeof expected, "[INF]\tthread.cpp(%5d)\tT%d %d", n, thread, n);
            }
            bad += file.tails[i][0] != '<' && file.tails[i] != expected ? 1 : 0;
        }
    }
    EXPECT_EQ(0u, bad) << "whole lines, those of each thread in order and without a gap";
    EXPECT_EQ(1001, *std::max_element(next, next + 5)) << "the last line written is kept";
}

TEST_F(DbgReportTest, SizeIsCheckedAfterEveryIntervalPlusOneWrittenLines) {
    // Limit 0: every check rotates; lines of a level the mask drops do not count. With interval 1000, 800
    // lines are left in the countdown after the Start banner and 199 lines; reconfigured to interval 5,
    // the countdown is shortened at once, so every sixth line from the reconfiguration's banner on rotates.
    Texts script = Open("0,0,1000,10,R", "0x0F");
    Texts written = {"<Start>"};
    for (int n = 1; n <= 220; ++n) {
        written.push_back(n == 200 ? "<Reconfigure>" : (n < 200 ? "n " : "r ") + std::to_string(n));
        script = script + (n == 200 ? Words("reconfigure,0x0F,0,0,5,10")
                                    : Texts{"line", "a.cpp", "1", "3", written.back(), "line", "a.cpp", "1",
                                            "4", "filtered"});
    }
    Run(script + kSilence);
    const std::pair<const char*, long> files[] = {
        {"_R004", 0}, {"_R003", 206}, {"_R002", 6}, {"_R001", 6}, {"", 3}};
    auto begin = written.begin();
    for (const auto& [suffix, count] : files) {
        EXPECT_EQ(Texts(begin, begin + count), Read(suffix).messages) << suffix;
        begin += count;
    }
}

// In this process, whose report stays closed: the reset tree has no "Log Path". The component library is
// left as the call found it: an uninitialised thread still is, an initialised one needs exactly one end.
class DbgReportComponent : public RegistryTest {};

TEST_F(DbgReportComponent, IsCreatedRunAskedAndCalledOrRaisesAndIsReleasedOnEveryRoad) {
    const ovs::unique_hmodule module(LoadLibraryA((ExecutableFolder() + "\\OVSDbgReportSetup.dll").c_str()));
    const auto counters = reinterpret_cast<DbgReportSetupCountersFn>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), "DbgReportSetupCounters")));
    ASSERT_NE(nullptr, counters);
    constexpr int kNone = -1; // the calling thread's apartment: none, or the kind it entered
    const auto init = Tool_InitDbgReport;
    // The component's behaviour ("unregistered": there is none), the call, the apartment, what it raises,
    // the objects made and run, the operations called.
    const std::tuple<const char*, void (*)(DWORD, DWORD), int, HRESULT, LONG, LONG> cases[] = {
        {"", init, kNone, S_OK, 1, 1},
        {"", Tool_InitDbgReportWithoutCoInitialize, COINIT_APARTMENTTHREADED, S_OK, 1, 1},
        {"", Tool_InitDbgReportWithoutCoInitialize, kNone, CO_E_NOTINITIALIZED, 0, 0},
        {"", init, COINIT_MULTITHREADED, S_OK, 0, 0}, // the single-threaded start fails: nothing is done
        {"unregistered", init, kNone, REGDB_E_CLASSNOTREG, 0, 0},
        {"run=80004004", init, kNone, E_ABORT, 1, 0},
        {"query=80004002", Tool_InitDbgReportWithoutCoInitialize, COINIT_APARTMENTTHREADED, S_OK, 1, 0},
        {"query=8000FFFF", init, kNone, E_UNEXPECTED, 1, 0},
        {"querynull", Tool_InitDbgReportWithoutCoInitialize, COINIT_APARTMENTTHREADED, S_OK, 1, 0},
    };
    for (const auto& [behaviour, call, apartment, raised, created, operations] : cases) {
        SCOPED_TRACE(std::string(behaviour) + (call == init ? " init " : " without ") +
                     std::to_string(apartment));
        const bool registered = std::strcmp(behaviour, "unregistered") != 0;
        ASSERT_EQ(S_OK,
                  CallServerFunction(module.get(), registered ? "DllRegisterServer" : "DllUnregisterServer"));
        SetEnvironmentVariableA("OVS_DBGREPORTSETUP_FAIL", registered ? behaviour : nullptr);
        DbgReportSetupCounts before = {};
        DbgReportSetupCounts after = {};
        HRESULT error = S_OK;
        HRESULT again = E_FAIL;
        counters(&before);
        std::thread([&, call = call, apartment = apartment] {
            const bool entered = apartment != kNone && SUCCEEDED(CoInitializeEx(nullptr, apartment));
            try {
                call(0, 0);
            } catch (const _com_error& caught) {
                error = caught.Error();
            }
            again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            for (int ends = SUCCEEDED(again) + entered; ends > 0; --ends) {
                CoUninitialize();
            }
        }).join();
        counters(&after);
        EXPECT_EQ(raised, error);
        EXPECT_EQ(apartment == kNone                      ? S_OK
                  : apartment == COINIT_APARTMENTTHREADED ? S_FALSE
                                                          : RPC_E_CHANGED_MODE,
                  again);
        EXPECT_EQ((std::vector<LONG>{created, created, operations, 0}),
                  (std::vector<LONG>{after.created - before.created, after.runs - before.runs,
                                     after.operations - before.operations, after.liveObjects}))
            << "made, run, called, and every reference released";
    }
    SetEnvironmentVariableA("OVS_DBGREPORTSETUP_FAIL", nullptr);
    CallServerFunction(module.get(), "DllRegisterServer");
}

} // namespace
