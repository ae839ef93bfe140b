// ICF settings documents as text through the platform's real XML parser, in both text widths, on
// threads with and without COM and in code page 932; the tag picker.
#include "OVSTools2.h"
#include "cp932_child.h"
#include "test_support.h"

#include <objbase.h>

#include <string>
#include <thread>

namespace {

class IcfText : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

std::string Narrow(const std::string& xml) {
    CString text("left over");
    Tool_ConvertICFXMLtoText(xml.c_str(), text);
    return text.GetString();
}

// The wide form on the same (ASCII) document, brought back to bytes for comparison.
std::string Wide(const std::string& xml) {
    CStringW text(L"left over");
    Tool_ConvertICFXMLtoTextW(std::wstring(xml.begin(), xml.end()).c_str(), text);
    std::string bytes;
    for (const wchar_t* c = text.GetString(); *c != L'\0'; ++c) {
        bytes += *c < 0x80 ? static_cast<char>(*c) : '?';
    }
    return bytes;
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

const std::string kHeader = "Pump 1 (P1) :Pump A\r\n";

struct Case {
    const char* what;
    std::string xml;
    std::string text;
};

TEST_F(IcfText, DocumentsBecomeTheirLinesInBothWidths) {
    const std::string row0 = "<ROW><RowIndex>0</RowIndex>" + Parameter("Time", "0.00", "min") + "</ROW>";
    const std::string row1 = "<ROW><RowIndex>1</RowIndex>" + Parameter("Time", "5.00") + "<Other/></ROW>";
    const Case cases[] = {
        {"free text", "<R><PreformatedText>a\nb</PreformatedText></R>", "a\r\nb\r\n"},
        {"CRs dropped, line ends doubled", "<R><PreformatedText>a&#13;\n&#13;b\r\nc</PreformatedText></R>",
         "a\r\nb\r\nc\r\n"},
        {"CDATA and entities",
         "<R><PreformatedText><![CDATA[x<y]]> &amp; &lt;z&gt; &#x41;</PreformatedText></R>",
         "x<y & <z> A\r\n"},
        {"empty free text still ends its line", "<R><PreformatedText/></R>", "\r\n"},
        {"parameter with unit", "<R>" + Module(Parameter("Flow", "1.000", "mL/min")) + "</R>",
         kHeader + "    Flow\t: 1.000 mL/min\r\n\r\n"},
        {"empty or missing unit adds nothing",
         Module(Parameter("Mode", "Low") + "<Parameter><Name>B</Name><Value>2</Value></Parameter>"),
         kHeader + "    Mode\t: Low\r\n    B\t: 2\r\n\r\n"},
        {"missing index prints nothing", Module("", ""), "Pump  (P1) :Pump A\r\n\r\n"},
        {"index read as atoi does", Module("", "<IndexWithinRole> 41x</IndexWithinRole>"),
         "Pump 42 (P1) :Pump A\r\n\r\n"},
        {"table rows, no units, no line of its own",
         Module("<TABLE><Name>Timetable</Name>" + row0 + row1 + "<ROW>" + Parameter("T", "9") +
                "</ROW></TABLE>"),
         kHeader +
             "    Timetable[1]\r\n        Time\t: 0.00\r\n    Timetable[2]\r\n        Time\t: 5.00\r\n" +
             "    Timetable[]\r\n        T\t: 9\r\n\r\n"},
        {"sections nest; kinds in any case",
         Module("<section><Name>Outer</Name><Section><Name>Inner</Name>" + Parameter("X", "1") +
                "</Section></section>"),
         kHeader + "    Outer\r\n        Inner\r\n            X\t: 1\r\n\r\n"},
        {"section without Name (name is not Name) left out",
         Module("<SECTION><name>Lost</name>" + Parameter("Y", "2") + "</SECTION>" + Parameter("Z", "3")),
         kHeader + "    Z\t: 3\r\n\r\n"},
        {"first child of a name counts; other elements ignored",
         Module(
             "<Detector>" + Parameter("Q", "0") + "</Detector>" +
             "<PARAMETER><!-- c --><Name>A</Name><Name>B</Name><Value>1</Value><Value>2</Value></PARAMETER>"),
         kHeader + "    A\t: 1\r\n\r\n"},
        {"modulesection is no module", "<R><modulesection><RoleName>x</RoleName></modulesection></R>", ""},
        {"one free text, then modules", "<R><PreformatedText>t</PreformatedText>" + Module("") + "</R>",
         "t\r\n" + kHeader + "\r\n"},
        {"two free texts suppress the modules",
         "<R><PreformatedText>t</PreformatedText>" + Module("") +
             "<X><PreformatedText>u</PreformatedText></X></R>",
         "t\r\nu\r\n"},
        {"free texts and modules are found anywhere, modules in document order",
         "<R>" +
             Module(Parameter("A", "1") + "<X><PreformatedText>n</PreformatedText>" +
                    Module("", "<IndexWithinRole>4</IndexWithinRole>") + "</X>") +
             "</R>",
         "n\r\n" + kHeader + "    A\t: 1\r\n\r\nPump 5 (P1) :Pump A\r\n\r\n"},
        {"not well-formed", "<R><PreformatedText>t</R>", ""},
        {"not XML", "Pump A", ""},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text, Narrow(c.xml)) << c.what;
        EXPECT_EQ(c.text, Wide(c.xml)) << c.what;
    }
}

TEST_F(IcfText, RealisticDocumentByteForByte) {
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<ICFSettings>\r\n  <ModuleSection>\r\n"
        "    <IndexWithinRole>0</IndexWithinRole><RoleName>Pump</RoleName>\r\n    "
        "<ModuleType>LC-P</ModuleType>"
        "<ModuleDisplayName>Binary Pump</ModuleDisplayName>\r\n    " +
        Parameter("Flow", "1.000", "mL/min") +
        "\r\n    <SECTION>\r\n      <Name>Pressure Limits</Name>\r\n      " +
        Parameter("Max", "40.0", "MPa") + "\r\n      <SECTION><Name>Alarm</Name>" +
        Parameter("Action", "Stop") +
        "</SECTION>\r\n    </SECTION>\r\n"
        "    <TABLE>\r\n      <Name>Time Program</Name>\r\n      <ROW><RowIndex>0</RowIndex>\r\n        " +
        Parameter("Time", "0.01", "min") + Parameter("B.Conc", "10") +
        "</ROW>\r\n      <ROW><RowIndex>1</RowIndex>" + Parameter("Time", "10.00") + "\r\n        " +
        Parameter("B.Conc", "90") +
        "</ROW>\r\n    </TABLE>\r\n"
        "  </ModuleSection>\r\n  "
        "<ModuleSection><IndexWithinRole>1</IndexWithinRole><RoleName>Detector</RoleName>"
        "<ModuleType>UV</ModuleType><ModuleDisplayName>UV Detector B</ModuleDisplayName>\r\n    " +
        Parameter("Wavelength", "254", "nm") +
        "<PARAMETER><Name>Polarity</Name><Value>+</Value></PARAMETER>\r\n"
        "  </ModuleSection>\r\n</ICFSettings>\r\n";
    const std::string text =
        "Pump 1 (LC-P) :Binary Pump\r\n    Flow\t: 1.000 mL/min\r\n    Pressure Limits\r\n"
        "        Max\t: 40.0 MPa\r\n        Alarm\r\n            Action\t: Stop\r\n"
        "    Time Program[1]\r\n        Time\t: 0.01\r\n        B.Conc\t: 10\r\n"
        "    Time Program[2]\r\n        Time\t: 10.00\r\n        B.Conc\t: 90\r\n\r\n"
        "Detector 2 (UV) :UV Detector B\r\n    Wavelength\t: 254 nm\r\n    Polarity\t: +\r\n\r\n";
    EXPECT_EQ(text, Narrow(xml));
    EXPECT_EQ(text, Wide(xml));
}

TEST(IcfTextWithoutCom, ThreadWithoutComGetsAnEmptyText) {
    std::string narrow = "not run";
    std::string wide = "not run";
    bool threw = false;
    std::thread worker([&] {
        try {
            narrow = Narrow("<R><PreformatedText>a</PreformatedText></R>");
            wide = Wide("<R><PreformatedText>a</PreformatedText></R>");
        } catch (...) {
            threw = true;
        }
    });
    worker.join();
    EXPECT_FALSE(threw);
    EXPECT_EQ("", narrow);
    EXPECT_EQ("", wide);
}

// "ポンプ" (pump) in code page 932 and in UTF-16.
constexpr char kPumpCp932[] = "\x83\x7c\x83\x93\x83\x76";
constexpr wchar_t kPumpUtf16[] = L"\x30dd\x30f3\x30d7";

TEST(DbcsIcfText, NarrowTextIsInCodePage932) {
    OVS_REQUIRE_CODE_PAGE_932();
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const std::string pump = kPumpCp932;
    CString text;
    Tool_ConvertICFXMLtoText(
        ("<R>" + Module(Parameter(pump, pump + "\x82\xa0", "\x83\x7c")) + "</R>").c_str(), text);
    EXPECT_EQ(kHeader + "    " + pump + "\t: " + pump + "\x82\xa0 \x83\x7c\r\n\r\n",
              std::string(text.GetString()));

    CStringW wide;
    Tool_ConvertICFXMLtoTextW(
        (std::wstring(L"<R><PreformatedText>") + kPumpUtf16 + L"</PreformatedText></R>").c_str(), wide);
    EXPECT_EQ(std::wstring(kPumpUtf16) + L"\r\n", std::wstring(wide.GetString()));
    CoUninitialize();
}

TEST(PickupElement, TagsByOccurrence) {
    const struct {
        const char* xml;
        const char* tag;
        int occurrence;
        BOOL found;
        const char* text;
    } cases[] = {
        {"<a>1</a><a>2</a>", "a", 0, TRUE, "1"},
        {"<a>1</a><a>2</a>", "a", 1, TRUE, "2"},
        {"<a>1</a><a>2</a>", "a", 2, FALSE, "untouched"},
        {"x<a>rest of it", "a", 0, TRUE, "rest of it"},
        {"<A>1</A>", "a", 0, FALSE, "untouched"},
        {"<a x=\"1\">1</a>", "a", 0, FALSE, "untouched"},
        {"<ab>1</ab><a>2</a>", "a", 0, TRUE, "2"},
        {"<a><a>in</a></a>", "a", 1, TRUE, "in"},
        {"<a>1</b></a>", "a", 0, TRUE, "1</b>"},
        {"<>e</>", "", 0, TRUE, "e"},
        {nullptr, "a", 0, FALSE, "untouched"},
        {"<a>1</a>", nullptr, 0, FALSE, "untouched"},
    };
    for (const auto& c : cases) {
        CString text("untouched");
        EXPECT_EQ(c.found, Tool_PickupElementFromXML(c.xml, c.tag, c.occurrence, text))
            << (c.xml ? c.xml : "null") << " " << c.occurrence;
        EXPECT_STREQ(c.text, text) << (c.xml ? c.xml : "null") << " " << c.occurrence;
    }
}

} // namespace
