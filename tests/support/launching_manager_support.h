// The launching-manager stand-in for tests: the program folder pointed at the build's binaries, the
// manager started with test switches and stopped again.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ovs::test {

// "Prog Path" of the product root set to that folder.
void UseExecutableFolderAsProgramFolder();

bool LaunchingManagerRuns();
// Starts OVSLaunchingManager.exe with the switches ("/IdleExit 20" unless they name one); false when
// it does not hold its presence mutex within 10 s.
bool StartLaunchingManager(const std::vector<std::string>& switches = {});
// Tells a running manager to end and waits until it has.
void StopLaunchingManager();

// A manager for the scope of a test.
struct LaunchingManagerScope {
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
