// Mean, standard deviation and relative standard deviation, and their texts.
#include "ovstoolseparators.h"
#include "ovstoolstatistics.h"
#include "test_support.h"

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace {

enum Kind { kMean, kSampleSd, kPopulationSd, kSampleRsd, kPopulationRsd };

// The value and validity of one statistic; the outputs start as -1 so that every write shows.
std::pair<double, BOOL> Statistic(Kind kind, const std::vector<double>& values) {
    std::pair<double, BOOL> r{-1.0, -1};
    const int n = static_cast<int>(values.size());
    const bool population = kind == kPopulationSd || kind == kPopulationRsd;
    if (kind == kMean) {
        Tool_CalcAverage(r.first, values.data(), n, r.second);
    } else if (kind == kSampleSd || kind == kPopulationSd) {
        Tool_CalcStandardDiviation(r.first, values.data(), n, r.second, population);
    } else {
        Tool_CalcRelativeStandardDiviation(r.first, values.data(), n, r.second, population);
    }
    return r;
}

TEST(Statistics, ValuesAndValidityOfEveryForm) {
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
    // A NaN among equal values counts as different.
    const auto population = Statistic(kPopulationSd, {2.0, std::numeric_limits<double>::quiet_NaN(), 2.0});
    EXPECT_TRUE(population.second && std::isnan(population.first) && !Statistic(kMean, {}).second);
}

TEST(Statistics, TextsOfSevenDigitsGrouped) {
    if (Tool_GetStringDecimalPoint() != "." || Tool_GetStringThousandsSep() != ",") {
        GTEST_SKIP() << "the texts use a period decimal point and a comma separator";
    }
    CString sd, rsd, invalid = "stale", zero;
    const std::vector<double> values = {0.0, 2469.13578}; // population sd 1234.56789
    const double one = 3.0;
    Tool_CalcStandardDiviationString(sd, values.data(), 2, TRUE);
    Tool_CalcRelativeStandardDiviationString(rsd, values.data(), 2, TRUE);
    Tool_CalcStandardDiviationString(invalid, &one, 1, FALSE);
    Tool_CalcStandardDiviationString(zero, &one, 1, TRUE);
    EXPECT_EQ(
        (std::vector<std::string>{"1,234.568", "100.0000", "", "0.0000000"}),
        (std::vector<std::string>{sd.GetString(), rsd.GetString(), invalid.GetString(), zero.GetString()}));
}

} // namespace
