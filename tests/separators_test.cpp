// Digit grouping, period and local notation, numeric texts and tolerant comparisons; a comma
// decimal point in a second process.
#include "expect_rows.h"
#include "locale_child.h"
#include "ovstoolnumberformat.h"
#include "ovstoolseparators.h"
#include "suite_child.h"

#include <cstring>
#include <limits>
#include <string>

using namespace ovs::test;

namespace {

// The grouped text; a byte written past its terminator shows as "!".
std::string Grouped(std::string text, int size = 64) {
    text.push_back('\0');
    text.resize(64, '#');
    Tool_PutComma(text.data(), size);
    const size_t end = text.find('\0');
    return text.substr(0, end) + (text[end + 1] == '#' ? "" : "!");
}

std::string GroupedCString(const std::string& given) {
    CString text = given.c_str();
    Tool_PutCommaCString(text);
    return text.GetString();
}

std::string GroupedDouble(double value, short digits) {
    CString text;
    Tool_PutCommaCStringDouble(value, digits, text);
    return text.GetString();
}

std::string GroupedByRecord(OVS_DATAFORMAT format, double value) {
    CString text = "caller's";
    Tool_PutCommaCStringDoubleDecimal(&format, 1, value, text);
    return text.GetString();
}

std::string Converted(void (*convert)(CString&), const char* given) {
    CString text = given;
    convert(text);
    return text.GetString();
}

bool PeriodAndComma() {
    return Tool_GetStringDecimalPoint() == "." && Tool_GetStringThousandsSep() == ",";
}

TEST(Grouping, FirstRunOfDigitsWithinTheBufferAndDigitCounts) {
    if (!PeriodAndComma()) {
        GTEST_SKIP() << "the texts use a period decimal point and a comma separator";
    }
    // clang-format off
    ExpectRows<std::string>({
        // Only the first run of digits; the buffer's size counts the terminator, nothing is written past it.
        {Grouped("123"), "123"}, {Grouped("1234"), "1,234"}, {Grouped("-1234567.891"), "-1,234,567.891"},
        {Grouped(".12345"), ".12,345"}, {Grouped("abc"), "abc"}, {Grouped(""), ""}, {Grouped("123456"), "123,456"},
        {Grouped("x=12345 y=67890"), "x=12,345 y=67890"}, {Grouped("12 34567"), "12 34567"},
        {Grouped("1234567", 9), "1234567"}, {Grouped("1234567", 10), "1,234,567"},
        {GroupedCString("-9876543.21"), "-9,876,543.21"}, {GroupedCString(std::string(1100, '1')), std::string(1100, '1')},
        {GroupedCString(std::string(767, '1')).substr(1016), "11,111"}, // 767 + 255 separators + terminator = 1023
        {GroupedDouble(1234.5678, 7), "1,234.568"}, {GroupedDouble(0.0012345, 7), "0.0012345"},
        {GroupedDouble(123.456, 3), "123"}, {GroupedDouble(12345.6, 3), "12,345.0"}, {GroupedDouble(1.999, 3), "2.00"},
        {GroupedDouble(-9.9999, 3), "-10.0"}, {GroupedDouble(99.99996, 4), "100.0"},
        {GroupedDouble(1234567.6, 0), "1,234,568"}, {GroupedDouble(-1234.5678, 7), "-1,234.568"},
        {GroupedDouble(12.5, 3), "12.5"}, {GroupedDouble(0.0, 7), "0.0000000"},
        {GroupedByRecord({1, 2, 0, 0}, 1234567.891), "1,234,567.89"}, {GroupedByRecord({1, 0, 0, 0}, -1234567.5), "-1,234,568"},
        {GroupedByRecord({2, 2, 0, 0}, 1234567.0), "1.23e+006"}, // an exponent is never grouped
        {GroupedByRecord({10, 2, 7, 0}, 1234567.0), "1,234,567"}, {GroupedByRecord({0, 2, 0, 0}, 1.0), "caller's"},
        // In a period locale notation changes nothing.
        {Converted(&Tool_ReplaceMacroCaltureLocal2US, "x=1,234.5 a,b"), "x=1,234.5 a,b"},
        {Converted(&Tool_ReplaceMacroCaltureUS2Local, "x=1,234.5 a,b"), "x=1,234.5 a,b"},
        {Converted(&Tool_ReplacePeriod2DecimalPoint, "1.5,2"), "1.5,2"},
        {Converted(&Tool_ReplaceDecimalPoint2Period, "1.5,2"), "1.5,2"}});
    // clang-format on
    Tool_PutComma(nullptr, 10);
    Tool_ReplacePeriod2DecimalPointLPTSTR(nullptr);
    for (const char* numeric : {"12", " 12", "12.", "-", "+", "1e", "1e-", "-1.5e+3", ".5", "."}) {
        EXPECT_TRUE(Tool_IsNumeric(numeric)) << "[" << numeric << "]";
    }
    for (const char* other : {"1 2", "12 ", "1,5", "abc", "12a", "", "1.2.3"}) {
        EXPECT_FALSE(Tool_IsNumeric(other)) << "[" << other << "]";
    }
    EXPECT_FALSE(Tool_IsNumeric(nullptr));
}

TEST(Compare, AtTheToleranceInBothPrecisions) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // clang-format off
    ExpectRows<int>({
        {Tool_CompareDouble(1.0004, 1.0, 2), 0}, {Tool_CompareDouble(1.0004, 1.0, 3), 1},
        {Tool_CompareDouble(1.0, 1.0011, 2), -1}, {Tool_CompareDouble(-5.0, -5.0, 0), 0},
        {Tool_CompareDouble(1.5, 1.0, 0), 1}, {Tool_CompareDouble(1.05, 1.0, 0), 0}, // tolerance 0.1
        {Tool_CompareDouble(1.002, 1.0, 2), 1}, {Tool_CompareDouble(nan, 1.0, 2), 1}, {Tool_CompareDouble(1.0, nan, 2), 1},
        {Tool_CompareFloat(1.0004f, 1.0f, 2), 0}, {Tool_CompareFloat(1.0004f, 1.0f, 3), 1},
        {Tool_CompareFloat(1.0f, 1.0011f, 2), -1}, {Tool_CompareFloat(std::numeric_limits<float>::quiet_NaN(), 1.0f, 2), 1},
        {Tool_CompareFloat(16777216.0f, static_cast<float>(16777217.0), 6), 0}}); // not a float: both 16777216
    // clang-format on
}

// ---- A comma decimal point: the suites "CommaLocale*" again in a German locale ----------------------

const ChildMode kCommaChild("separators-comma", [](const std::vector<std::string>&) {
    return Tool_GetStringDecimalPoint() == "," ? RunSuitesInThisProcess("CommaLocale*") : 3;
});

TEST(InGermanLocale, CommaLocaleTestsPass) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "the locale of a child is set through Wine's Unix environment";
    }
    const ChildResult result = RunChildInLocale("de_DE.UTF-8", "separators-comma");
    EXPECT_TRUE(result.finished && result.exitCode == 0) << "3: not a comma decimal point; 1: a test failed";
}

TEST(CommaLocaleSeparators, SwapPointAndSeparator) {
    if (Tool_GetStringDecimalPoint() != ",") {
        GTEST_SKIP() << "runs in the child process with a comma decimal point";
    }
    EXPECT_STREQ(".", Tool_GetStringThousandsSep().GetString());
    const auto toUs = &Tool_ReplaceMacroCaltureLocal2US, toLocal = &Tool_ReplaceMacroCaltureUS2Local;
    // clang-format off
    ExpectRows<std::string>({
        {Converted(toUs, "1.234,5"), "1,234.5"}, {Converted(toLocal, "1,234.5"), "1.234,5"},
        {Converted(toUs, "x=3,5"), "x=3.5"}, {Converted(toLocal, "x=3.5"), "x=3,5"},
        {Converted(toUs, "12.345.678,9"), "12,345,678.9"}, {Converted(toLocal, "12,345,678.9"), "12.345.678,9"},
        {Converted(toUs, "summe 1.234 und 2,5;"), "summe 1,234 und 2.5;"},
        {Converted(toLocal, "summe 1,234 und 2.5;"), "summe 1.234 und 2,5;"},
        {Converted(toUs, "1,"), "1."}, {Converted(toLocal, "1."), "1,"}, {Converted(toUs, ""), ""},
        {Converted(toUs, "a,b"), "a.b"}, // a lone decimal-point character starts a number
        {Converted(&Tool_ReplacePeriod2DecimalPoint, "1.5;2.5"), "1,5;2,5"},
        {Converted(&Tool_ReplaceDecimalPoint2Period, "1,5;2,5"), "1.5;2.5"},
        {GroupedDouble(1234.5678, 7), "1.234,568"}, {GroupedByRecord({1, 2, 0, 0}, 1234567.891), "1.234.567,89"}});
    // clang-format on
    char buffer[] = "1.5.";
    Tool_ReplacePeriod2DecimalPointLPTSTR(buffer);
    EXPECT_STREQ("1,5,", buffer);
    EXPECT_TRUE(Tool_IsNumeric("1,5"));
    EXPECT_FALSE(Tool_IsNumeric("1.5"));
}

} // namespace
