// Throughput of the debug report against the bare file writes it is built on.
//
// Both sides write lines of the same length to a file opened with the same flags: the report
// through Tool_DbgReport at the DBG level, the raw side through a loop of WriteFile calls with a
// line composed once beforehand. The two sides take turns in short samples over many rounds; each
// round gives one ratio of report to raw, and the median of those ratios is reported, so that the
// load of other programs on the machine, which changes more slowly than a round, cancels out.
#include "OVSTools2.h"
#include "bench_support.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr char kPathSubKey[] = "Path";
constexpr char kLogPathValue[] = "Log Path";
constexpr char kBenchFolder[] = "ovs_dbgreport_bench";
constexpr char kRawFileName[] = "raw_writefile.log";
constexpr char kMessageFormat[] = "Tool_BenchTarget --> dwLine=%08lu nValue=%d szState=%s";
constexpr char kMessageState[] = "acquiring";
constexpr int kMessageValue = 4711;
constexpr int kRounds = 31;
constexpr DWORD kSampleMilliseconds = 60;
constexpr DWORD kNoRotation = 0xFFFFFFFF; // size limit words and check interval

struct Folders {
    std::string log;   // the value written as "Log Path"
    std::string debug; // where the report and the raw file live
};

std::string TempFolder() {
    char buffer[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof buffer, buffer);
    std::string folder(buffer, length > 0 && length < sizeof buffer ? length : 0);
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
        folder.pop_back();
    }
    return folder;
}

// Makes <temp>\ovs_dbgreport_bench\Debug and empties it of what an earlier run left behind.
Folders PrepareFolders() {
    Folders folders;
    folders.log = TempFolder() + "\\" + kBenchFolder;
    folders.debug = folders.log + "\\Debug";
    CreateDirectoryA(folders.log.c_str(), nullptr);
    CreateDirectoryA(folders.debug.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folders.debug + "\\*.log").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileA((folders.debug + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return folders;
}

// Points "Log Path" at the bench folder for as long as the report takes to open, then puts the
// former value back (or removes it when there was none).
bool OpenReport(const Folders& folders) {
    char former[MAX_PATH] = {};
    DWORD error = ERROR_SUCCESS;
    Tool_GetRegistryString(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, kPathSubKey, kLogPathValue, "",
                           former, sizeof former, &error);
    const bool hadValue = error == ERROR_SUCCESS;
    if (!Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, kPathSubKey,
                                  kLogPathValue, folders.log.c_str())) {
        std::printf("cannot write \"Log Path\"\n");
        return false;
    }
    const BOOL opened =
        Tool_InitDbgReportEx(1, OVS_DBGMASK_DBG, kNoRotation, kNoRotation, kNoRotation, 1, "B", "A");
    if (hadValue) {
        Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, kPathSubKey, kLogPathValue,
                                 former);
    } else {
        Tool_DeleteRegistryValue(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, kPathSubKey,
                                 kLogPathValue);
    }
    if (!opened) {
        std::printf("cannot open the debug report below %s\n", folders.debug.c_str());
    }
    return opened != FALSE;
}

HANDLE OpenRawFile(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

ULONGLONG FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The report file of this process: DbgReport_<exe>_Inst_001.log in the Debug folder.
std::string ReportFilePath(const Folders& folders) {
    char module[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    std::string name(module, length);
    name = name.substr(name.find_last_of("\\/") + 1);
    name = name.substr(0, name.find_last_of('.'));
    return folders.debug + "\\DbgReport_" + name + "_Inst_001.log";
}

// One DBG line as the report composes it for the calling thread, so that the raw side writes
// exactly as many bytes per line.
std::string ComposeRawLine(LPCSTR sourceFile, int sourceLine) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char message[256];
    std::snprintf(message, sizeof message, kMessageFormat, 0UL, kMessageValue, kMessageState);
    char line[512];
    const int length = std::snprintf(
        line, sizeof line, "%04d/%02d/%02d %02d:%02d:%02d.%03d\t[%lu:%lu]\t[DBG]\t%s(%5d)\t%s\r\n", now.wYear,
        now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, GetCurrentProcessId(),
        GetCurrentThreadId(), sourceFile, sourceLine, message);
    return std::string(line, static_cast<size_t>(length));
}

struct Sample {
    unsigned long long lines; // of all threads together
    double seconds;
    double rate() const { return static_cast<double>(lines) / seconds; }
};

// Runs body on each of threadCount threads for the sample time. body(stop) writes lines until stop
// is set and returns how many it wrote.
Sample Measure(int threadCount, const std::function<unsigned long(const std::atomic<bool>&)>& body) {
    std::atomic<bool> go{false};
    std::atomic<bool> stop{false};
    std::atomic<unsigned long long> lines{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < threadCount; ++i) {
        threads.emplace_back([&] {
            while (!go.load(std::memory_order_acquire)) {
                std::this_thread::yield();
            }
            lines += body(stop);
        });
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    go.store(true, std::memory_order_release);
    Sleep(kSampleMilliseconds);
    stop.store(true, std::memory_order_release);
    for (std::thread& thread : threads) {
        thread.join();
    }
    QueryPerformanceCounter(&end);
    return {lines.load(), static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart};
}

unsigned long ReportLines(const std::atomic<bool>& stop) {
    unsigned long count = 0;
    while (!stop.load(std::memory_order_relaxed)) {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_DBG, kMessageFormat, count, kMessageValue, kMessageState);
        ++count;
    }
    return count;
}

class RawWriter {
public:
    explicit RawWriter(HANDLE file) : m_file(file) { InitializeCriticalSection(&m_lock); }
    ~RawWriter() { DeleteCriticalSection(&m_lock); }
    RawWriter(const RawWriter&) = delete;
    RawWriter& operator=(const RawWriter&) = delete;

    // The lock stands for the report's: taken around every write when more threads share the file.
    unsigned long Lines(const std::atomic<bool>& stop, bool locked) {
        const std::string line = ComposeRawLine(__FILE__, __LINE__);
        const DWORD size = static_cast<DWORD>(line.size());
        unsigned long count = 0;
        while (!stop.load(std::memory_order_relaxed)) {
            DWORD done = 0;
            if (locked) {
                EnterCriticalSection(&m_lock);
            }
            WriteFile(m_file, line.data(), size, &done, nullptr);
            if (locked) {
                LeaveCriticalSection(&m_lock);
            }
            ++count;
        }
        return count;
    }

private:
    HANDLE m_file;
    CRITICAL_SECTION m_lock;
};

using ovs::bench::Median;

struct Case {
    const char* name;
    int threads;
    std::vector<double> report;
    std::vector<double> raw;
    std::vector<double> ratio; // of each round
};

} // namespace

int main() {
    const Folders folders = PrepareFolders();
    if (!OpenReport(folders)) {
        return 1;
    }
    const std::string reportPath = ReportFilePath(folders);
    const std::string rawPath = folders.debug + "\\" + kRawFileName;
    HANDLE rawFile = OpenRawFile(rawPath);
    if (rawFile == INVALID_HANDLE_VALUE) {
        std::printf("cannot open %s\n", rawPath.c_str());
        return 1;
    }
    LARGE_INTEGER zero = {};
    SetFilePointerEx(rawFile, zero, nullptr, FILE_END);
    RawWriter raw(rawFile);

    Case cases[] = {{"1 thread", 1, {}, {}, {}}, {"2 threads", 2, {}, {}, {}}};
    unsigned long long reportLines = 0;
    unsigned long long rawLines = 0;
    const ULONGLONG reportStart = FileSize(reportPath);
    const ULONGLONG rawStart = FileSize(rawPath);
    for (int round = 0; round < kRounds; ++round) {
        for (Case& c : cases) {
            const bool locked = c.threads > 1;
            auto runReport = [&] {
                const Sample sample = Measure(c.threads, ReportLines);
                c.report.push_back(sample.rate());
                reportLines += sample.lines;
            };
            auto runRaw = [&] {
                const Sample sample = Measure(
                    c.threads, [&](const std::atomic<bool>& stop) { return raw.Lines(stop, locked); });
                c.raw.push_back(sample.rate());
                rawLines += sample.lines;
            };
            // Alternate which side goes first so that neither always meets a warmer cache.
            if (round % 2 == 0) {
                runReport();
                runRaw();
            } else {
                runRaw();
                runReport();
            }
            c.ratio.push_back(c.report.back() / c.raw.back());
        }
    }
    const ULONGLONG reportBytes = FileSize(reportPath) - reportStart;
    const ULONGLONG rawBytes = FileSize(rawPath) - rawStart;
    CloseHandle(rawFile);
    DeleteFileA(rawPath.c_str());

    std::printf("debug report at level 4 (DBG) against WriteFile, %d rounds of %lu ms a side, medians\n",
                kRounds, kSampleMilliseconds);
    std::printf("line length: report %.1f bytes, raw %.1f bytes (growth of each file per line)\n",
                reportLines > 0 ? static_cast<double>(reportBytes) / reportLines : 0.0,
                rawLines > 0 ? static_cast<double>(rawBytes) / rawLines : 0.0);
    std::printf("%-10s  %16s  %16s  %7s\n", "case", "report lines/s", "raw lines/s", "ratio");
    bool reached = true;
    for (const Case& c : cases) {
        const double report = Median(c.report);
        const double rawRate = Median(c.raw);
        const double ratio = Median(c.ratio);
        reached = reached && ratio >= 0.9;
        std::printf("%-10s  %16.0f  %16.0f  %6.1f%%\n", c.name, report, rawRate, ratio * 100.0);
    }
    std::printf("target (report at least 90 %% of raw): %s\n", reached ? "reached" : "missed");
    std::printf("report file: %s\n", reportPath.c_str());
    return 0;
}
