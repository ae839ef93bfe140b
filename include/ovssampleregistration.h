// The sample-registration program of the data system, an optional in-process component that a
// system names by its class name. The places of the methods are fixed: the three methods of
// IUnknown are places 0 to 2, the name request is place 3.
#pragma once

#include <windows.h>
#include <unknwn.h>

// {86A55D97-04EF-4517-ADF0-253F0FDE4888}
inline constexpr IID IID_IOVSSampleRegistration = {
    0x86a55d97, 0x04ef, 0x4517, {0xad, 0xf0, 0x25, 0x3f, 0x0f, 0xde, 0x48, 0x88}};

struct IOVSSampleRegistration : public IUnknown {
    // 3: the program's name as a new BSTR that the caller frees; empty when the program is not usable.
    virtual HRESULT STDMETHODCALLTYPE GetProgramName(BSTR* pbstrName) = 0;
};
