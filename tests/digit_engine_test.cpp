// The digit engine's fast path against its exact algorithm on millions of random values: every
// text and result must be identical.
#include "digit_engine.h"
#include "test_support.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

namespace {

using ovs::numbers::DigitText;
using ovs::numbers::FastResult;

struct Counts {
    long handled = 0;
    long compared = 0;
};

// Compares one value; returns false (and records it) when the paths differ.
bool Same(const OVS_DATAFORMAT& format, int mode, double value, Counts& counts, std::string& difference) {
    DigitText fast;
    DigitText exact;
    const FastResult result = ovs::numbers::FormatDigitsFast(format, mode, value, '.', fast);
    ++counts.compared;
    if (result == FastResult::NotHandled) {
        return true;
    }
    ++counts.handled;
    const bool exactOk = ovs::numbers::FormatDigitsExact(format, mode, value, '.', exact);
    if (exactOk != (result == FastResult::Done) || std::strcmp(fast.text, exact.text) != 0) {
        char description[200];
        std::snprintf(description, sizeof(description),
                      "kind %u dec %u sig %u mode %d value %.17g: fast [%s] exact [%s]", format.wKind,
                      format.wDecimals, format.wSignificantDigits, mode, value, fast.text, exact.text);
        difference = description;
        return false;
    }
    return true;
}

TEST(DigitEngineFastPath, RuntimeGivesExactDigits) {
    EXPECT_TRUE(ovs::numbers::RuntimeGivesExactDigits()) << "without exact digits the fast path stays off";
}

// Values near rounding boundaries: decimal numbers with few digits, and their neighbouring doubles.
double BoundaryValue(std::mt19937_64& random) {
    std::uniform_int_distribution<int> digits(1, 9);
    std::uniform_int_distribution<int> scale(-12, 12);
    std::uniform_int_distribution<int> neighbour(-2, 2);
    const int count = digits(random);
    double mantissa = static_cast<double>(random() % static_cast<uint64_t>(std::pow(10.0, count)));
    double value = mantissa * std::pow(10.0, scale(random) - count);
    if (random() % 2 != 0) {
        value += 5 * std::pow(10.0, scale(random) - count - 1); // a decimal half
    }
    int step = neighbour(random);
    for (; step > 0; --step) {
        value = std::nextafter(value, HUGE_VAL);
    }
    for (; step < 0; ++step) {
        value = std::nextafter(value, -HUGE_VAL);
    }
    return random() % 2 != 0 ? -value : value;
}

// Doubles over the whole range that the fast path takes, from random bits.
double SpreadValue(std::mt19937_64& random) {
    std::uniform_real_distribution<double> exponent(-16.0, 19.0);
    const double value = std::pow(10.0, exponent(random));
    return random() % 2 != 0 ? -value : value;
}

void CompareMany(long count, double (*make)(std::mt19937_64&), uint64_t seed) {
    std::mt19937_64 random(seed);
    Counts counts;
    std::string difference;
    long differences = 0;
    const WORD kinds[] = {1, 2, 3, 4, 10};
    for (long i = 0; i < count; ++i) {
        const double value = make(random);
        const WORD kind = kinds[random() % 5];
        const WORD decimals = static_cast<WORD>(random() % 16);
        const WORD significant = static_cast<WORD>(random() % 16);
        const int mode = static_cast<int>(random() % 5);
        const OVS_DATAFORMAT format{kind, decimals, significant, 0};
        if (!Same(format, mode, value, counts, difference)) {
            if (++differences <= 5) {
                ADD_FAILURE() << difference;
            }
        }
    }
    EXPECT_EQ(0, differences);
    EXPECT_GT(counts.handled, counts.compared * 8 / 10) << "the fast path should take most values";
}

TEST(DigitEngineFastPath, EqualToExactNearDecimalBoundaries) {
    CompareMany(4000000, BoundaryValue, 20261206);
}

TEST(DigitEngineFastPath, EqualToExactOverManyMagnitudes) {
    CompareMany(4000000, SpreadValue, 4242);
}

TEST(DigitEngineFastPath, EqualToExactOnChosenValues) {
    Counts counts;
    std::string difference;
    const double values[] = {2.675,
                             1.005,
                             0.285,
                             0.29,
                             9.996,
                             99.996,
                             9.96,
                             0.045,
                             2.5,
                             0.5,
                             1e-5,
                             1e-4,
                             999.0,
                             1000.0,
                             123456.0,
                             0.0999,
                             9.99,
                             1.0,
                             0.1,
                             0.7,
                             4503599627370495.5,
                             9007199254740991.0,
                             1e15,
                             1e16,
                             1e17,
                             1e18,
                             1.8e19,
                             0.9999999999999999,
                             9.999999999999999,
                             0.30000000000000004,
                             5e-324,
                             2.2250738585072014e-308};
    for (double value : values) {
        for (double signed_value : {value, -value}) {
            for (WORD kind : {1, 2, 3, 4, 10}) {
                for (WORD digits = 0; digits <= 15; ++digits) {
                    for (int mode = 0; mode <= 4; ++mode) {
                        const OVS_DATAFORMAT format{kind, digits, digits, 0};
                        EXPECT_TRUE(Same(format, mode, signed_value, counts, difference)) << difference;
                    }
                }
            }
        }
    }
}

} // namespace
