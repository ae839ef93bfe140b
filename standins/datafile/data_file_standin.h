// The data-file component as a stand-in (OVSDataFile.dll), class CLSID_OvsDataFileStandIn
// {DE6CF0FB-4458-4089-A929-3FCC5984233E}, registered under HKCR\CLSID by DllRegisterServer.
//
// Each object answers QueryInterface for IUnknown, IOvsSampleInformation, IOvsDataProcessingSource,
// IOvsDataFileSetup and the background interfaces IOvsDataFile and IOvsFileManager; its named data
// objects and the files its OpenFile opens are the object itself; OpenProcessing of the category "OVS Data
// Processing" gives the object's IOvsProcessingState and IOvsQuantMethod (any other category or interface:
// E_NOINTERFACE). All interfaces share one reference count, so AddRef/Release report every reference still
// held. The object answers from what IOvsDataFileSetup put in: the sample information and the method header
// (zeros until set) and the two tables (a header with count 0 until set), of which every Get...Table call
// hands out a fresh task-memory copy.
#pragma once

#include "ovsdatafile.h"
#include "ovsdatafilebackground.h"

inline constexpr CLSID CLSID_OvsDataFileStandIn = {
    0xde6cf0fb, 0x4458, 0x4089, {0xa9, 0x29, 0x3f, 0xcc, 0x59, 0x84, 0x23, 0x3e}};

// The calls of the data-file interfaces, as logged and as named for a failure.
enum OvsDataFileCall : LONG {
    OVS_DFCALL_NONE = -1,
    OVS_DFCALL_QUERY_SAMPLE_INFO, // QueryInterface(IID_IOvsSampleInformation)
    OVS_DFCALL_GET_SAMPLE_INFO,
    OVS_DFCALL_QUERY_SOURCE, // QueryInterface(IID_IOvsDataProcessingSource)
    OVS_DFCALL_OPEN_STATE,   // OpenProcessing(..., IID_IOvsProcessingState, ...)
    OVS_DFCALL_OPEN_METHOD,  // OpenProcessing(..., IID_IOvsQuantMethod, ...)
    OVS_DFCALL_SELECT_ENTRY,
    OVS_DFCALL_GET_METHOD_HEADER,
    OVS_DFCALL_GET_COMPOUND_TABLE,
    OVS_DFCALL_GET_RESULT_TABLE,
    OVS_DFCALL_QUERY_DATA_FILE,    // QueryInterface(IID_IOvsDataFile)
    OVS_DFCALL_QUERY_FILE_MANAGER, // QueryInterface(IID_IOvsFileManager)
    OVS_DFCALL_OPEN_FILE,
    OVS_DFCALL_CLOSE_FILE,
    OVS_DFCALL_GET_RAW_OBJECT, // GetDataObject(OVS_RAW_DATA_NAME, IID_IOvsRawData, ...)
    OVS_DFCALL_GET_PDA_OBJECT, // GetDataObject(OVS_PDA_RAW_DATA_NAME, IID_IOvsPdaRawData, ...)
    OVS_DFCALL_GET_PATH_NAME,
    OVS_DFCALL_LINK_RAW,
    OVS_DFCALL_CLEAR_RAW,
    OVS_DFCALL_GET_PDA_INFO,
    OVS_DFCALL_LINK_PDA,  // SetBackground with a path and an object
    OVS_DFCALL_CLEAR_PDA, // SetBackground(nullptr, nullptr)
};

inline constexpr IID IID_IOvsDataFileSetup = {
    0xd25dfcde, 0xad4f, 0x4f93, {0x98, 0xb0, 0xd7, 0x68, 0x44, 0x4a, 0x25, 0x4b}};
struct IOvsDataFileSetup : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetSampleInfo(const OVS_SAMPLEINFO* pInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMethodHeader(const OVS_QUANTMETHODHEADER* pHeader) = 0;
    // The bytes of a whole table, its header followed by its entries.
    virtual HRESULT STDMETHODCALLTYPE SetCompoundTable(const void* pBytes, DWORD cbSize) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetQuantResultTable(const void* pBytes, DWORD cbSize) = 0;
    // From now on the call returns hr and hands out nothing (a null interface or table, the out
    // record untouched); OVS_DFCALL_NONE ends the failure. One call fails at a time.
    virtual HRESULT STDMETHODCALLTYPE FailCall(LONG call, HRESULT hr) = 0;
    // The calls made so far, in order (at most capacity of them; *pCount gets the number made).
    virtual HRESULT STDMETHODCALLTYPE GetCallLog(LONG* pCalls, LONG capacity, LONG* pCount) = 0;
    // The entry of the last SelectEntry call.
    virtual HRESULT STDMETHODCALLTYPE GetSelectedEntry(LONG* pEntry) = 0;
    // The first word of the PDA record that GetPdaInfo hands out (0, no PDA data, until set).
    virtual HRESULT STDMETHODCALLTYPE SetPdaKind(WORD wKind) = 0;
};
