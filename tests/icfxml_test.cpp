// ICF settings documents as text through the platform's real XML parser, in both text widths, on
// threads with and without COM and in code page 932; the tag picker.
#include "OVSTools2.h"
#include "cp932_child.h"
#include "test_support.h"

#include <objbase.h>

#include <string>
#include <thread>

namespace {

// The narrow and the wide text of one (ASCII) document, the wide one brought back to bytes.
std::string Texts(const std::string& xml) {
    CString narrow("left over");
    Tool_ConvertICFXMLtoText(xml.c_str(), narrow);
    CStringW wide(L"left over");
    Tool_ConvertICFXMLtoTextW(std::wstring(xml.begin(), xml.end()).c_str(), wide);
    std::string text = std::string(narrow.GetString()) + "|";
    for (const wchar_t* c = wide.GetString(); *c != L'\0'; ++c) {
        text += *c < 0x80 ? static_cast<char>(*c) : '?';
    }
    return text;
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

TEST(IcfText, DocumentsBecomeTheirLinesInBothWidthsOnlyWithCom) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const std::string row0 = "<ROW><RowIndex>0</RowIndex>" + Parameter("Time", "0.00", "min") + "</ROW>";
    const std::string row1 = "<ROW><RowIndex>1</RowIndex>" + Parameter("Time", "5.00") + "<Other/></ROW>";
    const std::pair<std::string, std::string> cases[] = {
        {"<R><PreformatedText>a\nb</PreformatedText></R>", "a\r\nb\r\n"},
        {"<R><PreformatedText>a&#13;\n&#13;b\r\nc</PreformatedText></R>", "a\r\nb\r\nc\r\n"}, // CRs dropped
        {"<R><PreformatedText><![CDATA[x<y]]> &amp; &lt;z&gt; &#x41;</PreformatedText></R>",
         "x<y & <z> A\r\n"},
        {"<R><PreformatedText/></R>", "\r\n"}, // an empty free text still ends its line
        {"<?xml version=\"1.0\"?>\r\n<R>\r\n  " +
             Module("\r\n    " + Parameter("Flow", "1.000", "mL/min") + "\r\n") + "\r\n</R>\r\n",
         kHeader + "    Flow\t: 1.000 mL/min\r\n\r\n"}, // white space between elements is no text
        {Module(Parameter("Mode", "Low") + "<Parameter><Name>B</Name><Value>2</Value></Parameter>"),
         kHeader + "    Mode\t: Low\r\n    B\t: 2\r\n\r\n"}, // an empty or missing unit adds nothing
        {Module("", ""), "Pump  (P1) :Pump A\r\n\r\n"},      // a missing index prints nothing
        {Module("", "<IndexWithinRole> 41x</IndexWithinRole>"),
         "Pump 42 (P1) :Pump A\r\n\r\n"}, // as atoi reads
        {Module("<TABLE><Name>Timetable</Name>" + row0 + row1 + "<ROW>" + Parameter("T", "9") +
                "</ROW></TABLE>"),
         kHeader +
             "    Timetable[1]\r\n        Time\t: 0.00\r\n    Timetable[2]\r\n        Time\t: 5.00\r\n" +
             "    Timetable[]\r\n        T\t: 9\r\n\r\n"}, // rows without units and without a line of their
                                                           // own
        {Module("<section><Name>Outer</Name><Section><Name>Inner</Name>" + Parameter("X", "1") +
                "</Section></section>"),
         kHeader +
             "    Outer\r\n        Inner\r\n            X\t: 1\r\n\r\n"}, // sections nest; kinds in any case
        {Module("<SECTION><name>Lost</name>" + Parameter("Y", "2") + "</SECTION>" + Parameter("Z", "3")),
         kHeader + "    Z\t: 3\r\n\r\n"}, // a section without Name (name is not Name) is left out
        {Module(
             "<Detector>" + Parameter("Q", "0") + "</Detector>" +
             "<PARAMETER><!-- c --><Name>A</Name><Name>B</Name><Value>1</Value><Value>2</Value></PARAMETER>"),
         kHeader + "    A\t: 1\r\n\r\n"}, // the first child of a name counts; other elements are ignored
        {"<R><modulesection><RoleName>x</RoleName></modulesection></R>", ""},
        {"<R><PreformatedText>t</PreformatedText>" + Module("") + "</R>", "t\r\n" + kHeader + "\r\n"},
        {"<R><PreformatedText>t</PreformatedText>" + Module("") +
             "<X><PreformatedText>u</PreformatedText></X></R>",
         "t\r\nu\r\n"}, // two free texts suppress the modules
        {"<R>" +
             Module(Parameter("A", "1") + "<X><PreformatedText>n</PreformatedText>" +
                    Module("", "<IndexWithinRole>4</IndexWithinRole>") + "</X>") +
             "</R>",
         "n\r\n" + kHeader +
             "    A\t: 1\r\n\r\nPump 5 (P1) :Pump A\r\n\r\n"}, // found anywhere, in document order
        {"<R><PreformatedText>t</R>", ""},
        {"Pump A", ""},
        {"", ""}}; // not well-formed, not XML, empty
    for (const auto& [xml, text] : cases) {
        EXPECT_EQ(text + "|" + text, Texts(xml)) << xml;
    }
    CoUninitialize();
    std::string withoutCom = "not run";
    std::thread([&withoutCom] { withoutCom = Texts("<R><PreformatedText>a</PreformatedText></R>"); }).join();
    EXPECT_EQ("|", withoutCom) << "a thread without COM gets empty texts";
}

TEST(DbcsIcfText, NarrowTextIsInCodePage932) {
    OVS_REQUIRE_CODE_PAGE_932();
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

TEST(PickupElement, TagsByOccurrence) {
    const struct {
        const char *xml, *tag;
        int occurrence;
        const char* text; // nullptr: not found, the text untouched
    } cases[] = {{"<a>1</a><a>2</a>", "a", 0, "1"},
                 {"<a>1</a><a>2</a>", "a", 1, "2"},
                 {"<a>1</a><a>2</a>", "a", 2, nullptr},
                 {"x<a>rest of it", "a", 0, "rest of it"},
                 {"<A>1</A>", "a", 0, nullptr},
                 {"<a x=\"1\">1</a>", "a", 0, nullptr},
                 {"<ab>1</ab><a>2</a>", "a", 0, "2"},
                 {"<a><a>in</a></a>", "a", 1, "in"},
                 {"<a>1</b></a>", "a", 0, "1</b>"},
                 {"<>e</>", "", 0, "e"},
                 {nullptr, "a", 0, nullptr},
                 {"<a>1</a>", nullptr, 0, nullptr}};
    for (const auto& c : cases) {
        CString text("untouched");
        EXPECT_EQ(c.text != nullptr, Tool_PickupElementFromXML(c.xml, c.tag, c.occurrence, text) != FALSE)
            << (c.xml ? c.xml : "null") << " " << c.occurrence;
        EXPECT_STREQ(c.text ? c.text : "untouched", text) << (c.xml ? c.xml : "null") << " " << c.occurrence;
    }
}

} // namespace
