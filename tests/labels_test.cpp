// Report texts in English and in a code page 932 process: the resource texts, coded results and labels
// against them as the oracle; ICF settings documents as text through the platform's real XML parser,
// in both text widths, with and without COM; the tag picker; default sample types through the stand-in.
#include "OVSTools2.h"
#include "cp932_child.h"
#include "expect_rows.h"
#include "ovsres.h"
#include "sample_type_standin.h"
#include "unique_resource.h"

#include <objbase.h>

#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

using ovs::test::ExpectRows;

namespace {

// The resource text of a number; 0 is no text.
std::string Text(UINT id) {
    CString text("left over");
    const int length = RES_LoadString(id, text, 1);
    EXPECT_EQ(text.GetLength(), length) << id;
    return std::string(text.GetString(), text.GetLength());
}

// The file extensions by text number; they serve every language.
constexpr char kExtensions[] =
    "16694 msq 16391 cal 16398 gcd 16405 gcm 16404 gcb 16406 gcr 16385 lcd 16386 lcm "
    "16401 lcq 16388 lcb 16387 lcr 16499 lct 16390 lcc 16525 plt 16414 rpt 16400 opt "
    "16502 pdf 16507 lsc 16509 gsc 16672 lcp 16512 gct 16681 sbt 16684 sca 16685 scb "
    "16415 clb 16480 old 16481 olm 16521 ogm 16522 ogd 16527 jcp 16528 llb 16529 odt";

// Texts of their own in Japanese, narrowed to the process code page.
const std::tuple<UINT, const char*, const wchar_t*> kTranslated[] = {
    {339, "Arial,9", L"ＭＳ Ｐゴシック,9"},
    {0x407C, "LC System Check Files (*.lsc)|*.lsc||", L"LC システムチェック ファイル (*.lsc)|*.lsc||"},
    {0x407F, "GC System Check Files (*.gsc)|*.gsc||", L"GC システムチェック ファイル (*.gsc)|*.gsc||"}};

// Every text in the user's language: English, or Japanese in code page 932.
void ExpectEveryText(bool japanese) {
    std::istringstream extensions(kExtensions);
    UINT number = 0;
    for (std::string extension; extensions >> number >> extension;) {
        EXPECT_EQ(extension, Text(number)) << number;
    }
    for (const auto& [id, english, wide] : kTranslated) {
        EXPECT_EQ(japanese ? std::string(CString(wide)) : english, Text(id)) << id;
    }
}

std::string Mode(DWORD flags1, DWORD flags2) {
    return Tool_GetModeString(flags1, flags2).GetString();
}

std::string Judgement(WORD limitFlags, WORD flagsA, LONG flagsB, double value) {
    CString out("old");
    Tool_GetJudgementString(out, limitFlags, flagsA, flagsB, value, 2.0, 3.0);
    return out.GetString();
}

std::string Purity(double value, int decimals) {
    CString out("old");
    Tool_GetPurityResultString(value, decimals, out);
    return out.GetString();
}

std::string Delimiter(const char* text) {
    char delimiter = 'x';
    Tool_GetDelimitTypeForAsciiImport(text, &delimiter);
    return std::string(1, delimiter);
}

TEST(Labels, EveryTextAndEveryCodeOfEveryTableAndTheCodesAroundThem) {
    if (PRIMARYLANGID(GetUserDefaultUILanguage()) != LANG_JAPANESE) {
        ExpectEveryText(false);
    }
    const std::string qualified = "(" + Text(33494) + ")", normal = Text(33493), locked = Text(33492);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto texts = [](std::initializer_list<UINT> ids) {
        std::string joined;
        for (UINT id : ids) {
            joined += (joined.empty() ? "" : ";") + Text(id);
        }
        return joined;
    };
    // Code and text number, attribute 3 unless given; a text number of 0 marks a code outside the table.
    // clang-format off
    const std::vector<std::pair<WORD, std::vector<UINT>>> tables[] = {
        {{0, {0}}, {1, {2394}}, {2, {2395}}, {3, {2396}}, {4, {2397}}, {5, {0}}, {6, {2399, 4}}, {7, {2400}},
         {8, {2401}}, {9, {2402}}, {10, {2403}}, {11, {0}}},
        {{0, {0}}, {1, {2373}}, {2, {2374}}, {3, {2375}}, {4, {2376}}, {5, {2377}}, {6, {2378}}, {7, {2379}},
         {8, {2380}}, {9, {2381, 2}}, {10, {2382}}, {11, {0}}, {14, {0}}, {15, {2383, 2}}, {16, {0}}, {20, {2384}},
         {21, {2385}}, {22, {2386}}, {23, {0}}, {25, {2387}}, {26, {2388}}, {30, {2389}}, {31, {2390}}, {32, {2391}},
         {33, {0}}, {65535, {0}}}};
    ExpectRows<std::string>({
        {Mode(0, 0), normal}, {Mode(0x8000, 0), locked}, {Mode(0, 0x200), locked}, {Mode(0xfffe7fbf, 0), normal},
        {Mode(0x7fff, 0xfdff), normal + qualified}, {Mode(0x10000, 0x200), locked + qualified}, {Judgement(0, 0, 0, 1.0), ""},
        {Judgement(0, 0x28, 0, 1.0), texts({1206, 1207})}, {Judgement(0, 0xffd7, ~0x1e0, 1.0), ""},
        {Judgement(0, 0, 0x60, 1.0), texts({1209, 1208})}, {Judgement(0, 0, 0x180, 1.0), texts({1226, 1225})},
        {Judgement(3, 0, 0, 1.0), texts({1210, 1211})}, {Judgement(3, 0, 0, 2.0), Text(1211)}, {Judgement(3, 0, 0, 3.0), ""},
        {Judgement(3, 0, 0, nan), ""}, {Judgement(0, 0, 0, -5.0), ""},
        {Judgement(0xffff, 0xffff, -1, 0.0), texts({1206, 1207, 1209, 1208, 1226, 1225, 1210, 1211})},
        // Purity: two special values (by a million without decimals), otherwise the value.
        {Purity(2.0, 2), Text(8443)}, {Purity(3.0, 1), Text(8442)}, {Purity(2.0, 0), "2"},
        {Purity(3000000.0, 0), Text(8442)}, {Purity(2000000.0, 0), Text(8443)}, {Purity(2000000.0, 2), "2000000.00"},
        {Purity(2.0000000001, 3), "2.000"}, {Purity(99.456, 2), "99.46"}, {Purity(99.7, -3), "100"},
        {Purity(-1.26, 1), "-1.3"}, {Purity(0.0, 4), "0.0000"},
        // The byte after the delimiter keyword's first occurrence, else a tab.
        {Delimiter(("x" + Text(8436) + ";" + Text(8436) + ",").c_str()), ";"}, {Delimiter("[H]\r\nno keyword"), "\t"},
        {Delimiter(nullptr), "\t"}});
    // clang-format on
    for (const auto load : {&Tool_GetBatchActionStr, &Tool_GetBatchTargetStr}) {
        for (const auto& [code, text] : tables[load == &Tool_GetBatchActionStr ? 0 : 1]) {
            const UINT attribute = text[0] == 0 ? 0 : text.size() > 1 ? text[1] : 3;
            CString out("old");
            const std::string given = std::to_string(load(code, out, 7)) + ":";
            EXPECT_EQ(std::to_string(attribute) + ":" + Text(text[0]), given + out.GetString()) << code;
        }
    }
    const UINT functions[] = {0, 0, 864, 865, 866, 867, 869, 898, 896, 897, 0}; // codes -1 to 9
    const UINT types[] = {33490, 33490, 33488, 33489, 33490, 33491, 33490};     // codes -1 to 5
    const UINT sampleTypes[] = {0, 8212, 8213, 8214, 8215, 8216, 8270, 273, 0}; // indexes -1 to 7
    for (short code = -1; code <= 9; ++code) {
        EXPECT_EQ(Text(functions[code + 1]), Tool_GetFunctionString(code).GetString()) << code;
        if (code <= 5) {
            EXPECT_EQ(Text(types[code + 1]), Tool_GetTypeString(code).GetString()) << code;
        }
        if (code <= 7) {
            CString out("old");
            const int length = Tool_GetSampleTypeName(code, out);
            EXPECT_EQ(Text(sampleTypes[code + 1]), out.GetString()) << code;
            EXPECT_EQ(static_cast<int>(Text(sampleTypes[code + 1]).size()), length) << code;
        }
    }
    Tool_GetDelimitTypeForAsciiImport("text", nullptr);
    RES_SetStringOverride(8436, "");
    EXPECT_EQ("\t", Delimiter(",text")) << "an empty keyword";
    RES_SetStringOverride(8436, nullptr);
}

// The narrow and the wide text of one (ASCII) document, the wide one brought back to bytes.
std::string Texts(const std::string& xml) {
    CString narrow("left over");
    Tool_ConvertICFXMLtoText(xml.c_str(), narrow);
    CStringW wide(L"left over");
    Tool_ConvertICFXMLtoTextW(std::wstring(xml.begin(), xml.end()).c_str(), wide);
    const std::wstring wideText = wide.GetString();
    return std::string(narrow.GetString()) + "|" + std::string(wideText.begin(), wideText.end());
}

std::string Module(const std::string& content,
                   const std::string& index = "<IndexWithinRole>0</IndexWithinRole>") {
    return "<ModuleSection>" + index +
           "<RoleName>Pump</RoleName><ModuleType>P1</ModuleType><ModuleDisplayName>Pump "
           "A</ModuleDisplayName>" +
           content + "</ModuleSection>";
}

std::string Parameter(const std::string& name, const std::string& value, const std::string& unit = "") {
    return "<PARAMETER><Name>" + name + "</Name><Value>" + value + "</Value><Unit>" + unit +
           "</Unit></PARAMETER>";
}

// "found:text" of a pick into a text that held "untouched".
std::string Picked(const char* xml, const char* tag, int occurrence) {
    CString text("untouched");
    const BOOL found = Tool_PickupElementFromXML(xml, tag, occurrence, text);
    return std::to_string(found) + ":" + text.GetString();
}

const std::string kHeader = "Pump 1 (P1) :Pump A\r\n";

TEST(IcfText, DocumentsBecomeTheirLinesInBothWidthsOnlyWithComAndTagsArePickedByOccurrence) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const std::string row0 = "<ROW><RowIndex>0</RowIndex>" + Parameter("Time", "0.00", "min") + "</ROW>";
    const std::string row1 = "<ROW><RowIndex>1</RowIndex>" + Parameter("Time", "5.00") + "<Other/></ROW>";
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"<R><PreformatedText>a\nb</PreformatedText></R>", "a\r\nb\r\n"},
        {"<R><PreformatedText>a&#13;\n&#13;b\r\nc</PreformatedText></R>", "a\r\nb\r\nc\r\n"}, // CRs dropped
        {"<R><PreformatedText><![CDATA[x<y]]> &amp; &lt;z&gt; &#x41;</PreformatedText></R>", "x<y & <z> A\r\n"},
        {"<R><PreformatedText/></R>", "\r\n"}, // an empty free text still ends its line
        // White space between elements is no text; an empty or missing unit adds nothing.
        {"<?xml version=\"1.0\"?>\r\n<R>\r\n  " + Module("\r\n    " + Parameter("Flow", "1.000", "mL/min") + "\r\n") +
         "\r\n</R>\r\n", kHeader + "    Flow\t: 1.000 mL/min\r\n\r\n"},
        {Module(Parameter("Mode", "Low") + "<Parameter><Name>B</Name><Value>2</Value></Parameter>"),
         kHeader + "    Mode\t: Low\r\n    B\t: 2\r\n\r\n"},
        {Module("", ""), "Pump  (P1) :Pump A\r\n\r\n"}, // a missing index prints nothing; an index reads as atoi does
        {Module("", "<IndexWithinRole> 41x</IndexWithinRole>"), "Pump 42 (P1) :Pump A\r\n\r\n"},
        // Rows without units and without a line of their own; sections nest, kinds in any case.
        {Module("<TABLE><Name>Timetable</Name>" + row0 + row1 + "<ROW>" + Parameter("T", "9") + "</ROW></TABLE>"),
         kHeader + "    Timetable[1]\r\n        Time\t: 0.00\r\n    Timetable[2]\r\n        Time\t: 5.00\r\n" +
         "    Timetable[]\r\n        T\t: 9\r\n\r\n"},
        {Module("<section><Name>Outer</Name><Section><Name>Inner</Name>" + Parameter("X", "1") + "</Section></section>"),
         kHeader + "    Outer\r\n        Inner\r\n            X\t: 1\r\n\r\n"},
        // A section without Name (name is not Name) is left out; the first child of a name counts.
        {Module("<SECTION><name>Lost</name>" + Parameter("Y", "2") + "</SECTION>" + Parameter("Z", "3")),
         kHeader + "    Z\t: 3\r\n\r\n"},
        {Module("<Detector>" + Parameter("Q", "0") + "</Detector>" +
                "<PARAMETER><!-- c --><Name>A</Name><Name>B</Name><Value>1</Value><Value>2</Value></PARAMETER>"),
         kHeader + "    A\t: 1\r\n\r\n"},
        {"<R><modulesection><RoleName>x</RoleName></modulesection></R>", ""},
        // One free text before the modules; two suppress them; both are found anywhere, in document order.
        {"<R><PreformatedText>t</PreformatedText>" + Module("") + "</R>", "t\r\n" + kHeader + "\r\n"},
        {"<R><PreformatedText>t</PreformatedText>" + Module("") + "<X><PreformatedText>u</PreformatedText></X></R>",
         "t\r\nu\r\n"},
        {"<R>" + Module(Parameter("A", "1") + "<X><PreformatedText>n</PreformatedText>" +
                        Module("", "<IndexWithinRole>4</IndexWithinRole>") + "</X>") + "</R>",
         "n\r\n" + kHeader + "    A\t: 1\r\n\r\nPump 5 (P1) :Pump A\r\n\r\n"},
        {"<R><PreformatedText>t</R>", ""}, {"Pump A", ""}, {"", ""}}; // not well-formed, not XML, empty
    ExpectRows<std::string>({
        {Picked("<a>1</a><a>2</a>", "a", 0), "1:1"}, {Picked("<a>1</a><a>2</a>", "a", 1), "1:2"},
        {Picked("<a>1</a><a>2</a>", "a", 2), "0:untouched"}, {Picked("x<a>rest of it", "a", 0), "1:rest of it"},
        {Picked("<A>1</A>", "a", 0), "0:untouched"}, {Picked("<a x=\"1\">1</a>", "a", 0), "0:untouched"},
        {Picked("<ab>1</ab><a>2</a>", "a", 0), "1:2"}, {Picked("<a><a>in</a></a>", "a", 1), "1:in"},
        {Picked("<a>1</b></a>", "a", 0), "1:1</b>"}, {Picked("<>e</>", "", 0), "1:e"},
        {Picked(nullptr, "a", 0), "0:untouched"}, {Picked("<a>1</a>", nullptr, 0), "0:untouched"}});
    // clang-format on
    for (const auto& [xml, text] : cases) {
        EXPECT_EQ(text + "|" + text, Texts(xml)) << xml;
    }
    CoUninitialize();
    std::string withoutCom = "not run";
    std::thread([&withoutCom] { withoutCom = Texts("<R><PreformatedText>a</PreformatedText></R>"); }).join();
    EXPECT_EQ("|", withoutCom) << "a thread without COM gets empty texts";
}

// In code page 932 the texts are the Japanese ones (the extensions stay), and ICF text is narrowed to
// double-byte text.
TEST(DbcsLabels, JapaneseTextsAndIcfTextInCodePage932) {
    OVS_REQUIRE_CODE_PAGE_932();
    ASSERT_EQ(LANG_JAPANESE, PRIMARYLANGID(GetUserDefaultUILanguage()));
    ExpectEveryText(true);
    const std::string judgement = Judgement(0, 0x28, 0, 0.0);
    EXPECT_EQ(Text(1206) + ";" + Text(1207), judgement);
    EXPECT_TRUE(IsDBCSLeadByte(static_cast<BYTE>(judgement.at(0)))) << judgement;
    EXPECT_EQ(",", Delimiter(("x" + Text(8436) + ",").c_str()));
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const std::string pump = "\x83\x7c\x83\x93\x83\x76"; // "ポンプ" (pump)
    CString text;
    Tool_ConvertICFXMLtoText(
        ("<R>" + Module(Parameter(pump, pump + "\x82\xa0", "\x83\x7c")) + "</R>").c_str(), text);
    EXPECT_EQ(kHeader + "    " + pump + "\t: " + pump + "\x82\xa0 \x83\x7c\r\n\r\n",
              std::string(text.GetString()));
    CStringW wide;
    Tool_ConvertICFXMLtoTextW(L"<R><PreformatedText>\x30dd\x30f3\x30d7</PreformatedText></R>", wide);
    EXPECT_EQ(std::wstring(L"\x30dd\x30f3\x30d7\r\n"), std::wstring(wide.GetString()));
    CoUninitialize();
}

// "found:name" (the name up to its terminator, or "untouched"), as long as the buffer is zero-filled
// behind the name and nothing is written past its size.
std::string SampleTypeName(WORD code, DWORD size, LONG selector) {
    std::string buffer(size + 8, '\xcd');
    const BOOL found = Tool_GetDefaultSampleTypeName(code, buffer.data(), size, selector);
    const size_t length = std::min<size_t>(std::strlen(buffer.c_str()), size);
    const bool filled = found ? buffer.substr(length, size - length) == std::string(size - length, '\0')
                              : buffer.substr(0, size) == std::string(size, '\xcd');
    return std::to_string(found) + ":" + (found ? buffer.substr(0, length) : "untouched") +
           (filled ? "" : " not filled") + (buffer.substr(size) == std::string(8, '\xcd') ? "" : " overrun");
}

TEST(SampleTypes, NamesAndTheWholeListInTaskMemoryFailuresAndAMissingComponent) {
    const HMODULE module = LoadLibraryA((ovs::test::ExecutableFolder() + "\\OVSSampleType.dll").c_str());
    const auto counters = reinterpret_cast<SampleTypeCountersFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "SampleTypeCounters")));
    ASSERT_NE(nullptr, counters);
    ASSERT_EQ(S_OK, ovs::test::CallServerFunction(module, "DllRegisterServer"));
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    // clang-format off
    ExpectRows<std::string>({
        {SampleTypeName(1, 40, 0), "1:Standard"}, // the first of two records with the code
        {SampleTypeName(3, 40, 0), "1:Blank"}, {SampleTypeName(0, 40, 0), "1:Unknown"}, {SampleTypeName(1, 4, 0), "1:Sta"},
        {SampleTypeName(4, 40, 0), "0:untouched"}, {SampleTypeName(5, 40, 0), "0:untouched"}, // another selector's
        {SampleTypeName(5, 40, 1), "1:System Suitability"}, {SampleTypeName(1, 1, 0), "1:"},
        {SampleTypeName(6, 40, 1), "1:Calibration Verification Std 001"}, // all 32 bytes, no terminator of its own
        {SampleTypeName(6, 33, 1), "1:Calibration Verification Std 001"},
        {SampleTypeName(6, 32, 1), "1:Calibration Verification Std 00"}, {SampleTypeName(1, 40, -1), "0:untouched"},
        {SampleTypeName(1, 40, 2), "0:untouched"}, {SampleTypeName(1, 0, 0), "0:untouched"}}); // no records, no room
    // clang-format on
    EXPECT_FALSE(Tool_GetDefaultSampleTypeName(1, nullptr, 8, 0));
    WORD count = 99;
    void* records = nullptr;
    ASSERT_TRUE(Tool_GetWholeDefaultSampleTypeInfo(&count, &records, 1) && count == 3) << count;
    const auto* list = static_cast<const OVS_DEFAULTSAMPLETYPE*>(records);
    EXPECT_EQ(std::string("System Suitability"), list[0].szName);
    EXPECT_EQ(std::string("Calibration Verification Std 001"), std::string(list[1].szName, 32));
    EXPECT_EQ(7, list[2].wTypeCode);
    ovs::com_ptr<IMalloc> taskMemory;
    ASSERT_EQ(S_OK, CoGetMalloc(1, taskMemory.put()));
    EXPECT_EQ(sizeof(OVS_DEFAULTSAMPLETYPE) * 3, taskMemory->GetSize(records));
    CoTaskMemFree(records);
    EXPECT_FALSE(Tool_GetWholeDefaultSampleTypeInfo(nullptr, &records, 0));
    EXPECT_FALSE(Tool_GetWholeDefaultSampleTypeInfo(&count, nullptr, 0));
    // No records, a failing component, no component: FALSE, no count and no list.
    for (const char* failure : {"", "create=80004005", "list=8007000E", "unregistered"}) {
        SetEnvironmentVariableA("OVS_SAMPLETYPE_FAIL", failure);
        if (std::strcmp(failure, "unregistered") == 0) {
            ASSERT_EQ(S_OK, ovs::test::CallServerFunction(module, "DllUnregisterServer"));
        }
        count = 99;
        records = &count;
        EXPECT_EQ("0:untouched", SampleTypeName(1, 16, *failure ? 0 : 7)) << failure;
        const BOOL listed = Tool_GetWholeDefaultSampleTypeInfo(&count, &records, *failure ? 0 : 7);
        EXPECT_TRUE(!listed && count == 0 && records == nullptr) << failure;
    }
    SetEnvironmentVariableA("OVS_SAMPLETYPE_FAIL", nullptr);
    SampleTypeCounts counts = {};
    counters(&counts);
    EXPECT_EQ(0, counts.liveObjects) << "every component released";
    CoUninitialize();
}

} // namespace
