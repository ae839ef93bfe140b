// The host application's object as a stand-in (OVSHostObject.dll), class CLSID_OvsHostObjectStandIn
// {41B377C7-33B3-4C0C-961C-AB6038AA3961}, registered under HKCR\CLSID by DllRegisterServer.
//
// One object plays the three roles that a host hands to the library: the user management (its
// rights list), the document store (a folder name and one stored block) and the service host whose
// "Audit Trail" service answers the reason and status interfaces with objects of their own (each
// holds a reference on the host while it lives). Every call is written to a text log, one line each:
//   "user 12", "store 10", "store 19 <category> <id in hex> <name> <size> <flag>",
//   "store 20 <category> <id in hex> <name> <n1> <n2>", "host <slot> <service name> <IID>",
//   "reason 15 <reason> <second>", "status 8 <mode>", "status 9", "status 10", "status 11 <value>".
// The reason and status services return E_FAIL from every call, so that a caller's indifference to
// their results shows; the status service's slot 9 writes 11 and -22 into its two values.
#pragma once

#include "ovsdocumentobjects.h"
#include "ovsusermanagement.h"

inline constexpr CLSID CLSID_OvsHostObjectStandIn = {
    0x41b377c7, 0x33b3, 0x4c0c, {0x96, 0x1c, 0xab, 0x60, 0x38, 0xaa, 0x39, 0x61}};

// How the service host answers its two service queries.
enum OvsServiceAnswer : LONG {
    OVS_SERVICE_OBJECT = 0,  // the service object queried for the interface
    OVS_SERVICE_FAILURE = 1, // E_NOINTERFACE
    OVS_SERVICE_NOTHING = 2, // S_OK without an object
};

inline constexpr IID IID_IOvsHostObjectSetup = {
    0x6377779b, 0x7b5d, 0x40f8, {0x90, 0x49, 0xaf, 0x36, 0xfc, 0x80, 0x1e, 0x19}};
struct IOvsHostObjectSetup : IUnknown {
    // The rights that slot 12 of the user management hands out as a fresh 0-ended task-memory
    // array (null: a null array), and its result (a failure hands out nothing).
    virtual HRESULT STDMETHODCALLTYPE SetRights(const DWORD* pRights, HRESULT hr) = 0;
    // The folder name and result of the store's slot 10.
    virtual HRESULT STDMETHODCALLTYPE SetStoreNames(LPCSTR szFolder, HRESULT hr) = 0;
    // What the store's slot 20 hands out: a fresh task-memory copy of the bytes (also for 0 bytes),
    // the flag and the result.
    virtual HRESULT STDMETHODCALLTYPE SetStoredBlock(const BYTE* pBlock, ULONG cbBlock, LONG nFlag,
                                                     HRESULT hr) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetServiceAnswer(LONG nAnswer) = 0;
    // The log so far, lines ended by "\n", cut to the capacity; and emptied.
    virtual HRESULT STDMETHODCALLTYPE GetCallLog(LPSTR szLog, ULONG cchCapacity) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearCallLog() = 0;
    // The bytes last given to the store's slot 19 (at most the capacity; *pcbBlock gets their count).
    virtual HRESULT STDMETHODCALLTYPE GetWrittenBlock(BYTE* pBlock, ULONG cbCapacity, ULONG* pcbBlock) = 0;
    // How many blocks this object handed out are still live, and how many objects of the module live.
    virtual HRESULT STDMETHODCALLTYPE GetLiveCounts(LONG* pnBlocks, LONG* pnObjects) = 0;
};
