// The two ways of running the print process: started and waited for here, or handed to the
// launching manager.
#pragma once

#include <windows.h>

#include <string>

namespace ovs::printing {

// Starts "path + tail" (unquoted, as one command line) and waits for its end, serving the calling
// thread's paint messages meanwhile; kills it after hangTimeoutMs (-1: no limit). S_OK, or the
// could-not-start or hung result.
HRESULT RunDirect(const std::string& path, const std::string& tail, int hangTimeoutMs);

// Hands the start to the launching manager with the hang time-out as the program's lifetime.
HRESULT RunThroughManager(const std::string& path, const std::string& tail, int hangTimeoutMs,
                          int memoryLimit);

} // namespace ovs::printing
