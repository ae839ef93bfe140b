#include "watched_program.h"

#include <psapi.h>

#include <string>

namespace ovs::manager {

namespace {

// The job object's memory limit is not enforced everywhere, so the usage is also polled.
constexpr DWORD kMemoryPollMs = 100;
constexpr UINT kExitOutOfMemory = ERROR_NOT_ENOUGH_MEMORY;
constexpr UINT kExitLifeTimeOver = WAIT_TIMEOUT;

HANDLE OpenEndEvent(const std::string& name) {
    return name.empty() ? nullptr : OpenEventA(EVENT_MODIFY_STATE, FALSE, name.c_str());
}

HANDLE MemoryJob(SIZE_T limit) {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (job == nullptr) {
        return nullptr;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY;
    limits.ProcessMemoryLimit = limit;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

} // namespace

bool WatchedProgram::Start(const LaunchRequest& request, bool signalEnd) {
    m_signalEnd = signalEnd;
    m_exit.reset(OpenEndEvent(request.exitEvent));
    m_timeout.reset(OpenEndEvent(request.timeoutEvent));
    if (!m_exit || (!request.timeoutEvent.empty() && !m_timeout)) {
        return false;
    }
    std::string commandLine = "\"" + request.fileName + "\"";
    if (!request.arguments.empty()) {
        commandLine += " " + request.arguments;
    }
    std::wstring environment;
    DWORD flags = CREATE_SUSPENDED;
    if (!request.environment.empty()) {
        environment = MergedEnvironment(request.environment);
        flags |= CREATE_UNICODE_ENVIRONMENT;
    }
    if (request.noWindow) {
        flags |= CREATE_NO_WINDOW;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(request.fileName.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags,
                        environment.empty() ? nullptr : environment.data(), nullptr, &startup, &process)) {
        return false;
    }
    m_process.reset(process.hProcess);
    unique_handle thread(process.hThread);
    if (request.hasLifeTime && request.virtualMemoryLimit > 0) {
        m_memoryLimit = static_cast<SIZE_T>(request.virtualMemoryLimit);
        m_job.reset(MemoryJob(m_memoryLimit));
        if (m_job) {
            AssignProcessToJobObject(m_job.get(), m_process.get());
        }
    }
    if (request.hasLifeTime && request.lifeTime > 0) {
        m_deadline = GetTickCount64() + static_cast<ULONGLONG>(request.lifeTime);
        m_forceTerminate = request.forceTerminate;
    }
    ResumeThread(thread.get());
    return true;
}

void WatchedProgram::Ended() {
    if (m_signalEnd) {
        SetEvent(m_exit.get());
    }
}

bool WatchedProgram::Check(ULONGLONG now) {
    if (m_memoryLimit > 0) {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(m_process.get(), &counters, sizeof counters) &&
            counters.PagefileUsage > m_memoryLimit) {
            // Ended as the job limit would end it; its end is reported as any other end.
            TerminateProcess(m_process.get(), kExitOutOfMemory);
            m_memoryLimit = 0;
        }
    }
    if (m_deadline == 0 || now < m_deadline) {
        return false;
    }
    if (m_forceTerminate) {
        TerminateProcess(m_process.get(), kExitLifeTimeOver);
    }
    if (m_signalEnd && m_timeout) {
        SetEvent(m_timeout.get());
    }
    return true;
}

DWORD WatchedProgram::NextCheck(ULONGLONG now) const {
    DWORD next = m_memoryLimit > 0 ? kMemoryPollMs : INFINITE;
    if (m_deadline != 0) {
        const ULONGLONG left = m_deadline > now ? m_deadline - now : 0;
        next = left < next ? static_cast<DWORD>(left) : next;
    }
    return next;
}

} // namespace ovs::manager
