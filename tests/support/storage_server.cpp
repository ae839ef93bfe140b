#include "storage_server.h"
#include "ovsreg.h"
#include "storage_server_switch.h"

namespace ovs::test {

namespace {

const CLSID kServerClass = {0x32BF2667, 0x28F8, 0x4C93, {0x81, 0x53, 0x45, 0xCE, 0x4A, 0x25, 0xAC, 0xF9}};
constexpr char kServerKey[] = "CLSID\\{32BF2667-28F8-4C93-8153-45CE4A25ACF9}\\LocalServer32";
constexpr char kProxyKey[] = "Interface\\{94F730D7-5242-4B64-9B8F-C7B65A5B2635}\\ProxyStubClsid32";

std::string KeyText(const char* keyPath) {
    char text[MAX_PATH] = "";
    LONG size = sizeof text;
    return RegQueryValueA(HKEY_CLASSES_ROOT, keyPath, text, &size) == ERROR_SUCCESS ? text : "";
}

} // namespace

com_ptr<IOVSRegStorage> ConnectStorageServer() {
    com_ptr<IOVSRegStorage> storage;
    CoCreateInstance(kServerClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IOVSRegStorage, storage.put_void());
    return storage;
}

bool RunStorageServerSwitch(const char* serverSwitch) {
    return regstorage::RunServerSwitch(serverSwitch);
}

bool RegisterStorageServer() {
    if (KeyText(kServerKey) == "\"" + regstorage::ServerPathBesideHost() + "\"" &&
        !KeyText(kProxyKey).empty()) {
        return true;
    }
    return RunStorageServerSwitch("/RegServer");
}

void SetSystemFolder(const std::string& folder) {
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Sys Path", folder.c_str());
}

void StorageServerTest::SetUp() {
    RegistryTest::SetUp();
    ASSERT_TRUE(RegisterStorageServer());
    m_comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    SetSystemFolder(m_systemFolder.path());
}

void StorageServerTest::TearDown() {
    if (m_comStarted) {
        CoUninitialize();
    }
    RegistryTest::TearDown();
}

HRESULT StorageAnswerBusy(long requests) {
    const com_ptr<IOVSRegStorage> storage = ConnectStorageServer();
    LONG status = 0;
    return storage ? storage->AnswerBusy(requests, &status) : E_FAIL;
}

DWORD StorageServerProcessId() {
    const com_ptr<IOVSRegStorage> storage = ConnectStorageServer();
    DWORD processId = 0;
    LONG status = 0;
    return storage && SUCCEEDED(storage->GetServerProcessId(&processId, &status)) ? processId : 0;
}

bool StopStorageServer() {
    const unique_handle process(OpenProcess(SYNCHRONIZE, FALSE, StorageServerProcessId()));
    const unique_handle stop(OpenEventA(EVENT_MODIFY_STATE, FALSE, regstorage::kStopEventName));
    return process && stop && SetEvent(stop.get()) &&
           WaitForSingleObject(process.get(), 10000) == WAIT_OBJECT_0;
}

} // namespace ovs::test
