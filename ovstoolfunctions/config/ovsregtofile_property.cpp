// Properties in the storage server, addressed by scope and all seven item key fields.
#include "ovsregstorage.h"
#include "regstorage_session.h"

using namespace ovs::regstorage;

namespace {

constexpr long kSystemPropertyKind = 1;
constexpr long kPropertyIndex1 = -1;
constexpr long kPropertyIndex2 = 0;

RegStorageKey SystemPropertyKey(int propertyId) {
    return {kPropertyIndex1, kPropertyIndex2, kNoSystem, propertyId, nullptr, nullptr, nullptr};
}

HRESULT GetProperty(long scope, RegStorageKey& item, void* buffer, DWORD size, DWORD* wordB, DWORD* wordA) {
    Session session;
    const Outcome opened = session.OpenForRead(scope, item, 1);
    if (opened.Failed()) {
        return opened.Result();
    }
    DWORD a = 0;
    DWORD b = 0;
    const Outcome read = session.Read(item, buffer, size, &a, &b, nullptr);
    if (!read.Failed()) {
        if (wordB != nullptr) {
            *wordB = b;
        }
        if (wordA != nullptr) {
            *wordA = a;
        }
    }
    return read.Result();
}

HRESULT SetProperty(long scope, RegStorageKey& item, const void* data, DWORD size, long kind) {
    Session session;
    Outcome outcome = session.OpenForWrite(scope, item);
    if (!outcome.Failed()) {
        outcome = session.Write(item, kind, data, size, nullptr);
    }
    if (!outcome.Failed()) {
        outcome = session.Commit();
    }
    return outcome.Result();
}

} // namespace

HRESULT Tool_GetProperty(void* pBuffer, DWORD dwBufferSize, DWORD* pdwWordB, int nScope, int nIndex1,
                         int nIndex2, int nSystemIndex, int nItemId, LPCSTR szKeyName, LPCSTR szSubKeyName,
                         LPCSTR szValueName, DWORD* pdwWordA) {
    RegStorageKey item = {nIndex1, nIndex2, nSystemIndex, nItemId, szKeyName, szSubKeyName, szValueName};
    return GetProperty(nScope, item, pBuffer, dwBufferSize, pdwWordB, pdwWordA);
}

HRESULT Tool_SetProperty(const void* pData, DWORD dwByteCount, int nScope, int nIndex1, int nIndex2,
                         int nSystemIndex, int nItemId, LPCSTR szKeyName, LPCSTR szSubKeyName,
                         LPCSTR szValueName, int nKind) {
    RegStorageKey item = {nIndex1, nIndex2, nSystemIndex, nItemId, szKeyName, szSubKeyName, szValueName};
    return SetProperty(nScope, item, pData, dwByteCount, nKind);
}

HRESULT Tool_GetSystemProperty(void* pBuffer, DWORD dwBufferSize, int nPropertyId) {
    RegStorageKey item = SystemPropertyKey(nPropertyId);
    return GetProperty(kScopeCommon, item, pBuffer, dwBufferSize, nullptr, nullptr);
}

HRESULT Tool_SetSystemProperty(const void* pData, DWORD dwByteCount, int nPropertyId) {
    RegStorageKey item = SystemPropertyKey(nPropertyId);
    return SetProperty(kScopeCommon, item, pData, dwByteCount, kSystemPropertyKind);
}
