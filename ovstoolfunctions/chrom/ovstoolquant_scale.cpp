// The intensity of a chromatogram at a time and the scales that the drawing normalises to.
#include "ovstoolquant.h"

#include <cfloat>
#include <memory>
#include <new>

namespace {

constexpr int kPeakTopHalfWidth = 3;

enum NormalizeMode { kLargestPeak = 0, kSecondPeak = 1, kThirdPeak = 2, kWindowMaximum = 3 };

bool HasPoints(const OVS_2DCHROMDATA* chrom) {
    return chrom != nullptr && chrom->pdChromInt != nullptr && chrom->dwTotalPoints > 0 &&
           chrom->dwSamplingInterval != 0;
}

// Times of the window's first and last point.
struct Window {
    LONGLONG from;
    LONGLONG to;
};

// The largest and smallest point whose time lies in the window, starting from the smallest and the
// largest positive double.
void WindowExtremes(const OVS_2DCHROMDATA& chrom, Window window, double& minimum, double& maximum) {
    const LONGLONG interval = chrom.dwSamplingInterval;
    const LONGLONG start = chrom.dwStartTime;
    // The first point at or after `from`, the last at or before `to`.
    const LONGLONG first = (window.from - start + interval - 1) / interval;
    LONGLONG last = (window.to - start) / interval;
    if (last > static_cast<LONGLONG>(chrom.dwTotalPoints) - 1) {
        last = static_cast<LONGLONG>(chrom.dwTotalPoints) - 1;
    }
    maximum = DBL_MIN;
    minimum = DBL_MAX;
    for (LONGLONG k = first; k <= last; ++k) {
        const double v = chrom.pdChromInt[k];
        if (v > maximum) {
            maximum = v;
        }
        if (v < minimum) {
            minimum = v;
        }
    }
}

// The peak-top intensities of the peaks whose retention time lies in the window; count receives
// their number. Null when the work buffer cannot be had.
std::unique_ptr<double[]> PeakTops(const OVS_2DCHROMDATA* chrom, LONG peakCount, const OVS_LCPEAK* peaks,
                                   Window window, LONG& count) {
    count = 0;
    std::unique_ptr<double[]> tops(new (std::nothrow) double[peakCount > 0 ? peakCount : 1]);
    if (tops && peaks != nullptr) {
        for (LONG p = 0; p < peakCount; ++p) {
            if (window.from <= peaks[p].lRetentionTime && peaks[p].lRetentionTime <= window.to) {
                tops[count++] = Tool_GetIntensity(chrom, peaks[p].lRetentionTime, kPeakTopHalfWidth);
            }
        }
    }
    return tops;
}

} // namespace

double Tool_GetIntensity(const OVS_2DCHROMDATA* p2dChrom, long lTime, int nHalfWidth) {
    if (!HasPoints(p2dChrom) || p2dChrom->dwTotalPoints < 2) {
        return 0.0;
    }
    const double* points = p2dChrom->pdChromInt;
    const LONGLONG count = p2dChrom->dwTotalPoints;
    const LONGLONG interval = p2dChrom->dwSamplingInterval;
    const LONGLONG offset = static_cast<LONGLONG>(lTime) - p2dChrom->dwStartTime;
    if (offset < 0 || offset > (count - 1) * interval) {
        return 0.0;
    }
    const LONGLONG i = offset / interval;
    const double y = i == count - 1 ? points[i] + 0.5
                                    : points[i] +
                                          static_cast<double>(offset - interval * i) *
                                              (points[i + 1] - points[i]) / static_cast<double>(interval) +
                                          0.5;
    if (nHalfWidth < 1) {
        return y;
    }
    double largest = points[i] > y ? points[i] : y;
    // The first point and points beyond the record count as 0.
    const LONGLONG from = i - nHalfWidth;
    const LONGLONG to = i + nHalfWidth;
    if ((from <= 0 || to >= count) && largest < 0.0) {
        largest = 0.0;
    }
    for (LONGLONG j = from < 1 ? 1 : from; j <= to && j < count; ++j) {
        if (points[j] > largest) {
            largest = points[j];
        }
    }
    return largest;
}

BOOL Tool_GetNormalizeScale(LONG lFrom, LONG lTo, const OVS_2DCHROMDATA* p2dChrom, LONG lPeakCount,
                            const OVS_LCPEAK* pPeaks, LONG lMode, BOOL bZeroMinimum, double* pdMinimum,
                            double* pdMaximum) {
    if (lFrom > lTo || !HasPoints(p2dChrom) || pdMinimum == nullptr || pdMaximum == nullptr) {
        return FALSE;
    }
    const LONGLONG start = p2dChrom->dwStartTime;
    const LONGLONG end = p2dChrom->lEndTime < start ? start : p2dChrom->lEndTime;
    auto clamp = [&](LONGLONG t) { return t < start ? start : t > end ? end : t; };
    const Window window{clamp(lFrom == 0 ? start : lFrom), clamp(lTo == 0 ? end : lTo)};

    LONG count = 0;
    const std::unique_ptr<double[]> tops = PeakTops(p2dChrom, lPeakCount, pPeaks, window, count);
    if (!tops) {
        return FALSE;
    }
    double minimum = 0.0;
    double maximum = 0.0;
    WindowExtremes(*p2dChrom, window, minimum, maximum);
    BOOL known = TRUE;
    if (lMode >= kLargestPeak && lMode <= kThirdPeak) {
        double top[3];
        LONG index[3];
        if (Tool_GetTop3(tops.get(), count, 3, top, index)) {
            maximum = top[lMode];
        }
    } else if (lMode != kWindowMaximum) {
        known = FALSE;
    }
    if (bZeroMinimum && maximum >= 0.0) {
        minimum = 0.0;
    }
    *pdMinimum = minimum;
    *pdMaximum = maximum;
    return known;
}

BOOL Tool_GetNomalizeScale(const OVS_2DCHROMDATA* p2dChrom, int nPeakCount, const OVS_LCPEAK* pPeaks,
                           int nMode, int nSlots, double adMinimum[3], double adMaximum[3]) {
    if (nSlots < 3 || nMode < 0 || nMode > 2 || p2dChrom == nullptr || adMinimum == nullptr ||
        adMaximum == nullptr) {
        return FALSE;
    }
    const LONG count = pPeaks == nullptr || nPeakCount < 0 ? 0 : nPeakCount;
    std::unique_ptr<double[]> values(new (std::nothrow) double[count > 0 ? count : 1]);
    if (!values) {
        return FALSE;
    }
    for (LONG p = 0; p < count; ++p) {
        values[p] = nMode == 2 ? pPeaks[p].dHeight
                               : Tool_GetIntensity(p2dChrom, pPeaks[p].lRetentionTime, kPeakTopHalfWidth);
    }
    double top[3];
    LONG index[3];
    const bool any = Tool_GetTop3(values.get(), count, 3, top, index) != FALSE;
    for (int rank = 0; rank < 3; ++rank) {
        adMaximum[rank] = any ? top[rank] : p2dChrom->dMaxIntensity;
        if (nMode == 0) {
            adMinimum[rank] = p2dChrom->dMinIntensity;
        } else if (nMode == 1) {
            adMinimum[rank] = 0.0;
        } else {
            // The lower baseline level of the peak that gives this rank's maximum.
            const OVS_LCPEAK* peak = any ? &pPeaks[index[rank]] : nullptr;
            adMinimum[rank] = peak == nullptr                       ? p2dChrom->dMinIntensity
                              : peak->dBaseline1 < peak->dBaseline2 ? peak->dBaseline1
                                                                    : peak->dBaseline2;
        }
    }
    return TRUE;
}
