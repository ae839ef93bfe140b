// Items of a logical path from the path-information component, whose interface pointer is kept
// for the process: created on first use, released by Tool_ReleaseInterface or at module end.
#include "ovstoollogicalpath.h"

#include "callframe.h"
#include "module_state.h"
#include "path_information.h"

#include <cstdio>

namespace {

constexpr DWORD kFirstItemBit = 1;
constexpr DWORD kLastItemBit = 20;

// The cached pointer, created when none is held. Its first use and its release must not race with
// other uses (the callers keep to this).
HRESULT Component(IPathInformation*& component) {
    ovs::ModuleState& module = ovs::Module();
    if (module.pathInformation == nullptr) {
        IPathInformation* created = nullptr;
        const HRESULT hr =
            CoCreateInstance(kPathInformationClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                             kPathInformationInterface, reinterpret_cast<void**>(&created));
        if (FAILED(hr)) {
            return hr;
        }
        if (created == nullptr) {
            return E_NOINTERFACE;
        }
        module.pathInformation = created;
    }
    component = static_cast<IPathInformation*>(module.pathInformation);
    return S_OK;
}

// The GUID in the platform's UUID text form: lower-case digits, no braces.
void GuidText(const GUID& guid, char (&text)[kPathInformationTextSize + 1]) {
    _snprintf(text, sizeof text - 1, "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
              static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
              guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
}

// Asks for one item; true when it was delivered (HRESULT and status not negative). The buffer has
// one byte more than the component is told, so that its text always ends.
bool FetchItem(IPathInformation* component, DWORD bit, LPCSTR path, BOOL flag,
               char (&text)[kPathInformationTextSize + 1]) {
    text[0] = '\0';
    text[kPathInformationTextSize] = '\0';
    LONG status = 0;
    HRESULT hr = E_NOTIMPL;
    switch (bit) {
        case OVS_PATHINFO_NUMBER: {
            LONG number = 0;
            hr = component->GetNumber(path, &number, &status);
            if (SUCCEEDED(hr) && status >= 0) {
                _snprintf(text, sizeof text - 1, "%ld", static_cast<long>(number));
            }
            break;
        }
        case OVS_PATHINFO_IDENTIFIER: {
            GUID guid = {};
            hr = component->GetIdentifier(path, &guid, &status);
            if (SUCCEEDED(hr) && status >= 0) {
                GuidText(guid, text);
            }
            break;
        }
        case OVS_PATHINFO_PROJECT_NAME:
            hr = component->GetProjectName(path, text, kPathInformationTextSize, &status);
            break;
        case OVS_PATHINFO_ITEM_40:
            hr = component->GetItem40(path, text, kPathInformationTextSize, &status);
            break;
        case OVS_PATHINFO_SHORT_FORM:
            hr = component->GetShortForm(path, text, kPathInformationTextSize, &status);
            break;
        case OVS_PATHINFO_ITEM_100000:
            hr = component->GetItem100000(path, text, kPathInformationTextSize, &status);
            break;
        case OVS_PATHINFO_ITEM_20000:
            hr = component->GetItem20000(path, flag ? TRUE : FALSE, text, kPathInformationTextSize, &status);
            break;
        case OVS_PATHINFO_DATA_SET_NUMBER:
            hr = component->GetDataSetNumber(path, text, kPathInformationTextSize, &status);
            break;
        default:
            return false; // bits without an item are never delivered
    }
    text[kPathInformationTextSize] = '\0';
    return SUCCEEDED(hr) && status >= 0;
}

} // namespace

DWORD Tool_GetPathInfoFromLogicalPath(CString strPath, CString& strOut, DWORD dwMask, char chSeparator,
                                      BOOL bFlag) {
    IPathInformation* component = nullptr;
    const HRESULT hr = Component(component);
    if (FAILED(hr)) {
        OVS_TRACE_FAILURE_VALUE("0x%08X", hr);
        return 0;
    }
    strOut.Empty();
    const bool keepPlaces = (dwMask & OVS_PATHINFO_KEEP_PLACES) != 0;
    DWORD placed = 0;
    for (DWORD number = kFirstItemBit; number <= kLastItemBit; ++number) {
        const DWORD bit = DWORD{1} << number;
        if ((dwMask & bit) == 0) {
            continue;
        }
        char text[kPathInformationTextSize + 1];
        const bool delivered = FetchItem(component, bit, strPath.GetString(), bFlag, text) && text[0] != '\0';
        if (!delivered && !keepPlaces) {
            continue;
        }
        if (placed != 0) {
            strOut += chSeparator;
        }
        if (delivered) {
            strOut += text;
        }
        placed |= bit;
    }
    return placed;
}

HRESULT Tool_GetFileKindFromLogicalPath(CString strPath, int* pnKind) {
    IPathInformation* component = nullptr;
    const HRESULT created = Component(component);
    if (FAILED(created)) {
        return created;
    }
    if (pnKind == nullptr) {
        return E_FAIL;
    }
    *pnKind = 0;
    LONG kind = 0;
    LONG status = 0;
    const HRESULT hr = component->GetFileKind(strPath.GetString(), &kind, &status);
    *pnKind = static_cast<int>(kind);
    if (FAILED(hr)) {
        return hr;
    }
    return static_cast<HRESULT>(status);
}

ULONG Tool_ReleaseInterface() {
    ovs::ModuleState& module = ovs::Module();
    IUnknown* held = module.pathInformation;
    if (held == nullptr) {
        return 0;
    }
    module.pathInformation = nullptr;
    return held->Release();
}
