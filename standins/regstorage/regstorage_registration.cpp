// Registration of the server: its class as a local server (quoted path) and the proxy/stub DLL of
// its interface, which sits beside the executable.
#include "regstorage_server.h"
#include "inproc_server.h"
#include "unique_resource.h"

#include <string>

namespace regstorage {

namespace {

constexpr char kClassName[] = "OVSRegStorage Server";
constexpr char kProxyStubDll[] = "OVSRegStoragePS.dll";

std::string ModulePath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}

bool SetText(HKEY parent, const char* subKey, const std::string& text) {
    ovs::unique_hkey key;
    return RegCreateKeyExA(parent, subKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) ==
               ERROR_SUCCESS &&
           RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

HRESULT CallProxyStub(const char* function) {
    const std::string self = ModulePath();
    const std::string path = self.substr(0, self.find_last_of('\\') + 1) + kProxyStubDll;
    ovs::unique_hmodule module(LoadLibraryA(path.c_str()));
    if (!module) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    using ServerFunction = HRESULT(__stdcall*)();
    const auto call =
        reinterpret_cast<ServerFunction>(reinterpret_cast<void*>(GetProcAddress(module.get(), function)));
    return call != nullptr ? call() : E_NOTIMPL;
}

} // namespace

HRESULT RegisterServer() {
    const std::string path = ModulePath();
    const std::string key = ovs::standin::ClassKey(kServerClass);
    if (path.empty() || !SetText(HKEY_CLASSES_ROOT, key.c_str(), kClassName) ||
        !SetText(HKEY_CLASSES_ROOT, (key + "\\LocalServer32").c_str(), "\"" + path + "\"")) {
        return E_ACCESSDENIED;
    }
    return CallProxyStub("DllRegisterServer");
}

HRESULT UnregisterServer() {
    const LONG status = RegDeleteTreeA(HKEY_CLASSES_ROOT, ovs::standin::ClassKey(kServerClass).c_str());
    const HRESULT proxy = CallProxyStub("DllUnregisterServer");
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? proxy : HRESULT_FROM_WIN32(status);
}

} // namespace regstorage
