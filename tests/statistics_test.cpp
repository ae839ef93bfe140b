// Mean, standard deviation and relative standard deviation, and their texts.
#include "ovstoolseparators.h"
#include "ovstoolstatistics.h"
#include "test_support.h"

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Result {
    double value;
    BOOL valid;
};

Result Mean(const std::vector<double>& values) {
    Result r{-1.0, -1};
    Tool_CalcAverage(r.value, values.data(), static_cast<int>(values.size()), r.valid);
    return r;
}

Result Sd(const std::vector<double>& values, bool population) {
    Result r{-1.0, -1};
    Tool_CalcStandardDiviation(r.value, values.data(), static_cast<int>(values.size()), r.valid, population);
    return r;
}

Result Rsd(const std::vector<double>& values, bool population) {
    Result r{-1.0, -1};
    Tool_CalcRelativeStandardDiviation(r.value, values.data(), static_cast<int>(values.size()), r.valid,
                                       population);
    return r;
}

TEST(Average, SumInOrderDividedByCount) {
    const Result none = Mean({});
    EXPECT_FALSE(none.valid);
    const Result one = Mean({2.5});
    EXPECT_TRUE(one.valid);
    EXPECT_EQ(2.5, one.value);
    const Result two = Mean({1.0, 2.0});
    EXPECT_TRUE(two.valid);
    EXPECT_EQ(1.5, two.value);
    // Added in order: 1e16 + 1 + 1 loses both ones, 1 + 1 + 1e16 keeps them.
    EXPECT_EQ(1e16 / 3, Mean({1e16, 1.0, 1.0}).value);
    EXPECT_EQ((2.0 + 1e16) / 3, Mean({1.0, 1.0, 1e16}).value);
}

TEST(StandardDeviation, SampleAndPopulationForms) {
    const Result sample = Sd({1, 2, 3, 4}, false);
    EXPECT_TRUE(sample.valid);
    EXPECT_DOUBLE_EQ(std::sqrt(5.0 / 3.0), sample.value);
    const Result population = Sd({1, 2, 3, 4}, true);
    EXPECT_TRUE(population.valid);
    EXPECT_DOUBLE_EQ(std::sqrt(1.25), population.value);
}

TEST(StandardDeviation, NoneOneAndTwoValues) {
    const Result sampleNone = Sd({}, false);
    EXPECT_FALSE(sampleNone.valid);
    EXPECT_EQ(0.0, sampleNone.value);
    const Result populationNone = Sd({}, true);
    EXPECT_FALSE(populationNone.valid);
    EXPECT_EQ(0.0, populationNone.value);
    const Result sampleOne = Sd({7.0}, false);
    EXPECT_FALSE(sampleOne.valid);
    EXPECT_EQ(0.0, sampleOne.value);
    const Result populationOne = Sd({7.0}, true);
    EXPECT_TRUE(populationOne.valid);
    EXPECT_EQ(0.0, populationOne.value);
    const Result sampleTwo = Sd({1.0, 3.0}, false);
    EXPECT_TRUE(sampleTwo.valid);
    EXPECT_DOUBLE_EQ(std::sqrt(2.0), sampleTwo.value);
    const Result populationTwo = Sd({1.0, 3.0}, true);
    EXPECT_TRUE(populationTwo.valid);
    EXPECT_DOUBLE_EQ(1.0, populationTwo.value);
}

TEST(StandardDeviation, EqualValuesAreZeroAndValid) {
    for (bool population : {false, true}) {
        const Result r = Sd({0.1, 0.1, 0.1, 0.1, 0.1}, population);
        EXPECT_TRUE(r.valid);
        EXPECT_EQ(0.0, r.value);
    }
}

TEST(StandardDeviation, ANaNAmongEqualValuesCountsAsDifferent) {
    const Result sample = Sd({2.0, 2.0, kNaN}, false);
    EXPECT_TRUE(sample.valid);
    EXPECT_TRUE(std::isnan(sample.value) || sample.value == 0.0) << sample.value;
    const Result population = Sd({2.0, kNaN, 2.0}, true);
    EXPECT_TRUE(population.valid);
    EXPECT_TRUE(std::isnan(population.value));
    const Result first = Sd({kNaN, kNaN}, true);
    EXPECT_TRUE(std::isnan(first.value)) << "NaN is not equal to itself";
}

TEST(StandardDeviation, OnePassSampleFormulaAsWritten) {
    // Large offset: (Q - A^2/n)/(n-1) in doubles, not the two-pass value 1.
    const std::vector<double> values = {1e8 + 1, 1e8 + 2, 1e8 + 3};
    double sum = 0.0;
    double squares = 0.0;
    for (double v : values) {
        sum += v;
        squares += v * v;
    }
    const double variance = (squares - sum * sum / 3) / 2;
    const Result r = Sd(values, false);
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(variance <= 0.0 ? 0.0 : std::sqrt(variance), r.value);
}

TEST(RelativeStandardDeviation, FollowsTheMean) {
    const Result r = Rsd({1, 2, 3, 4}, false);
    EXPECT_TRUE(r.valid);
    EXPECT_DOUBLE_EQ(std::sqrt(5.0 / 3.0) * 100.0 / 2.5, r.value);
    const Result negative = Rsd({-1, -2, -3, -4}, true);
    EXPECT_TRUE(negative.valid);
    EXPECT_DOUBLE_EQ(std::sqrt(1.25) * 100.0 / -2.5, negative.value);
}

TEST(RelativeStandardDeviation, MeanOfExactlyZeroIsZero) {
    const Result r = Rsd({-1.0, 1.0}, false);
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(0.0, r.value);
}

TEST(RelativeStandardDeviation, InvalidPartsGiveZeroInvalid) {
    const Result one = Rsd({5.0}, false);
    EXPECT_FALSE(one.valid);
    EXPECT_EQ(0.0, one.value);
    const Result none = Rsd({}, true);
    EXPECT_FALSE(none.valid);
    EXPECT_EQ(0.0, none.value);
    const Result populationOne = Rsd({5.0}, true);
    EXPECT_TRUE(populationOne.valid);
    EXPECT_EQ(0.0, populationOne.value);
}

TEST(StatisticsText, SevenDigitsGrouped) {
    if (Tool_GetStringDecimalPoint() != "." || Tool_GetStringThousandsSep() != ",") {
        GTEST_SKIP() << "the texts use a period decimal point and a comma separator";
    }
    CString text = "unchanged";
    // Population sd of {0, 2469.13578} is 1234.56789.
    const std::vector<double> values = {0.0, 2469.13578};
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
