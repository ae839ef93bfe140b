// Chromatogram and spectrum records in task memory, the window cut, plain blocks and the byte swap.
#include "test_support.h"

#include "OVSTools2.h"

#include <objbase.h>

#include <cstring>
#include <numeric>
#include <tuple>
#include <vector>

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

// A record whose header bytes are all distinct, with points first + 0.5, first + 1.5, ... and flags
// first, first + 1, ...; with an interval, every interval time units from 0 up to the end time.
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

TEST(ChromAllocation, ClearsGrowsShrinksRefusesAndKeepsTheBlocksOnFailure) {
    OVS_2DCHROMDATA record{};
    record.dwTotalPoints = 7; // set by the caller, never by the allocation
    ASSERT_EQ(S_OK, Tool_Allocate2dChrom(&record, 1000));
    ASSERT_TRUE(IsLiveTaskBlock(record.pdChromInt) && IsLiveTaskBlock(record.pbySaturate));
    EXPECT_TRUE(Values(record.pdChromInt, 1000) == std::vector<double>(1000) &&
                Values(record.pbySaturate, 1000) == std::vector<BYTE>(1000) && record.dwTotalPoints == 7);
    for (int twice = 0; twice < 2; ++twice) {
        EXPECT_EQ(S_OK, Tool_Release2dChrom(&record));
        EXPECT_TRUE(SameBytes(OVS_2DCHROMDATA{}, record)) << "the whole record is cleared";
    }
    for (DWORD count : {101u, 1u}) {
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
}

TEST(ChromCopy, CopiesIntoBlocksOfItsOwnOrLeavesTheDestination) {
    for (DWORD destPoints : {0u, 2000u}) {
        Chrom source(1000), dest(destPoints);
        ASSERT_EQ(S_OK, Tool_Copy2dChrom(&dest.record, &source.record));
        EXPECT_TRUE(SameBytes(dest.record, source.record, offsetof(OVS_2DCHROMDATA, pdChromInt)));
        EXPECT_TRUE(dest->pdChromInt != source->pdChromInt && dest.holds(1000)) << destPoints;
    }
    Chrom source(100), empty(0), dest(10);
    const OVS_2DCHROMDATA before = dest.record;
    OvsTestFailTaskMemory(0);
    EXPECT_EQ((std::vector<HRESULT>{E_OUTOFMEMORY, E_INVALIDARG, E_INVALIDARG, S_OK}),
              (std::vector<HRESULT>{Tool_Copy2dChrom(&dest.record, &source.record),
                                    Tool_Copy2dChrom(&dest.record, &empty.record),
                                    Tool_Copy2dChrom(nullptr, &dest.record),
                                    Tool_Copy2dChrom(&dest.record, &dest.record)}));
    EXPECT_TRUE(SameBytes(before, dest.record) && dest.holds(10));
}

TEST(ChromResize, KeepsThePointsOfTheWindowOrLeavesTheRecord) {
    // from, to, the record's start, interval and end (5000 promises more points than it has); the
    // first point and count kept
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
    OVS_UVSPECDATA spectra[2] = {}, empty{};
    for (DWORD points : {301u, 5u}) { // the source, then the destination
        OVS_UVSPECDATA& s = spectra[points == 5];
        ASSERT_EQ(S_OK, Tool_AllocateUVSpecData(&s, points));
        EXPECT_TRUE(s.dwPoints == 0 && Values(s.pdValues, points) == std::vector<double>(points) &&
                    Values(s.pdwSecond, points) == std::vector<DWORD>(points));
        std::iota(s.pdValues, s.pdValues + points, 0.25);
        std::iota(s.pdwSecond, s.pdwSecond + points, 3ul);
        s = {0x11, points, {0x22, 0x33}, 190.0, 400.0, s.pdValues, s.pdwSecond, {0x44, 0x55}};
    }
    auto& [source, dest] = spectra;
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

class ChromReportTest : public ovs::test::RegistryTest {};

// One test: the report opens once per process.
TEST_F(ChromReportTest, ReportsShrinkingAndFailedArrays) {
    ovs::test::ReportFolder folder;
    ASSERT_TRUE(Tool_InitDbgReportEx(1, OVS_DBGMASK_ERR, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 1, "B", "A"));
    Chrom chrom(100);
    ASSERT_EQ(S_OK, Tool_Allocate2dChrom(&chrom.record, 100)); // same count: no line
    ASSERT_EQ(S_OK, Tool_Allocate2dChrom(&chrom.record, 40));
    for (LONG succeeding : {0, 1}) {
        OvsTestFailTaskMemory(succeeding);
        EXPECT_EQ(E_OUTOFMEMORY, Tool_Allocate2dChrom(&chrom.record, 100));
    }
    OVS_UVSPECDATA spectrum{};
    OvsTestFailTaskMemory(0);
    EXPECT_EQ(E_OUTOFMEMORY, Tool_AllocateUVSpecData(&spectrum, 100)); // writes nothing
    EXPECT_EQ(E_INVALIDARG, Tool_AllocateUVSpecData(&spectrum, 0));    // writes nothing either
    EXPECT_EQ(E_INVALIDARG, Tool_Allocate2dChrom(&chrom.record, 0));
    EXPECT_EQ(E_INVALIDARG, Tool_ResizeChromtoPeak(&chrom.record, -1, 0));
    const std::vector<std::string> lines =
        ovs::test::SplitLines(ovs::test::ReadFileText(folder.reportFile()));
    const std::string expected[] = {
        "Tool_Allocate2dChrom dwTotalPoints shrunken; old one = 100 but new one = 40",
        "Tool_Allocate2dChrom Realloc p2dChrom->pdChromInt failed.",
        "Tool_Allocate2dChrom Realloc p2dChrom->pbySaturate failed.",
        "Tool_Allocate2dChrom : Invalid argument. : [0 != dwPoints] is false.",
        "Tool_ResizeChromtoPeak : Invalid argument. : [0 <= lStartTime && p2dChrom->dwStartTime <= "
        "static_cast<DWORD>(lStartTime) && lStartTime < lEndTime && lEndTime <= p2dChrom->lEndTime] is "
        "false."};
    ASSERT_EQ(6u, lines.size()); // the start banner first
    for (int i = 0; i < 5; ++i) {
        EXPECT_NE(lines[i + 1].find("\t[ERR]\t"), std::string::npos) << lines[i + 1];
        EXPECT_EQ(expected[i], lines[i + 1].substr(lines[i + 1].size() - expected[i].size()));
    }
}

} // namespace
