// The local time as the library reads it, with a seam through which a test fixes the clock.
#pragma once

#include "ovstooldefs.h"

namespace ovs {

// The fixed time when one is set, else GetLocalTime.
SYSTEMTIME LocalNow();

} // namespace ovs

// For tests only: fixes the local time the library reads (a null pointer returns to the real clock).
extern "C" OVSTOOL_API void OvsTestSetLocalClock(const SYSTEMTIME* pFixedTime);
