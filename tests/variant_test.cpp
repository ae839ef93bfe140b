#include "test_support.h"
#include "ovstoolvariant.h"
#include "ovstooldbgreport.h"
#include "unique_resource.h"
#include "locale_child.h"

#include <afxdisp.h>

#include <optional>
#include <string>
#include <vector>

using ovs::test::ReadFileText;
using ovs::test::ReportFolder;
using ovs::test::SplitLines;

namespace {

// The report opens once per process: the first test to need it opens it in a folder of its own.
const std::string& ReportPath() {
    static const std::string path = [] {
        ovs::test::ResetProductRegistry();
        static ReportFolder folder;
        Tool_InitDbgReportEx(1, OVS_DBGMASK_ERR | OVS_DBGMASK_WRN | OVS_DBGMASK_INF | OVS_DBGMASK_DBG,
                             0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 1, "B", "A");
        ovs::test::ResetProductRegistry();
        return folder.reportFile();
    }();
    return path;
}

// Every message written with this source name, in order.
std::vector<std::string> MessagesOf(const std::string& source) {
    std::vector<std::string> messages;
    const std::string marker = "\t" + source + "(";
    for (const std::string& line : SplitLines(ReadFileText(ReportPath()))) {
        const size_t at = line.find(marker);
        if (at == std::string::npos) {
            continue;
        }
        const size_t tab = line.find('\t', at + marker.size());
        messages.push_back(tab == std::string::npos ? std::string() : line.substr(tab + 1));
    }
    return messages;
}

int g_sourceCounter = 0;

std::string NextSource() {
    return "variant" + std::to_string(++g_sourceCounter) + ".cpp";
}

// The text of one variant as the report gets it.
std::string TextOf(const VARIANT& value) {
    ReportPath();
    const std::string source = NextSource();
    Tool_DbgReportVariant(source.c_str(), 7, OVS_DBG_ERR, "<%s>", &value);
    const std::vector<std::string> messages = MessagesOf(source);
    if (messages.size() != 1) {
        return "<" + std::to_string(messages.size()) + " lines>";
    }
    const std::string& message = messages.front();
    if (message.size() < 2 || message.front() != '<' || message.back() != '>') {
        return "<bad line " + message + ">";
    }
    return message.substr(1, message.size() - 2);
}

class Variant {
public:
    Variant() { VariantInit(&m_value); }
    ~Variant() { VariantClear(&m_value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* operator&() { return &m_value; }
    VARIANT& get() { return m_value; }

private:
    VARIANT m_value;
};

std::string DateText(DATE date) {
    ovs::unique_bstr text;
    if (FAILED(VarBstrFromDate(date, LOCALE_USER_DEFAULT, 0, text.put()))) {
        return "<no date text>";
    }
    char narrow[128] = {};
    WideCharToMultiByte(CP_ACP, 0, text.get(), -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

} // namespace

TEST(VariantText, EmptyNullAndIntegers) {
    Variant empty;
    EXPECT_EQ("VT_EMPTY", TextOf(empty.get()));
    Variant null;
    null.get().vt = VT_NULL; // no text form: the name alone
    EXPECT_EQ("VT_NULL", TextOf(null.get()));
    Variant i2;
    i2.get().vt = VT_I2;
    i2.get().iVal = -12;
    EXPECT_EQ("VT_I2 -12", TextOf(i2.get()));
    Variant i4;
    i4.get().vt = VT_I4;
    i4.get().lVal = 42;
    EXPECT_EQ("VT_I4 42", TextOf(i4.get()));
}

TEST(VariantText, FloatsCurrencyAndDate) {
    Variant r4;
    r4.get().vt = VT_R4;
    r4.get().fltVal = 1.5f;
    EXPECT_EQ("VT_R4 1.5", TextOf(r4.get()));
    Variant r8;
    r8.get().vt = VT_R8;
    r8.get().dblVal = -2.25;
    EXPECT_EQ("VT_R8 -2.25", TextOf(r8.get()));
    Variant cy;
    cy.get().vt = VT_CY;
    cy.get().cyVal.int64 = 123400; // four decimals: 12.34
    EXPECT_EQ("VT_CY 12.34", TextOf(cy.get()));
    Variant date;
    date.get().vt = VT_DATE;
    date.get().date = 45000.5; // 2023-03-15 12:00
    const std::string text = TextOf(date.get());
    EXPECT_EQ("VT_DATE " + DateText(45000.5), text);
    EXPECT_NE(std::string::npos, text.find("2023")) << text;
}

TEST(VariantText, TextAndDoubleByteText) {
    Variant text;
    text.get().vt = VT_BSTR;
    text.get().bstrVal = SysAllocString(L"Peak 1");
    EXPECT_EQ("VT_BSTR Peak 1", TextOf(text.get()));
    Variant emptyText;
    emptyText.get().vt = VT_BSTR;
    emptyText.get().bstrVal = SysAllocString(L"");
    EXPECT_EQ("VT_BSTR ", TextOf(emptyText.get()));
}

TEST(VariantText, InterfacesErrorAndBool) {
    Variant dispatch;
    dispatch.get().vt = VT_DISPATCH;
    dispatch.get().pdispVal = nullptr;
    EXPECT_EQ("VT_DISPATCH", TextOf(dispatch.get()));
    Variant unknown;
    unknown.get().vt = VT_UNKNOWN;
    unknown.get().punkVal = nullptr;
    EXPECT_EQ("VT_UNKNOWN", TextOf(unknown.get()));
    Variant error;
    error.get().vt = VT_ERROR;
    error.get().scode = E_FAIL;
    EXPECT_EQ("VT_ERROR", TextOf(error.get()));
    Variant flag;
    flag.get().vt = VT_BOOL;
    flag.get().boolVal = VARIANT_TRUE;
    EXPECT_EQ("VT_BOOL -1", TextOf(flag.get())); // no flags: the number form, not "True"
}

TEST(VariantText, DecimalKeepsTheCommaOfItsName) {
    Variant decimal;
    decimal.get().decVal.scale = 1;
    decimal.get().decVal.Lo64 = 15;
    decimal.get().vt = VT_DECIMAL; // written after the value: vt shares its bytes
    EXPECT_EQ("VT_DECIMAL, 1.5", TextOf(decimal.get()));
}

TEST(VariantText, SmallAndWideIntegers) {
    Variant i1;
    i1.get().vt = VT_I1;
    i1.get().cVal = -5;
    EXPECT_EQ("VT_I1 -5", TextOf(i1.get()));
    Variant ui1;
    ui1.get().vt = VT_UI1;
    ui1.get().bVal = 200;
    EXPECT_EQ("VT_UI1 200", TextOf(ui1.get()));
    Variant ui2;
    ui2.get().vt = VT_UI2;
    ui2.get().uiVal = 60000;
    EXPECT_EQ("VT_UI2 60000", TextOf(ui2.get()));
    Variant ui4;
    ui4.get().vt = VT_UI4;
    ui4.get().ulVal = 4000000000u;
    EXPECT_EQ("VT_UI4 4000000000", TextOf(ui4.get()));
    Variant i8;
    i8.get().vt = VT_I8;
    i8.get().llVal = -9000000000LL;
    EXPECT_EQ("VT_I8 -9000000000", TextOf(i8.get()));
    Variant ui8;
    ui8.get().vt = VT_UI8;
    ui8.get().ullVal = 18000000000000000000ULL;
    EXPECT_EQ("VT_UI8 18000000000000000000", TextOf(ui8.get()));
}

TEST(VariantText, ByReferenceIsNamedByItsLowBits) {
    LONG value = 7;
    Variant reference;
    reference.get().vt = VT_I4 | VT_BYREF;
    reference.get().plVal = &value;
    EXPECT_EQ("VT_I4 7", TextOf(reference.get()));
}

// Index 15 has no variant form: copying it fails, and the failure is thrown as the framework's OLE
// exception carrying the code.
TEST(VariantText, TypeThatCannotBeCopiedThrowsTheFrameworkException) {
    Variant odd;
    odd.get().vt = 15;
    HRESULT thrown = S_OK;
    try {
        TextOf(odd.get());
    } catch (COleException* caught) {
        thrown = caught->m_sc;
        caught->Delete();
    }
    odd.get().vt = VT_EMPTY;
    EXPECT_EQ(DISP_E_BADVARTYPE, thrown);
}

TEST(VariantText, VariantByReferenceShowsTheInnerValue) {
    VARIANT inner;
    VariantInit(&inner);
    inner.vt = VT_I4;
    inner.lVal = 5;
    Variant reference;
    reference.get().vt = VT_VARIANT | VT_BYREF;
    reference.get().pvarVal = &inner;
    EXPECT_EQ("VT_VARIANT 5", TextOf(reference.get()));
}

TEST(VariantText, TypeNamesOfEveryIndex) {
    const char* const names[] = {"VT_EMPTY", "VT_NULL", "VT_I2",      "VT_I4",      "VT_R4",
                                 "VT_R8",    "VT_CY",   "VT_DATE",    "VT_BSTR",    "VT_DISPATCH",
                                 "VT_ERROR", "VT_BOOL", "VT_VARIANT", "VT_UNKNOWN", "VT_DECIMAL,",
                                 "None",     "VT_I1",   "VT_UI1",     "VT_UI2",     "VT_UI4",
                                 "VT_I8",    "VT_UI8"};
    // An array of each element type shows the element's name; only empty arrays are made, so that
    // every index, even those with no array form of their own, can be named.
    for (VARTYPE index = 0; index <= 21; ++index) {
        Variant array;
        array.get().vt = static_cast<VARTYPE>(VT_ARRAY | index);
        array.get().parray = nullptr;
        EXPECT_EQ(std::string("VT_ARRAY (") + names[index] + ")", TextOf(array.get())) << "index " << index;
        array.get().vt = VT_EMPTY;
    }
}

TEST(VariantText, ArrayOfIntegersHasNoValue) {
    Variant array;
    array.get().vt = VT_ARRAY | VT_I4;
    array.get().parray = SafeArrayCreateVector(VT_I4, 0, 3);
    ASSERT_NE(nullptr, array.get().parray);
    EXPECT_EQ("VT_ARRAY (VT_I4)", TextOf(array.get()));
}

TEST(VariantText, ArrayOfAnUnnamedElementType) {
    Variant array;
    array.get().vt = VT_ARRAY | 0x48;
    array.get().parray = nullptr;
    EXPECT_EQ("VT_ARRAY", TextOf(array.get()));
    array.get().vt = VT_EMPTY;
}

TEST(VariantText, TypeAbove21IsOther) {
    Variant clsid;
    clsid.get().vt = 0x48;
    EXPECT_EQ("Other", TextOf(clsid.get()));
    clsid.get().vt = VT_EMPTY;
}

TEST(DbgReportVariant, TwoAndThreeVariantsInOrder) {
    ReportPath();
    Variant a, b, c;
    a.get().vt = VT_I4;
    a.get().lVal = 1;
    b.get().vt = VT_I2;
    b.get().iVal = 2;
    c.get().vt = VT_NULL;
    const std::string two = NextSource();
    Tool_DbgReportVariant(two.c_str(), 11, OVS_DBG_WRN, "a=%s b=%s", &a, &b);
    const std::string three = NextSource();
    Tool_DbgReportVariant(three.c_str(), 12, OVS_DBG_INF, "a=%s b=%s c=%s", &a, &b, &c);
    EXPECT_EQ(std::vector<std::string>{"a=VT_I4 1 b=VT_I2 2"}, MessagesOf(two));
    EXPECT_EQ(std::vector<std::string>{"a=VT_I4 1 b=VT_I2 2 c=VT_NULL"}, MessagesOf(three));
}

TEST(DbgReportVariant, ThirdWithoutSecondWritesNothing) {
    ReportPath();
    Variant a, c;
    a.get().vt = VT_I4;
    a.get().lVal = 1;
    c.get().vt = VT_I4;
    c.get().lVal = 3;
    const std::string source = NextSource();
    Tool_DbgReportVariant(source.c_str(), 13, OVS_DBG_ERR, "%s %s", &a, nullptr, &c);
    EXPECT_TRUE(MessagesOf(source).empty());
}

TEST(DbgReportVariant, LineCarriesTheCallersSourceLineAndLevel) {
    ReportPath();
    Variant a;
    const std::string source = NextSource();
    Tool_DbgReportVariant(source.c_str(), 321, OVS_DBG_WRN, "%s", &a);
    bool found = false;
    for (const std::string& line : SplitLines(ReadFileText(ReportPath()))) {
        if (line.find("[WRN]\t" + source + "(  321)\tVT_EMPTY") != std::string::npos) {
            found = true;
        }
    }
    EXPECT_TRUE(found);
}

TEST(DbgReportVariant, DisabledLevelWritesNothing) {
    ReportPath();
    Variant a;
    const std::string source = NextSource();
    Tool_DbgReportVariant(source.c_str(), 1, OVS_DBG_TMG, "%s", &a);
    EXPECT_TRUE(MessagesOf(source).empty());
}

TEST(DbgReportVariant, NullFirstVariantWritesNoLineOfItsOwn) {
    ReportPath();
    const std::string source = NextSource();
    Tool_DbgReportVariant(source.c_str(), 1, OVS_DBG_ERR, "%s", nullptr);
    EXPECT_TRUE(MessagesOf(source).empty());
}

namespace {

// Child in a Japanese locale: writes a text variant into a report of its own and checks the bytes.
ovs::test::ChildMode doubleByteMode("variant-double-byte", [](const std::vector<std::string>&) {
    if (GetACP() != 932) {
        return 2;
    }
    ReportFolder folder;
    if (!Tool_InitDbgReportEx(1, OVS_DBGMASK_ERR, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 1, "B", "A")) {
        return 3;
    }
    Variant text;
    text.get().vt = VT_BSTR;
    text.get().bstrVal = SysAllocString(L"\u30D4\u30FC\u30AF 1"); // "peak 1" in katakana
    Tool_DbgReportVariant("dbcs.cpp", 5, OVS_DBG_ERR, "<%s>", &text);
    const std::string expected = "\tdbcs.cpp(    5)\t<VT_BSTR \x83\x73\x81\x5B\x83\x4E 1>";
    for (const std::string& line : SplitLines(ReadFileText(folder.reportFile()))) {
        if (line.size() >= expected.size() &&
            line.compare(line.size() - expected.size(), expected.size(), expected) == 0) {
            return 0;
        }
    }
    return 4;
});

} // namespace

TEST(VariantText, DoubleByteTextInCodePage932) {
    if (!ovs::test::RunsUnderWine()) {
        GTEST_SKIP() << "a per-process locale needs Wine";
    }
    ReportPath();
    const ovs::test::ChildResult child = ovs::test::RunChildInLocale("ja_JP.UTF-8", "variant-double-byte");
    ovs::test::ResetProductRegistry();
    ASSERT_TRUE(child.finished);
    EXPECT_EQ(0u, child.exitCode);
}
