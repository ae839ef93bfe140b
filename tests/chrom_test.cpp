// Chromatogram records and blocks, GC values and time tables, response factors (of a data file through
// its component stand-in), peak lookups, scales, and the statistics of results.
#include "test_support.h"
#include "block_counter.h"
#include "current_user_raw.h"
#include "host_table.h"
#include "paths_report.h"
#include "../standins/datafile/data_file_standin.h"
#include "OVSTools2.h"

#include <objbase.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numeric>
#include <tuple>

namespace {

bool IsLiveTaskBlock(void* block) {
    ovs::com_ptr<IMalloc> malloc;
    return SUCCEEDED(CoGetMalloc(MEMCTX_TASK, malloc.put())) && malloc->DidAlloc(block) == 1;
}

template <typename T>
std::vector<T> Values(const T* values, size_t count) {
    return std::vector<T>(values, values + count);
}

template <typename Record>
bool SameBytes(const Record& a, const Record& b, size_t size = sizeof(Record)) {
    return std::memcmp(&a, &b, size) == 0;
}

// Distinct header bytes, points k + 0.5 and flags k; with an interval, times from 0 to the end time.
struct Chrom {
    explicit Chrom(DWORD points, DWORD interval = 0, LONG end = 1900) {
        std::iota(reinterpret_cast<BYTE*>(&record), reinterpret_cast<BYTE*>(&record.pdChromInt), BYTE(0x40));
        record.dwTotalPoints = points;
        if (interval != 0) {
            std::tie(record.dwSamplingInterval, record.dwStartTime, record.lEndTime) =
                std::tuple(interval, 0, end);
        }
        if (points != 0 && Tool_Allocate2dChrom(&record, points) == S_OK) {
            std::iota(record.pdChromInt, record.pdChromInt + points, 0.5);
            std::iota(record.pbySaturate, record.pbySaturate + points, BYTE(0));
        }
    }
    ~Chrom() { Tool_Release2dChrom(&record); }
    OVS_2DCHROMDATA* operator->() { return &record; }
    bool holds(DWORD count, DWORD first = 0, bool flags = true) const {
        for (DWORD k = 0; k < count; ++k) {
            if (record.pdChromInt[k] != first + k + 0.5 ||
                (flags && record.pbySaturate[k] != BYTE(first + k))) {
                return false;
            }
        }
        return true;
    }
    OVS_2DCHROMDATA record{};
};

// Report lines of the error level that end with the text.
int ErrorLines(const std::string& text) {
    const auto lines = ovs::test::SplitLines(ovs::test::ReadFileText(ovs::test::PathsReportFile()));
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find("\t[ERR]\t") != std::string::npos && line.ends_with(text);
    }));
}

TEST(ChromAllocation, ClearsGrowsShrinksRefusesKeepsTheBlocksOnFailureAndReports) {
    ovs::test::PathsReportFile();
    OVS_2DCHROMDATA record{};
    record.dwTotalPoints = 7; // set by the caller, never by the allocation
    ASSERT_EQ(S_OK, Tool_Allocate2dChrom(&record, 1000));
    ASSERT_TRUE(IsLiveTaskBlock(record.pdChromInt) && IsLiveTaskBlock(record.pbySaturate) &&
                Values(record.pdChromInt, 1000) == std::vector<double>(1000) &&
                Values(record.pbySaturate, 1000) == std::vector<BYTE>(1000) && record.dwTotalPoints == 7);
    EXPECT_EQ(S_OK, Tool_Release2dChrom(&record) | Tool_Release2dChrom(&record)); // twice
    EXPECT_TRUE(SameBytes(OVS_2DCHROMDATA{}, record)) << "the whole record is cleared";
    for (DWORD count : {100u, 101u, 1u}) { // the same count writes no line
        Chrom chrom(100);
        ASSERT_EQ(S_OK, Tool_Allocate2dChrom(&chrom.record, count));
        EXPECT_TRUE(chrom.holds(std::min(count, 100ul))) << count;
        chrom->pdChromInt[count - 1] = chrom->pbySaturate[count - 1] = 1; // the whole new size is writable
    }
    for (LONG succeeding : {0, 1}) { // the intensities fail, then the flags
        Chrom chrom(50);
        const OVS_2DCHROMDATA before = chrom.record;
        OvsTestFailTaskMemory(succeeding);
        EXPECT_EQ(E_OUTOFMEMORY, Tool_Allocate2dChrom(&chrom.record, 1 << 20));
        EXPECT_TRUE(IsLiveTaskBlock(chrom->pdChromInt) && before.pbySaturate == chrom->pbySaturate);
        EXPECT_TRUE(chrom.holds(50) && (succeeding == 1 || SameBytes(before, chrom.record))) << succeeding;
    }
    OVS_UVSPECDATA spectrum{};
    OvsTestFailTaskMemory(0);
    EXPECT_EQ(E_OUTOFMEMORY, Tool_AllocateUVSpecData(&spectrum, 100)); // writes nothing
    EXPECT_EQ(E_INVALIDARG, Tool_AllocateUVSpecData(&spectrum, 0));    // writes nothing either
    Chrom chrom(100);
    EXPECT_EQ(E_INVALIDARG, Tool_Allocate2dChrom(&chrom.record, 0));
    EXPECT_EQ(E_INVALIDARG, Tool_ResizeChromtoPeak(&chrom.record, -1, 0));
    for (const char* line :
         {"Tool_Allocate2dChrom dwTotalPoints shrunken; old one = 100 but new one = 1",
          "Tool_Allocate2dChrom Realloc p2dChrom->pdChromInt failed.",
          "Tool_Allocate2dChrom Realloc p2dChrom->pbySaturate failed.",
          "Tool_Allocate2dChrom : Invalid argument. : [0 != dwPoints] is false.",
          "Tool_ResizeChromtoPeak : Invalid argument. : [0 <= lStartTime && p2dChrom->dwStartTime <= "
          "static_cast<DWORD>(lStartTime) && lStartTime < lEndTime && lEndTime <= p2dChrom->lEndTime] is "
          "false."}) {
        EXPECT_EQ(1, ErrorLines(line)) << line;
    }
    EXPECT_EQ(5, ErrorLines("")) << "no other error lines";
}

TEST(ChromCopyAndCut, IntoBlocksOfItsOwnToTheWindowOrLeavesTheRecord) {
    for (DWORD destPoints : {0u, 2000u}) {
        Chrom source(1000), dest(destPoints);
        ASSERT_EQ(S_OK, Tool_Copy2dChrom(&dest.record, &source.record));
        EXPECT_TRUE(SameBytes(dest.record, source.record, offsetof(OVS_2DCHROMDATA, pdChromInt)) &&
                    dest->pdChromInt != source->pdChromInt && dest.holds(1000))
            << destPoints;
    }
    Chrom source(100), empty(0), dest(10);
    const OVS_2DCHROMDATA destBefore = dest.record;
    OvsTestFailTaskMemory(0);
    EXPECT_EQ((std::vector<HRESULT>{E_OUTOFMEMORY, E_INVALIDARG, E_INVALIDARG, S_OK}),
              (std::vector<HRESULT>{Tool_Copy2dChrom(&dest.record, &source.record),
                                    Tool_Copy2dChrom(&dest.record, &empty.record),
                                    Tool_Copy2dChrom(nullptr, &dest.record),
                                    Tool_Copy2dChrom(&dest.record, &dest.record)}));
    EXPECT_TRUE(SameBytes(destBefore, dest.record) && dest.holds(10));
    // from, to, the record's start, interval and end (5000: too many points); first point and count kept
    const std::tuple<LONG, LONG, DWORD, DWORD, LONG, HRESULT, DWORD, DWORD> cases[] = {
        {250, 1000, 0, 100, 1900, S_OK, 2, 9},          {0, 1900, 0, 100, 1900, S_OK, 0, 20},
        {1850, 1900, 0, 100, 1900, S_OK, 18, 2},        {1, 99, 0, 100, 1900, S_OK, 0, 1},
        {50, 500, 100, 100, 1900, E_INVALIDARG, 0, 0},  {100, 2000, 100, 100, 1900, E_INVALIDARG, 0, 0},
        {500, 500, 100, 100, 1900, E_INVALIDARG, 0, 0}, {200, 4000, 0, 100, 5000, E_INVALIDARG, 0, 0},
        {200, 400, 0, 0, 1900, E_INVALIDARG, 0, 0},     {200, 400, 0, 100, 1900, E_OUTOFMEMORY, 0, 0}};
    for (const auto& [from, to, start, interval, end, hr, first, count] : cases) {
        Chrom chrom(20, 100, end);
        std::tie(chrom->dwStartTime, chrom->dwSamplingInterval) = std::tuple(start, interval);
        const OVS_2DCHROMDATA before = chrom.record;
        OvsTestFailTaskMemory(hr == E_OUTOFMEMORY ? 0 : -1);
        ASSERT_EQ(hr, Tool_ResizeChromtoPeak(&chrom.record, from, to)) << from << ".." << to;
        if (hr != S_OK) {
            EXPECT_TRUE(SameBytes(before, chrom.record) && IsLiveTaskBlock(chrom->pdChromInt)) << from;
            continue;
        }
        EXPECT_EQ(std::tuple(count, DWORD(from), to, DWORD(0), count, before.pbySaturate, first + count - 0.5,
                             first + 0.5),
                  std::tuple(chrom->dwTotalPoints, chrom->dwStartTime, chrom->lEndTime, chrom->dwWindowFirst,
                             chrom->dwWindowPoints, chrom->pbySaturate, chrom->dMaxIntensity,
                             chrom->dMinIntensity));
        EXPECT_TRUE(chrom.holds(count, first, false)) << from << ".." << to;
    }
    Chrom negative(20, 100); // the extremes start from the smallest positive and the largest values
    std::iota(negative->pdChromInt, negative->pdChromInt + 20, -20.0);
    ASSERT_EQ(S_OK, Tool_ResizeChromtoPeak(&negative.record, 0, 500));
    EXPECT_EQ(std::pair(1.7e-308, -20.0), std::pair(negative->dMaxIntensity, negative->dMinIntensity));
}

TEST(UVSpectrum, AllocatesClearedCopiesReleasesAndFailsOrderly) {
    OVS_UVSPECDATA source{}, dest{}, empty{};
    ASSERT_EQ(S_OK, Tool_AllocateUVSpecData(&source, 301) | Tool_AllocateUVSpecData(&dest, 5));
    EXPECT_TRUE(source.dwPoints == 0 && Values(source.pdValues, 301) == std::vector<double>(301) &&
                Values(source.pdwSecond, 301) == std::vector<DWORD>(301));
    std::iota(source.pdValues, source.pdValues + 301, 0.25);
    std::iota(source.pdwSecond, source.pdwSecond + 301, 3ul);
    source = {0x11, 301, {0x22, 0x33}, 190.0, 400.0, source.pdValues, source.pdwSecond, {0x44, 0x55}};
    dest.dwPoints = 5;
    OvsTestFailTaskMemory(1);
    EXPECT_EQ(E_OUTOFMEMORY, Tool_CopyUVSpecData(&dest, &source));
    EXPECT_TRUE(dest.dwPoints == 5 && IsLiveTaskBlock(dest.pdValues) && IsLiveTaskBlock(dest.pdwSecond));
    EXPECT_EQ(E_INVALIDARG, Tool_CopyUVSpecData(&dest, &empty));
    ASSERT_EQ(S_OK, Tool_CopyUVSpecData(&dest, &source));
    EXPECT_TRUE(SameBytes(source, dest, offsetof(OVS_UVSPECDATA, pdValues)) &&
                SameBytes(source.adwTrailer, dest.adwTrailer) && source.pdValues != dest.pdValues);
    EXPECT_EQ(std::pair(Values(source.pdValues, 301), Values(source.pdwSecond, 301)),
              std::pair(Values(dest.pdValues, 301), Values(dest.pdwSecond, 301)));
    EXPECT_EQ(S_OK, Tool_ReleaseUVSpecData(&dest));
    EXPECT_TRUE(SameBytes(OVS_UVSPECDATA{}, dest));
    Tool_ReleaseUVSpecData(&source);
}

TEST(BlockAllocator, ClearsEveryNewByteKeepsTheBlockOnFailureAndSwapsExactly) {
    BYTE* block = static_cast<BYTE*>(Tool_AllocateMemory(8));
    ASSERT_NE(nullptr, block);
    std::memset(block, 0xAB, 8);
    block = static_cast<BYTE*>(Tool_ReallocMemory(block, 16));
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(std::vector<BYTE>({0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0, 0, 0, 0, 0, 0, 0, 0}),
              Values(block, 16));
    OvsTestFailTaskMemory(0);
    EXPECT_EQ(nullptr, Tool_ReallocMemory(block, 64));
    EXPECT_EQ(0xAB, block[3]) << "the failed growth kept the block";
    EXPECT_EQ(nullptr, Tool_ReleaseMemory(block));
    EXPECT_TRUE(Tool_AllocateMemory(0) == nullptr && Tool_ReallocMemory(nullptr, 0) == nullptr);
    for (const short count : {5, 0, -3, 32767}) {
        std::vector<BYTE> a(32768, 0x11), b(32768, 0x22), expectedA(a), expectedB(b);
        Tool_swapmem(a.data(), b.data(), count);
        std::swap_ranges(expectedA.begin(), expectedA.begin() + std::max<short>(count, 0), expectedB.begin());
        EXPECT_TRUE(a == expectedA && b == expectedB) << count;
    }
}

constexpr double kPsiKpa = static_cast<double>(6.895f);

TEST(GcValues, PressureUnitsFileTypesAndNearestListValues) {
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
    const std::tuple<const char*, WORD, WORD> cases[] = {
        {".GCM", 112, 133}, {"gcd", 111, 133}, {"GcB", 114, 133},  {".gcr", 115, 133}, {"cdf", 130, 133},
        {"CSV", 122, 133},  {"dat", 120, 133}, {"m", 121, 133},    {".PDF", 52, 133},  {".", 0, 133},
        {"gcmx", 0, 133},   {"..gcm", 0, 133}, {".MET", 121, 132}, {"metx", 121, 133}, {nullptr, 0, 133}};
    for (const auto& [extension, gc, kt4] : cases) {
        EXPECT_EQ(std::pair(gc, kt4),
                  std::pair(Tool_GetGCFileType(extension), Tool_GetGCFileTypeForKT4(extension)))
            << (extension ? extension : "null");
    }
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

// Hold 1, then steps of 2 (ramp 2 at rate 2, hold 1); floats read past the record would add time.
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
        std::tie(guarded.program.afRate[i], guarded.program.afFinalValue[i], guarded.program.afHold[i]) =
            std::tuple(2.0f, 2.0f * static_cast<float>(i + 1), 1.0f);
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

// A record over the values, start 0 and one time unit apart unless given.
OVS_2DCHROMDATA Over(std::vector<double>& values, DWORD start = 0, DWORD interval = 1) {
    OVS_2DCHROMDATA chrom{};
    std::tie(chrom.dwTotalPoints, chrom.dwSamplingInterval, chrom.dwStartTime, chrom.pdChromInt) =
        std::tuple(static_cast<DWORD>(values.size()), interval, start, values.data());
    chrom.lEndTime = static_cast<LONG>(start + interval * (values.size() - 1));
    return chrom;
}

// The result and times of one call; a failure must leave no array and no count.
std::pair<HRESULT, std::vector<double>> TimeTable(const OVS_2DCHROMDATA& chrom, DWORD maxPoints) {
    DWORD count = 12345;
    double* times = reinterpret_cast<double*>(&count);
    const HRESULT hr = Tool_GetMinMaxPointTimeTable(chrom, &times, maxPoints, &count);
    const ovs::unique_cotaskmem owner(SUCCEEDED(hr) ? times : nullptr);
    EXPECT_TRUE(SUCCEEDED(hr) || (times == nullptr && count == 0));
    return {hr, SUCCEEDED(hr) ? std::vector<double>(times, times + count) : std::vector<double>{}};
}

// Each pass keeps the largest and the smallest point of every four in index order (of equal points,
// or after a leading NaN, the first only) until the inner points fit; two different points may stay.
TEST(TimeTable, KeepsTheExtremesOfEveryGroupPassByPassAndRefusesOrderly) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> spikes(5000); // several rounds of reading, a group of two at the end
    std::tie(spikes[10], spikes[4500]) = std::pair(-1.0, 7.0);
    const std::tuple<std::vector<double>, DWORD, std::vector<double>> cases[] = {
        {{0, 3, 1, 1, 0}, 5, {0, 1, 2, 3, 4}},
        {{0, 3, 1, 1, 0}, 4, {0, 1, 2, 4}},
        {{1, 0, -0.0, 0, -0.0, -0.0, 0, 0, -0.0, 1}, 4, {0, 1, 5, 9}},
        {{9, nan, 1, 2, 0, 1, nan, 3, 0, 9}, 5, {0, 1, 7, 8, 9}},
        {{9, nan, 1, 2, 0, 1, nan, 3, 0, 9}, 4, {0, 1, 9}},
        {{0, 5, 1, 2, 3, 5, 1, 2, 3, 0}, 3, {0, 1, 2, 9}},
        {spikes, 4, {0, 10, 4500, 4999}}};
    for (const auto& [values, maxPoints, expected] : cases) {
        std::vector<double> points = values;
        EXPECT_EQ(expected, TimeTable(Over(points), maxPoints).second)
            << testing::PrintToString(values).substr(0, 60) << " at most " << maxPoints;
    }
    // Times are doubles: no 32-bit wrap of start + index * interval; the end time is signed.
    std::vector<double> values{0, 1, 2};
    OVS_2DCHROMDATA chrom = Over(values, 4000000000u, 4000000000u);
    chrom.lEndTime = -1;
    EXPECT_EQ((std::vector<double>{4e9, 8e9, -1}), TimeTable(chrom, 3).second);
    OVS_2DCHROMDATA tooShort = chrom, noPoints = chrom;
    std::tie(tooShort.dwTotalPoints, noPoints.pdChromInt) = std::pair(2, nullptr);
    DWORD count = 0;
    EXPECT_EQ(std::vector<HRESULT>(4, E_INVALIDARG),
              (std::vector<HRESULT>{TimeTable(chrom, 2).first, TimeTable(tooShort, 3).first,
                                    TimeTable(noPoints, 3).first,
                                    Tool_GetMinMaxPointTimeTable(chrom, nullptr, 3, &count)}));
    for (const auto& [record, maxPoints] : {std::pair(chrom, 3u), std::pair(Over(spikes), 4u)}) {
        OvsTestFailTaskMemory(0); // whole, then thinned
        EXPECT_EQ(E_OUTOFMEMORY, TimeTable(record, maxPoints).first);
    }
}

using Compounds = ovs::test::HostTable<OVS_COMPOUNDTABLE, OVS_COMPOUND>;
using Results = ovs::test::HostTable<OVS_QUANTRESULTTABLE, OVS_QUANTRESULT>; // standard, conc, area, height
constexpr SHORT kArea = OVS_CALIB_BASIS_AREA;

// A compound whose factor of one level is given (the other levels hold 0).
OVS_COMPOUND Compound(double conc, float levelFactor, SHORT kind = 0, SHORT group = 0, WORD isNumber = 0,
                      SHORT level = 1) {
    OVS_COMPOUND compound{};
    std::tie(compound.wISNumber, compound.nKind, compound.nISGroup, compound.dConc) =
        std::tuple(isNumber, kind, group, conc);
    compound.afLevelFactor[level - 1] = levelFactor;
    return compound;
}

TEST(ResponseFactor, OfValuesAndTheInternalStandardLookups) {
    const double values[] = {2.0, 5.0, -1.0};
    for (const double conc : {4.0, 0.0}) { // no concentration: zeros, not valid
        double* factors = nullptr;
        BOOL valid = -1;
        ASSERT_EQ(S_OK, Tool_CalcResponseFactor(values, &factors, conc, 3, &valid));
        const ovs::unique_cotaskmem owner(factors);
        ASSERT_NE(nullptr, factors);
        EXPECT_EQ(conc != 0.0 ? std::vector<double>({0.5, 1.25, -0.25}) : std::vector<double>(3),
                  std::vector<double>(factors, factors + 3));
        EXPECT_EQ(conc != 0.0, valid);
    }
    double* factors = nullptr;
    BOOL valid = TRUE;
    EXPECT_EQ(std::vector<HRESULT>(3, E_INVALIDARG),
              (std::vector<HRESULT>{Tool_CalcResponseFactor(values, &factors, 1.0, 0, &valid),
                                    Tool_CalcResponseFactor(nullptr, &factors, 1.0, 1, &valid),
                                    Tool_CalcResponseFactor(values, &factors, 1.0, 1, nullptr)}));
    EXPECT_TRUE(valid && factors == nullptr) << "outputs untouched";
    OvsTestFailTaskMemory(0);
    factors = reinterpret_cast<double*>(&valid);
    EXPECT_EQ(E_OUTOFMEMORY, Tool_CalcResponseFactor(values, &factors, 1.0, 1, &valid));
    EXPECT_TRUE(factors == nullptr && !valid);
    // Compound 1 (conc 10) is standard 1, whose first compound is 2; 9 lies past the table.
    std::vector<OVS_COMPOUND> entries = {Compound(10.0, 1.5f, 2, 0, 2), Compound(0.5, 3.0f, 0, 0, 1),
                                         Compound(7.0, 9.0f, 0, 0, 1), Compound(1.0, 1.0f, 0, 0, 9)};
    entries[1].afLevelFactor[1] = 4.0f;
    const Compounds compounds(entries);
    const std::tuple<short, short, float> concs[] = {{1, 2, 40.0f}, {2, 1, 0.75f},
                                                     {3, 1, 0.0f},  {9, 1, 0.0f},
                                                     {1, 0, 0.0f},  {1, OVS_CALIB_LEVELS + 1, 0.0f}};
    for (const auto& [standard, level, conc] : concs) {
        EXPECT_EQ(conc, Tool_Get_IS_Conc(compounds.get(), standard, level)) << standard << " " << level;
    }
    // The product is single precision, not the double product narrowed.
    EXPECT_EQ(0.9000000357627869f, Tool_Get_IS_Conc(Compounds({Compound(0.3, 3.0f, 2, 0, 1)}).get(), 1, 1));
    // The area or height of the standard's first result, narrowed to float; only counted entries.
    const Results results({{1, 0, 0.1, 2.0}, {2, 0, 3.0, 4.0}, {2, 0, 99.0, 99.0}});
    const Results shorter({{1, 0, 1.0, 1.0}, {2, 0, 3.0, 4.0}}, 1);
    EXPECT_EQ((std::vector<double>{3.0, 4.0, static_cast<double>(0.1f), 0.0, 0.0, 0.0}),
              (std::vector<double>{
                  Tool_Get_IS_Data(results.get(), 2, kArea), Tool_Get_IS_Data(results.get(), 2, 7),
                  Tool_Get_IS_Data(results.get(), 1, kArea), Tool_Get_IS_Data(results.get(), 5, kArea),
                  Tool_Get_IS_Data(shorter.get(), 2, kArea), Tool_Get_IS_Data(nullptr, 1, kArea)}));
}

ovs::test::BlockCounter g_blocks;

// The count and factors of one call; no factors: the caller's pointer was not written.
struct RealRF {
    short count = -1;
    std::optional<std::vector<double>> factors;
};

RealRF GetRealRF(IUnknown* dataFile, LONG selection) {
    RealRF rf;
    double* const unset = reinterpret_cast<double*>(&rf);
    double* factors = unset;
    Tool_GetRealRF(dataFile, selection, &rf.count, &factors);
    if (factors != unset) {
        rf.factors = std::vector<double>(factors, factors + (factors != nullptr ? rf.count : 0));
        std::free(factors);
    }
    return rf;
}

ovs::com_ptr<IOvsDataFileSetup> CreateDataFile() {
    ovs::com_ptr<IOvsDataFileSetup> setup;
    CoCreateInstance(CLSID_OvsDataFileStandIn, nullptr, CLSCTX_INPROC_SERVER, IID_IOvsDataFileSetup,
                     setup.put_void());
    return setup;
}

void SetStandard(IOvsDataFileSetup* file, SHORT method, SHORT basis, SHORT direction,
                 const Compounds& compounds, const Results& results, SHORT level = 1, float amount = 0.0f) {
    const OVS_SAMPLEINFO sample = {OVS_SAMPLE_KIND_STANDARD, level, amount};
    const OVS_QUANTMETHODHEADER header = {method, basis, direction};
    file->SetSampleInfo(&sample);
    file->SetMethodHeader(&header);
    file->SetCompoundTable(compounds.bytes(), compounds.size());
    file->SetQuantResultTable(results.bytes(), results.size());
}

// c = 5 x 2 (level 3: x 3) with area 30, c = 4 with height 8 (by override), c = 0, c = 5 with area 0.
void SetPlainStandard(IOvsDataFileSetup* file, SHORT method = 0, SHORT basis = kArea, SHORT direction = 0,
                      SHORT level = 1, float amount = 0.0f) {
    std::vector<OVS_COMPOUND> entries = {Compound(5.0, 2.0f), Compound(4.0, 1.0f), Compound(3.0, 0.0f),
                                         Compound(5.0, 1.0f)};
    entries[0].afLevelFactor[2] = 3.0f;
    entries[1].nCalibBasis = 2;
    SetStandard(file, method, basis, direction, Compounds(entries),
                Results({{0, 0, 30.0, 7.0}, {0, 0, 99.0, 8.0}, {0, 0, 6.0, 6.0}, {0, 0, 0.0, 0.0}}), level,
                amount);
}

class RealRFTest : public ::testing::Test {
protected:
    // One spy for the whole suite: revoking it waits for blocks still out, so it is not renewed.
    static void SetUpTestSuite() { s_spied = CoRegisterMallocSpy(&g_blocks) == S_OK; }
    static void TearDownTestSuite() { CoRevokeMallocSpy(); }
    void SetUp() override {
        const HMODULE server = LoadLibraryA((ovs::test::ExecutableFolder() + "\\OVSDataFile.dll").c_str());
        ASSERT_EQ(S_OK, ovs::test::CallServerFunction(server, "DllRegisterServer"));
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) && s_spied);
        ASSERT_TRUE(file = CreateDataFile());
    }
    void TearDown() override {
        file.reset();
        CoUninitialize();
    }

    // The factors of one call, which must leave no reference and no task-memory block behind.
    RealRF Run(LONG selection = -1) {
        const LONG open = g_blocks.allocated - g_blocks.freed;
        const RealRF result = GetRealRF(file.get(), selection);
        EXPECT_EQ(open, g_blocks.allocated - g_blocks.freed) << "every table freed";
        file->AddRef();
        EXPECT_EQ(1u, file->Release()) << "every interface released";
        return result;
    }
    std::vector<LONG> Calls() const {
        LONG calls[64] = {}, count = 0;
        file->GetCallLog(calls, 64, &count);
        return std::vector<LONG>(calls, calls + std::min(count, 64L));
    }

    static inline bool s_spied = false;
    ovs::com_ptr<IOvsDataFileSetup> file;
};

// With DilutionFactor off, the sample-amount method's amount is c / amount / 100; the plain one ignores it.
TEST_F(RealRFTest, PlainAndSampleAmountMethodsDivideResponseAndAmountByDirection) {
    constexpr SHORT kAmount = OVS_QUANT_SAMPLE_AMOUNT;
    const std::tuple<SHORT, SHORT, SHORT, SHORT, float, int, std::vector<double>> cases[] = {
        {0, kArea, 0, 1, 0.0f, 0, {3.0, 2.0, 0.0, 0.0}},
        {0, kArea, 1, 1, 0.0f, 0, {10.0 / 30.0, 0.5, 0.0, 0.0}},
        {0, 2, 0, 1, 0.0f, 0, {0.7, 2.0, 0.0, 0.0}},
        {0, kArea, 0, 3, 0.0f, 0, {2.0, 0.0, 0.0, 0.0}},
        {kAmount, kArea, 0, 1, 2.0f, 0, {30.0 / (10.0 / 2.0 / 100.0), 8.0 / (4.0 / 2.0 / 100.0), 0.0, 0.0}},
        {kAmount, kArea, 1, 1, 2.0f, 0, {(10.0 / 2.0 / 100.0) / 30.0, (4.0 / 2.0 / 100.0) / 8.0, 0.0, 0.0}},
        {kAmount, kArea, 1, 1, 0.0f, 0, {0.0, 0.0, 0.0, 0.0}},
        {kAmount, kArea, 1, 1, 2.0f, 5, {10.0 / 30.0, 0.5, 0.0, 0.0}}};
    for (const auto& [method, basis, direction, level, amount, dilution, factors] : cases) {
        ASSERT_TRUE(Tool_WriteRegCurrentUserInt(OVS_REG_PRODUCT_ROOT, "Option", "DilutionFactor", dilution));
        SetPlainStandard(file.get(), method, basis, direction, level, amount);
        EXPECT_EQ(factors, Run().factors)
            << method << " " << basis << " " << direction << " " << level << " " << amount << " " << dilution;
    }
    // The listed value lives in the process's cache; 1 reads as the unwritten default does.
    ASSERT_TRUE(Tool_WriteRegCurrentUserInt(OVS_REG_PRODUCT_ROOT, "Option", "DilutionFactor", 1));
}

// Standard 1 (cIS 10 x 2, area 50) of compound 2 (c 4, area 30); 3 has no standard, 4 is of kind 4.
TEST_F(RealRFTest, InternalStandardMethodRelatesEachCompoundToItsGroupStandard) {
    const std::tuple<const char*, double, double, double, SHORT, double> cases[] = {
        {"response ratio over amount ratio", 10.0, 50.0, 30.0, 0, (30.0 / 50.0) / (4.0 / 20.0)},
        {"amount ratio over response ratio", 10.0, 50.0, 30.0, 1, (4.0 / 20.0) / (30.0 / 50.0)},
        {"standard without concentration", 0.0, 50.0, 30.0, 0, 0.0},
        {"standard without response", 10.0, 0.0, 30.0, 0, 0.0},
        {"compound without response, direction 1", 10.0, 50.0, 0.0, 1, 0.0}};
    for (const auto& [name, isConc, isArea, area, direction, factor] : cases) {
        const Compounds compounds({Compound(isConc, 2.0f, 2, 1, 1), Compound(4.0, 1.0f, 0, 1, 1),
                                   Compound(1.0, 1.0f, 0, 9, 0), Compound(1.0, 1.0f, 4, 2, 4)});
        const Results results({{1, 0, isArea, 0.0}, {1, 0, area, 0.0}, {0, 0, 5.0, 5.0}, {0, 0, 1.0, 1.0}});
        SetStandard(file.get(), OVS_QUANT_INTERNAL_STANDARD, kArea, direction, compounds, results);
        EXPECT_EQ(std::vector<double>({1.0, factor, 1.0, 1.0}), Run().factors)
            << isConc << " " << isArea << " " << area;
    }
}

// In a fresh process the cache holds no DilutionFactor: the default 1 applies, whatever the hive holds.
ovs::test::ChildMode
    dilutionDefaultMode("quantfactors-dilution-default", [](const std::vector<std::string>&) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const ovs::com_ptr<IOvsDataFileSetup> file = CreateDataFile(); // fails the child if null
        SetPlainStandard(file.get(), OVS_QUANT_SAMPLE_AMOUNT, kArea, 0, 1, 2.0f);
        return GetRealRF(file.get(), -1).factors == std::vector<double>({3.0, 2.0, 0.0, 0.0}) ? 0 : 12;
    });

TEST_F(RealRFTest, SampleAmountMethodWithoutDilutionFactorUsesDefaultOne) {
    ASSERT_TRUE(
        ovs::test::RawUserSetInt(std::string(OVS_REG_PRODUCT_ROOT) + "\\Option", "DilutionFactor", 0));
    const ovs::test::ChildResult child = ovs::test::RunChild("quantfactors-dilution-default");
    ovs::test::ResetCurrentUserTree();
    EXPECT_TRUE(child.finished && child.exitCode == 0) << child.exitCode;
}

TEST_F(RealRFTest, ReferenceCompoundsAndCompoundsWithoutResults) {
    // 99 lies past the table; compound 5 (no result entry: factor 0) copies only after 4 copied it.
    std::vector<OVS_COMPOUND> entries = {Compound(5.0, 2.0f), Compound(4.0, 1.0f), Compound(1.0, 1.0f),
                                         Compound(1.0, 1.0f), Compound(1.0, 1.0f)};
    std::tie(entries[1].nRefCompound, entries[2].nRefCompound, entries[3].nRefCompound,
             entries[4].nRefCompound) = std::tuple(99, 1, 5, 2);
    SetStandard(file.get(), 0, kArea, 0, Compounds(entries),
                Results({{0, 0, 30.0, 0.0}, {0, 0, 8.0, 0.0}, {0, 0, 1.0, 0.0}, {0, 0, 1.0, 0.0}}));
    EXPECT_EQ(std::vector<double>({3.0, 2.0, 3.0, 0.0, 2.0}), Run().factors);
}

TEST_F(RealRFTest, CallsInOrderUntilTheFirstFailureOnlyForStandards) {
    // The count, whether the factors were written, and the calls made (the selection is the sixth).
    const auto run = [&](LONG selection, SHORT kind, LONG failing = OVS_DFCALL_NONE, HRESULT hr = S_OK) {
        file = CreateDataFile();
        SetPlainStandard(file.get());
        const OVS_SAMPLEINFO sample = {kind, 1, 0.0f};
        file->SetSampleInfo(&sample);
        file->FailCall(failing, hr);
        const RealRF rf = Run(selection);
        return std::tuple(rf.count, rf.factors.has_value(), Calls());
    };
    const auto first = [](LONG calls) { // the calls are numbered in the order they are made
        std::vector<LONG> numbers(calls);
        std::iota(numbers.begin(), numbers.end(), LONG{OVS_DFCALL_QUERY_SAMPLE_INFO});
        return numbers;
    };
    EXPECT_EQ(std::tuple(short{4}, true, first(9)), run(0, OVS_SAMPLE_KIND_STANDARD));
    EXPECT_EQ(std::tuple(short{4}, true, std::vector<LONG>{0, 1, 2, 3, 4, 6, 7, 8}), // no selection (5)
              run(-1, OVS_SAMPLE_KIND_STANDARD));
    EXPECT_EQ(std::tuple(short{0}, false, first(2)), run(0, 2));
    SetStandard(file.get(), 0, kArea, 0, Compounds(std::vector<OVS_COMPOUND>{}), Results({{0, 0, 1.0, 1.0}}));
    const RealRF rf = Run(); // an empty compound table gives no array
    EXPECT_TRUE(rf.count == 0 && rf.factors == std::vector<double>{});
    // A failing code, and for the calls that hand out an interface or a table a success without one.
    for (LONG call = OVS_DFCALL_QUERY_SAMPLE_INFO; call <= OVS_DFCALL_GET_RESULT_TABLE; ++call) {
        for (const HRESULT hr : {E_FAIL, S_OK}) {
            if (hr == E_FAIL || (call != OVS_DFCALL_GET_SAMPLE_INFO && call != OVS_DFCALL_SELECT_ENTRY &&
                                 call != OVS_DFCALL_GET_METHOD_HEADER)) {
                EXPECT_EQ(std::tuple(short{0}, false, first(call + 1)),
                          run(2, OVS_SAMPLE_KIND_STANDARD, call, hr))
                    << call << " " << std::hex << hr;
            }
        }
    }
    const RealRF none = GetRealRF(nullptr, -1);
    short count = 7;
    Tool_GetRealRF(file.get(), -1, &count, nullptr);
    EXPECT_TRUE(none.count == -1 && !none.factors && count == 7) << "null arguments are left alone";
}

// A background file is linked (raw and PDA data), cleared by an empty name, and closed after a failed open.
TEST_F(RealRFTest, BackgroundLinksClearsAndClosesTheFileAfterAFailedOpen) {
    IUnknown* const data = file.get();
    EXPECT_EQ((std::vector<HRESULT>(3, E_INVALIDARG)),
              (std::vector<HRESULT>{Tool_RunBackground(data, data, "bg.lcd", 0),
                                    Tool_RunBackground(nullptr, data, "bg.lcd", 3),
                                    Tool_RunBackground(data, nullptr, "bg.lcd", 3)}));
    EXPECT_TRUE(Calls().empty());
    file->SetPdaKind(1);
    EXPECT_EQ((std::vector<HRESULT>{S_OK, S_OK}),
              (std::vector<HRESULT>{Tool_RunBackground(data, data, "bg.lcd", 3),
                                    Tool_RunBackground(data, data, "", 3)}));
    EXPECT_EQ((std::vector<LONG>{
                  OVS_DFCALL_QUERY_DATA_FILE, OVS_DFCALL_QUERY_FILE_MANAGER, OVS_DFCALL_OPEN_FILE,
                  OVS_DFCALL_GET_RAW_OBJECT,  OVS_DFCALL_GET_PDA_OBJECT,     OVS_DFCALL_GET_PDA_INFO,
                  OVS_DFCALL_GET_RAW_OBJECT,  OVS_DFCALL_GET_PDA_OBJECT,     OVS_DFCALL_GET_PDA_INFO,
                  OVS_DFCALL_LINK_RAW,        OVS_DFCALL_CLEAR_PDA,          OVS_DFCALL_GET_PATH_NAME,
                  OVS_DFCALL_LINK_PDA,        OVS_DFCALL_QUERY_DATA_FILE,    OVS_DFCALL_QUERY_FILE_MANAGER,
                  OVS_DFCALL_GET_RAW_OBJECT,  OVS_DFCALL_GET_PDA_OBJECT,     OVS_DFCALL_GET_PDA_INFO,
                  OVS_DFCALL_CLEAR_RAW,       OVS_DFCALL_CLEAR_PDA}),
              Calls());
    file->FailCall(OVS_DFCALL_OPEN_FILE, E_ACCESSDENIED);
    EXPECT_EQ(E_ACCESSDENIED, Tool_RunBackground(data, data, "bg.lcd", 1));
    const std::vector<LONG> failed = Calls();
    EXPECT_EQ((std::vector<LONG>{OVS_DFCALL_OPEN_FILE, OVS_DFCALL_CLOSE_FILE}),
              std::vector<LONG>(failed.end() - 2, failed.end()));
}

using PeakTable = ovs::test::HostTable<OVS_PEAKTABLE, OVS_LCPEAK>;

OVS_LCPEAK LCPeak(LONG retention, LONG start, LONG end, double conc = 0.0, WORD id = 0) {
    OVS_LCPEAK peak{};
    std::tie(peak.lRetentionTime, peak.lStartTime, peak.lEndTime, peak.dConc, peak.wPeakId) =
        std::tuple(retention, start, end, conc, id);
    return peak;
}

TEST(ConcentrationPercent, SharesOfTheSumEntriesOutsideTheTableNegativesAndZeroSums) {
    const std::vector<OVS_LCPEAK> lc = {LCPeak(0, 0, 0, 1), LCPeak(0, 0, 0, 3), LCPeak(0, 0, 0, 0),
                                        LCPeak(0, 0, 0, 4)};
    const std::vector<OVS_PDAPEAK> pda = {{0, 0, 0, 1}, {0, 0, 0, 3}, {0, 0, 0, 0}, {0, 0, 0, 4}};
    const ovs::test::HostTable<OVS_GRRTABLE, OVS_GRRRESULT> grr({{1}, {3}, {0}, {4}});
    const ovs::test::HostTable<OVS_QUANTRESULTTABLE, OVS_QUANTRESULT> qur(
        {{0, 1, 0, 0}, {0, 3, 0, 0}, {0, 0, 0, 0}, {0, 4, 0, 0}});
    for (short entry = 1; entry <= 4; ++entry) {
        double p[4] = {-1, -1, -1, -1}; // every table layout
        EXPECT_EQ(S_OK, Tool_GetConcPctLCPeak(lc.data(), 4, entry, &p[0]) |
                            Tool_GetConcPctPDAPeak(pda.data(), 4, entry, &p[1]) |
                            Tool_GetConcPctGrr(grr.get(), entry, &p[2]) |
                            Tool_GetConcPctQur(qur.get(), entry, &p[3]));
        EXPECT_EQ(std::vector<double>(4, std::vector{12.5, 37.5, 0.0, 50.0}[entry - 1]),
                  std::vector<double>(p, p + 4))
            << entry;
    }
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

bool MarkedWithoutRrt(const OVS_LCPEAK& peak) {
    return std::all_of(std::begin(peak.awStatus), std::end(peak.awStatus),
                       [](WORD status) { return (status & OVS_PEAKSTATUS_NO_RRT) != 0; });
}

TEST(RelativeRetentionTime, ReferencePeakZeroTimesFixedTimesMarkedPeaksAndRefusals) {
    PeakTable first({LCPeak(1000, 0, 0, 0, 1), LCPeak(0, 0, 0, 0, 7)}); // a time of 0 is passed over
    PeakTable second({LCPeak(4000, 0, 0, 0, 7), LCPeak(6000, 0, 0, 0, 2)});
    PeakTable third({LCPeak(9000, 0, 0, 0, 7), LCPeak(3000, 0, 0, 0, 3)});
    OVS_PEAKTABLE* tables[OVS_RRT_TABLES] = {};
    std::tie(tables[0], tables[5], tables[19]) = std::tuple(first.get(), second.get(), third.get());
    OVS_RELATIVERT_SETTINGS settings{};
    std::tie(settings.bEnabled, settings.wRefPeakId) = std::tuple(1, 7);
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
    PeakTable table({LCPeak(84000, 0, 0), LCPeak(21000, 0, 0)});
    OVS_PEAKTABLE* only[OVS_RRT_TABLES] = {table.get()};
    OVS_RELATIVERT_SETTINGS fixed = settings;
    fixed.bRefIsFixedTime = fixed.bZeroTimeUsed = fixed.wZeroTimeMode = 1;
    std::tie(fixed.fRefTime, fixed.fZeroTime) = std::pair(0.7f, 0.35f); // 42000 and 21000 ms
    ASSERT_EQ(S_OK, Tool_GetRelativeRT(&fixed, only));
    EXPECT_EQ(std::pair(3.0, 0.0), std::pair(table.entries()[0].dRelativeRT, table.entries()[1].dRelativeRT));
    // No reference peak anywhere: every peak is marked, its RRT left alone.
    fixed.bRefIsFixedTime = 0;
    ASSERT_EQ(S_OK, Tool_GetRelativeRT(&fixed, only));
    EXPECT_TRUE(MarkedWithoutRrt(table.entries()[0]) && table.entries()[0].dRelativeRT == 3.0);
    EXPECT_EQ(E_POINTER, Tool_GetRelativeRT(nullptr, only));
    fixed.wZeroTimeMode = 2;
    EXPECT_EQ(E_FAIL, Tool_GetRelativeRT(&fixed, only));
    PeakTable reference({LCPeak(1000, 0, 0, 0, 7)});
    only[0] = reference.get();
    fixed.bEnabled = 0;
    EXPECT_EQ(S_OK, Tool_GetRelativeRT(&fixed, only));
    EXPECT_FALSE(reference.entries()[0].dRelativeRT != 0.0 || MarkedWithoutRrt(reference.entries()[0]));
}

TEST(PeakLookups, NearestPeakSpanningATimeAndTheThreeLargestValues) {
    const std::vector<OVS_LCPEAK> lc = {LCPeak(1000, 800, 1200), LCPeak(1400, 1100, 1600),
                                        LCPeak(1600, 1150, 2000), LCPeak(5000, 4000, 6000)};
    const std::vector<OVS_PDAPEAK> pda = {
        {1000, 800, 1200, 0}, {1400, 1100, 1600, 0}, {1600, 1150, 2000, 0}, {5000, 4000, 6000, 0}};
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
    // The fourth slot stays as it was: exactly three entries are written.
    const std::tuple<std::vector<double>, std::vector<double>, std::vector<LONG>> ranks[] = {
        {{5, 5, 3}, {5, 3, 3, -1}, {0, 2, 2, -1}},
        {{1, 9, 4, 9, 7}, {9, 7, 4, -1}, {1, 4, 2, -1}},
        {{-1, 0, -3}, {0, 0, 0, -1}, {0, 0, 0, -1}},
        {{-1, 2}, {2, 2, 2, -1}, {1, 1, 1, -1}}};
    for (const auto& [values, expectedTop, expectedIndex] : ranks) {
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

TEST(Intensity, InterpolatesPlusAHalfAndTakesTheWindowMaximum) {
    std::vector<double> points = {9, 2, 4, 8, 6, 1, 3}, negative = {-9, -8, -7, -6}, single = {5};
    const OVS_2DCHROMDATA chrom = Over(points, 100, 10), below = Over(negative, 100, 10); // from 100 on
    // Window maxima from width 1 on; point 0 and points past the end count as 0.
    const std::tuple<LONG, int, double> cases[] = {{100, 0, 9.5}, {113, 0, 3.1}, {160, 0, 3.5},
                                                   {99, 0, 0.0},  {161, 0, 0.0}, {110, 1, 4.0},
                                                   {100, 5, 9.5}, {115, 2, 8.0}, {160, 1, 3.5}};
    for (const auto& [time, width, expected] : cases) {
        EXPECT_DOUBLE_EQ(expected, Tool_GetIntensity(&chrom, time, width)) << time << " width " << width;
    }
    // Negative points meet the zeros beyond the record; too few points, or no record.
    EXPECT_EQ((std::vector<double>{-7.5, -6.0, 0.0, 0.0}),
              (std::vector<double>{Tool_GetIntensity(&below, 110, 0), Tool_GetIntensity(&below, 120, 1),
                                   Tool_GetIntensity(&below, 110, 1), Tool_GetIntensity(&below, 130, 1)}));
    const OVS_2DCHROMDATA one = Over(single, 100, 10);
    EXPECT_TRUE(Tool_GetIntensity(&one, 100, 0) == 0.0 && Tool_GetIntensity(nullptr, 100, 0) == 0.0);
}

TEST(Baseline, SubtractsTheLineThroughTheEnds) {
    std::vector<double> values(101), expected(101); // a triangle peak of height 6 on a line 10 + 0.5 k
    for (int k = 0; k < 101; ++k) {
        expected[k] = k >= 47 && k <= 53 ? 6.0 - 2.0 * std::abs(k - 50) : 0.0;
        values[k] = 10 + 0.5 * k + expected[k];
    }
    OVS_2DCHROMDATA chrom = Over(values, 100, 10);
    ASSERT_TRUE(Tool_BaselineComp(&chrom));
    EXPECT_EQ(expected, values);
    EXPECT_EQ(std::pair(6.0, 0.0), std::pair(chrom.dMaxIntensity, chrom.dMinIntensity));
    std::vector<double> odd = {-1, -5, -2}, single = {4};
    chrom = Over(odd, 100, 10); // the extremes start from the smallest positive and the largest values
    ASSERT_TRUE(Tool_BaselineComp(&chrom));
    EXPECT_EQ((std::vector<double>{0.0, -3.5, 0.0}), odd);
    EXPECT_EQ(std::pair(1.7e-308, -3.5), std::pair(chrom.dMaxIntensity, chrom.dMinIntensity));
    chrom = Over(single, 100, 10);
    EXPECT_FALSE(Tool_BaselineComp(&chrom) || Tool_BaselineComp(nullptr));
    EXPECT_EQ(4.0, single[0]);
}

TEST(RatioChromatogram, AgainstItsThreshold) {
    // Flat ends at 0 so that the compensation leaves the inner points; a shorter partner gives 0 beyond it.
    const std::tuple<std::vector<double>, std::vector<double>, double, std::vector<double>> cases[] = {
        {{0, 0, -2, 2, 0}, {0, 0, 3, 0, 0}, 0.0, {0.0, 0.0, 0.0, 1.0, 0.0}},
        {{0, 2, 2, 0}, {0, 0}, -1.0, {0.0, 1.0, 0.0, 0.0}},
        {{0, 3, 1, 0, 5, 0}, {0, 4, 1, 7, 0, 0}, 1.0, {0.0, 0.6, 1.0 / std::sqrt(2.0), 0.0, 0.0, 0.0}}};
    std::vector<double> points, partner;
    OVS_2DCHROMDATA chrom{}, other{};
    for (const auto& [a, b, threshold, expected] : cases) {
        std::tie(points, partner) = std::tuple(a, b);
        std::tie(chrom, other) = std::tuple(Over(points, 100, 10), Over(partner, 100, 10));
        ASSERT_EQ(S_OK, Tool_CalcRatioChrom(&chrom, &other, threshold));
        for (size_t k = 0; k < expected.size(); ++k) {
            EXPECT_DOUBLE_EQ(expected[k], points[k]) << k;
        }
    }
    EXPECT_EQ(std::tuple(1.0, 0.0, 7.0), // the partner was compensated too
              std::tuple(chrom.dMaxIntensity, chrom.dMinIntensity, other.dMaxIntensity));
    other = {};
    EXPECT_EQ(E_INVALIDARG, Tool_CalcRatioChrom(nullptr, &chrom, 0.0));
    EXPECT_EQ(S_OK, Tool_CalcRatioChrom(&chrom, &other, 0.0)); // an empty partner changes nothing
    EXPECT_DOUBLE_EQ(0.6, points[1]);
}

TEST(Scales, ByPeakRankOrWindowMaximum) {
    std::vector<double> points = {1, 2, 9, 2, 1, 5, 1, 7, 1, 0.5, 3}; // at 100, 110, ... 200
    OVS_2DCHROMDATA chrom = Over(points, 100, 10);
    std::tie(chrom.dMaxIntensity, chrom.dMinIntensity) = std::pair(9.0, 0.5);
    std::vector<OVS_LCPEAK> peaks = {LCPeak(120, 0, 0), LCPeak(150, 0, 0), LCPeak(170, 0, 0),
                                     LCPeak(300, 0, 0)};
    // Tops (half width 3): 9.5 at 120, 9 at 150 (from the point at 120), 7.5 at 170; 300 lies outside.
    const std::tuple<LONG, LONG, LONG, BOOL, double, double, BOOL> cases[] = {
        {0, 0, 3, FALSE, 0.5, 9.0, TRUE},     {0, 0, 0, TRUE, 0.0, 9.5, TRUE},
        {0, 0, 1, TRUE, 0.0, 9.0, TRUE},      {0, 0, 2, FALSE, 0.5, 7.5, TRUE},
        {175, 250, 0, FALSE, 0.5, 3.0, TRUE}, {131, 139, 3, FALSE, DBL_MAX, DBL_MIN, TRUE},
        {0, 0, 9, FALSE, 0.5, 9.0, FALSE},    {-50, 135, 3, FALSE, 1.0, 9.0, TRUE}};
    for (const auto& [from, to, mode, zero, expectedMinimum, expectedMaximum, result] : cases) {
        double minimum = -1, maximum = -1;
        EXPECT_EQ(result,
                  Tool_GetNormalizeScale(from, to, &chrom, 4, peaks.data(), mode, zero, &minimum, &maximum))
            << from << ".." << to << " mode " << mode;
        EXPECT_EQ(std::pair(expectedMinimum, expectedMaximum), std::pair(minimum, maximum))
            << from << " " << mode;
    }
    double minimum = 0, maximum = 0; // a window that ends before it starts: the end is the record's
    EXPECT_FALSE(Tool_GetNormalizeScale(175, 0, &chrom, 4, peaks.data(), 3, FALSE, &minimum, &maximum));
    // Ranked tops or (mode 2) heights; minima: the record's, 0, or the peak's lower baseline.
    std::tie(peaks[0].dHeight, peaks[0].dBaseline1, peaks[0].dBaseline2) = std::tuple(3.0, 0.25, 0.125);
    std::tie(peaks[1].dHeight, peaks[1].dBaseline1, peaks[1].dBaseline2) = std::tuple(5.0, -0.5, 0.5);
    const std::tuple<int, int, int, std::vector<double>> scales[] = {{2, 0, 3, {9.5, 9, 9, 0.5, 0.5, 0.5}},
                                                                     {2, 1, 3, {9.5, 9, 9, 0, 0, 0}},
                                                                     {2, 2, 3, {5, 3, 3, -0.5, 0.125, 0.125}},
                                                                     {0, 0, 3, {9, 9, 9, 0.5, 0.5, 0.5}},
                                                                     {2, 3, 3, {}},
                                                                     {2, -1, 3, {}},
                                                                     {2, 0, 2, {}}};
    for (const auto& [count, mode, slots, expected] : scales) {
        std::vector<double> scale(6, -1); // maxima, then minima
        const BOOL known =
            Tool_GetNomalizeScale(&chrom, count, peaks.data(), mode, slots, &scale[3], &scale[0]);
        EXPECT_EQ(expected, known ? scale : std::vector<double>{})
            << count << " mode " << mode << " " << slots;
    }
}

enum Kind { kMean, kSampleSd, kPopulationSd, kSampleRsd, kPopulationRsd };

// The value and validity of one statistic; the outputs start as -1 so that every write shows.
std::pair<double, BOOL> Statistic(Kind kind, const std::vector<double>& values) {
    std::pair<double, BOOL> r{-1.0, -1};
    const int n = static_cast<int>(values.size());
    if (kind == kMean) {
        Tool_CalcAverage(r.first, values.data(), n, r.second);
    } else if (kind == kSampleSd || kind == kPopulationSd) {
        Tool_CalcStandardDiviation(r.first, values.data(), n, r.second, kind == kPopulationSd);
    } else {
        Tool_CalcRelativeStandardDiviation(r.first, values.data(), n, r.second, kind == kPopulationRsd);
    }
    return r;
}

TEST(Statistics, ValuesValidityAndTextsOfEveryForm) {
    // Added in order: 1 + 1 + 1e16 keeps both ones. A mean of 0 gives an RSD of 0; invalid gives 0.
    const std::tuple<Kind, std::vector<double>, double, BOOL> cases[] = {
        {kMean, {1.0, 1.0, 1e16}, (2.0 + 1e16) / 3, TRUE},
        {kSampleSd, {1, 2, 3, 4}, std::sqrt(5.0 / 3.0), TRUE},
        {kPopulationSd, {1, 2, 3, 4}, std::sqrt(1.25), TRUE},
        {kSampleSd, {}, 0.0, FALSE},
        {kPopulationSd, {}, 0.0, FALSE},
        {kSampleSd, {7.0}, 0.0, FALSE},
        {kPopulationSd, {7.0}, 0.0, TRUE},
        {kSampleSd, {0.1, 0.1, 0.1, 0.1, 0.1}, 0.0, TRUE},
        {kSampleRsd, {1, 2, 3, 4}, std::sqrt(5.0 / 3.0) * 100.0 / 2.5, TRUE},
        {kPopulationRsd, {-1, -2, -3, -4}, std::sqrt(1.25) * 100.0 / -2.5, TRUE},
        {kSampleRsd, {-1.0, 1.0}, 0.0, TRUE},
        {kSampleRsd, {5.0}, 0.0, FALSE},
        {kPopulationRsd, {5.0}, 0.0, TRUE}};
    for (const auto& [kind, values, value, valid] : cases) {
        EXPECT_EQ(std::pair(value, valid), Statistic(kind, values)) << kind << testing::PrintToString(values);
    }
    EXPECT_FALSE(Statistic(kMean, {}).second);
    if (Tool_GetStringDecimalPoint() != "." || Tool_GetStringThousandsSep() != ",") {
        GTEST_SKIP() << "the texts use a period decimal point and a comma separator";
    }
    CString sd, rsd, invalid = "stale", zero;
    const double pair[] = {0.0, 2469.13578}; // population sd 1234.56789
    Tool_CalcStandardDiviationString(sd, pair, 2, TRUE);
    Tool_CalcRelativeStandardDiviationString(rsd, pair, 2, TRUE);
    Tool_CalcStandardDiviationString(invalid, pair, 1, FALSE);
    Tool_CalcStandardDiviationString(zero, pair, 1, TRUE);
    EXPECT_EQ(
        (std::vector<std::string>{"1,234.568", "100.0000", "", "0.0000000"}),
        (std::vector<std::string>{sd.GetString(), rsd.GetString(), invalid.GetString(), zero.GetString()}));
}

} // namespace
