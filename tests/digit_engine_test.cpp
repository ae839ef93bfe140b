// The digit engine's fast path against its exact algorithm on values near rounding boundaries and at the
// ends of its range, in every kind, digit count and rounding mode: every text and result must be identical.
#include "digit_engine.h"
#include "test_support.h"

#include <cstring>

namespace {

using namespace ovs::numbers;

TEST(DigitEngineFastPath, EqualToExactOnChosenValues) {
    EXPECT_TRUE(RuntimeGivesExactDigits()) << "without exact digits the fast path stays off";
    long handled = 0, differences = 0;
    auto check = [&](WORD kind, WORD decimals, WORD significant, int mode, double value) {
        const OVS_DATAFORMAT format{kind, decimals, significant, 0};
        DigitText fast, exact;
        const FastResult result = FormatDigitsFast(format, mode, value, '.', fast);
        handled += result != FastResult::NotHandled ? 1 : 0;
        if (result != FastResult::NotHandled &&
            (FormatDigitsExact(format, mode, value, '.', exact) != (result == FastResult::Done) ||
             std::strcmp(fast.text, exact.text) != 0) &&
            ++differences <= 5) {
            ADD_FAILURE() << kind << " " << decimals << " " << significant << " " << mode << " " << value
                          << ": fast [" << fast.text << "] exact [" << exact.text << "]";
        }
    };
    const WORD kinds[] = {1, 2, 3, 4, 10};
    // clang-format off
    const double values[] = {2.675, 1.005, 0.285, 0.29, 9.996, 99.996, 9.96, 0.045, 2.5, 0.5, 1e-5, 1e-4,
                             999.0, 1000.0, 123456.0, 0.0999, 9.99, 1.0, 0.1, 0.7, 4503599627370495.5,
                             9007199254740991.0, 1e15, 1e16, 1e17, 1e18, 1.8e19, 0.9999999999999999,
                             9.999999999999999, 0.30000000000000004, 5e-324, 2.2250738585072014e-308};
    // clang-format on
    for (double value : values) {
        for (WORD kind : kinds) {
            for (WORD digits = 0; digits <= 15; ++digits) {
                for (int mode = 0; mode <= 4; ++mode) {
                    check(kind, digits, digits, mode, value);
                    check(kind, digits, digits, mode, -value);
                }
            }
        }
    }
    EXPECT_EQ(0, differences);
    EXPECT_GT(handled, 20000) << "the fast path should take most values";
}

} // namespace
