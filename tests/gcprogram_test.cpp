// Pressure units, GC file types, nearest list values, program run times and the thinned time table.
#include "ovstoolchrom.h"
#include "ovstoolgc.h"
#include "test_support.h"
#include "unique_resource.h"

#include <algorithm>
#include <limits>
#include <random>
#include <tuple>
#include <type_traits>
#include <vector>

namespace {

constexpr double kPsiKpa = static_cast<double>(6.895f);

TEST(Pressure, ConvertsBetweenUnits) {
    // kPa, bar and psi; an unknown or equal code leaves the value.
    const std::tuple<double, WORD, WORD, double> units[] = {
        {100, 0, 1, 1},           {1, 2, 0, 6.894999980926514}, {kPsiKpa, 0, 2, 1},
        {1, 1, 2, 100 / kPsiKpa}, {1, 2, 1, kPsiKpa / 100},     {7.5, 1, 1, 7.5},
        {7.5, 3, 0, 7.5}};
    for (const auto& [value, from, to, expected] : units) {
        EXPECT_EQ(expected, Tool_ConvertPressureUnit(value, from, to)) << from << "->" << to;
    }
    // Through kgf/cm2; equal codes, known or not, leave the value; an unknown code gives 0.
    EXPECT_NEAR(98.0664978027, Tool_ConvertPressureValue(1, 0, 4), 98.0664978027 * 1e-9);
    EXPECT_DOUBLE_EQ(0.9806650281 / 14.22334391, Tool_ConvertPressureValue(1, 1, 3));
    EXPECT_EQ(3.5, Tool_ConvertPressureValue(3.5, 9, 9));
    EXPECT_EQ(0.0, Tool_ConvertPressureValue(3.5, -1, 0) + Tool_ConvertPressureValue(3.5, 0, 5));
}

TEST(GcFileType, ByExtensionInTableOrder) {
    const std::tuple<const char*, WORD, WORD> cases[] = {
        {".GCM", 112, 133}, {"gcd", 111, 133}, {"GcB", 114, 133},  {".gcr", 115, 133}, {"cdf", 130, 133},
        {"CSV", 122, 133},  {"dat", 120, 133}, {"m", 121, 133},    {".PDF", 52, 133},  {".", 0, 133},
        {"gcmx", 0, 133},   {"..gcm", 0, 133}, {".MET", 121, 132}, {"metx", 121, 133}, {nullptr, 0, 133}};
    for (const auto& [extension, gc, kt4] : cases) {
        EXPECT_EQ(gc, Tool_GetGCFileType(extension)) << (extension ? extension : "null");
        EXPECT_EQ(kt4, Tool_GetGCFileTypeForKT4(extension)) << (extension ? extension : "null");
    }
    EXPECT_EQ(0, Tool_GetGCSettingParam(1, 2, 3, 4));
}

TEST(NearValue, FirstOfTheNearestWithinTheCount) {
    const float floats[] = {1, 4, 6, 9};
    // 4 and 6 tie at 5; no count: the first value; no list: 0.
    EXPECT_EQ((std::vector<float>{4, 6, 4, 1, 1, 0}),
              (std::vector<float>{
                  Tool_GetNearValue_float(5, floats, 4), Tool_GetNearValue_float(6.4f, floats, 4),
                  Tool_GetNearValue_float(100, floats, 2), Tool_GetNearValue_float(100, floats, 0),
                  Tool_GetNearValue_float(100, floats, -3), Tool_GetNearValue_float(100, nullptr, 4)}));
    const short shorts[] = {0, -32768, 3, 7};
    // 32767 - (-32768) wraps to -1.
    EXPECT_EQ((std::vector<short>{-32768, 3, 3, 0}),
              (std::vector<short>{
                  Tool_GetNearValue_short(32767, shorts, 4), Tool_GetNearValue_short(5, shorts + 2, 2),
                  Tool_GetNearValue_short(-32768, shorts + 2, 0), Tool_GetNearValue_short(5, nullptr, 4)}));
}

// Initial hold 1, then steps that ramp by 2 at rate 2 and hold 1 (adding 2 each), in a larger block
// whose floats after the record would add to the time if they were read.
template <typename Program>
void ExpectStepsCutToCapacity(float (*total)(const Program*)) {
    struct {
        Program program{};
        float after[64];
    } guarded;
    std::fill(std::begin(guarded.after), std::end(guarded.after), 0.5f);
    guarded.program.fInitialHold = 1;
    const int capacity = static_cast<int>(std::size(guarded.program.afRate));
    for (int i = 0; i < capacity; ++i) {
        guarded.program.afRate[i] = 2;
        guarded.program.afFinalValue[i] = 2.0f * static_cast<float>(i + 1);
        guarded.program.afHold[i] = 1;
    }
    for (int steps : {-1, 3, capacity, capacity + 1, 32767}) {
        guarded.program.nSteps = static_cast<short>(steps);
        EXPECT_EQ(1.0f + 2.0f * std::clamp(steps, 0, capacity), total(&guarded.program)) << steps;
    }
    EXPECT_EQ(0.0f, total(nullptr));
}

TEST(ProgramTotalTime, RampsAndHoldsUntilARateOfZeroWithinTheRecord) {
    ExpectStepsCutToCapacity<OVS_GCPROGRAM>(Tool_GetProgramTotalTime_Flow);
    ExpectStepsCutToCapacity<OVS_GCPROGRAM>(Tool_GetProgramTotalTime_Press);
    ExpectStepsCutToCapacity<OVS_GCPROGRAM>(Tool_GetProgramTotalTime_Temp);
    ExpectStepsCutToCapacity<OVS_GCOVENPROGRAM>(Tool_GetProgramTotalTime_Oven);
    OVS_GCPROGRAM program{3, 50, 2, {10, 5, 20}, {100, 150, 110}, {1, 3, 0.5f}};
    // 2 + (50 / 10 + 1) + (50 / 5 + 3) + (-40 / 20 + 0.5): the falling last step takes time off.
    EXPECT_EQ(19.5f, Tool_GetProgramTotalTime_Temp(&program));
    program.afRate[1] = 0;
    EXPECT_EQ(8.0f, Tool_GetProgramTotalTime_Temp(&program));
    OVS_GCOVENPROGRAM oven{2, 40, 0, {20, 10}, {100, 50}, {5, 2}};
    EXPECT_EQ(8.0f + (-5.0f + 2), Tool_GetProgramTotalTime_Oven(&oven));
}

OVS_2DCHROMDATA Chrom(std::vector<double>& values, DWORD start = 1000, DWORD interval = 50) {
    OVS_2DCHROMDATA chrom{};
    chrom.dwTotalPoints = static_cast<DWORD>(values.size());
    chrom.dwSamplingInterval = interval;
    chrom.dwStartTime = start;
    chrom.lEndTime = static_cast<LONG>(start + interval * (values.size() - 1));
    chrom.pdChromInt = values.data();
    return chrom;
}

// The result and times of one call; a failure must leave no array and no count.
std::pair<HRESULT, std::vector<double>> TimeTable(const OVS_2DCHROMDATA& chrom, DWORD maxPoints) {
    double untouched = 0;
    double* times = &untouched;
    DWORD count = 12345;
    const HRESULT hr = Tool_GetMinMaxPointTimeTable(chrom, &times, maxPoints, &count);
    if (FAILED(hr)) {
        EXPECT_TRUE(times == nullptr && count == 0);
        return {hr, {}};
    }
    ovs::unique_cotaskmem owner(times);
    return {hr, std::vector<double>(times, times + count)};
}

// The rule pass by pass on plain vectors: groups of four keep their maximum and minimum in index
// order (a constant group its first point only) until the inner points fit, or two different points
// are left for a single place.
std::vector<double> ReferenceTimes(const OVS_2DCHROMDATA& chrom, DWORD maxPoints) {
    const double* v = chrom.pdChromInt;
    std::vector<DWORD> kept;
    for (DWORD k = 1; k + 1 < chrom.dwTotalPoints; ++k) {
        kept.push_back(k);
    }
    while (kept.size() > maxPoints - 2) {
        std::vector<DWORD> next;
        for (size_t group = 0; group < kept.size(); group += 4) {
            size_t high = group, low = group;
            for (size_t j = group + 1; j < std::min(group + 4, kept.size()); ++j) {
                if (v[kept[j]] > v[kept[high]]) {
                    high = j;
                } else if (v[kept[j]] < v[kept[low]]) {
                    low = j;
                }
            }
            next.push_back(kept[std::min(high, low)]);
            if (high != low) {
                next.push_back(kept[std::max(high, low)]);
            }
        }
        if (next.size() == kept.size()) {
            break;
        }
        kept = next;
    }
    std::vector<double> times{double(chrom.dwStartTime)};
    for (DWORD k : kept) {
        times.push_back(double(chrom.dwStartTime) + double(k) * double(chrom.dwSamplingInterval));
    }
    times.push_back(double(chrom.lEndTime));
    return times;
}

// On several kinds of chromatogram, among them 1000 points thinned to at most 102.
TEST(TimeTable, MatchesThePassByPassRule) {
    std::mt19937 random(11);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Noise; many ties; a sawtooth with noise; NaNs among zeros of both signs (which tie).
    const auto point = [&](int kind, size_t i) {
        const double noise = std::uniform_real_distribution<double>(0, 1)(random);
        return kind == 0   ? noise
               : kind == 1 ? double(random() % 3)
               : kind == 2 ? double(i % 37) * 0.1 + noise
                           : (random() % 4 == 0 ? nan
                              : noise < 0.3     ? -0.0
                              : noise < 0.6     ? 0.0
                                                : 1.0);
    };
    for (size_t size : {3, 5, 17, 1000, 4099}) {
        for (int kind = 0; kind < 4; ++kind) {
            std::vector<double> values(size);
            for (size_t i = 0; i < size; ++i) {
                values[i] = point(kind, i);
            }
            const OVS_2DCHROMDATA chrom = Chrom(values);
            for (DWORD maxPoints : std::vector<DWORD>{3, 4, 10, 102, DWORD(size), DWORD(size + 5)}) {
                EXPECT_EQ(ReferenceTimes(chrom, maxPoints), TimeTable(chrom, maxPoints).second)
                    << size << " points, kind " << kind << ", at most " << maxPoints;
            }
        }
    }
    // Times are doubles: no 32-bit wrap of start + index * interval; the end time is signed.
    std::vector<double> values{0, 1, 2};
    OVS_2DCHROMDATA chrom = Chrom(values, 4000000000u, 4000000000u);
    chrom.lEndTime = -1;
    EXPECT_EQ((std::vector<double>{4e9, 8e9, -1}), TimeTable(chrom, 3).second);
}

TEST(TimeTable, RefusesBadArgumentsAndReportsExhaustedMemory) {
    std::vector<double> values(10, 1.0);
    OVS_2DCHROMDATA chrom = Chrom(values), tooShort = chrom, noPoints = chrom;
    tooShort.dwTotalPoints = 2;
    noPoints.pdChromInt = nullptr;
    DWORD count = 0;
    EXPECT_EQ(std::vector<HRESULT>(4, E_INVALIDARG),
              (std::vector<HRESULT>{TimeTable(chrom, 2).first, TimeTable(tooShort, 5).first,
                                    TimeTable(noPoints, 5).first,
                                    Tool_GetMinMaxPointTimeTable(chrom, nullptr, 5, &count)}));
    for (DWORD maxPoints : {5u, 10u}) { // thinned and whole
        OvsTestFailTaskMemory(0);
        EXPECT_EQ(E_OUTOFMEMORY, TimeTable(chrom, maxPoints).first);
    }
}

} // namespace
