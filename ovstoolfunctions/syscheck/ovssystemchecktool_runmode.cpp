// The run-mode switch of a system check's expansion settings, set by the current user's rights.
#include "ovstoolsyscheck.h"
#include "ovsusermanagement.h"
#include "ovsrights.h"
#include "callframe.h"
#include "unique_resource.h"

namespace {

constexpr char kSetRunMode[] = "Tool_SetSystemCheckExpansionRunMode";
constexpr char kRunModeElement[] = "RUNMODE";
constexpr char kRunModeOption[] = "OPTION";
constexpr int kRunModeValue = 1;
// The right that lets a user run the expansion without the run-mode switch.
constexpr DWORD kExpansionRight = 1706;

} // namespace

HRESULT Tool_SetSystemCheckExpansionRunMode(CString& strText, BOOL* pbChanged,
                                            IOVSUserManagement* pIOVSUserManagement) {
    OVS_REQUIRE_ARG(kSetRunMode, nullptr != pbChanged, E_INVALIDARG);
    *pbChanged = FALSE;
    OVS_REQUIRE_ARG(kSetRunMode, nullptr != pIOVSUserManagement, E_INVALIDARG);

    DWORD* granted = nullptr;
    const HRESULT hr = pIOVSUserManagement->GetCurrentUserRights(&granted);
    const ovs::unique_cotaskmem block(granted); // freed on every road, also after a failure
    if (FAILED(hr)) {
        return hr;
    }
    const CUserRights rights(granted);

    CSysChkString settings;
    settings.Parse(strText);
    const bool present = settings.Find(kRunModeElement) >= 0;
    const bool entitled = rights.HasRight(kExpansionRight) != 0;
    if (!entitled && !present) {
        CSysChkCompoStr runMode(kRunModeElement);
        runMode.SetOption(kRunModeOption, kRunModeValue);
        settings.Add(runMode);
    } else if (entitled && present) {
        settings.Remove(kRunModeElement);
    } else {
        return S_OK;
    }
    strText = settings.GetString();
    *pbChanged = TRUE;
    return S_OK;
}

BOOL Tool_ResetSystemCheckExpansionRunMode(CString& strText) {
    CSysChkString settings;
    settings.Parse(strText);
    if (!settings.Remove(kRunModeElement)) {
        return FALSE;
    }
    strText = settings.GetString();
    return TRUE;
}
