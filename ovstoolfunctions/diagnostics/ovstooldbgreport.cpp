// The per-process debug report: opening, writing lines under the report lock, reconfiguration and
// the component-created opens.
#include "ovstooldbgreport.h"
#include "ovsreg.h"
#include "dbgreport_file.h"
#include "dbgreport_line.h"
#include "module_state.h"

#include <comdef.h>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <string>

using namespace ovs::dbgreport;

namespace {

constexpr char kStartBanner[] = "========================= Session [%d] Start ==============================";
constexpr char kReconfigureBanner[] =
    "========================= Session [%d] Reconfigure ==============================";
constexpr char kTooLong[] = "!!!!!Message is too long!!!!!";
constexpr int kMaxAlternates = 999;

const CLSID kSetupComponent = {0x3A5292F5, 0x8789, 0x4A44, {0x87, 0x44, 0x1B, 0x2B, 0x33, 0x60, 0x13, 0x01}};
const IID kSetupInterface = {0x3A5292F6, 0x8789, 0x4A44, {0x87, 0x44, 0x1B, 0x2B, 0x33, 0x60, 0x13, 0x01}};

} // namespace

namespace ovs::dbgreport {
// The set-up component's interface: one operation after the three lifetime ones. Declared with
// external linkage: in an unnamed namespace the compiler sees no implementation in this file and
// may turn the call into a call to nothing.
struct IDbgReportSetup : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE InitDbgReport() = 0;
};
} // namespace ovs::dbgreport

namespace {

struct ReportState {
    // Written once, when the report opens; read before the lock.
    std::atomic<HANDLE> file{nullptr};
    std::atomic<DWORD> levelMask{0};
    std::atomic<DWORD> checkInterval{0};
    std::atomic<DWORD> countdown{0};
    std::atomic<bool> countdownStarted{false};
    ReportClock clock; // used under the report lock
    std::string path;
    RotationSettings rotation{0, 0, std::string()};
    std::string alternateTag;
};

ReportState g_report;

bool IsOpen(HANDLE file) {
    return file != nullptr && file != INVALID_HANDLE_VALUE;
}

bool LevelEnabled(int level, DWORD mask) {
    switch (level) {
        case OVS_DBG_BANNER:
            return mask != 0;
        case OVS_DBG_ERR:
            return (mask & OVS_DBGMASK_ERR) != 0;
        case OVS_DBG_WRN:
            return (mask & OVS_DBGMASK_WRN) != 0;
        case OVS_DBG_INF:
            return (mask & OVS_DBGMASK_INF) != 0;
        case OVS_DBG_DBG:
            return (mask & OVS_DBGMASK_DBG) != 0;
        case OVS_DBG_TMG:
            return (mask & OVS_DBGMASK_TMG) != 0;
        default:
            return false;
    }
}

HANDLE OpenReportFile(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

void StoreRotation(DWORD limitHigh, DWORD limitLow, DWORD backupCount) {
    g_report.rotation.limit = (static_cast<ULONGLONG>(limitHigh) << 32) | limitLow;
    g_report.rotation.backupCount = backupCount;
}

// Writes one line. The message and everything that does not depend on the moment are composed
// before the lock, so that threads format side by side; the time stamp, the write and the countdown
// are done under it, so lines stay whole and in the order of their time stamps.
void Report(HANDLE file, LPCSTR sourceFile, int line, int level, LPCSTR format, va_list args) {
    if (!g_report.countdownStarted.load(std::memory_order_acquire)) {
        ovs::ReportLock lock;
        if (!g_report.countdownStarted.load(std::memory_order_relaxed)) {
            g_report.countdown = g_report.checkInterval.load();
            g_report.countdownStarted.store(true, std::memory_order_release);
        }
    }
    // A smaller interval set by reconfiguration takes effect at once.
    const DWORD interval = g_report.checkInterval;
    DWORD current = g_report.countdown;
    while (current > interval && !g_report.countdown.compare_exchange_weak(current, interval)) {
    }
    if (!LevelEnabled(level, g_report.levelMask)) {
        return;
    }
    ReportLine text(level, sourceFile, line, format != nullptr ? format : "", args);

    ovs::ReportLock lock;
    DWORD done = 0;
    if (text.Stamp(g_report.clock)) {
        WriteFile(file, text.Text(), static_cast<DWORD>(text.Length()), &done, nullptr);
    } else {
        WriteFile(file, kTooLong, sizeof kTooLong - 1, &done, nullptr);
    }
    if (g_report.countdown == 0) {
        CheckSizeAndRotate(file, g_report.path, g_report.rotation);
        g_report.countdown = g_report.checkInterval.load();
    } else {
        --g_report.countdown;
    }
}

void WriteBanner(LPCSTR format) {
    Tool_DbgReport(nullptr, 0, OVS_DBG_BANNER, format, static_cast<int>(GetCurrentProcessId()));
}

void CallSetupComponent() {
    ovs::com_ptr<IUnknown> unknown;
    HRESULT hr = CoCreateInstance(kSetupComponent, nullptr, CLSCTX_ALL, IID_IUnknown, unknown.put_void());
    if (FAILED(hr)) {
        throw _com_error(hr);
    }
    hr = OleRun(unknown.get());
    if (FAILED(hr)) {
        throw _com_error(hr);
    }
    ovs::com_ptr<IDbgReportSetup> setup;
    hr = unknown->QueryInterface(kSetupInterface, setup.put_void());
    unknown.reset();
    if (hr == E_NOINTERFACE || (SUCCEEDED(hr) && !setup)) {
        return;
    }
    if (FAILED(hr)) {
        throw _com_error(hr);
    }
    setup->InitDbgReport();
}

// Pairs the component library's start and end on this thread, also when the call throws.
class ComScope {
public:
    ComScope() : m_started(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (m_started) {
            CoUninitialize();
        }
    }
    bool started() const { return m_started; }

private:
    bool m_started;
};

} // namespace

BOOL Tool_InitDbgReportEx(int nInstance, DWORD dwLevelMask, DWORD dwLimitHigh, DWORD dwLimitLow,
                          DWORD dwCheckInterval, DWORD dwBackupCount, LPCSTR szBackupTag,
                          LPCSTR szAlternateTag) {
    if (IsOpen(g_report.file)) {
        return FALSE;
    }
    ovs::ReportLock lock;
    if (IsOpen(g_report.file)) {
        return FALSE;
    }
    g_report.levelMask = dwLevelMask;
    StoreRotation(dwLimitHigh, dwLimitLow, dwBackupCount);
    g_report.rotation.backupTag = szBackupTag != nullptr ? szBackupTag : "";
    g_report.alternateTag = szAlternateTag != nullptr ? szAlternateTag : "";
    g_report.checkInterval = dwCheckInterval;

    const std::string exeName = ExecutableName();
    if (exeName.empty()) {
        return FALSE;
    }
    const std::string base = ReportBaseName(LogPath(), exeName, nInstance);
    g_report.path = base + ".log";
    HANDLE file = OpenReportFile(g_report.path);
    for (int counter = 1; file == INVALID_HANDLE_VALUE && counter <= kMaxAlternates; ++counter) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%03d", counter);
        const std::string alternate = base + "_" + g_report.alternateTag + suffix + ".log";
        file = OpenReportFile(alternate);
        if (file != INVALID_HANDLE_VALUE) {
            g_report.path = alternate;
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    LARGE_INTEGER end = {};
    SetFilePointerEx(file, end, nullptr, FILE_END);
    g_report.file = file; // stays open for the life of the process
    CheckSizeAndRotate(file, g_report.path, g_report.rotation);
    WriteBanner(kStartBanner);
    return TRUE;
}

BOOL Tool_ReconfigureDbgReport(DWORD dwLevelMask, DWORD dwLimitHigh, DWORD dwLimitLow, DWORD dwCheckInterval,
                               DWORD dwBackupCount) {
    {
        ovs::ReportLock lock;
        g_report.levelMask = dwLevelMask;
        StoreRotation(dwLimitHigh, dwLimitLow, dwBackupCount);
        g_report.checkInterval = dwCheckInterval;
        WriteBanner(kReconfigureBanner);
    }
    return TRUE;
}

void Tool_DbgReport(LPCSTR szSourceFile, int nLine, int nLevel, LPCSTR szFormat, ...) {
    HANDLE file = g_report.file;
    if (!IsOpen(file)) {
        return;
    }
    va_list args;
    va_start(args, szFormat);
    Report(file, szSourceFile, nLine, nLevel, szFormat, args);
    va_end(args);
}

void Tool_InitDbgReport(DWORD, DWORD) {
    ComScope com;
    if (com.started()) {
        CallSetupComponent();
    }
}

void Tool_InitDbgReportWithoutCoInitialize(DWORD, DWORD) {
    CallSetupComponent();
}
