// The outside version component: slot 12 hands out a 32-bit word, slot 16 a version text for a
// request number. Only these two slots are used; the others keep the layout.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace ovs {

// {A4712AE5-DFB8-498E-9C35-5D5F819A9287}
inline constexpr CLSID kVersionComponentClass = {
    0xA4712AE5, 0xDFB8, 0x498E, {0x9C, 0x35, 0x5D, 0x5F, 0x81, 0x9A, 0x92, 0x87}};
// {A70470E2-5913-4514-9E95-6A7E97350098}
inline constexpr IID kVersionComponentInterface = {
    0xA70470E2, 0x5913, 0x4514, {0x9E, 0x95, 0x6A, 0x7E, 0x97, 0x35, 0x00, 0x98}};

// The request number for the version of the instrument-control package.
inline constexpr LONG kSystemVersionRequest = 3000;

struct IVersionComponent : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Slot03() = 0;
    virtual HRESULT STDMETHODCALLTYPE Slot04() = 0;
    virtual HRESULT STDMETHODCALLTYPE Slot05() = 0;
    virtual HRESULT STDMETHODCALLTYPE Slot06() = 0;
    virtual HRESULT STDMETHODCALLTYPE Slot07() = 0;
    virtual HRESULT STDMETHODCALLTYPE Slot08() = 0;
    virtual HRESULT STDMETHODCALLTYPE Slot09() = 0;
    virtual HRESULT STDMETHODCALLTYPE Slot10() = 0;
    virtual HRESULT STDMETHODCALLTYPE Slot11() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWord(DWORD* word) = 0;
    virtual HRESULT STDMETHODCALLTYPE Slot13() = 0;
    virtual HRESULT STDMETHODCALLTYPE Slot14() = 0;
    virtual HRESULT STDMETHODCALLTYPE Slot15() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVersionText(LONG request, BSTR* text) = 0;
};

} // namespace ovs
