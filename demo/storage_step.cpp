// The storage server: registered, a per-system value written and read back, a registry value
// migrated on first read, and the server's process beside this one.
#include "OVSTools2.h"
#include "demo_steps.h"
#include "regstorage.h"
#include "storage_server_switch.h"

#include <comdef.h>

#include <cstdio>

namespace demo {
namespace {

constexpr char kSubKey[] = "Demo";

DWORD ServerProcessId() {
    const CLSID serverClass = {0x32BF2667, 0x28F8, 0x4C93, {0x81, 0x53, 0x45, 0xCE, 0x4A, 0x25, 0xAC, 0xF9}};
    ovs::com_ptr<IOVSRegStorage> storage;
    DWORD processId = 0;
    LONG status = 0;
    if (SUCCEEDED(CoCreateInstance(serverClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IOVSRegStorage,
                                   storage.put_void()))) {
        storage->GetServerProcessId(&processId, &status);
    }
    return processId;
}

void ShowStorage() {
    const BOOL written = Tool_WriteRegStorageString(OVS_REG_PRODUCT_ROOT, "System2", kSubKey, "Column",
                                                    "C18, 150 x 4.6 mm", 0);
    char column[64];
    Tool_GetRegStorageString(OVS_REG_PRODUCT_ROOT, "System2", kSubKey, "Column", "(none)", column,
                             sizeof column, 0);
    std::printf("System2 Column written %s, read back: %s\n", written ? "yes" : "no", column);

    Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 2, kSubKey, "FlowRate", 1250);
    Tool_RemoveRegStorage(OVS_REG_PRODUCT_ROOT, "System2", kSubKey, "FlowRate");
    for (int read = 1; read <= 2; ++read) {
        BOOL converted = FALSE;
        const int flow = Tool_GetRegStorageIntAutoConvert(OVS_REG_PRODUCT_ROOT, nullptr, nullptr, 2, kSubKey,
                                                          "FlowRate", 0, &converted, 0);
        std::printf("AutoConvert read %d of FlowRate: %d, converted from the registry: %s\n", read, flow,
                    converted ? "yes" : "no");
    }
    std::printf("server process %lu, this process %lu\n", ServerProcessId(), GetCurrentProcessId());
}

} // namespace

void RunStorageStep() {
    Heading("Registry storage server");
    if (!regstorage::RunServerSwitch("/RegServer")) {
        std::printf("OVSRegStorageServer.exe /RegServer failed\n");
        return;
    }
    // The library never starts the component library itself; its host does.
    const bool started = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    try {
        ShowStorage();
    } catch (const _com_error& error) {
        std::printf("the storage server could not be reached: 0x%08lX\n",
                    static_cast<unsigned long>(error.Error()));
    }
    if (started) {
        CoUninitialize();
    }
}

} // namespace demo
