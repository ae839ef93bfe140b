// Concentration shares, relative retention times, peak lookups, the three largest values, and the
// intensity, baseline, ratio and scale of a chromatogram.
#include <gtest/gtest.h>

#include "OVSTools2.h"
#include "host_table.h"
#include "paths_report.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>

namespace {

using PeakTable = ovs::test::HostTable<OVS_PEAKTABLE, OVS_LCPEAK>;

OVS_LCPEAK LCPeak(LONG retention, LONG start, LONG end, double conc = 0.0, WORD id = 0) {
    OVS_LCPEAK peak{};
    std::tie(peak.lRetentionTime, peak.lStartTime, peak.lEndTime, peak.dConc, peak.wPeakId) =
        std::tuple(retention, start, end, conc, id);
    return peak;
}

TEST(ConcentrationPercent, SharesOfTheSumForEveryTableLayout) {
    std::vector<OVS_LCPEAK> lc;
    std::vector<OVS_PDAPEAK> pda;
    std::vector<OVS_GRRRESULT> grr;
    std::vector<OVS_QUANTRESULT> qur;
    for (double c : {1.0, 3.0, 0.0, 4.0}) {
        lc.push_back(LCPeak(0, 0, 0, c));
        pda.push_back(OVS_PDAPEAK{0, 0, 0, c});
        grr.push_back(OVS_GRRRESULT{c});
        qur.push_back(OVS_QUANTRESULT{0, c, 0.0, 0.0});
    }
    ovs::test::HostTable<OVS_GRRTABLE, OVS_GRRRESULT> grrTable(grr);
    ovs::test::HostTable<OVS_QUANTRESULTTABLE, OVS_QUANTRESULT> qurTable(qur);
    const double expected[] = {12.5, 37.5, 0.0, 50.0};
    for (short entry = 1; entry <= 4; ++entry) {
        double percent[4] = {-1, -1, -1, -1};
        EXPECT_EQ(std::vector<HRESULT>(4, S_OK),
                  (std::vector<HRESULT>{Tool_GetConcPctLCPeak(lc.data(), 4, entry, &percent[0]),
                                        Tool_GetConcPctPDAPeak(pda.data(), 4, entry, &percent[1]),
                                        Tool_GetConcPctGrr(grrTable.get(), entry, &percent[2]),
                                        Tool_GetConcPctQur(qurTable.get(), entry, &percent[3])}));
        for (double p : percent) {
            EXPECT_DOUBLE_EQ(expected[entry - 1], p) << entry;
        }
    }
}

TEST(ConcentrationPercent, EntriesOutsideTheTableNegativesAndZeroSums) {
    ovs::test::PathsReportFile();
    std::vector<OVS_LCPEAK> peaks = {LCPeak(0, 0, 0, 0.0), LCPeak(0, 0, 0, 0.0)};
    double percent = -1.0;
    EXPECT_EQ(std::vector<HRESULT>(4, E_INVALIDARG),
              (std::vector<HRESULT>{Tool_GetConcPctLCPeak(peaks.data(), 2, 0, &percent),
                                    Tool_GetConcPctLCPeak(peaks.data(), 2, 3, &percent),
                                    Tool_GetConcPctLCPeak(peaks.data(), 2, 1, nullptr),
                                    Tool_GetConcPctQur(nullptr, 1, &percent)}));
    EXPECT_EQ(-1.0, percent);
    EXPECT_EQ(2, ovs::test::ReportCount(
                     "Tool_GetConcPctLCPeak : Invalid argument. : [1 <= entry && entry <= count] is false."));
    EXPECT_TRUE(
        ovs::test::ReportContains("Tool_GetConcPctQur : Invalid argument. : [nullptr != pTable] is false."));
    // A zero sum, a sum made 0 or less by a negative entry, and a negative entry of a positive sum: no share.
    for (const auto& [first, second, entry] :
         {std::tuple(0.0, 0.0, 2), std::tuple(-5.0, 2.0, 2), std::tuple(-1.0, 3.0, 1)}) {
        std::tie(peaks[0].dConc, peaks[1].dConc) = std::tuple(first, second);
        EXPECT_EQ(S_OK, Tool_GetConcPctLCPeak(peaks.data(), 2, static_cast<short>(entry), &percent));
        EXPECT_EQ(0.0, percent) << first << " " << second;
    }
}

OVS_RELATIVERT_SETTINGS RrtSettings() {
    OVS_RELATIVERT_SETTINGS settings{};
    settings.bEnabled = 1;
    settings.wRefPeakId = 7;
    return settings;
}

bool MarkedWithoutRrt(const OVS_LCPEAK& peak) {
    return std::all_of(std::begin(peak.awStatus), std::end(peak.awStatus),
                       [](WORD status) { return (status & OVS_PEAKSTATUS_NO_RRT) != 0; });
}

TEST(RelativeRetentionTime, ReferencePeakFromTheFirstTableThatHasItAndZeroTimes) {
    PeakTable first({LCPeak(1000, 0, 0, 0, 1), LCPeak(0, 0, 0, 0, 7)}); // a time of 0 is passed over
    PeakTable second({LCPeak(4000, 0, 0, 0, 7), LCPeak(6000, 0, 0, 0, 2)});
    PeakTable third({LCPeak(9000, 0, 0, 0, 7), LCPeak(3000, 0, 0, 0, 3)});
    OVS_PEAKTABLE* tables[OVS_RRT_TABLES] = {};
    std::tie(tables[0], tables[5], tables[19]) = std::tuple(first.get(), second.get(), third.get());
    OVS_RELATIVERT_SETTINGS settings = RrtSettings();
    ASSERT_EQ(S_OK, Tool_GetRelativeRT(&settings, tables));
    EXPECT_EQ(std::tuple(0.25, 1.5, 0.75),
              std::tuple(first.entries()[0].dRelativeRT, second.entries()[1].dRelativeRT,
                         third.entries()[1].dRelativeRT));
    // Earliest peak of each table as its zero time; where it equals the reference time, no relative times.
    settings.bZeroTimeUsed = 1;
    ASSERT_EQ(S_OK, Tool_GetRelativeRT(&settings, tables));
    EXPECT_TRUE(MarkedWithoutRrt(second.entries()[0]) && MarkedWithoutRrt(second.entries()[1]));
    EXPECT_EQ(std::pair(6.0, 0.0), std::pair(third.entries()[0].dRelativeRT, third.entries()[1].dRelativeRT));
    EXPECT_FALSE(MarkedWithoutRrt(third.entries()[1]));
}

TEST(RelativeRetentionTime, FixedTimesMarkedPeaksAndRefusals) {
    PeakTable table({LCPeak(84000, 0, 0), LCPeak(21000, 0, 0)});
    OVS_PEAKTABLE* tables[OVS_RRT_TABLES] = {table.get()};
    OVS_RELATIVERT_SETTINGS settings = RrtSettings();
    settings.bRefIsFixedTime = settings.bZeroTimeUsed = settings.wZeroTimeMode = 1;
    std::tie(settings.fRefTime, settings.fZeroTime) = std::pair(0.7f, 0.35f); // 42000 and 21000 ms
    ASSERT_EQ(S_OK, Tool_GetRelativeRT(&settings, tables));
    EXPECT_EQ(std::pair(3.0, 0.0), std::pair(table.entries()[0].dRelativeRT, table.entries()[1].dRelativeRT));
    // No reference peak anywhere: every peak is marked, its RRT left alone.
    settings.bRefIsFixedTime = 0;
    ASSERT_EQ(S_OK, Tool_GetRelativeRT(&settings, tables));
    EXPECT_TRUE(MarkedWithoutRrt(table.entries()[0]) && table.entries()[0].dRelativeRT == 3.0);
    EXPECT_EQ(E_POINTER, Tool_GetRelativeRT(nullptr, tables));
    settings.wZeroTimeMode = 2;
    EXPECT_EQ(E_FAIL, Tool_GetRelativeRT(&settings, tables));
    PeakTable reference({LCPeak(1000, 0, 0, 0, 7)});
    tables[0] = reference.get();
    settings.bEnabled = 0;
    EXPECT_EQ(S_OK, Tool_GetRelativeRT(&settings, tables));
    EXPECT_FALSE(reference.entries()[0].dRelativeRT != 0.0 || MarkedWithoutRrt(reference.entries()[0]));
}

TEST(PeakForRetentionTime, NearestOfThePeaksThatSpanTheTime) {
    const std::vector<OVS_LCPEAK> lc = {LCPeak(1000, 800, 1200), LCPeak(1400, 1100, 1600),
                                        LCPeak(1600, 1150, 2000), LCPeak(5000, 4000, 6000)};
    std::vector<OVS_PDAPEAK> pda;
    for (const OVS_LCPEAK& p : lc) {
        pda.push_back(OVS_PDAPEAK{p.lRetentionTime, p.lStartTime, p.lEndTime, 0.0});
    }
    const std::tuple<LONG, WORD, HRESULT> cases[] = {{800, 1, S_OK},
                                                     {1200, 1, S_OK},
                                                     {1201, 2, S_OK},
                                                     {1550, 3, S_OK},
                                                     {799, 0xFFFF, OVS_E_NO_MATCHING_PEAK}};
    for (const auto& [time, expected, hr] : cases) {
        for (const WORD kind : {0, 1}) { // LC, then PDA peaks
            WORD peak = 0;
            EXPECT_EQ(hr, Tool_GetPeakforRT(kind, time, 4, lc.data(), pda.data(), &peak)) << time;
            EXPECT_EQ(expected, peak) << time << " kind " << kind;
        }
    }
    WORD peak = 0;
    EXPECT_EQ(OVS_E_NO_MATCHING_PEAK, Tool_GetPeakforRT(2, 1000, 4, lc.data(), pda.data(), &peak));
    EXPECT_EQ(0xFFFF, peak);
    EXPECT_EQ(OVS_E_TABLE_MISSING, Tool_GetPeakforRT(0, 1000, 4, nullptr, pda.data(), &peak));
    EXPECT_EQ(E_POINTER, Tool_GetPeakforRT(0, 1000, 4, lc.data(), pda.data(), nullptr));
}

TEST(Top3, DistinctPositiveValuesWithRepeatsForMissingRanks) {
    // The fourth slot stays as it was: exactly three entries are written.
    const std::tuple<std::vector<double>, std::vector<double>, std::vector<LONG>> cases[] = {
        {{5, 5, 3}, {5, 3, 3, -1}, {0, 2, 2, -1}},
        {{1, 9, 4, 9, 7}, {9, 7, 4, -1}, {1, 4, 2, -1}},
        {{-1, 0, -3}, {0, 0, 0, -1}, {0, 0, 0, -1}},
        {{-1, 2}, {2, 2, 2, -1}, {1, 1, 1, -1}}};
    for (const auto& [values, expectedTop, expectedIndex] : cases) {
        std::vector<double> top(4, -1);
        std::vector<LONG> index(4, -1);
        ASSERT_TRUE(
            Tool_GetTop3(values.data(), static_cast<LONG>(values.size()), 1, top.data(), index.data()));
        EXPECT_EQ(expectedTop, top) << testing::PrintToString(values);
        EXPECT_EQ(expectedIndex, index) << testing::PrintToString(values);
    }
    std::vector<double> top(5, -1); // an empty series clears every slot
    std::vector<LONG> index(5, -1);
    EXPECT_FALSE(Tool_GetTop3(top.data(), 0, 5, top.data(), index.data()));
    EXPECT_TRUE(top == std::vector<double>(5) && index == std::vector<LONG>(5));
    EXPECT_FALSE(Tool_GetTop3(nullptr, 3, 3, top.data(), index.data()));
}

// Points every 10 time units from 100.
class ChromTest : public ::testing::Test {
protected:
    void Fill(const std::vector<double>& values, OVS_2DCHROMDATA* chrom = nullptr) {
        chrom = chrom != nullptr ? chrom : &m_chrom;
        Tool_Release2dChrom(chrom);
        ASSERT_EQ(S_OK, Tool_Allocate2dChrom(chrom, static_cast<DWORD>(values.size())));
        std::copy(values.begin(), values.end(), chrom->pdChromInt);
        chrom->dwTotalPoints = static_cast<DWORD>(values.size());
        chrom->dwSamplingInterval = 10;
        chrom->dwStartTime = 100;
        chrom->lEndTime = static_cast<LONG>(100 + 10 * (values.size() - 1));
    }
    void TearDown() override {
        Tool_Release2dChrom(&m_chrom);
        Tool_Release2dChrom(&m_other);
    }
    std::vector<double> Points() const {
        return {m_chrom.pdChromInt, m_chrom.pdChromInt + m_chrom.dwTotalPoints};
    }
    OVS_2DCHROMDATA m_chrom{};
    OVS_2DCHROMDATA m_other{};
};

TEST_F(ChromTest, IntensityInterpolatesPlusAHalfAndTakesTheWindowMaximum) {
    Fill({9, 2, 4, 8, 6, 1, 3});
    // Window maxima from width 1 on; point 0 and points past the end count as 0.
    const std::tuple<LONG, int, double> cases[] = {{100, 0, 9.5}, {113, 0, 3.1}, {160, 0, 3.5},
                                                   {99, 0, 0.0},  {161, 0, 0.0}, {110, 1, 4.0},
                                                   {100, 5, 9.5}, {115, 2, 8.0}, {160, 1, 3.5}};
    for (const auto& [time, width, expected] : cases) {
        EXPECT_DOUBLE_EQ(expected, Tool_GetIntensity(&m_chrom, time, width)) << time << " width " << width;
    }
    Fill({-9, -8, -7, -6}); // negative points meet the zeros beyond the record
    EXPECT_EQ(
        (std::vector<double>{-7.5, -6.0, 0.0, 0.0}),
        (std::vector<double>{Tool_GetIntensity(&m_chrom, 110, 0), Tool_GetIntensity(&m_chrom, 120, 1),
                             Tool_GetIntensity(&m_chrom, 110, 1), Tool_GetIntensity(&m_chrom, 130, 1)}));
    Fill({5}); // too few points, or no record
    EXPECT_TRUE(Tool_GetIntensity(&m_chrom, 100, 0) == 0.0 && Tool_GetIntensity(nullptr, 100, 0) == 0.0);
}

TEST_F(ChromTest, BaselineSubtractsTheLineThroughTheEnds) {
    // A line 10 + 0.5 k with a triangle peak of height 6 at point 50, over 101 points.
    std::vector<double> values(101), expected(101);
    for (int k = 0; k < 101; ++k) {
        values[k] = 10 + 0.5 * k + (k >= 47 && k <= 53 ? 6.0 - 2.0 * std::abs(k - 50) : 0.0);
        expected[k] = values[k] - (10.0 + k * (60.0 - 10.0) / 100.0); // the same operations, the same bits
    }
    Fill(values);
    ASSERT_TRUE(Tool_BaselineComp(&m_chrom));
    EXPECT_EQ(expected, Points());
    EXPECT_EQ(std::pair(6.0, 0.0), std::pair(m_chrom.dMaxIntensity, m_chrom.dMinIntensity));
    Fill({-1, -5, -2}); // an odd count; the extremes start from the smallest positive and the largest values
    ASSERT_TRUE(Tool_BaselineComp(&m_chrom));
    EXPECT_EQ((std::vector<double>{0.0, -3.5, 0.0}), Points());
    EXPECT_EQ(std::pair(1.7e-308, -3.5), std::pair(m_chrom.dMaxIntensity, m_chrom.dMinIntensity));
    Fill({4});
    EXPECT_FALSE(Tool_BaselineComp(&m_chrom));
    EXPECT_EQ(4.0, m_chrom.pdChromInt[0]);
    EXPECT_FALSE(Tool_BaselineComp(nullptr));
}

TEST_F(ChromTest, RatioChromatogramAgainstItsThreshold) {
    // Flat ends at 0 so that the compensation leaves the inner points; a shorter partner gives 0 beyond it.
    const std::tuple<std::vector<double>, std::vector<double>, double, std::vector<double>> cases[] = {
        {{0, 0, -2, 2, 0}, {0, 0, 3, 0, 0}, 0.0, {0.0, 0.0, 0.0, 1.0, 0.0}},
        {{0, 2, 2, 0}, {0, 0}, -1.0, {0.0, 1.0, 0.0, 0.0}},
        {{0, 3, 1, 0, 5, 0}, {0, 4, 1, 7, 0, 0}, 1.0, {0.0, 0.6, 1.0 / std::sqrt(2.0), 0.0, 0.0, 0.0}}};
    for (const auto& [a, b, threshold, expected] : cases) {
        Fill(a);
        Fill(b, &m_other);
        ASSERT_EQ(S_OK, Tool_CalcRatioChrom(&m_chrom, &m_other, threshold));
        for (size_t k = 0; k < expected.size(); ++k) {
            EXPECT_DOUBLE_EQ(expected[k], m_chrom.pdChromInt[k]) << k;
        }
    }
    EXPECT_EQ(std::tuple(1.0, 0.0, 7.0), // the partner was compensated too
              std::tuple(m_chrom.dMaxIntensity, m_chrom.dMinIntensity, m_other.dMaxIntensity));
    Tool_Release2dChrom(&m_other);
    EXPECT_EQ(E_INVALIDARG, Tool_CalcRatioChrom(nullptr, &m_chrom, 0.0));
    EXPECT_EQ(S_OK, Tool_CalcRatioChrom(&m_chrom, &m_other, 0.0)); // an empty partner changes nothing
    EXPECT_DOUBLE_EQ(0.6, m_chrom.pdChromInt[1]);
}

TEST_F(ChromTest, WindowScaleByPeakRankOrWindowMaximum) {
    // Points at 100, 110, ... 200.
    Fill({1, 2, 9, 2, 1, 5, 1, 7, 1, 0.5, 3});
    m_chrom.dMaxIntensity = 9;
    m_chrom.dMinIntensity = 0.5;
    const std::vector<OVS_LCPEAK> peaks = {LCPeak(120, 0, 0), LCPeak(150, 0, 0), LCPeak(170, 0, 0),
                                           LCPeak(300, 0, 0)};
    // Peak tops with a half width of 3: 9.5 at 120, 9 at 150, 7.5 at 170; the peak at 300 lies outside.
    // An unknown mode is refused after the scale is written.
    const std::tuple<LONG, LONG, LONG, BOOL, double, double, BOOL> cases[] = {
        {0, 0, 3, FALSE, 0.5, 9.0, TRUE},     {0, 0, 0, TRUE, 0.0, 9.5, TRUE},
        {175, 250, 0, FALSE, 0.5, 3.0, TRUE}, {131, 139, 3, FALSE, DBL_MAX, DBL_MIN, TRUE},
        {0, 0, 9, FALSE, 0.5, 9.0, FALSE},    {-50, 135, 3, FALSE, 1.0, 9.0, TRUE}};
    for (const auto& [from, to, mode, zero, expectedMinimum, expectedMaximum, result] : cases) {
        double minimum = -1, maximum = -1;
        EXPECT_EQ(result,
                  Tool_GetNormalizeScale(from, to, &m_chrom, 4, peaks.data(), mode, zero, &minimum, &maximum))
            << from << ".." << to << " mode " << mode;
        EXPECT_EQ(std::pair(expectedMinimum, expectedMaximum), std::pair(minimum, maximum))
            << from << " " << mode;
    }
    double minimum = 0, maximum = 0; // a window that ends before it starts: the end is the record's
    EXPECT_FALSE(Tool_GetNormalizeScale(175, 0, &m_chrom, 4, peaks.data(), 3, FALSE, &minimum, &maximum));
}

TEST_F(ChromTest, WindowScaleRanksOfThePeakTops) {
    Fill({0, 4, 0, 8, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0});
    const std::vector<OVS_LCPEAK> peaks = {LCPeak(110, 0, 0), LCPeak(130, 0, 0), LCPeak(190, 0, 0)};
    // Peak tops 8 (the point at 130 within reach), 8.5 and 6.5.
    const double expected[] = {8.5, 8.0, 6.5};
    for (LONG mode = 0; mode < 3; ++mode) {
        double minimum = 0, maximum = 0;
        ASSERT_TRUE(Tool_GetNormalizeScale(0, 0, &m_chrom, 3, peaks.data(), mode, TRUE, &minimum, &maximum));
        EXPECT_EQ(std::pair(0.0, expected[mode]), std::pair(minimum, maximum)) << mode;
    }
}

TEST_F(ChromTest, ThreeScalesOverAllPeaks) {
    Fill({0, 4, 0, 8, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0});
    m_chrom.dMaxIntensity = 8;
    m_chrom.dMinIntensity = -1;
    std::vector<OVS_LCPEAK> peaks = {LCPeak(110, 0, 0), LCPeak(190, 0, 0)};
    std::tie(peaks[0].dHeight, peaks[0].dBaseline1, peaks[0].dBaseline2) = std::tuple(3.0, 0.25, 0.125);
    std::tie(peaks[1].dHeight, peaks[1].dBaseline1, peaks[1].dBaseline2) = std::tuple(5.0, -0.5, 0.5);
    double minimum[3], maximum[3];
    ASSERT_TRUE(Tool_GetNomalizeScale(&m_chrom, 2, peaks.data(), 0, 3, minimum, maximum));
    EXPECT_EQ((std::vector<double>{8.0, 6.5, 6.5, -1.0}),
              (std::vector<double>{maximum[0], maximum[1], maximum[2], minimum[2]}));
    ASSERT_TRUE(Tool_GetNomalizeScale(&m_chrom, 2, peaks.data(), 1, 3, minimum, maximum));
    EXPECT_EQ(0.0, minimum[0]);
    ASSERT_TRUE(Tool_GetNomalizeScale(&m_chrom, 2, peaks.data(), 2, 3, minimum, maximum));
    EXPECT_EQ((std::vector<double>{5.0, -0.5, 3.0, 0.125, 0.125}),
              (std::vector<double>{maximum[0], minimum[0], maximum[1], minimum[1], minimum[2]}));
    ASSERT_TRUE(Tool_GetNomalizeScale(&m_chrom, 0, peaks.data(), 0, 3, minimum, maximum));
    EXPECT_EQ(8.0, maximum[1]);
    EXPECT_FALSE(Tool_GetNomalizeScale(&m_chrom, 2, peaks.data(), 3, 3, minimum, maximum));
    EXPECT_FALSE(Tool_GetNomalizeScale(&m_chrom, 2, peaks.data(), -1, 3, minimum, maximum));
    EXPECT_FALSE(Tool_GetNomalizeScale(&m_chrom, 2, peaks.data(), 0, 2, minimum, maximum));
}

} // namespace
