// The debug report: line formats, levels and the mask, messages as the runtime formats them, time
// stamps, file names, rotation, the countdown, several threads and processes, and the opens through
// the set-up component.
//
// A process opens its report once and keeps it open until it ends, so every case that opens the
// report runs in a child process of its own, driven by a script of commands ("report" mode); this
// process only prepares folders and the registry and reads the files afterwards.
#include "test_support.h"
#include "OVSTools2.h"
#include "unique_resource.h"
#include "../standins/dbgreportsetup/dbgreport_setup.h"

#include <comdef.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

using namespace ovs::test;

namespace {

// '#' stands for a digit, every other character for itself.
bool MatchesShape(const std::string& text, const char* shape) {
    return text.size() == std::strlen(shape) &&
           std::equal(text.begin(), text.end(), shape,
                      [](char c, char s) { return s == '#' ? c >= '0' && c <= '9' : c == s; });
}

// "time\t[pid:tid]\ttail": the tail of a levelled line is "[TAG]\tsource(line)\tmessage", of a
// banner its text.
struct Line {
    std::string time;
    unsigned long pid = 0;
    unsigned long tid = 0;
    std::string tail;

    // With the writing process's banners as "<Start>", "<Reconfigure>" and "<End>".
    std::string Tail() const {
        for (const char* kind : {"Start", "Reconfigure", "End"}) {
            if (tail == "========================= Session [" + std::to_string(pid) + "] " + kind +
                            " ==============================") {
                return std::string("<") + kind + ">";
            }
        }
        return tail;
    }
    std::string Message() const {
        const std::string text = Tail();
        return text.rfind("[", 0) == 0 ? text.substr(text.find('\t', 6) + 1) : text;
    }
};

struct Report {
    std::string text;
    std::vector<Line> lines;
    size_t unparsed = 0;

    // The messages that begin with the prefix (or the tails), in file order.
    std::vector<std::string> Messages(const std::string& prefix = "", bool tails = false) const {
        std::vector<std::string> messages;
        for (const Line& line : lines) {
            if (line.Message().rfind(prefix, 0) == 0) {
                messages.push_back(tails ? line.Tail() : line.Message());
            }
        }
        return messages;
    }
};

Report ParseReport(const std::string& content) {
    Report report;
    report.text = content;
    for (const std::string& text : SplitLines(content)) {
        Line line;
        const size_t tab = text.find('\t', 24);
        const std::string ids = tab == std::string::npos ? std::string() : text.substr(24, tab - 24);
        if (tab != std::string::npos && MatchesShape(text.substr(0, 24), "####/##/## ##:##:##.###\t") &&
            std::sscanf(ids.c_str(), "[%lu:%lu]", &line.pid, &line.tid) == 2 &&
            ids == "[" + std::to_string(line.pid) + ":" + std::to_string(line.tid) + "]") {
            line.time = text.substr(0, 23);
            line.tail = text.substr(tab + 1);
            report.lines.push_back(line);
        } else {
            ++report.unparsed;
        }
    }
    return report;
}

Report ReadReport(const std::string& path) {
    return ParseReport(ReadFileText(path));
}

long long Milliseconds(const SYSTEMTIME& time) {
    FILETIME asFileTime = {};
    SystemTimeToFileTime(&time, &asFileTime);
    return static_cast<long long>((ULONGLONG{asFileTime.dwHighDateTime} << 32 | asFileTime.dwLowDateTime) /
                                  10000);
}

// Messages, written by a child and checked here against what the runtime's _vsnprintf makes of them,
// cut to 1023 characters. A message with one conversion that the report leaves to the runtime goes
// there as a whole, so those stand in cases of their own.

constexpr size_t kMessageLimit = 1023;

std::string Expected(const char* format, ...) {
    char text[kMessageLimit + 1];
    va_list args;
    va_start(args, format);
    const int length = _vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0 || static_cast<size_t>(length) > kMessageLimit) {
        text[kMessageLimit] = '\0';
    }
    return text;
}

struct MessageCase {
    std::string name;
    std::function<void()> write;
    std::string expected;
};

#define MESSAGE_CASE(...)                                                                                    \
    MessageCase {                                                                                            \
#__VA_ARGS__, [] { Tool_DbgReport(nullptr, 1, OVS_DBG_ERR, __VA_ARGS__); }, Expected(__VA_ARGS__)    \
    }

const std::string kLongText(1500, 'L');
const char* const kNullText = nullptr;
// "Hyou" (a double-byte character in code page 932 whose trail byte is '\') and half-width kana.
const char kDoubleByteText[] = "\x95\x5C\x8E\xA6 \xB1\xB2";

std::vector<MessageCase> MessageCases() {
    return {
        MESSAGE_CASE(""),
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
        MESSAGE_CASE("%s", std::string(kMessageLimit, 'e').c_str()),
        MESSAGE_CASE("%s!", std::string(kMessageLimit, 'f').c_str()),
        MESSAGE_CASE("%s|%d", kLongText.c_str(), 12),
        MESSAGE_CASE("%1100d|%-1030s|[%.1500d]", 7, "pad", 12),
        MessageCase{"long format", [] { Tool_DbgReport(nullptr, 1, OVS_DBG_ERR, kLongText.c_str()); },
                    kLongText.substr(0, kMessageLimit)},
        // Left to the runtime.
        MESSAGE_CASE("[%s][%10s][%.3s]", kNullText, kNullText, kNullText),
        MESSAGE_CASE("a%cb", 0),
        MESSAGE_CASE("%f|%.2f|%e|%g|%E|%G|%d|%s", 3.14159, 2.675, 12345.678, 0.0001, 1e300, 1e-300, 1,
                     "three"),
        MESSAGE_CASE("[%#x][%#o][%o][%p][%*d][%-*d][%.*s]", 255u, 8u, 8u, reinterpret_cast<void*>(0x1234), 6,
                     42, 6, 42, 2, "abcdef"),
        MESSAGE_CASE("[%ls][%S][%ws][%lc][%C][%hs][%hc]", L"wide", L"also", L"w", L'w', L'W', "narrow", 'n'),
        MESSAGE_CASE("unknown [%y] conversion, ends with a single %"),
        MESSAGE_CASE("[%4097d][%.4097d]", 12, 12),
        MESSAGE_CASE("%s %f", kLongText.c_str(), 1.5),
    };
}

// The child runs a script of commands in order; a command that finds what it did not expect ends it
// with a code of its own.

enum ChildExit : int { kOk = 0, kFailed = 3, kUnknownCommand = 6 };

using Script = std::vector<std::string>;

// A script from its words, separated by commas.
Script Words(const std::string& text) {
    Script words(1);
    for (char c : text) {
        if (c == ',') {
            words.emplace_back();
        } else {
            words.back().push_back(c);
        }
    }
    return words;
}

Script operator+(Script a, const Script& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

int Int(const std::string& arg) {
    return static_cast<int>(std::stoll(arg, nullptr, 0));
}

const char* Text(const std::string& arg) {
    return arg == "<null>" ? nullptr : arg.c_str();
}

int RunScript(const Script& script) {
    for (size_t i = 0; i < script.size();) {
        const std::string& command = script[i++];
        auto arg = [&](size_t k) -> const std::string& { return script.at(i + k); };
        auto number = [&](size_t k) { return static_cast<DWORD>(std::stoll(arg(k), nullptr, 0)); };
        // open <expected 1|0> <instance> <mask> <high> <low> <interval> <backups> <tag> <alternate tag>
        if (command == "open") {
            const BOOL opened = Tool_InitDbgReportEx(Int(arg(1)), number(2), number(3), number(4), number(5),
                                                     number(6), Text(arg(7)), Text(arg(8)));
            if ((opened != FALSE) != (arg(0) == "1")) {
                return kFailed;
            }
            i += 9;
        } else if (command == "reconfigure") { // <mask> <high> <low> <interval> <backups>
            Tool_ReconfigureDbgReport(number(0), number(1), number(2), number(3), number(4));
            i += 5;
        } else if (command == "line") { // <source> <line> <level> <message>
            Tool_DbgReport(Text(arg(0)), Int(arg(1)), Int(arg(2)), "%s", arg(3).c_str());
            i += 4;
        } else if (command == "lines") { // <count> <prefix>: INF "<prefix> n", each followed by a DBG line
            for (int n = 1; n <= Int(arg(0)); ++n) {
                Tool_DbgReport("lines.cpp", n, OVS_DBG_INF, "%s %d", arg(1).c_str(), n);
                Tool_DbgReport("lines.cpp", n, OVS_DBG_DBG, "filtered %d", n);
            }
            i += 2;
        } else if (command == "messages") {
            for (const MessageCase& c : MessageCases()) {
                c.write();
            }
            Tool_DbgReport("null.cpp", 12, OVS_DBG_ERR, nullptr);
        } else if (command == "clock") {
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
            // <count> <lines> <reconfigurations>: each thread k writes INF lines "T<k> 1" ... "T<k> <lines>",
            // while this one reconfigures the report to the values it was opened with in between.
            std::vector<std::thread> workers;
            for (int k = 1; k <= Int(arg(0)); ++k) {
                workers.emplace_back([k, lines = Int(arg(1))] {
                    for (int n = 1; n <= lines; ++n) {
                        Tool_DbgReport("thread.cpp", n, OVS_DBG_INF, "T%d %d", k, n);
                    }
                });
            }
            for (int n = 0; n < Int(arg(2)); ++n) {
                Tool_ReconfigureDbgReport(0x0F, 0, 500, 0, 3);
                Sleep(1);
            }
            for (std::thread& worker : workers) {
                worker.join();
            }
            i += 3;
        } else if (command == "mkdir") {
            CreateDirectoryA(arg(0).c_str(), nullptr);
            i += 1;
        } else if (command == "component") {
            Tool_InitDbgReport(0, 0);
        } else if (command == "spawn") {
            // The rest runs in a further process, while this one keeps its report open.
            const ChildResult child =
                RunChild("report", Script(script.begin() + static_cast<long>(i), script.end()));
            return child.finished ? static_cast<int>(child.exitCode) : -1;
        } else {
            return kUnknownCommand;
        }
    }
    return kOk;
}

ChildMode g_reportMode("report", RunScript);

// "open" with limits "<high word>,<low word>,<interval>,<backups>,<tag>".
Script Open(const std::string& limits = "0,0xFFFFFFFF,1000,3,B", const std::string& mask = "0x1F",
            int instance = 1) {
    return Words("open,1," + std::to_string(instance) + "," + mask + "," + limits + ",A");
}

// Silences the report before the child ends, so that its end lines change nothing.
const Script kSilence = Words("reconfigure,0,0,0xFFFFFFFF,1000,3");

using Texts = std::vector<std::string>;

class DbgReportTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        m_folder.emplace();
    }
    void TearDown() override {
        m_folder.reset();
        RegistryTest::TearDown();
    }

    std::string report(const std::string& suffix = "", int instance = 1) const {
        char text[16];
        std::snprintf(text, sizeof text, "%03d", instance);
        return m_folder->reportFile(text, suffix);
    }

    // Runs the script in a child that must end with kOk.
    static void Run(const Script& script, const std::map<std::string, std::string>& environment = {}) {
        const ChildResult child = RunChild("report", script, environment);
        ASSERT_TRUE(child.finished);
        ASSERT_EQ(static_cast<DWORD>(kOk), child.exitCode);
    }

    std::optional<ReportFolder> m_folder;
};

TEST_F(DbgReportTest, LinesOfEachLevelUnderEachMaskByteForByte) {
    static const char* const kTags[] = {"", "[ERR]", "[WRN]", "[INF]", "[DBG]", "[TMG]"};
    static const DWORD kBits[] = {0, 0x01, 0x02, 0x08, 0x10, 0x04};
    // The banner level is written whenever the mask is not 0; mask 0 silences the banners too.
    Script script;
    Texts expected;
    DWORD mask = 0;
    auto line = [&](const std::string& source, int number, const char* field, int level,
                    const std::string& text) {
        script = script + Script{"line", source, std::to_string(number), std::to_string(level), text};
        if (level == 0 ? mask != 0 : level > 0 && level < 6 && (mask & kBits[level]) != 0) {
            const std::string shown = source == "<null>" ? "" : source;
            expected.push_back(level == 0 ? text
                                          : kTags[level] + ("\t" + shown) + "(" + field + ")\t" + text);
        }
    };
    for (DWORD next : {0x0u, 0x01u, 0x02u, 0x04u, 0x08u, 0x10u, 0x20u, 0x1Fu, 0xFFFFFFFFu}) {
        script = script + (next == 0 ? Open("0,0xFFFFFFFF,1000,3,B", "0")
                                     : Words("reconfigure," + std::to_string(next) + ",0,0xFFFFFFFF,1000,3"));
        mask = next;
        if (mask != 0) {
            expected.push_back("<Reconfigure>");
        }
        for (int level = -1; level <= 6; ++level) {
            line("lv.cpp", 394, "  394", level, std::to_string(mask) + " level " + std::to_string(level));
        }
    }
    const std::pair<int, const char*> numbers[] = {
        {123, "  123"},     {0, "    0"},       {-5, "   -5"},          {12345, "12345"},
        {123456, "123456"}, {-12345, "-12345"}, {INT_MAX, "2147483647"}};
    for (const auto& [number, field] : numbers) {
        line("src.cpp", number, field, 1, "with source");
        line("<null>", number, field, 3, "without source");
    }
    // Values reconfigured before the open (limit 0) are replaced by the open's; a second open (instance 2,
    // mask 0x01, limit 0) changes nothing.
    Run(Words("reconfigure,0x1F,0,0,0,3,line,a.cpp,1,1,before open") + script +
        Words("open,0,2,0x01,0,0,0,3,C,D,line,a.cpp,2,3,after the second open") + kSilence);
    expected.push_back("[INF]\ta.cpp(    2)\tafter the second open");
    EXPECT_FALSE(FileExists(report("", 2)) || FileExists(report("_B001")) || FileExists(report("_C001")));
    const Report file = ReadReport(report());
    EXPECT_EQ(0u, file.unparsed) << file.text;
    EXPECT_EQ(expected, file.Messages("", true));
    EXPECT_EQ("\r\n", file.text.substr(file.text.size() - 2));
}

// In the code pages 1252 and 932 (where the text cases' bytes are Japanese characters that pass
// through unchanged) and in zones with daylight saving time and with a half-hour offset.
TEST_F(DbgReportTest, MessagesAsTheRuntimeFormatsThemStampedWithTheLocalTime) {
    const std::vector<MessageCase> cases = MessageCases();
    const std::map<std::string, std::string> environments[] = {
        {{"LC_ALL", "C.UTF-8"}, {"TZ", "UTC"}},
        {{"LC_ALL", "ja_JP.UTF-8"}, {"TZ", "America/New_York"}},
        {{"TZ", "Asia/Kolkata"}}};
    for (const auto& environment : environments) {
        SCOPED_TRACE(environment.rbegin()->second);
        DeleteFileA(report().c_str());
        Run(Open() + Script{"messages", "clock"} + kSilence, environment);
        const Report file = ReadReport(report());
        const Texts tails = file.Messages("", true);
        ASSERT_EQ(1 + cases.size() + 1 + 650, tails.size()); // the start banner, the cases, the null format
        for (size_t i = 0; i < cases.size(); ++i) {
            EXPECT_EQ("[ERR]\t(    1)\t" + cases[i].expected, tails[i + 1]) << cases[i].name;
        }
        EXPECT_EQ("[ERR]\tnull.cpp(   12)\t", tails[cases.size() + 1]);
        // Each stamp lies between the local times read before its line and before the next one; the
        // system's own local time may lag the precise clock by up to one of its ticks.
        for (size_t i = cases.size() + 2; i + 1 < file.lines.size(); ++i) {
            SYSTEMTIME time = {};
            std::sscanf(file.lines[i].time.c_str(), "%hu/%hu/%hu %hu:%hu:%hu.%hu", &time.wYear, &time.wMonth,
                        &time.wDay, &time.wHour, &time.wMinute, &time.wSecond, &time.wMilliseconds);
            EXPECT_LE(std::stoll(file.lines[i].Message()), Milliseconds(time)) << file.lines[i].time;
            EXPECT_LE(Milliseconds(time), std::stoll(file.lines[i + 1].Message()) + 16) << file.lines[i].time;
            EXPECT_LE(file.lines[i - 1].time, file.lines[i].time);
        }
    }
}

TEST_F(DbgReportTest, FileNameOfEachInstanceAndOfFurtherProcesses) {
    struct Case {
        const char* instance;
        const char* text;
        const char* tag;
        Texts suffixes; // of the files that processes 1, 2, ... write to
    };
    const Case cases[] = {{"7", "007", "Alt", {"", "_Alt001", "_Alt002"}},
                          {"1234", "1234", "", {"", "_001"}},
                          {"0", "unknown", "A", {""}},
                          {"-3", "unknown", "A", {""}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.instance);
        DeleteFileA(m_folder->reportFile(c.text, "").c_str()); // instances 0 and -3 share a name
        Script script;
        for (size_t p = 0; p < c.suffixes.size(); ++p) {
            script = script + (p > 0 ? Script{"spawn"} : Script{}) +
                     Words(std::string("open,1,") + c.instance + ",0x1F,0,0xFFFFFFFF,1000,3,B," + c.tag) +
                     Script{"line", "a.cpp", "1", "1", "process " + std::to_string(p)};
        }
        Run(script);
        for (size_t p = 0; p <= c.suffixes.size(); ++p) {
            const std::string suffix =
                p < c.suffixes.size() ? c.suffixes[p] : "_" + std::string(c.tag) + "00" + std::to_string(p);
            const Report file = ReadReport(m_folder->reportFile(c.text, suffix));
            SCOPED_TRACE(suffix);
            EXPECT_EQ((p < c.suffixes.size() ? Texts{"<Start>", "process " + std::to_string(p)} : Texts{}),
                      file.Messages("<Start>") + file.Messages("process "));
        }
    }
}

TEST_F(DbgReportTest, MissingDebugFolderLeavesTheReportClosedUntilTheComponentOpensIt) {
    const std::string debug = m_folder->debugFolder();
    RemoveDirectoryA(debug.c_str());
    const ovs::unique_hmodule component(
        LoadLibraryA((ExecutableFolder() + "\\OVSDbgReportSetup.dll").c_str()));
    ASSERT_EQ(S_OK, CallServerFunction(component.get(), "DllRegisterServer"));
    // The closed report drops lines; once the folder is there, the set-up component's operation opens it.
    Run(Words("open,0,1,0x1F,0,0xFFFFFFFF,1000,3,B,A,line,a.cpp,1,1,dropped,reconfigure,0x1F,0,0,1000,3") +
        Script{"mkdir", debug} + Words("line,a.cpp,2,1,dropped too,component,line,a.cpp,3,1,written") +
        kSilence);
    EXPECT_EQ((Texts{"<Start>", "written"}), ReadReport(report()).Messages());
}

// A line longer than its buffer gives way to a fixed text that has no line end of its own.
TEST_F(DbgReportTest, LineLongerThanItsBufferGivesWayToAFixedText) {
    const std::string fits(1900, 's');
    Run(Open() +
        Script{"line", fits, "1", "1", "fits", "line", std::string(2100, 's'), "2", "1", "too long"} +
        Words("line,a.cpp,3,1,after") + kSilence);
    const std::string text = ReadFileText(report());
    const std::string kTooLong = "!!!!!Message is too long!!!!!";
    const std::string cut = fits + "(    1)\tfits\r\n" + kTooLong;
    const size_t at = text.find(cut);
    ASSERT_NE(std::string::npos, at);
    EXPECT_TRUE(MatchesShape(text.substr(at + cut.size(), 5), "####/")); // the next line's time, at once
    EXPECT_EQ((Texts{"after"}), ParseReport(text.substr(at + cut.size())).Messages());
}

// With a backup count of 0 the backup's name is stamped with the local time of the rotation.
TEST_F(DbgReportTest, OpeningRotatesOnlyAFileLargerThanTheLimit) {
    struct Case {
        size_t existing;    // bytes in the report before opening
        const char* limits; // high word, low word, interval, backups
        bool rotated;
    };
    const Case cases[] = {{1000, "0,1000,9,3", false}, {1000, "0,999,9,3", true}, {1000, "1,0,9,3", false},
                          {1000, "1,999,9,3", false},  {1, "0,0,9,3", true},      {0, "0,0,9,3", false},
                          {2000, "0,1000,9,0", true}};
    auto stamp = [](const SYSTEMTIME& t) {
        char text[16];
        std::snprintf(text, sizeof text, "%02d%02d_%02d%02d%02d", t.wMonth, t.wDay, t.wHour, t.wMinute,
                      t.wSecond);
        return std::string(text);
    };
    for (int instance = 1; instance <= 7; ++instance) {
        const Case& c = cases[instance - 1];
        SCOPED_TRACE(c.limits);
        const std::string previous(c.existing, 'p');
        std::ofstream(report("", instance), std::ios::binary) << previous;
        for (const char* backup : {"1", "2", "3"}) {
            std::ofstream(report(std::string("_B00") + backup, instance), std::ios::binary)
                << "old" << backup;
        }
        SYSTEMTIME before;
        SYSTEMTIME after;
        GetLocalTime(&before);
        Run(Open(std::string(c.limits) + ",B", "0x0F", instance) + kSilence);
        GetLocalTime(&after);
        // A rotated report starts anew; one that was not is appended to.
        const std::string kept = c.rotated ? "" : previous;
        const std::string text = ReadFileText(report("", instance));
        EXPECT_EQ(kept, text.substr(0, kept.size()));
        EXPECT_EQ(Texts{"<Start>"}, ParseReport(text.substr(kept.size())).Messages());
        const bool numbered = c.rotated && c.limits[std::strlen(c.limits) - 1] != '0';
        Texts backups;
        for (const char* backup : {"_B001", "_B002", "_B003", "_B004"}) {
            backups.push_back(ReadFileText(report(backup, instance)));
        }
        EXPECT_EQ((numbered ? Texts{previous, "old1", "old2", ""} : Texts{"old1", "old2", "old3", ""}),
                  backups);
        WIN32_FIND_DATAA found;
        const ovs::unique_find stamped(FindFirstFileA(report("_????_??????", instance).c_str(), &found));
        ASSERT_EQ(c.rotated && !numbered, static_cast<bool>(stamped));
        if (stamped) {
            const std::string name = found.cFileName;
            const std::string named = name.substr(name.size() - 15, 11); // "_MMDD_hhmmss.log"
            EXPECT_TRUE(before.wYear != after.wYear || (stamp(before) <= named && named <= stamp(after)))
                << name;
            EXPECT_EQ(previous, ReadFileText(m_folder->debugFolder() + "\\" + name));
        }
    }
}

TEST_F(DbgReportTest, NumberedBackupsShiftAndTheOldestIsLostWhileThreadsWriteWholeLines) {
    // Checked after every line: each rotation happens as soon as the file exceeds 500 bytes, while four
    // threads write and a fifth reconfigures.
    Run(Open("0,500,0,3,B", "0x0F") + Words("threads,4,1000,50") + kSilence);
    EXPECT_FALSE(FileExists(report("_B004")));
    int next[5] = {}; // per thread, the number its next line must have; 0 before its first kept line
    std::string lastTime;
    size_t bad = 0;
    for (const char* suffix : {"_B003", "_B002", "_B001", ""}) {
        SCOPED_TRACE(suffix);
        const Report file = ReadReport(report(suffix));
        if (*suffix == '\0' && file.text.empty()) {
            continue; // the last line crossed the limit: the new report is empty until the next one
        }
        ASSERT_FALSE(file.lines.empty());
        EXPECT_EQ("\r\n", file.text.substr(file.text.size() - 2));
        const size_t lastLine = file.text.rfind("\r\n", file.text.size() - 3) + 2;
        EXPECT_TRUE(*suffix == '\0' ? file.text.size() <= 500 : file.text.size() > 500 && lastLine <= 500)
            << "rotated right after the line that crossed the limit";
        bad += file.unparsed;
        for (const Line& line : file.lines) {
            EXPECT_LE(lastTime, line.time) << "time stamps follow the order of the files";
            lastTime = line.time;
            int thread = 0;
            int n = 0;
            char expected[64] = "";
            if (std::sscanf(line.tail.c_str(), "[INF]\tthread.cpp(%*d)\tT%d %d", &thread, &n) == 2 &&
                thread >= 1 && thread <= 4 && (next[thread] == 0 || n == next[thread])) {
                next[thread] = n + 1;
                std::snprintf(expected, sizeof expected, "[INF]\tthread.cpp(%5d)\tT%d %d", n, thread, n);
            }
            bad += line.Tail()[0] != '<' && line.tail != expected ? 1 : 0;
        }
    }
    EXPECT_EQ(0u, bad) << "whole lines, those of each thread in order and without a gap";
    EXPECT_EQ(1001, *std::max_element(next, next + 5)) << "the last line written is kept";
}

TEST_F(DbgReportTest, SizeIsCheckedAfterEveryIntervalPlusOneWrittenLines) {
    // Limit 0: every check rotates; lines of a level the mask drops do not count. With interval 1000, 800
    // lines are left in the countdown after the Start banner and 199 lines; reconfigured to interval 5,
    // the countdown is shortened at once, so every sixth line from the reconfiguration's banner on rotates.
    Run(Open("0,0,1000,10,R", "0x0F") + Words("lines,199,n,reconfigure,0x0F,0,0,5,10,lines,20,r") + kSilence);
    Texts written = {"<Start>"};
    for (int n = 1; n <= 220; ++n) {
        written.push_back(n < 200    ? "n " + std::to_string(n)
                          : n == 200 ? "<Reconfigure>"
                                     : "r " + std::to_string(n - 200));
    }
    const std::pair<const char*, long> files[] = {
        {"_R004", 0}, {"_R003", 206}, {"_R002", 6}, {"_R001", 6}, {"", 3}};
    auto begin = written.begin();
    for (const auto& [suffix, count] : files) {
        EXPECT_EQ(Texts(begin, begin + count), ReadReport(report(suffix)).Messages()) << suffix;
        begin += count;
    }
}

// This runs in this process. The product tree is reset, so there is no "Log Path" and the component's
// own attempt to open the report fails here: this process's report stays closed.
class DbgReportComponent : public RegistryTest {};

TEST_F(DbgReportComponent, IsCreatedRunAskedAndCalledOrRaisesAndIsReleasedOnEveryRoad) {
    const ovs::unique_hmodule module(LoadLibraryA((ExecutableFolder() + "\\OVSDbgReportSetup.dll").c_str()));
    const auto counters = reinterpret_cast<DbgReportSetupCountersFn>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), "DbgReportSetupCounters")));
    ASSERT_NE(nullptr, counters);
    constexpr int kNone = -1; // the calling thread's apartment: none, or the kind it entered
    constexpr int kSta = COINIT_APARTMENTTHREADED;
    const auto init = Tool_InitDbgReport;
    const auto without = Tool_InitDbgReportWithoutCoInitialize;
    struct Case {
        const char* behaviour; // of the component; "unregistered": there is none
        void (*call)(DWORD, DWORD);
        int apartment;
        HRESULT raised;
        int created;   // objects made (and run)
        int operation; // operations called
    };
    const Case cases[] = {
        {"", init, kNone, S_OK, 1, 1},
        {"", without, kSta, S_OK, 1, 1},
        {"", without, COINIT_MULTITHREADED, S_OK, 1, 1},
        {"", without, kNone, CO_E_NOTINITIALIZED, 0, 0},
        {"", init, COINIT_MULTITHREADED, S_OK, 0, 0}, // the single-threaded start fails: nothing is done
        {"unregistered", init, kNone, REGDB_E_CLASSNOTREG, 0, 0},
        {"create=80004005", init, kNone, E_FAIL, 0, 0},
        {"create=8007000E", without, kSta, E_OUTOFMEMORY, 0, 0},
        {"run=80004004", init, kNone, E_ABORT, 1, 0},
        {"query=80004002", without, kSta, S_OK, 1, 0},
        {"query=8000FFFF", init, kNone, E_UNEXPECTED, 1, 0},
        {"querynull", without, kSta, S_OK, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.behaviour) + (c.call == init ? " with" : " without") +
                     " start, apartment " + std::to_string(c.apartment));
        const bool registered = std::strcmp(c.behaviour, "unregistered") != 0;
        ASSERT_EQ(S_OK,
                  CallServerFunction(module.get(), registered ? "DllRegisterServer" : "DllUnregisterServer"));
        SetEnvironmentVariableA("OVS_DBGREPORTSETUP_FAIL", registered ? c.behaviour : nullptr);
        DbgReportSetupCounts before = {};
        DbgReportSetupCounts after = {};
        HRESULT raised = S_OK;
        HRESULT again = E_FAIL;
        counters(&before);
        std::thread([&] {
            const bool entered = c.apartment != kNone && SUCCEEDED(CoInitializeEx(nullptr, c.apartment));
            try {
                c.call(0, 0);
            } catch (const _com_error& error) {
                raised = error.Error();
            }
            // The component library is left as the call found it: an uninitialised thread still is,
            // an initialised one needs exactly one end.
            again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            for (int ends = (SUCCEEDED(again) ? 1 : 0) + (entered ? 1 : 0); ends > 0; --ends) {
                CoUninitialize();
            }
        }).join();
        counters(&after);
        EXPECT_EQ(c.raised, raised);
        EXPECT_EQ(c.apartment == kNone ? S_OK : c.apartment == kSta ? S_FALSE : RPC_E_CHANGED_MODE, again);
        EXPECT_EQ((std::vector<LONG>{before.created + c.created, before.runs + c.created,
                                     before.operations + c.operation, 0}),
                  (std::vector<LONG>{after.created, after.runs, after.operations, after.liveObjects}))
            << "made, run, called, and every reference released";
    }
    SetEnvironmentVariableA("OVS_DBGREPORTSETUP_FAIL", nullptr);
    CallServerFunction(module.get(), "DllRegisterServer");
}

} // namespace
