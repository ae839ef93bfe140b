// The shared parts of the in-process stand-in servers: the class factory, the count of live
// objects, and the COM server exports of the module that serves kServedClass.
#include "inproc_server.h"
#include "unique_resource.h"

#include <olectl.h>

#include <string>

namespace ovs::standin {

namespace {

HMODULE g_module = nullptr;
LONG g_liveObjects = 0;

HRESULT CreateServedObject(REFIID iid, void** out) {
    return kServedClass.create(iid, out);
}

StaticClassFactory g_factory(CreateServedObject);

LONG SetKeyText(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

} // namespace

void ObjectCreated() noexcept {
    InterlockedIncrement(&g_liveObjects);
}

void ObjectDestroyed() noexcept {
    InterlockedDecrement(&g_liveObjects);
}

LONG LiveObjects() noexcept {
    return g_liveObjects;
}

} // namespace ovs::standin

using namespace ovs::standin;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (clsid != kServedClass.clsid) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return g_factory.QueryInterface(iid, out);
}

HRESULT __stdcall DllCanUnloadNow() {
    return g_liveObjects == 0 && g_factory.Locks() == 0 ? S_OK : S_FALSE;
}

HRESULT __stdcall DllRegisterServer() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(g_module, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return SELFREG_E_CLASS;
    }
    ovs::unique_hkey key;
    ovs::unique_hkey serverKey;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, ClassKey(kServedClass.clsid).c_str(), 0, nullptr, 0, KEY_WRITE,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS ||
        SetKeyText(key.get(), nullptr, kServedClass.className) != ERROR_SUCCESS ||
        RegCreateKeyExA(key.get(), "InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, serverKey.put(),
                        nullptr) != ERROR_SUCCESS ||
        SetKeyText(serverKey.get(), nullptr, std::string(path, length)) != ERROR_SUCCESS ||
        SetKeyText(serverKey.get(), "ThreadingModel", "Both") != ERROR_SUCCESS) {
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT __stdcall DllUnregisterServer() {
    const LONG status = RegDeleteTreeA(HKEY_CLASSES_ROOT, ClassKey(kServedClass.clsid).c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}

} // extern "C"
