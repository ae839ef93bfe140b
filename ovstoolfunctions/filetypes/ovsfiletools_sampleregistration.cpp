// The sample-registration program: found by the class name the system names, for users who hold
// its rights.
#include "ovstoolderivednames.h"

#include "callframe.h"
#include "file_type_table.h"
#include "ovsreg.h"
#include "ovsrights.h"
#include "unique_resource.h"

#include <oleauto.h>

namespace {

constexpr char kFunction[] = "Tool_GetIOVSSampleRegistration";
constexpr char kOptionSubKey[] = "InstalledOption";
constexpr char kProgramValue[] = "SampleRegistrationProgram";
constexpr DWORD kRequiredRights[] = {1408, 1500};
constexpr size_t kClassNameSize = 64;

bool HoldsRequiredRights(const DWORD* pRights) {
    if (pRights == nullptr) {
        return false;
    }
    const CUserRights rights(pRights);
    for (DWORD right : kRequiredRights) {
        if (rights.HasRight(right) == 0) {
            return false;
        }
    }
    return true;
}

} // namespace

HRESULT Tool_GetIOVSSampleRegistration(const DWORD* pRights, IOVSSampleRegistration** ppProgram) {
    OVS_REQUIRE_ARG(kFunction, ppProgram != nullptr, E_INVALIDARG);
    *ppProgram = nullptr;
    if (!HoldsRequiredRights(pRights)) {
        return E_FAIL;
    }
    char className[kClassNameSize] = "";
    Tool_GetRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, kOptionSubKey, kProgramValue, "", className,
                           sizeof className);
    const std::wstring wideName = ovs::filetypes::WidePath(className);
    if (wideName.empty()) {
        return E_FAIL;
    }
    CLSID clsid = {};
    HRESULT hr = CLSIDFromProgID(wideName.c_str(), &clsid);
    if (FAILED(hr)) {
        return hr;
    }
    ovs::com_ptr<IOVSSampleRegistration> program;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOVSSampleRegistration,
                          program.put_void());
    if (FAILED(hr)) {
        return hr;
    }
    // A program that cannot hand out its name (E_OUTOFMEMORY among others) is not usable either.
    ovs::unique_bstr name;
    const HRESULT nameResult = program->GetProgramName(name.put());
    if (FAILED(nameResult)) {
        return nameResult;
    }
    if (SysStringLen(name.get()) == 0) {
        return E_FAIL;
    }
    *ppProgram = program.get();
    (*ppProgram)->AddRef();
    return hr;
}
