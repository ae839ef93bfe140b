// Host records that the quantitation helpers read and write. Fields stand in the order the hosts
// use, with natural alignment; retention times are whole milliseconds. A table is its header
// followed directly by its entries; the Ovs...Of accessors give the first entry.
#pragma once

#include <windows.h>

#include <cstddef>

// Highest calibration level a compound holds a factor for (levels are 1-based).
inline constexpr int OVS_CALIB_LEVELS = 10;
// Number of peak tables that relative retention times are computed for at once.
inline constexpr int OVS_RRT_TABLES = 20;

struct OVS_LCPEAK {
    LONG lRetentionTime;
    double dHeight;
    double dBaseline1; // baseline level at the peak start
    double dBaseline2; // baseline level at the peak end
    LONG lStartTime;
    LONG lEndTime;
    double dConc;
    WORD wPeakId; // identification number of the peak
    WORD awStatus[16];
    double dRelativeRT; // written by Tool_GetRelativeRT
};
static_assert(offsetof(OVS_LCPEAK, dHeight) == 8);
static_assert(offsetof(OVS_LCPEAK, lStartTime) == 32);
static_assert(offsetof(OVS_LCPEAK, dConc) == 40);
static_assert(offsetof(OVS_LCPEAK, wPeakId) == 48);
static_assert(offsetof(OVS_LCPEAK, awStatus) == 50);
static_assert(offsetof(OVS_LCPEAK, dRelativeRT) == 88);
static_assert(sizeof(OVS_LCPEAK) == 96);

// Bit set in every status word of a peak that has no relative retention time.
inline constexpr WORD OVS_PEAKSTATUS_NO_RRT = 0x80;

struct OVS_PEAKTABLE {
    LONG lPeakCount;
    DWORD adwHost[3]; // the host's further header fields
};
static_assert(sizeof(OVS_PEAKTABLE) == 16);

struct OVS_PDAPEAK {
    LONG lRetentionTime;
    LONG lStartTime;
    LONG lEndTime;
    double dConc;
};
static_assert(offsetof(OVS_PDAPEAK, dConc) == 16);
static_assert(sizeof(OVS_PDAPEAK) == 24);

struct OVS_GRRTABLE {
    SHORT nCount;
    SHORT anHost[3];
};
struct OVS_GRRRESULT {
    double dConc;
};
static_assert(sizeof(OVS_GRRTABLE) == 8);

struct OVS_QUANTRESULTTABLE {
    SHORT nCount;
    SHORT anHost[3];
};
struct OVS_QUANTRESULT {
    WORD wISNumber; // 1-based number of the compound's internal standard
    double dConc;
    double dArea;
    double dHeight;
};
static_assert(sizeof(OVS_QUANTRESULTTABLE) == 8);
static_assert(offsetof(OVS_QUANTRESULT, dConc) == 8);
static_assert(offsetof(OVS_QUANTRESULT, dHeight) == 24);
static_assert(sizeof(OVS_QUANTRESULT) == 32);

// Quantitation methods and calibration bases of the method header and the compound table.
inline constexpr SHORT OVS_QUANT_INTERNAL_STANDARD = 3;
inline constexpr SHORT OVS_QUANT_SAMPLE_AMOUNT = 4;
inline constexpr SHORT OVS_CALIB_BASIS_AREA = 1;

struct OVS_QUANTMETHODHEADER {
    SHORT nQuantMethod;
    SHORT nCalibBasis;      // the default basis: 1 area, anything else height
    SHORT nFactorDirection; // 0 response / amount, otherwise amount / response
};
static_assert(sizeof(OVS_QUANTMETHODHEADER) == 6);

struct OVS_COMPOUNDTABLE {
    SHORT nCount;
    SHORT anHost[3];
};
struct OVS_COMPOUND {
    WORD wISNumber;
    SHORT nKind; // 2 and 4 mark internal standards
    SHORT nISGroup;
    SHORT nCalibBasis; // 0: the method's default
    FLOAT afLevelFactor[OVS_CALIB_LEVELS];
    SHORT nRefCompound; // 1-based; 0 none
    double dConc;
};
static_assert(sizeof(OVS_COMPOUNDTABLE) == 8);
static_assert(offsetof(OVS_COMPOUND, afLevelFactor) == 8);
static_assert(offsetof(OVS_COMPOUND, nRefCompound) == 48);
static_assert(offsetof(OVS_COMPOUND, dConc) == 56);
static_assert(sizeof(OVS_COMPOUND) == 64);

struct OVS_RELATIVERT_SETTINGS {
    WORD wZeroTimeMode; // 0 earliest peak, 1 fixed time
    FLOAT fZeroTime;    // minutes
    BYTE bEnabled;
    BYTE bRefIsFixedTime;
    BYTE bZeroTimeUsed;
    WORD wRefPeakId;
    FLOAT fRefTime; // minutes
};
static_assert(offsetof(OVS_RELATIVERT_SETTINGS, fZeroTime) == 4);
static_assert(offsetof(OVS_RELATIVERT_SETTINGS, bEnabled) == 8);
static_assert(offsetof(OVS_RELATIVERT_SETTINGS, wRefPeakId) == 12);
static_assert(offsetof(OVS_RELATIVERT_SETTINGS, fRefTime) == 16);
static_assert(sizeof(OVS_RELATIVERT_SETTINGS) == 20);

// The entries that follow a table header.
template <typename Entry, typename Table>
Entry* OvsEntriesOf(Table* pTable) {
    return reinterpret_cast<Entry*>(pTable + 1);
}
template <typename Entry, typename Table>
const Entry* OvsEntriesOf(const Table* pTable) {
    return reinterpret_cast<const Entry*>(pTable + 1);
}
inline OVS_LCPEAK* OvsPeaksOf(OVS_PEAKTABLE* pTable) {
    return OvsEntriesOf<OVS_LCPEAK>(pTable);
}
inline const OVS_GRRRESULT* OvsResultsOf(const OVS_GRRTABLE* pTable) {
    return OvsEntriesOf<OVS_GRRRESULT>(pTable);
}
inline const OVS_QUANTRESULT* OvsResultsOf(const OVS_QUANTRESULTTABLE* pTable) {
    return OvsEntriesOf<OVS_QUANTRESULT>(pTable);
}
inline const OVS_COMPOUND* OvsCompoundsOf(const OVS_COMPOUNDTABLE* pTable) {
    return OvsEntriesOf<OVS_COMPOUND>(pTable);
}
