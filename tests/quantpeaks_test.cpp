#include <gtest/gtest.h>

#include "OVSTools2.h"
#include "paths_report.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

OVS_LCPEAK LCPeak(LONG retention, LONG start, LONG end, double conc = 0.0, WORD id = 0) {
    OVS_LCPEAK peak{};
    peak.lRetentionTime = retention;
    peak.lStartTime = start;
    peak.lEndTime = end;
    peak.dConc = conc;
    peak.wPeakId = id;
    return peak;
}

// A table header followed by its entries, laid out as the hosts hand them over.
template <typename Header, typename Entry>
class Table {
public:
    explicit Table(const std::vector<Entry>& entries)
        : m_bytes(sizeof(Header) + entries.size() * sizeof(Entry)) {
        std::memcpy(m_bytes.data() + sizeof(Header), entries.data(), entries.size() * sizeof(Entry));
    }
    Header* get() { return reinterpret_cast<Header*>(m_bytes.data()); }
    Entry* entries() { return reinterpret_cast<Entry*>(m_bytes.data() + sizeof(Header)); }

private:
    std::vector<BYTE> m_bytes;
};

TEST(ConcentrationPercent, SharesOfTheSumForEveryTableLayout) {
    const double concentrations[] = {1.0, 3.0, 0.0, 4.0};
    std::vector<OVS_LCPEAK> lc;
    std::vector<OVS_PDAPEAK> pda;
    std::vector<OVS_GRRRESULT> grr;
    std::vector<OVS_QUANTRESULT> qur;
    for (double c : concentrations) {
        lc.push_back(LCPeak(0, 0, 0, c));
        pda.push_back(OVS_PDAPEAK{0, 0, 0, c});
        grr.push_back(OVS_GRRRESULT{c});
        qur.push_back(OVS_QUANTRESULT{0, c, 0.0, 0.0});
    }
    Table<OVS_GRRTABLE, OVS_GRRRESULT> grrTable(grr);
    grrTable.get()->nCount = 4;
    Table<OVS_QUANTRESULTTABLE, OVS_QUANTRESULT> qurTable(qur);
    qurTable.get()->nCount = 4;
    const double expected[] = {12.5, 37.5, 0.0, 50.0};
    for (short entry = 1; entry <= 4; ++entry) {
        SCOPED_TRACE(entry);
        double percent[4] = {-1, -1, -1, -1};
        EXPECT_EQ(S_OK, Tool_GetConcPctLCPeak(lc.data(), 4, entry, &percent[0]));
        EXPECT_EQ(S_OK, Tool_GetConcPctPDAPeak(pda.data(), 4, entry, &percent[1]));
        EXPECT_EQ(S_OK, Tool_GetConcPctGrr(grrTable.get(), entry, &percent[2]));
        EXPECT_EQ(S_OK, Tool_GetConcPctQur(qurTable.get(), entry, &percent[3]));
        for (double p : percent) {
            EXPECT_DOUBLE_EQ(expected[entry - 1], p);
        }
    }
}

TEST(ConcentrationPercent, EntriesOutsideTheTableAndZeroSums) {
    ovs::test::PathsReportFile();
    std::vector<OVS_LCPEAK> peaks = {LCPeak(0, 0, 0, 0.0), LCPeak(0, 0, 0, 0.0)};
    double percent = -1.0;
    for (short entry : {0, 3, -1}) {
        EXPECT_EQ(E_INVALIDARG, Tool_GetConcPctLCPeak(peaks.data(), 2, entry, &percent)) << entry;
    }
    EXPECT_EQ(E_INVALIDARG, Tool_GetConcPctLCPeak(peaks.data(), 2, 1, nullptr));
    EXPECT_EQ(E_INVALIDARG, Tool_GetConcPctLCPeak(nullptr, 2, 1, &percent));
    EXPECT_EQ(E_INVALIDARG, Tool_GetConcPctGrr(nullptr, 1, &percent));
    EXPECT_EQ(E_INVALIDARG, Tool_GetConcPctQur(nullptr, 1, &percent));
    EXPECT_EQ(-1.0, percent);
    EXPECT_EQ(3, ovs::test::ReportCount(
                     "Tool_GetConcPctLCPeak : Invalid argument. : [1 <= entry && entry <= count] is false."));
    EXPECT_TRUE(
        ovs::test::ReportContains("Tool_GetConcPctQur : Invalid argument. : [nullptr != pTable] is false."));
    EXPECT_EQ(S_OK, Tool_GetConcPctLCPeak(peaks.data(), 2, 2, &percent));
    EXPECT_EQ(0.0, percent);
    // A negative entry makes the sum 0 or less: no share.
    peaks[0].dConc = -5.0;
    peaks[1].dConc = 2.0;
    EXPECT_EQ(S_OK, Tool_GetConcPctLCPeak(peaks.data(), 2, 2, &percent));
    EXPECT_EQ(0.0, percent);
}

using PeakTable = Table<OVS_PEAKTABLE, OVS_LCPEAK>;

PeakTable MakePeakTable(const std::vector<OVS_LCPEAK>& peaks) {
    PeakTable table(peaks);
    table.get()->lPeakCount = static_cast<LONG>(peaks.size());
    return table;
}

OVS_RELATIVERT_SETTINGS RrtSettings() {
    OVS_RELATIVERT_SETTINGS settings{};
    settings.bEnabled = 1;
    settings.wRefPeakId = 7;
    return settings;
}

bool MarkedWithoutRrt(const OVS_LCPEAK& peak) {
    for (WORD status : peak.awStatus) {
        if ((status & OVS_PEAKSTATUS_NO_RRT) == 0) {
            return false;
        }
    }
    return true;
}

TEST(RelativeRetentionTime, ReferencePeakFromTheFirstTableThatHasIt) {
    PeakTable first =
        MakePeakTable({LCPeak(1000, 0, 0, 0, 1), LCPeak(0, 0, 0, 0, 7)}); // a time of 0 is passed over
    PeakTable second = MakePeakTable({LCPeak(4000, 0, 0, 0, 7), LCPeak(6000, 0, 0, 0, 2)});
    PeakTable third = MakePeakTable({LCPeak(9000, 0, 0, 0, 7), LCPeak(3000, 0, 0, 0, 3)});
    OVS_PEAKTABLE* tables[OVS_RRT_TABLES] = {};
    tables[0] = first.get();
    tables[5] = second.get();
    tables[19] = third.get();
    OVS_RELATIVERT_SETTINGS settings = RrtSettings();
    ASSERT_EQ(S_OK, Tool_GetRelativeRT(&settings, tables));
    EXPECT_DOUBLE_EQ(0.25, first.entries()[0].dRelativeRT);
    EXPECT_DOUBLE_EQ(1.5, second.entries()[1].dRelativeRT);
    EXPECT_DOUBLE_EQ(0.75, third.entries()[1].dRelativeRT);

    // Earliest peak of each table as its zero time.
    settings.bZeroTimeUsed = 1;
    ASSERT_EQ(S_OK, Tool_GetRelativeRT(&settings, tables));
    EXPECT_DOUBLE_EQ(0.25, first.entries()[0].dRelativeRT); // its earliest peak is at 0
    // The second table's zero time equals the reference time: no relative times there.
    EXPECT_TRUE(MarkedWithoutRrt(second.entries()[0]));
    EXPECT_TRUE(MarkedWithoutRrt(second.entries()[1]));
    EXPECT_DOUBLE_EQ((9000.0 - 3000.0) / (4000.0 - 3000.0), third.entries()[0].dRelativeRT);
    EXPECT_DOUBLE_EQ(0.0, third.entries()[1].dRelativeRT);
    EXPECT_FALSE(MarkedWithoutRrt(third.entries()[1]));
}

TEST(RelativeRetentionTime, FixedTimesInMinutesAndMarkedPeaks) {
    PeakTable table = MakePeakTable({LCPeak(84000, 0, 0), LCPeak(21000, 0, 0)});
    OVS_PEAKTABLE* tables[OVS_RRT_TABLES] = {table.get()};
    OVS_RELATIVERT_SETTINGS settings = RrtSettings();
    settings.bRefIsFixedTime = 1;
    settings.fRefTime = 0.7f; // 42000 ms in the record's precision
    settings.bZeroTimeUsed = 1;
    settings.wZeroTimeMode = 1;
    settings.fZeroTime = 0.35f; // 21000 ms
    ASSERT_EQ(S_OK, Tool_GetRelativeRT(&settings, tables));
    EXPECT_DOUBLE_EQ((84000.0 - 21000.0) / (42000.0 - 21000.0), table.entries()[0].dRelativeRT);
    EXPECT_DOUBLE_EQ(0.0, table.entries()[1].dRelativeRT);

    // No reference peak anywhere: every peak is marked, its RRT left alone.
    settings.bRefIsFixedTime = 0;
    table.entries()[0].dRelativeRT = 9.0;
    ASSERT_EQ(S_OK, Tool_GetRelativeRT(&settings, tables));
    EXPECT_TRUE(MarkedWithoutRrt(table.entries()[0]));
    EXPECT_TRUE(MarkedWithoutRrt(table.entries()[1]));
    EXPECT_EQ(9.0, table.entries()[0].dRelativeRT);
}

TEST(RelativeRetentionTime, DisabledMissingAndUnknownMode) {
    PeakTable table = MakePeakTable({LCPeak(1000, 0, 0, 0, 7)});
    OVS_PEAKTABLE* tables[OVS_RRT_TABLES] = {table.get()};
    OVS_RELATIVERT_SETTINGS settings = RrtSettings();
    EXPECT_EQ(E_POINTER, Tool_GetRelativeRT(nullptr, tables));
    EXPECT_EQ(E_POINTER, Tool_GetRelativeRT(&settings, nullptr));
    settings.bZeroTimeUsed = 1;
    settings.wZeroTimeMode = 2;
    EXPECT_EQ(E_FAIL, Tool_GetRelativeRT(&settings, tables));
    settings.bEnabled = 0;
    EXPECT_EQ(S_OK, Tool_GetRelativeRT(&settings, tables));
    EXPECT_EQ(0.0, table.entries()[0].dRelativeRT);
    EXPECT_FALSE(MarkedWithoutRrt(table.entries()[0]));
}

TEST(PeakForRetentionTime, NearestOfThePeaksThatSpanTheTime) {
    const std::vector<OVS_LCPEAK> lc = {LCPeak(1000, 800, 1200), LCPeak(1400, 1100, 1600),
                                        LCPeak(1600, 1150, 2000), LCPeak(5000, 4000, 6000)};
    std::vector<OVS_PDAPEAK> pda;
    for (const OVS_LCPEAK& p : lc) {
        pda.push_back(OVS_PDAPEAK{p.lRetentionTime, p.lStartTime, p.lEndTime, 0.0});
    }
    struct Case {
        LONG time;
        WORD peak;
        HRESULT hr;
    };
    for (const Case c :
         {Case{1000, 1, S_OK}, Case{1150, 1, S_OK}, Case{1200, 1, S_OK}, Case{1201, 2, S_OK},
          Case{1500, 2, S_OK}, Case{1550, 3, S_OK}, Case{800, 1, S_OK},
          Case{3000, 0xFFFF, OVS_E_NO_MATCHING_PEAK}, Case{799, 0xFFFF, OVS_E_NO_MATCHING_PEAK}}) {
        SCOPED_TRACE(c.time);
        for (WORD kind : {0, 1}) {
            WORD peak = 0;
            EXPECT_EQ(c.hr, Tool_GetPeakforRT(kind, c.time, 4, lc.data(), pda.data(), &peak));
            EXPECT_EQ(c.peak, peak);
        }
    }
    WORD peak = 0;
    EXPECT_EQ(OVS_E_NO_MATCHING_PEAK, Tool_GetPeakforRT(2, 1000, 4, lc.data(), pda.data(), &peak));
    EXPECT_EQ(0xFFFF, peak);
    EXPECT_EQ(OVS_E_NO_MATCHING_PEAK, Tool_GetPeakforRT(0, 1000, 0, lc.data(), pda.data(), &peak));
    EXPECT_EQ(OVS_E_TABLE_MISSING, Tool_GetPeakforRT(0, 1000, 4, nullptr, pda.data(), &peak));
    EXPECT_EQ(OVS_E_TABLE_MISSING, Tool_GetPeakforRT(1, 1000, 4, lc.data(), nullptr, &peak));
    EXPECT_EQ(E_POINTER, Tool_GetPeakforRT(0, 1000, 4, lc.data(), pda.data(), nullptr));
}

struct Top3Case {
    std::vector<double> values;
    double top[3];
    LONG index[3];
};

TEST(Top3, DistinctPositiveValuesWithRepeatsForMissingRanks) {
    const Top3Case cases[] = {
        {{5, 5, 3}, {5, 3, 3}, {0, 2, 2}},       {{1, 9, 4, 9, 7}, {9, 7, 4}, {1, 4, 2}},
        {{-1, 0, -3}, {0, 0, 0}, {0, 0, 0}},     {{-1, 2}, {2, 2, 2}, {1, 1, 1}},
        {{0, 3, 0, 3, 1}, {3, 1, 1}, {1, 4, 4}}, {{8}, {8, 8, 8}, {0, 0, 0}},
    };
    for (const Top3Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.values));
        double top[5] = {-1, -1, -1, -1, -1};
        LONG index[5] = {-1, -1, -1, -1, -1};
        ASSERT_TRUE(Tool_GetTop3(c.values.data(), static_cast<LONG>(c.values.size()), 1, top, index));
        for (int r = 0; r < 3; ++r) {
            EXPECT_EQ(c.top[r], top[r]) << r;
            EXPECT_EQ(c.index[r], index[r]) << r;
        }
        EXPECT_EQ(-1.0, top[3]); // exactly three entries are written
    }
}

TEST(Top3, ClearsTheSlotsOfAnEmptySeries) {
    double top[5] = {-1, -1, -1, -1, -1};
    LONG index[5] = {-1, -1, -1, -1, -1};
    EXPECT_FALSE(Tool_GetTop3(top, 0, 5, top, index));
    for (int s = 0; s < 5; ++s) {
        EXPECT_EQ(0.0, top[s]);
        EXPECT_EQ(0, index[s]);
    }
    EXPECT_FALSE(Tool_GetTop3(nullptr, 3, 3, top, index));
    EXPECT_FALSE(Tool_GetTop3(top, 3, 3, nullptr, index));
}

// Points every 10 time units from 100.
class ChromTest : public ::testing::Test {
protected:
    void Fill(const std::vector<double>& values) {
        ASSERT_EQ(S_OK, Tool_Allocate2dChrom(&m_chrom, static_cast<DWORD>(values.size())));
        std::memcpy(m_chrom.pdChromInt, values.data(), values.size() * sizeof(double));
        m_chrom.dwTotalPoints = static_cast<DWORD>(values.size());
        m_chrom.dwSamplingInterval = 10;
        m_chrom.dwStartTime = 100;
        m_chrom.lEndTime = static_cast<LONG>(100 + 10 * (values.size() - 1));
    }
    void TearDown() override { Tool_Release2dChrom(&m_chrom); }
    OVS_2DCHROMDATA m_chrom{};
};

using IntensityTest = ChromTest;

TEST_F(IntensityTest, InterpolatesPlusAHalfAndTakesTheWindowMaximum) {
    Fill({9, 2, 4, 8, 6, 1, 3});
    struct Case {
        LONG time;
        int width;
        double expected;
    };
    for (const Case c :
         {Case{100, 0, 9.5}, Case{110, 0, 2.5}, Case{115, 0, 3.5}, Case{113, 0, 3.1}, Case{160, 0, 3.5},
          Case{155, 0, 2.5}, Case{99, 0, 0.0}, Case{161, 0, 0.0},
          // Window maxima; point 0 and points past the end count as 0.
          Case{110, 1, 4.0}, Case{100, 1, 9.5}, Case{100, 5, 9.5}, Case{115, 2, 8.0}, Case{160, 1, 3.5},
          Case{150, 1, 6.0}, Case{140, 3, 8.0}, Case{120, 0, 4.5}, Case{120, 1, 8.0}}) {
        SCOPED_TRACE(testing::Message() << c.time << " width " << c.width);
        EXPECT_DOUBLE_EQ(c.expected, Tool_GetIntensity(&m_chrom, c.time, c.width));
    }
}

TEST_F(IntensityTest, NegativePointsMeetTheZerosBeyondTheRecord) {
    Fill({-9, -8, -7, -6});
    EXPECT_DOUBLE_EQ(-7.5, Tool_GetIntensity(&m_chrom, 110, 0));
    EXPECT_DOUBLE_EQ(-6.0, Tool_GetIntensity(&m_chrom, 120, 1));
    EXPECT_DOUBLE_EQ(0.0, Tool_GetIntensity(&m_chrom, 110, 1)); // j = 0 counts as 0
    EXPECT_DOUBLE_EQ(0.0, Tool_GetIntensity(&m_chrom, 130, 1));
}

TEST_F(IntensityTest, TooFewPointsOrNoRecord) {
    Fill({5});
    EXPECT_EQ(0.0, Tool_GetIntensity(&m_chrom, 100, 0));
    EXPECT_EQ(0.0, Tool_GetIntensity(nullptr, 100, 0));
}

using BaselineTest = ChromTest;

TEST_F(BaselineTest, SubtractsTheLineThroughTheEnds) {
    // A line 10 + 0.5 k with a triangle peak of height 6 at point 50, over 101 points.
    std::vector<double> values(101);
    for (int k = 0; k < 101; ++k) {
        values[k] = 10 + 0.5 * k + (k >= 47 && k <= 53 ? 6.0 - 2.0 * std::abs(k - 50) : 0.0);
    }
    Fill(values);
    ASSERT_TRUE(Tool_BaselineComp(&m_chrom));
    for (int k = 0; k < 101; ++k) {
        const double expected = values[k] - (10.0 + k * (60.0 - 10.0) / 100.0);
        ASSERT_EQ(expected, m_chrom.pdChromInt[k]) << k; // the same operations, the same bits
    }
    EXPECT_EQ(6.0, m_chrom.dMaxIntensity);
    EXPECT_EQ(0.0, m_chrom.dMinIntensity);
}

TEST_F(BaselineTest, OddCountsAndExtremesStartValues) {
    Fill({-1, -5, -2});
    ASSERT_TRUE(Tool_BaselineComp(&m_chrom));
    EXPECT_EQ(0.0, m_chrom.pdChromInt[0]);
    EXPECT_EQ(-3.5, m_chrom.pdChromInt[1]);
    EXPECT_EQ(0.0, m_chrom.pdChromInt[2]);
    EXPECT_EQ(1.7e-308, m_chrom.dMaxIntensity);
    EXPECT_EQ(-3.5, m_chrom.dMinIntensity);
    Tool_Release2dChrom(&m_chrom);
    Fill({4});
    EXPECT_FALSE(Tool_BaselineComp(&m_chrom));
    EXPECT_EQ(4.0, m_chrom.pdChromInt[0]);
    EXPECT_FALSE(Tool_BaselineComp(nullptr));
}

TEST_F(ChromTest, RatioChromatogramAgainstItsThreshold) {
    // Both flat ends at 0 so that the compensation leaves the inner points as they are.
    Fill({0, 3, 1, 0, 5, 0});
    OVS_2DCHROMDATA other{};
    ASSERT_EQ(S_OK, Tool_Copy2dChrom(&other, &m_chrom));
    const double b[] = {0, 4, 1, 7, 0, 0};
    std::memcpy(other.pdChromInt, b, sizeof b);
    ASSERT_EQ(S_OK, Tool_CalcRatioChrom(&m_chrom, &other, 1.0));
    const double expected[] = {0.0, 0.6, 1.0 / std::sqrt(2.0), 0.0, 0.0, 0.0};
    for (int k = 0; k < 6; ++k) {
        EXPECT_DOUBLE_EQ(expected[k], m_chrom.pdChromInt[k]) << k;
    }
    EXPECT_EQ(1.0, m_chrom.dMaxIntensity);
    EXPECT_EQ(0.0, m_chrom.dMinIntensity);
    EXPECT_EQ(7.0, other.dMaxIntensity); // b was compensated too
    Tool_Release2dChrom(&other);
}

TEST_F(ChromTest, RatioChromatogramAtAZeroThresholdAndAZeroRoot) {
    Fill({0, 0, -2, 2, 0});
    OVS_2DCHROMDATA other{};
    ASSERT_EQ(S_OK, Tool_Copy2dChrom(&other, &m_chrom));
    const double b[] = {0, 0, 3, 0, 0};
    std::memcpy(other.pdChromInt, b, sizeof b);
    ASSERT_EQ(S_OK, Tool_CalcRatioChrom(&m_chrom, &other, 0.0));
    EXPECT_EQ(0.0, m_chrom.pdChromInt[1]); // 0 / sqrt(0): the root is 0
    EXPECT_EQ(0.0, m_chrom.pdChromInt[2]); // below the threshold
    EXPECT_EQ(1.0, m_chrom.pdChromInt[3]);
    Tool_Release2dChrom(&other);
}

TEST_F(ChromTest, RatioChromatogramWithMissingOrShortRecords) {
    Fill({0, 2, 0});
    EXPECT_EQ(E_INVALIDARG, Tool_CalcRatioChrom(&m_chrom, nullptr, 0.0));
    EXPECT_EQ(E_INVALIDARG, Tool_CalcRatioChrom(nullptr, &m_chrom, 0.0));
    OVS_2DCHROMDATA empty{};
    EXPECT_EQ(S_OK, Tool_CalcRatioChrom(&m_chrom, &empty, 0.0));
    EXPECT_EQ(2.0, m_chrom.pdChromInt[1]);
    // A shorter partner: the points of a beyond it become 0.
    OVS_2DCHROMDATA shorter{};
    ASSERT_EQ(S_OK, Tool_Allocate2dChrom(&shorter, 2));
    shorter.dwTotalPoints = 2;
    shorter.pdChromInt[0] = 0;
    shorter.pdChromInt[1] = 0;
    Tool_Release2dChrom(&m_chrom);
    Fill({0, 2, 2, 0});
    ASSERT_EQ(S_OK, Tool_CalcRatioChrom(&m_chrom, &shorter, -1.0));
    EXPECT_EQ(1.0, m_chrom.pdChromInt[1]);
    EXPECT_EQ(0.0, m_chrom.pdChromInt[2]);
    Tool_Release2dChrom(&shorter);
}

using ScaleTest = ChromTest;

TEST_F(ScaleTest, WindowScaleByPeakRankOrWindowMaximum) {
    // Points at 100, 110, ... 200.
    Fill({1, 2, 9, 2, 1, 5, 1, 7, 1, 0.5, 3});
    m_chrom.dMaxIntensity = 9;
    m_chrom.dMinIntensity = 0.5;
    const std::vector<OVS_LCPEAK> peaks = {LCPeak(120, 0, 0), LCPeak(150, 0, 0), LCPeak(170, 0, 0),
                                           LCPeak(300, 0, 0)};
    struct Case {
        LONG from, to, mode;
        BOOL zero;
        double minimum, maximum;
        BOOL result;
    };
    // Peak tops with a half width of 3: 9.5 at 120, 9 at 150, 7.5 at 170; the peak at 300 lies outside.
    for (const Case c : {Case{0, 0, 3, FALSE, 0.5, 9.0, TRUE}, Case{0, 0, 0, FALSE, 0.5, 9.5, TRUE},
                         Case{0, 0, 0, TRUE, 0.0, 9.5, TRUE}, Case{140, 190, 3, FALSE, 0.5, 7.0, TRUE},
                         Case{175, 0, 3, FALSE, 0.0, 0.0, FALSE}, Case{175, 250, 0, FALSE, 0.5, 3.0, TRUE},
                         Case{131, 139, 3, FALSE, DBL_MAX, DBL_MIN, TRUE},
                         Case{0, 0, 9, FALSE, 0.5, 9.0, FALSE}, Case{-50, 135, 3, FALSE, 1.0, 9.0, TRUE}}) {
        SCOPED_TRACE(testing::Message() << c.from << ".." << c.to << " mode " << c.mode);
        double minimum = -1, maximum = -1;
        EXPECT_EQ(c.result, Tool_GetNormalizeScale(c.from, c.to, &m_chrom, 4, peaks.data(), c.mode, c.zero,
                                                   &minimum, &maximum));
        if (c.result || c.mode == 9) {
            EXPECT_EQ(c.minimum, minimum);
            EXPECT_EQ(c.maximum, maximum);
        }
    }
}

TEST_F(ScaleTest, WindowScaleRanksOfThePeakTops) {
    Fill({0, 4, 0, 8, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0});
    const std::vector<OVS_LCPEAK> peaks = {LCPeak(110, 0, 0), LCPeak(130, 0, 0), LCPeak(190, 0, 0)};
    // Peak tops 8 (the point at 130 within reach), 8.5 and 6.5.
    const double expected[] = {8.5, 8.0, 6.5};
    for (LONG mode = 0; mode < 3; ++mode) {
        double minimum = 0, maximum = 0;
        ASSERT_TRUE(Tool_GetNormalizeScale(0, 0, &m_chrom, 3, peaks.data(), mode, TRUE, &minimum, &maximum));
        EXPECT_EQ(expected[mode], maximum) << mode;
        EXPECT_EQ(0.0, minimum);
    }
    double minimum = 0, maximum = 0;
    EXPECT_FALSE(Tool_GetNormalizeScale(150, 140, &m_chrom, 3, peaks.data(), 0, FALSE, &minimum, &maximum));
    EXPECT_FALSE(Tool_GetNormalizeScale(0, 0, nullptr, 3, peaks.data(), 0, FALSE, &minimum, &maximum));
}

TEST_F(ScaleTest, ThreeScalesOverAllPeaks) {
    Fill({0, 4, 0, 8, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0});
    m_chrom.dMaxIntensity = 8;
    m_chrom.dMinIntensity = -1;
    std::vector<OVS_LCPEAK> peaks = {LCPeak(110, 0, 0), LCPeak(190, 0, 0)};
    peaks[0].dHeight = 3.0;
    peaks[0].dBaseline1 = 0.25;
    peaks[0].dBaseline2 = 0.125;
    peaks[1].dHeight = 5.0;
    peaks[1].dBaseline1 = -0.5;
    peaks[1].dBaseline2 = 0.5;
    double minimum[3], maximum[3];
    ASSERT_TRUE(Tool_GetNomalizeScale(&m_chrom, 2, peaks.data(), 0, 3, minimum, maximum));
    EXPECT_EQ(8.0, maximum[0]);
    EXPECT_EQ(6.5, maximum[1]);
    EXPECT_EQ(6.5, maximum[2]);
    EXPECT_EQ(-1.0, minimum[2]);
    ASSERT_TRUE(Tool_GetNomalizeScale(&m_chrom, 2, peaks.data(), 1, 3, minimum, maximum));
    EXPECT_EQ(0.0, minimum[0]);
    ASSERT_TRUE(Tool_GetNomalizeScale(&m_chrom, 2, peaks.data(), 2, 3, minimum, maximum));
    EXPECT_EQ(5.0, maximum[0]);
    EXPECT_EQ(-0.5, minimum[0]);
    EXPECT_EQ(3.0, maximum[1]);
    EXPECT_EQ(0.125, minimum[1]);
    EXPECT_EQ(0.125, minimum[2]);
    ASSERT_TRUE(Tool_GetNomalizeScale(&m_chrom, 0, peaks.data(), 0, 3, minimum, maximum));
    EXPECT_EQ(8.0, maximum[1]);
    EXPECT_FALSE(Tool_GetNomalizeScale(&m_chrom, 2, peaks.data(), 3, 3, minimum, maximum));
    EXPECT_FALSE(Tool_GetNomalizeScale(&m_chrom, 2, peaks.data(), -1, 3, minimum, maximum));
    EXPECT_FALSE(Tool_GetNomalizeScale(&m_chrom, 2, peaks.data(), 0, 2, minimum, maximum));
}

} // namespace
