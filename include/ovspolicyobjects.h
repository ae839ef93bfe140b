// The caller's policy and settings objects that the current-user writers read from. Both are COM
// interfaces; only the slots named here are called, the others are kept so that every method sits
// at its fixed place in the table of virtual functions (slot 1 is QueryInterface).
//
// A call counts as failed when its HRESULT or its status is negative.
#pragma once

#include <windows.h>
#include <objbase.h>

// {83B94C5B-9C29-4671-81C2-79A627713EEA}
inline constexpr IID IID_IOVSUserPolicy = {
    0x83b94c5b, 0x9c29, 0x4671, {0x81, 0xc2, 0x79, 0xa6, 0x27, 0x71, 0x3e, 0xea}};
// {BEC0137B-46F8-44EF-818F-790E1071F395}
inline constexpr IID IID_IOVSSysProjSetting = {
    0xbec0137b, 0x46f8, 0x44ef, {0x81, 0x8f, 0x79, 0x0e, 0x10, 0x71, 0xf3, 0x95}};

// The security and system policy of the signed-in user.
struct IOVSUserPolicy : public IUnknown {
    // Slot 4: not called by the library.
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    // Slot 5: a switch; the value is compared with 0 and 1.
    virtual HRESULT STDMETHODCALLTYPE GetPolicySwitch(LONG nPolicyNumber, LONG* pnValue, LONG* pnStatus) = 0;
    // Slot 6: a number; only its low 16 bits are used, as a signed number.
    virtual HRESULT STDMETHODCALLTYPE GetPolicyNumber(LONG nPolicyNumber, LONG* pnValue, LONG* pnStatus) = 0;
};

// The system and project settings: data formats and the display modes that go with them.
struct IOVSSysProjSetting : public IUnknown {
    // Slots 4 to 10: not called by the library.
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;
    // Slot 11: the data format with the given number (kind, decimals, significant digits, fourth value).
    virtual HRESULT STDMETHODCALLTYPE GetDataFormat(LONG nFormatNumber, LONG* pnKind, LONG* pnDecimals,
                                                    LONG* pnSignificantDigits, LONG* pnFourthValue,
                                                    LONG* pnStatus) = 0;
    // Slot 12: not called by the library.
    virtual HRESULT STDMETHODCALLTYPE Reserved12() = 0;
    // Slot 13: the area/height format mode (0 off).
    virtual HRESULT STDMETHODCALLTYPE GetAHFormatMode(LONG* pnValue, LONG* pnStatus) = 0;
    // Slot 14: the dilution-factor switch (0 off).
    virtual HRESULT STDMETHODCALLTYPE GetDilutionFactor(LONG* pnValue, LONG* pnStatus) = 0;
    // Slot 15: the total mode (0 off).
    virtual HRESULT STDMETHODCALLTYPE GetTotalMode(LONG* pnValue, LONG* pnStatus) = 0;
    // Slot 16: not called by the library.
    virtual HRESULT STDMETHODCALLTYPE Reserved16() = 0;
    // Slot 17: the default x axis of the calibration curve.
    virtual HRESULT STDMETHODCALLTYPE GetDefaultXAxisCalibCurve(LONG* pnValue, LONG* pnStatus) = 0;
};
