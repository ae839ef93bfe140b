// Diagnostics for a host: a window rectangle kept on the desktop, the processes that hold a file,
// and a crash dump written by a crashing process's own exception filter.
#include "OVSTools2.h"
#include "demo_steps.h"

#include <dbghelp.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace demo {
namespace {

constexpr char kHoldSwitch[] = "--hold-file";
constexpr char kCrashSwitch[] = "--crash";

std::string Executable() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

// Starts this program with a switch; the process handle, or null.
HANDLE StartSelf(const std::string& arguments) {
    std::string commandLine = "\"" + Executable() + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(Executable().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

std::string LogFolder() {
    char log[MAX_PATH];
    Tool_GetRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Log Path", "", log, sizeof log);
    return log;
}

void ShowVisibleRect() {
    RECT desktop = {};
    GetWindowRect(GetDesktopWindow(), &desktop);
    RECT r = {-300, 700, 200, 900};
    std::printf("desktop (%ld,%ld)-(%ld,%ld); window (%ld,%ld)-(%ld,%ld)", desktop.left, desktop.top,
                desktop.right, desktop.bottom, r.left, r.top, r.right, r.bottom);
    Tool_CalculateVisibleWindowRect(&r);
    std::printf(" moved to (%ld,%ld)-(%ld,%ld)\n", r.left, r.top, r.right, r.bottom);
}

void ShowLockReport() {
    const std::string file = LogFolder() + "\\held-by-child.dat";
    DeleteFileA(file.c_str());
    const HANDLE holder = StartSelf(std::string(kHoldSwitch) + " \"" + file + "\"");
    for (int wait = 0; wait < 100 && GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait) {
        Sleep(100);
    }
    Tool_Report_FileLockProcess(file.c_str());
    if (holder != nullptr) {
        TerminateProcess(holder, 0);
        WaitForSingleObject(holder, 10000);
        CloseHandle(holder);
    }
    DeleteFileA(file.c_str());
    std::printf("lock report for %s (held by a child process), from the debug report:\n", file.c_str());
    // The demo's report rotates early, so the line may already stand in a backup.
    const std::string debugFolder = LogFolder() + "\\Debug\\";
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((debugFolder + "DbgReport_ovsdemo_Inst_001*.log").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        FILE* report = std::fopen((debugFolder + found.cFileName).c_str(), "rb");
        char line[1024];
        while (report != nullptr && std::fgets(line, sizeof line, report) != nullptr) {
            if (std::strstr(line, "[strLogMessage]") != nullptr ||
                std::strstr(line, "Lock process") != nullptr ||
                std::strstr(line, "File is not locked") != nullptr) {
                std::printf("    %s", line);
            }
        }
        if (report != nullptr) {
            std::fclose(report);
        }
    }
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
    std::printf("(under Wine the Restart Manager is a stub that starts no real session, so the check\n"
                " reports a failure; Windows lists the child as \"(pid) path\")\n");
}

void ShowCrashDump() {
    const std::string folder = LogFolder() + "\\Debug\\Dump";
    CreateDirectoryA(folder.c_str(), nullptr);
    const HANDLE child = StartSelf(kCrashSwitch);
    DWORD exitCode = 0;
    if (child != nullptr) {
        WaitForSingleObject(child, 600000); // a dump takes seconds, minutes on a busy machine
        GetExitCodeProcess(child, &exitCode);
        CloseHandle(child);
    }
    std::printf("crashing child ended with 0x%08lX\n", static_cast<unsigned long>(exitCode));
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\CrashDump_*.dmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        std::printf("no dump was written below %s\n", folder.c_str());
        return;
    }
    do {
        const std::string path = folder + "\\" + found.cFileName;
        MINIDUMP_HEADER header = {};
        if (FILE* dump = std::fopen(path.c_str(), "rb")) {
            if (std::fread(&header, sizeof header, 1, dump) != 1) {
                header = MINIDUMP_HEADER{};
            }
            std::fclose(dump);
        }
        std::printf("%s: %lu bytes, signature %.4s, type 0x%llX\n", found.cFileName, found.nFileSizeLow,
                    reinterpret_cast<const char*>(&header.Signature),
                    static_cast<unsigned long long>(header.Flags));
        DeleteFileA(path.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

LONG WINAPI DumpAndEnd(EXCEPTION_POINTERS* pointers) {
    CString path; // the default name below the log folder
    Tool_CreateDump(pointers, path);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

void RunDiagnosticsStep() {
    Heading("Window rectangle on the desktop");
    ShowVisibleRect();
    Heading("Processes holding a file");
    ShowLockReport();
    Heading("Crash dump");
    ShowCrashDump();
}

bool RunDiagnosticsChildSwitch(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kHoldSwitch) == 0) {
        const HANDLE file = CreateFileA(argv[2], GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        Sleep(file != INVALID_HANDLE_VALUE ? 60000 : 0); // held until the demo ends this process
        return true;
    }
    if (argc == 2 && std::strcmp(argv[1], kCrashSwitch) == 0) {
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
        SetUnhandledExceptionFilter(DumpAndEnd);
        volatile int* volatile nowhere = nullptr; // a real access violation, never optimised away
        *nowhere = 1;
        return true;
    }
    return false;
}

} // namespace demo
