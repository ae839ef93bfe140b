// Mean, standard deviation and relative standard deviation of a series of doubles.
#pragma once

#include "ovstooldefs.h"
#include <afxstr.h>

OVSTOOL_API void Tool_CalcAverage(double& dMean, const double* pdValues, int nCount, BOOL& bValid);
// Sample form (divide by n - 1) unless bPopulation; n <= 1 is invalid in the sample form.
OVSTOOL_API void Tool_CalcStandardDiviation(double& dSD, const double* pdValues, int nCount, BOOL& bValid,
                                            BOOL bPopulation);
// sd * 100 / mean, 0 for a mean of exactly 0.
OVSTOOL_API void Tool_CalcRelativeStandardDiviation(double& dRSD, const double* pdValues, int nCount,
                                                    BOOL& bValid, BOOL bPopulation);
// The values grouped with seven digits; empty when not valid.
OVSTOOL_API void Tool_CalcStandardDiviationString(CString& strText, const double* pdValues, int nCount,
                                                  BOOL bPopulation);
OVSTOOL_API void Tool_CalcRelativeStandardDiviationString(CString& strText, const double* pdValues,
                                                          int nCount, BOOL bPopulation);
