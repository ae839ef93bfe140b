// Mean, standard deviation and relative standard deviation, and their texts.
#include "ovstoolseparators.h"
#include "ovstoolstatistics.h"
#include "test_support.h"

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

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

// (Q - A^2/n)/(n-1) in doubles as written, not the two-pass value 1.
double OnePassSampleSd(const std::vector<double>& values) {
    double sum = 0.0, squares = 0.0;
    for (double v : values) {
        sum += v;
        squares += v * v;
    }
    const double variance = (squares - sum * sum / values.size()) / (values.size() - 1);
    return variance <= 0.0 ? 0.0 : std::sqrt(variance);
}

TEST(Statistics, ValuesAndValidityOfEveryForm) {
    const std::vector<double> offset = {1e8 + 1, 1e8 + 2, 1e8 + 3};
    // Added in order: 1e16 + 1 + 1 loses both ones, 1 + 1 + 1e16 keeps them. A mean of exactly 0 gives an
    // RSD of 0; invalid parts give 0, not valid.
    const std::tuple<Kind, std::vector<double>, double, BOOL> cases[] = {
        {kMean, {2.5}, 2.5, TRUE},
        {kMean, {1.0, 2.0}, 1.5, TRUE},
        {kMean, {1e16, 1.0, 1.0}, 1e16 / 3, TRUE},
        {kMean, {1.0, 1.0, 1e16}, (2.0 + 1e16) / 3, TRUE},
        {kSampleSd, {1, 2, 3, 4}, std::sqrt(5.0 / 3.0), TRUE},
        {kPopulationSd, {1, 2, 3, 4}, std::sqrt(1.25), TRUE},
        {kSampleSd, {}, 0.0, FALSE},
        {kPopulationSd, {}, 0.0, FALSE},
        {kSampleSd, {7.0}, 0.0, FALSE},
        {kPopulationSd, {7.0}, 0.0, TRUE},
        {kSampleSd, {1.0, 3.0}, std::sqrt(2.0), TRUE},
        {kPopulationSd, {1.0, 3.0}, 1.0, TRUE},
        {kSampleSd, {0.1, 0.1, 0.1, 0.1, 0.1}, 0.0, TRUE},
        {kPopulationSd, {0.1, 0.1, 0.1, 0.1, 0.1}, 0.0, TRUE},
        {kSampleSd, offset, OnePassSampleSd(offset), TRUE},
        {kSampleRsd, {1, 2, 3, 4}, std::sqrt(5.0 / 3.0) * 100.0 / 2.5, TRUE},
        {kPopulationRsd, {-1, -2, -3, -4}, std::sqrt(1.25) * 100.0 / -2.5, TRUE},
        {kSampleRsd, {-1.0, 1.0}, 0.0, TRUE},
        {kSampleRsd, {5.0}, 0.0, FALSE},
        {kPopulationRsd, {}, 0.0, FALSE},
        {kPopulationRsd, {5.0}, 0.0, TRUE}};
    for (const auto& [kind, values, value, valid] : cases) {
        const auto [actual, actualValid] = Statistic(kind, values);
        EXPECT_EQ(value, actual) << kind << " " << testing::PrintToString(values);
        EXPECT_EQ(valid, actualValid) << kind << " " << testing::PrintToString(values);
    }
    EXPECT_FALSE(Statistic(kMean, {}).second);
    // A NaN among equal values counts as different; NaN is not equal to itself.
    const auto sample = Statistic(kSampleSd, {2.0, 2.0, kNaN});
    EXPECT_TRUE(sample.second && (std::isnan(sample.first) || sample.first == 0.0)) << sample.first;
    for (const auto& values : {std::vector<double>{2.0, kNaN, 2.0}, std::vector<double>{kNaN, kNaN}}) {
        const auto population = Statistic(kPopulationSd, values);
        EXPECT_TRUE(population.second && std::isnan(population.first)) << testing::PrintToString(values);
    }
}

TEST(Statistics, TextsOfSevenDigitsGrouped) {
    if (Tool_GetStringDecimalPoint() != "." || Tool_GetStringThousandsSep() != ",") {
        GTEST_SKIP() << "the texts use a period decimal point and a comma separator";
    }
    CString text = "unchanged";
    const std::vector<double> values = {0.0, 2469.13578}; // population sd 1234.56789
    Tool_CalcStandardDiviationString(text, values.data(), 2, TRUE);
    EXPECT_STREQ("1,234.568", text.GetString());
    Tool_CalcRelativeStandardDiviationString(text, values.data(), 2, TRUE);
    EXPECT_STREQ("100.0000", text.GetString());
    const double one = 3.0;
    Tool_CalcStandardDiviationString(text, &one, 1, FALSE);
    EXPECT_STREQ("", text.GetString()) << "invalid: empty";
    Tool_CalcStandardDiviationString(text, &one, 1, TRUE);
    EXPECT_STREQ("0.0000000", text.GetString());
}

} // namespace
