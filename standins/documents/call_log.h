// The stand-ins' log of calls and the one call armed to fail.
#pragma once

#include <windows.h>

namespace ovs::standin::documents {

// Logs the call; returns the armed failure when it names this call (disarming it), else S_OK.
HRESULT Called(const char* call);

} // namespace ovs::standin::documents
