// Concentration percentages of one entry of a result or peak table; the four tables differ only in
// their layout.
#include "callframe.h"
#include "ovstoolquant.h"

namespace {

template <typename Entry>
HRESULT ConcentrationPercent(LPCSTR function, const Entry* entries, int count, int entry, double* percent) {
    OVS_REQUIRE_ARG(function, nullptr != percent && nullptr != entries, E_INVALIDARG);
    OVS_REQUIRE_ARG(function, 1 <= entry && entry <= count, E_INVALIDARG);
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
    constexpr char kFunction[] = "Tool_GetConcPctGrr";
    OVS_REQUIRE_ARG(kFunction, nullptr != pTable, E_INVALIDARG);
    return ConcentrationPercent(kFunction, OvsResultsOf(pTable), pTable->nCount, nEntry, pdPercent);
}

HRESULT Tool_GetConcPctLCPeak(const OVS_LCPEAK* pPeaks, short nPeakCount, short nPeak, double* pdPercent) {
    return ConcentrationPercent("Tool_GetConcPctLCPeak", pPeaks, nPeakCount, nPeak, pdPercent);
}

HRESULT Tool_GetConcPctPDAPeak(const OVS_PDAPEAK* pPeaks, short nPeakCount, short nPeak, double* pdPercent) {
    return ConcentrationPercent("Tool_GetConcPctPDAPeak", pPeaks, nPeakCount, nPeak, pdPercent);
}

HRESULT Tool_GetConcPctQur(const OVS_QUANTRESULTTABLE* pTable, short nEntry, double* pdPercent) {
    constexpr char kFunction[] = "Tool_GetConcPctQur";
    OVS_REQUIRE_ARG(kFunction, nullptr != pTable, E_INVALIDARG);
    return ConcentrationPercent(kFunction, OvsResultsOf(pTable), pTable->nCount, nEntry, pdPercent);
}
