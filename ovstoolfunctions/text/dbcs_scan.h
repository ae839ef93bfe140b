// Searching double-byte text for a single-byte character 64 bytes at a time.
//
// Which bytes are trail bytes depends on everything before them, but only through runs of lead
// bytes: a byte that is not a lead byte always ends a character, and within a run of lead bytes
// each one that starts a character takes the next byte as its trail. The trail bytes of a block
// follow from its lead-byte mask with a few word operations (the run-parity method that is also
// used to find escaped characters), carrying one bit from block to block.
//
// Lead bytes are recognised as byte ranges taken from the platform's lead-byte test, so that the
// comparisons run 16 bytes at a time; a code page with more ranges than the scanner holds is walked
// byte by byte with the same result.
#pragma once

#include "dbcs_text.h"

#include <emmintrin.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ovs::dbcs {

// The lead bytes of the process as at most kMaxRanges ranges, or none usable.
struct LeadRanges {
    static constexpr int kMaxRanges = 4;
    int count = 0; // number of ranges; -1 when the lead bytes need more than kMaxRanges
    unsigned char first[kMaxRanges] = {};
    unsigned char span[kMaxRanges] = {}; // last - first
};

const LeadRanges& Ranges() noexcept;

namespace detail {

constexpr uint64_t kEvenBits = 0x5555555555555555ULL;

inline uint64_t Mask16(__m128i bytes) {
    return static_cast<uint16_t>(_mm_movemask_epi8(bytes));
}

// One bit per byte of the 64-byte block: equal to `wanted`, zero, and lead byte.
struct BlockMasks {
    uint64_t wanted = 0;
    uint64_t zero = 0;
    uint64_t lead = 0;
};

inline BlockMasks ClassifyBlock(const unsigned char* block, unsigned char wanted, const LeadRanges& ranges) {
    BlockMasks masks;
    const __m128i wantedBytes = _mm_set1_epi8(static_cast<char>(wanted));
    const __m128i zeroBytes = _mm_setzero_si128();
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part));
        masks.wanted |= Mask16(_mm_cmpeq_epi8(bytes, wantedBytes)) << (16 * part);
        masks.zero |= Mask16(_mm_cmpeq_epi8(bytes, zeroBytes)) << (16 * part);
        __m128i lead = zeroBytes;
        for (int r = 0; r < ranges.count; ++r) {
            const __m128i offset = _mm_sub_epi8(bytes, _mm_set1_epi8(static_cast<char>(ranges.first[r])));
            const __m128i inside = _mm_cmpeq_epi8(
                _mm_min_epu8(offset, _mm_set1_epi8(static_cast<char>(ranges.span[r]))), offset);
            lead = _mm_or_si128(lead, inside);
        }
        masks.lead |= Mask16(lead) << (16 * part);
    }
    return masks;
}

// The trail bytes of a block from its lead bytes; `carry` is 1 when the block's first byte is the
// trail of a lead byte that ended the block before, and is updated for the next block.
inline uint64_t TrailBytes(uint64_t lead, uint64_t& carry) {
    lead &= ~carry; // a trail byte does not start a character, even when it is a lead byte
    const uint64_t followsLead = (lead << 1) | carry;
    const uint64_t oddRunStarts = lead & ~kEvenBits & ~followsLead;
    const uint64_t evenRunEnds = oddRunStarts + lead;
    const uint64_t nextCarry = evenRunEnds < oddRunStarts ? 1 : 0;
    const uint64_t trail = (kEvenBits ^ (evenRunEnds << 1)) & followsLead;
    carry = nextCarry;
    return trail;
}

// The character walk, for code pages whose lead bytes do not fit the ranges.
template <typename Found>
void WalkSingleBytes(const unsigned char* text, unsigned char wanted, Found found) {
    const LeadBytes& leads = Leads();
    size_t index = 0;
    for (const unsigned char* p = text; *p != 0; ++index) {
        if (leads(*p)) {
            if (p[1] == 0) {
                return;
            }
            p += 2;
            continue;
        }
        if (*p == wanted && !found(index)) {
            return;
        }
        ++p;
    }
}

} // namespace detail

// Calls found(characterIndex) for every single-byte character equal to `wanted` (never 0), in
// order, until found returns false. The text ends at its first zero byte, at the latest at
// text[length], which must be readable; a lead byte right before that end is no character.
template <typename Found>
void ForEachSingleByte(const char* text, size_t length, unsigned char wanted, Found found) {
    const LeadRanges& ranges = Ranges();
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    if (ranges.count < 0) {
        detail::WalkSingleBytes(bytes, wanted, found);
        return;
    }
    uint64_t carry = 0;
    size_t characters = 0; // characters that start before the block
    unsigned char last[64];
    for (size_t offset = 0; offset <= length; offset += 64) {
        const unsigned char* block = bytes + offset;
        if (length - offset < 64) {
            // The last block: the bytes from the text's end on read as zeros.
            std::memset(last, 0, sizeof last);
            std::memcpy(last, block, length - offset);
            block = last;
        }
        const detail::BlockMasks masks = detail::ClassifyBlock(block, wanted, ranges);
        const uint64_t trail = detail::TrailBytes(masks.lead, carry);
        const uint64_t beforeEnd =
            masks.zero != 0 ? (uint64_t{1} << std::countr_zero(masks.zero)) - 1 : ~uint64_t{0};
        for (uint64_t matches = masks.wanted & ~trail & ~masks.lead & beforeEnd; matches != 0;
             matches &= matches - 1) {
            const int bit = std::countr_zero(matches);
            const uint64_t before = (uint64_t{1} << bit) - 1;
            if (!found(characters + static_cast<size_t>(bit - std::popcount(trail & before)))) {
                return;
            }
        }
        if (masks.zero != 0) {
            return;
        }
        characters += static_cast<size_t>(64 - std::popcount(trail));
    }
}

} // namespace ovs::dbcs
