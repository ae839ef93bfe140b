// The user management of the data system as the caller hands it to the system check run mode. Only
// the slot named here is called; the others keep every method at its fixed place in the table of
// virtual functions (slot 1 is QueryInterface).
#pragma once

#include "ovsdocumentobjects.h"

// {112A4FA1-7B2D-4563-ADEC-25FCEE77DAF3}
inline constexpr IID IID_IOVSUserManagement = {
    0x112a4fa1, 0x7b2d, 0x4563, {0xad, 0xec, 0x25, 0xfc, 0xee, 0x77, 0xda, 0xf3}};

struct IOVSUserManagement : public IUnknown {
    // Slots 4 to 11: not called by the library.
    OVS_PLACEHOLDER(3)
    OVS_PLACEHOLDER(4)
    OVS_PLACEHOLDER(5)
    OVS_PLACEHOLDER(6)
    OVS_PLACEHOLDER(7)
    OVS_PLACEHOLDER(8)
    OVS_PLACEHOLDER(9)
    OVS_PLACEHOLDER(10)
    // Slot 12: the current user's right numbers, a 0-ended array in task memory that the caller
    // frees with CoTaskMemFree (null: no restriction, every right granted).
    virtual HRESULT STDMETHODCALLTYPE GetCurrentUserRights(DWORD** ppRights) = 0;
};
