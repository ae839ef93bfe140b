// The audit-trail services of the host object: objects of their own that write to the host's log
// and hold a reference on the host while they live.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace ovs::standin {

class CallRecorder {
public:
    virtual void Record(const char* format, ...) = 0;

protected:
    ~CallRecorder() = default;
};

// The reason or the status service (by iid), queried for iid; E_NOINTERFACE for any other.
HRESULT CreateAuditTrailService(IUnknown* host, CallRecorder& log, REFIID iid, void** out);

} // namespace ovs::standin
