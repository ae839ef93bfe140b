// Two running extremes kept in SSE2 registers, two points per step.
#include "chrom_extremes.h"

#include <emmintrin.h>

namespace ovs {

void RecomputeExtremes(OVS_2DCHROMDATA& chrom) noexcept {
    const double* points = chrom.pdChromInt;
    const SIZE_T count = points == nullptr ? 0 : chrom.dwTotalPoints;
    // max(v, m) answers m when v is NaN, as "v > m" would.
    __m128d maximum = _mm_set1_pd(kExtremeMaximumStart);
    __m128d minimum = _mm_set1_pd(kExtremeMinimumStart);
    SIZE_T k = 0;
    for (; k + 2 <= count; k += 2) {
        const __m128d pair = _mm_loadu_pd(points + k);
        maximum = _mm_max_pd(pair, maximum);
        minimum = _mm_min_pd(pair, minimum);
    }
    if (k < count) {
        const __m128d last = _mm_set1_pd(points[k]);
        maximum = _mm_max_pd(last, maximum);
        minimum = _mm_min_pd(last, minimum);
    }
    maximum = _mm_max_pd(_mm_unpackhi_pd(maximum, maximum), maximum);
    minimum = _mm_min_pd(_mm_unpackhi_pd(minimum, minimum), minimum);
    chrom.dMaxIntensity = _mm_cvtsd_f64(maximum);
    chrom.dMinIntensity = _mm_cvtsd_f64(minimum);
}

} // namespace ovs
