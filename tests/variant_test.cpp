#include "test_support.h"
#include "ovstoolvariant.h"
#include "ovstooldbgreport.h"
#include "locale_child.h"
#include "diagnostics/variant_text.h"

#include <afxdisp.h>

using namespace ovs::test;

namespace {

// The report opens once per process: the first test to need it opens it in a folder of its own.
const std::string& ReportPath() {
    static const std::string path = [] {
        ResetProductRegistry();
        static ReportFolder folder;
        Tool_InitDbgReportEx(1, OVS_DBGMASK_ERR | OVS_DBGMASK_WRN | OVS_DBGMASK_INF | OVS_DBGMASK_DBG,
                             0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 1, "B", "A");
        ResetProductRegistry();
        return folder.reportFile();
    }();
    return path;
}

VARIANT Make(VARTYPE type) {
    VARIANT value;
    VariantInit(&value);
    value.vt = type;
    return value;
}

// Child in a Japanese locale: writes a text variant into a report of its own and checks the bytes.
ChildMode doubleByteMode("variant-double-byte", [](const std::vector<std::string>&) {
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

TEST(VariantText, NameAndValueOfEachKind) {
    static LONG referenced = 7;
    const struct {
        VARTYPE type;
        void (*set)(VARIANT&);
        std::string text;
    } cases[] = {
        {VT_R8, [](VARIANT& v) { v.dblVal = -2.25; }, "VT_R8 -2.25"},
        {VT_DATE, [](VARIANT& v) { v.date = 45000.5; },
         "VT_DATE " + std::string(COleDateTime(45000.5).Format())},
        {VT_BSTR, [](VARIANT& v) { v.bstrVal = SysAllocString(L"Peak 1"); }, "VT_BSTR Peak 1"},
        {VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; }, "VT_BOOL -1"}, // the number, not "True"
        {VT_DECIMAL, [](VARIANT& v) { v.decVal.scale = 1, v.decVal.Lo64 = 15; }, "VT_DECIMAL, 1.5"},
        {VT_I4 | VT_BYREF, [](VARIANT& v) { v.plVal = &referenced; }, "VT_I4 7"}, // named by its low bits
        {VT_ARRAY | 0x48, [](VARIANT& v) { v.parray = nullptr; }, "VT_ARRAY"},
        {0x48, [](VARIANT&) {}, "Other"},
    };
    ReportPath();
    for (const auto& c : cases) {
        VARIANT value = Make(VT_EMPTY);
        c.set(value);
        value.vt = c.type; // after the value: a decimal's value shares the bytes of vt
        EXPECT_EQ(c.text, ovs::VariantText(value));
        VariantClear(&value);
    }
    // An array shows its element's name; with no array made, even types without an array form are named.
    const char* const names[] = {"VT_EMPTY", "VT_NULL", "VT_I2",      "VT_I4",      "VT_R4",
                                 "VT_R8",    "VT_CY",   "VT_DATE",    "VT_BSTR",    "VT_DISPATCH",
                                 "VT_ERROR", "VT_BOOL", "VT_VARIANT", "VT_UNKNOWN", "VT_DECIMAL,",
                                 "None",     "VT_I1",   "VT_UI1",     "VT_UI2",     "VT_UI4",
                                 "VT_I8",    "VT_UI8"};
    for (VARTYPE index = 0; index <= 21; ++index) {
        VARIANT array = Make(static_cast<VARTYPE>(VT_ARRAY | index));
        array.parray = nullptr;
        EXPECT_EQ(std::string("VT_ARRAY (") + names[index] + ")", ovs::VariantText(array)) << index;
    }
    // Index 15 has no variant form: copying it fails, thrown out of the report as the framework's OLE
    // exception.
    const VARIANT unnamed = Make(15);
    try {
        Tool_DbgReportVariant("unnamed.cpp", 1, OVS_DBG_ERR, "%s", &unnamed);
        ADD_FAILURE() << "nothing thrown";
    } catch (COleException* caught) {
        EXPECT_EQ(DISP_E_BADVARTYPE, caught->m_sc);
        caught->Delete();
    }
}

TEST(DbgReportVariant, UpToThreeVariantsInOrderAtTheCallersLineAndLevel) {
    const std::string report = ReadFileText(ReportPath());
    VARIANT a = Make(VT_I4);
    a.lVal = 1;
    const VARIANT b = Make(VT_NULL);
    Tool_DbgReportVariant("first.cpp", 11, OVS_DBG_WRN, "a=%s b=%s", &a, &b);
    Tool_DbgReportVariant("second.cpp", 321, OVS_DBG_INF, "%s %s %s", &a, &b, &a);
    Tool_DbgReportVariant("third.cpp", 13, OVS_DBG_ERR, "%s %s", &a, nullptr, &b); // third, no second
    Tool_DbgReportVariant("fourth.cpp", 1, OVS_DBG_TMG, "%s", &a);                 // level disabled
    Tool_DbgReportVariant("fifth.cpp", 1, OVS_DBG_ERR, "%s", nullptr);
    const std::string added = ReadFileText(ReportPath()).substr(report.size());
    EXPECT_NE(std::string::npos, added.find("[WRN]\tfirst.cpp(   11)\ta=VT_I4 1 b=VT_NULL\r\n")) << added;
    EXPECT_NE(std::string::npos, added.find("[INF]\tsecond.cpp(  321)\tVT_I4 1 VT_NULL VT_I4 1\r\n"));
    for (const char* absent : {"third.cpp", "fourth.cpp", "fifth.cpp"}) {
        EXPECT_EQ(std::string::npos, added.find(absent)) << absent;
    }
}

TEST(VariantText, DoubleByteTextInCodePage932) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "a per-process locale needs Wine";
    }
    ReportPath();
    const ChildResult child = RunChildInLocale("ja_JP.UTF-8", "variant-double-byte");
    ResetProductRegistry();
    EXPECT_TRUE(child.finished && child.exitCode == 0) << child.exitCode;
}
