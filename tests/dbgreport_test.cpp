// The debug report: line formats and levels, file names, message limits, rotation, the countdown,
// several threads and several processes, and the opens that go through the set-up component.
//
// A process opens its report once and keeps it open until it ends, so every case that opens the
// report runs in a child process of its own, driven by a small script of commands ("report" mode);
// this process only prepares folders and the registry and reads the files afterwards.
#include "test_support.h"
#include "OVSTools2.h"
#include "unique_resource.h"
#include "../standins/dbgreportsetup/dbgreport_setup.h"

#include <comdef.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace ovs::test;

namespace {

// ---------------------------------------------------------------------------------------------
// Reading report files

struct ReportLine {
    std::string time;
    unsigned long pid = 0;
    unsigned long tid = 0;
    bool banner = false;
    std::string tag;
    std::string source;
    std::string number; // the line number field between the parentheses
    std::string message;
};

bool MatchesShape(const std::string& text, const char* shape) {
    // '#' stands for a digit, every other character for itself.
    if (text.size() != std::strlen(shape)) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (shape[i] == '#' ? !digit : text[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

constexpr char kTimeShape[] = "####/##/## ##:##:##.###";

bool ParseIds(const std::string& field, ReportLine& line) {
    if (field.size() < 5 || field.front() != '[' || field.back() != ']') {
        return false;
    }
    const size_t colon = field.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    const std::string pid = field.substr(1, colon - 1);
    const std::string tid = field.substr(colon + 1, field.size() - colon - 2);
    auto allDigits = [](const std::string& s) {
        return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!allDigits(pid) || !allDigits(tid)) {
        return false;
    }
    line.pid = std::stoul(pid);
    line.tid = std::stoul(tid);
    return true;
}

std::optional<ReportLine> ParseLine(const std::string& text) {
    ReportLine line;
    const size_t tab1 = text.find('\t');
    if (tab1 == std::string::npos) {
        return std::nullopt;
    }
    const size_t tab2 = text.find('\t', tab1 + 1);
    if (tab2 == std::string::npos) {
        return std::nullopt;
    }
    line.time = text.substr(0, tab1);
    if (!MatchesShape(line.time, kTimeShape) || !ParseIds(text.substr(tab1 + 1, tab2 - tab1 - 1), line)) {
        return std::nullopt;
    }
    const std::string rest = text.substr(tab2 + 1);
    static const char* const kTags[] = {"[ERR]\t", "[WRN]\t", "[INF]\t", "[DBG]\t", "[TMG]\t"};
    const bool levelled = std::any_of(std::begin(kTags), std::end(kTags),
                                      [&](const char* tag) { return rest.rfind(tag, 0) == 0; });
    if (!levelled) {
        line.banner = true;
        line.message = rest;
        return line;
    }
    line.tag = rest.substr(1, 3);
    const size_t tab3 = rest.find('\t', 6);
    if (tab3 == std::string::npos) {
        return std::nullopt;
    }
    const std::string position = rest.substr(6, tab3 - 6);
    const size_t open = position.rfind('(');
    if (open == std::string::npos || position.back() != ')') {
        return std::nullopt;
    }
    line.source = position.substr(0, open);
    line.number = position.substr(open + 1, position.size() - open - 2);
    line.message = rest.substr(tab3 + 1);
    return line;
}

struct ReportFile {
    std::string text;
    std::vector<ReportLine> lines;
    std::vector<std::string> unparsed;

    std::vector<std::string> Messages() const {
        std::vector<std::string> messages;
        for (const ReportLine& line : lines) {
            messages.push_back(line.message);
        }
        return messages;
    }
    const ReportLine* Find(const std::string& message) const {
        for (const ReportLine& line : lines) {
            if (line.message == message) {
                return &line;
            }
        }
        return nullptr;
    }
};

ReportFile ReadReport(const std::string& path) {
    ReportFile file;
    file.text = ReadFileText(path);
    for (const std::string& text : SplitLines(file.text)) {
        if (std::optional<ReportLine> line = ParseLine(text)) {
            file.lines.push_back(*line);
        } else {
            file.unparsed.push_back(text);
        }
    }
    return file;
}

std::string Banner(const char* kind, unsigned long pid) {
    return "========================= Session [" + std::to_string(pid) + "] " + kind +
           " ==============================";
}

// The messages of the file that begin with the prefix, in file order.
std::vector<std::string> MessagesWith(const ReportFile& file, const std::string& prefix) {
    std::vector<std::string> messages;
    for (const ReportLine& line : file.lines) {
        if (line.message.rfind(prefix, 0) == 0) {
            messages.push_back(line.message);
        }
    }
    return messages;
}

std::string Numbered(const std::string& prefix, int n) {
    return prefix + " " + std::to_string(n);
}

std::string StampText(const SYSTEMTIME& t) {
    char text[32];
    _snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d.%03d", t.wYear, t.wMonth, t.wDay, t.wHour,
              t.wMinute, t.wSecond, t.wMilliseconds);
    text[sizeof text - 1] = '\0';
    return text;
}

// ---------------------------------------------------------------------------------------------
// Message formats, shared by the child that writes them and the test that checks them against the
// runtime's own _snprintf.

enum class Arg { Int, LongLong, Text, Wide, Double, WidthAndInt, Pointer };

struct FormatCase {
    const char* format;
    Arg kind;
    long long number;
    const char* text;
    double real;
    const wchar_t* wide = nullptr;
};

const FormatCase kFormatCases[] = {
    {"%d", Arg::Int, 0, nullptr, 0},
    {"%d", Arg::Int, -2147483647 - 1, nullptr, 0},
    {"%i|%5d|%-5d|%05d", Arg::Int, 42, nullptr, 0},
    {"%05d", Arg::Int, -42, nullptr, 0},
    {"%+d % d %+05d % 05d %-+6d|", Arg::Int, 7, nullptr, 0},
    {"%.3d %8.3d %-8.3d|", Arg::Int, -7, nullptr, 0},
    {"[%.0d] [%5.0d] [%+.0d] [%.0x]", Arg::Int, 0, nullptr, 0},
    {"%u", Arg::Int, -1, nullptr, 0},
    {"%x %X %08X %-6x|", Arg::Int, 0xBEEF, nullptr, 0},
    {"%lu %ld %lx", Arg::Int, -5, nullptr, 0},
    {"%hd %hu %hx", Arg::Int, 70000, nullptr, 0},
    {"%I64d", Arg::LongLong, INT64_MIN, nullptr, 0},
    {"%I64u %I64x %I64X", Arg::LongLong, -1, nullptr, 0},
    {"%lld %llu", Arg::LongLong, -1234567890123LL, nullptr, 0},
    {"%Id %Iu %Ix", Arg::LongLong, -77, nullptr, 0},
    {"%I32d %I32u", Arg::Int, -9, nullptr, 0},
    {"%c|%3c|%-3c|", Arg::Int, 'A', nullptr, 0},
    {"%s", Arg::Text, 0, "plain text", 0},
    {"[%10s] [%-10s] [%.2s] [%6.2s]", Arg::Text, 0, "abcdef", 0},
    {"[%s]", Arg::Text, 0, "", 0},
    {"[%s]", Arg::Text, 0, nullptr, 0},
    {"%s", Arg::Text, 0, "\x83\x65\x83\x58\x83\x67 \x93\xfa\x96\x7b", 0},
    {"100%% of %d%%", Arg::Int, 5, nullptr, 0},
    {"%f %.2f %e %g", Arg::Double, 0, nullptr, 2.5},
    {"%#x %#o", Arg::Int, 255, nullptr, 0},
    {"[%*d]", Arg::WidthAndInt, 6, nullptr, 0},
    {"no conversion at all", Arg::Int, 0, nullptr, 0},
    {"[%-05d] [%+u] [%+x] [% u] [%05.3d] [%-+ 6d]", Arg::Int, 42, nullptr, 0},
    {"[%05s] [%-05s] [%.0s] [%hs]", Arg::Text, 0, "ab", 0},
    {"a%cb", Arg::Int, 0, nullptr, 0},
    {"[%2000d]", Arg::Int, 12, nullptr, 0},
    {"[%.1500d]", Arg::Int, 12, nullptr, 0},
    {"[%-1100s]", Arg::Text, 0, "left", 0},
    {"[%4097d]", Arg::Int, 12, nullptr, 0},
    {"[%ls] [%S] [%ws]", Arg::Wide, 0, nullptr, 0, L"wide"},
    {"[%lc] [%C] [%hc]", Arg::Int, 'W', nullptr, 0},
    {"[%p] [%o]", Arg::Pointer, 0x1234, nullptr, 0},
};

template <typename Call>
void WithArguments(const FormatCase& c, Call call) {
    switch (c.kind) {
        case Arg::Int: {
            const int v = static_cast<int>(c.number);
            call(c.format, v, v, v, v, v, v, v, v);
            break;
        }
        case Arg::LongLong:
            call(c.format, c.number, c.number, c.number);
            break;
        case Arg::Text:
            call(c.format, c.text, c.text, c.text, c.text);
            break;
        case Arg::Wide:
            call(c.format, c.wide, c.wide, c.wide, c.wide);
            break;
        case Arg::Pointer:
            call(c.format, reinterpret_cast<void*>(static_cast<intptr_t>(c.number)), 8);
            break;
        case Arg::Double:
            call(c.format, c.real, c.real, c.real, c.real);
            break;
        case Arg::WidthAndInt:
            call(c.format, static_cast<int>(c.number), 31);
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// The child: a script of commands, run in order. Exit code 0 when every command did what it
// expected; a command that finds otherwise ends the script with a code of its own.

enum ChildExit : int {
    kOk = 0,
    kOpenResult = 3,
    kReconfigureResult = 4,
    kPresent = 5,
    kUnknownCommand = 6,
    kMissingArgument = 7,
    kComError = 8,
    kNoSameSecond = 9,
    kSameSecondBase = 100,
};

const char* TextArg(const std::string& arg) {
    return arg == "<null>" ? nullptr : arg.c_str();
}

DWORD NumberArg(const std::string& arg) {
    return static_cast<DWORD>(std::stoll(arg, nullptr, 0));
}

// The same seconds as far as a time-stamped backup name can tell.
bool SameSecond(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

int RunScript(const std::vector<std::string>& args) {
    size_t i = 0;
    auto need = [&](size_t count) { return i + count <= args.size(); };
    while (i < args.size()) {
        const std::string command = args[i++];
        if (command == "open") {
            // open <expected> <instance> <mask> <high> <low> <interval> <backups> <tag> <alternate tag>
            if (!need(9)) {
                return kMissingArgument;
            }
            const BOOL opened =
                Tool_InitDbgReportEx(static_cast<int>(NumberArg(args[i + 1])), NumberArg(args[i + 2]),
                                     NumberArg(args[i + 3]), NumberArg(args[i + 4]), NumberArg(args[i + 5]),
                                     NumberArg(args[i + 6]), TextArg(args[i + 7]), TextArg(args[i + 8]));
            if ((opened != FALSE) != (args[i] == "1")) {
                return kOpenResult;
            }
            i += 9;
        } else if (command == "line") {
            // line <source> <line> <level> <message>
            if (!need(4)) {
                return kMissingArgument;
            }
            Tool_DbgReport(TextArg(args[i]), static_cast<int>(NumberArg(args[i + 1])),
                           static_cast<int>(NumberArg(args[i + 2])), "%s", args[i + 3].c_str());
            i += 4;
        } else if (command == "lines") {
            // lines <count> <level> <prefix>: "<prefix> 1" ... "<prefix> <count>"
            if (!need(3)) {
                return kMissingArgument;
            }
            const int count = static_cast<int>(NumberArg(args[i]));
            for (int n = 1; n <= count; ++n) {
                Tool_DbgReport("lines.cpp", n, static_cast<int>(NumberArg(args[i + 1])), "%s %d",
                               args[i + 2].c_str(), n);
            }
            i += 3;
        } else if (command == "interleaved") {
            // interleaved <count> <prefix>: INF lines "<prefix> n", each followed by a DBG line
            if (!need(2)) {
                return kMissingArgument;
            }
            const int count = static_cast<int>(NumberArg(args[i]));
            for (int n = 1; n <= count; ++n) {
                Tool_DbgReport("lines.cpp", n, OVS_DBG_INF, "%s %d", args[i + 1].c_str(), n);
                Tool_DbgReport("lines.cpp", n, OVS_DBG_DBG, "filtered %d", n);
            }
            i += 2;
        } else if (command == "reconfigure") {
            // reconfigure <mask> <high> <low> <interval> <backups>
            if (!need(5)) {
                return kMissingArgument;
            }
            if (Tool_ReconfigureDbgReport(NumberArg(args[i]), NumberArg(args[i + 1]), NumberArg(args[i + 2]),
                                          NumberArg(args[i + 3]), NumberArg(args[i + 4])) != TRUE) {
                return kReconfigureResult;
            }
            i += 5;
        } else if (command == "ids") {
            Tool_DbgReport("ids.cpp", 1, OVS_DBG_ERR, "pid=%lu tid=%lu", GetCurrentProcessId(),
                           GetCurrentThreadId());
        } else if (command == "clock") {
            // clock <count>: lines "clock <before>|<after>", some apart by more than a second in all
            if (!need(1)) {
                return kMissingArgument;
            }
            const int count = static_cast<int>(NumberArg(args[i++]));
            for (int n = 0; n < count; ++n) {
                SYSTEMTIME before;
                GetLocalTime(&before);
                Tool_DbgReport("clock.cpp", n, OVS_DBG_ERR, "clock %s|", StampText(before).c_str());
                SYSTEMTIME after;
                GetLocalTime(&after);
                Tool_DbgReport("clock.cpp", n, OVS_DBG_ERR, "after %s", StampText(after).c_str());
                Sleep(n % 3 == 0 ? 300 : 2);
            }
        } else if (command == "long") {
            // long <length>: a message of that many 'x'
            if (!need(1)) {
                return kMissingArgument;
            }
            const std::string message(NumberArg(args[i++]), 'x');
            Tool_DbgReport("long.cpp", 1, OVS_DBG_ERR, "%s", message.c_str());
        } else if (command == "longformat") {
            // longformat <length>: a format text of that many 'y', without conversions
            if (!need(1)) {
                return kMissingArgument;
            }
            const std::string format(NumberArg(args[i++]), 'y');
            Tool_DbgReport("long.cpp", 2, OVS_DBG_ERR, format.c_str(), 0);
        } else if (command == "sized") {
            // sized <length>: an ERR line of exactly that many bytes with its line end, made so by
            // the length of its source name; the message is 1000 'm'.
            if (!need(1)) {
                return kMissingArgument;
            }
            char ids[32];
            const int idsLength =
                _snprintf(ids, sizeof ids, "[%lu:%lu]", GetCurrentProcessId(), GetCurrentThreadId());
            // time, tab, ids, tab, "[ERR]", tab, source, "(   77)", tab, message, CR LF
            const long long fixed = 23 + 1 + idsLength + 1 + 5 + 1 + 7 + 1 + 1000 + 2;
            const long long sourceLength = static_cast<long long>(NumberArg(args[i++])) - fixed;
            const std::string source(static_cast<size_t>(std::max(sourceLength, 1LL)), 's');
            const std::string message(1000, 'm');
            Tool_DbgReport(source.c_str(), 77, OVS_DBG_ERR, "%s", message.c_str());
        } else if (command == "formats") {
            int n = 0;
            for (const FormatCase& c : kFormatCases) {
                ++n;
                WithArguments(c, [&](const char* format, auto... values) {
                    Tool_DbgReport("fmt.cpp", n, OVS_DBG_ERR, format, values...);
                });
            }
        } else if (command == "nullformat") {
            Tool_DbgReport("null.cpp", 1, OVS_DBG_ERR, nullptr);
        } else if (command == "threads") {
            // threads <count> <lines> <reconfigurations>: each thread k writes INF lines "T<k> 1" ...
            // "T<k> <lines>", while one more thread reconfigures the report to the values it was
            // opened with (mask 0x0F, limit 256 KB, interval 99, 40 backups) that many times.
            if (!need(3)) {
                return kMissingArgument;
            }
            const int threads = static_cast<int>(NumberArg(args[i]));
            const int lines = static_cast<int>(NumberArg(args[i + 1]));
            const int reconfigurations = static_cast<int>(NumberArg(args[i + 2]));
            i += 3;
            ovs::unique_handle go(CreateEventA(nullptr, TRUE, FALSE, nullptr));
            std::vector<std::thread> workers;
            for (int k = 1; k <= threads; ++k) {
                workers.emplace_back([&, k] {
                    WaitForSingleObject(go.get(), INFINITE);
                    for (int n = 1; n <= lines; ++n) {
                        Tool_DbgReport("thread.cpp", n, OVS_DBG_INF, "T%d %d", k, n);
                    }
                });
            }
            workers.emplace_back([&] {
                WaitForSingleObject(go.get(), INFINITE);
                for (int n = 0; n < reconfigurations; ++n) {
                    Tool_ReconfigureDbgReport(0x0F, 0, 262144, 99, 40);
                    Sleep(1);
                }
            });
            SetEvent(go.get());
            for (std::thread& worker : workers) {
                worker.join();
            }
        } else if (command == "samesecond") {
            // samesecond <tries>: writes pairs "A n", "B n" until both of a pair were written within
            // one second; exits with kSameSecondBase + n.
            if (!need(1)) {
                return kMissingArgument;
            }
            const int tries = static_cast<int>(NumberArg(args[i++]));
            for (int n = 1; n <= tries; ++n) {
                SYSTEMTIME before;
                GetLocalTime(&before);
                Tool_DbgReport("pair.cpp", n, OVS_DBG_ERR, "A %d", n);
                Tool_DbgReport("pair.cpp", n, OVS_DBG_ERR, "B %d", n);
                SYSTEMTIME after;
                GetLocalTime(&after);
                if (SameSecond(before, after)) {
                    // Silence the end banner, which would rotate once more.
                    Tool_ReconfigureDbgReport(0, 0, 0, 0, 0);
                    return kSameSecondBase + n;
                }
            }
            return kNoSameSecond;
        } else if (command == "mkdir") {
            if (!need(1)) {
                return kMissingArgument;
            }
            CreateDirectoryA(args[i++].c_str(), nullptr);
        } else if (command == "absent") {
            if (!need(1)) {
                return kMissingArgument;
            }
            if (FileExists(args[i++])) {
                return kPresent;
            }
        } else if (command == "component") {
            try {
                Tool_InitDbgReport(0, 0);
            } catch (const _com_error&) {
                return kComError;
            }
        } else if (command == "spawn") {
            // spawn <script...>: the rest of the script runs in a further process of this
            // executable, while this one keeps its report open; its exit code is this one's.
            const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            const ChildResult child = RunChild("report", rest);
            return child.finished ? static_cast<int>(child.exitCode) : -1;
        } else {
            return kUnknownCommand;
        }
    }
    return kOk;
}

ChildMode g_reportMode("report", RunScript);

// ---------------------------------------------------------------------------------------------
// The parent side

using Script = std::vector<std::string>;

// "open" with the usual limit (none reached), interval and tags.
Script Open(const std::string& mask = "0x1F", const std::string& instance = "1") {
    return {"open", "1", instance, mask, "0", "0xFFFFFFFF", "1000", "3", "B", "A"};
}

Script operator+(Script a, const Script& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Silences the report before the child ends, so that its end banner changes nothing.
const Script kSilence = {"reconfigure", "0", "0", "0xFFFFFFFF", "1000", "3"};

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

    const ReportFolder& folder() const { return *m_folder; }
    std::string report(const std::string& suffix = "", const std::string& instance = "001") const {
        return m_folder->reportFile(instance, suffix);
    }

    // Runs the script in a child and expects the given exit code.
    static void Run(const Script& script, DWORD expectedExit = kOk) {
        const ChildResult child = RunChild("report", script);
        ASSERT_TRUE(child.finished);
        ASSERT_EQ(expectedExit, child.exitCode);
    }

    static void WriteContent(const std::string& path, const std::string& content) {
        ovs::unique_hfile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        ASSERT_TRUE(
            WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
    }

    // The time-stamped backups of instance 001: name suffix "_MMDD_hhmmss" -> content.
    std::map<std::string, std::string> TimeStampedBackups() const {
        std::map<std::string, std::string> backups;
        const std::string base = "DbgReport_" + ExecutableBaseName() + "_Inst_001_";
        WIN32_FIND_DATAA found;
        ovs::unique_find search(FindFirstFileA((folder().debugFolder() + "\\" + base + "*").c_str(), &found));
        if (!search) {
            return backups;
        }
        do {
            const std::string name = found.cFileName;
            const std::string stamp = name.substr(base.size());
            if (MatchesShape(stamp, "####_######.log")) {
                backups[stamp.substr(0, 11)] = ReadFileText(folder().debugFolder() + "\\" + name);
            }
        } while (FindNextFileA(search.get(), &found));
        return backups;
    }

private:
    std::optional<ReportFolder> m_folder;
};

// ---------------------------------------------------------------------------------------------
// Levels and the mask

struct MaskCase {
    DWORD mask;
    std::vector<int> written; // levels 1-5 that appear
};

class DbgReportMask : public DbgReportTest, public ::testing::WithParamInterface<MaskCase> {};

TEST_P(DbgReportMask, WritesExactlyTheEnabledLevels) {
    const MaskCase& c = GetParam();
    char mask[16];
    _snprintf(mask, sizeof mask, "0x%lX", c.mask);
    mask[sizeof mask - 1] = '\0';
    Script script = Open(mask);
    for (int level = -1; level <= 6; ++level) {
        script = script + Script{"line", "lv.cpp", std::to_string(100 + level), std::to_string(level),
                                 "level " + std::to_string(level)};
    }
    Run(script);

    const ReportFile file = ReadReport(report());
    EXPECT_TRUE(file.unparsed.empty()) << file.text;
    if (c.mask == 0) {
        EXPECT_EQ("", file.text) << "mask 0 silences the banners too";
        return;
    }
    std::vector<std::string> expected = {"level 0"};
    for (int level : c.written) {
        expected.push_back("level " + std::to_string(level));
    }
    EXPECT_EQ(expected, MessagesWith(file, "level "));
    static const char* const kTags[] = {"", "ERR", "WRN", "INF", "DBG", "TMG"};
    for (const ReportLine& line : file.lines) {
        if (line.message.rfind("level ", 0) != 0) {
            continue;
        }
        const int level = std::stoi(line.message.substr(6));
        if (level == 0) {
            EXPECT_TRUE(line.banner);
            continue;
        }
        EXPECT_FALSE(line.banner);
        EXPECT_EQ(kTags[level], line.tag);
        EXPECT_EQ("lv.cpp", line.source);
        EXPECT_EQ("  " + std::to_string(100 + level), line.number);
    }
    ASSERT_FALSE(file.lines.empty());
    EXPECT_EQ(Banner("Start", file.lines.front().pid), file.lines.front().message);
}

INSTANTIATE_TEST_SUITE_P(EachBit, DbgReportMask,
                         ::testing::Values(MaskCase{0x01, {1}}, MaskCase{0x02, {2}}, MaskCase{0x04, {5}},
                                           MaskCase{0x08, {3}}, MaskCase{0x10, {4}},
                                           MaskCase{0x1F, {1, 2, 3, 4, 5}}, MaskCase{0x20, {}},
                                           MaskCase{0xFFFFFFFF, {1, 2, 3, 4, 5}}, MaskCase{0, {}}));

// ---------------------------------------------------------------------------------------------
// Line format

TEST_F(DbgReportTest, LineCarriesTimeProcessThreadTagSourceAndMessage) {
    Run(Open() + Script{"ids"});
    const ReportFile file = ReadReport(report());
    EXPECT_TRUE(file.unparsed.empty()) << file.text;
    ASSERT_GE(file.lines.size(), 2u);
    const ReportLine& start = file.lines[0];
    EXPECT_TRUE(start.banner);
    EXPECT_EQ(Banner("Start", start.pid), start.message);
    const ReportLine& ids = file.lines[1];
    EXPECT_EQ("pid=" + std::to_string(ids.pid) + " tid=" + std::to_string(ids.tid), ids.message);
    EXPECT_EQ(start.pid, ids.pid);
    EXPECT_EQ("ERR", ids.tag);
    EXPECT_EQ("ids.cpp", ids.source);
    EXPECT_EQ("    1", ids.number);
    // Every line ends with CR LF, the last one too.
    ASSERT_GE(file.text.size(), 2u);
    EXPECT_EQ("\r\n", file.text.substr(file.text.size() - 2));
}

TEST_F(DbgReportTest, ExactBytesOfBannerAndLevelledLines) {
    Run(Open() +
        Script{"line", "acquire", "394", "1", "the message", "line", "<null>", "123", "2", "no source"});
    const ReportFile file = ReadReport(report());
    ASSERT_GE(file.lines.size(), 3u);
    const ReportLine& start = file.lines[0];
    const std::string ids = "[" + std::to_string(start.pid) + ":" + std::to_string(start.tid) + "]";
    const std::vector<std::string> raw = SplitLines(file.text);
    ASSERT_GE(raw.size(), 3u);
    EXPECT_EQ(start.time + "\t" + ids + "\t" + Banner("Start", start.pid), raw[0]);
    EXPECT_EQ(file.lines[1].time + "\t" + ids + "\t[ERR]\tacquire(  394)\tthe message", raw[1]);
    EXPECT_EQ(file.lines[2].time + "\t" + ids + "\t[WRN]\t(  123)\tno source", raw[2]);
}

struct NumberCase {
    int line;
    const char* field;
};

TEST_F(DbgReportTest, LineNumberIsRightAlignedInFiveColumnsWithAndWithoutSource) {
    const NumberCase cases[] = {
        {394, "  394"},   {123, "  123"},     {0, "    0"},       {-5, "   -5"},
        {12345, "12345"}, {123456, "123456"}, {-12345, "-12345"}, {2147483647, "2147483647"}};
    Script script = Open();
    for (const NumberCase& c : cases) {
        script =
            script + Script{"line", "src.cpp", std::to_string(c.line), "1", std::string("with ") + c.field};
        script =
            script + Script{"line", "<null>", std::to_string(c.line), "3", std::string("without ") + c.field};
    }
    Run(script);
    const ReportFile file = ReadReport(report());
    EXPECT_TRUE(file.unparsed.empty()) << file.text;
    for (const NumberCase& c : cases) {
        const ReportLine* with = file.Find(std::string("with ") + c.field);
        ASSERT_NE(nullptr, with) << c.line;
        EXPECT_EQ("src.cpp", with->source);
        EXPECT_EQ(c.field, with->number);
        EXPECT_EQ("ERR", with->tag);
        const ReportLine* without = file.Find(std::string("without ") + c.field);
        ASSERT_NE(nullptr, without) << c.line;
        EXPECT_EQ("", without->source);
        EXPECT_EQ(c.field, without->number);
        EXPECT_EQ("INF", without->tag);
    }
}

// Milliseconds of a "yyyy/mm/dd hh:mm:ss.mmm" text, for comparing stamps.
long long StampMilliseconds(const std::string& stamp) {
    SYSTEMTIME t = {};
    t.wYear = static_cast<WORD>(std::stoi(stamp.substr(0, 4)));
    t.wMonth = static_cast<WORD>(std::stoi(stamp.substr(5, 2)));
    t.wDay = static_cast<WORD>(std::stoi(stamp.substr(8, 2)));
    t.wHour = static_cast<WORD>(std::stoi(stamp.substr(11, 2)));
    t.wMinute = static_cast<WORD>(std::stoi(stamp.substr(14, 2)));
    t.wSecond = static_cast<WORD>(std::stoi(stamp.substr(17, 2)));
    t.wMilliseconds = static_cast<WORD>(std::stoi(stamp.substr(20, 3)));
    FILETIME f;
    if (!SystemTimeToFileTime(&t, &f)) {
        return -1;
    }
    return static_cast<long long>((static_cast<ULONGLONG>(f.dwHighDateTime) << 32 | f.dwLowDateTime) / 10000);
}

class DbgReportClock : public DbgReportTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(DbgReportClock, TimeStampIsTheLocalTimeOfWriting) {
    // The child notes the local time before and after each line; some lines are more than a second
    // apart in all. The platform's clocks may differ by a few milliseconds of resolution, so the
    // stamp must lie within the two readings widened by that much.
    constexpr long long kClockResolution = 50;
    const ChildResult child = RunChild("report", Open() + Script{"clock", "12"}, {{"TZ", GetParam()}});
    ASSERT_TRUE(child.finished);
    ASSERT_EQ(static_cast<DWORD>(kOk), child.exitCode);
    const ReportFile file = ReadReport(report());
    ASSERT_EQ(12u, MessagesWith(file, "clock ").size());
    int checked = 0;
    for (size_t i = 0; i + 1 < file.lines.size(); ++i) {
        const ReportLine& line = file.lines[i];
        if (line.message.rfind("clock ", 0) != 0) {
            continue;
        }
        const ReportLine& next = file.lines[i + 1];
        ASSERT_EQ(0u, next.message.rfind("after ", 0));
        const long long earliest = StampMilliseconds(line.message.substr(6, 23));
        const long long latest = StampMilliseconds(next.message.substr(6, 23));
        const long long stamp = StampMilliseconds(line.time);
        EXPECT_LE(earliest - kClockResolution, stamp) << line.message << " stamped " << line.time;
        EXPECT_LE(stamp, latest + kClockResolution) << next.message << " stamped " << line.time;
        EXPECT_LE(line.time, next.time);
        ++checked;
    }
    EXPECT_EQ(12, checked);
}

INSTANTIATE_TEST_SUITE_P(Zones, DbgReportClock, ::testing::Values("UTC", "America/New_York", "Asia/Kolkata"));

class DbgReportFormats : public DbgReportTest, public ::testing::WithParamInterface<const char*> {};

// Also in the double-byte code page 932, where the text case's bytes are Japanese characters that
// pass through unchanged.
TEST_P(DbgReportFormats, MessageFormatsAsTheRuntimeDoes) {
    const ChildResult child = RunChild("report", Open() + Script{"formats"}, {{"LC_ALL", GetParam()}});
    ASSERT_TRUE(child.finished);
    ASSERT_EQ(static_cast<DWORD>(kOk), child.exitCode);
    const ReportFile file = ReadReport(report());
    std::map<std::string, std::string> byNumber;
    for (const ReportLine& line : file.lines) {
        if (line.source == "fmt.cpp") {
            byNumber[line.number] = line.message;
        }
    }
    int n = 0;
    for (const FormatCase& c : kFormatCases) {
        ++n;
        // The message is what the runtime makes of the format, up to a zero character, cut to 1023.
        char expected[8192];
        WithArguments(c, [&](const char* format, auto... values) {
            _snprintf(expected, sizeof expected, format, values...);
        });
        expected[1023] = '\0';
        char field[16];
        _snprintf(field, sizeof field, "%5d", n);
        field[sizeof field - 1] = '\0';
        ASSERT_EQ(1u, byNumber.count(field)) << c.format;
        EXPECT_EQ(std::string(expected), byNumber[field]) << c.format << " (case " << n << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(CodePages, DbgReportFormats, ::testing::Values("C.UTF-8", "ja_JP.UTF-8"));

TEST_F(DbgReportTest, NullFormatDoesNotStopTheReport) {
    Run(Open() + Script{"nullformat", "line", "a.cpp", "1", "1", "still written"});
    const ReportFile file = ReadReport(report());
    EXPECT_NE(nullptr, file.Find("still written"));
}

// ---------------------------------------------------------------------------------------------
// Message and line limits

TEST_F(DbgReportTest, MessageIsCutTo1023Characters) {
    const std::pair<int, int> cases[] = {{1, 1},       {1022, 1022}, {1023, 1023},
                                         {1024, 1023}, {1500, 1023}, {5000, 1023}};
    Script script = Open();
    for (const auto& c : cases) {
        script = script + Script{"long", std::to_string(c.first)};
    }
    script = script + Script{"longformat", "3000"};
    Run(script);
    const ReportFile file = ReadReport(report());
    EXPECT_TRUE(file.unparsed.empty()) << file.text.substr(0, 200);
    std::vector<size_t> lengths;
    for (const ReportLine& line : file.lines) {
        if (line.source == "long.cpp" && line.number == "    1") {
            EXPECT_EQ(std::string(line.message.size(), 'x'), line.message);
            lengths.push_back(line.message.size());
        }
    }
    std::vector<size_t> expected;
    for (const auto& c : cases) {
        expected.push_back(static_cast<size_t>(c.second));
    }
    EXPECT_EQ(expected, lengths);
    const ReportLine* fromFormat = file.Find(std::string(1023, 'y'));
    EXPECT_NE(nullptr, fromFormat) << "a long format text is cut the same way";
}

TEST_F(DbgReportTest, LineLongerThanItsBufferGivesWayToAFixedTextWithoutLineEnd) {
    Run(Open() + Script{"sized", "2046", "sized", "2047", "sized", "2049", "sized", "3000", "sized", "4000",
                        "line", "a.cpp", "1", "1", "after"});
    const std::string text = ReadFileText(report());
    const std::vector<std::string> lines = SplitLines(text);
    // The two lines that fit stand whole.
    int whole = 0;
    for (const std::string& line : lines) {
        if (line.find(std::string(1000, 'm')) != std::string::npos) {
            ++whole;
            EXPECT_TRUE(line.size() == 2044 || line.size() == 2045) << line.size();
        }
    }
    EXPECT_EQ(2, whole);
    // The three that do not are each replaced by the fixed text, which has no line end of its own.
    const std::string tooLong = "!!!!!Message is too long!!!!!";
    const size_t first = text.find(tooLong);
    ASSERT_NE(std::string::npos, first);
    EXPECT_EQ("\r\n", text.substr(first - 2, 2));
    // The last one has a source name longer than the whole buffer.
    EXPECT_EQ(tooLong + tooLong, text.substr(first + tooLong.size(), 2 * tooLong.size()));
    const size_t next = first + 3 * tooLong.size();
    const std::optional<ReportLine> after = ParseLine(SplitLines(text.substr(next)).front());
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ("after", after->message);
}

// ---------------------------------------------------------------------------------------------
// File names

struct InstanceCase {
    const char* instance;
    const char* text;
};

TEST_F(DbgReportTest, InstanceTextOfTheFileName) {
    const InstanceCase cases[] = {{"1", "001"},     {"7", "007"},     {"999", "999"},
                                  {"1234", "1234"}, {"0", "unknown"}, {"-3", "unknown"}};
    for (const InstanceCase& c : cases) {
        SCOPED_TRACE(c.instance);
        Run(Open("0x1F", c.instance) +
            Script{"line", "a.cpp", "1", "1", std::string("instance ") + c.instance});
        const ReportFile file = ReadReport(report("", c.text));
        EXPECT_NE(nullptr, file.Find(std::string("instance ") + c.instance)) << report("", c.text);
    }
}

TEST_F(DbgReportTest, OpeningAppendsToWhatTheFileHolds) {
    WriteContent(report(), "earlier content\r\n");
    Run(Open() + Script{"line", "a.cpp", "1", "1", "new line"});
    const std::string text = ReadFileText(report());
    EXPECT_EQ(0u, text.find("earlier content\r\n"));
    const ReportFile file = ReadReport(report());
    EXPECT_NE(nullptr, file.Find("new line"));
}

struct AlternateCase {
    const char* tag;
    int processes;
    std::vector<std::string> suffixes; // of the files that processes 1, 2, ... write to
};

class DbgReportAlternate : public DbgReportTest, public ::testing::WithParamInterface<AlternateCase> {};

TEST_P(DbgReportAlternate, FurtherProcessesOfTheSameInstanceWriteToAlternateFiles) {
    const AlternateCase& c = GetParam();
    Script script;
    for (int p = 1; p <= c.processes; ++p) {
        script = script + Script{"open", "1", "1", "0x1F", "0", "0xFFFFFFFF", "1000", "3", "B", c.tag};
        script = script + Script{"line", "a.cpp", "1", "1", "process " + std::to_string(p)};
        if (p < c.processes) {
            script.push_back("spawn");
        }
    }
    Run(script);
    std::vector<unsigned long> pids;
    for (int p = 1; p <= c.processes; ++p) {
        const std::string path = report(c.suffixes[static_cast<size_t>(p - 1)]);
        const ReportFile file = ReadReport(path);
        SCOPED_TRACE(path);
        EXPECT_EQ(std::vector<std::string>{"process " + std::to_string(p)}, MessagesWith(file, "process "));
        ASSERT_FALSE(file.lines.empty());
        EXPECT_EQ(Banner("Start", file.lines.front().pid), file.lines.front().message);
        pids.push_back(file.lines.front().pid);
    }
    std::sort(pids.begin(), pids.end());
    EXPECT_EQ(pids.end(), std::unique(pids.begin(), pids.end())) << "one process per file";
    EXPECT_FALSE(FileExists(report(c.tag + std::string("_") + std::to_string(c.processes))));
}

INSTANTIATE_TEST_SUITE_P(Tags, DbgReportAlternate,
                         ::testing::Values(AlternateCase{"A", 2, {"", "_A001"}},
                                           AlternateCase{"", 2, {"", "_001"}},
                                           AlternateCase{"Alt", 3, {"", "_Alt001", "_Alt002"}}));

TEST_F(DbgReportTest, MissingDebugFolderLeavesTheReportClosed) {
    TempFolder logFolder;
    const std::string debug = logFolder.path() + "\\Debug";
    ASSERT_TRUE(Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Path", "Log Path",
                                         logFolder.path().c_str()));
    const std::string file = debug + "\\DbgReport_" + ExecutableBaseName() + "_Inst_001.log";
    Run(Script{"open", "0", "1", "0x1F", "0", "0xFFFFFFFF", "1000", "3", "B", "A", "line", "a.cpp", "1", "1",
               "dropped", "reconfigure", "0x1F", "0", "0xFFFFFFFF", "1000", "3", "absent", debug,
               // The folder appears later: the closed report still drops lines, a new open works.
               "mkdir", debug, "line", "a.cpp", "2", "1", "dropped too", "absent", file} +
        Script{"open", "1", "1", "0x1F", "0", "0xFFFFFFFF", "1000", "3", "B", "A", "line", "a.cpp", "3", "1",
               "written"});
    const ReportFile report = ReadReport(file);
    EXPECT_EQ(std::vector<std::string>{"written"}, MessagesWith(report, "written"));
    EXPECT_EQ(nullptr, report.Find("dropped"));
    EXPECT_EQ(nullptr, report.Find("dropped too"));
    ASSERT_FALSE(report.lines.empty());
    EXPECT_EQ(Banner("Start", report.lines.front().pid), report.lines.front().message);
}

TEST_F(DbgReportTest, SecondOpenWhileOpenChangesNothing) {
    Run(Open("0x01") + Script{"open", "0", "2", "0x1F", "0", "0", "0", "3", "C", "D"} +
        Script{"line", "a.cpp", "1", "3", "info dropped", "line", "a.cpp", "2", "1", "error kept"});
    const ReportFile file = ReadReport(report());
    EXPECT_NE(nullptr, file.Find("error kept"));
    EXPECT_EQ(nullptr, file.Find("info dropped"));
    EXPECT_FALSE(FileExists(report("", "002")));
    EXPECT_FALSE(FileExists(report("_C001"))) << "the limit of the second open was not taken";
    ASSERT_FALSE(file.lines.empty());
    EXPECT_EQ(1u, MessagesWith(file, Banner("Start", file.lines.front().pid)).size());
}

TEST_F(DbgReportTest, ReconfigureChangesTheMaskAndWritesItsBanner) {
    Run(Open("0x1F") + Script{"line", "a.cpp", "1", "3", "info before"} +
        Script{"reconfigure", "0x01", "0", "0xFFFFFFFF", "1000", "3"} +
        Script{"line", "a.cpp", "2", "3", "info after", "line", "a.cpp", "3", "1", "error after"});
    const ReportFile file = ReadReport(report());
    ASSERT_FALSE(file.lines.empty());
    const unsigned long pid = file.lines.front().pid;
    const std::vector<std::string> messages = file.Messages();
    const std::vector<std::string> expected = {Banner("Start", pid), "info before",
                                               Banner("Reconfigure", pid), "error after"};
    ASSERT_GE(messages.size(), expected.size());
    EXPECT_EQ(expected, std::vector<std::string>(messages.begin(), messages.begin() + 4));
}

TEST_F(DbgReportTest, ReconfigureBeforeOpeningOnlyStoresValues) {
    Run(Script{"reconfigure", "0x1F", "0", "0", "0", "3", "line", "a.cpp", "1", "1", "before open"} +
        Open("0x01") + Script{"line", "a.cpp", "2", "1", "after open"});
    const ReportFile file = ReadReport(report());
    EXPECT_EQ(nullptr, file.Find("before open"));
    EXPECT_NE(nullptr, file.Find("after open"));
    EXPECT_FALSE(FileExists(report("_B001"))) << "the open's own limit applies";
}

// ---------------------------------------------------------------------------------------------
// Rotation

struct LimitCase {
    size_t existing; // bytes in the report before opening
    const char* high;
    const char* low;
    bool rotated;
};

class DbgReportLimit : public DbgReportTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(DbgReportLimit, OpeningRotatesOnlyAFileLargerThanTheLimit) {
    const LimitCase& c = GetParam();
    std::string previous;
    while (previous.size() < c.existing) {
        previous += "previous line of an earlier session\r\n";
    }
    previous.resize(c.existing);
    WriteContent(report(), previous);
    WriteContent(report("_B001"), "old1");
    WriteContent(report("_B002"), "old2");
    WriteContent(report("_B003"), "old3");
    Run(Script{"open", "1", "1", "0x0F", c.high, c.low, "1000", "3", "B", "A"} + kSilence);

    const std::string text = ReadFileText(report());
    const ReportFile file = ReadReport(report());
    if (c.rotated) {
        EXPECT_EQ(previous, ReadFileText(report("_B001")));
        EXPECT_EQ("old1", ReadFileText(report("_B002")));
        EXPECT_EQ("old2", ReadFileText(report("_B003")));
        EXPECT_FALSE(FileExists(report("_B004")));
        ASSERT_FALSE(file.lines.empty());
        EXPECT_EQ(0u, text.find(file.lines.front().time)) << "the report starts anew";
        EXPECT_EQ(Banner("Start", file.lines.front().pid), file.lines.front().message);
        EXPECT_TRUE(file.unparsed.empty());
    } else {
        EXPECT_EQ(0u, text.find(previous));
        EXPECT_EQ("old1", ReadFileText(report("_B001")));
        EXPECT_EQ("old3", ReadFileText(report("_B003")));
    }
}

INSTANTIATE_TEST_SUITE_P(Boundaries, DbgReportLimit,
                         ::testing::Values(LimitCase{1000, "0", "1000", false},
                                           LimitCase{1000, "0", "999", true},
                                           LimitCase{1000, "1", "0", false},
                                           LimitCase{1000, "1", "999", false}, LimitCase{1, "0", "0", true},
                                           LimitCase{0, "0", "0", false},
                                           LimitCase{2000, "0", "0xFFFFFFFF", false}));

TEST_F(DbgReportTest, NumberedBackupsShiftAndTheOldestIsLost) {
    // Checked after every line: each rotation happens as soon as the file exceeds 500 bytes.
    Run(Script{"open", "1", "1", "0x0F", "0", "500", "0", "3", "B", "A", "lines", "60", "1", "n"} + kSilence);
    EXPECT_FALSE(FileExists(report("_B004")));
    std::vector<std::string> numbers;
    for (const char* suffix : {"_B003", "_B002", "_B001", ""}) {
        SCOPED_TRACE(suffix);
        const ReportFile file = ReadReport(report(suffix));
        EXPECT_TRUE(file.unparsed.empty());
        ASSERT_FALSE(file.lines.empty());
        EXPECT_EQ("\r\n", file.text.substr(file.text.size() - 2));
        if (*suffix != '\0') {
            EXPECT_GT(file.text.size(), 500u);
            const size_t lastLine = file.text.rfind("\r\n", file.text.size() - 3);
            EXPECT_LE(lastLine + 2, 500u) << "rotated right after the line that crossed the limit";
        } else {
            EXPECT_LE(file.text.size(), 500u);
        }
        for (const std::string& message : MessagesWith(file, "n ")) {
            numbers.push_back(message);
        }
    }
    // The four files hold the last lines, in order and without a gap.
    ASSERT_GE(numbers.size(), 12u);
    const int first = std::stoi(numbers.front().substr(2));
    EXPECT_GT(first, 1) << "the earliest lines went with the lost backups";
    for (size_t i = 0; i < numbers.size(); ++i) {
        EXPECT_EQ(Numbered("n", first + static_cast<int>(i)), numbers[i]);
    }
    EXPECT_EQ("n 60", numbers.back());
}

TEST_F(DbgReportTest, TimeStampedBackupWhenTheBackupCountIs0) {
    const std::string previous(2000, 'p');
    WriteContent(report(), previous);
    SYSTEMTIME before;
    GetLocalTime(&before);
    Run(Script{"open", "1", "1", "0x0F", "0", "1000", "1000", "0", "B", "A"} + kSilence);
    SYSTEMTIME after;
    GetLocalTime(&after);
    const std::map<std::string, std::string> backups = TimeStampedBackups();
    ASSERT_EQ(1u, backups.size());
    EXPECT_EQ(previous, backups.begin()->second);
    EXPECT_FALSE(FileExists(report("_B001")));
    char earliest[16];
    char latest[16];
    _snprintf(earliest, sizeof earliest, "%02d%02d_%02d%02d%02d", before.wMonth, before.wDay, before.wHour,
              before.wMinute, before.wSecond);
    _snprintf(latest, sizeof latest, "%02d%02d_%02d%02d%02d", after.wMonth, after.wDay, after.wHour,
              after.wMinute, after.wSecond);
    if (before.wYear == after.wYear) {
        EXPECT_LE(std::string(earliest), backups.begin()->first);
        EXPECT_LE(backups.begin()->first, std::string(latest));
    }
    const ReportFile file = ReadReport(report());
    ASSERT_FALSE(file.lines.empty());
    EXPECT_EQ(Banner("Start", file.lines.front().pid), file.lines.front().message);
}

TEST_F(DbgReportTest, TwoRotationsInOneSecondShareOneTimeStampedBackup) {
    // Limit 0 and a check after every line: each line rotates the report on its own.
    const ChildResult child = RunChild(
        "report", Script{"open", "1", "1", "0x0F", "0", "0", "0", "0", "B", "A", "samesecond", "50"});
    ASSERT_TRUE(child.finished);
    ASSERT_GT(child.exitCode, static_cast<DWORD>(kSameSecondBase)) << "no pair of lines within one second";
    const int pair = static_cast<int>(child.exitCode) - kSameSecondBase;
    const std::map<std::string, std::string> backups = TimeStampedBackups();
    ASSERT_FALSE(backups.empty());
    int holdingB = 0;
    for (const auto& [stamp, content] : backups) {
        SCOPED_TRACE(stamp);
        const ReportFile file = ReadReport(report("_" + stamp));
        EXPECT_EQ(1u, file.lines.size()) << "each backup holds the one line of its rotation";
        EXPECT_EQ(nullptr, file.Find(Numbered("A", pair))) << "overwritten by the next rotation";
        holdingB += file.Find(Numbered("B", pair)) != nullptr;
    }
    EXPECT_EQ(1, holdingB);
    EXPECT_EQ("", ReadFileText(report()));
}

struct IntervalCase {
    int interval;
    int lines;
};

class DbgReportInterval : public DbgReportTest, public ::testing::WithParamInterface<IntervalCase> {};

TEST_P(DbgReportInterval, SizeIsCheckedAfterEveryIntervalPlusOneWrittenLines) {
    // Limit 0: every check rotates. Lines of a level the mask drops do not count.
    const IntervalCase& c = GetParam();
    Run(Script{"open", "1", "1", "0x0F", "0", "0", std::to_string(c.interval), "50", "R", "A", "interleaved",
               std::to_string(c.lines), "n"} +
        kSilence);
    // The written lines are the Start banner and n 1 ... n <lines>; chunks of interval + 1 go to
    // the backups, the rest stays in the report.
    std::vector<std::string> written = {"<start>"};
    for (int n = 1; n <= c.lines; ++n) {
        written.push_back(Numbered("n", n));
    }
    const size_t chunk = static_cast<size_t>(c.interval) + 1;
    const size_t backups = written.size() / chunk;
    char suffix[16];
    _snprintf(suffix, sizeof suffix, "_R%03d", static_cast<int>(backups + 1));
    EXPECT_FALSE(FileExists(report(suffix)));
    for (size_t b = 0; b <= backups; ++b) {
        // Oldest first: the backup with the highest number holds the first chunk.
        std::string path = report();
        if (b < backups) {
            _snprintf(suffix, sizeof suffix, "_R%03d", static_cast<int>(backups - b));
            path = report(suffix);
        }
        SCOPED_TRACE(path);
        const ReportFile file = ReadReport(path);
        std::vector<std::string> messages = file.Messages();
        for (std::string& message : messages) {
            if (message.find("] Start ===") != std::string::npos) {
                message = "<start>";
            }
        }
        const size_t begin = b * chunk;
        const size_t end = std::min(begin + chunk, written.size());
        EXPECT_EQ(std::vector<std::string>(written.begin() + static_cast<std::ptrdiff_t>(begin),
                                           written.begin() + static_cast<std::ptrdiff_t>(end)),
                  messages);
    }
}

INSTANTIATE_TEST_SUITE_P(Intervals, DbgReportInterval,
                         ::testing::Values(IntervalCase{0, 5}, IntervalCase{9, 34}, IntervalCase{3, 11},
                                           IntervalCase{1, 2}));

TEST_F(DbgReportTest, ReconfiguringToAShorterIntervalShortensTheCountdownAtOnce) {
    // Interval 1000: after the Start banner and 199 lines, 800 lines are left in the countdown.
    // With interval 5 the banner of the reconfiguration and five more lines come before the next
    // check, which rotates (limit 0).
    Run(Script{"open", "1", "1", "0x0F", "0", "0", "1000", "10", "R", "A", "lines", "199", "3", "n"} +
        Script{"reconfigure", "0x0F", "0", "0", "5", "10", "lines", "10", "3", "r"} + kSilence);
    EXPECT_FALSE(FileExists(report("_R002")));
    const ReportFile backup = ReadReport(report("_R001"));
    ASSERT_FALSE(backup.lines.empty());
    const unsigned long pid = backup.lines.front().pid;
    std::vector<std::string> expected = {Banner("Start", pid)};
    for (int n = 1; n <= 199; ++n) {
        expected.push_back(Numbered("n", n));
    }
    expected.push_back(Banner("Reconfigure", pid));
    for (int n = 1; n <= 5; ++n) {
        expected.push_back(Numbered("r", n));
    }
    EXPECT_EQ(expected, backup.Messages());
    const std::vector<std::string> rest = {"r 6", "r 7", "r 8", "r 9", "r 10"};
    EXPECT_EQ(rest, ReadReport(report()).Messages());
}

// ---------------------------------------------------------------------------------------------
// Threads

TEST_F(DbgReportTest, FourThreadsWriteWholeLinesInTimeOrder) {
    constexpr int kThreads = 4;
    constexpr int kLines = 10000;
    // Rotations on the way (numbered, enough to keep every line) must not split a line either, nor
    // must reconfigurations from a further thread.
    Run(Script{"open", "1", "1", "0x0F", "0", "262144", "99", "40", "T", "A", "threads",
               std::to_string(kThreads), std::to_string(kLines), "100"} +
        kSilence);
    std::vector<std::string> paths;
    for (int b = 40; b >= 1; --b) {
        char suffix[16];
        _snprintf(suffix, sizeof suffix, "_T%03d", b);
        if (FileExists(report(suffix))) {
            paths.push_back(report(suffix));
        }
    }
    EXPECT_LT(paths.size(), 40u) << "every backup kept";
    EXPECT_GE(paths.size(), 2u) << "the report rotated on the way";
    paths.push_back(report());

    int next[kThreads + 1] = {0, 1, 1, 1, 1};
    std::string lastTime;
    size_t bad = 0;
    int reconfigured = 0;
    for (const std::string& path : paths) {
        const ReportFile file = ReadReport(path);
        ASSERT_GE(file.text.size(), 2u) << path;
        EXPECT_EQ("\r\n", file.text.substr(file.text.size() - 2)) << path;
        bad += file.unparsed.size();
        for (const ReportLine& line : file.lines) {
            if (line.banner) {
                reconfigured += line.message.find("] Reconfigure ===") != std::string::npos ? 1 : 0;
                continue;
            }
            EXPECT_LE(lastTime, line.time) << "time stamps follow the order of the file";
            lastTime = line.time;
            int thread = 0;
            int n = 0;
            if (std::sscanf(line.message.c_str(), "T%d %d", &thread, &n) != 2 || thread < 1 ||
                thread > kThreads || n != next[thread]) {
                ++bad;
                continue;
            }
            char field[16];
            _snprintf(field, sizeof field, "%5d", n);
            field[sizeof field - 1] = '\0';
            if (line.number != field || line.source != "thread.cpp" || line.tag != "INF") {
                ++bad;
            }
            ++next[thread];
        }
    }
    EXPECT_EQ(0u, bad);
    EXPECT_EQ(100, reconfigured);
    for (int k = 1; k <= kThreads; ++k) {
        EXPECT_EQ(kLines + 1, next[k]) << "thread " << k;
    }
}

// ---------------------------------------------------------------------------------------------
// The opens through the set-up component

std::string StandInPath() {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path(self, length < sizeof self ? length : 0);
    return path.substr(0, path.find_last_of("\\/") + 1) + "OVSDbgReportSetup.dll";
}

// These run in this process. The product tree is reset, so there is no "Log Path" and the
// component's own attempt to open the report fails here: this process's report stays closed.
class DbgReportComponent : public RegistryTest {
protected:
    static void SetUpTestSuite() {
        s_module = LoadLibraryA(StandInPath().c_str());
        if (s_module != nullptr) {
            s_counters = reinterpret_cast<DbgReportSetupCountersFn>(
                reinterpret_cast<void*>(GetProcAddress(s_module, "DbgReportSetupCounters")));
        }
    }

    void SetUp() override {
        RegistryTest::SetUp();
        ASSERT_NE(nullptr, s_module) << StandInPath();
        ASSERT_NE(nullptr, s_counters);
        ASSERT_EQ(S_OK, Call("DllRegisterServer"));
        SetEnvironmentVariableA("OVS_DBGREPORTSETUP_FAIL", nullptr);
    }
    void TearDown() override {
        SetEnvironmentVariableA("OVS_DBGREPORTSETUP_FAIL", nullptr);
        Call("DllRegisterServer");
        RegistryTest::TearDown();
    }

    static HRESULT Call(const char* function) { return ovs::test::CallServerFunction(s_module, function); }

    static DbgReportSetupCounts Counts() {
        DbgReportSetupCounts counts = {};
        s_counters(&counts);
        return counts;
    }

    // Runs the call on a thread of its own whose component library state is set up as asked
    // (-1: not initialised), and returns the failure code of the error it raised, or S_OK. Also
    // tells whether the thread's component library was left as the call found it.
    struct Outcome {
        HRESULT raised = S_OK;
        bool balanced = false;
    };
    static Outcome OnThread(void (*call)(DWORD, DWORD), int apartment) {
        Outcome outcome;
        std::thread worker([&outcome, call, apartment] {
            const bool initialised =
                apartment >= 0 && SUCCEEDED(CoInitializeEx(nullptr, static_cast<DWORD>(apartment)));
            try {
                call(0, 0);
            } catch (const _com_error& error) {
                outcome.raised = error.Error();
            } catch (...) {
                outcome.raised = E_UNEXPECTED;
            }
            // An uninitialised thread still is; an initialised one needs exactly one end.
            const HRESULT again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            if (apartment < 0) {
                outcome.balanced = again == S_OK;
            } else if (apartment == COINIT_APARTMENTTHREADED) {
                outcome.balanced = again == S_FALSE;
            } else {
                outcome.balanced = again == RPC_E_CHANGED_MODE;
            }
            if (SUCCEEDED(again)) {
                CoUninitialize();
            }
            if (initialised) {
                CoUninitialize();
            }
        });
        worker.join();
        return outcome;
    }

    static HMODULE s_module;
    static DbgReportSetupCountersFn s_counters;
};

HMODULE DbgReportComponent::s_module = nullptr;
DbgReportSetupCountersFn DbgReportComponent::s_counters = nullptr;

TEST_F(DbgReportComponent, CreatesRunsAsksAndCallsTheComponentThenReleasesIt) {
    const DbgReportSetupCounts before = Counts();
    const Outcome outcome = OnThread(Tool_InitDbgReport, -1);
    EXPECT_EQ(S_OK, outcome.raised);
    EXPECT_TRUE(outcome.balanced) << "the component library is ended again";
    const DbgReportSetupCounts after = Counts();
    EXPECT_EQ(before.created + 1, after.created);
    EXPECT_EQ(before.runs + 1, after.runs);
    EXPECT_EQ(before.operations + 1, after.operations);
    EXPECT_EQ(0, after.liveObjects) << "every reference released";
}

TEST_F(DbgReportComponent, WithoutCoInitializeUsesTheCallersApartment) {
    for (int apartment :
         {static_cast<int>(COINIT_APARTMENTTHREADED), static_cast<int>(COINIT_MULTITHREADED)}) {
        SCOPED_TRACE(apartment);
        const DbgReportSetupCounts before = Counts();
        const Outcome outcome = OnThread(Tool_InitDbgReportWithoutCoInitialize, apartment);
        EXPECT_EQ(S_OK, outcome.raised);
        EXPECT_TRUE(outcome.balanced);
        const DbgReportSetupCounts after = Counts();
        EXPECT_EQ(before.operations + 1, after.operations);
        EXPECT_EQ(0, after.liveObjects);
    }
}

TEST_F(DbgReportComponent, WithoutCoInitializeOnAnUninitialisedThreadRaisesTheFailure) {
    const DbgReportSetupCounts before = Counts();
    const Outcome outcome = OnThread(Tool_InitDbgReportWithoutCoInitialize, -1);
    EXPECT_EQ(CO_E_NOTINITIALIZED, outcome.raised);
    EXPECT_TRUE(outcome.balanced);
    EXPECT_EQ(before.created, Counts().created);
}

TEST_F(DbgReportComponent, ThreadInTheOtherApartmentKindDoesNothing) {
    // The thread is in the multithreaded apartment, so the single-threaded start fails.
    const DbgReportSetupCounts before = Counts();
    const Outcome outcome = OnThread(Tool_InitDbgReport, COINIT_MULTITHREADED);
    EXPECT_EQ(S_OK, outcome.raised);
    EXPECT_TRUE(outcome.balanced);
    EXPECT_EQ(before.created, Counts().created);
}

TEST_F(DbgReportComponent, MissingComponentRaisesClassNotRegistered) {
    ASSERT_EQ(S_OK, Call("DllUnregisterServer"));
    for (auto call : {Tool_InitDbgReport, Tool_InitDbgReportWithoutCoInitialize}) {
        const Outcome outcome = OnThread(call, call == Tool_InitDbgReport ? -1 : COINIT_APARTMENTTHREADED);
        EXPECT_EQ(REGDB_E_CLASSNOTREG, outcome.raised);
        EXPECT_TRUE(outcome.balanced);
    }
}

struct FailureCase {
    const char* behaviour;
    HRESULT raised; // S_OK: the call ends quietly
    bool created;   // an object was made
    bool operation; // its operation was called
};

class DbgReportComponentFailure : public DbgReportComponent,
                                  public ::testing::WithParamInterface<FailureCase> {};

TEST_P(DbgReportComponentFailure, RaisesOrEndsQuietlyAndReleasesWhatItGot) {
    const FailureCase& c = GetParam();
    SetEnvironmentVariableA("OVS_DBGREPORTSETUP_FAIL", c.behaviour);
    for (auto call : {Tool_InitDbgReport, Tool_InitDbgReportWithoutCoInitialize}) {
        SCOPED_TRACE(call == Tool_InitDbgReport ? "Tool_InitDbgReport"
                                                : "Tool_InitDbgReportWithoutCoInitialize");
        const DbgReportSetupCounts before = Counts();
        const Outcome outcome = OnThread(call, call == Tool_InitDbgReport ? -1 : COINIT_APARTMENTTHREADED);
        const DbgReportSetupCounts after = Counts();
        EXPECT_EQ(c.raised, outcome.raised);
        EXPECT_TRUE(outcome.balanced);
        EXPECT_EQ(before.created + (c.created ? 1 : 0), after.created);
        EXPECT_EQ(before.operations + (c.operation ? 1 : 0), after.operations);
        EXPECT_EQ(0, after.liveObjects) << "released on every road";
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, DbgReportComponentFailure,
                         ::testing::Values(FailureCase{"create=80004005", E_FAIL, false, false},
                                           FailureCase{"create=8007000E", E_OUTOFMEMORY, false, false},
                                           FailureCase{"run=80004004", E_ABORT, true, false},
                                           FailureCase{"query=80004002", S_OK, true, false},
                                           FailureCase{"query=8000FFFF", E_UNEXPECTED, true, false},
                                           FailureCase{"querynull", S_OK, true, false}));

class DbgReportComponentReport : public DbgReportTest {
protected:
    void SetUp() override {
        DbgReportTest::SetUp();
        m_module = LoadLibraryA(StandInPath().c_str());
        ASSERT_NE(nullptr, m_module);
        ASSERT_EQ(S_OK, ovs::test::CallServerFunction(m_module, "DllRegisterServer"));
    }
    void TearDown() override {
        if (m_module != nullptr) {
            FreeLibrary(m_module);
        }
        DbgReportTest::TearDown();
    }

private:
    HMODULE m_module = nullptr;
};

TEST_F(DbgReportComponentReport, TheComponentsOperationOpensTheReportOfTheCallingProcess) {
    Run(Script{"component", "line", "a.cpp", "1", "1", "after the component"});
    const ReportFile file = ReadReport(report());
    ASSERT_FALSE(file.lines.empty());
    EXPECT_EQ(Banner("Start", file.lines.front().pid), file.lines.front().message);
    EXPECT_NE(nullptr, file.Find("after the component"));
}

} // namespace
