// Sessions on the storage server and the registry-style reads and writes built on them.
#include "regstorage_session.h"
#include "ovstooldbgreport.h"

#include <comdef.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace ovs::regstorage {

namespace {

const CLSID kServerClass = {0x32BF2667, 0x28F8, 0x4C93, {0x81, 0x53, 0x45, 0xCE, 0x4A, 0x25, 0xAC, 0xF9}};
const IID kStorageInterface = {0x94F730D7, 0x5242, 0x4B64, {0x9B, 0x8F, 0xC7, 0xB6, 0x5A, 0x5B, 0x26, 0x35}};
// In-process server, in-process handler, local server and remote server.
constexpr DWORD kEveryServerContext = 0x17;
constexpr long kKindValue = 1;
constexpr long kRegistryIndex1 = -1;
constexpr long kRegistryIndex2 = 0;
constexpr long kRegistryItemId = 1;
constexpr char kSystemPrefix[] = "System";
constexpr char kReadBusy[] = "Sleep(10) in GetRegStorage";
constexpr char kWriteBusy[] = "Sleep(10) in WriteRegStorage";

template <typename Call>
Outcome RetryWhileBusy(LPCSTR busyText, Call call, DWORD busyWaitMs = kBusyWaitMs) {
    for (;;) {
        Outcome outcome = {S_OK, 0};
        outcome.hr = call(&outcome.status);
        if (outcome.hr != kBusy && outcome.status != kBusy) {
            return outcome;
        }
        if (busyText != nullptr) {
            Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_TMG, "%s", busyText);
        }
        Sleep(busyWaitMs);
    }
}

} // namespace

Scope ScopeFromSystemIndex(int index) {
    return index > 0 ? Scope{kScopeSystem, index} : Scope{kScopeCommon, kNoSystem};
}

Scope ScopeFromSystemName(LPCSTR systemName) {
    if (systemName == nullptr) {
        return ScopeFromSystemIndex(0);
    }
    const char* rest = systemName;
    while (*rest != '\0' && std::strchr(kSystemPrefix, *rest) != nullptr) {
        ++rest;
    }
    // Decimal digits only; a number too large for an index counts as no system.
    long long index = 0;
    for (; *rest >= '0' && *rest <= '9' && index <= INT_MAX; ++rest) {
        index = index * 10 + (*rest - '0');
    }
    return ScopeFromSystemIndex(index <= INT_MAX ? static_cast<int>(index) : 0);
}

RegStorageKey RegistryValueKey(const Scope& scope, LPCSTR key, LPCSTR subKey, LPCSTR valueName) {
    return {kRegistryIndex1, kRegistryIndex2, scope.systemIndex, kRegistryItemId, key, subKey, valueName};
}

Session::Session() {
    com_ptr<IUnknown> unknown;
    HRESULT hr =
        CoCreateInstance(kServerClass, nullptr, kEveryServerContext, IID_IUnknown, unknown.put_void());
    if (SUCCEEDED(hr)) {
        hr = OleRun(unknown.get());
    }
    if (FAILED(hr)) {
        throw _com_error(hr);
    }
    if (FAILED(unknown->QueryInterface(kStorageInterface, m_storage.put_void())) || !m_storage) {
        throw _com_error(E_POINTER);
    }
}

Outcome Session::OpenForRead(long scope, const RegStorageKey& key, long secondFlag) {
    Outcome outcome = {S_OK, 0};
    outcome.hr = m_storage->OpenForRead(scope, key.index1, key.index2, key.systemIndex, 1, secondFlag,
                                        &outcome.status);
    return outcome;
}

Outcome Session::OpenForWrite(long scope, const RegStorageKey& key, long flag) {
    Outcome outcome = {S_OK, 0};
    outcome.hr =
        m_storage->OpenForWrite(scope, key.index1, key.index2, key.systemIndex, flag, &outcome.status);
    return outcome;
}

Outcome Session::Read(RegStorageKey& key, void* buffer, DWORD size, DWORD* wordA, DWORD* wordB,
                      LPCSTR busyText, DWORD busyWaitMs) {
    DWORD a = 0;
    DWORD b = 0;
    return RetryWhileBusy(
        busyText,
        [&](long* status) {
            return m_storage->ReadValue(&key, wordA != nullptr ? wordA : &a, static_cast<BYTE*>(buffer),
                                        buffer != nullptr ? size : 0, wordB != nullptr ? wordB : &b, status);
        },
        busyWaitMs);
}

Outcome Session::Write(RegStorageKey& key, long kind, const void* data, DWORD size, LPCSTR busyText) {
    return RetryWhileBusy(busyText, [&](long* status) {
        return m_storage->WriteValue(&key, kind, static_cast<const BYTE*>(data), data != nullptr ? size : 0,
                                     status);
    });
}

Outcome Session::Remove(RegStorageKey& key, LPCSTR busyText) {
    return RetryWhileBusy(busyText, [&](long* status) { return m_storage->RemoveValue(&key, status); });
}

Outcome Session::Commit() {
    Outcome outcome = {S_OK, 0};
    outcome.hr = m_storage->Commit(1, &outcome.status);
    return outcome;
}

bool ReadStorage(LPCSTR key, LPCSTR systemName, LPCSTR subKey, LPCSTR valueName, const void* defaultData,
                 DWORD defaultSize, void* buffer, DWORD size, bool readFlag) {
    Session session;
    const Scope scope = ScopeFromSystemName(systemName);
    RegStorageKey item = RegistryValueKey(scope, key, subKey, valueName);
    if (session.OpenForRead(scope.scope, item, readFlag ? 1 : 0).Failed()) {
        return false;
    }
    if (session.Read(item, buffer, size, nullptr, nullptr, kReadBusy).Failed()) {
        if (defaultData == nullptr) {
            return false;
        }
        if (buffer != nullptr) {
            std::memcpy(buffer, defaultData, std::min(defaultSize, size));
        }
    }
    return !session.Commit().Failed();
}

bool WriteStorage(LPCSTR key, LPCSTR systemName, LPCSTR subKey, LPCSTR valueName, const void* data,
                  DWORD size) {
    Session session;
    const Scope scope = ScopeFromSystemName(systemName);
    RegStorageKey item = RegistryValueKey(scope, key, subKey, valueName);
    if (session.OpenForWrite(scope.scope, item).Failed()) {
        return false;
    }
    if (session.Write(item, kKindValue, data, size, kWriteBusy).Failed()) {
        return false;
    }
    return !session.Commit().Failed();
}

} // namespace ovs::regstorage
