// Response factors: plain value / concentration arrays, the internal-standard lookups, and the real
// response factors of a calibration standard read from a data-file object.
#include "callframe.h"
#include "ovstoolquant.h"
#include "ovsdatafile.h"
#include "ovsreg.h"
#include "ovsregcurrentuser.h"
#include "task_memory.h"
#include "unique_resource.h"

#include <cstdlib>

namespace {

constexpr char kOptionKey[] = "Option";
constexpr char kDilutionFactorValue[] = "DilutionFactor";
constexpr int kDefaultDilutionFactor = 1;

bool IsInternalStandard(const OVS_COMPOUND& compound) {
    return compound.nKind == 2 || compound.nKind == 4;
}

bool IsCalibLevel(short nLevel) {
    return nLevel >= 1 && nLevel <= OVS_CALIB_LEVELS;
}

// The compound's factor of level nLevel times its concentration; 0 for a level the compound holds no
// factor for, so that every factor that needs the level comes out 0.
double LevelAmount(const OVS_COMPOUND& compound, short nLevel) {
    return IsCalibLevel(nLevel) ? compound.afLevelFactor[nLevel - 1] * compound.dConc : 0.0;
}

// Response over amount (direction 0) or amount over response; 0 when the quotient has no meaning.
double PlainFactor(double r, double c, SHORT nDirection) {
    if (c <= 0.0) {
        return 0.0;
    }
    if (nDirection == 0) {
        return r / c;
    }
    return r != 0.0 ? c / r : 0.0;
}

// True when the interface was obtained (a success code with a null interface counts as failure).
template <typename I>
bool Query(IUnknown* object, REFIID iid, ovs::com_ptr<I>& out) {
    return SUCCEEDED(object->QueryInterface(iid, out.put_void())) && out;
}
template <typename I>
bool OpenProcessing(IOvsDataProcessingSource* source, REFIID iid, ovs::com_ptr<I>& out) {
    return SUCCEEDED(source->OpenProcessing(OVS_DATA_PROCESSING_CATEGORY, iid, out.put_void())) && out;
}

struct StandardData {
    OVS_SAMPLEINFO sample;
    OVS_QUANTMETHODHEADER header;
    const OVS_COMPOUNDTABLE* compounds;
    const OVS_QUANTRESULTTABLE* results;
};

double InternalStandardFactor(const StandardData& data, int i, int nBasis, double r, double c) {
    const OVS_COMPOUND* compounds = OvsCompoundsOf(data.compounds);
    if (IsInternalStandard(compounds[i])) {
        return 1.0;
    }
    int j = 0;
    while (j < data.compounds->nCount &&
           !(IsInternalStandard(compounds[j]) && compounds[j].nISGroup == compounds[i].nISGroup)) {
        ++j;
    }
    if (j == data.compounds->nCount) {
        return 1.0;
    }
    const short n = static_cast<short>(j + 1);
    const double cIS = Tool_Get_IS_Conc(data.compounds, n, data.sample.nCalibLevel);
    const double rIS = Tool_Get_IS_Data(data.results, static_cast<WORD>(n), nBasis);
    const SHORT nDirection = data.header.nFactorDirection;
    if (cIS <= 0.0 || rIS == 0.0 || c <= 0.0 || (nDirection != 0 && r == 0.0)) {
        return 0.0;
    }
    return nDirection == 0 ? (r / rIS) / (c / cIS) : (c / cIS) / (r / rIS);
}

void ComputeFactors(const StandardData& data, double* pdFactors) {
    const int nCount = data.compounds->nCount;
    const OVS_COMPOUND* compounds = OvsCompoundsOf(data.compounds);
    const OVS_QUANTRESULT* results = OvsResultsOf(data.results);
    const SHORT nMethod = data.header.nQuantMethod;
    // One read per call, and only for the method that scales by the sample amount.
    const int nDilution = nMethod == OVS_QUANT_SAMPLE_AMOUNT
                              ? Tool_GetRegCurrentUserInt(OVS_REG_PRODUCT_ROOT, kOptionKey,
                                                          kDilutionFactorValue, kDefaultDilutionFactor)
                              : kDefaultDilutionFactor;
    const float fAmount = data.sample.fSampleAmount;
    for (int i = 0; i < nCount; ++i) {
        pdFactors[i] = 0.0;
        // Result entry i belongs to compound i; a compound at or past the result table's count has
        // no entry, so it keeps 0. Letting i equal the count through as well would read the entry
        // one past the table: the safe bound i < count is kept on purpose.
        if (i >= data.results->nCount) {
            continue;
        }
        const int nBasis = compounds[i].nCalibBasis != 0 ? compounds[i].nCalibBasis : data.header.nCalibBasis;
        const double r = nBasis == OVS_CALIB_BASIS_AREA ? results[i].dArea : results[i].dHeight;
        double c = LevelAmount(compounds[i], data.sample.nCalibLevel);
        if (nMethod == OVS_QUANT_INTERNAL_STANDARD) {
            pdFactors[i] = InternalStandardFactor(data, i, nBasis, r, c);
            continue;
        }
        if (nMethod == OVS_QUANT_SAMPLE_AMOUNT && nDilution == 0) {
            if (fAmount <= 0.0f) {
                continue;
            }
            c = c / fAmount / 100.0;
        }
        pdFactors[i] = PlainFactor(r, c, data.header.nFactorDirection);
    }
    for (int i = 0; i < nCount; ++i) {
        const int k = compounds[i].nRefCompound;
        if (k > 0 && k <= nCount) {
            pdFactors[i] = pdFactors[k - 1];
        }
    }
}

} // namespace

HRESULT Tool_CalcResponseFactor(const double* pdValues, double** ppdFactors, double dConc, short nCount,
                                BOOL* pbValid) {
    constexpr char kFunction[] = "Tool_CalcResponseFactor";
    OVS_REQUIRE_ARG(kFunction, 0 < nCount, E_INVALIDARG);
    OVS_REQUIRE_ARG(kFunction, nullptr != pdValues && nullptr != ppdFactors && nullptr != pbValid,
                    E_INVALIDARG);
    *pbValid = FALSE;
    *ppdFactors = nullptr;
    double* factors =
        static_cast<double*>(ovs::TaskAllocCleared(ovs::TaskArrayBytes(nCount, sizeof(double))));
    if (factors == nullptr) {
        return E_OUTOFMEMORY;
    }
    if (dConc != 0.0) {
        for (short i = 0; i < nCount; ++i) {
            factors[i] = pdValues[i] / dConc;
        }
    }
    *ppdFactors = factors;
    *pbValid = dConc != 0.0 ? TRUE : FALSE;
    return S_OK;
}

float Tool_Get_IS_Conc(const OVS_COMPOUNDTABLE* pCompounds, short nISNumber, short nLevel) {
    if (pCompounds == nullptr || !IsCalibLevel(nLevel)) {
        return 0.0f;
    }
    const OVS_COMPOUND* compounds = OvsCompoundsOf(pCompounds);
    const float fConc = nISNumber >= 1 && nISNumber <= pCompounds->nCount
                            ? static_cast<float>(compounds[nISNumber - 1].dConc)
                            : 0.0f;
    for (int i = 0; i < pCompounds->nCount; ++i) {
        if (compounds[i].wISNumber == static_cast<WORD>(nISNumber)) {
            return fConc * compounds[i].afLevelFactor[nLevel - 1];
        }
    }
    return 0.0f;
}

double Tool_Get_IS_Data(const OVS_QUANTRESULTTABLE* pResults, WORD wISNumber, int nBasis) {
    if (pResults == nullptr) {
        return 0.0;
    }
    const OVS_QUANTRESULT* results = OvsResultsOf(pResults);
    for (int i = 0; i < pResults->nCount; ++i) {
        if (results[i].wISNumber == wISNumber) {
            return static_cast<float>(nBasis == OVS_CALIB_BASIS_AREA ? results[i].dArea : results[i].dHeight);
        }
    }
    return 0.0;
}

// A null object is left alone; otherwise *pnCount is 0 until the array is handed out, and
// *ppdFactors keeps whatever the caller had in it until every read has succeeded: only then does
// it receive the array (null for a standard without compounds or when no memory is left). Any
// failing call (or a null interface or table) ends the operation silently, and the owners below
// release whatever was obtained.
void Tool_GetRealRF(IUnknown* pDataFile, LONG lSelection, short* pnCount, double** ppdFactors) {
    if (pDataFile == nullptr || pnCount == nullptr || ppdFactors == nullptr) {
        return;
    }
    *pnCount = 0;
    StandardData data = {};
    ovs::com_ptr<IOvsSampleInformation> sampleInfo;
    if (!Query(pDataFile, IID_IOvsSampleInformation, sampleInfo) ||
        FAILED(sampleInfo->GetSampleInfo(&data.sample)) ||
        data.sample.nSampleKind != OVS_SAMPLE_KIND_STANDARD) {
        return;
    }
    ovs::com_ptr<IOvsDataProcessingSource> source;
    ovs::com_ptr<IOvsProcessingState> state;
    ovs::com_ptr<IOvsQuantMethod> method;
    if (!Query(pDataFile, IID_IOvsDataProcessingSource, source) ||
        !OpenProcessing(source.get(), IID_IOvsProcessingState, state) ||
        !OpenProcessing(source.get(), IID_IOvsQuantMethod, method) ||
        (lSelection >= 0 && FAILED(state->SelectEntry(lSelection))) ||
        FAILED(method->GetMethodHeader(&data.header))) {
        return;
    }
    // A failed call hands out nothing; a successful one hands over its table, null or not.
    OVS_COMPOUNDTABLE* compounds = nullptr;
    if (FAILED(method->GetCompoundTable(&compounds))) {
        return;
    }
    const ovs::unique_cotaskmem compoundsOwner(compounds);
    OVS_QUANTRESULTTABLE* results = nullptr;
    if (compounds == nullptr || FAILED(state->GetQuantResultTable(&results))) {
        return;
    }
    const ovs::unique_cotaskmem resultsOwner(results);
    if (results == nullptr) {
        return;
    }
    data.compounds = compounds;
    data.results = results;
    double* factors =
        compounds->nCount > 0
            ? static_cast<double*>(std::malloc(sizeof(double) * static_cast<size_t>(compounds->nCount)))
            : nullptr;
    *ppdFactors = factors;
    if (factors != nullptr) {
        ComputeFactors(data, factors);
        *pnCount = compounds->nCount;
    }
}
