// The client side of the launching manager: a request handed over through named sections and events
// under the machine-wide request lock, and the optional wait for the launched program's end.
#include "launch_sections.h"
#include "ovstoolexecute.h"
#include "ovstoollaunch.h"
#include "ovstooldbgreport.h"

#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kFunction[] = "Tool_CreateProcessWithLaunchingManager";
constexpr char kManagerFile[] = "OVSLaunchingManager.exe";
constexpr char kManagerPresence[] = "Global\\OVSLauncher_CheckDualBoot";
constexpr char kRequestLock[] = "Global\\OVSLauncher_PrepareLaunching";
constexpr char kNamespaceProbe[] = "Global\\OVSUserAnAdmin";
constexpr char kBeginGlobal[] = "Global\\OVSLauncher_BeginPrepareLaunchingG";
constexpr char kBeginLocal[] = "Global\\OVSLauncher_BeginPrepareLaunchingL";
constexpr char kPreparedOk[] = "Global\\OVSLauncher_EndPrepareLaunchingOK";
constexpr char kPreparedNg[] = "Global\\OVSLauncher_EndPrepareLaunchingNG";
constexpr char kGlobalPrefix[] = "Global\\";
constexpr char kLocalPrefix[] = "Local\\";
constexpr char kExitFormat[] = "Global\\%s";
constexpr char kTimeoutFormat[] = "Global\\Timeout%s";
constexpr char kNoWindowTrue[] = "NOWINDOW_TRUE";
constexpr char kNoWindowFalse[] = "NOWINDOW_FALSE";
constexpr char kFileNotFound[] = "Tool_CreateProcessWithLaunchingManager file not found %d";
constexpr char kStartAsSystem[] = "Start OVSLaunchingManager as SYSTEM.";
constexpr char kRestartFormat[] = "Restart OVSLaunchingManager.exe : [mode] %ld, %ld";
constexpr char kText119[] = "Tool_CreateProcessWithLaunchingManager:Timeout";
constexpr DWORD kPreparationWaitMs = 10000;
constexpr DWORD kLifeTimeSectionSize = 140;
constexpr int kUserStarts = 3;
constexpr DWORD kStartedSleepMs = 3000;
constexpr DWORD kFailedSleepMs = 500;
constexpr int kFatal = 0; // release-log kind
constexpr DWORD kResultEnded = 0;

// ファイル名がNULL
constexpr char kText101[] = "\x83t\x83@\x83"
                            "C\x83\x8B\x96\xBC\x82\xAANULL";
// ▲前処理終了イベント待機抜け-前処理失敗
constexpr char kText117[] =
    "\x81\xA3\x91O\x8F\x88\x97\x9D\x8FI\x97\xB9\x83"
    "C\x83x\x83\x93\x83g\x91\xD2\x8B@\x94\xB2\x82\xAF-\x91O\x8F\x88\x97\x9D\x8E\xB8\x94s";
// ▲前処理終了イベント待機抜け-不正
constexpr char kText118[] = "\x81\xA3\x91O\x8F\x88\x97\x9D\x8FI\x97\xB9\x83"
                            "C\x83x\x83\x93\x83g\x91\xD2\x8B@\x94\xB2\x82\xAF-\x95s\x90\xB3";
// ▲処理終了イベント待機抜け(TimeOut)
constexpr char kText120[] = "\x81\xA3\x8F\x88\x97\x9D\x8FI\x97\xB9\x83"
                            "C\x83x\x83\x93\x83g\x91\xD2\x8B@\x94\xB2\x82\xAF(TimeOut)";
// 処理終了イベント待機しない
constexpr char kText121[] = "\x8F\x88\x97\x9D\x8FI\x97\xB9\x83"
                            "C\x83x\x83\x93\x83g\x91\xD2\x8B@\x82\xB5\x82\xC8\x82\xA2";
// ▼ミューテックス取得待機
constexpr char kMutexWait[] = "\x81\xA5\x83~\x83\x85\x81[\x83"
                              "e\x83"
                              "b\x83N\x83X\x8E\xE6\x93\xBE\x91\xD2\x8B@";
// ▲ミューテックス取得待機抜け
constexpr char kMutexWaitLeft[] = "\x81\xA3\x83~\x83\x85\x81[\x83"
                                  "e\x83"
                                  "b\x83N\x83X\x8E\xE6\x93\xBE\x91\xD2\x8B@\x94\xB2\x82\xAF";
// [Global\～]のファイルマッピング名を使用します
constexpr char kUsingGlobalNames[] = "[Global\\\x81`]\x82\xCC\x83t\x83@\x83"
                                     "C\x83\x8B\x83}\x83"
                                     "b\x83s\x83\x93\x83O\x96\xBC\x82\xF0\x8Eg\x97p\x82\xB5\x82\xDC\x82\xB7";
// [Local\～]のファイルマッピング名を使用します
constexpr char kUsingLocalNames[] = "[Local\\\x81`]\x82\xCC\x83t\x83@\x83"
                                    "C\x83\x8B\x83}\x83"
                                    "b\x83s\x83\x93\x83O\x96\xBC\x82\xF0\x8Eg\x97p\x82\xB5\x82\xDC\x82\xB7";
// 前処理開始イベントをセット
constexpr char kSettingBegin[] = "\x91O\x8F\x88\x97\x9D\x8AJ\x8En\x83"
                                 "C\x83x\x83\x93\x83g\x82\xF0\x83Z\x83"
                                 "b\x83g";
// ▼前処理終了イベント待機
constexpr char kWaitingPreparation[] = "\x81\xA5\x91O\x8F\x88\x97\x9D\x8FI\x97\xB9\x83"
                                       "C\x83x\x83\x93\x83g\x91\xD2\x8B@";
// ▲前処理終了イベント待機抜け-タイムアウト
constexpr char kPreparationTimeout[] = "\x81\xA3\x91O\x8F\x88\x97\x9D\x8FI\x97\xB9\x83"
                                       "C\x83x\x83\x93\x83g\x91\xD2\x8B@\x94\xB2\x82\xAF-\x83^\x83"
                                       "C\x83\x80\x83"
                                       "A\x83"
                                       "E\x83g";
// ▲前処理終了イベント待機抜け-前処理成功
constexpr char kPreparationSucceeded[] =
    "\x81\xA3\x91O\x8F\x88\x97\x9D\x8FI\x97\xB9\x83"
    "C\x83x\x83\x93\x83g\x91\xD2\x8B@\x94\xB2\x82\xAF-\x91O\x8F\x88\x97\x9D\x90\xAC\x8C\xF7";
// ミューテックス解放
constexpr char kReleasingMutex[] = "\x83~\x83\x85\x81[\x83"
                                   "e\x83"
                                   "b\x83N\x83X\x89\xF0\x95\xFA";
// ▼処理終了イベント待機
constexpr char kWaitingEnd[] = "\x81\xA5\x8F\x88\x97\x9D\x8FI\x97\xB9\x83"
                               "C\x83x\x83\x93\x83g\x91\xD2\x8B@";
// ▲処理終了イベント待機(LaunchingManger TimeOut)
constexpr char kEndWaitRanOut[] = "\x81\xA3\x8F\x88\x97\x9D\x8FI\x97\xB9\x83"
                                  "C\x83x\x83\x93\x83g\x91\xD2\x8B@(LaunchingManger TimeOut)";
// ▲処理終了イベント待機抜け(プロセス 正常終了)
constexpr char kEndedNormally[] =
    "\x81\xA3\x8F\x88\x97\x9D\x8FI\x97\xB9\x83"
    "C\x83x\x83\x93\x83g\x91\xD2\x8B@\x94\xB2\x82\xAF(\x83v\x83\x8D\x83Z\x83X \x90\xB3\x8F\xED\x8FI\x97\xB9)";
// ▲処理終了イベント待機抜け(プロセス TimeOut)
constexpr char kEndTimedOut[] =
    "\x81\xA3\x8F\x88\x97\x9D\x8FI\x97\xB9\x83"
    "C\x83x\x83\x93\x83g\x91\xD2\x8B@\x94\xB2\x82\xAF(\x83v\x83\x8D\x83Z\x83X TimeOut)";
// ▲処理終了イベント待機異常終了
constexpr char kEndWaitAbnormal[] = "\x81\xA3\x8F\x88\x97\x9D\x8FI\x97\xB9\x83"
                                    "C\x83x\x83\x93\x83g\x91\xD2\x8B@\x88\xD9\x8F\xED\x8FI\x97\xB9";

// A section of the request: its name after the set's prefix and its two failure entries.
struct SectionSpec {
    const char* name;
    int createCode;
    const char* createText;
    const char* mapText;
};

constexpr SectionSpec kFileNameSection{"OVSLauncher_LaunchingFileName", 103,
                                       "Unable to create shared file(hMapLaunchingFileName)",
                                       "Unable to map shared file(pMapLaunchingFileName)"};
constexpr SectionSpec kArgumentsSection{"OVSLauncher_LaunchingArguments", 105,
                                        "Unable to create shared file(hMapLaunchingArguments)",
                                        "Unable to map shared file(pMapLaunchingArguments)"};
constexpr SectionSpec kNoWindowSection{"OVSLauncher_LaunchingNoWindow", 107,
                                       "Unable to create shared file(hMapLaunchingNoWindow)",
                                       "Unable to map shared file(pMapLaunchingNoWindow)"};
constexpr SectionSpec kExitSection{"OVSLauncher_LaunchingExit", 109,
                                   "Unable to create shared file(hMapLaunchingExit)",
                                   "Unable to map shared file(pMapLaunchingExit)"};
constexpr SectionSpec kTimeoutSection{"OVSLauncher_LaunchingTimeout", 111,
                                      "Unable to create shared file(hMapLaunchingTimeout)",
                                      "Unable to map shared file(pMapLaunchingTimeout)"};
constexpr SectionSpec kLifeTimeSection{"OVSLauncher_LaunchingLifeTimeData", 113,
                                       "Unable to create shared file(hMapLaunchingLifeTime)",
                                       "Unable to map shared file(pMapLaunchingLifeTime)"};
constexpr SectionSpec kEnvVarsSection{"OVSLauncher_LaunchingEnvVars", 115,
                                      "Unable to create shared file(hMapLaunchingEnvVars)",
                                      "Unable to map shared file(pMapLaunchingEnvVars)"};
// The release log keeps the create failure of the timeout-name section as it always stood, without
// the closing parenthesis that the debug line has.
constexpr char kTimeoutCreateReleaseText[] = "Unable to create shared file(hMapLaunchingTimeout";

const char* Flag(int value) {
    return value != 0 ? "TRUE" : "FALSE";
}

void Debug(int line, int level, const char* text) {
    Tool_DbgReport(__FILE__, line, level, "%s", text);
}

// Adds release-log entries when the caller passes a log; a disabled log refuses, which is ignored.
class Outcome {
public:
    explicit Outcome(COVSReleaseLog* log) : m_log(log) {}
    void Add(int code, const char* text) const {
        if (m_log != nullptr) {
            m_log->AddEntry(code, kFatal, text);
        }
    }

private:
    COVSReleaseLog* m_log;
};

// True when the manager runs; otherwise starts it in the given mode (1 as the console user, 2 with
// the caller's rights) and reports that it did not run yet.
bool ManagerRuns(long mode) {
    if (ovs::unique_handle presence(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kManagerPresence)); presence) {
        return true;
    }
    BOOL started = FALSE;
    if (mode == 1) {
        started = Tool_ExecuteApplicationAsLogonUser(kManagerFile, nullptr, nullptr, FALSE);
    } else {
        Debug(__LINE__, OVS_DBG_ERR, kStartAsSystem);
        started = Tool_ExecuteApplication(kManagerFile, nullptr, nullptr);
    }
    if (!started) {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_WRN, "    [E_FAIL] = [0x%08X]",
                       static_cast<unsigned>(E_FAIL));
    }
    Sleep(started ? kStartedSleepMs : kFailedSleepMs);
    Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_WRN, kRestartFormat, mode, static_cast<long>(started));
    return false;
}

void EnsureManager() {
    for (int attempt = 0; attempt < kUserStarts; ++attempt) {
        if (ManagerRuns(1)) {
            return;
        }
    }
    ManagerRuns(2);
}

std::string NewRequestIdentifier() {
    GUID guid = {};
    CoCreateGuid(&guid);
    wchar_t wide[40] = {};
    StringFromGUID2(guid, wide, 40);
    char narrow[40] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

std::string Formatted(const char* format, const std::string& identifier) {
    char text[64];
    std::snprintf(text, sizeof text, format, identifier.c_str());
    return text;
}

HANDLE NewEvent(const char* name) {
    HANDLE event = Tool_CreateKernelObject(FALSE, name, OVS_KERNEL_EVENT, 0, 0);
    return event == INVALID_HANDLE_VALUE ? nullptr : event;
}

// The sections of one request, written in the order the manager expects them.
class RequestSections {
public:
    RequestSections(const char* prefix, const Outcome& outcome) : m_prefix(prefix), m_outcome(outcome) {}

    bool Text(const SectionSpec& section, const std::string& text) {
        return Bytes(section, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    bool Bytes(const SectionSpec& section, const void* bytes, DWORD length) {
        return Check(section, ovs::launch::WriteLengthPrefixed(Next(), Name(section).c_str(), bytes, length));
    }
    bool LifeTime(const OVS_LIFETIME& record) {
        ovs::launch::MappedSection& section = Next();
        if (!Check(kLifeTimeSection, ovs::launch::CreateZeroedSection(section, Name(kLifeTimeSection).c_str(),
                                                                      kLifeTimeSectionSize))) {
            return false;
        }
        const int fields[] = {record.nLifeTime, record.nVirtualMemoryLimit, record.bForceTerminate};
        std::memcpy(section.view.get(), fields, sizeof fields);
        return true;
    }

private:
    std::string Name(const SectionSpec& section) const { return m_prefix + section.name; }
    ovs::launch::MappedSection& Next() { return m_sections.emplace_back(); }

    bool Check(const SectionSpec& section, ovs::launch::SectionStep step) {
        if (step == ovs::launch::SectionStep::create) {
            Debug(__LINE__, OVS_DBG_ERR, section.createText);
            m_outcome.Add(section.createCode,
                          &section == &kTimeoutSection ? kTimeoutCreateReleaseText : section.createText);
        } else if (step == ovs::launch::SectionStep::map) {
            Debug(__LINE__, OVS_DBG_ERR, section.mapText);
            m_outcome.Add(section.createCode + 1, section.mapText);
        }
        return step == ovs::launch::SectionStep::done;
    }

    std::string m_prefix;
    const Outcome& m_outcome;
    std::vector<ovs::launch::MappedSection> m_sections;
};

// The end wait: three lifetimes, computed without overflow and kept below INFINITE; no limit when
// the lifetime is negative.
DWORD EndWaitMs(int lifeTime) {
    if (lifeTime < 0) {
        return INFINITE;
    }
    const long long wait = 3LL * lifeTime;
    return wait > 0xFFFFFFFELL ? 0xFFFFFFFEu : static_cast<DWORD>(wait);
}

void WaitForEnd(OVS_LIFETIME& record, HANDLE ended, HANDLE timedOut, const Outcome& outcome) {
    Debug(__LINE__, OVS_DBG_DBG, kWaitingEnd);
    const HANDLE events[] = {ended, timedOut};
    switch (WaitForMultipleObjects(2, events, FALSE, EndWaitMs(record.nLifeTime))) {
        case WAIT_OBJECT_0:
            Debug(__LINE__, OVS_DBG_DBG, kEndedNormally);
            record.dwResult = kResultEnded;
            break;
        case WAIT_OBJECT_0 + 1:
            Debug(__LINE__, OVS_DBG_DBG, kEndTimedOut);
            record.dwResult = WAIT_TIMEOUT;
            outcome.Add(120, kText120);
            break;
        case WAIT_TIMEOUT:
            Debug(__LINE__, OVS_DBG_DBG, kEndWaitRanOut);
            record.dwResult = WAIT_TIMEOUT;
            outcome.Add(119, kText119);
            break;
        default:
            Debug(__LINE__, OVS_DBG_DBG, kEndWaitAbnormal);
            break;
    }
}

// Steps under the request lock: the sections, the hand-over and the manager's answer. The sections
// are gone when this returns.
bool HandOver(LPCSTR fileName, const std::string& arguments, const std::string& windowMode,
              const std::string& identifier, const OVS_LIFETIME* lifeTime, LPCSTR envVars,
              const Outcome& outcome, ovs::unique_handle& ended, ovs::unique_handle& timedOut) {
    const bool global = [] {
        ovs::unique_handle probe(
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1, kNamespaceProbe));
        return static_cast<bool>(probe);
    }();
    Debug(__LINE__, OVS_DBG_DBG, global ? kUsingGlobalNames : kUsingLocalNames);
    ovs::unique_handle begin(NewEvent(global ? kBeginGlobal : kBeginLocal));
    ovs::unique_handle ok(NewEvent(kPreparedOk));
    ovs::unique_handle ng(NewEvent(kPreparedNg));

    RequestSections sections(global ? kGlobalPrefix : kLocalPrefix, outcome);
    const std::string exitName = Formatted(kExitFormat, identifier);
    const std::string timeoutName = Formatted(kTimeoutFormat, identifier);
    bool written = sections.Text(kFileNameSection, fileName) && sections.Text(kArgumentsSection, arguments) &&
                   sections.Text(kNoWindowSection, windowMode) && sections.Text(kExitSection, exitName);
    if (written && lifeTime != nullptr) {
        written = sections.Text(kTimeoutSection, timeoutName) && sections.LifeTime(*lifeTime);
    }
    if (written && envVars != nullptr) {
        const std::wstring wide = ovs::launch::WideText(envVars);
        written =
            sections.Bytes(kEnvVarsSection, wide.data(), static_cast<DWORD>(wide.size() * sizeof(wchar_t)));
    }
    if (!written) {
        return false;
    }
    ended.reset(NewEvent(exitName.c_str()));
    // Without a lifetime record no one signals the timeout, so it needs no name.
    timedOut.reset(NewEvent(lifeTime != nullptr ? timeoutName.c_str() : nullptr));

    Debug(__LINE__, OVS_DBG_DBG, kSettingBegin);
    SetEvent(begin.get());
    begin.reset();

    Debug(__LINE__, OVS_DBG_DBG, kWaitingPreparation);
    const HANDLE answers[] = {ok.get(), ng.get()};
    bool prepared = false;
    switch (WaitForMultipleObjects(2, answers, FALSE, kPreparationWaitMs)) {
        case WAIT_OBJECT_0:
            Debug(__LINE__, OVS_DBG_DBG, kPreparationSucceeded);
            prepared = true;
            break;
        case WAIT_OBJECT_0 + 1:
            Debug(__LINE__, OVS_DBG_DBG, kText117);
            outcome.Add(117, kText117);
            break;
        case WAIT_TIMEOUT:
            Debug(__LINE__, OVS_DBG_DBG, kPreparationTimeout);
            break;
        default:
            Debug(__LINE__, OVS_DBG_DBG, kText118);
            outcome.Add(118, kText118);
            break;
    }
    ResetEvent(ok.get());
    ResetEvent(ng.get());
    return prepared;
}

} // namespace

BOOL Tool_CreateProcessWithLaunchingManager(LPCSTR szFileName, LPCSTR szArguments, BOOL bNoWindow,
                                            OVS_LIFETIME* pLifeTime, LPCSTR szEnvVars,
                                            COVSReleaseLog* pReleaseLog) {
    const char* const null = "(null)";
    Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_DBG, "    [szFileName] = [%s]",
                   szFileName ? szFileName : null);
    Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_DBG, "    [szArguments] = [%s]",
                   szArguments ? szArguments : null);
    Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_DBG, "    [bNoWindow] = [%s:%d]", Flag(bNoWindow), bNoWindow);
    if (pLifeTime != nullptr) {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_DBG, "    [pLifeTime->nLifeTime] = [%s:%d]",
                       Flag(pLifeTime->nLifeTime), pLifeTime->nLifeTime);
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_DBG, "    [pLifeTime->nVirtualMemoryLimit] = [%s:%d]",
                       Flag(pLifeTime->nVirtualMemoryLimit), pLifeTime->nVirtualMemoryLimit);
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_DBG, "    [pLifeTime->bForceTerminate] = [%s:%d]",
                       Flag(pLifeTime->bForceTerminate), pLifeTime->bForceTerminate);
    }
    const Outcome outcome(pReleaseLog);
    if (szFileName == nullptr) {
        outcome.Add(101, kText101);
        return FALSE;
    }
    {
        WIN32_FIND_DATAA found;
        ovs::unique_find search(FindFirstFileA(szFileName, &found));
        if (!search) {
            char text[100];
            std::snprintf(text, sizeof text, kFileNotFound, static_cast<int>(GetLastError()));
            Debug(__LINE__, OVS_DBG_ERR, text);
            outcome.Add(102, text);
            return FALSE;
        }
    }
    EnsureManager();

    const std::string arguments = szArguments != nullptr ? szArguments : "";
    const std::string windowMode = bNoWindow ? kNoWindowTrue : kNoWindowFalse;
    const std::string identifier = NewRequestIdentifier();

    ovs::unique_handle lock(CreateMutexA(nullptr, FALSE, kRequestLock));
    Debug(__LINE__, OVS_DBG_DBG, kMutexWait);
    // An owner that died while holding the lock leaves it abandoned, which still hands it over.
    WaitForSingleObject(lock.get(), INFINITE);
    Debug(__LINE__, OVS_DBG_DBG, kMutexWaitLeft);
    ovs::unique_handle ended;
    ovs::unique_handle timedOut;
    const bool prepared = HandOver(szFileName, arguments, windowMode, identifier, pLifeTime, szEnvVars,
                                   outcome, ended, timedOut);
    Debug(__LINE__, OVS_DBG_DBG, kReleasingMutex);
    ReleaseMutex(lock.get());
    lock.reset();

    if (prepared && pLifeTime != nullptr && pLifeTime->nLifeTime != 0) {
        WaitForEnd(*pLifeTime, ended.get(), timedOut.get(), outcome);
    } else {
        Debug(__LINE__, OVS_DBG_DBG, kText121);
        outcome.Add(121, kText121);
    }
    if (ended) {
        ResetEvent(ended.get());
    }
    if (timedOut) {
        ResetEvent(timedOut.get());
    }
    return prepared ? TRUE : FALSE;
}
