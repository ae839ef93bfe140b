// One request of a requester, read from the Global or Local set of sections.
#pragma once

#include <windows.h>

#include <string>

namespace ovs::manager {

struct LaunchRequest {
    bool global = true;
    std::string fileName;
    std::string arguments;
    bool noWindow = false;
    std::string exitEvent;
    std::string timeoutEvent; // empty without a lifetime record
    bool hasLifeTime = false;
    int lifeTime = 0;
    int virtualMemoryLimit = 0;
    BOOL forceTerminate = FALSE;
    std::wstring environment; // "NAME=value" lines; empty without an environment section
    // Each section's bytes in hex, "G|L Name=hex ...", for the receipt.
    std::string receipt;
};

// False when a section that must be there is missing or its layout is broken.
bool ReadRequest(bool global, LaunchRequest& request);

// The manager's own environment with the request's lines laid over it, as a UTF-16 block.
std::wstring MergedEnvironment(const std::wstring& lines);

} // namespace ovs::manager
