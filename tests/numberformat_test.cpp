// Doubles to text by the data-format record and the rounding mode, in both engines.
#include "locale_child.h"
#include "ovsreg.h"
#include "ovsregcurrentuser.h"
#include "ovstoolnumberformat.h"
#include "ovstoolseparators.h"
#include "test_support.h"
#include "unique_resource.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

using ovs::test::RegistryTest;
using ovs::test::RunChild;
using ovs::test::RunChildInLocale;
using ovs::test::RunsUnderWine;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr char kDataFormatKey[] = OVS_REG_PRODUCT_ROOT "\\DataFormat";

struct FormatCase {
    const char* name;
    WORD kind;
    WORD decimals;
    WORD significant;
    short mode;
    double value;
    const char* expected;
    bool ok;
};

OVS_DATAFORMAT Format(WORD kind, WORD decimals, WORD significant) {
    return OVS_DATAFORMAT{kind, decimals, significant, 0};
}

// Runs a table in this process; the 1-based index of the first case that differs, or 0.
int FirstMismatch(const std::vector<FormatCase>& cases) {
    for (size_t i = 0; i < cases.size(); ++i) {
        const FormatCase& c = cases[i];
        const OVS_DATAFORMAT format = Format(c.kind, c.decimals, c.significant);
        CString text = "unchanged";
        const BOOL ok = Tool_GenerateValueStringByDataFormat(&format, c.mode, c.value, text);
        if ((ok != FALSE) != c.ok || text.Compare(c.expected) != 0) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

std::string Describe(const std::vector<FormatCase>& cases, int mismatch) {
    return mismatch == 0 ? std::string("all equal")
                         : std::string("first mismatch: ") + cases[static_cast<size_t>(mismatch) - 1].name;
}

// ---- The digit engine, period decimal point ------------------------------------------------------

class DigitEngineTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(DigitEngineTest, FormatsByTheRecordAndMode) {
    if (Tool_GetStringDecimalPoint() != ".") {
        GTEST_SKIP() << "the expected texts use a period decimal point";
    }
    const FormatCase& c = GetParam();
    const OVS_DATAFORMAT format = Format(c.kind, c.decimals, c.significant);
    CString text = "unchanged";
    EXPECT_EQ(c.ok, Tool_GenerateValueStringByDataFormat(&format, c.mode, c.value, text) != FALSE);
    EXPECT_STREQ(c.expected, text.GetString());
}

const FormatCase kFixedPoint[] = {
    {"HalfBelowInBinary2675", 1, 2, 0, 1, 2.675, "2.68", true},
    {"HalfBelowInBinary1005", 1, 2, 0, 1, 1.005, "1.01", true},
    {"HalfBelowInBinary0285", 1, 2, 0, 1, 0.285, "0.29", true},
    {"HalfBelowInBinary0045", 1, 2, 0, 1, 0.045, "0.05", true},
    {"JustBelowHalfStays", 1, 2, 0, 1, 1.0049999, "1.00", true},
    {"NegativeHalf", 1, 2, 0, 1, -2.675, "-2.68", true},
    {"NegativeRoundedToZeroKeepsSign", 1, 2, 0, 1, -0.004, "-0.00", true},
    {"TinyNegativeKeepsSign", 1, 2, 0, 1, -1e-20, "-0.00", true},
    {"TinyPositive", 1, 2, 0, 1, 1e-20, "0.00", true},
    {"RipplesIntoNewDigit", 1, 2, 0, 1, 9.996, "10.00", true},
    {"RipplesIntoTwoNewDigits", 1, 2, 0, 1, 99.996, "100.00", true},
    {"NoDecimalsNoPoint", 1, 0, 0, 1, 2.5, "3", true},
    {"NoDecimalsHalf", 1, 0, 0, 1, 0.5, "1", true},
    {"BelowRoundingPosition", 1, 1, 0, 1, 0.05, "0.1", true},
    {"Zero", 1, 2, 0, 1, 0.0, "0.00", true},
    {"ZeroNoDecimals", 1, 0, 0, 1, 0.0, "0", true},
    {"LargeInteger", 1, 2, 0, 1, 1e20, "100000000000000000000.00", true},
    {"FifteenDecimals", 1, 15, 0, 1, 0.5, "0.500000000000000", true},
    {"FifteenDecimalsCarry", 1, 15, 0, 1, 0.9999999999999999, "1.000000000000000", true},
    {"TruncateKeepsValueJustBelow", 1, 2, 0, 2, 0.29, "0.29", true},
    {"TruncateCuts", 1, 2, 0, 2, 2.349, "2.34", true},
    {"TruncateNegative", 1, 2, 0, 2, -2.349, "-2.34", true},
    {"TruncateOneUnitBelow", 1, 1, 0, 2, 0.3, "0.3", true},
    {"TenthCarriesAboveTenth", 1, 1, 0, 3, 2.32, "2.4", true},
    {"TenthCarriesAtTenthJustBelowInBinary", 1, 1, 0, 3, 2.31, "2.4", true},
    {"TenthKeepsBelowTenth", 1, 1, 0, 3, 2.305, "2.3", true},
    {"OtherModePlainTruncation", 1, 2, 0, 0, 2.679, "2.67", true},
    {"OtherModeNoTolerance", 1, 2, 0, 7, 0.29, "0.28", true},
};
INSTANTIATE_TEST_SUITE_P(FixedPoint, DigitEngineTest, ::testing::ValuesIn(kFixedPoint),
                         [](const auto& info) { return std::string(info.param.name); });

const FormatCase kExponent[] = {
    {"Kind2Basic", 2, 2, 0, 1, 1234.5, "1.23e+003", true},
    {"Kind2RipplesExponent", 2, 2, 0, 1, 9.996, "1.00e+001", true},
    {"Kind2NoMantissaDigits", 2, 0, 0, 1, 5.5, "6e+000", true},
    {"Kind2Negative", 2, 3, 0, 1, -0.00012345, "-1.235e-004", true},
    {"Kind2ThreeDigitExponent", 2, 2, 0, 1, 1e-100, "1.00e-100", true},
    {"Kind2LargeExponent", 2, 1, 0, 1, 1e300, "1.0e+300", true},
    {"Kind2Zero", 2, 2, 0, 1, 0.0, "0.00e+000", true},
    {"Kind2ZeroWidth", 2, 2, 12, 1, 0.0, "   0.00e+000", true},
    {"Kind3Exponent", 3, 0, 3, 1, 1234.5, "1.23e+003", true},
    {"Kind3Positional", 3, 0, 4, 1, 0.000123456, "0.0001235", true},
    {"Kind3NegativePositional", 3, 0, 4, 1, -0.000123456, "-0.0001235", true},
    {"Kind3RipplesIntoNewDigit", 3, 0, 2, 1, 9.96, "10", true},
    {"Kind3RipplesToHundred", 3, 0, 3, 1, 99.96, "100", true},
    {"Kind3AtMinusFive", 3, 0, 3, 1, 0.00001, "1.00e-005", true},
    {"Kind3AtMinusFour", 3, 0, 3, 1, 0.0001, "0.000100", true},
    {"Kind3AtS", 3, 0, 3, 1, 1000.0, "1.00e+003", true},
    {"Kind3BelowS", 3, 0, 3, 1, 999.0, "999", true},
    {"Kind3TrailingZerosKept", 3, 0, 4, 1, 1.5, "1.500", true},
    {"Kind3Zero", 3, 0, 3, 1, 0.0, "0", true},
    {"Kind3NoDigits", 3, 0, 0, 1, 1.5, "", false},
    {"Kind4IntegerZerosStay", 4, 0, 3, 1, 100.0, "100", true},
    {"Kind4IntegerZeroStays", 4, 0, 4, 1, 120.0, "120", true},
    {"Kind4FractionZerosGo", 4, 0, 4, 1, 1.5, "1.5", true},
    {"Kind4BarePointGoes", 4, 0, 3, 1, 2.0, "2", true},
    {"Kind4ExponentStripped", 4, 0, 3, 1, 1000000.0, "1e+006", true},
    {"Kind4ExponentPartlyStripped", 4, 0, 4, 1, 1.25e-7, "1.25e-007", true},
    {"Kind4AtMinusFive", 4, 0, 3, 1, 0.00001, "1e-005", true},
    {"Kind4SmallPositional", 4, 0, 3, 1, 0.0001, "0.0001", true},
    {"Kind4AtS", 4, 0, 4, 1, 12345.0, "1.235e+004", true},
    {"Kind4Zero", 4, 0, 4, 1, 0.0, "0", true},
    {"Kind4NoDigits", 4, 0, 0, 1, 1.5, "", false},
    {"Kind3Truncate", 3, 0, 3, 2, 1.239, "1.23", true},
    {"Kind3TenthUp", 3, 0, 3, 3, 1.2312, "1.24", true},
};
INSTANTIATE_TEST_SUITE_P(Exponent, DigitEngineTest, ::testing::ValuesIn(kExponent),
                         [](const auto& info) { return std::string(info.param.name); });

const FormatCase kOtherKinds[] = {
    {"Kind5Plain", 5, 0, 0, 1, 1234.5, "1234.5", true},
    {"Kind5SevenDigits", 5, 0, 0, 1, 3.14159265, "3.141593", true},
    {"Kind5ThreeDigitExponent", 5, 0, 0, 1, 1e20, "1e+020", true},
    {"Kind5Zero", 5, 0, 0, 1, 0.0, "0", true},
    {"Kind10LargeInteger", 10, 0, 3, 1, 123456.0, "123000", true},
    {"Kind10Ripples", 10, 0, 2, 1, 9.99, "10", true},
    {"Kind10SmallKeepsZeros", 10, 0, 2, 1, 0.0999, "0.10", true},
    {"Kind10VerySmallPositional", 10, 0, 2, 1, 1e-7, "0.00000010", true},
    {"Kind10Fraction", 10, 0, 4, 1, 12.345678, "12.35", true},
    {"Kind10Negative", 10, 0, 3, 1, -123456.0, "-123000", true},
    {"Kind10Zero", 10, 0, 3, 1, 0.0, "0", true},
    {"Kind10NoDigits", 10, 0, 0, 1, 1.5, "", false},
    {"UnknownKind", 7, 2, 3, 1, 1.5, "", false},
    {"UnknownKindSix", 6, 2, 3, 1, 1.5, "", false},
    {"FixedPointBeyondThirtyDecimals", 1, 31, 0, 1, 1.5, "", false},
};
INSTANTIATE_TEST_SUITE_P(OtherKinds, DigitEngineTest, ::testing::ValuesIn(kOtherKinds),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DigitEngine, ThirtyDecimalsFitTheBuffer) {
    const OVS_DATAFORMAT format = Format(1, 30, 0);
    CString text;
    EXPECT_TRUE(Tool_GenerateValueStringByDataFormat(&format, 1, -123456.5, text));
    EXPECT_EQ(1 + 6 + 1 + 30, text.GetLength());
    EXPECT_EQ(0, text.Find("-123456.5"));
}

TEST(DigitEngine, LargeValuesKeepAllIntegerDigits) {
    const OVS_DATAFORMAT format = Format(1, 2, 0);
    CString text;
    EXPECT_TRUE(Tool_GenerateValueStringByDataFormat(&format, 1, -1e300, text));
    EXPECT_EQ(1 + 301 + 3, text.GetLength());
    EXPECT_EQ(0, text.Find("-10000000000000000525047602552044202487"));
    EXPECT_EQ(text.GetLength() - 3, text.Find(".00"));
    const OVS_DATAFORMAT thirty = Format(1, 30, 0);
    EXPECT_TRUE(Tool_GenerateValueStringByDataFormat(&thirty, 1, 1.7976931348623157e308, text));
    EXPECT_EQ(309 + 1 + 30, text.GetLength());
    EXPECT_EQ(0, text.Find("17976931348623157081452742373170435679807056752584499659891747680315726078"));
}

TEST(DigitEngine, KindZeroLeavesTheTextAndFails) {
    const OVS_DATAFORMAT format = Format(0, 2, 3);
    CString text = "caller's";
    EXPECT_FALSE(Tool_GenerateValueStringByDataFormat(&format, 1, 1.5, text));
    EXPECT_STREQ("caller's", text.GetString());
    EXPECT_FALSE(Tool_GenerateValueStringByDataFormat(nullptr, 1, 1.5, text));
    EXPECT_STREQ("caller's", text.GetString());
}

TEST(DigitEngine, NegativeZeroIsZeroWithOrWithoutItsSign) {
    const OVS_DATAFORMAT format = Format(1, 2, 0);
    CString text;
    EXPECT_TRUE(Tool_GenerateValueStringByDataFormat(&format, 1, -0.0, text));
    EXPECT_TRUE(text == "0.00" || text == "-0.00") << text.GetString();
}

TEST(DigitEngine, NonFiniteValuesGiveSomeTextWithinTheBuffer) {
    for (WORD kind : {1, 2, 3, 4, 5, 10}) {
        const OVS_DATAFORMAT format = Format(kind, 2, 4);
        for (double value : {kInf, -kInf, kNaN}) {
            CString text;
            Tool_GenerateValueStringByDataFormat(&format, 1, value, text);
            EXPECT_LT(text.GetLength(), 372);
        }
    }
}

TEST(DigitEngine, ExtremeValuesStayWithinTheBuffer) {
    for (double value :
         {1.7976931348623157e308, -1.7976931348623157e308, 4.9e-324, -2.2250738585072014e-308}) {
        const OVS_DATAFORMAT fixed = Format(1, 30, 0);
        CString text;
        EXPECT_TRUE(Tool_GenerateValueStringByDataFormat(&fixed, 1, value, text));
        EXPECT_LT(text.GetLength(), 372);
        const OVS_DATAFORMAT significant = Format(3, 0, 30);
        EXPECT_TRUE(Tool_GenerateValueStringByDataFormat(&significant, 1, value, text));
    }
}

// ---- Comma decimal point: a second process in a German locale -----------------------------------

const std::vector<FormatCase> kCommaCases = {
    {"FixedPoint", 1, 2, 0, 1, 2.675, "2,68", true},
    {"Exponent", 2, 2, 0, 1, 1234.5, "1,23e+003", true},
    {"Kind3Positional", 3, 0, 4, 1, 0.000123456, "0,0001235", true},
    {"Kind3Exponent", 3, 0, 3, 1, 1234.5, "1,23e+003", true},
    {"Kind4Stripped", 4, 0, 4, 1, 1.5, "1,5", true},
    {"Kind4ExponentStripped", 4, 0, 4, 1, 1.25e-7, "1,25e-007", true},
    {"Kind4BarePoint", 4, 0, 3, 1, 2.0, "2", true},
    {"Kind10", 10, 0, 2, 1, 0.0999, "0,10", true},
    {"Kind5", 5, 0, 0, 1, 1234.5, "1234,5", true},
    {"ZeroKind2", 2, 2, 0, 1, 0.0, "0,00e+000", true},
    {"Truncate", 1, 2, 0, 2, 0.29, "0,29", true},
};

int RunCommaTable(const std::vector<std::string>&) {
    if (Tool_GetStringDecimalPoint() != ",") {
        return 100;
    }
    int failure = FirstMismatch(kCommaCases);
    if (failure != 0) {
        return failure;
    }
    CString text;
    Tool_GenerateValueString(1.5, 4, text);
    if (text != "1,500") {
        return 50;
    }
    text = "-1,235";
    if (!Tool_RoundOffString(text, 3) || text != "-1,24") {
        return 51;
    }
    text = "1.5";
    if (Tool_RoundOffString(text, 1)) {
        return 52;
    }
    return 0;
}
ovs::test::ChildMode commaTableMode("numbers-comma-table", RunCommaTable);

TEST(DigitEngine, CommaDecimalPointReplacesEveryPeriod) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "the locale of a child is set through Wine's Unix environment";
    }
    const ovs::test::ChildResult result = RunChildInLocale("de_DE.UTF-8", "numbers-comma-table");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode) << Describe(kCommaCases,
                                               result.exitCode < 50 ? static_cast<int>(result.exitCode) : 0)
                                   << " (50+: value string and round-off, 100: not a comma locale)";
}

// ---- The rounding switch and the rounding-printf engine ------------------------------------------

void WriteRoundMode(int value) {
    ASSERT_TRUE(Tool_WriteRegInt(OVS_REG_PRODUCT_ROOT, "DataFormat", "RoundMode", value));
}

const std::vector<FormatCase> kRoundingPrintfCases = {
    // Caller's mode 1 (and any but 2 and 3): the runtime's own rounding of the exact binary value.
    {"PositionalPrintfRounding", 1, 2, 0, 1, 2.675, "2.67", true},
    {"PositionalPrintfRoundingUp", 1, 2, 0, 1, 2.676, "2.68", true},
    {"OtherModeIsPrintfRounding", 1, 2, 0, 9, 2.676, "2.68", true},
    // Caller's mode 2: truncation on the decimal scale, binary noise shed.
    {"PositionalTruncate", 1, 2, 0, 2, 2.679, "2.67", true},
    {"PositionalTruncateKeepsJustBelow", 1, 2, 0, 2, 0.29, "0.29", true},
    {"PositionalTruncateNegative", 1, 2, 0, 2, -2.679, "-2.67", true},
    // Caller's mode 3: up from a tenth (0.9 added before truncation).
    {"PositionalTenthUp", 1, 2, 0, 3, 2.611, "2.62", true},
    {"PositionalTenthBelow", 1, 2, 0, 3, 2.605, "2.61", true},
    {"ExponentPrintfRounding", 3, 0, 3, 1, 1234.5, "1.23e+003", true},
    {"ExponentTruncate", 3, 0, 3, 2, 1239.0, "1.23e+003", true},
    {"ExponentTenthUp", 3, 0, 3, 3, 1234.5, "1.24e+003", true},
    {"ExponentKind2", 2, 3, 0, 2, 0.000012349, "1.234e-005", true},
    {"ExponentKind4KeepsZeros", 4, 0, 3, 1, 100.0, "1.00e+002", true},
    {"ExponentKind5", 5, 0, 4, 1, 1234.56, "1.235e+003", true},
    {"Kind5WithoutDigitsIsEmpty", 5, 0, 0, 1, 1234.5, "", true},
    {"Kind10Positional", 10, 1, 3, 1, 2.26, "2.3", true},
    {"UnknownKindPositional", 7, 1, 0, 1, 2.26, "2.3", true},
    {"ExponentZero", 2, 2, 0, 2, 0.0, "0.00e+000", true},
    {"PrecisionOverHundredEmpty", 1, 101, 0, 1, 1.5, "", true},
    {"PrecisionHundred", 1, 100, 0, 2, 0.0,
     "0.0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000",
     true},
    {"InfiniteIsZero", 1, 2, 0, 1, kInf, "0.00", true},
    {"NegativeInfiniteIsZero", 2, 1, 0, 2, -kInf, "0.0e+000", true},
    {"NaNIsZero", 1, 2, 0, 3, kNaN, "0.00", true},
};

// The switch is read once, by the first data-format read, and kept for the process.
int RunRoundingSwitch(const std::vector<std::string>&) {
    const OVS_DATAFORMAT fixed = Format(1, 2, 0);
    CString text;
    Tool_GenerateValueStringByDataFormat(&fixed, 1, 2.675, text);
    if (text != "2.68") {
        return 101; // before any data-format read: the digit engine
    }
    OVS_DATAFORMAT read{};
    Tool_GetRegDataFormat2("NumbersTestUnknownFormat", "1,2,0", &read);
    const int failure = FirstMismatch(kRoundingPrintfCases);
    if (failure != 0) {
        return failure;
    }
    Tool_WriteRegInt(OVS_REG_PRODUCT_ROOT, "DataFormat", "RoundMode", 0);
    Tool_GetRegDataFormat2("NumbersTestUnknownFormat", "1,2,0", &read);
    Tool_GenerateValueStringByDataFormat(&fixed, 1, 2.675, text);
    return text == "2.67" ? 0 : 102; // still the rounding-printf engine
}
ovs::test::ChildMode roundingSwitchMode("numbers-rounding-switch", RunRoundingSwitch);

class RoundingSwitchTest : public RegistryTest {};

TEST_F(RoundingSwitchTest, SwitchOneSelectsTheRoundingPrintfEngineOncePerProcess) {
    if (Tool_GetStringDecimalPoint() != ".") {
        GTEST_SKIP() << "the expected texts use a period decimal point";
    }
    WriteRoundMode(1);
    const ovs::test::ChildResult result = RunChild("numbers-rounding-switch");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode) << Describe(kRoundingPrintfCases,
                                               result.exitCode <= 100 ? static_cast<int>(result.exitCode) : 0)
                                   << " (101: digit engine not used first, 102: switch read again)";
}

int RunSwitchOther(const std::vector<std::string>&) {
    OVS_DATAFORMAT read{};
    Tool_GetRegDataFormat2("NumbersTestUnknownFormat", "1,2,0", &read);
    CString text;
    Tool_GenerateValueStringByDataFormat(&read, 1, 2.675, text);
    return text == "2.68" ? 0 : 1;
}
ovs::test::ChildMode switchOtherMode("numbers-switch-other", RunSwitchOther);

TEST_F(RoundingSwitchTest, OtherSwitchValuesKeepTheDigitEngine) {
    if (Tool_GetStringDecimalPoint() != ".") {
        GTEST_SKIP() << "the expected texts use a period decimal point";
    }
    for (int value : {0, 2, -1}) {
        WriteRoundMode(value);
        const ovs::test::ChildResult result = RunChild("numbers-switch-other");
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(0u, result.exitCode) << "RoundMode " << value;
    }
}

// ---- Reading the data format ---------------------------------------------------------------------

class DataFormatReadTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        DeleteValue();
    }
    void TearDown() override {
        DeleteValue();
        RegistryTest::TearDown();
    }
    static void Write(const char* text) {
        ovs::unique_hkey key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kDataFormatKey, 0, nullptr, 0,
                                                 KEY_SET_VALUE, nullptr, key.put(), nullptr));
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key.get(), kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                 static_cast<DWORD>(std::strlen(text) + 1)));
    }
    static void DeleteValue() {
        ovs::unique_hkey key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kDataFormatKey, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS) {
            RegDeleteValueA(key.get(), kValue);
        }
    }
    static constexpr char kValue[] = "NumbersTestFormat"; // not one of the cached policy names
};

TEST_F(DataFormatReadTest, ReadsFourFieldsFromTheCurrentUser) {
    Write("3,2,5,2");
    OVS_DATAFORMAT format{9, 9, 9, 9};
    EXPECT_TRUE(Tool_GetRegDataFormat2(kValue, "1,0,0", &format));
    EXPECT_EQ(3, format.wKind);
    EXPECT_EQ(2, format.wDecimals);
    EXPECT_EQ(5, format.wSignificantDigits);
    EXPECT_EQ(2, format.wFourth);
}

TEST_F(DataFormatReadTest, MissingValueUsesTheDefaultAndMissingTokensAreZero) {
    OVS_DATAFORMAT format{9, 9, 9, 9};
    EXPECT_TRUE(Tool_GetRegDataFormat2(kValue, "4,1", &format));
    EXPECT_EQ(4, format.wKind);
    EXPECT_EQ(1, format.wDecimals);
    EXPECT_EQ(0, format.wSignificantDigits);
    EXPECT_EQ(0, format.wFourth);
}

TEST_F(DataFormatReadTest, TokensReadAsLeadingDigits) {
    Write("1x,abc,7 ,12,99");
    OVS_DATAFORMAT format{9, 9, 9, 9};
    EXPECT_TRUE(Tool_GetRegDataFormat2(kValue, nullptr, &format));
    EXPECT_EQ(1, format.wKind);
    EXPECT_EQ(0, format.wDecimals);
    EXPECT_EQ(7, format.wSignificantDigits);
    EXPECT_EQ(12, format.wFourth);
}

TEST_F(DataFormatReadTest, NoDefaultAndNoValueGiveKindZero) {
    OVS_DATAFORMAT format{9, 9, 9, 9};
    EXPECT_TRUE(Tool_GetRegDataFormat2(kValue, nullptr, &format));
    EXPECT_EQ(0, format.wKind);
    EXPECT_EQ(0, format.wFourth);
}

TEST_F(DataFormatReadTest, CachedNamesAnswerFromTheCurrentUserFamily) {
    // "Height%" is one of the data formats that the policy cache holds: the registry is not read for
    // it, and a write through the current-user family is what a later read sees.
    OVS_DATAFORMAT format{9, 9, 9, 9};
    EXPECT_TRUE(Tool_GetRegDataFormat2("Height%", "1,2,0,1", &format));
    EXPECT_EQ(1, format.wKind);
    EXPECT_EQ(2, format.wDecimals);
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(OVS_REG_PRODUCT_ROOT, "DataFormat", "Height%", "3,0,5,2"));
    EXPECT_TRUE(Tool_GetRegDataFormat2("Height%", "1,2,0,1", &format));
    EXPECT_EQ(3, format.wKind);
    EXPECT_EQ(0, format.wDecimals);
    EXPECT_EQ(5, format.wSignificantDigits);
    EXPECT_EQ(2, format.wFourth);
}

TEST(DataFormatRead, NullRecordFails) {
    EXPECT_FALSE(Tool_GetRegDataFormat2("Area", "1,2,0", nullptr));
}

// ---- Value strings -------------------------------------------------------------------------------

struct ValueStringCase {
    const char* name;
    double value;
    int digits;
    const char* expected;
};

class ValueStringTest : public ::testing::TestWithParam<ValueStringCase> {};

TEST_P(ValueStringTest, PadsTheRuntimeTextWithZeros) {
    if (Tool_GetStringDecimalPoint() != ".") {
        GTEST_SKIP() << "the expected texts use a period decimal point";
    }
    const ValueStringCase& c = GetParam();
    CString text = "unchanged";
    Tool_GenerateValueString(c.value, c.digits, text);
    EXPECT_STREQ(c.expected, text.GetString());
}

INSTANTIATE_TEST_SUITE_P(Cases, ValueStringTest,
                         ::testing::Values(ValueStringCase{"Padded", 1.5, 4, "1.500"},
                                           ValueStringCase{"LoneZero", 0.5, 3, "0.500"},
                                           ValueStringCase{"NegativeLoneZero", -0.5, 3, "-0.500"},
                                           ValueStringCase{"Negative", -1.5, 4, "-1.500"},
                                           ValueStringCase{"Full", 1.25, 3, "1.25"},
                                           ValueStringCase{"NoPointAsIs", 1e20, 4, "1e+020"},
                                           ValueStringCase{"TooManyDigitsRefused", 1.5, 40, ""},
                                           ValueStringCase{"NegativeDigitsRefused", 1.5, -1, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ValueStringForf, SevenDigitsAndNeverABarePoint) {
    CString text;
    Tool_GenerateValueStringForf(1.5, text);
    EXPECT_STREQ("1.5", text.GetString());
    Tool_GenerateValueStringForf(12.0, text);
    EXPECT_TRUE(text == "12.0" || text == "12") << text.GetString();
    EXPECT_NE('.', text[text.GetLength() - 1]);
    Tool_GenerateValueStringForf(3.14159265, text);
    EXPECT_STREQ("3.141593", text.GetString());
}

// ---- Rounding text numbers -----------------------------------------------------------------------

struct RoundOffCase {
    const char* name;
    const char* text;
    int position;
    bool ok;
    const char* expected;
};

class RoundOffTest : public ::testing::TestWithParam<RoundOffCase> {};

TEST_P(RoundOffTest, DecidesByOneFractionDigit) {
    if (Tool_GetStringDecimalPoint() != ".") {
        GTEST_SKIP() << "the texts use a period decimal point";
    }
    const RoundOffCase& c = GetParam();
    CString text = c.text;
    EXPECT_EQ(c.ok, Tool_RoundOffString(text, c.position) != FALSE);
    EXPECT_STREQ(c.expected, text.GetString());
}

INSTANTIATE_TEST_SUITE_P(Cases, RoundOffTest,
                         ::testing::Values(RoundOffCase{"Down", "1.2345", 3, true, "1.23"},
                                           RoundOffCase{"NegativeUp", "-1.235", 3, true, "-1.24"},
                                           RoundOffCase{"UpWithBlanks", "  1.2355 ", 4, true, "1.236"},
                                           RoundOffCase{"CarryIntoInteger", "1.99", 2, true, "2.0"},
                                           RoundOffCase{"FirstDigitUp", "12.5", 1, true, "13"},
                                           RoundOffCase{"LastDigitDecides", "0.125", 3, true, "0.13"},
                                           RoundOffCase{"GroupedRejected", "1,234.5", 1, false, "1,234.5"},
                                           RoundOffCase{"NoPointRejected", "12", 1, false, "12"},
                                           RoundOffCase{"TwoPointsRejected", "1.2.3", 1, false, "1.2.3"},
                                           RoundOffCase{"FractionTooShort", "1.2", 3, false, "1.2"},
                                           RoundOffCase{"PositionZeroRejected", "1.25", 0, false, "1.25"},
                                           RoundOffCase{"EmptyRejected", "", 1, false, ""},
                                           RoundOffCase{"SignOnlyRejected", "-", 1, false, "-"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Decimal counters ----------------------------------------------------------------------------

TEST(DecimalCount, CountsFractionDigitsOfExponentText) {
    EXPECT_EQ(4, Tool_CalcNumOfDecimalsString("1.250000000000000e-02"));
    EXPECT_EQ(0, Tool_CalcNumOfDecimalsString("1.000000000000000e+02"));
    EXPECT_EQ(4, Tool_CalcNumOfDecimalsString("-1.250000000000000e-002"));
    EXPECT_EQ(1, Tool_CalcNumOfDecimalsString("1.25e+01"));
    EXPECT_EQ(0, Tool_CalcNumOfDecimalsString("12.5"));
    EXPECT_EQ(0, Tool_CalcNumOfDecimalsString(nullptr));
}

TEST(DecimalCount, DoubleAndFloatAreCapped) {
    EXPECT_EQ(1, Tool_CalcNumOfDecimalsDouble(0.1));
    EXPECT_EQ(15, Tool_CalcNumOfDecimalsDouble(1e-20));
    EXPECT_EQ(2, Tool_CalcNumOfDecimalsDouble(123.25));
    EXPECT_EQ(0, Tool_CalcNumOfDecimalsDouble(1200.0));
    EXPECT_EQ(1, Tool_CalcNumOfDecimalsFloat(0.5f));
    EXPECT_EQ(6, Tool_CalcNumOfDecimalsFloat(1e-10f));
}

} // namespace
