#include "dbgreport_file.h"
#include "ovsreg.h"
#include "unique_resource.h"

#include <cstdio>

namespace ovs::dbgreport {

std::string ReportBaseName(const std::string& logPath, const std::string& exeName, int instance) {
    char instanceText[16] = "unknown";
    if (instance > 0) {
        std::snprintf(instanceText, sizeof instanceText, "%03d", instance);
    }
    return logPath + "\\Debug\\" + "DbgReport_" + exeName + "_Inst_" + instanceText;
}

std::string ExecutableName() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::string();
    }
    std::string name(path, length);
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    return name;
}

namespace {

constexpr char kLogPathValue[] = "Log Path";
constexpr char kPathSubKey[] = "Path";
constexpr char kDefaultLogPath[] = "\\Orvantiscope\\Log";

struct PathParts {
    std::string folder; // with its trailing "\" unless empty
    std::string name;
    std::string extension; // with its dot
};

PathParts SplitPath(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    PathParts parts;
    parts.folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = file.rfind('.');
    parts.name = dot == std::string::npos ? file : file.substr(0, dot);
    parts.extension = dot == std::string::npos ? std::string() : file.substr(dot);
    if (!parts.folder.empty() && parts.folder.back() != '\\') {
        parts.folder += '\\';
    }
    return parts;
}

std::string NumberedBackup(const PathParts& parts, const std::string& tag, DWORD k) {
    char number[16];
    std::snprintf(number, sizeof number, "%03lu", static_cast<unsigned long>(k));
    return parts.folder + parts.name + "_" + tag + number + parts.extension;
}

std::string TimeStampedBackup(const PathParts& parts) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d%02d_%02d%02d%02d", now.wMonth, now.wDay, now.wHour, now.wMinute,
                  now.wSecond);
    return parts.folder + parts.name + "_" + stamp + parts.extension;
}

// Copies the report through its own handle: the file is shared for reading only, so a second
// opener that asks for less sharing than the writer holds could be refused.
void CopyReportTo(HANDLE file, const std::string& target) {
    unique_hfile out(CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!out) {
        return;
    }
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
        return;
    }
    static thread_local char chunk[64 * 1024];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) {
        DWORD written = 0;
        if (!WriteFile(out.get(), chunk, read, &written, nullptr) || written != read) {
            return;
        }
    }
}

} // namespace

void CheckSizeAndRotate(HANDLE file, const std::string& path, const RotationSettings& settings) {
    LARGE_INTEGER size;
    if (!FlushFileBuffers(file) || !GetFileSizeEx(file, &size)) {
        return;
    }
    if (static_cast<ULONGLONG>(size.QuadPart) <= settings.limit) {
        return;
    }
    const PathParts parts = SplitPath(path);
    if (settings.backupCount > 0) {
        for (DWORD k = settings.backupCount - 1; k >= 1; --k) {
            MoveFileExA(NumberedBackup(parts, settings.backupTag, k).c_str(),
                        NumberedBackup(parts, settings.backupTag, k + 1).c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        }
        CopyReportTo(file, NumberedBackup(parts, settings.backupTag, 1));
    } else {
        CopyReportTo(file, TimeStampedBackup(parts));
    }
    LARGE_INTEGER start = {};
    SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    FlushFileBuffers(file);
}

std::string LogPath() {
    char logPath[MAX_PATH];
    Tool_GetRegistryString(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, kPathSubKey, kLogPathValue,
                           kDefaultLogPath, logPath, sizeof logPath);
    return logPath;
}

} // namespace ovs::dbgreport
