// Audit-trail requests of the host, forwarded to the audit-trail service that the host's object
// provides. Every failing step ends the request silently; whatever was obtained is released.
#include "ovstoolusers.h"
#include "ovsdocumentobjects.h"
#include "unique_resource.h"

namespace {

// Which of the service host's two service queries hands out the interface.
enum class ServiceQuery { Reason, Other };

template <typename Service, typename Call>
void CallAuditTrail(IUnknown* pObject, ServiceQuery query, REFIID iid, Call call) {
    if (pObject == nullptr) {
        return;
    }
    ovs::com_ptr<IOVSDocument> host;
    if (FAILED(pObject->QueryInterface(IID_IOVSDocument, host.put_void())) || !host) {
        return;
    }
    ovs::com_ptr<Service> service;
    const HRESULT hr = query == ServiceQuery::Reason
                           ? host->QueryReasonService(OVS_AUDIT_TRAIL_SERVICE, iid, service.put_void())
                           : host->QueryService(OVS_AUDIT_TRAIL_SERVICE, iid, service.put_void());
    if (SUCCEEDED(hr) && service) {
        call(service.get());
    }
}

template <typename Call>
void CallStatus(IUnknown* pObject, Call call) {
    CallAuditTrail<IOVSAuditTrailStatus>(pObject, ServiceQuery::Other, IID_IOVSAuditTrailStatus, call);
}

} // namespace

void Tool_SetAudittrailReason(IUnknown* pObject, LONG nReason) {
    CallAuditTrail<IOVSAuditTrailReason>(
        pObject, ServiceQuery::Reason, IID_IOVSAuditTrailReason,
        [&](IOVSAuditTrailReason* reason) { reason->SetReason(nReason, 0); });
}

void Tool_SetProcessModeForAudittrail(IUnknown* pObject, LONG nMode) {
    CallStatus(pObject, [&](IOVSAuditTrailStatus* status) { status->SetProcessMode(nMode); });
}

void Tool_GetAudittrailStatusSameReasonSetting(IUnknown* pObject, LONG* pnFirst, LONG* pnSecond) {
    CallStatus(pObject,
               [&](IOVSAuditTrailStatus* status) { status->GetSameReasonSetting(pnFirst, pnSecond); });
}

void Tool_ClearAudittrailStatusSameReasonSetting(IUnknown* pObject) {
    CallStatus(pObject, [](IOVSAuditTrailStatus* status) { status->ClearSameReasonSetting(); });
}

void Tool_InvalidateAttestInputReason(IUnknown* pObject, LONG nValue) {
    CallStatus(pObject, [&](IOVSAuditTrailStatus* status) { status->InvalidateAttestInputReason(nValue); });
}
