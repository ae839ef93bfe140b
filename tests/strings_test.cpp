// Character search and substrings (single-byte text here, code page 932 text in a second process),
// wildcard comparison, splitting, the ends of a text, half-width katakana, row lists and the
// checksum.
#include "cp932_child.h"
#include "ovsreg.h"
#include "ovstoolstring.h"

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Code page 932 characters: ア (trail byte "A"), ソ (trail byte "\"), 漢 (no ASCII trail byte),
// ガ, カ and the prolonged-sound mark ー.
constexpr char kA[] = "\x83\x41";
constexpr char kSo[] = "\x83\x5C";
constexpr char kKan[] = "\x8A\xBF";
constexpr char kGa[] = "\x83\x4B";
constexpr char kKa[] = "\x83\x4A";
constexpr char kLong[] = "\x81\x5B";
constexpr char kLeadByte[] = "\x83";

std::string Join(std::initializer_list<const char*> parts) {
    std::string text;
    for (const char* part : parts) {
        text += part;
    }
    return text;
}

std::vector<std::string> Parts(const CStringArray& parts) {
    std::vector<std::string> result;
    for (INT_PTR i = 0; i < parts.GetSize(); ++i) {
        result.emplace_back(parts[i].GetString());
    }
    return result;
}

std::vector<WORD> Rows(const CWordArray& rows) {
    std::vector<WORD> result;
    for (INT_PTR i = 0; i < rows.GetSize(); ++i) {
        result.push_back(rows[i]);
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Search and substrings in a single-byte code page

TEST(Search, FindsFirstLastAndNth) {
    const CString text("a,b,,c");
    EXPECT_EQ(1, Tool_Find(text, ','));
    EXPECT_EQ(4, Tool_ReverseFind(text, ','));
    EXPECT_EQ(1, Tool_NumFind(text, ',', 1));
    EXPECT_EQ(3, Tool_NumFind(text, ',', 2));
    EXPECT_EQ(4, Tool_NumFind(text, ',', 3));
    EXPECT_EQ(4, Tool_NumFind(text, ',', 9)) << "fewer matches: the last one found";
    EXPECT_EQ(0, Tool_Find(text, 'a'));
    EXPECT_EQ(5, Tool_ReverseFind(text, 'c'));
}

TEST(Search, MissingEmptyAndZeroGiveMinusOne) {
    EXPECT_EQ(-1, Tool_Find(CString("abc"), 'x'));
    EXPECT_EQ(-1, Tool_ReverseFind(CString("abc"), 'x'));
    EXPECT_EQ(-1, Tool_NumFind(CString("abc"), 'x', 2));
    EXPECT_EQ(-1, Tool_Find(CString(), 'a'));
    EXPECT_EQ(-1, Tool_ReverseFind(CString(), 'a'));
    EXPECT_EQ(-1, Tool_NumFind(CString(), 'a', 1));
    EXPECT_EQ(-1, Tool_Find(CString("abc"), '\0'));
    EXPECT_EQ(-1, Tool_ReverseFind(CString("abc"), '\0'));
    EXPECT_EQ(-1, Tool_NumFind(CString("abc"), '\0', 1));
}

TEST(Substring, MidRightAndCopyAtTheEdges) {
    const CString text("abcdef");
    EXPECT_STREQ("bcd", Tool_Mid(text, 1, 3));
    EXPECT_STREQ("ef", Tool_Mid(text, 4, 10)) << "count cut to what is left";
    EXPECT_STREQ("f", Tool_Mid(text, 5, 1));
    EXPECT_STREQ("", Tool_Mid(text, 6, 1)) << "start at the end";
    EXPECT_STREQ("", Tool_Mid(text, 7, 1)) << "start past the end";
    EXPECT_STREQ("", Tool_Mid(text, -1, 3));
    EXPECT_STREQ("", Tool_Mid(text, 0, 0));
    EXPECT_STREQ("", Tool_Mid(text, 0, -2));
    EXPECT_STREQ("def", Tool_Right(text, 3));
    EXPECT_STREQ("abcdef", Tool_Right(text, 6));
    EXPECT_STREQ("", Tool_Right(text, 7));
    EXPECT_STREQ("", Tool_Right(text, 0));
    EXPECT_STREQ("", Tool_Right(CString(), 1));
}

TEST(Substring, CopyKeepsOutForEmptyTextOrNoCount) {
    CString out("kept");
    EXPECT_EQ(0, Tool_StrCpyDBCS(out, CString(), 0, 3));
    EXPECT_STREQ("kept", out);
    EXPECT_EQ(0, Tool_StrCpyDBCS(out, CString("abc"), 0, 0));
    EXPECT_STREQ("kept", out);
    EXPECT_EQ(0, Tool_StrCpyDBCS(out, CString("abc"), 1, -1));
    EXPECT_STREQ("kept", out);
    EXPECT_EQ(0, Tool_StrCpyDBCS(out, CString("abc"), 1, 1));
    EXPECT_STREQ("b", out);
    EXPECT_EQ(0, Tool_StrCpyDBCS(out, CString("abc"), 3, 1));
    EXPECT_STREQ("", out) << "start at the end empties out";
}

// ---------------------------------------------------------------------------------------------
// Search and substrings in code page 932 (second process)

TEST(DbcsSearch, TrailByteEqualToTheCharacterIsNotReported) {
    OVS_REQUIRE_CODE_PAGE_932();
    const CString text(Join({kA, "A", kA, "xA"}).c_str()); // characters: ア A ア x A
    EXPECT_EQ(1, Tool_Find(text, 'A'));
    EXPECT_EQ(4, Tool_ReverseFind(text, 'A'));
    EXPECT_EQ(4, Tool_NumFind(text, 'A', 2));
    EXPECT_EQ(4, Tool_NumFind(text, 'A', 3));
    EXPECT_EQ(3, Tool_Find(text, 'x'));
    EXPECT_EQ(-1, Tool_Find(CString(kA), 'A'));
    EXPECT_EQ(-1, Tool_ReverseFind(CString(kA), 'A'));
    EXPECT_EQ(-1, Tool_NumFind(CString(kA), 'A', 1));
}

TEST(DbcsSearch, BackslashTrailBytesAreSteppedOver) {
    OVS_REQUIRE_CODE_PAGE_932();
    const CString text(Join({"C:", kSo, "\\", kSo, "\\f"}).c_str()); // C : ソ \ ソ \ f
    EXPECT_EQ(3, Tool_Find(text, '\\'));
    EXPECT_EQ(5, Tool_ReverseFind(text, '\\'));
    EXPECT_EQ(5, Tool_NumFind(text, '\\', 2));
}

TEST(DbcsSearch, LeadByteAsLastByteIsNoCharacter) {
    OVS_REQUIRE_CODE_PAGE_932();
    const CString text(Join({"ab", kLeadByte}).c_str());
    EXPECT_EQ(-1, Tool_Find(text, '\x83'));
    EXPECT_EQ(1, Tool_ReverseFind(text, 'b'));
    EXPECT_STREQ("ab", Tool_Mid(text, 0, 5));
    EXPECT_STREQ("", Tool_Mid(text, 2, 1)) << "index 2 is past the last whole character";
    EXPECT_STREQ("b", Tool_Right(text, 1));
    EXPECT_STREQ("", Tool_Right(text, 3));
}

// The character indexes of every single byte equal to c, by walking the text one character at a
// time with the platform's own lead-byte test.
std::vector<int> WalkMatches(const std::string& text, char c) {
    std::vector<int> matches;
    int index = 0;
    for (size_t p = 0; p < text.size(); ++index) {
        if (IsDBCSLeadByte(static_cast<BYTE>(text[p]))) {
            if (p + 1 == text.size()) {
                break;
            }
            p += 2;
            continue;
        }
        if (text[p] == c) {
            matches.push_back(index);
        }
        ++p;
    }
    return matches;
}

// Random texts across many 64-byte blocks: runs of lead bytes of both parities (0x81 and 0x83 are
// lead bytes and trail bytes at once), trail bytes equal to the searched byte, a lone last lead.
TEST(DbcsSearch, AgreesWithTheCharacterWalkOnRandomTexts) {
    OVS_REQUIRE_CODE_PAGE_932();
    const char pieces[] = {'\x81', '\x83', '\x5C', 'A',    'x',    '\xE0',
                           '\x9F', '\xFC', '\xA0', '\x40', '\x7F', '\xFD'};
    std::mt19937 random(932);
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 400, ' ');
        for (char& byte : text) {
            byte = pieces[random() % sizeof pieces];
        }
        const CString value(text.c_str());
        for (const char c : {'\\', 'A', 'x'}) {
            const std::vector<int> matches = WalkMatches(text, c);
            const std::string where = "round " + std::to_string(round) + " searching " + c;
            ASSERT_EQ(matches.empty() ? -1 : matches.front(), Tool_Find(value, c)) << where;
            ASSERT_EQ(matches.empty() ? -1 : matches.back(), Tool_ReverseFind(value, c)) << where;
            for (size_t n = 1; n <= matches.size(); ++n) {
                ASSERT_EQ(matches[n - 1], Tool_NumFind(value, c, static_cast<int>(n))) << where << " n " << n;
            }
        }
    }
}

TEST(DbcsSubstring, CountsADoubleByteCharacterOnce) {
    OVS_REQUIRE_CODE_PAGE_932();
    const CString text(Join({"a", kKan, "b"}).c_str()); // 3 characters, 4 bytes
    EXPECT_EQ(Join({kKan, "b"}), Tool_Mid(text, 1, 5).GetString());
    EXPECT_EQ(3, Tool_Mid(text, 1, 5).GetLength());
    EXPECT_EQ(kKan, std::string(Tool_Mid(text, 1, 1).GetString()));
    EXPECT_STREQ("b", Tool_Mid(text, 2, 1));
    EXPECT_STREQ("", Tool_Mid(text, 3, 1));
    EXPECT_EQ(Join({kKan, "b"}), Tool_Right(text, 2).GetString());
    EXPECT_STREQ("", Tool_Right(text, 4)) << "more than the 3 characters";
    CString out("x");
    Tool_StrCpyDBCS(out, text, 0, 2);
    EXPECT_EQ(Join({"a", kKan}), out.GetString());
}

TEST(DbcsEnds, TrailByteIsNoDelimiterAndNoLastCharacter) {
    OVS_REQUIRE_CODE_PAGE_932();
    const std::string endsInTrail = Join({"C:\\", kSo});
    EXPECT_FALSE(Tool_CheckDelimAtLast(endsInTrail.c_str(), "\\"));
    EXPECT_EQ('\0', Tool_GetStringLast(endsInTrail.c_str()));
    const std::string endsInSeparator = Join({"C:\\", kSo, "\\"});
    EXPECT_TRUE(Tool_CheckDelimAtLast(endsInSeparator.c_str(), "\\"));
    EXPECT_EQ('\\', Tool_GetStringLast(endsInSeparator.c_str()));
    // ソ followed by a real backslash: the trail byte 0x5C and then the separator 0x5C.
    EXPECT_TRUE(Tool_CheckDelimAtLast((std::string(kSo) + "\\").c_str(), "\\"));
}

TEST(DbcsHalfWidth, KatakanaAndProlongedSoundMarkBecomeHalfWidth) {
    OVS_REQUIRE_CODE_PAGE_932();
    CString out("x");
    // ガ カ ー 漢 ー a: the first mark follows a converted character, the second does not.
    const std::string text = Join({kGa, kKa, kLong, kKan, kLong, "a"});
    ASSERT_TRUE(Tool_LCMapStringToHalfWidth(text.c_str(), out));
    EXPECT_EQ(Join({"\xB6\xDE", "\xB6", "\xB0", kKan, kLong, "a"}), out.GetString());
    EXPECT_FALSE(Tool_LCMapStringToHalfWidth(Join({kKan, "b", kLong}).c_str(), out));
    EXPECT_EQ(Join({kKan, "b", kLong}), out.GetString());
}

TEST(HalfWidth, SingleByteTextIsCopied) {
    CString out("x");
    EXPECT_FALSE(Tool_LCMapStringToHalfWidth("plain text", out));
    EXPECT_STREQ("plain text", out);
    EXPECT_FALSE(Tool_LCMapStringToHalfWidth("", out));
    EXPECT_STREQ("", out);
}

// With "KanaMapMode" 1 the text comes back unchanged and the result is TRUE.
const ovs::test::ChildMode kKanaModeChild("kana-mode", [](const std::vector<std::string>&) {
    if (GetACP() != 932) {
        return 3;
    }
    CString out;
    const std::string text = Join({kGa, "a"});
    if (!Tool_LCMapStringToHalfWidth(text.c_str(), out) || text != out.GetString()) {
        return 1;
    }
    return 0;
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

// ---------------------------------------------------------------------------------------------
// Case-insensitive search, wildcard comparison, splitting, ends

TEST(CaseInsensitiveSearch, FindsBytePositions) {
    const char text[] = "Hello World";
    EXPECT_EQ(text + 6, Tool_strcasestr(text, "wORLD"));
    EXPECT_EQ(text, Tool_strcasestr(text, ""));
    EXPECT_EQ(text, Tool_strcasestr(text, "HELLO WORLD"));
    EXPECT_EQ(nullptr, Tool_strcasestr(text, "HELLO WORLD!"));
    EXPECT_EQ(nullptr, Tool_strcasestr(text, "xyz"));
    EXPECT_EQ(nullptr, Tool_strcasestr("", ""));
    EXPECT_EQ(nullptr, Tool_strcasestr(nullptr, "a"));
    EXPECT_EQ(text + 10, Tool_strcasestr(text, "D"));
}

struct WildcardCase {
    const char* text;
    const char* pattern;
    BOOL match;
};

class Wildcard : public ::testing::TestWithParam<WildcardCase> {};

TEST_P(Wildcard, Matches) {
    const WildcardCase& c = GetParam();
    EXPECT_EQ(c.match, Tool_CompareString(c.text, c.pattern)) << c.text << " / " << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Wildcard,
    ::testing::Values(
        WildcardCase{"abc", "a*", TRUE}, WildcardCase{"abc", "*c", TRUE}, WildcardCase{"abc", "a?c", TRUE},
        WildcardCase{"abc", "*", TRUE}, WildcardCase{"abc", "a?", FALSE}, WildcardCase{"abc", "ab", FALSE},
        WildcardCase{"abc", "abc", TRUE}, WildcardCase{"abc", "ABC", FALSE}, WildcardCase{"abc", "*b*", TRUE},
        WildcardCase{"abc", "*d*", FALSE}, WildcardCase{"abc", "a*b*c", TRUE},
        WildcardCase{"abc", "a*c*", TRUE}, WildcardCase{"abc", "abcd*", FALSE},
        WildcardCase{"abc", "??", FALSE}, WildcardCase{"abc", "???", TRUE}, WildcardCase{"", "", TRUE},
        WildcardCase{"", "*", TRUE}, WildcardCase{"", "**", FALSE}, WildcardCase{"", "?", FALSE},
        WildcardCase{"a", "a**", TRUE}, WildcardCase{"a", "a***", FALSE}, WildcardCase{"ab", "a**", TRUE},
        WildcardCase{"run01.lcd", "run*.lcd", TRUE}, WildcardCase{"run01.lcm", "run*.lcd", FALSE},
        WildcardCase{"a*c", "a*c", TRUE},
        WildcardCase{"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "*a*a*a*a*a*a*a*a*a*a*b", FALSE}));

// The comparison's rules written as plain recursion, one level per "*": the reference for texts and
// patterns small enough for it.
bool ReferenceMatch(const std::string& text, const std::string& pattern) {
    if (text == pattern || text.empty()) {
        return text == pattern || pattern == "*";
    }
    const size_t k = pattern.find('*');
    if (k == std::string::npos) {
        for (size_t i = 0; text.size() == pattern.size() && i < pattern.size(); ++i) {
            if (pattern[i] == '?' && i + 1 == pattern.size()) {
                return true;
            }
            if (pattern[i] != '?' && pattern[i] != text[i]) {
                return false;
            }
        }
        return text.size() == pattern.size();
    }
    if (text.size() < k || !ReferenceMatch(text.substr(0, k), pattern.substr(0, k))) {
        return false;
    }
    for (size_t j = k; j <= text.size(); ++j) {
        if (k + 1 == pattern.size() || ReferenceMatch(text.substr(j), pattern.substr(k + 1))) {
            return true;
        }
    }
    return false;
}

TEST(WildcardRules, AgreeWithPlainRecursionOnRandomInputs) {
    std::mt19937 random(24);
    const auto randomText = [&random] {
        std::string text(random() % 8, ' ');
        for (char& c : text) {
            c = "ab*?"[random() % 4];
        }
        return text;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::string text = randomText();
        const std::string pattern = randomText();
        ASSERT_EQ(ReferenceMatch(text, pattern), Tool_CompareString(text.c_str(), pattern.c_str()) != FALSE)
            << text << " / " << pattern;
    }
}

TEST(WildcardRules, LongPatternsNeitherExhaustTheStackNorTakeExponentialTime) {
    EXPECT_TRUE(Tool_CompareString("abc", std::string(100000, '*').c_str()));
    EXPECT_FALSE(Tool_CompareString("", std::string(100000, '*').c_str()));
    const std::string text(10000, 'a');
    EXPECT_FALSE(Tool_CompareString(text.c_str(), "*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(Tool_CompareString(text.c_str(), "*a*a*a*a*a*a*a*a*?"));
}

TEST(WildcardArguments, NullIsNoMatch) {
    EXPECT_FALSE(Tool_CompareString(nullptr, "*"));
    EXPECT_FALSE(Tool_CompareString("a", nullptr));
}

TEST(Split, RunsOfDelimitersSeparateOnce) {
    CStringArray parts;
    Tool_SplitString(parts, ",a,,b,", ',');
    EXPECT_EQ((std::vector<std::string>{"", "a", "b"}), Parts(parts));
    parts.RemoveAll();
    Tool_SplitString(parts, "x;y", ';');
    EXPECT_EQ((std::vector<std::string>{"x", "y"}), Parts(parts));
    Tool_SplitString(parts, "z", ';');
    EXPECT_EQ((std::vector<std::string>{"x", "y", "z"}), Parts(parts)) << "pieces are appended";
    parts.RemoveAll();
    Tool_SplitString(parts, "", ',');
    EXPECT_TRUE(Parts(parts).empty());
    Tool_SplitString(parts, nullptr, ',');
    EXPECT_TRUE(Parts(parts).empty());
    Tool_SplitString(parts, ",,,", ',');
    EXPECT_EQ((std::vector<std::string>{""}), Parts(parts));
}

TEST(Ends, LastByteAndDelimiter) {
    EXPECT_TRUE(Tool_CheckDelimAtLast("C:\\Data\\", "\\"));
    EXPECT_FALSE(Tool_CheckDelimAtLast("C:\\Data", "\\"));
    EXPECT_FALSE(Tool_CheckDelimAtLast("", "\\"));
    EXPECT_FALSE(Tool_CheckDelimAtLast(nullptr, "\\"));
    EXPECT_EQ('a', Tool_GetStringLast("Data"));
    EXPECT_EQ('\0', Tool_GetStringLast(""));
    EXPECT_EQ('\0', Tool_GetStringLast(nullptr));
}

// ---------------------------------------------------------------------------------------------
// Row lists

struct RowCase {
    const char* text;
    int result;
    std::vector<WORD> rows;
};

class RowList : public ::testing::TestWithParam<RowCase> {};

TEST_P(RowList, ReadsRowsOrErrorPosition) {
    const RowCase& c = GetParam();
    CWordArray rows;
    rows.Add(99);
    DWORD first = 77;
    DWORD last = 77;
    EXPECT_EQ(c.result, Tool_GetSelectedRowsNumber(c.text, rows, &first, &last)) << "[" << c.text << "]";
    EXPECT_EQ(c.rows, Rows(rows)) << "[" << c.text << "]";
    EXPECT_EQ(c.rows.empty() ? 0u : c.rows.front(), first);
    EXPECT_EQ(c.rows.empty() ? 0u : c.rows.back(), last);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RowList,
    ::testing::Values(RowCase{" 1-3, 5", 4, {1, 2, 3, 5}}, RowCase{"5,1,3-4,2", 5, {1, 2, 3, 4, 5}},
                      RowCase{"1-3,2-4", 4, {1, 2, 3, 4}}, RowCase{"7", 1, {7}}, RowCase{"  7  ", 1, {7}},
                      RowCase{" 2 - 4 ", 3, {2, 3, 4}}, RowCase{"65535", 1, {65535}},
                      RowCase{"65534-65535", 2, {65534, 65535}}, RowCase{"1,,2", -3, {}},
                      RowCase{"3-1", -3, {}}, RowCase{"2-2", -3, {}}, RowCase{"0", -1, {}},
                      RowCase{"70000", -1, {}}, RowCase{"65536", -1, {}}, RowCase{"1,65536", -3, {}},
                      RowCase{"0-5", -1, {}}, RowCase{"", -1, {}}, RowCase{"   ", -1, {}},
                      RowCase{",1", -1, {}}, RowCase{"  ,1", -3, {}}, RowCase{"1,", -2, {}},
                      RowCase{"1, ", -2, {}}, RowCase{"1-2-3", -4, {}}, RowCase{"4-", -2, {}},
                      RowCase{"-4", -1, {}}, RowCase{"1 2", -3, {}}, RowCase{"1,a", -3, {}},
                      RowCase{"1, ,2", -4, {}}, RowCase{"12x", -3, {}},
                      RowCase{"99999999999999999999", -1, {}}));

TEST(RowListArguments, NullTextAndOptionalBounds) {
    CWordArray rows;
    rows.Add(1);
    EXPECT_EQ(-1, Tool_GetSelectedRowsNumber(nullptr, rows));
    EXPECT_EQ(0, rows.GetSize());
    EXPECT_EQ(2, Tool_GetSelectedRowsNumber("4,9", rows));
    EXPECT_EQ((std::vector<WORD>{4, 9}), Rows(rows));
}

TEST(RowListLong, WholeRangeAndManyItems) {
    CWordArray rows;
    DWORD first = 0;
    DWORD last = 0;
    EXPECT_EQ(65535, Tool_GetSelectedRowsNumber("1-65535", rows, &first, &last));
    EXPECT_EQ(1u, first);
    EXPECT_EQ(65535u, last);
    std::string text;
    std::vector<WORD> expected;
    for (int row = 3000; row >= 2; row -= 2) {
        text += std::to_string(row) + (row > 2 ? ", " : "");
        expected.insert(expected.begin(), static_cast<WORD>(row));
    }
    EXPECT_EQ(1500, Tool_GetSelectedRowsNumber(text.c_str(), rows, &first, &last));
    EXPECT_EQ(expected, Rows(rows));
    CString back;
    Tool_GetSelectedRowsString(rows, back);
    CWordArray again;
    EXPECT_EQ(1500, Tool_GetSelectedRowsNumber(back, again));
    EXPECT_EQ(expected, Rows(again));
}

TEST(RowString, WritesRunsAndSkipsZerosAndDuplicates) {
    CWordArray rows;
    for (WORD row : {5, 1, 2, 3, 3, 7, 8, 0}) {
        rows.Add(row);
    }
    CString out("x");
    Tool_GetSelectedRowsString(rows, out);
    EXPECT_STREQ("1-3,5,7-8", out);
    rows.RemoveAll();
    Tool_GetSelectedRowsString(rows, out);
    EXPECT_STREQ("", out);
    rows.Add(0);
    Tool_GetSelectedRowsString(rows, out);
    EXPECT_STREQ("", out);
    rows.RemoveAll();
    rows.Add(65535);
    rows.Add(65534);
    rows.Add(1);
    Tool_GetSelectedRowsString(rows, out);
    EXPECT_STREQ("1,65534-65535", out);
}

// ---------------------------------------------------------------------------------------------
// Checksum

TEST(CheckSum, AddsWholeWordsWithWrapAround) {
    const WORD words[] = {0xFFFF, 0x0002, 0x1234};
    WORD sum = 99;
    EXPECT_EQ(2u, Tool_CheckSum(words, 5, &sum));
    EXPECT_EQ(0x0001, sum);
    EXPECT_EQ(3u, Tool_CheckSum(words, 6, &sum));
    EXPECT_EQ(0x1235, sum);
    EXPECT_EQ(0u, Tool_CheckSum(words, 1, &sum));
    EXPECT_EQ(0, sum);
    sum = 5;
    EXPECT_EQ(0u, Tool_CheckSum(words, 0, &sum));
    EXPECT_EQ(0, sum);
    EXPECT_EQ(0u, Tool_CheckSum(nullptr, 4, &sum));
    EXPECT_EQ(0u, Tool_CheckSum(words, 4, nullptr));
}

} // namespace
