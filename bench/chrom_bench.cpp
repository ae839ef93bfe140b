// Bandwidth of the whole-chromatogram operations against memcpy of the same arrays.
//
// A 10-million-point chromatogram (Gaussian peaks on a sloping, noisy baseline) goes through
// Tool_Copy2dChrom, Tool_CalcRatioChrom, Tool_BaselineComp and Tool_GetMinMaxPointTimeTable (to 2000
// points). Each operation is timed against memcpy of the arrays it reads or writes (the intensity
// and flag arrays for the copy, both intensity arrays for the ratio, the intensity array for the
// others), in alternating rounds; the inputs are restored outside the timed part. The figure is
// the median ratio of the two bandwidths over the same bytes (100 % = as fast as memcpy).
#include "OVSTools2.h"
#include "bench_support.h"

#include <objbase.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr DWORD kPoints = 10000000;
constexpr DWORD kThinnedPoints = 2000;
constexpr int kRounds = 7;

using ovs::bench::Median;
using ovs::bench::Time;

class Chrom {
public:
    explicit Chrom(unsigned seed) {
        Tool_Allocate2dChrom(&m_record, kPoints);
        m_record.dwTotalPoints = kPoints;
        m_record.dwSamplingInterval = 10;
        m_record.lEndTime = static_cast<LONG>(10 * (kPoints - 1));
        std::mt19937 random(seed);
        std::normal_distribution<double> noise(0.0, 0.2);
        for (DWORD k = 0; k < kPoints; ++k) {
            const double phase = std::fmod(k, 50000.0) - 25000.0;
            m_record.pdChromInt[k] = 5.0 + k * 1e-6 + 80.0 * std::exp(-phase * phase / 2e6) + noise(random);
        }
    }
    ~Chrom() { Tool_Release2dChrom(&m_record); }
    Chrom(const Chrom&) = delete;
    Chrom& operator=(const Chrom&) = delete;
    OVS_2DCHROMDATA* get() { return &m_record; }
    SIZE_T intensityBytes() const { return SIZE_T{kPoints} * sizeof(double); }

private:
    OVS_2DCHROMDATA m_record{};
};

struct Row {
    const char* name;
    SIZE_T bytes;
    std::function<void()> restore;
    std::function<void()> operation;
    std::function<void()> baseline;
};

} // namespace

int main() {
    Chrom a(1);
    Chrom b(2);
    Chrom pristineA(1);
    Chrom pristineB(2);
    Chrom copy(3);
    const SIZE_T doubles = a.intensityBytes();
    std::vector<double> scratch(2 * SIZE_T{kPoints});
    std::vector<BYTE> scratchFlags(kPoints);
    double checksum = 0.0;

    auto restoreA = [&] { std::memcpy(a.get()->pdChromInt, pristineA.get()->pdChromInt, doubles); };
    auto restoreBoth = [&] {
        restoreA();
        std::memcpy(b.get()->pdChromInt, pristineB.get()->pdChromInt, doubles);
    };
    auto copyOne = [&] { std::memcpy(scratch.data(), a.get()->pdChromInt, doubles); };
    const Row rows[] = {
        {"Tool_Copy2dChrom", doubles + kPoints, [] {}, [&] { Tool_Copy2dChrom(copy.get(), a.get()); },
         [&] {
             std::memcpy(scratch.data(), a.get()->pdChromInt, doubles);
             std::memcpy(scratchFlags.data(), a.get()->pbySaturate, kPoints);
         }},
        {"Tool_CalcRatioChrom", 2 * doubles, restoreBoth, [&] { Tool_CalcRatioChrom(a.get(), b.get(), 1.0); },
         [&] {
             std::memcpy(scratch.data(), a.get()->pdChromInt, doubles);
             std::memcpy(scratch.data() + kPoints, b.get()->pdChromInt, doubles);
         }},
        {"Tool_BaselineComp", doubles, restoreA, [&] { Tool_BaselineComp(a.get()); }, copyOne},
        {"Tool_GetMinMaxPointTimeTable", doubles, restoreA,
         [&] {
             double* times = nullptr;
             DWORD count = 0;
             Tool_GetMinMaxPointTimeTable(*a.get(), &times, kThinnedPoints, &count);
             checksum += count;
             CoTaskMemFree(times);
         },
         copyOne},
    };
    std::printf("%-30s %10s %12s %12s %10s\n", "operation (10M points)", "MB", "ours ms", "memcpy ms",
                "of memcpy");
    for (const Row& row : rows) {
        std::vector<double> ours;
        std::vector<double> baseline;
        std::vector<double> ratios;
        for (int round = 0; round < kRounds; ++round) {
            row.restore();
            const double o = Time(row.operation);
            const double m = Time(row.baseline);
            checksum += a.get()->pdChromInt[round] + scratch[round];
            ours.push_back(o);
            baseline.push_back(m);
            ratios.push_back(m / o);
        }
        std::printf("%-30s %10.1f %12.2f %12.2f %9.0f%%\n", row.name, row.bytes / 1e6, Median(ours) * 1e3,
                    Median(baseline) * 1e3, Median(ratios) * 100.0);
    }
    std::printf("(checksum %g)\n", checksum);
    return 0;
}
