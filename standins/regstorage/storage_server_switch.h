// For hosts that install the storage server themselves (test support, benchmark, demo): runs
// OVSRegStorageServer.exe from the host's own folder with a switch ("/RegServer", "/UnregServer"),
// and names the event that ends a running server in order.
#pragma once

#include "unique_resource.h"

#include <windows.h>

#include <string>

namespace regstorage {

constexpr char kStopEventName[] = "OVSRegStorageServer_Stop";

// The server's path beside the running executable.
inline std::string ServerPathBesideHost() {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string path(self, length < MAX_PATH ? length : 0);
    return path.substr(0, path.find_last_of('\\') + 1) + "OVSRegStorageServer.exe";
}

// True when the server ran and succeeded within timeoutMs.
inline bool RunServerSwitch(const char* serverSwitch, DWORD timeoutMs = 30000) {
    std::string commandLine = "\"" + ServerPathBesideHost() + "\" " + serverSwitch;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    const ovs::unique_handle owner(process.hProcess);
    DWORD exitCode = 1;
    return WaitForSingleObject(owner.get(), timeoutMs) == WAIT_OBJECT_0 &&
           GetExitCodeProcess(owner.get(), &exitCode) && exitCode == 0;
}

} // namespace regstorage
