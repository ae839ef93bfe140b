#include "reporttext/terminated_move.h"

#include <emmintrin.h>

#include <bit>
#include <cstdint>
#include <cstring>

namespace ovs {

namespace {

// Blocks small enough to stay in the first-level cache between the scan and the move.
constexpr size_t kBlock = 4096;

// The first zero byte in [from, limit), or limit. Aligned 16-byte loads never reach into another
// page, so the bytes they read before `from` or after the zero are harmless.
const char* FindZero(const char* from, const char* limit) {
    const auto address = reinterpret_cast<uintptr_t>(from);
    const char* chunk = from - address % 16;
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_cmpeq_epi8(_mm_load_si128(reinterpret_cast<const __m128i*>(chunk)), _mm_setzero_si128())));
    mask &= ~0u << (address % 16); // bytes before `from`
    while (mask == 0) {
        chunk += 16;
        if (chunk >= limit) {
            return limit;
        }
        mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_load_si128(reinterpret_cast<const __m128i*>(chunk)), _mm_setzero_si128())));
    }
    const char* zero = chunk + std::countr_zero(mask);
    return zero < limit ? zero : limit;
}

} // namespace

size_t MoveTerminated(char* to, const char* text) {
    if (to > text) {
        // Moving toward the back may overwrite what is still to be read: the length comes first.
        const char* block = text;
        const char* zero = FindZero(block, block + kBlock);
        for (; zero == block + kBlock; zero = FindZero(block, block + kBlock)) {
            block += kBlock;
        }
        const size_t bytes = static_cast<size_t>(zero - text) + 1;
        std::memmove(to, text, bytes);
        return bytes;
    }
    // Toward the front (or onto itself) a block only overwrites bytes already read.
    for (size_t moved = 0;; moved += kBlock) {
        const char* block = text + moved;
        const char* zero = FindZero(block, block + kBlock);
        if (zero < block + kBlock) {
            const size_t last = static_cast<size_t>(zero - block) + 1;
            std::memmove(to + moved, block, last);
            return moved + last;
        }
        std::memmove(to + moved, block, kBlock);
    }
}

} // namespace ovs
