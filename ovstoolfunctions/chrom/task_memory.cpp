// Task-memory calls with one injected-failure check for tests.
#include "task_memory.h"
#include "ovstoolchrom.h"

#include <objbase.h>

#include <atomic>
#include <cstdint>
#include <cstring>

namespace {

// Successful allocations left before the injected failure; negative when none is pending.
std::atomic<LONG> g_succeedingBeforeFailure{-1};

} // namespace

namespace ovs {

bool TaskMemoryFailureDue() noexcept {
    LONG left = g_succeedingBeforeFailure.load();
    while (left >= 0) {
        if (g_succeedingBeforeFailure.compare_exchange_weak(left, left - 1)) {
            return left == 0;
        }
    }
    return false;
}

void* TaskAlloc(SIZE_T cbSize) noexcept {
    if (cbSize == 0 || TaskMemoryFailureDue()) {
        return nullptr;
    }
    return CoTaskMemAlloc(cbSize);
}

void* TaskRealloc(void* pBlock, SIZE_T cbSize) noexcept {
    if (cbSize == 0 || TaskMemoryFailureDue()) {
        return nullptr;
    }
    return CoTaskMemRealloc(pBlock, cbSize);
}

void* TaskAllocCleared(SIZE_T cbSize) noexcept {
    void* block = TaskAlloc(cbSize);
    if (block != nullptr) {
        std::memset(block, 0, cbSize);
    }
    return block;
}

SIZE_T TaskArrayBytes(SIZE_T count, SIZE_T elementSize) noexcept {
    return count > SIZE_MAX / elementSize ? 0 : count * elementSize;
}

} // namespace ovs

void OvsTestFailTaskMemory(LONG nSucceeding) {
    g_succeedingBeforeFailure.store(nSucceeding < 0 ? -1 : nSucceeding);
}
