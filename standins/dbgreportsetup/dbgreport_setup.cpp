// The debug-report set-up component as an in-process server: a class factory, one object with the
// set-up interface and IRunnableObject, and its registration under HKCR\CLSID.
#include "dbgreport_setup.h"
#include "OVSTools2.h"
#include "inproc_server.h"
#include "unique_resource.h"

#include <oleidl.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr char kFailVariable[] = "OVS_DBGREPORTSETUP_FAIL";

LONG g_created = 0;
LONG g_runs = 0;
LONG g_operations = 0;
LONG g_lastOpen = -1;

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
    SetupObject() { InterlockedIncrement(&g_created); }
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
    ULONG STDMETHODCALLTYPE AddRef() override { return m_references.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_references.Release(this); }

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
    friend class ovs::standin::References<SetupObject>;
    ~SetupObject() = default;

    ovs::standin::References<SetupObject> m_references;
};

HRESULT CreateSetup(REFIID iid, void** out) {
    const HRESULT failure = RequestedFailure("create");
    if (FAILED(failure)) {
        return failure;
    }
    return ovs::standin::CreateAndQuery<SetupObject>(iid, out);
}

} // namespace

const ovs::standin::ServedClass ovs::standin::kServedClass{kDbgReportSetupClass, "Debug report set-up",
                                                           CreateSetup};

extern "C" {

void __stdcall DbgReportSetupCounters(DbgReportSetupCounts* counts) {
    if (counts == nullptr) {
        return;
    }
    counts->liveObjects = ovs::standin::LiveObjects();
    counts->created = g_created;
    counts->runs = g_runs;
    counts->operations = g_operations;
    counts->lastOpen = g_lastOpen;
}

} // extern "C"
