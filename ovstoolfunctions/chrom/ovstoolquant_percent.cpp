// Concentration percentages of one entry of a result or peak table; the four tables differ only in
// their layout.
#include "ovstoolquant.h"

namespace {

template <typename Entry>
HRESULT ConcentrationPercent(const Entry* entries, int count, int entry, double* percent) {
    if (percent == nullptr || entries == nullptr || entry < 1 || entry > count) {
        return E_INVALIDARG;
    }
    double sum = 0.0;
    for (int i = 0; i < count; ++i) {
        sum += entries[i].dConc;
    }
    const double concentration = entries[entry - 1].dConc;
    *percent = sum > 0.0 && concentration > 0.0 ? concentration / sum * 100.0 : 0.0;
    return S_OK;
}

} // namespace

HRESULT Tool_GetConcPctGrr(const OVS_GRRTABLE* pTable, short nEntry, double* pdPercent) {
    if (pTable == nullptr) {
        return E_INVALIDARG;
    }
    return ConcentrationPercent(OvsResultsOf(pTable), pTable->nCount, nEntry, pdPercent);
}

HRESULT Tool_GetConcPctLCPeak(const OVS_LCPEAK* pPeaks, short nPeakCount, short nPeak, double* pdPercent) {
    return ConcentrationPercent(pPeaks, nPeakCount, nPeak, pdPercent);
}

HRESULT Tool_GetConcPctPDAPeak(const OVS_PDAPEAK* pPeaks, short nPeakCount, short nPeak, double* pdPercent) {
    return ConcentrationPercent(pPeaks, nPeakCount, nPeak, pdPercent);
}

HRESULT Tool_GetConcPctQur(const OVS_QUANTRESULTTABLE* pTable, short nEntry, double* pdPercent) {
    if (pTable == nullptr) {
        return E_INVALIDARG;
    }
    return ConcentrationPercent(OvsResultsOf(pTable), pTable->nCount, nEntry, pdPercent);
}
