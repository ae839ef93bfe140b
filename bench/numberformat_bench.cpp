// Cost per value of Tool_GenerateValueStringByDataFormat against printf of the same value.
//
// One million doubles over many magnitudes and both signs are formatted in each row, by the library
// and by snprintf with "%.*f" (kind 1) or "%.*e" (kinds 3 and 4) at the same precision: the
// C++ snprintf of this build, and the Windows runtime's own _snprintf. The sides take turns over
// several rounds; each round gives a ratio and the median ratio is reported.
#include "OVSTools2.h"
#include "bench_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kValueCount = 1000000;
constexpr int kRounds = 5;

struct Row {
    const char* name;
    OVS_DATAFORMAT format;
    bool exponent;
    int precision;
};

using ovs::bench::Median;
using ovs::bench::Time;

std::vector<double> Values() {
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> exponent(-6.0, 9.0);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::vector<double> values(kValueCount);
    for (double& value : values) {
        value = mantissa(random) * std::pow(10.0, std::floor(exponent(random)));
        if (random() % 2 != 0) {
            value = -value;
        }
    }
    return values;
}

} // namespace

int main() {
    const std::vector<double> values = Values();
    const Row rows[] = {
        {"kind 1, 0 decimals", {1, 0, 0, 0}, false, 0}, {"kind 1, 2 decimals", {1, 2, 0, 0}, false, 2},
        {"kind 1, 6 decimals", {1, 6, 0, 0}, false, 6}, {"kind 3, 4 digits", {3, 0, 4, 0}, true, 3},
        {"kind 4, 4 digits", {4, 0, 4, 0}, true, 3},
    };
    std::printf("%-20s %12s %12s %12s %10s %10s\n", "operation", "ours ns", "snprintf ns", "_snprintf ns",
                "ratio", "ratio rt");
    size_t total = 0;
    for (const Row& row : rows) {
        std::vector<double> ours;
        std::vector<double> cpp;
        std::vector<double> runtime;
        std::vector<double> ratios;
        std::vector<double> runtimeRatios;
        for (int round = 0; round < kRounds; ++round) {
            CString text;
            const double a = Time([&] {
                for (double value : values) {
                    Tool_GenerateValueStringByDataFormat(&row.format, 1, value, text);
                    total += static_cast<size_t>(text.GetLength());
                }
            });
            char buffer[512];
            const char* format = row.exponent ? "%.*e" : "%.*f";
            const double b = Time([&] {
                for (double value : values) {
                    total += static_cast<size_t>(
                        std::snprintf(buffer, sizeof(buffer), format, row.precision, value));
                }
            });
            const double c = Time([&] {
                for (double value : values) {
                    total +=
                        static_cast<size_t>(_snprintf(buffer, sizeof(buffer), format, row.precision, value));
                }
            });
            ours.push_back(a);
            cpp.push_back(b);
            runtime.push_back(c);
            ratios.push_back(a / b);
            runtimeRatios.push_back(a / c);
        }
        const double scale = 1e9 / kValueCount;
        std::printf("%-20s %12.1f %12.1f %12.1f %9.2fx %9.2fx\n", row.name, Median(ours) * scale,
                    Median(cpp) * scale, Median(runtime) * scale, Median(ratios), Median(runtimeRatios));
    }
    std::printf("(checksum %zu)\n", total);
    return 0;
}
