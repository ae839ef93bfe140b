// Programs started through the launching manager with a lifetime, the process registry of a
// system, and the manager stopped again. The demo is its own sleeper: "ovsdemo --sleep <ms>".
#include "OVSTools2.h"
#include "demo_steps.h"
#include "unique_resource.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace demo {

namespace {

constexpr int kDemoSystem = 1;
constexpr int kLifeTimeMs = 2000;

std::string Self() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

void RunSleeper(const char* arguments) {
    OVS_LIFETIME life = {kLifeTimeMs, 0, TRUE, 0xFFFFFFFF};
    const BOOL handedOver =
        Tool_CreateProcessWithLaunchingManager(Self().c_str(), arguments, TRUE, &life, nullptr, nullptr);
    std::printf("%-16s handed over: %s, result %lu\n", arguments, handedOver ? "TRUE" : "FALSE",
                static_cast<unsigned long>(life.dwResult));
}

void ListProcesses() {
    char key[1024];
    Tool_GetRegistryKeyName(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, kDemoSystem, "PIDS", key,
                            sizeof key);
    std::printf("HKLM\\%s:\n", key);
    ovs::unique_hkey pids;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, pids.put()) != ERROR_SUCCESS) {
        return;
    }
    char name[256];
    DWORD id = 0;
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = sizeof name;
        DWORD size = sizeof id;
        if (RegEnumValueA(pids.get(), index, name, &nameSize, nullptr, nullptr, reinterpret_cast<BYTE*>(&id),
                          &size) != ERROR_SUCCESS) {
            break;
        }
        std::printf("    %s = %lu\n", name, static_cast<unsigned long>(id));
    }
}

} // namespace

bool RunSleepSwitch(int argc, char** argv) {
    if (argc < 3 || std::strcmp(argv[1], "--sleep") != 0) {
        return false;
    }
    Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    return true;
}

void RunProcessesStep() {
    Heading("Processes: two sleepers through the launching manager (lifetime 2000 ms)");
    const std::string self = Self();
    const std::string folder = self.substr(0, self.find_last_of('\\'));
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Prog Path", folder.c_str());
    RunSleeper("--sleep 200");
    RunSleeper("--sleep 60000");

    Heading("Processes: the process registry of system 1");
    Tool_RegisterProcess(kDemoSystem, "ovsdemo", FALSE);
    ListProcesses();
    Tool_RegisterProcess(kDemoSystem, "ovsdemo", TRUE);
    std::printf("stopping the launching manager: %s\n",
                Tool_ExecuteApplication("OVSLaunchingManager.exe", "/Stop", nullptr) ? "asked" : "failed");
}

} // namespace demo
