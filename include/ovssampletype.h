// The sample-type component: an in-process COM server of the data system that lists the default
// sample types for a selector. Its list is a block of records in task memory, which the caller frees
// with CoTaskMemFree. The places of the methods are fixed: the three methods of IUnknown are places 0
// to 2, the request is place 3.
#pragma once

#include <windows.h>
#include <unknwn.h>

// A default sample type: its name (narrow text in the process code page, terminated unless it fills
// all 32 bytes) and its type code.
struct OVS_DEFAULTSAMPLETYPE {
    char szName[32];
    WORD wTypeCode;
};
static_assert(sizeof(OVS_DEFAULTSAMPLETYPE) == 34, "the record is shared byte for byte");

inline constexpr CLSID CLSID_OvsSampleType = {
    0x6c1f0d42, 0x93a5, 0x4b7e, {0x8f, 0x21, 0x5d, 0xc4, 0x0a, 0x7e, 0x31, 0xb9}};

inline constexpr IID IID_IOvsDefaultSampleTypes = {
    0x2e8b7a14, 0xc0d6, 0x4f53, {0xa1, 0x9e, 0x64, 0x3b, 0xf2, 0x85, 0x0c, 0xd7}};
struct IOvsDefaultSampleTypes : IUnknown {
    // 3: the default sample types of lSelector; an unknown selector gives *pwCount 0 and a null block.
    virtual HRESULT STDMETHODCALLTYPE GetDefaultSampleTypes(LONG lSelector, WORD* pwCount,
                                                            OVS_DEFAULTSAMPLETYPE** ppRecords) = 0;
};
