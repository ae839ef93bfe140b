#include "launching_manager_support.h"
#include "test_support.h"
#include "ovsreg.h"
#include "unique_resource.h"

namespace ovs::test {

namespace {

constexpr char kManagerFile[] = "OVSLaunchingManager.exe";
constexpr char kPresence[] = "Global\\OVSLauncher_CheckDualBoot";
constexpr DWORD kStartWaitMs = 10000;
constexpr DWORD kPollMs = 50;
constexpr DWORD kStopWaitMs = 15000;

// Runs the manager with a command line; waits for its end when asked to.
bool RunManager(const std::string& arguments, bool wait) {
    std::string commandLine = "\"" + ExecutableFolder() + "\\" + kManagerFile + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    if (wait) {
        WaitForSingleObject(process.hProcess, kStopWaitMs);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

} // namespace

void UseExecutableFolderAsProgramFolder() {
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Prog Path",
                             ExecutableFolder().c_str());
}

bool LaunchingManagerRuns() {
    const ovs::unique_handle presence(OpenMutexA(SYNCHRONIZE, FALSE, kPresence));
    return static_cast<bool>(presence);
}

bool StartLaunchingManager(const std::vector<std::string>& switches) {
    std::string arguments;
    bool idleExitGiven = false;
    for (const std::string& word : switches) {
        arguments += " \"" + word + "\"";
        idleExitGiven = idleExitGiven || _stricmp(word.c_str(), "/IdleExit") == 0;
    }
    if (!idleExitGiven) {
        arguments += " /IdleExit 20";
    }
    if (!RunManager(arguments, false)) {
        return false;
    }
    for (DWORD waited = 0; waited < kStartWaitMs; waited += kPollMs) {
        if (LaunchingManagerRuns()) {
            return true;
        }
        Sleep(kPollMs);
    }
    return false;
}

void StopLaunchingManager() {
    if (LaunchingManagerRuns()) {
        RunManager("/Stop", true);
    }
}

} // namespace ovs::test
