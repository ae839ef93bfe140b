#include "test_support.h"
#include "ovstoolvariant.h"
#include "ovstooldbgreport.h"
#include "locale_child.h"

#include <afxdisp.h>

using ovs::test::ReadFileText;
using ovs::test::ReportFolder;

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

// A source name of its own for each report call, so that each finds its own line.
std::string NextSource() {
    static int calls = 0;
    return "variant" + std::to_string(++calls) + ".cpp";
}

// The text of one variant as the report gets it: what its line holds between "<" and ">".
std::string TextOf(const VARIANT& value) {
    const std::string start = "\t" + NextSource() + "(    7)\t<";
    Tool_DbgReportVariant(start.substr(1, start.find('(') - 1).c_str(), 7, OVS_DBG_ERR, "<%s>", &value);
    const std::string report = ReadFileText(ReportPath());
    const size_t at = report.find(start);
    const size_t end = report.find(">\r\n", at);
    return at == std::string::npos || end == std::string::npos
               ? "no line"
               : report.substr(at + start.size(), end - at - start.size());
}

VARIANT Make(VARTYPE type) {
    VARIANT value;
    VariantInit(&value);
    value.vt = type;
    return value;
}

} // namespace

TEST(VariantText, NameAndValueOfEachKind) {
    static LONG referenced = 7;
    static VARIANT inner = Make(VT_I4);
    inner.lVal = 5;
    const struct {
        VARTYPE type;
        void (*set)(VARIANT&);
        std::string text;
    } cases[] = {
        {VT_EMPTY, [](VARIANT&) {}, "VT_EMPTY"},
        {VT_NULL, [](VARIANT&) {}, "VT_NULL"}, // no text form: the name alone
        {VT_I2, [](VARIANT& v) { v.iVal = -12; }, "VT_I2 -12"},
        {VT_R8, [](VARIANT& v) { v.dblVal = -2.25; }, "VT_R8 -2.25"},
        {VT_CY, [](VARIANT& v) { v.cyVal.int64 = 123400; }, "VT_CY 12.34"},
        {VT_DATE, [](VARIANT& v) { v.date = 45000.5; },
         "VT_DATE " + std::string(COleDateTime(45000.5).Format())},
        {VT_BSTR, [](VARIANT& v) { v.bstrVal = SysAllocString(L"Peak 1"); }, "VT_BSTR Peak 1"},
        {VT_BSTR, [](VARIANT& v) { v.bstrVal = SysAllocString(L""); }, "VT_BSTR "},
        {VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; }, "VT_BOOL -1"}, // the number, not "True"
        {VT_DECIMAL, [](VARIANT& v) { v.decVal.scale = 1, v.decVal.Lo64 = 15; }, "VT_DECIMAL, 1.5"},
        {VT_I4 | VT_BYREF, [](VARIANT& v) { v.plVal = &referenced; }, "VT_I4 7"}, // named by its low bits
        {VT_VARIANT | VT_BYREF, [](VARIANT& v) { v.pvarVal = &inner; }, "VT_VARIANT 5"},
        {VT_ARRAY | VT_I4, [](VARIANT& v) { v.parray = SafeArrayCreateVector(VT_I4, 0, 3); },
         "VT_ARRAY (VT_I4)"},
        {VT_ARRAY | 0x48, [](VARIANT& v) { v.parray = nullptr; }, "VT_ARRAY"},
        {0x48, [](VARIANT&) {}, "Other"},
    };
    ReportPath();
    for (const auto& c : cases) {
        VARIANT value = Make(VT_EMPTY);
        c.set(value);
        value.vt = c.type; // after the value: a decimal's value shares the bytes of vt
        EXPECT_EQ(c.text, TextOf(value));
        if (c.type != VT_BSTR && c.type != (VT_ARRAY | VT_I4)) {
            value.vt = VT_EMPTY; // nothing of its own to free
        }
        VariantClear(&value);
    }
    // An array of each element type shows the element's name; only empty arrays are made, so that
    // every index, even those with no array form of their own, can be named.
    const char* const names[] = {"VT_EMPTY", "VT_NULL", "VT_I2",      "VT_I4",      "VT_R4",
                                 "VT_R8",    "VT_CY",   "VT_DATE",    "VT_BSTR",    "VT_DISPATCH",
                                 "VT_ERROR", "VT_BOOL", "VT_VARIANT", "VT_UNKNOWN", "VT_DECIMAL,",
                                 "None",     "VT_I1",   "VT_UI1",     "VT_UI2",     "VT_UI4",
                                 "VT_I8",    "VT_UI8"};
    for (VARTYPE index = 0; index <= 21; ++index) {
        VARIANT array = Make(static_cast<VARTYPE>(VT_ARRAY | index));
        array.parray = nullptr;
        EXPECT_EQ(std::string("VT_ARRAY (") + names[index] + ")", TextOf(array)) << "index " << index;
    }
    // Index 15 has no variant form: copying it fails, thrown as the framework's OLE exception.
    HRESULT thrown = S_OK;
    try {
        TextOf(Make(15));
    } catch (COleException* caught) {
        thrown = caught->m_sc;
        caught->Delete();
    }
    EXPECT_EQ(DISP_E_BADVARTYPE, thrown);
}

TEST(DbgReportVariant, UpToThreeVariantsInOrderAtTheCallersLineAndLevel) {
    const std::string report = ReadFileText(ReportPath());
    VARIANT a = Make(VT_I4);
    a.lVal = 1;
    const VARIANT b = Make(VT_NULL);
    const std::string sources[] = {NextSource(), NextSource(), NextSource(), NextSource(), NextSource()};
    Tool_DbgReportVariant(sources[0].c_str(), 11, OVS_DBG_WRN, "a=%s b=%s", &a, &b);
    Tool_DbgReportVariant(sources[1].c_str(), 321, OVS_DBG_INF, "%s %s %s", &a, &b, &a);
    Tool_DbgReportVariant(sources[2].c_str(), 13, OVS_DBG_ERR, "%s %s", &a, nullptr, &b); // third, no second
    Tool_DbgReportVariant(sources[3].c_str(), 1, OVS_DBG_TMG, "%s", &a);                  // level disabled
    Tool_DbgReportVariant(sources[4].c_str(), 1, OVS_DBG_ERR, "%s", nullptr);
    const std::string added = ReadFileText(ReportPath()).substr(report.size());
    EXPECT_NE(std::string::npos, added.find("[WRN]\t" + sources[0] + "(   11)\ta=VT_I4 1 b=VT_NULL\r\n"))
        << added;
    EXPECT_NE(std::string::npos, added.find("[INF]\t" + sources[1] + "(  321)\tVT_I4 1 VT_NULL VT_I4 1\r\n"));
    for (int i = 2; i < 5; ++i) {
        EXPECT_EQ(std::string::npos, added.find(sources[i])) << sources[i];
    }
}

namespace {

// Child in a Japanese locale: writes a text variant into a report of its own and checks the bytes.
ovs::test::ChildMode doubleByteMode("variant-double-byte", [](const std::vector<std::string>&) {
    ReportFolder folder;
    if (GetACP() != 932 ||
        !Tool_InitDbgReportEx(1, OVS_DBGMASK_ERR, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 1, "B", "A")) {
        return 2;
    }
    VARIANT text = Make(VT_BSTR);
    text.bstrVal = SysAllocString(L"\u30D4\u30FC\u30AF 1"); // "peak 1" in katakana
    Tool_DbgReportVariant("dbcs.cpp", 5, OVS_DBG_ERR, "<%s>", &text);
    VariantClear(&text);
    const std::string expected = "\tdbcs.cpp(    5)\t<VT_BSTR \x83\x73\x81\x5B\x83\x4E 1>\r\n";
    return ReadFileText(folder.reportFile()).find(expected) != std::string::npos ? 0 : 4;
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
