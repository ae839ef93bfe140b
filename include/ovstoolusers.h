// The current user's rights kept for the process, and audit-trail requests forwarded to the
// audit-trail service of a host's object. The rights list type is CUserRights (ovsrights.h).
#pragma once

#include "ovstooldefs.h"

#include <unknwn.h>

// The stored value of right 1406, 1407 or 1411 (0 until set); 0 for any other number.
OVSTOOL_API DWORD Tool_GetCurrentUserRight(int nRight);
// Stores the value of right 1406, 1407 or 1411 (non-zero grants it); other numbers are ignored.
OVSTOOL_API void Tool_SetCurrentUserRight(int nRight, DWORD dwValue);
// TRUE when right 1406 is 0 and right 1411 is not.
OVSTOOL_API BOOL Tool_GetGraphAxisRight();

// Audit-trail requests: the object is asked for its service host, the host for the "Audit Trail"
// service, and the service gets the arguments unchanged. A null object, a missing interface or a
// failing service does nothing; no request reports a result.
// The reason, through the reason interface.
OVSTOOL_API void Tool_SetAudittrailReason(IUnknown* pObject, LONG nReason);
// Through the status interface: the process mode, the "same reason" setting read into the two
// values, that setting cleared, and the attestation input's reason invalidated.
OVSTOOL_API void Tool_SetProcessModeForAudittrail(IUnknown* pObject, LONG nMode);
OVSTOOL_API void Tool_GetAudittrailStatusSameReasonSetting(IUnknown* pObject, LONG* pnFirst, LONG* pnSecond);
OVSTOOL_API void Tool_ClearAudittrailStatusSameReasonSetting(IUnknown* pObject);
OVSTOOL_API void Tool_InvalidateAttestInputReason(IUnknown* pObject, LONG nValue);
