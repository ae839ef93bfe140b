// The interfaces through which the background data of a data file is linked: the data file, the
// file manager that opens the background file, and the two raw-data objects of a data file. The
// places of the operations are fixed (place 0 is QueryInterface); the places this library does not
// call are reserved. Names are narrow text, as in the other data-file interfaces.
#pragma once

#include <unknwn.h>

// A reserved place of an interface; every implementation answers it with E_NOTIMPL.
#define OVS_RESERVED_SLOT(n) virtual HRESULT STDMETHODCALLTYPE Reserved##n() = 0;

#define OVS_RAW_DATA_NAME "OVS Raw Data"
#define OVS_PDA_RAW_DATA_NAME "PDA 3D Raw Data"

// The record of a PDA raw-data object; the data file has PDA data when wKind is not 0.
struct OVS_PDAINFO {
    WORD wKind;
    BYTE reserved[530];
};
static_assert(sizeof(OVS_PDAINFO) == 532);

// The reserved places stand in rows, as in a table of the slots.
// clang-format off
inline constexpr IID IID_IOvsDataFile = {
    0x50a9ffd2, 0xdb82, 0x437d, {0xba, 0xd7, 0x93, 0x86, 0x92, 0xce, 0x7a, 0xf5}};
struct IOvsDataFile : IUnknown {
    OVS_RESERVED_SLOT(3) OVS_RESERVED_SLOT(4) OVS_RESERVED_SLOT(5) OVS_RESERVED_SLOT(6) OVS_RESERVED_SLOT(7)
    OVS_RESERVED_SLOT(8) OVS_RESERVED_SLOT(9) OVS_RESERVED_SLOT(10)
    // 11: the named object of the file, queried for riid.
    virtual HRESULT STDMETHODCALLTYPE GetDataObject(LPCSTR szName, REFIID riid, void** ppObject) = 0;
    OVS_RESERVED_SLOT(12) OVS_RESERVED_SLOT(13) OVS_RESERVED_SLOT(14) OVS_RESERVED_SLOT(15)
    OVS_RESERVED_SLOT(16) OVS_RESERVED_SLOT(17) OVS_RESERVED_SLOT(18) OVS_RESERVED_SLOT(19)
    OVS_RESERVED_SLOT(20) OVS_RESERVED_SLOT(21) OVS_RESERVED_SLOT(22) OVS_RESERVED_SLOT(23)
    // 24: the file's path into a buffer of cbBuffer bytes.
    virtual HRESULT STDMETHODCALLTYPE GetPathName(LPSTR szBuffer, DWORD cbBuffer) = 0;
};

inline constexpr IID IID_IOvsFileManager = {
    0xa2f69b2a, 0xacc5, 0x4242, {0x95, 0xe3, 0xde, 0x96, 0x88, 0xaa, 0xb6, 0x33}};
struct IOvsFileManager : IUnknown {
    OVS_RESERVED_SLOT(3) OVS_RESERVED_SLOT(4) OVS_RESERVED_SLOT(5) OVS_RESERVED_SLOT(6) OVS_RESERVED_SLOT(7)
    OVS_RESERVED_SLOT(8) OVS_RESERVED_SLOT(9) OVS_RESERVED_SLOT(10) OVS_RESERVED_SLOT(11)
    OVS_RESERVED_SLOT(12) OVS_RESERVED_SLOT(13) OVS_RESERVED_SLOT(14) OVS_RESERVED_SLOT(15)
    OVS_RESERVED_SLOT(16) OVS_RESERVED_SLOT(17) OVS_RESERVED_SLOT(18) OVS_RESERVED_SLOT(19)
    OVS_RESERVED_SLOT(20) OVS_RESERVED_SLOT(21) OVS_RESERVED_SLOT(22)
    // 23: opens a data file; the background is opened with (1, 0x4000000, 1, 0, 0, 0).
    virtual HRESULT STDMETHODCALLTYPE OpenFile(IOvsDataFile** ppFile, LPCSTR szFileName, LONG lMode, LONG lFlags,
                                               LONG lShare, LONG lReserved1, LONG lReserved2, LONG lReserved3) = 0;
    OVS_RESERVED_SLOT(24) OVS_RESERVED_SLOT(25)
    // 26: closes a file, also a half-opened one; lOption -1 closes without saving.
    virtual HRESULT STDMETHODCALLTYPE CloseFile(IOvsDataFile* pFile, LONG lOption) = 0;
};

inline constexpr IID IID_IOvsRawData = {
    0x7e97d33e, 0xe9d7, 0x47e7, {0xae, 0x34, 0xa9, 0x37, 0x9e, 0x95, 0x1b, 0x6b}};
struct IOvsRawData : IUnknown {
    OVS_RESERVED_SLOT(3) OVS_RESERVED_SLOT(4) OVS_RESERVED_SLOT(5) OVS_RESERVED_SLOT(6) OVS_RESERVED_SLOT(7)
    OVS_RESERVED_SLOT(8) OVS_RESERVED_SLOT(9) OVS_RESERVED_SLOT(10) OVS_RESERVED_SLOT(11)
    OVS_RESERVED_SLOT(12) OVS_RESERVED_SLOT(13) OVS_RESERVED_SLOT(14) OVS_RESERVED_SLOT(15)
    OVS_RESERVED_SLOT(16) OVS_RESERVED_SLOT(17) OVS_RESERVED_SLOT(18)
    // 19
    virtual HRESULT STDMETHODCALLTYPE ClearBackground() = 0;
    OVS_RESERVED_SLOT(20) OVS_RESERVED_SLOT(21) OVS_RESERVED_SLOT(22) OVS_RESERVED_SLOT(23)
    // 24
    virtual HRESULT STDMETHODCALLTYPE LinkBackground(IOvsRawData* pBackground) = 0;
};

inline constexpr IID IID_IOvsPdaRawData = {
    0x74824021, 0xaf78, 0x4e5f, {0xa4, 0x19, 0xb3, 0x01, 0xa0, 0x0e, 0x1c, 0x4b}};
struct IOvsPdaRawData : IUnknown {
    OVS_RESERVED_SLOT(3) OVS_RESERVED_SLOT(4)
    // 5
    virtual HRESULT STDMETHODCALLTYPE GetPdaInfo(OVS_PDAINFO* pInfo) = 0;
    OVS_RESERVED_SLOT(6) OVS_RESERVED_SLOT(7) OVS_RESERVED_SLOT(8) OVS_RESERVED_SLOT(9) OVS_RESERVED_SLOT(10)
    OVS_RESERVED_SLOT(11) OVS_RESERVED_SLOT(12) OVS_RESERVED_SLOT(13) OVS_RESERVED_SLOT(14)
    OVS_RESERVED_SLOT(15) OVS_RESERVED_SLOT(16)
    // 17: links the background of szPath, or clears it when both are null.
    virtual HRESULT STDMETHODCALLTYPE SetBackground(LPCSTR szPath, IOvsPdaRawData* pBackground) = 0;
};
// clang-format on
