// The shared parts of the in-process stand-in servers: the class factories, the count of live
// objects, and the COM server exports of the module that serves kServedClass and the classes beside it.
#include "inproc_server.h"
#include "unique_resource.h"

#include <olectl.h>

#include <string>

namespace ovs::standin {

namespace {

HMODULE g_module = nullptr;
LONG g_liveObjects = 0;
LONG g_serverLocks = 0;

// kServedClass and the classes registered beside it (filled during static initialisation).
constexpr size_t kMaxServedClasses = 16;
const ServedClass* g_alsoServed[kMaxServedClasses] = {};
size_t g_alsoServedCount = 0;

// The place of a served class: 0 for kServedClass, 1 + i for the others; -1 when not served.
int ServedIndex(REFCLSID clsid) {
    if (clsid == kServedClass.clsid) {
        return 0;
    }
    for (size_t i = 0; i < g_alsoServedCount; ++i) {
        if (clsid == g_alsoServed[i]->clsid) {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}

template <typename Each>
bool ForEachServed(Each each) {
    if (!each(kServedClass)) {
        return false;
    }
    for (size_t i = 0; i < g_alsoServedCount; ++i) {
        if (!each(*g_alsoServed[i])) {
            return false;
        }
    }
    return true;
}

// A factory per served class; it lives as long as the module, so its references are not counted.
class ClassFactory final : public IClassFactory {
public:
    void Serve(const ServedClass& served) noexcept { m_served = &served; }

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
        return m_served->create(iid, out);
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
    const ServedClass* m_served = nullptr;
};

ClassFactory g_factories[kMaxServedClasses + 1];

LONG SetKeyText(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

// "CLSID\{...}" under HKEY_CLASSES_ROOT.
std::string ClassKey(const ServedClass& served) {
    wchar_t text[40];
    StringFromGUID2(served.clsid, text, 40);
    std::string key = "CLSID\\";
    for (const wchar_t* c = text; *c != L'\0'; ++c) {
        key += static_cast<char>(*c); // a GUID's text is plain ASCII
    }
    return key;
}

} // namespace

AlsoServed::AlsoServed(const ServedClass& served) noexcept {
    if (g_alsoServedCount < kMaxServedClasses) {
        g_alsoServed[g_alsoServedCount++] = &served;
    }
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
    const int index = ServedIndex(clsid);
    if (index < 0) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    ClassFactory& factory = g_factories[index];
    factory.Serve(index == 0 ? kServedClass : *g_alsoServed[index - 1]);
    return factory.QueryInterface(iid, out);
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
    const bool registered = ForEachServed([&](const ServedClass& served) {
        ovs::unique_hkey key;
        ovs::unique_hkey serverKey;
        return RegCreateKeyExA(HKEY_CLASSES_ROOT, ClassKey(served).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                               key.put(), nullptr) == ERROR_SUCCESS &&
               SetKeyText(key.get(), nullptr, served.className) == ERROR_SUCCESS &&
               RegCreateKeyExA(key.get(), "InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr,
                               serverKey.put(), nullptr) == ERROR_SUCCESS &&
               SetKeyText(serverKey.get(), nullptr, std::string(path, length)) == ERROR_SUCCESS &&
               SetKeyText(serverKey.get(), "ThreadingModel", "Both") == ERROR_SUCCESS;
    });
    return registered ? S_OK : SELFREG_E_CLASS;
}

HRESULT __stdcall DllUnregisterServer() {
    const bool removed = ForEachServed([](const ServedClass& served) {
        const LONG status = RegDeleteTreeA(HKEY_CLASSES_ROOT, ClassKey(served).c_str());
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    });
    return removed ? S_OK : SELFREG_E_CLASS;
}

} // extern "C"
