// The launching-manager stand-in for tests and hosts: the program folder pointed at the build's
// binaries, the manager started with test switches, and stopped again.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ovs::test {

// The folder of this executable (the build's bin folder, where the stand-ins are).
std::string ExecutableFolder();

// Writes "Prog Path" of the product root so that programs of the program folder are taken from
// the folder of this executable.
void UseExecutableFolderAsProgramFolder();

// True while a launching manager holds its presence mutex.
bool LaunchingManagerRuns();

// Starts OVSLaunchingManager.exe with the switches (and "/IdleExit 20" unless they name one) and
// waits until it holds its presence mutex; false when it did not come up within 10 s.
bool StartLaunchingManager(const std::vector<std::string>& switches = {});

// Tells a running manager to end and waits until it has.
void StopLaunchingManager();

// Starts a manager for the scope of a test and stops it at the end.
class LaunchingManagerScope {
public:
    explicit LaunchingManagerScope(const std::vector<std::string>& switches = {}) {
        StopLaunchingManager();
        started = StartLaunchingManager(switches);
    }
    ~LaunchingManagerScope() { StopLaunchingManager(); }
    LaunchingManagerScope(const LaunchingManagerScope&) = delete;
    LaunchingManagerScope& operator=(const LaunchingManagerScope&) = delete;

    bool started;
};

} // namespace ovs::test
