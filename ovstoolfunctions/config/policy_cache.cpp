#include "policy_cache.h"
#include "policy_cache_table.h"
#include "unique_resource.h"

#include <cstring>

namespace ovs::policy {

namespace {

struct CacheSlot {
    DWORD type = 0;
    unique_cotaskmem data;
    DWORD size = 0;
};

CacheSlot g_slots[kCacheSize];

bool Same(LPCSTR a, LPCSTR b) {
    return std::strcmp(a, b) == 0;
}

} // namespace

std::optional<size_t> FindCacheEntry(LPCSTR keyPath, LPCSTR subKey, LPCSTR valueName) {
    if (keyPath == nullptr || subKey == nullptr || valueName == nullptr) {
        return std::nullopt;
    }
    for (size_t i = 0; i < kCacheSize; ++i) {
        const CacheKey& key = kCacheKeys[i];
        if (Same(key.valueName, valueName) && Same(key.subKey, subKey) && Same(key.keyPath, keyPath)) {
            return i;
        }
    }
    return std::nullopt;
}

CachedValue ReadCacheEntry(size_t index) {
    const CacheSlot& slot = g_slots[index];
    return {slot.type, static_cast<const BYTE*>(slot.data.get()), slot.size};
}

bool WriteCacheEntry(size_t index, DWORD type, const void* data, DWORD size) {
    // An empty value still counts as written, so its block has at least one byte.
    unique_cotaskmem block(CoTaskMemAlloc(size > 0 ? size : 1));
    if (!block) {
        return false;
    }
    if (size > 0) {
        std::memcpy(block.get(), data, size);
    }
    CacheSlot& slot = g_slots[index];
    slot.data = std::move(block);
    slot.type = type;
    slot.size = size;
    return true;
}

void FreeCache() {
    for (CacheSlot& slot : g_slots) {
        slot.data.reset();
        slot.size = 0;
        slot.type = 0;
    }
}

} // namespace ovs::policy
