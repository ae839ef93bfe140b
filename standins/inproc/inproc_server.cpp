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
LONG g_serverLocks = 0;

// The module's one factory; it lives as long as the module, so its references are not counted.
class ClassFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        return kServedClass.create(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            InterlockedIncrement(&g_serverLocks);
        } else {
            InterlockedDecrement(&g_serverLocks);
        }
        return S_OK;
    }
};

ClassFactory g_factory;

LONG SetKeyText(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

// "CLSID\{...}" under HKEY_CLASSES_ROOT.
std::string ClassKey() {
    wchar_t text[40];
    StringFromGUID2(kServedClass.clsid, text, 40);
    std::string key = "CLSID\\";
    for (const wchar_t* c = text; *c != L'\0'; ++c) {
        key += static_cast<char>(*c); // a GUID's text is plain ASCII
    }
    return key;
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
    return g_liveObjects == 0 && g_serverLocks == 0 ? S_OK : S_FALSE;
}

HRESULT __stdcall DllRegisterServer() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(g_module, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return SELFREG_E_CLASS;
    }
    ovs::unique_hkey key;
    ovs::unique_hkey serverKey;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, ClassKey().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS ||
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
    const LONG status = RegDeleteTreeA(HKEY_CLASSES_ROOT, ClassKey().c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}

} // extern "C"
