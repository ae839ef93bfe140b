// The launching manager: holds the presence mutex and the request events, takes each request over
// from its sections, starts the program and watches it.
//
// Switches for tests (the library passes none):
//   /NoAnswer        take requests but answer neither OK nor NG
//   /AnswerNG        answer every request with NG
//   /NoEndSignal     start programs but never signal their end or timeout
//   /Receipt <file>  append one line per request read: G or L, then each section as Name=hex bytes
//   /IdleExit <s>    end after s seconds without requests or programs (default 30)
//   /Stop            tell the running manager to end, and wait until it has
#include "launch_request.h"
#include "unique_resource.h"
#include "watched_program.h"

#include <sddl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr char kPresence[] = "Global\\OVSLauncher_CheckDualBoot";
constexpr char kBeginGlobal[] = "Global\\OVSLauncher_BeginPrepareLaunchingG";
constexpr char kBeginLocal[] = "Global\\OVSLauncher_BeginPrepareLaunchingL";
constexpr char kPreparedOk[] = "Global\\OVSLauncher_EndPrepareLaunchingOK";
constexpr char kPreparedNg[] = "Global\\OVSLauncher_EndPrepareLaunchingNG";
// The stand-in's own stop request; not part of the protocol.
constexpr char kStop[] = "Global\\OVSLauncher_StandInStop";
constexpr char kEveryoneAllAccess[] = "D:(A;;GA;;;WD)";
constexpr DWORD kDefaultIdleSeconds = 30;
constexpr DWORD kStopWaitMs = 10000;
constexpr DWORD kStopPollMs = 50;
constexpr size_t kFixedHandles = 3; // stop, begin G, begin L

struct Options {
    bool noAnswer = false;
    bool answerNg = false;
    bool noEndSignal = false;
    bool stop = false;
    std::string receipt;
    DWORD idleMs = kDefaultIdleSeconds * 1000;
};

Options ParseOptions() {
    Options options;
    for (int i = 1; i < __argc; ++i) {
        const std::string arg = __argv[i];
        const bool hasValue = i + 1 < __argc;
        if (_stricmp(arg.c_str(), "/NoAnswer") == 0) {
            options.noAnswer = true;
        } else if (_stricmp(arg.c_str(), "/AnswerNG") == 0) {
            options.answerNg = true;
        } else if (_stricmp(arg.c_str(), "/NoEndSignal") == 0) {
            options.noEndSignal = true;
        } else if (_stricmp(arg.c_str(), "/Stop") == 0) {
            options.stop = true;
        } else if (_stricmp(arg.c_str(), "/Receipt") == 0 && hasValue) {
            options.receipt = __argv[++i];
        } else if (_stricmp(arg.c_str(), "/IdleExit") == 0 && hasValue) {
            options.idleMs = static_cast<DWORD>(std::strtoul(__argv[++i], nullptr, 10)) * 1000;
        }
    }
    return options;
}

// Objects that every user may open, so that requesters of other sessions and rights reach them.
class EveryoneSecurity {
public:
    EveryoneSecurity() {
        ConvertStringSecurityDescriptorToSecurityDescriptorA(kEveryoneAllAccess, SDDL_REVISION_1,
                                                             &m_descriptor, nullptr);
        m_attributes = {sizeof m_attributes, m_descriptor, FALSE};
    }
    ~EveryoneSecurity() { LocalFree(m_descriptor); }
    EveryoneSecurity(const EveryoneSecurity&) = delete;
    EveryoneSecurity& operator=(const EveryoneSecurity&) = delete;
    SECURITY_ATTRIBUTES* get() { return &m_attributes; }

private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
    SECURITY_ATTRIBUTES m_attributes = {};
};

void AppendReceipt(const std::string& file, const std::string& line) {
    ovs::unique_hfile out(CreateFileA(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

int StopRunningManager() {
    ovs::unique_handle stop(OpenEventA(EVENT_MODIFY_STATE, FALSE, kStop));
    if (!stop) {
        return 0;
    }
    SetEvent(stop.get());
    for (DWORD waited = 0; waited < kStopWaitMs; waited += kStopPollMs) {
        ovs::unique_handle presence(OpenMutexA(SYNCHRONIZE, FALSE, kPresence));
        if (!presence) {
            return 0;
        }
        Sleep(kStopPollMs);
    }
    return 1;
}

class Manager {
public:
    explicit Manager(const Options& options) : m_options(options) {}

    // False when another manager runs already.
    bool Open() {
        m_presence.reset(CreateMutexA(m_security.get(), FALSE, kPresence));
        if (!m_presence || GetLastError() == ERROR_ALREADY_EXISTS) {
            return false;
        }
        m_stop.reset(CreateEventA(m_security.get(), TRUE, FALSE, kStop));
        m_beginGlobal.reset(CreateEventA(m_security.get(), TRUE, FALSE, kBeginGlobal));
        m_beginLocal.reset(CreateEventA(m_security.get(), TRUE, FALSE, kBeginLocal));
        m_ok.reset(CreateEventA(m_security.get(), TRUE, FALSE, kPreparedOk));
        m_ng.reset(CreateEventA(m_security.get(), TRUE, FALSE, kPreparedNg));
        return m_stop && m_beginGlobal && m_beginLocal && m_ok && m_ng;
    }

    void Run() {
        ULONGLONG lastActivity = GetTickCount64();
        for (;;) {
            std::vector<HANDLE> handles = {m_stop.get(), m_beginGlobal.get(), m_beginLocal.get()};
            const ULONGLONG now = GetTickCount64();
            DWORD wait = INFINITE;
            for (const auto& program : m_programs) {
                handles.push_back(program->Process());
                wait = std::min(wait, program->NextCheck(now));
            }
            if (m_programs.empty()) {
                const ULONGLONG idle = now - lastActivity;
                if (idle >= m_options.idleMs) {
                    return;
                }
                wait = static_cast<DWORD>(m_options.idleMs - idle);
            }
            const DWORD signalled =
                WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, wait);
            if (signalled == WAIT_OBJECT_0) {
                return;
            }
            if (signalled == WAIT_OBJECT_0 + 1 || signalled == WAIT_OBJECT_0 + 2) {
                TakeRequest(signalled == WAIT_OBJECT_0 + 1);
            } else if (signalled >= WAIT_OBJECT_0 + kFixedHandles &&
                       signalled < WAIT_OBJECT_0 + handles.size()) {
                const size_t index = signalled - WAIT_OBJECT_0 - kFixedHandles;
                m_programs[index]->Ended();
                m_programs.erase(m_programs.begin() + static_cast<std::ptrdiff_t>(index));
            }
            const ULONGLONG later = GetTickCount64();
            std::erase_if(m_programs, [later](const auto& program) { return program->Check(later); });
            lastActivity = later;
        }
    }

private:
    void TakeRequest(bool global) {
        ResetEvent(global ? m_beginGlobal.get() : m_beginLocal.get());
        ovs::manager::LaunchRequest request;
        const bool read = ovs::manager::ReadRequest(global, request);
        if (!m_options.receipt.empty()) {
            AppendReceipt(m_options.receipt, request.receipt);
        }
        if (m_options.noAnswer) {
            return;
        }
        bool started = false;
        if (read && !m_options.answerNg && m_programs.size() + kFixedHandles < MAXIMUM_WAIT_OBJECTS) {
            auto program = std::make_unique<ovs::manager::WatchedProgram>();
            started = program->Start(request, !m_options.noEndSignal);
            if (started) {
                m_programs.push_back(std::move(program));
            }
        }
        SetEvent(started ? m_ok.get() : m_ng.get());
    }

    Options m_options;
    EveryoneSecurity m_security;
    ovs::unique_handle m_presence;
    ovs::unique_handle m_stop;
    ovs::unique_handle m_beginGlobal;
    ovs::unique_handle m_beginLocal;
    ovs::unique_handle m_ok;
    ovs::unique_handle m_ng;
    std::vector<std::unique_ptr<ovs::manager::WatchedProgram>> m_programs;
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const Options options = ParseOptions();
    if (options.stop) {
        return StopRunningManager();
    }
    Manager manager(options);
    if (!manager.Open()) {
        return 0;
    }
    manager.Run();
    return 0;
}
