// The library's road to COM task memory. Every allocation passes one check through which a test
// can make a single call fail.
#pragma once

#include <windows.h>

namespace ovs {

// CoTaskMemAlloc / CoTaskMemRealloc; null when the block cannot be had or the injected failure is due.
void* TaskAlloc(SIZE_T cbSize) noexcept;
void* TaskRealloc(void* pBlock, SIZE_T cbSize) noexcept;
// A block of cbSize zero bytes, or null.
void* TaskAllocCleared(SIZE_T cbSize) noexcept;
// count * elementSize, or 0 when that does not fit in SIZE_T (no allocation of 0 bytes succeeds here).
SIZE_T TaskArrayBytes(SIZE_T count, SIZE_T elementSize) noexcept;
// True when the pending injected failure is due now (it is then used up).
bool TaskMemoryFailureDue() noexcept;

} // namespace ovs
