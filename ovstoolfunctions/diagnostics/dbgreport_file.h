// The debug report's file names and its rotation: numbered or time-stamped backups, then the file
// is emptied in place so that its handle stays open.
#pragma once

#include <windows.h>
#include <string>

namespace ovs::dbgreport {

// The system's log folder: "Log Path" under the product's "Path" key, or its default.
std::string LogPath();
// "DbgReport_<exe>_Inst_<instance>" below "<logPath>\Debug\".
std::string ReportBaseName(const std::string& logPath, const std::string& exeName, int instance);
// The executable's file name without folder and extension; empty when it cannot be had.
std::string ExecutableName();

struct RotationSettings {
    ULONGLONG limit;
    DWORD backupCount;
    std::string backupTag;
};

// Rotates the report when it has grown past the limit; failures only skip the rotation.
void CheckSizeAndRotate(HANDLE file, const std::string& path, const RotationSettings& settings);

} // namespace ovs::dbgreport
