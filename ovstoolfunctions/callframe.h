// The trace and check lines that exports write to the debug report, each with the caller's source
// file and line. Fixed texts go through "%s", so a '%' in them is never read as a conversion.
#pragma once

#include "ovstooldbgreport.h"

namespace ovs::frame {

void Enter(LPCSTR file, int line, LPCSTR function);
HRESULT ExitHr(LPCSTR file, int line, LPCSTR function, HRESULT hr);
void Leave(LPCSTR file, int line, LPCSTR function);
// "    [expression] = [value]" with the value formatted by valueFormat.
void Dump(LPCSTR file, int line, int level, LPCSTR expression, LPCSTR valueFormat, ...);
void InvalidArgument(LPCSTR file, int line, LPCSTR function, LPCSTR condition);
void InvariantViolation(LPCSTR file, int line, LPCSTR function, LPCSTR condition);

} // namespace ovs::frame

#define OVS_TRACE_ENTER(function) ::ovs::frame::Enter(__FILE__, __LINE__, function)
#define OVS_TRACE_LEAVE(function) ::ovs::frame::Leave(__FILE__, __LINE__, function)
#define OVS_TRACE_RETURN_HR(function, hr) return ::ovs::frame::ExitHr(__FILE__, __LINE__, function, hr)
#define OVS_TRACE_ARG(format, expression)                                                                   \
    ::ovs::frame::Dump(__FILE__, __LINE__, OVS_DBG_DBG, #expression, format, expression)
#define OVS_TRACE_FAILURE_VALUE(format, expression)                                                         \
    ::ovs::frame::Dump(__FILE__, __LINE__, OVS_DBG_WRN, #expression, format, expression)

// Returns `failure` from the enclosing function when the argument condition does not hold.
#define OVS_REQUIRE_ARG(function, condition, failure)                                                       \
    do {                                                                                                    \
        if (!(condition)) {                                                                                 \
            ::ovs::frame::InvalidArgument(__FILE__, __LINE__, function, #condition);                       \
            return failure;                                                                                 \
        }                                                                                                   \
    } while (false)

#define OVS_REQUIRE_INVARIANT(function, condition, failure)                                                 \
    do {                                                                                                    \
        if (!(condition)) {                                                                                 \
            ::ovs::frame::InvariantViolation(__FILE__, __LINE__, function, #condition);                    \
            return failure;                                                                                 \
        }                                                                                                   \
    } while (false)
