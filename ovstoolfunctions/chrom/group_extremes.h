// The step that thins a chromatogram for drawing: of a group of four points, keep the largest and
// the smallest. One group at a time, or two groups side by side in SSE2 registers.
//
// The rule: the group's first point starts as both the maximum and the minimum; each later point
// becomes the maximum when strictly greater, and otherwise the minimum when strictly smaller. The
// kept indexes go out in ascending order, once when both are the same point.
#pragma once

#include <windows.h>

#include <emmintrin.h>

#include <array>
#include <cstdint>
#include <cstring>

namespace ovs {

// What a group of four keeps, by its comparison code: bit k - 1 (k = 1 .. 3) is set when point k is
// above the maximum of the points before it, bit k + 2 when it is below their minimum. The last point
// that rose above is the maximum, the last that fell below the minimum.
struct Pick {
    uint64_t positions; // the lower kept position in the low half, the higher in the high half
    DWORD count;
    BYTE maxAt;
    BYTE minAt;
};

constexpr std::array<Pick, 64> MakePicks() {
    std::array<Pick, 64> picks{};
    for (unsigned code = 0; code < 64; ++code) {
        BYTE maxAt = 0;
        BYTE minAt = 0;
        for (BYTE k = 1; k <= 3; ++k) {
            maxAt = (code >> (k - 1) & 1) != 0 ? k : maxAt;
            minAt = (code >> (k + 2) & 1) != 0 ? k : minAt;
        }
        const uint64_t low = maxAt < minAt ? maxAt : minAt;
        const uint64_t high = maxAt < minAt ? minAt : maxAt;
        picks[code] = {low | high << 32, maxAt == minAt ? 1u : 2u, maxAt, minAt};
    }
    return picks;
}

inline constexpr std::array<Pick, 64> kPicks = MakePicks();

// Point k of two groups of four: lane 0 from the first group, lane 1 from the second.
struct GroupPair {
    __m128d point0;
    __m128d point1;
    __m128d point2;
    __m128d point3;
};

// The points of a pass: position j stands for the chromatogram index At(j), ascending.
// The first pass runs over the inner points 1 .. total - 2.
struct InnerPoints {
    const double* intensities;

    DWORD At(DWORD j) const { return j + 1; }
    double Value(DWORD j) const { return intensities[j + 1]; }
    // The groups at first and first + 4.
    GroupPair LoadPair(DWORD first) const {
        const double* p = intensities + first + 1;
        const __m128d a01 = _mm_loadu_pd(p);
        const __m128d a23 = _mm_loadu_pd(p + 2);
        const __m128d b01 = _mm_loadu_pd(p + 4);
        const __m128d b23 = _mm_loadu_pd(p + 6);
        return {_mm_unpacklo_pd(a01, b01), _mm_unpackhi_pd(a01, b01), _mm_unpacklo_pd(a23, b23),
                _mm_unpackhi_pd(a23, b23)};
    }
    // Writes what the group at first keeps to out[0] and out[1] (both halves at once: the indexes
    // are its positions plus first + 1) and answers how many are kept.
    DWORD Keep(DWORD first, const Pick& pick, DWORD* out) const {
        const uint64_t base = first + 1;
        const uint64_t indexes = pick.positions + (base | base << 32);
        std::memcpy(out, &indexes, sizeof(indexes)); // little-endian: the lower index first
        return pick.count;
    }
};

// A later pass runs over the indexes that the pass before kept.
struct KeptPoints {
    const double* intensities;
    const DWORD* indexes;

    DWORD At(DWORD j) const { return indexes[j]; }
    double Value(DWORD j) const { return intensities[indexes[j]]; }
    GroupPair LoadPair(DWORD first) const {
        const DWORD* a = indexes + first;
        const DWORD* b = a + 4;
        return {Lanes(a[0], b[0]), Lanes(a[1], b[1]), Lanes(a[2], b[2]), Lanes(a[3], b[3])};
    }
    __m128d Lanes(DWORD a, DWORD b) const {
        return _mm_loadh_pd(_mm_load_sd(intensities + a), intensities + b);
    }
    // Writes what the group at first keeps to out[0] and out[1]; answers how many are kept.
    DWORD Keep(DWORD first, const Pick& pick, DWORD* out) const {
        out[0] = indexes[first + static_cast<DWORD>(pick.positions)];
        out[1] = indexes[first + static_cast<DWORD>(pick.positions >> 32)];
        return pick.count;
    }
};

// The group of size points from position first on; writes the kept indexes to out[0] and out[1]
// (out[1] even when only one is kept) and answers how many are kept.
template <typename Points>
DWORD KeepExtremes(const Points& points, DWORD first, DWORD size, DWORD* out) {
    DWORD maxAt = 0;
    DWORD minAt = 0;
    double maxValue = points.Value(first);
    double minValue = maxValue;
    for (DWORD k = 1; k < size; ++k) {
        const double value = points.Value(first + k);
        if (value > maxValue) {
            maxValue = value;
            maxAt = k;
        } else if (value < minValue) {
            minValue = value;
            minAt = k;
        }
    }
    out[0] = points.At(first + (maxAt < minAt ? maxAt : minAt));
    out[1] = points.At(first + (maxAt < minAt ? minAt : maxAt));
    return maxAt == minAt ? 1 : 2;
}

// The comparison codes of two groups, and the value of each group's maximum and minimum.
struct PairComparison {
    unsigned firstCode;
    unsigned secondCode;
    __m128d maximum;
    __m128d minimum;
};

// The running maximum _mm_max_pd(p, m) is "p > m ? p : m", the running minimum likewise, and every
// comparison is false for NaN, exactly as in KeepExtremes; a point that rises above the maximum
// cannot fall below the minimum (which never exceeds it), so the two checks need no "otherwise".
inline PairComparison ComparePair(const GroupPair& v) {
    const auto bit = [](__m128d condition, int value) {
        return _mm_and_si128(_mm_castpd_si128(condition), _mm_set1_epi64x(value));
    };
    const __m128d max1 = _mm_max_pd(v.point1, v.point0);
    const __m128d min1 = _mm_min_pd(v.point1, v.point0);
    const __m128d max2 = _mm_max_pd(v.point2, max1);
    const __m128d min2 = _mm_min_pd(v.point2, min1);
    const __m128i rising = _mm_or_si128(
        _mm_or_si128(bit(_mm_cmpgt_pd(v.point1, v.point0), 1), bit(_mm_cmpgt_pd(v.point2, max1), 2)),
        bit(_mm_cmpgt_pd(v.point3, max2), 4));
    const __m128i falling = _mm_or_si128(
        _mm_or_si128(bit(_mm_cmplt_pd(v.point1, v.point0), 8), bit(_mm_cmplt_pd(v.point2, min1), 16)),
        bit(_mm_cmplt_pd(v.point3, min2), 32));
    const __m128i codes = _mm_or_si128(rising, falling);
    return {static_cast<unsigned>(_mm_cvtsi128_si32(codes)),
            static_cast<unsigned>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(codes, codes))),
            _mm_max_pd(v.point3, max2), _mm_min_pd(v.point3, min2)};
}

// The groups of four from position begin to end (a multiple of four apart), two at a time; writes
// the kept indexes to out (one slot more than they need) and answers how many are kept.
template <typename Points>
DWORD KeepWholeGroups(const Points& points, DWORD begin, DWORD end, DWORD* out) {
    DWORD kept = 0;
    DWORD first = begin;
    for (; end - first >= 8; first += 8) {
        const PairComparison pair = ComparePair(points.LoadPair(first));
        kept += points.Keep(first, kPicks[pair.firstCode], out + kept);
        kept += points.Keep(first + 4, kPicks[pair.secondCode], out + kept);
    }
    if (first < end) {
        kept += KeepExtremes(points, first, 4, out + kept);
    }
    return kept;
}

} // namespace ovs
