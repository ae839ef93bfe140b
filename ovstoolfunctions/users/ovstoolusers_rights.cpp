// The three rights of the current user that the process keeps. The host sets them once at start,
// so they are plain values without a lock.
#include "ovstoolusers.h"

namespace {

constexpr int kGraphAxisLockRight = 1406;
constexpr int kSecondKeptRight = 1407;
constexpr int kGraphAxisRight = 1411;

DWORD g_graphAxisLock = 0;
DWORD g_secondKept = 0;
DWORD g_graphAxis = 0;

DWORD* Slot(int nRight) {
    switch (nRight) {
        case kGraphAxisLockRight:
            return &g_graphAxisLock;
        case kSecondKeptRight:
            return &g_secondKept;
        case kGraphAxisRight:
            return &g_graphAxis;
        default:
            return nullptr;
    }
}

} // namespace

DWORD Tool_GetCurrentUserRight(int nRight) {
    const DWORD* slot = Slot(nRight);
    return slot != nullptr ? *slot : 0;
}

void Tool_SetCurrentUserRight(int nRight, DWORD dwValue) {
    if (DWORD* slot = Slot(nRight)) {
        *slot = dwValue;
    }
}

BOOL Tool_GetGraphAxisRight() {
    return g_graphAxisLock == 0 && g_graphAxis != 0 ? TRUE : FALSE;
}
