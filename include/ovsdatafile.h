// The interfaces of a data file that the response-factor calculation reads. A data-file object
// answers QueryInterface for the sample information and for the processing source; the source
// opens the two processing interfaces of the category "OVS Data Processing". The places of the
// methods are fixed: the three methods of IUnknown are places 0 to 2, the others follow in the
// order declared. Tables are handed out in task memory; the caller frees them with CoTaskMemFree.
#pragma once

#include "ovsquantdata.h"

#include <unknwn.h>

// The category that the processing interfaces belong to.
#define OVS_DATA_PROCESSING_CATEGORY "OVS Data Processing"

// Sample kind of a calibration standard.
inline constexpr SHORT OVS_SAMPLE_KIND_STANDARD = 1;

struct OVS_SAMPLEINFO {
    SHORT nSampleKind;
    SHORT nCalibLevel; // 1-based
    FLOAT fSampleAmount;
};
static_assert(sizeof(OVS_SAMPLEINFO) == 8);

inline constexpr IID IID_IOvsSampleInformation = {
    0x008ca8e9, 0xd67b, 0x4158, {0xb5, 0x7b, 0xbf, 0x17, 0x35, 0x40, 0xa4, 0x0f}};
struct IOvsSampleInformation : IUnknown {
    // 3
    virtual HRESULT STDMETHODCALLTYPE GetSampleInfo(OVS_SAMPLEINFO* pInfo) = 0;
};

inline constexpr IID IID_IOvsDataProcessingSource = {
    0x1a3f2980, 0x6352, 0x4c8c, {0xaa, 0xf6, 0xc9, 0xe4, 0xcd, 0x4b, 0x86, 0xdf}};
struct IOvsDataProcessingSource : IUnknown {
    // 3: the interface riid of the processing category szCategory.
    virtual HRESULT STDMETHODCALLTYPE OpenProcessing(LPCSTR szCategory, REFIID riid, void** ppInterface) = 0;
};

// The processing state: which entry of the file is processed, and its quantitation results.
inline constexpr IID IID_IOvsProcessingState = {
    0x8721aaaa, 0xc8b6, 0x4e94, {0x89, 0xb0, 0x39, 0x3b, 0x90, 0x4f, 0xc4, 0xf4}};
struct IOvsProcessingState : IUnknown {
    // 3
    virtual HRESULT STDMETHODCALLTYPE SelectEntry(LONG lEntry) = 0;
    // 4: the header followed by its entries, in task memory.
    virtual HRESULT STDMETHODCALLTYPE GetQuantResultTable(OVS_QUANTRESULTTABLE** ppTable) = 0;
};

// The quantitation method of the processing.
inline constexpr IID IID_IOvsQuantMethod = {
    0xa37b2350, 0x5124, 0x4ca8, {0xbf, 0x71, 0xf2, 0x60, 0xb2, 0x07, 0x72, 0xa7}};
struct IOvsQuantMethod : IUnknown {
    // 3
    virtual HRESULT STDMETHODCALLTYPE GetMethodHeader(OVS_QUANTMETHODHEADER* pHeader) = 0;
    // 4: the header followed by its entries, in task memory.
    virtual HRESULT STDMETHODCALLTYPE GetCompoundTable(OVS_COMPOUNDTABLE** ppTable) = 0;
};
