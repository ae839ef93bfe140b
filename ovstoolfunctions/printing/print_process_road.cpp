#include "print_process_road.h"

#include "ovstoollaunch.h"
#include "ovstoolprint.h"
#include "unique_resource.h"

namespace ovs::printing {

namespace {

// Path and tail each fit in 260 bytes, so the line fits in twice that.
constexpr size_t kCommandLineRoom = 2 * MAX_PATH;
constexpr DWORD kWaitRoundMs = 500;
constexpr int kNoLimit = -1;
constexpr UINT kHungExitCode = static_cast<UINT>(E_FAIL);

// Only paint messages are taken: the caller's other messages stay queued for its own loop.
void ServePaintMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
}

} // namespace

HRESULT RunDirect(const std::string& path, const std::string& tail, int hangTimeoutMs) {
    char commandLine[kCommandLineRoom] = {};
    const std::string line = path + tail;
    if (line.size() >= sizeof commandLine) {
        return OVS_E_PRINT_NOT_STARTED;
    }
    line.copy(commandLine, line.size());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr,
                        nullptr, &startup, &process)) {
        return OVS_E_PRINT_NOT_STARTED;
    }
    const unique_handle processHandle(process.hProcess);
    const unique_handle threadHandle(process.hThread);
    HRESULT result = S_OK;
    for (int elapsedMs = 0;;) {
        ServePaintMessages();
        if (WaitForSingleObject(process.hProcess, kWaitRoundMs) != WAIT_TIMEOUT) {
            break;
        }
        if (hangTimeoutMs == kNoLimit) {
            continue;
        }
        elapsedMs += kWaitRoundMs;
        if (elapsedMs >= hangTimeoutMs) {
            TerminateProcess(process.hProcess, kHungExitCode);
            result = OVS_E_PRINT_HUNG;
            break;
        }
    }
    return result;
}

HRESULT RunThroughManager(const std::string& path, const std::string& tail, int hangTimeoutMs,
                          int memoryLimit) {
    OVS_LIFETIME lifetime = {hangTimeoutMs, memoryLimit, TRUE, 0};
    if (!Tool_CreateProcessWithLaunchingManager(path.c_str(), tail.c_str(), FALSE, &lifetime, nullptr,
                                                nullptr)) {
        return OVS_E_PRINT_NOT_STARTED;
    }
    return lifetime.dwResult == WAIT_TIMEOUT ? OVS_E_PRINT_HUNG : S_OK;
}

} // namespace ovs::printing
