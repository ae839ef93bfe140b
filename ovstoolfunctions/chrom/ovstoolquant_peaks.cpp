// Peak lookups: relative retention times, the peak nearest a retention time, the three largest values.
#include "ovstoolquant.h"

#include <cstdlib>

namespace {

constexpr WORD kZeroTimeEarliestPeak = 0;
constexpr WORD kZeroTimeFixed = 1;
constexpr WORD kNoPeak = 0xFFFF;

// Minutes to whole milliseconds, truncated, in the record's single precision (so that 0.7 minutes
// gives 42000 and not 41999).
LONG MinutesToMilliseconds(FLOAT minutes) {
    return static_cast<LONG>(minutes * 60.0f * 1000.0f);
}

// The retention time of the first peak with the reference number in the first table that gives a
// time other than 0; 0 when none does.
LONG ReferenceTime(WORD referenceId, OVS_PEAKTABLE* const tables[OVS_RRT_TABLES]) {
    for (int t = 0; t < OVS_RRT_TABLES; ++t) {
        if (tables[t] == nullptr) {
            continue;
        }
        const OVS_LCPEAK* peaks = OvsPeaksOf(tables[t]);
        for (LONG p = 0; p < tables[t]->lPeakCount; ++p) {
            if (peaks[p].wPeakId == referenceId) {
                if (peaks[p].lRetentionTime != 0) {
                    return peaks[p].lRetentionTime;
                }
                break;
            }
        }
    }
    return 0;
}

LONG EarliestRetentionTime(const OVS_PEAKTABLE* table) {
    const OVS_LCPEAK* peaks = OvsEntriesOf<OVS_LCPEAK>(table);
    LONG earliest = table->lPeakCount > 0 ? peaks[0].lRetentionTime : 0;
    for (LONG p = 1; p < table->lPeakCount; ++p) {
        if (peaks[p].lRetentionTime < earliest) {
            earliest = peaks[p].lRetentionTime;
        }
    }
    return earliest;
}

template <typename Peak>
HRESULT NearestPeak(const Peak* peaks, short count, LONG time, WORD* peak) {
    if (peaks == nullptr) {
        return OVS_E_TABLE_MISSING;
    }
    LONGLONG nearest = -1;
    for (short p = 0; p < count; ++p) {
        if (peaks[p].lStartTime <= time && time <= peaks[p].lEndTime) {
            const LONGLONG distance = std::llabs(static_cast<LONGLONG>(peaks[p].lRetentionTime) - time);
            if (nearest < 0 || distance < nearest) {
                nearest = distance;
                *peak = static_cast<WORD>(p + 1);
            }
        }
    }
    return nearest < 0 ? OVS_E_NO_MATCHING_PEAK : S_OK;
}

// The index of the largest value above 0 and strictly below `below` (first occurrence), or -1.
LONG LargestBelow(const double* values, LONG count, double below, bool bounded) {
    LONG found = -1;
    for (LONG i = 0; i < count; ++i) {
        const double v = values[i];
        if (v > 0.0 && (!bounded || v < below) && (found < 0 || v > values[found])) {
            found = i;
        }
    }
    return found;
}

} // namespace

HRESULT Tool_GetRelativeRT(const OVS_RELATIVERT_SETTINGS* pSettings,
                           OVS_PEAKTABLE* const apTables[OVS_RRT_TABLES]) {
    if (pSettings == nullptr || apTables == nullptr) {
        return E_POINTER;
    }
    if (!pSettings->bEnabled) {
        return S_OK;
    }
    const LONG reference = pSettings->bRefIsFixedTime ? MinutesToMilliseconds(pSettings->fRefTime)
                                                      : ReferenceTime(pSettings->wRefPeakId, apTables);
    for (int t = 0; t < OVS_RRT_TABLES; ++t) {
        OVS_PEAKTABLE* table = apTables[t];
        if (table == nullptr) {
            continue;
        }
        LONG zero = 0;
        if (pSettings->bZeroTimeUsed) {
            if (pSettings->wZeroTimeMode == kZeroTimeEarliestPeak) {
                zero = EarliestRetentionTime(table);
            } else if (pSettings->wZeroTimeMode == kZeroTimeFixed) {
                zero = MinutesToMilliseconds(pSettings->fZeroTime);
            } else {
                return E_FAIL;
            }
        }
        OVS_LCPEAK* peaks = OvsPeaksOf(table);
        for (LONG p = 0; p < table->lPeakCount; ++p) {
            if (zero != reference && reference != 0) {
                peaks[p].dRelativeRT =
                    static_cast<double>(static_cast<LONGLONG>(peaks[p].lRetentionTime) - zero) /
                    static_cast<double>(static_cast<LONGLONG>(reference) - zero);
            } else {
                for (WORD& status : peaks[p].awStatus) {
                    status |= OVS_PEAKSTATUS_NO_RRT;
                }
            }
        }
    }
    return S_OK;
}

HRESULT Tool_GetPeakforRT(WORD wKind, LONG lRetentionTime, short nPeakCount, const OVS_LCPEAK* pLCPeaks,
                          const OVS_PDAPEAK* pPDAPeaks, WORD* pwPeak) {
    if (pwPeak == nullptr) {
        return E_POINTER;
    }
    *pwPeak = kNoPeak;
    if ((wKind != 0 && wKind != 1) || nPeakCount <= 0) {
        return OVS_E_NO_MATCHING_PEAK;
    }
    return wKind == 0 ? NearestPeak(pLCPeaks, nPeakCount, lRetentionTime, pwPeak)
                      : NearestPeak(pPDAPeaks, nPeakCount, lRetentionTime, pwPeak);
}

BOOL Tool_GetTop3(const double* pdValues, LONG lCount, LONG lSlots, double* pdTop, LONG* plIndex) {
    if (pdTop == nullptr || plIndex == nullptr) {
        return FALSE;
    }
    for (LONG s = 0; s < lSlots; ++s) {
        pdTop[s] = 0.0;
        plIndex[s] = 0;
    }
    if (lCount < 1 || pdValues == nullptr) {
        return FALSE;
    }
    LONG index[3];
    index[0] = LargestBelow(pdValues, lCount, 0.0, false);
    pdTop[0] = index[0] < 0 ? 0.0 : pdValues[index[0]];
    plIndex[0] = index[0] < 0 ? 0 : index[0];
    for (int rank = 1; rank < 3; ++rank) {
        index[rank] = index[rank - 1] < 0 ? -1 : LargestBelow(pdValues, lCount, pdTop[rank - 1], true);
        // A missing rank repeats the one above it.
        pdTop[rank] = index[rank] < 0 ? pdTop[rank - 1] : pdValues[index[rank]];
        plIndex[rank] = index[rank] < 0 ? plIndex[rank - 1] : index[rank];
    }
    return TRUE;
}
