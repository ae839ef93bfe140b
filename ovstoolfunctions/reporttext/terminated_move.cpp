#include "reporttext/terminated_move.h"

#include <emmintrin.h>

#include <bit>
#include <cstdint>
#include <cstring>

namespace ovs {

namespace {

// Texts are read in aligned groups of 64 bytes: such a group never reaches into another page, so
// the bytes it reads before the text or after its terminator are harmless. (The four parts stay in
// plain variables: an array of them would go through the stack.)
constexpr uintptr_t kGroup = 64;

__m128i Part(const char* group, int index) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(group) + index);
}

uint64_t ZeroBits(__m128i part) {
    return static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(part, _mm_setzero_si128())));
}

// One bit per zero byte of the aligned group.
uint64_t GroupZeros(const char* group) {
    return ZeroBits(Part(group, 0)) | ZeroBits(Part(group, 1)) << 16 | ZeroBits(Part(group, 2)) << 32 |
           ZeroBits(Part(group, 3)) << 48;
}

// The zeros of the group that holds text, from text on to the end of that group.
uint64_t FirstGroupZeros(const char* text) {
    const auto skipped = static_cast<int>(reinterpret_cast<uintptr_t>(text) % kGroup);
    return GroupZeros(text - skipped) >> skipped;
}

size_t HeadLength(const char* text) {
    return static_cast<size_t>(kGroup - reinterpret_cast<uintptr_t>(text) % kGroup);
}

bool HasZero(__m128i a, __m128i b, __m128i c, __m128i d) {
    const __m128i least = _mm_min_epu8(_mm_min_epu8(a, b), _mm_min_epu8(c, d));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(least, _mm_setzero_si128())) != 0;
}

// The place of the terminator, found a group at a time.
size_t TerminatorOffset(const char* text) {
    if (const uint64_t zeros = FirstGroupZeros(text); zeros != 0) {
        return static_cast<size_t>(std::countr_zero(zeros));
    }
    for (size_t offset = HeadLength(text);; offset += kGroup) {
        const char* group = text + offset;
        if (HasZero(Part(group, 0), Part(group, 1), Part(group, 2), Part(group, 3))) {
            return offset + static_cast<size_t>(std::countr_zero(GroupZeros(group)));
        }
    }
}

} // namespace

size_t MoveTerminated(char* to, const char* text) {
    if (to > text || FirstGroupZeros(text) != 0) {
        // Toward the back a store may overwrite bytes still to be read: the length comes first.
        const size_t bytes = TerminatorOffset(text) + 1;
        std::memmove(to, text, bytes);
        return bytes;
    }
    // Toward the front (or onto itself) a store overwrites only bytes already read: each group is
    // stored as soon as it is known to hold no terminator.
    size_t done = HeadLength(text);
    std::memmove(to, text, done);
    for (;; done += kGroup) {
        const char* group = text + done;
        const __m128i a = Part(group, 0);
        const __m128i b = Part(group, 1);
        const __m128i c = Part(group, 2);
        const __m128i d = Part(group, 3);
        if (HasZero(a, b, c, d)) {
            const size_t last = static_cast<size_t>(std::countr_zero(GroupZeros(group))) + 1;
            std::memmove(to + done, group, last);
            return done + last;
        }
        auto* out = reinterpret_cast<__m128i*>(to + done);
        _mm_storeu_si128(out, a);
        _mm_storeu_si128(out + 1, b);
        _mm_storeu_si128(out + 2, c);
        _mm_storeu_si128(out + 3, d);
    }
}

} // namespace ovs
