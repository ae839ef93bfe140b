// The in-process path-information component: class {DF6D750E-0B70-44A4-893E-D51F2D6BE1F4}, used
// through interface {B99D5116-0FC9-4EED-99CE-D5B32AD93852}. Its methods take a logical path and
// report an HRESULT and a status; an item counts only when both are not negative. The places of
// the methods in the interface are fixed (the three methods of IUnknown are places 0 to 2); the
// places 3 to 24, 30 and 31 are held by methods the library does not call.
#pragma once

#include <windows.h>
#include <unknwn.h>

inline constexpr CLSID kPathInformationClass = {
    0xDF6D750E, 0x0B70, 0x44A4, {0x89, 0x3E, 0xD5, 0x1F, 0x2D, 0x6B, 0xE1, 0xF4}};
inline constexpr IID kPathInformationInterface = {
    0xB99D5116, 0x0FC9, 0x4EED, {0x99, 0xCE, 0xD5, 0xB3, 0x2A, 0xD9, 0x38, 0x52}};

// Size of the text buffers handed to the item methods.
inline constexpr LONG kPathInformationTextSize = 384;

struct IPathInformation : IUnknown {
    // Places 3 to 24.
    virtual HRESULT STDMETHODCALLTYPE Unused03() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused04() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused05() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused06() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused07() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused08() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused09() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused10() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused11() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused12() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused13() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused14() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused15() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused16() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused17() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused18() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused19() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused20() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused21() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused22() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused23() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused24() = 0;
    // 25: the file kind (no text item).
    virtual HRESULT STDMETHODCALLTYPE GetFileKind(LPCSTR szLogicalPath, LONG* plKind, LONG* plStatus) = 0;
    // 26: item 0x1000, a number.
    virtual HRESULT STDMETHODCALLTYPE GetNumber(LPCSTR szLogicalPath, LONG* plNumber, LONG* plStatus) = 0;
    // 27: item 0x8, a GUID.
    virtual HRESULT STDMETHODCALLTYPE GetIdentifier(LPCSTR szLogicalPath, GUID* pGuid, LONG* plStatus) = 0;
    // 28: item 0x20, the project name.
    virtual HRESULT STDMETHODCALLTYPE GetProjectName(LPCSTR szLogicalPath, LPSTR szBuffer, LONG lSize,
                                                     LONG* plStatus) = 0;
    // 29: item 0x40.
    virtual HRESULT STDMETHODCALLTYPE GetItem40(LPCSTR szLogicalPath, LPSTR szBuffer, LONG lSize,
                                                LONG* plStatus) = 0;
    // Places 30 and 31.
    virtual HRESULT STDMETHODCALLTYPE Unused30() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused31() = 0;
    // 32: item 0x80000, the short form (at most 255 characters).
    virtual HRESULT STDMETHODCALLTYPE GetShortForm(LPCSTR szLogicalPath, LPSTR szBuffer, LONG lSize,
                                                   LONG* plStatus) = 0;
    // 33: item 0x100000.
    virtual HRESULT STDMETHODCALLTYPE GetItem100000(LPCSTR szLogicalPath, LPSTR szBuffer, LONG lSize,
                                                    LONG* plStatus) = 0;
    // 34: item 0x20000, with a flag of 0 or 1.
    virtual HRESULT STDMETHODCALLTYPE GetItem20000(LPCSTR szLogicalPath, BOOL bFlag, LPSTR szBuffer,
                                                   LONG lSize, LONG* plStatus) = 0;
    // 35: item 0x40000, the data-set number.
    virtual HRESULT STDMETHODCALLTYPE GetDataSetNumber(LPCSTR szLogicalPath, LPSTR szBuffer, LONG lSize,
                                                       LONG* plStatus) = 0;
};
