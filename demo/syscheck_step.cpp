// System check file names of system 1, the run-mode switch of a user without the expansion right,
// and the graph-axis right after the host set the process rights.
#include "OVSTools2.h"
#include "ovsdocumentobjects.h"
#include "ovsusermanagement.h"
#include "demo_steps.h"

#include <cstdio>

namespace demo {

namespace {

// A signed-in user who holds rights 12 and 1405, but not the expansion right 1706.
class DemoUser : public IOVSUserManagement {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IOVSUserManagement ? this : nullptr;
        return *out != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    OVS_PLACEHOLDER_NOTIMPL(3)
    OVS_PLACEHOLDER_NOTIMPL(4)
    OVS_PLACEHOLDER_NOTIMPL(5)
    OVS_PLACEHOLDER_NOTIMPL(6)
    OVS_PLACEHOLDER_NOTIMPL(7)
    OVS_PLACEHOLDER_NOTIMPL(8)
    OVS_PLACEHOLDER_NOTIMPL(9)
    OVS_PLACEHOLDER_NOTIMPL(10)
    HRESULT STDMETHODCALLTYPE GetCurrentUserRights(DWORD** ppRights) override {
        const DWORD rights[] = {12, 1405, 0};
        *ppRights = static_cast<DWORD*>(CoTaskMemAlloc(sizeof rights));
        if (*ppRights == nullptr) {
            return E_OUTOFMEMORY;
        }
        CopyMemory(*ppRights, rights, sizeof rights);
        return S_OK;
    }
};

} // namespace

void RunSysCheckStep() {
    Heading("System check: result files of system 1");
    for (int kind : {0, 2}) {
        CString stamped;
        CString latest;
        CString print;
        Tool_MakeSystemCheckFilePathName(1, kind, stamped);
        Tool_MakeSystemCheckLatestFilePathName(1, kind, latest);
        Tool_MakeSystemCheckDataFilePathNameForPrint(1, kind, print);
        std::printf("kind %d\n    this run: %s\n    latest:   %s\n    print:    %s\n", kind,
                    stamped.GetString(), latest.GetString(), print.GetString());
    }

    Heading("System check: run mode of a user without right 1706");
    DemoUser user;
    CString settings("<EXPANSION COLUMN=2 LABEL=\"oven check\">");
    std::printf("before:  %s\n", settings.GetString());
    BOOL changed = FALSE;
    const HRESULT hr = Tool_SetSystemCheckExpansionRunMode(settings, &changed, &user);
    std::printf("after:   %s (result 0x%08lX, changed: %s)\n", settings.GetString(),
                static_cast<unsigned long>(hr), changed ? "yes" : "no");

    Heading("Users: the graph-axis right");
    Tool_SetCurrentUserRight(1406, 0);
    Tool_SetCurrentUserRight(1411, 1);
    std::printf("rights 1406 = %lu, 1411 = %lu: graph axis %s\n",
                static_cast<unsigned long>(Tool_GetCurrentUserRight(1406)),
                static_cast<unsigned long>(Tool_GetCurrentUserRight(1411)),
                Tool_GetGraphAxisRight() ? "may be changed" : "is locked");
}

} // namespace demo
