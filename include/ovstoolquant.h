// Quantitation helpers shared by the data-processing and report applications: response factors,
// internal standards, concentration percentages, relative retention times, peak lookups, the three
// largest values, intensities, normalisation scales, baseline compensation and ratio chromatograms.
#pragma once

#include "ovstooldefs.h"
#include "ovschromdata.h"
#include "ovsquantdata.h"

#include <unknwn.h>

// Code of a table that the calculation needs and was not given.
inline constexpr HRESULT OVS_E_TABLE_MISSING = static_cast<HRESULT>(0x80042501);
// Code of a missing peak, or of a bad peak count or table kind.
inline constexpr HRESULT OVS_E_NO_MATCHING_PEAK = static_cast<HRESULT>(0x80042513);

// *ppdFactors receives nCount factors value / concentration in task memory (the caller frees it).
OVSTOOL_API HRESULT Tool_CalcResponseFactor(const double* pdValues, double** ppdFactors, double dConc,
                                            short nCount, BOOL* pbValid);
// The response factors of the calibration standard in a data file. *ppdFactors is allocated with
// malloc (the caller frees it with free); lSelection < 0 keeps the file's processed entry.
OVSTOOL_API void Tool_GetRealRF(IUnknown* pDataFile, LONG lSelection, short* pnCount, double** ppdFactors);

OVSTOOL_API float Tool_Get_IS_Conc(const OVS_COMPOUNDTABLE* pCompounds, short nISNumber, short nLevel);
// Area (nBasis 1) or height of the first result of internal standard wISNumber, narrowed to float.
OVSTOOL_API double Tool_Get_IS_Data(const OVS_QUANTRESULTTABLE* pResults, WORD wISNumber, int nBasis);

// Percent of the 1-based entry's concentration in the sum of all concentrations.
OVSTOOL_API HRESULT Tool_GetConcPctGrr(const OVS_GRRTABLE* pTable, short nEntry, double* pdPercent);
OVSTOOL_API HRESULT Tool_GetConcPctLCPeak(const OVS_LCPEAK* pPeaks, short nPeakCount, short nPeak,
                                          double* pdPercent);
OVSTOOL_API HRESULT Tool_GetConcPctPDAPeak(const OVS_PDAPEAK* pPeaks, short nPeakCount, short nPeak,
                                           double* pdPercent);
OVSTOOL_API HRESULT Tool_GetConcPctQur(const OVS_QUANTRESULTTABLE* pTable, short nEntry, double* pdPercent);

// Writes the relative retention time of every peak of the present tables (null entries are absent).
OVSTOOL_API HRESULT Tool_GetRelativeRT(const OVS_RELATIVERT_SETTINGS* pSettings,
                                       OVS_PEAKTABLE* const apTables[OVS_RRT_TABLES]);
// The 1-based number of the peak nearest lRetentionTime among those spanning it (wKind 0 LC, 1 PDA).
OVSTOOL_API HRESULT Tool_GetPeakforRT(WORD wKind, LONG lRetentionTime, short nPeakCount,
                                      const OVS_LCPEAK* pLCPeaks, const OVS_PDAPEAK* pPDAPeaks, WORD* pwPeak);
// The three largest distinct positive values and their indexes; pdTop and plIndex hold at least
// three and at least lSlots entries.
OVSTOOL_API BOOL Tool_GetTop3(const double* pdValues, LONG lCount, LONG lSlots, double* pdTop, LONG* plIndex);
// The interpolated intensity at lTime plus 0.5; with nHalfWidth >= 1 the largest of it and the
// points within nHalfWidth of it.
OVSTOOL_API double Tool_GetIntensity(const OVS_2DCHROMDATA* p2dChrom, long lTime, int nHalfWidth);
OVSTOOL_API BOOL Tool_GetNormalizeScale(LONG lFrom, LONG lTo, const OVS_2DCHROMDATA* p2dChrom,
                                        LONG lPeakCount, const OVS_LCPEAK* pPeaks, LONG lMode,
                                        BOOL bZeroMinimum, double* pdMinimum, double* pdMaximum);
OVSTOOL_API BOOL Tool_GetNomalizeScale(const OVS_2DCHROMDATA* p2dChrom, int nPeakCount,
                                       const OVS_LCPEAK* pPeaks, int nMode, int nSlots, double adMinimum[3],
                                       double adMaximum[3]);
// Subtracts the straight line through the first and the last point.
OVSTOOL_API BOOL Tool_BaselineComp(OVS_2DCHROMDATA* p2dChrom);
// Turns a into a / sqrt(a^2 + b^2) where both reach dThreshold, 0 elsewhere, after compensating the
// baselines of both.
OVSTOOL_API HRESULT Tool_CalcRatioChrom(OVS_2DCHROMDATA* pChromA, OVS_2DCHROMDATA* pChromB,
                                        double dThreshold);
