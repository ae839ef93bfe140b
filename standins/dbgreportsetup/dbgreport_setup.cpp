// The debug-report set-up component as an in-process server: a class factory, one object with the
// set-up interface and IRunnableObject, and its registration under HKCR\CLSID.
#include "dbgreport_setup.h"
#include "OVSTools2.h"
#include "unique_resource.h"

#include <oleidl.h>
#include <olectl.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace {

constexpr char kClassKey[] = "CLSID\\{3A5292F5-8789-4A44-8744-1B2B33601301}";
constexpr char kClassName[] = "Debug report set-up";
constexpr char kThreadingModel[] = "Both";
constexpr char kFailVariable[] = "OVS_DBGREPORTSETUP_FAIL";

HMODULE g_module = nullptr;
LONG g_liveObjects = 0;
LONG g_created = 0;
LONG g_runs = 0;
LONG g_operations = 0;
LONG g_lastOpen = -1;
LONG g_serverLocks = 0;

// The failure the environment asks for at the named step ("create", "run", "query"), or S_OK.
HRESULT RequestedFailure(const char* step) {
    char value[64];
    const DWORD length = GetEnvironmentVariableA(kFailVariable, value, sizeof value);
    if (length == 0 || length >= sizeof value) {
        return S_OK;
    }
    const size_t stepLength = std::strlen(step);
    if (std::strncmp(value, step, stepLength) != 0 || value[stepLength] != '=') {
        return S_OK;
    }
    return static_cast<HRESULT>(std::strtoul(value + stepLength + 1, nullptr, 16));
}

bool NullQueryRequested() {
    char value[64];
    const DWORD length = GetEnvironmentVariableA(kFailVariable, value, sizeof value);
    return length > 0 && length < sizeof value && std::strcmp(value, "querynull") == 0;
}

class SetupObject final : public IDbgReportSetup, public IRunnableObject {
public:
    SetupObject() {
        InterlockedIncrement(&g_liveObjects);
        InterlockedIncrement(&g_created);
    }
    SetupObject(const SetupObject&) = delete;
    SetupObject& operator=(const SetupObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (iid == IID_IUnknown) {
            *out = static_cast<IDbgReportSetup*>(this);
        } else if (iid == kDbgReportSetupInterface) {
            if (NullQueryRequested()) {
                return S_OK;
            }
            const HRESULT failure = RequestedFailure("query");
            if (FAILED(failure)) {
                return failure;
            }
            *out = static_cast<IDbgReportSetup*>(this);
        } else if (iid == IID_IRunnableObject) {
            *out = static_cast<IRunnableObject*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&m_references));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE InitDbgReport() override {
        InterlockedIncrement(&g_operations);
        const BOOL opened = Tool_InitDbgReportEx(1, 0x1F, 0, 10 * 1024 * 1024, 100, 3, "B", "A");
        InterlockedExchange(&g_lastOpen, opened);
        return opened ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE GetRunningClass(LPCLSID clsid) override {
        if (clsid == nullptr) {
            return E_INVALIDARG;
        }
        *clsid = kDbgReportSetupClass;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Run(LPBINDCTX) override {
        InterlockedIncrement(&g_runs);
        const HRESULT failure = RequestedFailure("run");
        return FAILED(failure) ? failure : S_OK;
    }
    BOOL STDMETHODCALLTYPE IsRunning() override { return g_runs > 0; }
    HRESULT STDMETHODCALLTYPE LockRunning(BOOL, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL) override { return S_OK; }

private:
    ~SetupObject() { InterlockedDecrement(&g_liveObjects); }

    LONG m_references = 1;
};

class SetupFactory final : public IClassFactory {
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
    // One factory for the life of the module.
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
        const HRESULT failure = RequestedFailure("create");
        if (FAILED(failure)) {
            return failure;
        }
        SetupObject* object = new (std::nothrow) SetupObject();
        if (object == nullptr) {
            return E_OUTOFMEMORY;
        }
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
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

SetupFactory g_factory;

LONG SetKeyText(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

} // namespace

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
    if (clsid != kDbgReportSetupClass) {
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
    ovs::unique_hkey classKey;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kClassKey, 0, nullptr, 0, KEY_WRITE, nullptr, classKey.put(),
                        nullptr) != ERROR_SUCCESS) {
        return SELFREG_E_CLASS;
    }
    ovs::unique_hkey serverKey;
    if (SetKeyText(classKey.get(), nullptr, kClassName) != ERROR_SUCCESS ||
        RegCreateKeyExA(classKey.get(), "InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, serverKey.put(),
                        nullptr) != ERROR_SUCCESS ||
        SetKeyText(serverKey.get(), nullptr, std::string(path, length)) != ERROR_SUCCESS ||
        SetKeyText(serverKey.get(), "ThreadingModel", kThreadingModel) != ERROR_SUCCESS) {
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT __stdcall DllUnregisterServer() {
    const LONG status = RegDeleteTreeA(HKEY_CLASSES_ROOT, kClassKey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}

void __stdcall DbgReportSetupCounters(DbgReportSetupCounts* counts) {
    if (counts == nullptr) {
        return;
    }
    counts->liveObjects = g_liveObjects;
    counts->created = g_created;
    counts->runs = g_runs;
    counts->operations = g_operations;
    counts->lastOpen = g_lastOpen;
}

} // extern "C"
