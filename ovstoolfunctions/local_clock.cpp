#include "local_clock.h"

#include <atomic>

namespace {

SYSTEMTIME g_fixedTime;
std::atomic<bool> g_fixed{false};

} // namespace

namespace ovs {

SYSTEMTIME LocalNow() {
    SYSTEMTIME now;
    if (g_fixed.load()) {
        now = g_fixedTime;
    } else {
        GetLocalTime(&now);
    }
    return now;
}

} // namespace ovs

void OvsTestSetLocalClock(const SYSTEMTIME* pFixedTime) {
    g_fixed.store(false);
    if (pFixedTime != nullptr) {
        g_fixedTime = *pFixedTime;
        g_fixed.store(true);
    }
}
