// The storage server as the library sees it: its class and interface, the item key that names a
// value, and a session on one server object that retries while the storage is busy.
#pragma once

#include "unique_resource.h"

#include <windows.h>
#include <unknwn.h>

namespace ovs::regstorage {

// Answered by reads, writes and removals while another caller holds the storage.
constexpr HRESULT kBusy = static_cast<HRESULT>(0x880412C0);
constexpr long kScopeCommon = 0x40;
constexpr long kScopeSystem = 0x10;
constexpr long kNoSystem = -1;
constexpr DWORD kBusyWaitMs = 10;

// Four 32-bit numbers, then the three names (each may be null).
struct RegStorageKey {
    long index1;
    long index2;
    long systemIndex;
    long itemId;
    const char* keyName;
    const char* subKeyName;
    const char* valueName;
};

// Every method returns an HRESULT and a status; either being negative means failure. The slots
// marked unused belong to the server and are never called from here.
struct IOVSRegStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OpenForWrite(long scope, long index1, long index2, long systemIndex,
                                                   long flag, long* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenForRead(long scope, long index1, long index2, long systemIndex,
                                                  long firstFlag, long secondFlag, long* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused5() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused6() = 0;
    virtual HRESULT STDMETHODCALLTYPE WriteValue(RegStorageKey* key, long kind, const BYTE* data, DWORD size,
                                                 long* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadValue(RegStorageKey* key, DWORD* wordA, BYTE* buffer, DWORD size,
                                                DWORD* wordB, long* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveValue(RegStorageKey* key, long* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused10() = 0;
    virtual HRESULT STDMETHODCALLTYPE Commit(long flag, long* status) = 0;
};

// Where a value lives: per system (index n > 0) or common.
struct Scope {
    long scope;
    long systemIndex;
};
// "System3" gives system 3: the leading characters that occur in "System" are skipped and the rest
// read as a decimal number; null, no digits or 0 give the common scope.
Scope ScopeFromSystemName(LPCSTR systemName);
Scope ScopeFromSystemIndex(int index);

// The key of a registry-style value.
RegStorageKey RegistryValueKey(const Scope& scope, LPCSTR key, LPCSTR subKey, LPCSTR valueName);

// An HRESULT and a status, as every method answers.
struct Outcome {
    HRESULT hr;
    long status;
    bool Failed() const { return FAILED(hr) || status < 0; }
    // The first negative of the two, else the status.
    HRESULT Result() const { return FAILED(hr) ? hr : status; }
};

// One new server object, released with the session. The constructor raises _com_error.
class Session {
public:
    Session();

    // Opens with the scope and the key's index1, index2 and system index.
    Outcome OpenForRead(long scope, const RegStorageKey& key, long secondFlag);
    Outcome OpenForWrite(long scope, const RegStorageKey& key, long flag = 0);
    // The next three repeat every 10 ms (a read: every busyWaitMs) while the storage is busy, each round
    // writing busyText at the timing level when one is given.
    Outcome Read(RegStorageKey& key, void* buffer, DWORD size, DWORD* wordA, DWORD* wordB, LPCSTR busyText,
                 DWORD busyWaitMs = kBusyWaitMs);
    Outcome Write(RegStorageKey& key, long kind, const void* data, DWORD size, LPCSTR busyText);
    Outcome Remove(RegStorageKey& key, LPCSTR busyText);
    Outcome Commit();

private:
    com_ptr<IOVSRegStorage> m_storage;
};

// Registry-style values in one session each, as the plain reads and writes do them.
// Reads into buffer; a failed read copies the default (at most size bytes) when there is one.
bool ReadStorage(LPCSTR key, LPCSTR systemName, LPCSTR subKey, LPCSTR valueName, const void* defaultData,
                 DWORD defaultSize, void* buffer, DWORD size, bool readFlag);
bool WriteStorage(LPCSTR key, LPCSTR systemName, LPCSTR subKey, LPCSTR valueName, const void* data,
                  DWORD size);

} // namespace ovs::regstorage
