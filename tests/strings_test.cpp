// Character search and substrings (single-byte text here, code page 932 text in a second process),
// wildcard comparison, splitting, the ends of a text, half-width katakana, row lists and the
// checksum.
#include "cp932_child.h"
#include "expect_rows.h"
#include "ovsreg.h"
#include "ovstoolstring.h"

#include <random>
#include <string>
#include <vector>

using ovs::test::ExpectRows;

namespace {

// Code page 932 characters: ア (trail byte "A"), ソ (trail byte "\"), 漢 (no ASCII trail byte),
// ガ, カ and the prolonged-sound mark ー.
const std::string kA = "\x83\x41", kSo = "\x83\x5C", kKan = "\x8A\xBF", kGa = "\x83\x4B", kKa = "\x83\x4A",
                  kLong = "\x81\x5B";

// "first last / 1st 2nd 3rd 4th" of the character indexes found.
std::string Found(const std::string& text, char c) {
    const CString value(text.c_str());
    std::string found =
        std::to_string(Tool_Find(value, c)) + " " + std::to_string(Tool_ReverseFind(value, c)) + " /";
    for (int n = 1; n <= 4; ++n) {
        found += " " + std::to_string(Tool_NumFind(value, c, n));
    }
    return found;
}

std::string Mid(const std::string& text, int start, int count) {
    return Tool_Mid(CString(text.c_str()), start, count).GetString();
}

std::string Right(const std::string& text, int count) {
    return Tool_Right(CString(text.c_str()), count).GetString();
}

// "result:out" of a copy into an out text that held "kept".
std::string Copy(const std::string& text, int start, int count) {
    CString out("kept");
    const int result = Tool_StrCpyDBCS(out, CString(text.c_str()), start, count);
    return std::to_string(result) + ":" + out.GetString();
}

// "result:out" of the half-width mapping into an out text that held "x".
std::string HalfWidth(const std::string& text) {
    CString out("x");
    const BOOL mapped = Tool_LCMapStringToHalfWidth(text.c_str(), out);
    return std::to_string(mapped) + ":" + out.GetString();
}

// "delimiter-at-last last-byte" of a text.
std::string Ends(const char* text) {
    const char last = Tool_GetStringLast(text);
    return std::to_string(Tool_CheckDelimAtLast(text, "\\")) + " " +
           std::string(1, last != '\0' ? last : '0');
}

TEST(Search, SubstringsAndEndsInASingleByteCodePage) {
    // clang-format off
    ExpectRows<std::string>({
        {Found("a,b,,c", ','), "1 4 / 1 3 4 4"}, // fewer matches: the last one found
        {Found("a,b,,c", 'a'), "0 0 / 0 0 0 0"}, {Found("abc", 'x'), "-1 -1 / -1 -1 -1 -1"},
        {Found("", 'a'), "-1 -1 / -1 -1 -1 -1"}, {Found("abc", '\0'), "-1 -1 / -1 -1 -1 -1"},
        {Mid("abcdef", 1, 3), "bcd"}, {Mid("abcdef", 4, 10), "ef"}, {Mid("abcdef", 5, 1), "f"},
        {Mid("abcdef", 6, 1), ""}, {Mid("abcdef", 7, 1), ""}, {Mid("abcdef", -1, 3), ""}, {Mid("abcdef", 0, 0), ""},
        {Mid("abcdef", 0, -2), ""}, {Right("abcdef", 3), "def"}, {Right("abcdef", 6), "abcdef"},
        {Right("abcdef", 7), ""}, {Right("abcdef", 0), ""}, {Right("", 1), ""},
        {Copy("", 0, 3), "0:kept"}, {Copy("abc", 0, 0), "0:kept"}, {Copy("abc", 1, -1), "0:kept"},
        {Copy("abc", 1, 1), "0:b"}, {Copy("abc", 3, 1), "0:"}, // start at the end empties out
        {HalfWidth("plain text"), "0:plain text"}, {HalfWidth(""), "0:"},
        {Ends("C:\\Data\\"), "1 \\"}, {Ends("C:\\Data"), "0 a"}, {Ends(""), "0 0"}, {Ends(nullptr), "0 0"}});
    // clang-format on
}

TEST(DbcsText, TrailBytesAndLoneLeadBytesAreNoCharacters) {
    OVS_REQUIRE_CODE_PAGE_932();
    const std::string endsInLead = "ab\x83", kanji = "a" + kKan + "b"; // 3 characters, 4 bytes
    // clang-format off
    ExpectRows<std::string>({
        {Found(kA + "A" + kA + "xA", 'A'), "1 4 / 1 4 4 4"}, {Found(kA + "A" + kA + "xA", 'x'), "3 3 / 3 3 3 3"},
        {Found(kA, 'A'), "-1 -1 / -1 -1 -1 -1"}, {Found("C:" + kSo + "\\" + kSo + "\\f", '\\'), "3 5 / 3 5 5 5"},
        {Found(endsInLead, '\x83'), "-1 -1 / -1 -1 -1 -1"}, {Found(endsInLead, 'b'), "1 1 / 1 1 1 1"},
        {Mid(endsInLead, 0, 5), "ab"}, {Mid(endsInLead, 2, 1), ""}, // index 2 is past the last whole character
        {Right(endsInLead, 1), "b"}, {Right(endsInLead, 3), ""}, {Mid(kanji, 1, 5), kKan + "b"}, {Mid(kanji, 1, 1), kKan},
        {Mid(kanji, 2, 1), "b"}, {Mid(kanji, 3, 1), ""}, {Right(kanji, 2), kKan + "b"}, {Right(kanji, 4), ""},
        {Copy(kanji, 0, 2), "0:a" + kKan},
        // ガ カ ー 漢 ー a: the first mark follows a converted character, the second does not.
        {HalfWidth(kGa + kKa + kLong + kKan + kLong + "a"), "1:\xB6\xDE\xB6\xB0" + kKan + kLong + "a"},
        {HalfWidth(kKan + "b" + kLong), "0:" + kKan + "b" + kLong},
        {Ends(("C:\\" + kSo).c_str()), "0 0"}, {Ends(("C:\\" + kSo + "\\").c_str()), "1 \\"}});
    // clang-format on
}

// Random texts across many 64-byte blocks: runs of lead bytes of both parities (0x81 and 0x83 are
// lead bytes and trail bytes at once), trail bytes equal to the searched byte, a lone last lead. The
// expected indexes come from walking the text one character at a time with the platform's lead-byte test.
TEST(DbcsText, SearchAgreesWithTheCharacterWalkOnRandomTexts) {
    OVS_REQUIRE_CODE_PAGE_932();
    const char pieces[] = "\x81\x83\\Ax\xE0\x9F\xFC\xA0\x40\x7F\xFD";
    std::mt19937 random(932);
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 400, ' ');
        for (char& byte : text) {
            byte = pieces[random() % (sizeof pieces - 1)];
        }
        const auto lead = [&text](size_t p) { return IsDBCSLeadByte(static_cast<BYTE>(text[p])) != FALSE; };
        for (const char c : {'\\', 'A', 'x'}) {
            std::vector<int> matches;
            for (size_t p = 0, index = 0; p < text.size() && !(lead(p) && p + 1 == text.size()); ++index) {
                if (!lead(p) && text[p] == c) {
                    matches.push_back(static_cast<int>(index));
                }
                p += lead(p) ? 2 : 1;
            }
            const CString value(text.c_str());
            const std::string where = "round " + std::to_string(round) + " searching " + c;
            ASSERT_EQ(matches.empty() ? -1 : matches.front(), Tool_Find(value, c)) << where;
            ASSERT_EQ(matches.empty() ? -1 : matches.back(), Tool_ReverseFind(value, c)) << where;
            for (size_t n = 1; n <= matches.size(); ++n) {
                ASSERT_EQ(matches[n - 1], Tool_NumFind(value, c, static_cast<int>(n))) << where << " n " << n;
            }
        }
    }
}

// With "KanaMapMode" 1 the text comes back unchanged and the result is TRUE.
const ovs::test::ChildMode kKanaModeChild("kana-mode", [](const std::vector<std::string>&) {
    return GetACP() != 932 ? 3 : HalfWidth(kGa + "a") == "1:" + kGa + "a" ? 0 : 1;
});

class HalfWidthSetting : public ovs::test::RegistryTest {};

TEST_F(HalfWidthSetting, ModeNotZeroLeavesTextUnchanged) {
    if (!ovs::test::RunsUnderWine()) {
        GTEST_SKIP() << "the locale of a second process is set this way only under Wine";
    }
    ASSERT_TRUE(Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Report", "KanaMapMode", 1));
    const ovs::test::ChildResult result = ovs::test::RunChildInLocale("ja_JP.UTF-8", "kana-mode");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode);
}

// The pieces joined by "|" after their count.
std::string Split(const char* text, char delimiter, CStringArray&& parts = CStringArray()) {
    Tool_SplitString(parts, text, delimiter);
    std::string joined = std::to_string(parts.GetSize()) + ":";
    for (INT_PTR i = 0; i < parts.GetSize(); ++i) {
        joined += (i ? "|" : "") + std::string(parts[i].GetString());
    }
    return joined;
}

TEST(TextMatching, CaseInsensitiveSearchWildcardsAndSplitting) {
    const char text[] = "Hello World";
    // clang-format off
    ExpectRows<const char*>({{Tool_strcasestr(text, "wORLD"), text + 6}, {Tool_strcasestr(text, ""), text},
        {Tool_strcasestr(text, "HELLO WORLD"), text}, {Tool_strcasestr(text, "HELLO WORLD!"), nullptr},
        {Tool_strcasestr(text, "xyz"), nullptr}, {Tool_strcasestr("", ""), nullptr}, {Tool_strcasestr(nullptr, "a"), nullptr},
        {Tool_strcasestr(text, "D"), text + 10}});
    const std::pair<const char*, const char*> matching[] = {
        {"abc", "a*"}, {"abc", "*c"}, {"abc", "a?c"}, {"abc", "*"}, {"abc", "abc"}, {"abc", "*b*"}, {"abc", "a*b*c"},
        {"abc", "a*c*"}, {"abc", "???"}, {"", ""}, {"", "*"}, {"a", "a**"}, {"ab", "a**"}, {"run01.lcd", "run*.lcd"},
        {"a*c", "a*c"}};
    const std::pair<const char*, const char*> other[] = {
        {"abc", "a?"}, {"abc", "ab"}, {"abc", "ABC"}, {"abc", "*d*"}, {"abc", "abcd*"}, {"abc", "??"}, {"", "**"},
        {"", "?"}, {"a", "a***"}, {"run01.lcm", "run*.lcd"}, {"", "a"}, {"ab", "a"},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "*a*a*a*a*a*a*a*a*a*a*b"}, {nullptr, "*"}, {"a", nullptr}};
    // clang-format on
    for (const auto& [text, pattern] : matching) {
        EXPECT_TRUE(Tool_CompareString(text, pattern)) << text << " / " << pattern;
    }
    for (const auto& [text, pattern] : other) {
        EXPECT_FALSE(Tool_CompareString(text, pattern))
            << (text ? text : "null") << " / " << (pattern ? pattern : "null");
    }
    // Long patterns neither exhaust the stack nor take exponential time.
    EXPECT_TRUE(Tool_CompareString("abc", std::string(100000, '*').c_str()));
    EXPECT_FALSE(Tool_CompareString("", std::string(100000, '*').c_str()));
    const std::string as(10000, 'a');
    EXPECT_FALSE(Tool_CompareString(as.c_str(), "*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(Tool_CompareString(as.c_str(), "*a*a*a*a*a*a*a*a*?"));
    CStringArray earlier;
    earlier.Add("x");
    // clang-format off
    ExpectRows<std::string>({{Split(",a,,b,", ','), "3:|a|b"}, {Split("x;y", ';'), "2:x|y"},
        {Split("y", ';', std::move(earlier)), "2:x|y"}, // pieces are appended
        {Split("", ','), "0:"}, {Split(nullptr, ','), "0:"}, {Split(",,,", ','), "1:"}});
    // clang-format on
}

// "result: rows [first-last]" of a parse into a list that held the row 99.
std::string ParseRows(const char* text) {
    CWordArray rows;
    rows.Add(99);
    DWORD first = 77, last = 77;
    std::string parsed = std::to_string(Tool_GetSelectedRowsNumber(text, rows, &first, &last)) + ":";
    for (INT_PTR i = 0; i < rows.GetSize(); ++i) {
        parsed += " " + std::to_string(rows[i]);
    }
    return parsed + " [" + std::to_string(first) + "-" + std::to_string(last) + "]";
}

std::string RowsText(std::initializer_list<WORD> list) {
    CWordArray rows;
    for (WORD row : list) {
        rows.Add(row);
    }
    CString text("x");
    Tool_GetSelectedRowsString(rows, text);
    return text.GetString();
}

TEST(RowList, ReadsRowsOrTheErrorPositionAndWritesRuns) {
    // clang-format off
    ExpectRows<std::string>({
        {ParseRows(" 1-3, 5"), "4: 1 2 3 5 [1-5]"}, {ParseRows("5,1,3-4,2"), "5: 1 2 3 4 5 [1-5]"},
        {ParseRows("1-3,2-4"), "4: 1 2 3 4 [1-4]"}, {ParseRows("  7  "), "1: 7 [7-7]"},
        {ParseRows(" 2 - 4 "), "3: 2 3 4 [2-4]"}, {ParseRows("65534-65535"), "2: 65534 65535 [65534-65535]"},
        {RowsText({5, 1, 2, 3, 3, 7, 8, 0}), "1-3,5,7-8"}, {RowsText({}), ""}, {RowsText({0}), ""},
        {RowsText({65535, 65534, 1}), "1,65534-65535"}});
    // The 1-based position of the error, negative; no rows.
    const std::pair<const char*, int> errors[] = {
        {"1,,2", -3}, {"3-1", -3}, {"2-2", -3}, {"0", -1}, {"70000", -1}, {"65536", -1}, {"1,65536", -3}, {"0-5", -1},
        {"", -1}, {"   ", -1}, {",1", -1}, {"  ,1", -3}, {"1,", -2}, {"1, ", -2}, {"1-2-3", -4}, {"4-", -2}, {"-4", -1},
        {"1 2", -3}, {"1,a", -3}, {"1, ,2", -4}, {"12x", -3}, {"99999999999999999999", -1}, {nullptr, -1}};
    // clang-format on
    for (const auto& [text, position] : errors) {
        EXPECT_EQ(std::to_string(position) + ": [0-0]", ParseRows(text)) << (text ? text : "null");
    }
    CWordArray rows;
    EXPECT_EQ(2, Tool_GetSelectedRowsNumber("4,9", rows)) << "the bounds are optional";
    DWORD first = 0, last = 0;
    EXPECT_EQ(65535, Tool_GetSelectedRowsNumber("1-65535", rows, &first, &last));
    EXPECT_EQ(65535u, last);
    std::string text;
    for (int row = 3000; row >= 2; row -= 2) {
        text += std::to_string(row) + (row > 2 ? ", " : "");
    }
    EXPECT_EQ(1500, Tool_GetSelectedRowsNumber(text.c_str(), rows, &first, &last));
    CString back;
    Tool_GetSelectedRowsString(rows, back);
    CWordArray again;
    EXPECT_EQ(1500, Tool_GetSelectedRowsNumber(back, again));
    EXPECT_TRUE(first == 2 && last == 3000 && again.GetSize() == 1500 && again[1] == 4 &&
                again[1499] == 3000);
}

TEST(CheckSum, AddsWholeWordsWithWrapAround) {
    const WORD words[] = {0xFFFF, 0x0002, 0x1234};
    WORD sums[4] = {99, 99, 99, 5};
    // clang-format off
    ExpectRows<DWORD>({{Tool_CheckSum(words, 5, &sums[0]), 2}, {sums[0], 0x0001}, {Tool_CheckSum(words, 6, &sums[1]), 3},
        {sums[1], 0x1235}, {Tool_CheckSum(words, 1, &sums[2]), 0}, {sums[2], 0}, {Tool_CheckSum(words, 0, &sums[3]), 0},
        {sums[3], 0}, {Tool_CheckSum(nullptr, 4, &sums[3]), 0}, {Tool_CheckSum(words, 4, nullptr), 0}});
    // clang-format on
}

} // namespace
