// The audit-trail component: collects an audit record, a reason and the signature values, and saves
// them as the stream "Records" of the storage it is bound to (record, reason, 8 bytes, 32 bytes).
#include "call_log.h"
#include "inproc_server.h"
#include "ovsdocumentobjects.h"

#include <cstring>
#include <vector>

namespace ovs::standin::documents {

namespace {

constexpr wchar_t kRecordsStream[] = L"Records";

class AuditTrail final : public IOVSAuditTrailReason, public IOVSAuditTrailStorage {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IOVSAuditTrailReason) {
            *out = static_cast<IOVSAuditTrailReason*>(this);
        } else if (iid == IID_IOVSAuditTrailStorage) {
            *out = static_cast<IOVSAuditTrailStorage*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_references.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_references.Release(this); }

    OVS_PLACEHOLDER_NOTIMPL(3)
    OVS_PLACEHOLDER_NOTIMPL(4)
    OVS_PLACEHOLDER_NOTIMPL(5)
    OVS_PLACEHOLDER_NOTIMPL(6)
    OVS_PLACEHOLDER_NOTIMPL(7)
    OVS_PLACEHOLDER_NOTIMPL(8)
    OVS_PLACEHOLDER_NOTIMPL(9)
    OVS_PLACEHOLDER_NOTIMPL(10)
    OVS_PLACEHOLDER_NOTIMPL(11)
    OVS_PLACEHOLDER_NOTIMPL(12)

    HRESULT STDMETHODCALLTYPE AddRecord(const BYTE* pRecord, ULONG cbRecord, LONG) override {
        const HRESULT hr = Called("AuditTrail.AddRecord");
        if (SUCCEEDED(hr)) {
            m_record.assign(pRecord, pRecord + cbRecord);
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE SetReason(LONG nReason, LONG) override {
        const HRESULT hr = Called("AuditTrail.SetReason");
        if (SUCCEEDED(hr)) {
            m_reason = nReason;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE SetSignatureValues(const BYTE* pValue8, const BYTE* pValue32, LONG,
                                                 LONG) override {
        const HRESULT hr = Called("AuditTrail.SetSignatureValues");
        if (SUCCEEDED(hr)) {
            std::memcpy(m_value8, pValue8, sizeof(m_value8));
            std::memcpy(m_value32, pValue32, sizeof(m_value32));
        }
        return hr;
    }

    HRESULT STDMETHODCALLTYPE Bind(IStorage* pStorage) override {
        const HRESULT hr = Called("AuditTrail.Bind");
        if (FAILED(hr)) {
            return hr;
        }
        if (pStorage == nullptr) {
            return E_POINTER;
        }
        pStorage->AddRef();
        if (m_storage != nullptr) {
            m_storage->Release();
        }
        m_storage = pStorage;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Save(LONG, LONG) override {
        HRESULT hr = Called("AuditTrail.Save");
        if (FAILED(hr)) {
            return hr;
        }
        if (m_storage == nullptr) {
            return E_UNEXPECTED;
        }
        IStream* stream = nullptr;
        hr = m_storage->CreateStream(kRecordsStream, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                     0, &stream);
        if (FAILED(hr)) {
            return hr;
        }
        std::vector<BYTE> bytes = m_record;
        const BYTE* reason = reinterpret_cast<const BYTE*>(&m_reason);
        bytes.insert(bytes.end(), reason, reason + sizeof(m_reason));
        bytes.insert(bytes.end(), m_value8, m_value8 + sizeof(m_value8));
        bytes.insert(bytes.end(), m_value32, m_value32 + sizeof(m_value32));
        ULONG written = 0;
        hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
        stream->Release();
        return hr;
    }

private:
    friend class References<AuditTrail>;
    ~AuditTrail() {
        if (m_storage != nullptr) {
            m_storage->Release();
        }
    }

    References<AuditTrail> m_references;
    IStorage* m_storage = nullptr;
    std::vector<BYTE> m_record;
    LONG m_reason = 0;
    BYTE m_value8[8] = {};
    BYTE m_value32[32] = {};
};

const ServedClass kAuditTrailClass = {CLSID_OVSAuditTrail, "OVS Audit Trail", CreateAndQuery<AuditTrail>};
const AlsoServed kServed(kAuditTrailClass);

} // namespace

} // namespace ovs::standin::documents
