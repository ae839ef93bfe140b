// The reason and status services of the host object's "Audit Trail".
#include "host_object_services.h"
#include "host_object_standin.h"
#include "inproc_server.h"

namespace ovs::standin {

namespace {

// Every service call fails, so that a caller's indifference to the result shows.
constexpr HRESULT kServiceResult = E_FAIL;

template <typename Interface>
class ServiceBase : public Interface {
public:
    ServiceBase(IUnknown* host, CallRecorder& log, REFIID iid) : m_host(host), m_log(log), m_iid(iid) {
        m_host->AddRef();
    }
    virtual ~ServiceBase() { m_host->Release(); }
    ServiceBase(const ServiceBase&) = delete;
    ServiceBase& operator=(const ServiceBase&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = iid == IID_IUnknown || iid == m_iid ? this : nullptr;
        if (*out == nullptr) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_references.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_references.Release(this); }

protected:
    CallRecorder& log() { return m_log; }

private:
    References<ServiceBase> m_references;
    IUnknown* m_host;
    CallRecorder& m_log;
    const IID& m_iid;
};

class ReasonService final : public ServiceBase<IOVSAuditTrailReason> {
public:
    ReasonService(IUnknown* host, CallRecorder& log) : ServiceBase(host, log, IID_IOVSAuditTrailReason) {}
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
    HRESULT STDMETHODCALLTYPE AddRecord(const BYTE*, ULONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetReason(LONG nReason, LONG nSecond) override {
        log().Record("reason 15 %ld %ld", nReason, nSecond);
        return kServiceResult;
    }
    HRESULT STDMETHODCALLTYPE SetSignatureValues(const BYTE*, const BYTE*, LONG, LONG) override {
        return E_NOTIMPL;
    }
};

class StatusService final : public ServiceBase<IOVSAuditTrailStatus> {
public:
    StatusService(IUnknown* host, CallRecorder& log) : ServiceBase(host, log, IID_IOVSAuditTrailStatus) {}
    OVS_PLACEHOLDER_NOTIMPL(3)
    OVS_PLACEHOLDER_NOTIMPL(4)
    OVS_PLACEHOLDER_NOTIMPL(5)
    OVS_PLACEHOLDER_NOTIMPL(6)
    HRESULT STDMETHODCALLTYPE SetProcessMode(LONG nMode) override {
        log().Record("status 8 %ld", nMode);
        return kServiceResult;
    }
    HRESULT STDMETHODCALLTYPE GetSameReasonSetting(LONG* pnFirst, LONG* pnSecond) override {
        log().Record("status 9");
        if (pnFirst != nullptr && pnSecond != nullptr) {
            *pnFirst = 11;
            *pnSecond = -22;
        }
        return kServiceResult;
    }
    HRESULT STDMETHODCALLTYPE ClearSameReasonSetting() override {
        log().Record("status 10");
        return kServiceResult;
    }
    HRESULT STDMETHODCALLTYPE InvalidateAttestInputReason(LONG nValue) override {
        log().Record("status 11 %ld", nValue);
        return kServiceResult;
    }
};

} // namespace

HRESULT CreateAuditTrailService(IUnknown* host, CallRecorder& log, REFIID iid, void** out) {
    *out = nullptr;
    if (iid == IID_IOVSAuditTrailReason) {
        return CreateAndQuery<ReasonService>(iid, out, host, log);
    }
    if (iid == IID_IOVSAuditTrailStatus) {
        return CreateAndQuery<StatusService>(iid, out, host, log);
    }
    return E_NOINTERFACE;
}

} // namespace ovs::standin
