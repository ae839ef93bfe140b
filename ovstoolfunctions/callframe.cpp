#include "callframe.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace ovs::frame {

void Enter(LPCSTR file, int line, LPCSTR function) { Tool_DbgReport(file, line, OVS_DBG_DBG, "-->%s", function); }

HRESULT ExitHr(LPCSTR file, int line, LPCSTR function, HRESULT hr) {
    Tool_DbgReport(file, line, OVS_DBG_DBG, "<--%s return [0x%08X]", function, static_cast<unsigned>(hr));
    return hr;
}

void Leave(LPCSTR file, int line, LPCSTR function) { Tool_DbgReport(file, line, OVS_DBG_DBG, "<--%s", function); }

void Dump(LPCSTR file, int line, int level, LPCSTR expression, LPCSTR valueFormat, ...) {
    char value[1024];
    va_list args;
    va_start(args, valueFormat);
    const int written = _vsnprintf(value, sizeof value, valueFormat, args);
    va_end(args);
    if (written < 0 || written >= static_cast<int>(sizeof value)) {
        value[sizeof value - 1] = '\0';
    }
    Tool_DbgReport(file, line, level, "    [%s] = [%s]", expression, value);
}

namespace {

void CheckFailed(LPCSTR file, int line, LPCSTR function, LPCSTR kind, LPCSTR condition) {
    const std::string message = std::string(function) + " : " + kind + " : [" + condition + "] is false.";
    Tool_DbgReport(file, line, OVS_DBG_ERR, "%s", message.c_str());
}

} // namespace

void InvalidArgument(LPCSTR file, int line, LPCSTR function, LPCSTR condition) {
    CheckFailed(file, line, function, "Invalid argument.", condition);
}

void InvariantViolation(LPCSTR file, int line, LPCSTR function, LPCSTR condition) {
    CheckFailed(file, line, function, "Invariant violation.", condition);
}

} // namespace ovs::frame
