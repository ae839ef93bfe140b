// Sections, title lines, channels, items and fields of an exported ASCII text.
#include "OVSTools2.h"
#include "test_support.h"

#include <cstring>
#include <tuple>

namespace {

// The last section has no final line end; the title "Peak Table" first occurs in an item line.
const std::string kExport = "[Header]\r\nApplication\tOVS\r\nSections\tPeak Table;Chromatogram\r\n"
                            "[Peak Table(Detector A-Ch1)]\r\n# of Peaks\t2\r\nPeak#\tR.Time\tArea\r\n"
                            "1\t1.234\t5678\r\n2\t2.500\t100\r\n[Empty]\r\n[Chromatogram(Detector A-Ch1)]\r\n"
                            "Interval(msec)\t500\r\nR.Time (min)\tIntensity\r\n0.000\t12\r\n0.008\t13";

std::string Item(const char* name, const char* text, const char* end) {
    char value[64] = "old";
    Tool_GetItemValueForAsciiImport(name, value, '\t', text, end);
    return value;
}

// The field cut from `from` and the rest after it, as "field|rest".
std::string Cut(char* value, char delimiter, const char* from, const char* end, char* rest) {
    Tool_GetValueForAsciiImport(value, delimiter, from, end, rest);
    return std::string(value) + "|" + rest;
}

TEST(AsciiImport, SectionsTitleLinesAndChannelsOfEdgeCasesAndARealisticExport) {
    // text, title, plain search found, title-line search found, its body, its title line
    const std::tuple<const char*, const char*, BOOL, BOOL, const char*, const char*> cases[] = {
        {"[A]\r\n", "A", TRUE, TRUE, "", "[A]"},
        {"[A]", "A", FALSE, FALSE, "", "[A]"},
        {"[A]\r\n[B]\r\nb", "A", FALSE, FALSE, "", "[A]"},
        {"x A\r\ny", "A", TRUE, FALSE, "", ""},
        {"[A\r\nz", "A", TRUE, TRUE, "z", "[A"},
        {"[A] x]\r\nz", "x", TRUE, TRUE, "z", "[A]"},
        {"[A]\r\nz", "", FALSE, FALSE, "", ""}};
    for (const auto& [source, title, plain, ex, body, expectedTitleLine] : cases) {
        std::string text = source;
        char* cursor = text.data();
        char* end = nullptr;
        EXPECT_EQ(plain, Tool_SerchTitleForAsciiImport(title, &cursor, &end)) << source;
        cursor = text.data();
        CString titleLine("old");
        EXPECT_EQ(ex, Tool_SearchTitleForAsciiImportEx(title, titleLine, &cursor, &end)) << source;
        EXPECT_STREQ(expectedTitleLine, titleLine) << source;
        EXPECT_EQ(ex ? body : source, ex ? std::string(cursor, end) : std::string(cursor))
            << "moved only if found";
    }
    char* none = nullptr;
    EXPECT_FALSE(Tool_SerchTitleForAsciiImport("A", &none, &none) ||
                 Tool_SerchTitleForAsciiImport("A", nullptr, &none));
    const std::tuple<const char*, BOOL, const char*> channels[] = {
        {"[PDA]", FALSE, ""}, {"[PDA(Ch1", TRUE, "Ch1"}, {"[A(B)(C)]", TRUE, "B"}, {nullptr, FALSE, ""}};
    for (const auto& [line, found, expected] : channels) {
        CString channel("old");
        EXPECT_EQ(found, Tool_SearchTitleChannelNameForAsciiImport(line, channel));
        EXPECT_STREQ(expected, channel);
    }
    std::string text = kExport;
    char* const start = text.data();
    char* cursor = start;
    char* end = nullptr;
    EXPECT_FALSE(Tool_SerchTitleForAsciiImport("Peak Table", &cursor, &end)); // in an item line first
    ASSERT_TRUE(Tool_SerchTitleForAsciiImport("[Peak Table", &cursor, &end));
    EXPECT_EQ("# of Peaks", std::string(cursor, cursor + 10));
    cursor = start;
    CString titleLine, channel;
    ASSERT_TRUE(Tool_SearchTitleForAsciiImportEx("Peak Table", titleLine, &cursor, &end));
    EXPECT_STREQ("[Peak Table(Detector A-Ch1)]", titleLine);
    EXPECT_EQ("# of Peaks\t2\r\nPeak#\tR.Time\tArea\r\n1\t1.234\t5678\r\n2\t2.500\t100",
              std::string(cursor, end));
    EXPECT_TRUE(Tool_SearchTitleChannelNameForAsciiImport(titleLine, channel));
    EXPECT_STREQ("Detector A-Ch1", channel);
    EXPECT_EQ("2", Item("# of Peaks", cursor, end));
    EXPECT_EQ("", Item("Interval", cursor, end)) << "in a later section";
    ASSERT_TRUE(Tool_SearchTitleForAsciiImportEx("Chromatogram", titleLine, &cursor, &end));
    EXPECT_EQ(start + text.size(), end) << "the last section ends with the text";
    EXPECT_EQ("500", Item("Interval(msec)", cursor, end));
    char delimiters[] = "xy"; // the byte after the keyword, unless the keyword ends the text
    Tool_GetDelimitTypeForAsciiImport("Delimiter,", &delimiters[0]);
    Tool_GetDelimitTypeForAsciiImport("x Delimiter", &delimiters[1]);
    EXPECT_STREQ(",\t", delimiters);
}

TEST(AsciiImport, ItemValuesAndFieldsCutInPlace) {
    const std::string text = "Name\tSample 1\r\nVolume\t10\t\r\nNo delimiter\r\nLast\tend";
    const char* end = text.c_str() + text.size();
    const std::pair<const char*, const char*> items[] = {
        {"Volume", "10\t"}, {"No delimiter", ""}, {"Last", "end"}, {"ame", "Sample 1"}, {"Missing", ""}};
    for (const auto& [name, value] : items) {
        EXPECT_EQ(value, Item(name, text.c_str(), end)) << name;
    }
    EXPECT_EQ("S", Item("Name", text.c_str(), text.c_str() + 6)) << "the walk stops at the end position";
    EXPECT_EQ("", Item("Last", text.c_str(), text.c_str() + 4)) << "found beyond the end";

    char buffer[] = "12.5\t3.4\t\tx\r\n7\t8";
    const char* bufferEnd = buffer + std::strlen(buffer);
    char value[32];
    std::string fields;
    for (int i = 0; i < 4; ++i) {
        fields += Cut(value, '\t', buffer, bufferEnd, buffer) + " ";
    }
    EXPECT_EQ("12.5|3.4\t\tx\r\n7\t8 3.4|\tx\r\n7\t8 |x\r\n7\t8 x|\r\n7\t8 ", fields)
        << "the line end stays in the rest";
    char line[] = "ab,cd", rest[16];
    EXPECT_EQ("a|b,cd", Cut(value, ',', line, line + 1, rest)) << "stops at the end position";
    EXPECT_EQ("ab|cd", Cut(line, ',', line, line + 5, rest)) << "the value may be the text's own buffer";
    // A line of several 4 KB blocks, its rest moved toward the front and toward the back of its buffer.
    std::string longText;
    for (int i = 0; i < 3000; ++i) {
        longText += std::to_string(i) + "\t";
    }
    std::string longLine = longText + std::string(8, '\0');
    const char* const longEnd = longLine.data() + longText.size();
    Cut(value, '\t', longLine.data(), longEnd, longLine.data());
    EXPECT_EQ("1|" + longText.substr(4), Cut(value, '\t', longLine.data(), longEnd, longLine.data() + 5));
}

} // namespace
