// The two arrays of chromatogram and spectrum records: allocation, copy, cut and release.
#include "callframe.h"
#include "ovstoolchrom.h"
#include "ovstooldbgreport.h"
#include "chrom_extremes.h"
#include "task_memory.h"
#include "unique_resource.h"

#include <cstring>

namespace {

constexpr char kShrunken[] = "Tool_Allocate2dChrom dwTotalPoints shrunken; old one = %d but new one = %d";
constexpr char kIntensityFailed[] = "Tool_Allocate2dChrom Realloc p2dChrom->pdChromInt failed.";
constexpr char kSaturateFailed[] = "Tool_Allocate2dChrom Realloc p2dChrom->pbySaturate failed.";

// The texts reported when one of the two arrays cannot be had; null reports nothing.
struct PairFailureTexts {
    const char* first;
    const char* second;
};

void ReportFailure(const char* text) {
    if (text != nullptr) {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_ERR, "%s", text);
    }
}

// Gives a record's two arrays count elements each. An existing first array is reallocated together
// with the second (a null second is allocated); otherwise both are allocated fresh and cleared.
// When the second reallocation fails the record keeps its grown first array and its old second
// one, so it never points at a released block.
template <typename First, typename Second>
HRESULT AllocatePair(First*& first, Second*& second, DWORD count, const PairFailureTexts& texts) {
    const SIZE_T firstBytes = ovs::TaskArrayBytes(count, sizeof(First));
    const SIZE_T secondBytes = ovs::TaskArrayBytes(count, sizeof(Second));
    if (first != nullptr) {
        First* grown = firstBytes == 0 ? nullptr : static_cast<First*>(ovs::TaskRealloc(first, firstBytes));
        if (grown == nullptr) {
            ReportFailure(texts.first);
            return E_OUTOFMEMORY;
        }
        first = grown;
        Second* grownSecond =
            secondBytes == 0 ? nullptr : static_cast<Second*>(ovs::TaskRealloc(second, secondBytes));
        if (grownSecond == nullptr) {
            ReportFailure(texts.second);
            return E_OUTOFMEMORY;
        }
        second = grownSecond;
        return S_OK;
    }
    ovs::unique_cotaskmem freshFirst(firstBytes == 0 ? nullptr : ovs::TaskAllocCleared(firstBytes));
    if (!freshFirst) {
        ReportFailure(texts.first);
        return E_OUTOFMEMORY;
    }
    void* freshSecond = secondBytes == 0 ? nullptr : ovs::TaskAllocCleared(secondBytes);
    if (freshSecond == nullptr) {
        ReportFailure(texts.second);
        return E_OUTOFMEMORY;
    }
    // A second array without a first one still belongs to the record.
    CoTaskMemFree(second);
    first = static_cast<First*>(freshFirst.release());
    second = static_cast<Second*>(freshSecond);
    return S_OK;
}

constexpr SIZE_T kChromHeaderBytes = offsetof(OVS_2DCHROMDATA, pdChromInt);

} // namespace

HRESULT Tool_Allocate2dChrom(OVS_2DCHROMDATA* p2dChrom, DWORD dwPoints) {
    OVS_REQUIRE_ARG("Tool_Allocate2dChrom", nullptr != p2dChrom, E_INVALIDARG);
    OVS_REQUIRE_ARG("Tool_Allocate2dChrom", 0 != dwPoints, E_INVALIDARG);
    if (dwPoints < p2dChrom->dwTotalPoints) {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_ERR, kShrunken, static_cast<int>(p2dChrom->dwTotalPoints),
                       static_cast<int>(dwPoints));
    }
    return AllocatePair(p2dChrom->pdChromInt, p2dChrom->pbySaturate, dwPoints,
                        PairFailureTexts{kIntensityFailed, kSaturateFailed});
}

HRESULT Tool_Copy2dChrom(OVS_2DCHROMDATA* pDest, const OVS_2DCHROMDATA* pSource) {
    if (pDest == nullptr || pSource == nullptr ||
        (pSource->dwTotalPoints != 0 && pSource->pdChromInt == nullptr)) {
        return E_INVALIDARG;
    }
    if (pDest == pSource) {
        return S_OK;
    }
    const DWORD points = pSource->dwTotalPoints;
    const HRESULT hr = Tool_Allocate2dChrom(pDest, points);
    if (FAILED(hr)) {
        return hr;
    }
    std::memcpy(pDest, pSource, kChromHeaderBytes);
    std::memcpy(pDest->pdChromInt, pSource->pdChromInt, points * sizeof(double));
    // A source without flags copies as unsaturated.
    if (pSource->pbySaturate != nullptr) {
        std::memcpy(pDest->pbySaturate, pSource->pbySaturate, points);
    } else {
        std::memset(pDest->pbySaturate, 0, points);
    }
    return S_OK;
}

HRESULT Tool_Release2dChrom(OVS_2DCHROMDATA* p2dChrom) {
    if (p2dChrom != nullptr) {
        CoTaskMemFree(p2dChrom->pdChromInt);
        CoTaskMemFree(p2dChrom->pbySaturate);
        std::memset(p2dChrom, 0, sizeof *p2dChrom);
    }
    return S_OK;
}

// The new array is had before the old one is freed, so a failed allocation leaves the record as it
// was. A window reaching past the record's points (a header that disagrees with dwTotalPoints) is
// refused like any other invalid window.
HRESULT Tool_ResizeChromtoPeak(OVS_2DCHROMDATA* p2dChrom, LONG lStartTime, LONG lEndTime) {
    OVS_REQUIRE_ARG("Tool_ResizeChromtoPeak", nullptr != p2dChrom, E_INVALIDARG);
    OVS_REQUIRE_ARG("Tool_ResizeChromtoPeak",
                    0 != p2dChrom->dwTotalPoints && 0 != p2dChrom->dwSamplingInterval &&
                        nullptr != p2dChrom->pdChromInt,
                    E_INVALIDARG);
    OVS_REQUIRE_ARG("Tool_ResizeChromtoPeak",
                    0 <= lStartTime && p2dChrom->dwStartTime <= static_cast<DWORD>(lStartTime) &&
                        lStartTime < lEndTime && lEndTime <= p2dChrom->lEndTime,
                    E_INVALIDARG);
    const DWORD interval = p2dChrom->dwSamplingInterval;
    const DWORD first = (static_cast<DWORD>(lStartTime) - p2dChrom->dwStartTime) / interval;
    const DWORD last = (static_cast<DWORD>(lEndTime) - p2dChrom->dwStartTime) / interval;
    OVS_REQUIRE_ARG("Tool_ResizeChromtoPeak", last < p2dChrom->dwTotalPoints, E_INVALIDARG);
    const DWORD count = last - first + 1;
    double* cut = static_cast<double*>(ovs::TaskAlloc(count * sizeof(double)));
    if (cut == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::memcpy(cut, p2dChrom->pdChromInt + first, count * sizeof(double));
    CoTaskMemFree(p2dChrom->pdChromInt);
    p2dChrom->pdChromInt = cut;
    p2dChrom->dwStartTime = static_cast<DWORD>(lStartTime);
    p2dChrom->lEndTime = lEndTime;
    p2dChrom->dwTotalPoints = count;
    p2dChrom->dwWindowFirst = 0;
    p2dChrom->dwWindowPoints = count;
    ovs::RecomputeExtremes(*p2dChrom);
    return S_OK;
}

// Unlike the chromatogram's, the spectrum's allocation writes nothing to the debug report, not even
// for a refused argument.
HRESULT Tool_AllocateUVSpecData(OVS_UVSPECDATA* pSpec, DWORD dwPoints) {
    if (pSpec == nullptr || dwPoints == 0) {
        return E_INVALIDARG;
    }
    return AllocatePair(pSpec->pdValues, pSpec->pdwSecond, dwPoints, PairFailureTexts{nullptr, nullptr});
}

HRESULT Tool_CopyUVSpecData(OVS_UVSPECDATA* pDest, const OVS_UVSPECDATA* pSource) {
    if (pDest == nullptr || pSource == nullptr ||
        (pSource->dwPoints != 0 && (pSource->pdValues == nullptr || pSource->pdwSecond == nullptr))) {
        return E_INVALIDARG;
    }
    if (pDest == pSource) {
        return S_OK;
    }
    const DWORD points = pSource->dwPoints;
    const HRESULT hr = Tool_AllocateUVSpecData(pDest, points);
    if (FAILED(hr)) {
        return hr;
    }
    pDest->dwHeader = pSource->dwHeader;
    pDest->dwPoints = points;
    std::memcpy(pDest->adwHeader, pSource->adwHeader, sizeof pDest->adwHeader);
    pDest->dFirst = pSource->dFirst;
    pDest->dSecond = pSource->dSecond;
    std::memcpy(pDest->adwTrailer, pSource->adwTrailer, sizeof pDest->adwTrailer);
    std::memcpy(pDest->pdValues, pSource->pdValues, points * sizeof(double));
    std::memcpy(pDest->pdwSecond, pSource->pdwSecond, points * sizeof(DWORD));
    return S_OK;
}

HRESULT Tool_ReleaseUVSpecData(OVS_UVSPECDATA* pSpec) {
    if (pSpec != nullptr) {
        CoTaskMemFree(pSpec->pdValues);
        CoTaskMemFree(pSpec->pdwSecond);
        std::memset(pSpec, 0, sizeof *pSpec);
    }
    return S_OK;
}
