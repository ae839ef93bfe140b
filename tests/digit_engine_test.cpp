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

// Compares one value; counts the values the fast path took and reports the first few differences.
struct Comparison {
    long handled = 0, compared = 0, differences = 0;

    void Check(const OVS_DATAFORMAT& format, int mode, double value) {
        ovs::numbers::DigitText fast, exact;
        const ovs::numbers::FastResult result =
            ovs::numbers::FormatDigitsFast(format, mode, value, '.', fast);
        ++compared;
        if (result == ovs::numbers::FastResult::NotHandled) {
            return;
        }
        ++handled;
        const bool exactOk = ovs::numbers::FormatDigitsExact(format, mode, value, '.', exact);
        if ((exactOk != (result == ovs::numbers::FastResult::Done) ||
             std::strcmp(fast.text, exact.text) != 0) &&
            ++differences <= 5) {
            ADD_FAILURE() << "kind " << format.wKind << " dec " << format.wDecimals << " sig "
                          << format.wSignificantDigits << " mode " << mode << " value " << value << ": fast ["
                          << fast.text << "] exact [" << exact.text << "]";
        }
    }
};

// Values near rounding boundaries: decimal numbers with few digits, and their neighbouring doubles.
double BoundaryValue(std::mt19937_64& random) {
    std::uniform_int_distribution<int> digits(1, 9), scale(-12, 12), neighbour(-2, 2);
    const int count = digits(random);
    const double mantissa = static_cast<double>(random() % static_cast<uint64_t>(std::pow(10.0, count)));
    double value = mantissa * std::pow(10.0, scale(random) - count);
    if (random() % 2 != 0) {
        value += 5 * std::pow(10.0, scale(random) - count - 1); // a decimal half
    }
    for (int step = neighbour(random); step != 0; step += step > 0 ? -1 : 1) {
        value = std::nextafter(value, step > 0 ? HUGE_VAL : -HUGE_VAL);
    }
    return random() % 2 != 0 ? -value : value;
}

// Doubles over the whole range that the fast path takes.
double SpreadValue(std::mt19937_64& random) {
    const double value = std::pow(10.0, std::uniform_real_distribution<double>(-16.0, 19.0)(random));
    return random() % 2 != 0 ? -value : value;
}

TEST(DigitEngineFastPath, EqualToExactOnRandomValues) {
    EXPECT_TRUE(ovs::numbers::RuntimeGivesExactDigits()) << "without exact digits the fast path stays off";
    for (const auto& [make, seed] : {std::pair{&BoundaryValue, 20261206}, {&SpreadValue, 4242}}) {
        std::mt19937_64 random(seed);
        Comparison comparison;
        const WORD kinds[] = {1, 2, 3, 4, 10};
        for (long i = 0; i < 4000000; ++i) {
            const double value = make(random);
            const OVS_DATAFORMAT format{kinds[random() % 5], static_cast<WORD>(random() % 16),
                                        static_cast<WORD>(random() % 16), 0};
            comparison.Check(format, static_cast<int>(random() % 5), value);
        }
        EXPECT_EQ(0, comparison.differences);
        EXPECT_GT(comparison.handled, comparison.compared * 8 / 10)
            << "the fast path should take most values";
    }
}

TEST(DigitEngineFastPath, EqualToExactOnChosenValues) {
    // clang-format off
    const double values[] = {2.675, 1.005, 0.285, 0.29, 9.996, 99.996, 9.96, 0.045, 2.5, 0.5, 1e-5, 1e-4, 999.0,
                             1000.0, 123456.0, 0.0999, 9.99, 1.0, 0.1, 0.7, 4503599627370495.5, 9007199254740991.0,
                             1e15, 1e16, 1e17, 1e18, 1.8e19, 0.9999999999999999, 9.999999999999999,
                             0.30000000000000004, 5e-324, 2.2250738585072014e-308};
    // clang-format on
    Comparison comparison;
    for (double value : values) {
        for (WORD kind : {1, 2, 3, 4, 10}) {
            for (WORD digits = 0; digits <= 15; ++digits) {
                for (int mode = 0; mode <= 4; ++mode) {
                    comparison.Check(OVS_DATAFORMAT{kind, digits, digits, 0}, mode, value);
                    comparison.Check(OVS_DATAFORMAT{kind, digits, digits, 0}, mode, -value);
                }
            }
        }
    }
    EXPECT_EQ(0, comparison.differences);
}

} // namespace
