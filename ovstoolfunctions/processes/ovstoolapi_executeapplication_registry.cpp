// The process registry of a system: identifiers under the volatile "PIDS" key, killed all at once.
#include "ovstoolexecute.h"
#include "ovsreg.h"
#include "unique_resource.h"

#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

constexpr char kProcessesKey[] = "PIDS";
constexpr char kKillVerb[] = "RunAs";
constexpr char kKillProgram[] = "taskkill";
constexpr char kKillForce[] = "/F";
constexpr char kPidFormat[] = " /PID %u";
constexpr DWORD kKeyNameRoom = 1024;
constexpr DWORD kValueNameRoom = 16384; // the longest value name the registry allows

// The system's key below the product root; empty when it cannot be formed.
std::string SystemKey(int systemNumber) {
    char name[kKeyNameRoom] = {};
    if (Tool_GetRegistryKeyName(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, systemNumber, nullptr, name,
                                sizeof name) <= 0) {
        return {};
    }
    return name;
}

} // namespace

LONG Tool_RegisterProcess(int nSystemNumber, LPCSTR szProcessName, BOOL bRemove) {
    if (szProcessName == nullptr) {
        return ERROR_INVALID_PARAMETER; // a null name would be the key's default value
    }
    const std::string keyName = SystemKey(nSystemNumber);
    if (keyName.empty()) {
        return ERROR_SUCCESS;
    }
    ovs::unique_hkey system;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_CREATE_SUB_KEY, nullptr, system.put(), nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    ovs::unique_hkey processes;
    status = RegCreateKeyExA(system.get(), kProcessesKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE, nullptr,
                             processes.put(), nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (bRemove) {
        return RegDeleteValueA(processes.get(), szProcessName);
    }
    const DWORD id = GetCurrentProcessId();
    return RegSetValueExA(processes.get(), szProcessName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&id),
                          sizeof id);
}

LONG Tool_TerminateRegisteredProcess(int nSystemNumber) {
    ovs::unique_hkey system;
    LONG status =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, SystemKey(nSystemNumber).c_str(), 0, KEY_READ, system.put());
    if (status != ERROR_SUCCESS) {
        return status;
    }
    ovs::unique_hkey processes;
    status = RegOpenKeyExA(system.get(), kProcessesKey, 0, KEY_READ, processes.put());
    if (status != ERROR_SUCCESS) {
        return status;
    }
    std::string list;
    std::string name(kValueNameRoom, '\0');
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = kValueNameRoom;
        DWORD type = 0;
        DWORD id = 0;
        DWORD size = sizeof id;
        status = RegEnumValueA(processes.get(), index, name.data(), &nameSize, nullptr, &type,
                               reinterpret_cast<BYTE*>(&id), &size);
        if (status == ERROR_MORE_DATA) {
            continue; // data longer than an identifier: not a registered process
        }
        if (status != ERROR_SUCCESS) {
            break;
        }
        if (type == REG_DWORD && size == sizeof id) {
            char item[24];
            std::snprintf(item, sizeof item, kPidFormat, static_cast<unsigned>(id));
            list += item;
        }
    }
    if (list.empty()) {
        return status;
    }
    const std::string parameters = kKillForce + list;
    SHELLEXECUTEINFOA request = {};
    request.cbSize = sizeof request;
    request.lpVerb = kKillVerb;
    request.lpFile = kKillProgram;
    request.lpParameters = parameters.c_str();
    request.nShow = SW_HIDE;
    ShellExecuteExA(&request);
    return ERROR_SUCCESS;
}
