#include "test_support.h"

#include "OVSTools2.h"

#include <objbase.h>

#include <cstring>
#include <vector>

namespace {

using ovs::test::ReadFileText;
using ovs::test::RegistryTest;
using ovs::test::ReportFolder;
using ovs::test::SplitLines;

// 72 and 48 bytes in a 32-bit build.
static_assert(sizeof(OVS_2DCHROMDATA) == (sizeof(void*) == 8 ? 80 : 72));
static_assert(sizeof(OVS_UVSPECDATA) == (sizeof(void*) == 8 ? 56 : 48));

// True when the block is a live block of the task allocator.
bool IsLiveTaskBlock(void* block) {
    IMalloc* malloc = nullptr;
    if (FAILED(CoGetMalloc(MEMCTX_TASK, &malloc))) {
        return false;
    }
    const int answer = malloc->DidAlloc(block);
    malloc->Release();
    return answer == 1;
}

// A record whose header bytes are all distinct, with points 0.5, 1.5, ... and flags 0, 1, ...
class Chrom {
public:
    explicit Chrom(DWORD points) {
        BYTE* bytes = reinterpret_cast<BYTE*>(&m_record);
        for (size_t i = 0; i < offsetof(OVS_2DCHROMDATA, pdChromInt); ++i) {
            bytes[i] = static_cast<BYTE>(0x40 + i);
        }
        m_record.dwTotalPoints = points;
        m_record.pdChromInt = nullptr;
        m_record.pbySaturate = nullptr;
        if (points != 0) {
            EXPECT_EQ(S_OK, Tool_Allocate2dChrom(&m_record, points));
            for (DWORD k = 0; k < points; ++k) {
                m_record.pdChromInt[k] = k + 0.5;
                m_record.pbySaturate[k] = static_cast<BYTE>(k);
            }
        }
    }
    ~Chrom() { Tool_Release2dChrom(&m_record); }
    Chrom(const Chrom&) = delete;
    Chrom& operator=(const Chrom&) = delete;
    OVS_2DCHROMDATA* operator->() { return &m_record; }
    OVS_2DCHROMDATA* get() { return &m_record; }

private:
    OVS_2DCHROMDATA m_record{};
};

class TaskMemoryFailure {
public:
    explicit TaskMemoryFailure(LONG succeeding) { OvsTestFailTaskMemory(succeeding); }
    ~TaskMemoryFailure() { OvsTestFailTaskMemory(-1); }
};

void ExpectPoints(const OVS_2DCHROMDATA& record, DWORD count) {
    for (DWORD k = 0; k < count; ++k) {
        ASSERT_EQ(k + 0.5, record.pdChromInt[k]) << k;
        ASSERT_EQ(static_cast<BYTE>(k), record.pbySaturate[k]) << k;
    }
}

TEST(ChromAllocation, TheLiveBlockCheckTellsAFreedBlock) {
    void* block = CoTaskMemAlloc(64);
    EXPECT_TRUE(IsLiveTaskBlock(block));
    CoTaskMemFree(block);
    EXPECT_FALSE(IsLiveTaskBlock(block));
}

TEST(ChromAllocation, FirstAllocationIsClearedAndLeavesTheHeader) {
    OVS_2DCHROMDATA record{};
    record.dwTotalPoints = 7; // set by the caller, never by the allocation
    ASSERT_EQ(S_OK, Tool_Allocate2dChrom(&record, 1000));
    EXPECT_EQ(7u, record.dwTotalPoints);
    ASSERT_NE(nullptr, record.pdChromInt);
    ASSERT_NE(nullptr, record.pbySaturate);
    EXPECT_TRUE(IsLiveTaskBlock(record.pdChromInt));
    for (int k = 0; k < 1000; ++k) {
        ASSERT_EQ(0.0, record.pdChromInt[k]);
        ASSERT_EQ(0, record.pbySaturate[k]);
    }
    Tool_Release2dChrom(&record);
}

TEST(ChromAllocation, RefusesNoRecordAndNoPoints) {
    OVS_2DCHROMDATA record{};
    EXPECT_EQ(E_INVALIDARG, Tool_Allocate2dChrom(nullptr, 10));
    EXPECT_EQ(E_INVALIDARG, Tool_Allocate2dChrom(&record, 0));
    EXPECT_EQ(nullptr, record.pdChromInt);
    OVS_UVSPECDATA spectrum{};
    EXPECT_EQ(E_INVALIDARG, Tool_AllocateUVSpecData(nullptr, 10));
    EXPECT_EQ(E_INVALIDARG, Tool_AllocateUVSpecData(&spectrum, 0));
    EXPECT_EQ(nullptr, spectrum.pdValues);
}

TEST(ChromAllocation, GrowingAndShrinkingKeepTheLeadingPoints) {
    for (DWORD newCount : {100u, 101u, 5000u, 1u}) {
        SCOPED_TRACE(newCount);
        Chrom chrom(100);
        ASSERT_EQ(S_OK, Tool_Allocate2dChrom(chrom.get(), newCount));
        ExpectPoints(*chrom.get(), newCount < 100 ? newCount : 100);
        chrom->pdChromInt[newCount - 1] = -1.0; // the whole new size is writable
        chrom->pbySaturate[newCount - 1] = 0xFF;
    }
}

TEST(ChromAllocation, AFlagArrayMissingBesideIntensitiesIsAllocated) {
    Chrom chrom(10);
    CoTaskMemFree(chrom->pbySaturate);
    chrom->pbySaturate = nullptr;
    ASSERT_EQ(S_OK, Tool_Allocate2dChrom(chrom.get(), 20));
    ASSERT_NE(nullptr, chrom->pbySaturate);
    EXPECT_TRUE(IsLiveTaskBlock(chrom->pbySaturate));
    EXPECT_EQ(9.5, chrom->pdChromInt[9]);
}

TEST(ChromAllocation, FailedAllocationsLeaveNoReleasedBlockInTheRecord) {
    {
        SCOPED_TRACE("first allocation, intensities");
        OVS_2DCHROMDATA record{};
        TaskMemoryFailure failure(0);
        EXPECT_EQ(E_OUTOFMEMORY, Tool_Allocate2dChrom(&record, 10));
        EXPECT_EQ(nullptr, record.pdChromInt);
        EXPECT_EQ(nullptr, record.pbySaturate);
    }
    {
        SCOPED_TRACE("first allocation, flags");
        OVS_2DCHROMDATA record{};
        TaskMemoryFailure failure(1);
        EXPECT_EQ(E_OUTOFMEMORY, Tool_Allocate2dChrom(&record, 10));
        EXPECT_EQ(nullptr, record.pdChromInt);
        EXPECT_EQ(nullptr, record.pbySaturate);
    }
    {
        SCOPED_TRACE("growth, intensities");
        Chrom chrom(50);
        const OVS_2DCHROMDATA before = *chrom.get();
        TaskMemoryFailure failure(0);
        EXPECT_EQ(E_OUTOFMEMORY, Tool_Allocate2dChrom(chrom.get(), 1 << 20));
        EXPECT_EQ(0, std::memcmp(&before, chrom.get(), sizeof before));
        ExpectPoints(*chrom.get(), 50);
    }
    {
        SCOPED_TRACE("growth, flags");
        Chrom chrom(50);
        BYTE* oldFlags = chrom->pbySaturate;
        TaskMemoryFailure failure(1);
        EXPECT_EQ(E_OUTOFMEMORY, Tool_Allocate2dChrom(chrom.get(), 1 << 20));
        EXPECT_TRUE(IsLiveTaskBlock(chrom->pdChromInt));
        EXPECT_EQ(oldFlags, chrom->pbySaturate);
        EXPECT_TRUE(IsLiveTaskBlock(chrom->pbySaturate));
        ExpectPoints(*chrom.get(), 50);
        chrom->pdChromInt[(1 << 20) - 1] = 1.0; // the grown intensity array is kept
    }
}

TEST(ChromCopy, CopiesTheHeaderAndBothArraysIntoBlocksOfItsOwn) {
    for (DWORD destPoints : {0u, 10u, 500u, 2000u}) {
        SCOPED_TRACE(destPoints);
        Chrom source(1000);
        source->dMaxIntensity = 999.5;
        source->dMinIntensity = 0.5;
        Chrom dest(destPoints);
        ASSERT_EQ(S_OK, Tool_Copy2dChrom(dest.get(), source.get()));
        EXPECT_EQ(0, std::memcmp(dest.get(), source.get(), offsetof(OVS_2DCHROMDATA, pdChromInt)));
        EXPECT_NE(source->pdChromInt, dest->pdChromInt);
        EXPECT_NE(source->pbySaturate, dest->pbySaturate);
        ExpectPoints(*dest.get(), 1000);
    }
}

TEST(ChromCopy, RefusedCopiesLeaveTheDestination) {
    Chrom empty(0);
    Chrom dest(10);
    const OVS_2DCHROMDATA before = *dest.get();
    EXPECT_EQ(E_INVALIDARG, Tool_Copy2dChrom(dest.get(), empty.get()));
    EXPECT_EQ(E_INVALIDARG, Tool_Copy2dChrom(nullptr, dest.get()));
    EXPECT_EQ(E_INVALIDARG, Tool_Copy2dChrom(dest.get(), nullptr));
    Chrom source(100);
    {
        TaskMemoryFailure failure(0);
        EXPECT_EQ(E_OUTOFMEMORY, Tool_Copy2dChrom(dest.get(), source.get()));
    }
    EXPECT_EQ(0, std::memcmp(&before, dest.get(), sizeof before));
    EXPECT_EQ(S_OK, Tool_Copy2dChrom(dest.get(), dest.get()));
    ExpectPoints(*dest.get(), 10);
}

TEST(ChromCopy, ASourceWithoutFlagsCopiesAsUnsaturated) {
    Chrom source(10);
    CoTaskMemFree(source->pbySaturate);
    source->pbySaturate = nullptr;
    Chrom dest(10);
    ASSERT_EQ(S_OK, Tool_Copy2dChrom(dest.get(), source.get()));
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(0, dest->pbySaturate[k]);
    }
}

TEST(ChromRelease, ClearsTheWholeRecordAndIsHarmlessTwice) {
    Chrom chrom(10);
    EXPECT_EQ(S_OK, Tool_Release2dChrom(chrom.get()));
    const OVS_2DCHROMDATA zero{};
    EXPECT_EQ(0, std::memcmp(&zero, chrom.get(), sizeof zero));
    EXPECT_EQ(S_OK, Tool_Release2dChrom(chrom.get()));
    EXPECT_EQ(0, std::memcmp(&zero, chrom.get(), sizeof zero));
}

// Points every 100 time units from 0: point k has the value k + 0.5.
class ResizeTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_chrom->dwSamplingInterval = 100;
        m_chrom->dwStartTime = 0;
        m_chrom->lEndTime = 1900;
    }
    Chrom m_chrom{20};
};

TEST_F(ResizeTest, KeepsThePointsOfTheWindow) {
    struct Case {
        LONG from, to;
        DWORD first, count;
    };
    for (const Case c : {Case{250, 1000, 2, 9}, Case{0, 1900, 0, 20}, Case{0, 100, 0, 2},
                         Case{1800, 1900, 18, 2}, Case{1850, 1900, 18, 2}, Case{1, 99, 0, 1}}) {
        SCOPED_TRACE(testing::Message() << c.from << ".." << c.to);
        Chrom chrom(20);
        chrom->dwSamplingInterval = 100;
        chrom->lEndTime = 1900;
        chrom->dwStartTime = 0;
        BYTE* flags = chrom->pbySaturate;
        ASSERT_EQ(S_OK, Tool_ResizeChromtoPeak(chrom.get(), c.from, c.to));
        EXPECT_EQ(c.count, chrom->dwTotalPoints);
        EXPECT_EQ(static_cast<DWORD>(c.from), chrom->dwStartTime);
        EXPECT_EQ(c.to, chrom->lEndTime);
        EXPECT_EQ(0u, chrom->dwWindowFirst);
        EXPECT_EQ(c.count, chrom->dwWindowPoints);
        EXPECT_EQ(flags, chrom->pbySaturate);
        for (DWORD k = 0; k < c.count; ++k) {
            EXPECT_EQ(c.first + k + 0.5, chrom->pdChromInt[k]);
        }
        EXPECT_EQ(c.first + c.count - 1 + 0.5, chrom->dMaxIntensity);
        EXPECT_EQ(c.first + 0.5, chrom->dMinIntensity);
    }
}

TEST_F(ResizeTest, ExtremesStartFromTheSmallestPositiveAndLargestValues) {
    for (DWORD k = 0; k < 20; ++k) {
        m_chrom->pdChromInt[k] = -1.0 - k;
    }
    ASSERT_EQ(S_OK, Tool_ResizeChromtoPeak(m_chrom.get(), 0, 500));
    EXPECT_EQ(1.7e-308, m_chrom->dMaxIntensity);
    EXPECT_EQ(-6.0, m_chrom->dMinIntensity);
}

TEST_F(ResizeTest, RefusesWindowsOutsideTheRecord) {
    struct Case {
        LONG from, to;
    };
    m_chrom->dwStartTime = 100;
    for (const Case c :
         {Case{50, 500}, Case{-1, 500}, Case{100, -5}, Case{100, 2000}, Case{500, 500}, Case{600, 500}}) {
        SCOPED_TRACE(testing::Message() << c.from << ".." << c.to);
        const OVS_2DCHROMDATA before = *m_chrom.get();
        EXPECT_EQ(E_INVALIDARG, Tool_ResizeChromtoPeak(m_chrom.get(), c.from, c.to));
        EXPECT_EQ(0, std::memcmp(&before, m_chrom.get(), sizeof before));
    }
    // An end time that promises more points than the record has.
    m_chrom->lEndTime = 5000;
    EXPECT_EQ(E_INVALIDARG, Tool_ResizeChromtoPeak(m_chrom.get(), 200, 4000));
    EXPECT_EQ(E_INVALIDARG, Tool_ResizeChromtoPeak(nullptr, 200, 400));
}

TEST_F(ResizeTest, RefusesAZeroIntervalAndAMissingArray) {
    m_chrom->dwSamplingInterval = 0;
    EXPECT_EQ(E_INVALIDARG, Tool_ResizeChromtoPeak(m_chrom.get(), 200, 400));
    OVS_2DCHROMDATA empty{};
    empty.dwTotalPoints = 20;
    empty.dwSamplingInterval = 100;
    empty.lEndTime = 1900;
    EXPECT_EQ(E_INVALIDARG, Tool_ResizeChromtoPeak(&empty, 200, 400));
}

TEST_F(ResizeTest, AFailedAllocationLeavesTheRecordAsItWas) {
    const OVS_2DCHROMDATA before = *m_chrom.get();
    TaskMemoryFailure failure(0);
    EXPECT_EQ(E_OUTOFMEMORY, Tool_ResizeChromtoPeak(m_chrom.get(), 200, 400));
    EXPECT_EQ(0, std::memcmp(&before, m_chrom.get(), sizeof before));
    EXPECT_TRUE(IsLiveTaskBlock(m_chrom->pdChromInt));
}

// A spectrum whose scalar fields are all set and whose arrays count up.
void FillSpectrum(OVS_UVSPECDATA& spectrum, DWORD points) {
    ASSERT_EQ(S_OK, Tool_AllocateUVSpecData(&spectrum, points));
    spectrum.dwHeader = 0x11;
    spectrum.dwPoints = points;
    spectrum.adwHeader[0] = 0x22;
    spectrum.adwHeader[1] = 0x33;
    spectrum.dFirst = 190.0;
    spectrum.dSecond = 400.0;
    spectrum.adwTrailer[0] = 0x44;
    spectrum.adwTrailer[1] = 0x55;
    for (DWORD k = 0; k < points; ++k) {
        spectrum.pdValues[k] = k * 0.25;
        spectrum.pdwSecond[k] = k * 3;
    }
}

TEST(UVSpectrum, AllocatesCopiesAndReleases) {
    OVS_UVSPECDATA fresh{};
    ASSERT_EQ(S_OK, Tool_AllocateUVSpecData(&fresh, 64));
    for (int k = 0; k < 64; ++k) {
        ASSERT_EQ(0.0, fresh.pdValues[k]);
        ASSERT_EQ(0u, fresh.pdwSecond[k]);
    }
    EXPECT_EQ(0u, fresh.dwPoints);

    OVS_UVSPECDATA source{};
    FillSpectrum(source, 301);
    ASSERT_EQ(S_OK, Tool_CopyUVSpecData(&fresh, &source));
    EXPECT_EQ(0, std::memcmp(&source, &fresh, offsetof(OVS_UVSPECDATA, pdValues)));
    EXPECT_EQ(0, std::memcmp(source.adwTrailer, fresh.adwTrailer, sizeof source.adwTrailer));
    EXPECT_NE(source.pdValues, fresh.pdValues);
    EXPECT_EQ(0, std::memcmp(source.pdValues, fresh.pdValues, 301 * sizeof(double)));
    EXPECT_EQ(0, std::memcmp(source.pdwSecond, fresh.pdwSecond, 301 * sizeof(DWORD)));

    EXPECT_EQ(S_OK, Tool_ReleaseUVSpecData(&fresh));
    const OVS_UVSPECDATA zero{};
    EXPECT_EQ(0, std::memcmp(&zero, &fresh, sizeof zero));
    EXPECT_EQ(S_OK, Tool_ReleaseUVSpecData(&fresh));
    Tool_ReleaseUVSpecData(&source);
}

TEST(UVSpectrum, FailuresReturnAndLeaveTheDestination) {
    OVS_UVSPECDATA source{};
    FillSpectrum(source, 10);
    OVS_UVSPECDATA dest{};
    FillSpectrum(dest, 5);
    const OVS_UVSPECDATA before = dest;
    for (LONG succeeding : {0, 1}) {
        TaskMemoryFailure failure(succeeding);
        EXPECT_EQ(E_OUTOFMEMORY, Tool_CopyUVSpecData(&dest, &source));
        EXPECT_EQ(before.dwPoints, dest.dwPoints);
        EXPECT_TRUE(IsLiveTaskBlock(dest.pdValues));
        EXPECT_TRUE(IsLiveTaskBlock(dest.pdwSecond));
    }
    OVS_UVSPECDATA empty{};
    EXPECT_EQ(E_INVALIDARG, Tool_CopyUVSpecData(&dest, &empty));
    EXPECT_EQ(E_INVALIDARG, Tool_CopyUVSpecData(nullptr, &source));
    Tool_ReleaseUVSpecData(&dest);
    Tool_ReleaseUVSpecData(&source);
}

TEST(BlockAllocator, ClearsEveryNewByte) {
    BYTE* block = static_cast<BYTE*>(Tool_AllocateMemory(8));
    ASSERT_NE(nullptr, block);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(0, block[i]);
        block[i] = 0xAB;
    }
    block = static_cast<BYTE*>(Tool_ReallocMemory(block, 16));
    ASSERT_NE(nullptr, block);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(i < 8 ? 0xAB : 0, block[i]) << i;
    }
    block = static_cast<BYTE*>(Tool_ReallocMemory(block, 4));
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0xAB, block[3]);
    EXPECT_EQ(nullptr, Tool_ReleaseMemory(block));
    EXPECT_EQ(nullptr, Tool_AllocateMemory(0));
    EXPECT_EQ(nullptr, Tool_ReallocMemory(nullptr, 0));
}

TEST(BlockAllocator, AFailedGrowthKeepsTheBlock) {
    BYTE* block = static_cast<BYTE*>(Tool_AllocateMemory(32));
    ASSERT_NE(nullptr, block);
    std::memset(block, 0x5A, 32);
    {
        TaskMemoryFailure failure(0);
        EXPECT_EQ(nullptr, Tool_ReallocMemory(block, 64));
    }
    EXPECT_TRUE(IsLiveTaskBlock(block));
    EXPECT_EQ(0x5A, block[31]);
    {
        TaskMemoryFailure failure(0);
        EXPECT_EQ(nullptr, Tool_AllocateMemory(64));
    }
    // A block of the task allocator may be freed by any module.
    CoTaskMemFree(block);
}

TEST(SwapMemory, ExchangesExactlyTheGivenBytes) {
    struct Case {
        short count;
        int swapped;
    };
    for (const Case c : {Case{5, 5}, Case{1, 1}, Case{0, 0}, Case{-3, 0}, Case{32767, 32767}}) {
        SCOPED_TRACE(c.count);
        std::vector<BYTE> a(32768, 0x11), b(32768, 0x22);
        a[0] = 0x01;
        b[0] = 0x02;
        Tool_swapmem(a.data(), b.data(), c.count);
        EXPECT_EQ(c.swapped > 0 ? 0x02 : 0x01, a[0]);
        EXPECT_EQ(c.swapped > 0 ? 0x01 : 0x02, b[0]);
        for (int i = 1; i < 32768; ++i) {
            ASSERT_EQ(i < c.swapped ? 0x22 : 0x11, a[i]) << i;
            ASSERT_EQ(i < c.swapped ? 0x11 : 0x22, b[i]) << i;
        }
    }
}

class ChromReportTest : public RegistryTest {};

// One test: the report opens once per process.
TEST_F(ChromReportTest, ReportsShrinkingAndFailedArrays) {
    ReportFolder folder;
    ASSERT_TRUE(Tool_InitDbgReportEx(1, OVS_DBGMASK_ERR, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 1, "B", "A"));
    Chrom chrom(100);
    chrom->dwTotalPoints = 100;
    ASSERT_EQ(S_OK, Tool_Allocate2dChrom(chrom.get(), 100)); // same count: no line
    ASSERT_EQ(S_OK, Tool_Allocate2dChrom(chrom.get(), 40));
    {
        TaskMemoryFailure failure(0);
        EXPECT_EQ(E_OUTOFMEMORY, Tool_Allocate2dChrom(chrom.get(), 100));
    }
    {
        TaskMemoryFailure failure(1);
        EXPECT_EQ(E_OUTOFMEMORY, Tool_Allocate2dChrom(chrom.get(), 100));
    }
    OVS_UVSPECDATA spectrum{};
    {
        TaskMemoryFailure failure(0);
        EXPECT_EQ(E_OUTOFMEMORY, Tool_AllocateUVSpecData(&spectrum, 100)); // writes nothing
    }
    EXPECT_EQ(E_INVALIDARG, Tool_AllocateUVSpecData(&spectrum, 0)); // writes nothing either
    EXPECT_EQ(E_INVALIDARG, Tool_Allocate2dChrom(chrom.get(), 0));
    EXPECT_EQ(E_INVALIDARG, Tool_ResizeChromtoPeak(chrom.get(), -1, 0));
    const std::vector<std::string> lines = SplitLines(ReadFileText(folder.reportFile()));
    ASSERT_EQ(6u, lines.size()); // the start banner first
    const char* expected[] = {
        "Tool_Allocate2dChrom dwTotalPoints shrunken; old one = 100 but new one = 40",
        "Tool_Allocate2dChrom Realloc p2dChrom->pdChromInt failed.",
        "Tool_Allocate2dChrom Realloc p2dChrom->pbySaturate failed.",
        "Tool_Allocate2dChrom : Invalid argument. : [0 != dwPoints] is false.",
        "Tool_ResizeChromtoPeak : Invalid argument. : [0 <= lStartTime && p2dChrom->dwStartTime <= "
        "static_cast<DWORD>(lStartTime) && lStartTime < lEndTime && lEndTime <= p2dChrom->lEndTime] is "
        "false."};
    for (int i = 0; i < 5; ++i) {
        const std::string& line = lines[i + 1];
        EXPECT_NE(line.find("\t[ERR]\t"), std::string::npos) << line;
        const std::string text = expected[i];
        EXPECT_EQ(text, line.substr(line.size() - text.size())) << line;
    }
}

} // namespace
