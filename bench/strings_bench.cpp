// Tool_Find and Tool_ReverseFind on a 1 MiB double-byte text against strchr and strrchr of the
// same buffer.
//
// The text mixes single-byte characters with double-byte ones of code page 932, many of them with
// a trail byte equal to "\". The searched character is a single byte that occurs once, at the end
// for the forward search and at the start for the backward one, so that every side reads the whole
// buffer. The sides take turns over many rounds; the median of the per-round ratios is reported.
//
// The lead bytes are those of the process code page. Under Wine that page comes from the Unix
// locale, so a process that does not run in code page 932 starts itself again in a Japanese locale.
#include "OVSTools2.h"
#include "bench_support.h"
#include "unique_resource.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t kTextBytes = 1 << 20;
constexpr int kRounds = 31;
constexpr int kRepeats = 8; // searches per sample and side
constexpr char kWanted = '|';
constexpr char kInCodePageSwitch[] = "--in-code-page";
constexpr DWORD kChildTimeoutMs = 600000;

// Single-byte characters, and double-byte ones whose trail byte is never the searched byte.
std::string MakeText(char wantedAt, size_t wantedPosition) {
    static const unsigned char kDoubleBytes[][2] = {{0x83, 0x5C}, {0x95, 0x5C}, {0x88, 0xEA}, {0x82, 0xA0},
                                                    {0x8E, 0x9E}, {0x94, 0x5C}, {0x83, 0x41}, {0x93, 0xFA}};
    static const char kSingleBytes[] = "abcXYZ019 .,-_\\/:()";
    std::mt19937 random(1206);
    std::string text;
    text.reserve(kTextBytes + 2);
    while (text.size() < kTextBytes - 2) {
        if (random() % 2 == 0) {
            const auto& pair = kDoubleBytes[random() % std::size(kDoubleBytes)];
            text.push_back(static_cast<char>(pair[0]));
            text.push_back(static_cast<char>(pair[1]));
        } else {
            text.push_back(kSingleBytes[random() % (sizeof kSingleBytes - 1)]);
        }
    }
    text.insert(text.begin() + static_cast<std::ptrdiff_t>(std::min(wantedPosition, text.size())), wantedAt);
    return text;
}

using ovs::bench::Median;
using ovs::bench::Time;

volatile long long g_sink; // keeps the results alive

struct Figures {
    double ours;     // seconds per search, median round
    double baseline; // seconds per search, median round
    double ratio;    // median of the per-round ratios
};

template <typename Ours, typename Baseline>
Figures Measure(Ours ours, Baseline baseline) {
    std::vector<double> ratios;
    std::vector<double> oursTimes;
    std::vector<double> baselineTimes;
    for (int round = 0; round < kRounds; ++round) {
        const double baselineTime = Time([&] {
            for (int i = 0; i < kRepeats; ++i) {
                g_sink = g_sink + baseline();
            }
        });
        const double oursTime = Time([&] {
            for (int i = 0; i < kRepeats; ++i) {
                g_sink = g_sink + ours();
            }
        });
        ratios.push_back(oursTime / baselineTime);
        oursTimes.push_back(oursTime / kRepeats);
        baselineTimes.push_back(baselineTime / kRepeats);
    }
    return {Median(oursTimes), Median(baselineTimes), Median(ratios)};
}

void PrintRow(const char* name, const Figures& figures) {
    std::printf("%-22s %10.1f %12.1f %9.2fx\n", name, figures.ours * 1e6, figures.baseline * 1e6,
                figures.ratio);
}

bool RunsUnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// Runs this program again through Wine with a Japanese Unix locale. A program started that way does
// not share this console, so it writes its figures to a file that is printed here, and signals an
// event when done (the handle of a process started through a Unix program does not wait for it).
int RunInCodePage932() {
    char self[MAX_PATH];
    char folder[MAX_PATH];
    char figures[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || GetTempPathA(MAX_PATH, folder) == 0 ||
        GetTempFileNameA(folder, "ovs", 0, figures) == 0) {
        return 1;
    }
    const std::string eventName = "Local\\ovs-strings-bench-" + std::to_string(GetCurrentProcessId());
    const ovs::unique_handle done(CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
    if (!done) {
        return 1;
    }
    std::string command = std::string("/usr/bin/env LC_ALL=ja_JP.UTF-8 wine \"") + self + "\" " +
                          kInCodePageSwitch + " \"" + figures + "\" " + eventName;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::printf("cannot start %s\n", command.c_str());
        return 1;
    }
    const ovs::unique_handle processHandle(process.hProcess);
    const ovs::unique_handle threadHandle(process.hThread);
    if (WaitForSingleObject(done.get(), kChildTimeoutMs) != WAIT_OBJECT_0) {
        std::printf("the search in code page 932 did not finish\n");
        return 1;
    }
    if (FILE* file = std::fopen(figures, "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, file) != nullptr) {
            std::fputs(line, stdout);
        }
        std::fclose(file);
    }
    DeleteFileA(figures);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool relaunched = argc > 3 && std::strcmp(argv[1], kInCodePageSwitch) == 0;
    if (relaunched && std::freopen(argv[2], "w", stdout) == nullptr) {
        return 1;
    }
    if (GetACP() != 932 && RunsUnderWine() && !relaunched) {
        return RunInCodePage932();
    }
    std::printf("double-byte search over %zu bytes, code page %u, median of %d rounds\n", kTextBytes,
                GetACP(), kRounds);
    std::printf("%-22s %10s %12s %10s\n", "operation", "ours us", "baseline us", "ratio");

    const std::string atEnd = MakeText(kWanted, kTextBytes);
    const CString forward(atEnd.c_str());
    PrintRow(
        "Tool_Find / strchr",
        Measure([&] { return static_cast<long long>(Tool_Find(forward, kWanted)); },
                [&] { return static_cast<long long>(std::strchr(atEnd.c_str(), kWanted) - atEnd.c_str()); }));

    const std::string atStart = MakeText(kWanted, 0);
    const CString backward(atStart.c_str());
    PrintRow("Tool_ReverseFind / strrchr",
             Measure([&] { return static_cast<long long>(Tool_ReverseFind(backward, kWanted)); },
                     [&] {
                         return static_cast<long long>(std::strrchr(atStart.c_str(), kWanted) -
                                                       atStart.c_str());
                     }));
    std::fflush(stdout);
    if (relaunched) {
        std::fclose(stdout);
        const ovs::unique_handle done(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]));
        SetEvent(done.get());
    }
    return 0;
}
