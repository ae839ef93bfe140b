// The shared parts of the in-process stand-in servers.
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
    void Serve(CreateObject create) noexcept { m_create = create; }

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
        return m_create(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            InterlockedIncrement(&g_serverLocks);
        } else {
            InterlockedDecrement(&g_serverLocks);
        }
        return S_OK;
    }

private:
    CreateObject m_create = nullptr;
};

ClassFactory g_factory;

LONG SetKeyText(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

} // namespace

void AttachModule(HINSTANCE module) noexcept {
    g_module = module;
    DisableThreadLibraryCalls(module);
}

void ObjectCreated() noexcept {
    InterlockedIncrement(&g_liveObjects);
}

void ObjectDestroyed() noexcept {
    InterlockedDecrement(&g_liveObjects);
}

LONG LiveObjects() noexcept {
    return g_liveObjects;
}

HRESULT CanUnloadNow() noexcept {
    return g_liveObjects == 0 && g_serverLocks == 0 ? S_OK : S_FALSE;
}

HRESULT GetClassObject(REFCLSID wanted, REFCLSID served, CreateObject create, REFIID iid,
                       void** out) noexcept {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (wanted != served) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    g_factory.Serve(create);
    return g_factory.QueryInterface(iid, out);
}

HRESULT RegisterServer(const char* classKey, const char* className, const char* threadingModel) noexcept {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(g_module, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return SELFREG_E_CLASS;
    }
    ovs::unique_hkey key;
    ovs::unique_hkey serverKey;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, classKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) !=
            ERROR_SUCCESS ||
        SetKeyText(key.get(), nullptr, className) != ERROR_SUCCESS ||
        RegCreateKeyExA(key.get(), "InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, serverKey.put(),
                        nullptr) != ERROR_SUCCESS ||
        SetKeyText(serverKey.get(), nullptr, std::string(path, length)) != ERROR_SUCCESS ||
        SetKeyText(serverKey.get(), "ThreadingModel", threadingModel) != ERROR_SUCCESS) {
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT UnregisterServer(const char* classKey) noexcept {
    const LONG status = RegDeleteTreeA(HKEY_CLASSES_ROOT, classKey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}

} // namespace ovs::standin
