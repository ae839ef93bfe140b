// Starting programs of the program folder: with the caller's rights, as the console user, and the
// auxiliary program of the settings.
#include "logon_token.h"
#include "ovstoolexecute.h"
#include "ovstooldbgreport.h"
#include "ovstoolpaths.h"
#include "ovsreg.h"
#include "unique_resource.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace {

constexpr char kPathSubKey[] = "Path";
constexpr char kProgPathValue[] = "Prog Path";
constexpr char kDefaultProgPath[] = "\\Program Files\\Orvantiscope";
constexpr char kAuxiliary[] = "Auxiliary";
constexpr char kStartAppValue[] = "StartApp";
constexpr char kStartAppFormat[] = "%s\\%s\\%s.exe";
constexpr DWORD kStartAppRoom = 256;
// The longest command line that process creation takes.
constexpr size_t kCommandLineLimit = 32767;

std::string ProgramFolder(LPCSTR registryRoot, DWORD room) {
    std::string folder(room, '\0');
    Tool_GetRegistryString(registryRoot != nullptr ? registryRoot : OVS_REG_PRODUCT_ROOT, nullptr, 0,
                           kPathSubKey, kProgPathValue, kDefaultProgPath, folder.data(), room);
    folder.resize(std::strlen(folder.c_str()));
    return folder;
}

// "<program folder>\<file>" in quotes, then a blank and the arguments when there are any; nothing
// for a null file name or a line that process creation would not take.
std::optional<std::string> CommandLine(LPCSTR fileName, LPCSTR arguments, LPCSTR registryRoot) {
    if (fileName == nullptr) {
        return std::nullopt;
    }
    CString path;
    Tool_MakePath(path, ProgramFolder(registryRoot, MAX_PATH).c_str(), fileName);
    std::string line = "\"" + std::string(static_cast<LPCSTR>(path)) + "\"";
    if (arguments != nullptr) {
        line += " ";
        line += arguments;
    }
    if (line.size() > kCommandLineLimit) {
        return std::nullopt;
    }
    return line;
}

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    return module != nullptr
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

} // namespace

BOOL Tool_ExecuteApplication(LPCSTR szFileName, LPCSTR szArguments, LPCSTR szRegistryRoot) {
    std::optional<std::string> line = CommandLine(szFileName, szArguments, szRegistryRoot);
    if (!line) {
        return FALSE;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_FORCEONFEEDBACK;
    PROCESS_INFORMATION process = {};
    const BOOL created = CreateProcessA(nullptr, line->data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                                        nullptr, nullptr, &startup, &process);
    if (created) {
        ovs::logon::LetGo(process);
    }
    return created;
}

BOOL Tool_ExecuteApplicationAsLogonUser(LPCSTR szFileName, LPCSTR szArguments, LPCSTR szRegistryRoot,
                                        BOOL bLinkedToken) {
    std::optional<std::string> line = CommandLine(szFileName, szArguments, szRegistryRoot);
    if (!line) {
        return FALSE;
    }
    const ovs::unique_hmodule kernel(LoadLibraryA("Kernel32.dll"));
    const ovs::unique_hmodule terminalServices(LoadLibraryA("Wtsapi32.dll"));
    const ovs::unique_hmodule userEnvironment(LoadLibraryA("Userenv.dll"));
    ovs::logon::SessionFunctions functions = {
        Lookup<decltype(functions.activeConsoleSessionId)>(kernel.get(), "WTSGetActiveConsoleSessionId"),
        Lookup<decltype(functions.queryUserToken)>(terminalServices.get(), "WTSQueryUserToken"),
        Lookup<decltype(functions.createEnvironmentBlock)>(userEnvironment.get(), "CreateEnvironmentBlock"),
        Lookup<decltype(functions.destroyEnvironmentBlock)>(userEnvironment.get(), "DestroyEnvironmentBlock"),
        GetTokenInformation,
        DuplicateTokenEx,
        CreateProcessAsUserA,
    };
    if (functions.activeConsoleSessionId == nullptr || functions.queryUserToken == nullptr ||
        functions.createEnvironmentBlock == nullptr || functions.destroyEnvironmentBlock == nullptr) {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_WRN, "    [E_FAIL] = [0x%08X]",
                       static_cast<unsigned>(E_FAIL));
        return FALSE;
    }
    return ovs::logon::StartAsConsoleUser(functions, std::move(*line), bLinkedToken);
}

void Tool_StartApp() {
    char name[kStartAppRoom];
    Tool_GetRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, kAuxiliary, kStartAppValue, "", name,
                           sizeof name);
    if (name[0] == '\0') {
        return;
    }
    char line[kStartAppRoom];
    const int written = std::snprintf(line, sizeof line, kStartAppFormat,
                                      ProgramFolder(nullptr, kStartAppRoom).c_str(), kAuxiliary, name);
    if (written < 0 || written >= static_cast<int>(sizeof line)) {
        return; // a line that does not fit would start some other program
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                       &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}
