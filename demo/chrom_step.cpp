// A synthetic chromatogram: three Gaussian peaks on a sloping baseline. The baseline is compensated,
// the intensity at each peak top is read, the peak table gets its shares and the trace is thinned
// to a short time table that is drawn as bars.
#include "demo_steps.h"

#include "OVSTools2.h"

#include <objbase.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace demo {

namespace {

constexpr DWORD kIntervalMs = 100;
constexpr DWORD kPoints = 9001; // 15 minutes
constexpr DWORD kDrawnPoints = 26;
constexpr int kBarWidth = 50;

struct Peak {
    LONG topMs;
    double height;
    double widthMs; // standard deviation
    double conc;
};

const Peak kPeaks[] = {
    {150000, 120.0, 4000.0, 1.5},
    {420000, 260.0, 6000.0, 4.0},
    {690000, 70.0, 5000.0, 0.75},
};

double BaselineAt(double timeMs) {
    return 15.0 + 40.0 * timeMs / 900000.0;
}

void BuildChromatogram(OVS_2DCHROMDATA& chrom) {
    Tool_Allocate2dChrom(&chrom, kPoints);
    chrom.dwTotalPoints = kPoints;
    chrom.dwSamplingInterval = kIntervalMs;
    chrom.dwStartTime = 0;
    chrom.lEndTime = static_cast<LONG>((kPoints - 1) * kIntervalMs);
    for (DWORD k = 0; k < kPoints; ++k) {
        const double t = static_cast<double>(k * kIntervalMs);
        double y = BaselineAt(t);
        for (const Peak& peak : kPeaks) {
            const double d = (t - peak.topMs) / peak.widthMs;
            y += peak.height * std::exp(-0.5 * d * d);
        }
        chrom.pdChromInt[k] = y;
    }
}

void DrawThinned(const OVS_2DCHROMDATA& chrom) {
    double* times = nullptr;
    DWORD count = 0;
    if (FAILED(Tool_GetMinMaxPointTimeTable(chrom, &times, kDrawnPoints, &count))) {
        std::printf("  (no time table)\n");
        return;
    }
    std::printf("thinned for drawing: %lu of %lu points (the largest and smallest of each group kept)\n",
                static_cast<unsigned long>(count), static_cast<unsigned long>(chrom.dwTotalPoints));
    for (DWORD i = 0; i < count; ++i) {
        const DWORD k = static_cast<DWORD>(times[i]) / chrom.dwSamplingInterval;
        const double y = chrom.pdChromInt[k];
        const int bar = static_cast<int>(y / chrom.dMaxIntensity * kBarWidth + 0.5);
        std::printf("  %7.1f s %8.2f |%s\n", times[i] / 1000.0, y,
                    std::string(bar > 0 ? bar : 0, '#').c_str());
    }
    CoTaskMemFree(times);
}

} // namespace

void RunChromStep() {
    Heading("Chromatogram: baseline compensation, peak tops, shares and a thinned trace");
    OVS_2DCHROMDATA raw{};
    BuildChromatogram(raw);
    OVS_2DCHROMDATA chrom{};
    Tool_Copy2dChrom(&chrom, &raw);
    Tool_BaselineComp(&chrom);
    std::printf("%lu points every %lu ms; baseline from %.2f to %.2f removed, maximum now %.2f\n",
                static_cast<unsigned long>(kPoints), static_cast<unsigned long>(kIntervalMs),
                raw.pdChromInt[0], raw.pdChromInt[kPoints - 1], chrom.dMaxIntensity);

    OVS_LCPEAK table[3] = {};
    for (int i = 0; i < 3; ++i) {
        table[i].lRetentionTime = kPeaks[i].topMs;
        table[i].lStartTime = kPeaks[i].topMs - static_cast<LONG>(4 * kPeaks[i].widthMs);
        table[i].lEndTime = kPeaks[i].topMs + static_cast<LONG>(4 * kPeaks[i].widthMs);
        table[i].dConc = kPeaks[i].conc;
    }
    std::printf("  peak  R.Time   raw top  compensated top  (true height)  Conc.  share %%\n");
    for (short i = 0; i < 3; ++i) {
        double share = 0.0;
        Tool_GetConcPctLCPeak(table, 3, static_cast<short>(i + 1), &share);
        // The intensity helper adds 0.5 so that truncating it rounds; it is taken off for display.
        std::printf("  %4d  %6.3f  %8.2f  %15.2f  %13.2f  %5.2f  %7.2f\n", i + 1, kPeaks[i].topMs / 60000.0,
                    Tool_GetIntensity(&raw, kPeaks[i].topMs, 0) - 0.5,
                    Tool_GetIntensity(&chrom, kPeaks[i].topMs, 3) - 0.5, kPeaks[i].height, kPeaks[i].conc,
                    share);
    }
    WORD nearest = 0;
    if (SUCCEEDED(Tool_GetPeakforRT(0, 430000, 3, table, nullptr, &nearest))) {
        std::printf("the peak nearest 7.167 min is peak %u\n", nearest);
    }
    DrawThinned(chrom);
    Tool_Release2dChrom(&chrom);
    Tool_Release2dChrom(&raw);
}

} // namespace demo
