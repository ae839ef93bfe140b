// Repeatability figures of a series: mean, standard deviation, relative standard deviation.
#include "ovstoolstatistics.h"
#include "ovstoolseparators.h"

#include <cmath>

namespace {

constexpr short kStatisticsTextDigits = 7;

bool AllEqualToFirst(const double* values, int count) {
    for (int i = 1; i < count; ++i) {
        if (!(values[i] == values[0])) { // a NaN counts as different
            return false;
        }
    }
    return true;
}

} // namespace

void Tool_CalcAverage(double& dMean, const double* pdValues, int nCount, BOOL& bValid) {
    double sum = 0.0;
    if (pdValues != nullptr) {
        for (int i = 0; i < nCount; ++i) {
            sum += pdValues[i];
        }
    }
    bValid = nCount > 0 && pdValues != nullptr ? TRUE : FALSE;
    dMean = sum / static_cast<double>(nCount > 0 ? nCount : 0);
}

void Tool_CalcStandardDiviation(double& dSD, const double* pdValues, int nCount, BOOL& bValid,
                                BOOL bPopulation) {
    dSD = 0.0;
    bValid = FALSE;
    if (pdValues == nullptr || nCount < 0 || (!bPopulation && nCount <= 1)) {
        return;
    }
    if (nCount > 1 && AllEqualToFirst(pdValues, nCount)) {
        bValid = TRUE;
        return;
    }
    if (bPopulation) {
        if (nCount == 0) {
            return;
        }
        double mean = 0.0;
        Tool_CalcAverage(mean, pdValues, nCount, bValid);
        double squares = 0.0;
        for (int i = 0; i < nCount; ++i) {
            squares += (pdValues[i] - mean) * (pdValues[i] - mean);
        }
        dSD = squares <= 0.0 ? 0.0 : std::sqrt(squares / nCount);
        return;
    }
    // One pass: the sum and the sum of squares; a small negative variance of this form counts as 0.
    double sum = 0.0;
    double sumOfSquares = 0.0;
    for (int i = 0; i < nCount; ++i) {
        sum += pdValues[i];
        sumOfSquares += pdValues[i] * pdValues[i];
    }
    const double variance = (sumOfSquares - sum * sum / nCount) / (nCount - 1);
    dSD = variance <= 0.0 ? 0.0 : std::sqrt(variance);
    bValid = TRUE;
}

void Tool_CalcRelativeStandardDiviation(double& dRSD, const double* pdValues, int nCount, BOOL& bValid,
                                        BOOL bPopulation) {
    double mean = 0.0;
    BOOL meanValid = FALSE;
    Tool_CalcAverage(mean, pdValues, nCount, meanValid);
    double sd = 0.0;
    BOOL sdValid = FALSE;
    Tool_CalcStandardDiviation(sd, pdValues, nCount, sdValid, bPopulation);
    dRSD = 0.0;
    bValid = FALSE;
    if (meanValid && sdValid) {
        dRSD = mean == 0.0 ? 0.0 : sd * 100.0 / mean;
        bValid = TRUE;
    }
}

void Tool_CalcStandardDiviationString(CString& strText, const double* pdValues, int nCount,
                                      BOOL bPopulation) {
    double sd = 0.0;
    BOOL valid = FALSE;
    Tool_CalcStandardDiviation(sd, pdValues, nCount, valid, bPopulation);
    strText.Empty();
    if (valid) {
        Tool_PutCommaCStringDouble(sd, kStatisticsTextDigits, strText);
    }
}

void Tool_CalcRelativeStandardDiviationString(CString& strText, const double* pdValues, int nCount,
                                              BOOL bPopulation) {
    double rsd = 0.0;
    BOOL valid = FALSE;
    Tool_CalcRelativeStandardDiviation(rsd, pdValues, nCount, valid, bPopulation);
    strText.Empty();
    if (valid) {
        Tool_PutCommaCStringDouble(rsd, kStatisticsTextDigits, strText);
    }
}
