// Baseline compensation and the ratio chromatogram, each in one pass over the points that keeps the
// running extremes in registers.
#include "callframe.h"
#include "ovstoolquant.h"
#include "chrom_extremes.h"

#include <emmintrin.h>

#include <cmath>

namespace {

bool HasTwoPoints(const OVS_2DCHROMDATA* chrom) {
    return chrom != nullptr && chrom->pdChromInt != nullptr && chrom->dwTotalPoints >= 2;
}

// The ratio of one point of a to its pair (a, b); 0 below the threshold and for a zero root.
double RatioPoint(double a, double b, double threshold) {
    if (!(a >= threshold && b >= threshold)) {
        return 0.0;
    }
    const double root = std::sqrt(a * a + b * b);
    return root == 0.0 ? 0.0 : a / root;
}

} // namespace

// Point k loses first + k * (last - first) / (points - 1), evaluated in that order for every point,
// two points per step (each operation is the same correctly rounded one as the scalar form).
BOOL Tool_BaselineComp(OVS_2DCHROMDATA* p2dChrom) {
    if (!HasTwoPoints(p2dChrom)) {
        return FALSE;
    }
    double* points = p2dChrom->pdChromInt;
    const SIZE_T count = p2dChrom->dwTotalPoints;
    const double first = points[0];
    const double rise = points[count - 1] - first;
    const double steps = static_cast<double>(count - 1);

    const __m128d firstPair = _mm_set1_pd(first);
    const __m128d risePair = _mm_set1_pd(rise);
    const __m128d stepsPair = _mm_set1_pd(steps);
    const __m128d two = _mm_set1_pd(2.0);
    __m128d index = _mm_set_pd(1.0, 0.0);
    __m128d maximum = _mm_set1_pd(ovs::kExtremeMaximumStart);
    __m128d minimum = _mm_set1_pd(ovs::kExtremeMinimumStart);
    SIZE_T k = 0;
    for (; k + 2 <= count; k += 2) {
        const __m128d line = _mm_add_pd(firstPair, _mm_div_pd(_mm_mul_pd(index, risePair), stepsPair));
        const __m128d compensated = _mm_sub_pd(_mm_loadu_pd(points + k), line);
        _mm_storeu_pd(points + k, compensated);
        maximum = _mm_max_pd(compensated, maximum);
        minimum = _mm_min_pd(compensated, minimum);
        index = _mm_add_pd(index, two);
    }
    if (k < count) {
        const double compensated = points[k] - (first + static_cast<double>(k) * rise / steps);
        points[k] = compensated;
        maximum = _mm_max_pd(_mm_set1_pd(compensated), maximum);
        minimum = _mm_min_pd(_mm_set1_pd(compensated), minimum);
    }
    maximum = _mm_max_pd(_mm_unpackhi_pd(maximum, maximum), maximum);
    minimum = _mm_min_pd(_mm_unpackhi_pd(minimum, minimum), minimum);
    p2dChrom->dMaxIntensity = _mm_cvtsd_f64(maximum);
    p2dChrom->dMinIntensity = _mm_cvtsd_f64(minimum);
    return TRUE;
}

// Points of a beyond the last point of b have no partner and become 0.
HRESULT Tool_CalcRatioChrom(OVS_2DCHROMDATA* pChromA, OVS_2DCHROMDATA* pChromB, double dThreshold) {
    OVS_REQUIRE_ARG("Tool_CalcRatioChrom", nullptr != pChromA && nullptr != pChromB, E_INVALIDARG);
    if (!Tool_BaselineComp(pChromA) || !Tool_BaselineComp(pChromB)) {
        return S_OK;
    }
    double* a = pChromA->pdChromInt;
    const double* b = pChromB->pdChromInt;
    const SIZE_T count = pChromA->dwTotalPoints;
    const SIZE_T paired = pChromB->dwTotalPoints < count ? pChromB->dwTotalPoints : count;
    double maximum = 1.0;
    double minimum = 0.0;
    for (SIZE_T k = 0; k < count; ++k) {
        const double ratio = k < paired ? RatioPoint(a[k], b[k], dThreshold) : 0.0;
        a[k] = ratio;
        if (ratio > maximum) {
            maximum = ratio;
        }
        if (ratio < minimum) {
            minimum = ratio;
        }
    }
    pChromA->dMaxIntensity = maximum;
    pChromA->dMinIntensity = minimum;
    return S_OK;
}
