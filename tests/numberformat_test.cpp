// Doubles to text by the data-format record and rounding mode in both engines, value strings, rounded
// texts, decimal counts, grouping, notation, numeric texts, tolerant comparisons; second processes.
#include "expect_rows.h"
#include "locale_child.h"
#include "ovsreg.h"
#include "ovsregcurrentuser.h"
#include "ovstoolnumberformat.h"
#include "ovstoolseparators.h"
#include "suite_child.h"
#include "test_support.h"

#include <cmath>
#include <cstring>
#include <iomanip>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

using namespace ovs::test;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

#define REQUIRE_PERIOD_AND_COMMA()                                                                           \
    if (Tool_GetStringDecimalPoint() != "." || Tool_GetStringThousandsSep() != ",") {                        \
        GTEST_SKIP() << "the texts use a period decimal point and a comma separator";                        \
    }

// Kind, decimals, significant digits, rounding mode, value and the text, after "FALSE " when the
// call fails.
using FormatCase = std::tuple<WORD, WORD, WORD, short, double, const char*>;

std::string Formatted(const FormatCase& c) {
    const OVS_DATAFORMAT format{std::get<0>(c), std::get<1>(c), std::get<2>(c), 0};
    CString text = "unchanged";
    const BOOL ok = Tool_GenerateValueStringByDataFormat(&format, std::get<3>(c), std::get<4>(c), text);
    return (ok ? "" : "FALSE ") + std::string(text.GetString());
}

void ExpectFormats(const std::vector<FormatCase>& cases) {
    for (const auto& [kind, decimals, significant, mode, value, text] : cases) {
        EXPECT_EQ(text, Formatted({kind, decimals, significant, mode, value, text}))
            << kind << " " << decimals << " " << significant << " " << mode << " " << std::setprecision(17)
            << value;
    }
}

// clang-format off
const std::vector<FormatCase> kDigitCases = {
    // Fixed point: decimal halves that lie below the half in binary round up; ripples; signs.
    {1, 2, 0, 1, 2.675, "2.68"}, {1, 2, 0, 1, 1.005, "1.01"}, {1, 2, 0, 1, 0.285, "0.29"}, {1, 2, 0, 1, 0.045, "0.05"},
    {1, 2, 0, 1, 1.0049999, "1.00"}, {1, 2, 0, 1, -2.675, "-2.68"}, {1, 2, 0, 1, -0.004, "-0.00"},
    {1, 2, 0, 1, -1e-20, "-0.00"}, {1, 2, 0, 1, 1e-20, "0.00"}, {1, 2, 0, 1, 9.996, "10.00"}, {1, 31, 0, 1, 1.5, "FALSE "},
    {1, 2, 0, 1, 99.996, "100.00"}, {1, 0, 0, 1, 2.5, "3"}, {1, 0, 0, 1, 0.5, "1"}, {1, 1, 0, 1, 0.05, "0.1"},
    {1, 2, 0, 1, 0.0, "0.00"}, {1, 0, 0, 1, 0.0, "0"}, {1, 2, 0, 1, 1e20, "100000000000000000000.00"},
    {1, 15, 0, 1, 0.5, "0.500000000000000"}, {1, 15, 0, 1, 0.9999999999999999, "1.000000000000000"},
    // Mode 2 truncates on the decimal scale, mode 3 goes up from a tenth, other modes truncate plainly.
    {1, 2, 0, 2, 0.29, "0.29"}, {1, 2, 0, 2, 2.349, "2.34"}, {1, 2, 0, 2, -2.349, "-2.34"}, {1, 1, 0, 2, 0.3, "0.3"},
    {1, 1, 0, 3, 2.32, "2.4"}, {1, 1, 0, 3, 2.31, "2.4"}, {1, 1, 0, 3, 2.305, "2.3"}, {1, 2, 0, 0, 2.679, "2.67"},
    {1, 2, 0, 7, 0.29, "0.28"}, {3, 0, 3, 2, 1.239, "1.23"}, {3, 0, 3, 3, 1.2312, "1.24"},
    // Kind 2: exponent with three digits; width in the significant field.
    {2, 2, 0, 1, 1234.5, "1.23e+003"}, {2, 2, 0, 1, 9.996, "1.00e+001"}, {2, 0, 0, 1, 5.5, "6e+000"},
    {2, 3, 0, 1, -0.00012345, "-1.235e-004"}, {2, 2, 0, 1, 1e-100, "1.00e-100"}, {2, 2, 0, 1, 0.0, "0.00e+000"},
    {2, 1, 0, 1, 1e300, "1.0e+300"}, {2, 2, 12, 1, 0.0, "   0.00e+000"},
    // Kind 3: significant digits, an exponent from 1e-5 down and from 10^significant up.
    {3, 0, 3, 1, 1234.5, "1.23e+003"}, {3, 0, 4, 1, 0.000123456, "0.0001235"}, {3, 0, 2, 1, 9.96, "10"},
    {3, 0, 4, 1, -0.000123456, "-0.0001235"}, {3, 0, 3, 1, 99.96, "100"}, {3, 0, 3, 1, 0.00001, "1.00e-005"},
    {3, 0, 3, 1, 0.0001, "0.000100"}, {3, 0, 3, 1, 1000.0, "1.00e+003"}, {3, 0, 3, 1, 999.0, "999"},
    {3, 0, 4, 1, 1.5, "1.500"}, {3, 0, 3, 1, 0.0, "0"}, {3, 0, 0, 1, 1.5, "FALSE "},
    // Kind 4: as kind 3 with the fraction's trailing zeros and a bare point stripped.
    {4, 0, 3, 1, 100.0, "100"}, {4, 0, 4, 1, 120.0, "120"}, {4, 0, 4, 1, 1.5, "1.5"}, {4, 0, 3, 1, 2.0, "2"},
    {4, 0, 3, 1, 1000000.0, "1e+006"}, {4, 0, 4, 1, 1.25e-7, "1.25e-007"}, {4, 0, 3, 1, 0.00001, "1e-005"},
    {4, 0, 3, 1, 0.0001, "0.0001"}, {4, 0, 4, 1, 12345.0, "1.235e+004"}, {4, 0, 4, 1, 0.0, "0"}, {4, 0, 0, 1, 1.5, "FALSE "},
    // Kind 5: seven significant digits, trailing zeros stripped; kind 10: significant digits, positional.
    {5, 0, 0, 1, 1234.5, "1234.5"}, {5, 0, 0, 1, 3.14159265, "3.141593"}, {5, 0, 0, 1, 1e20, "1e+020"},
    {5, 0, 0, 1, 0.0, "0"}, {10, 0, 3, 1, 123456.0, "123000"}, {10, 0, 2, 1, 9.99, "10"},
    {10, 0, 2, 1, 0.0999, "0.10"}, {10, 0, 2, 1, 1e-7, "0.00000010"}, {10, 0, 4, 1, 12.345678, "12.35"},
    {10, 0, 3, 1, -123456.0, "-123000"}, {10, 0, 3, 1, 0.0, "0"}, {10, 0, 0, 1, 1.5, "FALSE "},
    {7, 2, 3, 1, 1.5, "FALSE "}, {6, 2, 3, 1, 1.5, "FALSE "}, {0, 2, 3, 1, 1.5, "FALSE unchanged"}};

const std::vector<FormatCase> kRoundingPrintfCases = {
    // Mode 1 (and any but 2 and 3) rounds the exact binary value; 2 truncates, shedding binary noise;
    // 3 adds 0.9 of the last digit before truncating.
    {1, 2, 0, 1, 2.675, "2.67"}, {1, 2, 0, 1, 2.676, "2.68"}, {1, 2, 0, 9, 2.676, "2.68"}, {1, 2, 0, 2, 2.679, "2.67"},
    {1, 2, 0, 2, 0.29, "0.29"}, {1, 2, 0, 2, -2.679, "-2.67"}, {1, 2, 0, 3, 2.611, "2.62"}, {1, 2, 0, 3, 2.605, "2.61"},
    {3, 0, 3, 1, 1234.5, "1.23e+003"}, {3, 0, 3, 2, 1239.0, "1.23e+003"}, {3, 0, 3, 3, 1234.5, "1.24e+003"},
    {2, 3, 0, 2, 0.000012349, "1.234e-005"}, {4, 0, 3, 1, 100.0, "1.00e+002"}, {5, 0, 4, 1, 1234.56, "1.235e+003"},
    {5, 0, 0, 1, 1234.5, ""}, {10, 1, 3, 1, 2.26, "2.3"}, {7, 1, 0, 1, 2.26, "2.3"}, {2, 2, 0, 2, 0.0, "0.00e+000"},
    {1, 101, 0, 1, 1.5, ""}, {1, 2, 0, 1, kInf, "0.00"}, {2, 1, 0, 2, -kInf, "0.0e+000"}, {1, 2, 0, 3, kNaN, "0.00"},
    {1, 100, 0, 2, 0.0,
     "0.0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"}};
// clang-format on

TEST(DigitEngine, FormatsByTheRecordAndModeRefusesBadRecordsAndKeepsAllDigits) {
    REQUIRE_PERIOD_AND_COMMA();
    ExpectFormats(kDigitCases);
    CString text = "caller's";
    EXPECT_TRUE(!Tool_GenerateValueStringByDataFormat(nullptr, 1, 1.5, text) && text == "caller's");
    // All integer digits are kept; thirty decimals fit.
    const std::string largest = Formatted({1, 30, 0, 1, 1.7976931348623157e308, ""});
    const std::string thirty = Formatted({1, 30, 0, 1, -123456.5, ""});
    EXPECT_EQ("38:-123456.5", std::to_string(thirty.size()) + ":" + thirty.substr(0, 9));
    EXPECT_EQ("340:17976931348623157081452742373170435679807056752584499659891747680315726078",
              std::to_string(largest.size()) + ":" + largest.substr(0, 74));
    for (double value :
         {-1.7976931348623157e308, 4.9e-324, -2.2250738585072014e-308, -0.0, kInf, -kInf, kNaN}) {
        for (WORD kind : {1, 2, 3, 4, 5, 10}) { // some text, within the buffer
            EXPECT_LT(Formatted({kind, 30, 30, 1, value, ""}).size(), 372u) << kind << " " << value;
        }
        EXPECT_TRUE(!std::isfinite(value) || Formatted({3, 0, 30, 1, value, ""}).substr(0, 5) != "FALSE")
            << value;
    }
}

// The four fields read for a value name, as "kind,decimals,significant,fourth".
std::string ReadFormat(const char* name, const char* fallback) {
    OVS_DATAFORMAT format{9, 9, 9, 9};
    const BOOL ok = Tool_GetRegDataFormat2(name, fallback, &format);
    return std::string(ok ? "" : "FALSE ") + std::to_string(format.wKind) + "," +
           std::to_string(format.wDecimals) + "," + std::to_string(format.wSignificantDigits) + "," +
           std::to_string(format.wFourth);
}

// The suite "RoundModeChild" runs in a second process, told the switch that the test wrote.
int g_roundMode = -100;
const ChildMode kRoundModeChild("round-mode", [](const std::vector<std::string>& args) {
    g_roundMode = std::stoi(args.at(0));
    return RunSuitesInThisProcess("RoundModeChild*");
});

TEST_F(RegistryTest, RoundingSwitchOneSelectsTheRoundingPrintfEngineOncePerProcess) {
    REQUIRE_PERIOD_AND_COMMA();
    for (int value : {1, 0, 2, -1}) {
        ASSERT_TRUE(Tool_WriteRegInt(OVS_REG_PRODUCT_ROOT, "DataFormat", "RoundMode", value));
        const ChildResult result = RunChild("round-mode", {std::to_string(value)});
        EXPECT_TRUE(result.finished && result.exitCode == 0) << "RoundMode " << value;
    }
}

// The switch is read once, by the first data-format read, and kept for the process.
TEST(RoundModeChild, TheFirstDataFormatReadPicksTheEngineForTheProcess) {
    if (g_roundMode == -100) {
        GTEST_SKIP() << "runs in the child process";
    }
    ExpectFormats({{1, 2, 0, 1, 2.675, "2.68"}}); // before any data-format read: the digit engine
    ReadFormat("NumbersTestUnknownFormat", "1,2,0");
    const bool rounding = g_roundMode == 1;
    ExpectFormats(rounding ? kRoundingPrintfCases : std::vector<FormatCase>{{1, 2, 0, 1, 2.675, "2.68"}});
    Tool_WriteRegInt(OVS_REG_PRODUCT_ROOT, "DataFormat", "RoundMode", rounding ? 0 : 1);
    ReadFormat("NumbersTestUnknownFormat", "1,2,0");
    ExpectFormats({{1, 2, 0, 1, 2.675, rounding ? "2.67" : "2.68"}}); // the engine stays for the process
}

TEST_F(RegistryTest, DataFormatFieldsAreLeadingDigitTokensOfTheValueOrTheDefault) {
    constexpr char kValue[] = "NumbersTestFormat"; // not one of the cached policy names
    constexpr char kKey[] = OVS_REG_PRODUCT_ROOT "\\DataFormat";
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, kValue);
    // "Height%" is held by the policy cache: a write through the current-user family is what a read sees.
    ExpectRows<std::string>({{ReadFormat(kValue, nullptr), "0,0,0,0"},
                             {ReadFormat(kValue, "4,1"), "4,1,0,0"},
                             {ReadFormat("Height%", "1,2,0,1"), "1,2,0,1"}});
    for (const auto& [stored, fields] : {std::pair{"3,2,5,2", "3,2,5,2"}, {"1x,abc,7 ,12,99", "1,0,7,12"}}) {
        RegSetKeyValueA(HKEY_CURRENT_USER, kKey, kValue, REG_SZ, stored,
                        static_cast<DWORD>(std::strlen(stored) + 1));
        EXPECT_EQ(fields, ReadFormat(kValue, "1,0,0"));
    }
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, kValue);
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(OVS_REG_PRODUCT_ROOT, "DataFormat", "Height%", "3,0,5,2"));
    EXPECT_EQ("3,0,5,2", ReadFormat("Height%", "1,2,0,1"));
    EXPECT_FALSE(Tool_GetRegDataFormat2("Area", "1,2,0", nullptr));
}

std::string ValueString(double value, int digits) {
    CString text = "unchanged";
    Tool_GenerateValueString(value, digits, text);
    return text.GetString();
}

std::string Forf(double value) {
    CString text;
    Tool_GenerateValueStringForf(value, text);
    return text.GetString();
}

// The rounded text, or "refused" (and then the text must be unchanged).
std::string RoundOff(const char* given, int position) {
    CString text = given;
    const BOOL ok = Tool_RoundOffString(text, position);
    return ok ? text.GetString() : (text == given ? "refused" : "changed but refused");
}

// The grouped text; a byte written past its terminator shows as "!".
std::string Grouped(std::string text, int size = 64) {
    text.push_back('\0');
    text.resize(64, '#');
    Tool_PutComma(text.data(), size);
    const size_t end = text.find('\0');
    return text.substr(0, end) + (text[end + 1] == '#' ? "" : "!");
}

std::string GroupedDouble(double value, short digits) {
    CString text;
    Tool_PutCommaCStringDouble(value, digits, text);
    return text.GetString();
}

std::string GroupedBy(OVS_DATAFORMAT format, double value) {
    CString text = "caller's";
    Tool_PutCommaCStringDoubleDecimal(&format, 1, value, text);
    return text.GetString();
}

std::string Converted(void (*convert)(CString&), const char* given) {
    CString text = given;
    convert(text);
    return text.GetString();
}

TEST(ValueText, PaddedRoundedCountedComparedNumericAndGrouped) {
    REQUIRE_PERIOD_AND_COMMA();
    const auto decimals = &Tool_CalcNumOfDecimalsString;
    const auto numeric = &Tool_IsNumeric;
    const auto compare = &Tool_CompareDouble;
    // clang-format off
    ExpectRows<std::string>({
        {ValueString(1.5, 4), "1.500"}, {ValueString(-0.5, 3), "-0.500"}, {ValueString(1.25, 3), "1.25"},
        {ValueString(1e20, 4), "1e+020"}, {ValueString(1.5, 40), ""}, {ValueString(1.5, -1), ""}, {Forf(1.5), "1.5"},
        {Forf(3.14159265), "3.141593"}, {RoundOff("1.2345", 3), "1.23"}, {RoundOff("-1.235", 3), "-1.24"},
        {RoundOff("  1.2355 ", 4), "1.236"}, {RoundOff("1.99", 2), "2.0"}, {RoundOff("12.5", 1), "13"},
        {RoundOff("0.125", 3), "0.13"}, {RoundOff("1,234.5", 1), "refused"}, {RoundOff("12", 1), "refused"},
        {RoundOff("1.2.3", 1), "refused"}, {RoundOff("1.2", 3), "refused"}, {RoundOff("1.25", 0), "refused"},
        {RoundOff("", 1), "refused"}, {RoundOff("-", 1), "refused"},
        // Only the first run of digits; the buffer's size counts the terminator, nothing is written past it.
        {Grouped("123"), "123"}, {Grouped("1234"), "1,234"}, {Grouped("-1234567.891"), "-1,234,567.891"},
        {Grouped(".12345"), ".12,345"}, {Grouped("abc"), "abc"}, {Grouped(""), ""}, {Grouped("123456"), "123,456"},
        {Grouped("x=12345 y=67890"), "x=12,345 y=67890"}, {Grouped("12 34567"), "12 34567"},
        {Grouped("1234567", 9), "1234567"}, {Grouped("1234567", 10), "1,234,567"},
        {Converted(&Tool_PutCommaCString, "-9876543.21"), "-9,876,543.21"},
        {Converted(&Tool_PutCommaCString, std::string(1100, '1').c_str()), std::string(1100, '1')},
        {Converted(&Tool_PutCommaCString, std::string(767, '1').c_str()).substr(1016), "11,111"}, // 767+255+1 = 1023
        {GroupedDouble(1234.5678, 7), "1,234.568"}, {GroupedDouble(0.0012345, 7), "0.0012345"},
        {GroupedDouble(123.456, 3), "123"}, {GroupedDouble(12345.6, 3), "12,345.0"}, {GroupedDouble(1.999, 3), "2.00"},
        {GroupedDouble(-9.9999, 3), "-10.0"}, {GroupedDouble(99.99996, 4), "100.0"}, {GroupedDouble(12.5, 3), "12.5"},
        {GroupedDouble(1234567.6, 0), "1,234,568"}, {GroupedDouble(0.0, 7), "0.0000000"},
        {GroupedBy({1, 2, 0, 0}, 1234567.891), "1,234,567.89"}, {GroupedBy({0, 2, 0, 0}, 1.0), "caller's"},
        {GroupedBy({1, 0, 0, 0}, -1234567.5), "-1,234,568"}, {GroupedBy({10, 2, 7, 0}, 1234567.0), "1,234,567"},
        {GroupedBy({2, 2, 0, 0}, 1234567.0), "1.23e+006"}, // an exponent is never grouped
        // In a period locale notation changes nothing.
        {Converted(&Tool_ReplaceMacroCaltureLocal2US, "x=1,234.5 a,b"), "x=1,234.5 a,b"},
        {Converted(&Tool_ReplaceMacroCaltureUS2Local, "x=1,234.5 a,b"), "x=1,234.5 a,b"},
        {Converted(&Tool_ReplacePeriod2DecimalPoint, "1.5,2"), "1.5,2"},
        {Converted(&Tool_ReplaceDecimalPoint2Period, "1.5,2"), "1.5,2"}});
    ExpectRows<int>({
        {decimals("1.250000000000000e-02"), 4}, {decimals("1.000000000000000e+02"), 0}, {decimals("12.5"), 0},
        {decimals("-1.250000000000000e-002"), 4}, {decimals("1.25e+01"), 1}, {decimals(nullptr), 0},
        {Tool_CalcNumOfDecimalsDouble(0.1), 1}, {Tool_CalcNumOfDecimalsDouble(1e-20), 15},
        {Tool_CalcNumOfDecimalsDouble(123.25), 2}, {Tool_CalcNumOfDecimalsDouble(1200.0), 0},
        {Tool_CalcNumOfDecimalsFloat(0.5f), 1}, {Tool_CalcNumOfDecimalsFloat(1e-10f), 6},
        {compare(1.0004, 1.0, 2), 0}, {compare(1.0004, 1.0, 3), 1}, {compare(1.0, 1.0011, 2), -1}, {compare(-5.0, -5.0, 0), 0},
        {compare(1.5, 1.0, 0), 1}, {compare(1.05, 1.0, 0), 0}, {compare(1.002, 1.0, 2), 1}, {compare(kNaN, 1.0, 2), 1},
        {compare(1.0, kNaN, 2), 1}, {Tool_CompareFloat(1.0004f, 1.0f, 2), 0}, {Tool_CompareFloat(1.0004f, 1.0f, 3), 1},
        {Tool_CompareFloat(1.0f, 1.0011f, 2), -1}, {Tool_CompareFloat(std::numeric_limits<float>::quiet_NaN(), 1.0f, 2), 1},
        {Tool_CompareFloat(16777216.0f, static_cast<float>(16777217.0), 6), 0}, // not a float: both 16777216
        {numeric("12"), 1}, {numeric(" 12"), 1}, {numeric("12."), 1}, {numeric("-"), 1}, {numeric("+"), 1}, {numeric("1e"), 1},
        {numeric("1e-"), 1}, {numeric("-1.5e+3"), 1}, {numeric(".5"), 1}, {numeric("."), 1}, {numeric("1 2"), 0},
        {numeric("12 "), 0}, {numeric("1,5"), 0}, {numeric("abc"), 0}, {numeric("12a"), 0}, {numeric(""), 0},
        {numeric("1.2.3"), 0}, {numeric(nullptr), 0}});
    // clang-format on
    EXPECT_TRUE(Forf(12.0) == "12.0" || Forf(12.0) == "12") << "never a bare point: " << Forf(12.0);
    Tool_PutComma(nullptr, 10);
    Tool_ReplacePeriod2DecimalPointLPTSTR(nullptr);
}

// A comma decimal point: the suite "CommaLocale*" in a second process in a German locale.
const ChildMode kCommaChild("numbers-comma", [](const std::vector<std::string>&) {
    return Tool_GetStringDecimalPoint() == "," ? RunSuitesInThisProcess("CommaLocale*") : 3;
});

TEST(InGermanLocale, CommaLocaleTestsPass) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "the locale of a child is set through Wine's Unix environment";
    }
    const ChildResult result = RunChildInLocale("de_DE.UTF-8", "numbers-comma");
    EXPECT_TRUE(result.finished && result.exitCode == 0) << "3: not a comma decimal point; 1: a test failed";
}

TEST(CommaLocaleNumbers, UseTheLocalDecimalPointAndSwapPointAndSeparator) {
    if (Tool_GetStringDecimalPoint() != ",") {
        GTEST_SKIP() << "runs in the child process with a comma decimal point";
    }
    // clang-format off
    ExpectFormats({
        {1, 2, 0, 1, 2.675, "2,68"}, {2, 2, 0, 1, 1234.5, "1,23e+003"}, {3, 0, 4, 1, 0.000123456, "0,0001235"},
        {3, 0, 3, 1, 1234.5, "1,23e+003"}, {4, 0, 4, 1, 1.5, "1,5"}, {4, 0, 4, 1, 1.25e-7, "1,25e-007"},
        {4, 0, 3, 1, 2.0, "2"}, {10, 0, 2, 1, 0.0999, "0,10"}, {5, 0, 0, 1, 1234.5, "1234,5"},
        {2, 2, 0, 1, 0.0, "0,00e+000"}, {1, 2, 0, 2, 0.29, "0,29"}});
    const auto toUs = &Tool_ReplaceMacroCaltureLocal2US, toLocal = &Tool_ReplaceMacroCaltureUS2Local;
    ExpectRows<std::string>({
        {Tool_GetStringThousandsSep().GetString(), "."},
        {Converted(toUs, "1.234,5"), "1,234.5"}, {Converted(toLocal, "1,234.5"), "1.234,5"},
        {Converted(toUs, "x=3,5"), "x=3.5"}, {Converted(toLocal, "x=3.5"), "x=3,5"},
        {Converted(toUs, "12.345.678,9"), "12,345,678.9"}, {Converted(toLocal, "12,345,678.9"), "12.345.678,9"},
        {Converted(toUs, "summe 1.234 und 2,5;"), "summe 1,234 und 2.5;"},
        {Converted(toLocal, "summe 1,234 und 2.5;"), "summe 1.234 und 2,5;"},
        {Converted(toUs, "1,"), "1."}, {Converted(toLocal, "1."), "1,"}, {Converted(toUs, ""), ""},
        {Converted(toUs, "a,b"), "a.b"}, // a lone decimal-point character starts a number
        {Converted(&Tool_ReplacePeriod2DecimalPoint, "1.5;2.5"), "1,5;2,5"},
        {Converted(&Tool_ReplaceDecimalPoint2Period, "1,5;2,5"), "1.5;2.5"},
        {GroupedDouble(1234.5678, 7), "1.234,568"}, {GroupedBy({1, 2, 0, 0}, 1234567.891), "1.234.567,89"},
        {ValueString(1.5, 4), "1,500"}, {RoundOff("-1,235", 3), "-1,24"}, {RoundOff("1.5", 1), "refused"}});
    // clang-format on
    char buffer[] = "1.5.";
    Tool_ReplacePeriod2DecimalPointLPTSTR(buffer);
    EXPECT_STREQ("1,5,", buffer);
    EXPECT_TRUE(Tool_IsNumeric("1,5") && !Tool_IsNumeric("1.5"));
}

} // namespace
