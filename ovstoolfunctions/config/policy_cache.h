// The process's policy cache: one slot per listed triple, each holding the last bytes written to it
// in task memory. No lock: a write of a slot must not overlap a read of it on another thread.
#pragma once

#include <windows.h>

#include <optional>

namespace ovs::policy {

// The slot of a listed triple (matched exactly, letter case included; all three must be given).
std::optional<size_t> FindCacheEntry(LPCSTR keyPath, LPCSTR subKey, LPCSTR valueName);

struct CachedValue {
    DWORD type;
    const BYTE* data; // null while the slot has never been written
    DWORD size;
};

CachedValue ReadCacheEntry(size_t index);
// Replaces the slot's bytes; false (slot unchanged) when no memory is left.
bool WriteCacheEntry(size_t index, DWORD type, const void* data, DWORD size);
// Frees every slot's block; the slots are empty afterwards.
void FreeCache();

} // namespace ovs::policy
