// Period and local notation, digit grouping, numeric texts and tolerant comparisons.
#include "locale_child.h"
#include "ovstoolnumberformat.h"
#include "ovstoolseparators.h"
#include "test_support.h"

#include <cstring>
#include <limits>
#include <string>
#include <vector>

using ovs::test::RunChildInLocale;
using ovs::test::RunsUnderWine;

namespace {

bool PeriodAndComma() {
    return Tool_GetStringDecimalPoint() == "." && Tool_GetStringThousandsSep() == ",";
}

#define REQUIRE_PERIOD_AND_COMMA()                                                                           \
    if (!PeriodAndComma()) {                                                                                 \
        GTEST_SKIP() << "the texts use a period decimal point and a comma separator";                        \
    }

// ---- Tool_PutComma -------------------------------------------------------------------------------

struct GroupCase {
    const char* name;
    const char* text;
    const char* expected;
};

class PutCommaTest : public ::testing::TestWithParam<GroupCase> {};

TEST_P(PutCommaTest, GroupsTheFirstRunOfDigits) {
    REQUIRE_PERIOD_AND_COMMA();
    const GroupCase& c = GetParam();
    char buffer[64];
    std::strcpy(buffer, c.text);
    Tool_PutComma(buffer, sizeof(buffer));
    EXPECT_STREQ(c.expected, buffer);
}

INSTANTIATE_TEST_SUITE_P(Cases, PutCommaTest,
                         ::testing::Values(GroupCase{"ThreeDigitsUnchanged", "123", "123"},
                                           GroupCase{"FourDigits", "1234", "1,234"},
                                           GroupCase{"Negative", "-1234567", "-1,234,567"},
                                           GroupCase{"OnlyFirstRun", "-1234567.891", "-1,234,567.891"},
                                           GroupCase{"FractionFirstRun", ".12345", ".12,345"},
                                           GroupCase{"NoDigits", "abc", "abc"}, GroupCase{"Empty", "", ""},
                                           GroupCase{"SixDigits", "123456", "123,456"},
                                           GroupCase{"SevenDigits", "1234567", "1,234,567"},
                                           GroupCase{"TextAround", "x=12345 y=67890", "x=12,345 y=67890"},
                                           GroupCase{"SecondRunUntouched", "12 34567", "12 34567"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PutComma, BufferSizeBoundary) {
    REQUIRE_PERIOD_AND_COMMA();
    // "1234567" grouped is "1,234,567": 9 characters and a terminator.
    char buffer[16] = "1234567";
    std::memset(buffer + 8, '#', sizeof(buffer) - 8);
    Tool_PutComma(buffer, 9);
    EXPECT_STREQ("1234567", buffer) << "no room for the terminator";
    EXPECT_EQ('#', buffer[8]);
    Tool_PutComma(buffer, 10);
    EXPECT_STREQ("1,234,567", buffer);
    EXPECT_EQ('#', buffer[10]) << "nothing written past the terminator";
}

TEST(PutComma, NullTextIsIgnored) {
    Tool_PutComma(nullptr, 10);
}

TEST(PutCommaCString, GroupsWithinItsLimit) {
    REQUIRE_PERIOD_AND_COMMA();
    CString text = "-9876543.21";
    Tool_PutCommaCString(text);
    EXPECT_STREQ("-9,876,543.21", text.GetString());
    const std::string longText(1100, '1');
    text = longText.c_str();
    Tool_PutCommaCString(text);
    EXPECT_EQ(longText, text.GetString()) << "beyond the 1024-byte buffer the text stays";
    const std::string fits(767, '1'); // 767 digits + 255 separators + terminator = 1023 bytes
    text = fits.c_str();
    Tool_PutCommaCString(text);
    EXPECT_EQ(767 + 255, text.GetLength());
}

// ---- Tool_PutCommaCStringDouble ------------------------------------------------------------------

struct DoubleCase {
    const char* name;
    double value;
    short digits;
    const char* expected;
};

class PutCommaDoubleTest : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(PutCommaDoubleTest, KeepsTheDigitCount) {
    REQUIRE_PERIOD_AND_COMMA();
    const DoubleCase& c = GetParam();
    CString text;
    Tool_PutCommaCStringDouble(c.value, c.digits, text);
    EXPECT_STREQ(c.expected, text.GetString());
}

INSTANTIATE_TEST_SUITE_P(Cases, PutCommaDoubleTest,
                         ::testing::Values(DoubleCase{"SevenDigits", 1234.5678, 7, "1,234.568"},
                                           DoubleCase{"SmallKeepsAll", 0.0012345, 7, "0.0012345"},
                                           DoubleCase{"IntegerDigitsOnly", 123.456, 3, "123"},
                                           DoubleCase{"MoreIntegerDigits", 12345.6, 3, "12,345.0"},
                                           DoubleCase{"CarryIntoInteger", 1.999, 3, "2.00"},
                                           DoubleCase{"NegativeCarry", -9.9999, 3, "-10.0"},
                                           DoubleCase{"CarryAfterIntegerRounded", 99.99996, 4, "100.0"},
                                           DoubleCase{"ZeroDigits", 1234567.6, 0, "1,234,568"},
                                           DoubleCase{"Negative", -1234.5678, 7, "-1,234.568"},
                                           DoubleCase{"ExactlyKept", 12.5, 3, "12.5"},
                                           DoubleCase{"Zero", 0.0, 7, "0.0000000"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Tool_PutCommaCStringDoubleDecimal -----------------------------------------------------------

TEST(PutCommaDecimal, GroupsTheIntegerPartByTheRecord) {
    REQUIRE_PERIOD_AND_COMMA();
    CString text;
    const OVS_DATAFORMAT fixed{1, 2, 0, 0};
    Tool_PutCommaCStringDoubleDecimal(&fixed, 1, 1234567.891, text);
    EXPECT_STREQ("1,234,567.89", text.GetString());
    const OVS_DATAFORMAT whole{1, 0, 0, 0};
    Tool_PutCommaCStringDoubleDecimal(&whole, 1, -1234567.5, text);
    EXPECT_STREQ("-1,234,568", text.GetString());
    const OVS_DATAFORMAT exponent{2, 2, 0, 0};
    Tool_PutCommaCStringDoubleDecimal(&exponent, 1, 1234567.0, text);
    EXPECT_STREQ("1.23e+006", text.GetString()) << "kind 2 is never grouped";
    const OVS_DATAFORMAT significantWhole{10, 2, 7, 0};
    Tool_PutCommaCStringDoubleDecimal(&significantWhole, 1, 1234567.0, text);
    EXPECT_STREQ("1,234,567", text.GetString()) << "no decimal point: the whole text";
    const OVS_DATAFORMAT none{0, 2, 0, 0};
    text = "caller's";
    Tool_PutCommaCStringDoubleDecimal(&none, 1, 1.0, text);
    EXPECT_STREQ("caller's", text.GetString());
}

// ---- Period and local notation -------------------------------------------------------------------

TEST(Notation, PeriodLocaleChangesNothing) {
    REQUIRE_PERIOD_AND_COMMA();
    CString text = "x=1,234.5 a,b";
    Tool_ReplaceMacroCaltureLocal2US(text);
    EXPECT_STREQ("x=1,234.5 a,b", text.GetString());
    Tool_ReplaceMacroCaltureUS2Local(text);
    EXPECT_STREQ("x=1,234.5 a,b", text.GetString());
    Tool_ReplacePeriod2DecimalPoint(text);
    Tool_ReplaceDecimalPoint2Period(text);
    EXPECT_STREQ("x=1,234.5 a,b", text.GetString());
    char buffer[] = "1.5";
    Tool_ReplacePeriod2DecimalPointLPTSTR(buffer);
    EXPECT_STREQ("1.5", buffer);
    Tool_ReplacePeriod2DecimalPointLPTSTR(nullptr);
}

struct NotationCase {
    const char* local;
    const char* us;
};

// Local (German) and period notation of the same texts.
const std::vector<NotationCase> kNotationCases = {
    {"1.234,5", "1,234.5"},
    {"x=3,5", "x=3.5"},
    {"12.345.678,9", "12,345,678.9"},
    {"summe 1.234 und 2,5;", "summe 1,234 und 2.5;"},
    {"1,", "1."},
    {"", ""},
};

// Failures as bits: 1 decimal point, 2 separator, 4 local to US, 8 US to local, 16 the others.
int RunCommaNotation(const std::vector<std::string>&) {
    int failures = 0;
    if (Tool_GetStringDecimalPoint() != ",") {
        failures |= 1;
    }
    if (Tool_GetStringThousandsSep() != ".") {
        failures |= 2;
    }
    for (const NotationCase& c : kNotationCases) {
        CString text = c.local;
        Tool_ReplaceMacroCaltureLocal2US(text);
        if (text != c.us) {
            failures |= 4;
        }
        Tool_ReplaceMacroCaltureUS2Local(text);
        if (text != c.local) {
            failures |= 8;
        }
    }
    CString text = "a,b";
    Tool_ReplaceMacroCaltureLocal2US(text);
    if (text != "a.b") { // a lone decimal-point character starts a number
        failures |= 16;
    }
    text = "1.5;2.5";
    Tool_ReplacePeriod2DecimalPoint(text);
    if (text != "1,5;2,5") {
        failures |= 16;
    }
    Tool_ReplaceDecimalPoint2Period(text);
    if (text != "1.5;2.5") {
        failures |= 16;
    }
    char buffer[] = "1.5.";
    Tool_ReplacePeriod2DecimalPointLPTSTR(buffer);
    if (std::strcmp(buffer, "1,5,") != 0) {
        failures |= 16;
    }
    // Grouping with the German separators.
    Tool_PutCommaCStringDouble(1234.5678, 7, text);
    if (text != "1.234,568") {
        failures |= 32;
    }
    const OVS_DATAFORMAT fixed{1, 2, 0, 0};
    Tool_PutCommaCStringDoubleDecimal(&fixed, 1, 1234567.891, text);
    if (text != "1.234.567,89") {
        failures |= 32;
    }
    if (!Tool_IsNumeric("1,5") || Tool_IsNumeric("1.5")) {
        failures |= 64;
    }
    return failures;
}
ovs::test::ChildMode commaNotationMode("separators-comma-notation", RunCommaNotation);

TEST(Notation, CommaLocaleSwapsPointAndSeparator) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "the locale of a child is set through Wine's Unix environment";
    }
    const ovs::test::ChildResult result = RunChildInLocale("de_DE.UTF-8", "separators-comma-notation");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode) << "1/2 separators, 4 local to US, 8 US to local, 16 others, 32 grouping, "
                                      "64 numeric";
}

// ---- Tool_IsNumeric ------------------------------------------------------------------------------

struct NumericCase {
    const char* text;
    bool numeric;
};

class IsNumericTest : public ::testing::TestWithParam<NumericCase> {};

TEST_P(IsNumericTest, WholeTextReadsAsNumber) {
    REQUIRE_PERIOD_AND_COMMA();
    EXPECT_EQ(GetParam().numeric, Tool_IsNumeric(GetParam().text) != FALSE) << "[" << GetParam().text << "]";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IsNumericTest,
    ::testing::Values(NumericCase{"12", true}, NumericCase{" 12", true}, NumericCase{"1 2", false},
                      NumericCase{"12 ", false}, NumericCase{"12.", true}, NumericCase{"-", true},
                      NumericCase{"+", true}, NumericCase{"1e", true}, NumericCase{"1e-", true},
                      NumericCase{"-1.5e+3", true}, NumericCase{".5", true}, NumericCase{".", true},
                      NumericCase{"1,5", false}, NumericCase{"abc", false}, NumericCase{"12a", false},
                      NumericCase{"", false}, NumericCase{"1.2.3", false}));

TEST(IsNumeric, NullIsNotNumeric) {
    EXPECT_FALSE(Tool_IsNumeric(nullptr));
}

// ---- Tolerant comparisons ------------------------------------------------------------------------

TEST(Compare, DoubleAtTheTolerance) {
    EXPECT_EQ(0, Tool_CompareDouble(1.0004, 1.0, 2));
    EXPECT_EQ(1, Tool_CompareDouble(1.0004, 1.0, 3));
    EXPECT_EQ(-1, Tool_CompareDouble(1.0, 1.0011, 2));
    EXPECT_EQ(0, Tool_CompareDouble(-5.0, -5.0, 0));
    EXPECT_EQ(1, Tool_CompareDouble(1.5, 1.0, 0)) << "tolerance 0.1";
    EXPECT_EQ(0, Tool_CompareDouble(1.05, 1.0, 0));
    EXPECT_EQ(1, Tool_CompareDouble(1.002, 1.0, 2)) << "a difference above the tolerance is not equal";
}

TEST(Compare, NaNDifferenceIsGreater) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(1, Tool_CompareDouble(nan, 1.0, 2));
    EXPECT_EQ(1, Tool_CompareDouble(1.0, nan, 2));
    EXPECT_EQ(1, Tool_CompareFloat(std::numeric_limits<float>::quiet_NaN(), 1.0f, 2));
}

TEST(Compare, FloatInSinglePrecision) {
    EXPECT_EQ(0, Tool_CompareFloat(1.0004f, 1.0f, 2));
    EXPECT_EQ(1, Tool_CompareFloat(1.0004f, 1.0f, 3));
    EXPECT_EQ(-1, Tool_CompareFloat(1.0f, 1.0011f, 2));
    // 16777217 is not a float: both sides are 16777216.
    EXPECT_EQ(0, Tool_CompareFloat(16777216.0f, static_cast<float>(16777217.0), 6));
}

} // namespace
