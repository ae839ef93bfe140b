// Character search and substrings (code page 932 text in a second process), wildcards, splitting, the
// ends of a text, half-width katakana, row lists, the checksum, and the reversible codings: escapes,
// shifted hexadecimal digits, the two packed binary forms in a BSTR and UTF-16 as hexadecimal text.
#include "cp932_child.h"
#include "expect_rows.h"
#include "ovsreg.h"
#include "ovstoolstring.h"
#include "unique_resource.h"

#include <optional>
#include <string>
#include <tuple>
#include <vector>

using namespace ovs::test;

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

// "mid|right|result:copy" of the cuts at start and count, the copy into an out text that held "kept".
std::string Cut(const std::string& text, int start, int count) {
    const CString value(text.c_str());
    CString out("kept");
    const int result = Tool_StrCpyDBCS(out, value, start, count);
    return std::string(Tool_Mid(value, start, count)) + "|" + Tool_Right(value, count).GetString() + "|" +
           std::to_string(result) + ":" + out.GetString();
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
        {Found("a,b,,c", ','), "1 4 / 1 3 4 4"}, {Found("a,b,,c", 'a'), "0 0 / 0 0 0 0"}, // fewer: the last one
        {Found("abc", 'x'), "-1 -1 / -1 -1 -1 -1"}, {Found("", 'a'), "-1 -1 / -1 -1 -1 -1"},
        {Found("abc", '\0'), "-1 -1 / -1 -1 -1 -1"}, {Cut("abcdef", 1, 3), "bcd|def|0:bcd"},
        {Cut("abcdef", 4, 10), "ef||0:ef"}, {Cut("abcdef", 5, 1), "f|f|0:f"}, {Cut("abcdef", 6, 6), "|abcdef|0:"},
        {Cut("abcdef", 7, 7), "||0:"}, // a start at the end empties out
        {Cut("abcdef", -1, 3), "|def|0:"}, {Cut("abcdef", 0, 0), "||0:kept"}, {Cut("abcdef", 0, -2), "||0:kept"},
        {Cut("", 0, 1), "||0:kept"}, {HalfWidth("plain text"), "0:plain text"}, {HalfWidth(""), "0:"},
        {Ends("C:\\Data\\"), "1 \\"}, {Ends("C:\\Data"), "0 a"}, {Ends(""), "0 0"}, {Ends(nullptr), "0 0"}});
    // clang-format on
}

TEST(DbcsText, TrailBytesAndLoneLeadBytesAreNoCharacters) {
    OVS_REQUIRE_CODE_PAGE_932();
    const std::string endsInLead = "ab\x83", kanji = "a" + kKan + "b"; // 3 characters, 4 bytes
    // Over 64-byte blocks: a character split by a block's end, a carried trail byte that is a lead byte.
    const std::string pad(63, 'a'), split = pad + "\x81\x81\x81" + "Ax";
    std::string soRun;
    for (int i = 0; i < 50; ++i) {
        soRun += kSo + "\\";
    }
    // clang-format off
    ExpectRows<std::string>({
        {Found(kA + "A" + kA + "xA", 'A'), "1 4 / 1 4 4 4"}, {Found(kA + "A" + kA + "xA", 'x'), "3 3 / 3 3 3 3"},
        {Found(kA, 'A'), "-1 -1 / -1 -1 -1 -1"}, {Found("C:" + kSo + "\\" + kSo + "\\f", '\\'), "3 5 / 3 5 5 5"},
        {Found(endsInLead, '\x83'), "-1 -1 / -1 -1 -1 -1"}, {Found(endsInLead, 'b'), "1 1 / 1 1 1 1"},
        {Cut(endsInLead, 0, 3), "ab||0:ab"}, {Cut(endsInLead, 2, 1), "|b|0:"}, {Cut(kanji, 3, 4), "||0:"}, // past the end
        {Cut(kanji, 1, 5), kKan + "b||0:" + kKan + "b"}, {Cut(kanji, 1, 1), kKan + "|b|0:" + kKan},
        {Cut(kanji, 2, 2), "b|" + kKan + "b|0:b"}, {Cut(kanji, 0, 2), "a" + kKan + "|" + kKan + "b|0:a" + kKan},
        // ガ カ ー 漢 ー a: the first mark follows a converted character, the second does not.
        {HalfWidth(kGa + kKa + kLong + kKan + kLong + "a"), "1:\xB6\xDE\xB6\xB0" + kKan + kLong + "a"},
        {HalfWidth(kKan + "b" + kLong), "0:" + kKan + "b" + kLong},
        {Ends(("C:\\" + kSo).c_str()), "0 0"}, {Ends(("C:\\" + kSo + "\\").c_str()), "1 \\"},
        {Found(soRun, '\\'), "1 99 / 1 3 5 7"}, {Found(split, 'x'), "65 65 / 65 65 65 65"},
        {Found("x\x83\x83\x83\\\\", '\\'), "3 3 / 3 3 3 3"}, {Found(pad + kA + "AA", 'A'), "64 65 / 64 65 65 65"},
        {Found(split, 'A'), "-1 -1 / -1 -1 -1 -1"}});
    // clang-format on
}

// With "KanaMapMode" 1 the text comes back unchanged and the result is TRUE.
const ChildMode kKanaModeChild("kana-mode", [](const std::vector<std::string>&) {
    return GetACP() != 932 ? 3 : HalfWidth(kGa + "a") == "1:" + kGa + "a" ? 0 : 1;
});

TEST_F(RegistryTest, HalfWidthModeNotZeroLeavesTextUnchanged) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "the locale of a second process is set this way only under Wine";
    }
    ASSERT_TRUE(Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Report", "KanaMapMode", 1));
    const ChildResult result = RunChildInLocale("ja_JP.UTF-8", "kana-mode");
    EXPECT_TRUE(result.finished && result.exitCode == 0)
        << "3: the child's code page was not 932; 1: not unchanged";
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
    CStringArray earlier;
    earlier.Add("x");
    // clang-format off
    ExpectRows<const char*>({{Tool_strcasestr(text, "wORLD"), text + 6}, {Tool_strcasestr(text, ""), text},
        {Tool_strcasestr(text, "HELLO WORLD"), text}, {Tool_strcasestr(text, "HELLO WORLD!"), nullptr},
        {Tool_strcasestr(text, "xyz"), nullptr}, {Tool_strcasestr("", ""), nullptr}, {Tool_strcasestr(nullptr, "a"), nullptr},
        {Tool_strcasestr(text, "D"), text + 10}});
    const std::tuple<const char*, const char*, BOOL> patterns[] = {
        {"abc", "a*", 1}, {"abc", "*c", 1}, {"abc", "a?c", 1}, {"abc", "*", 1}, {"abc", "abc", 1}, {"abc", "*b*", 1},
        {"abc", "a*b*c", 1}, {"abc", "a*c*", 1}, {"abc", "???", 1}, {"", "", 1}, {"", "*", 1}, {"a", "a**", 1},
        {"ab", "a**", 1}, {"run01.lcd", "run*.lcd", 1}, {"a*c", "a*c", 1}, {"abc", "a?", 0}, {"abc", "ab", 0},
        {"abc", "ABC", 0}, {"abc", "*d*", 0}, {"abc", "abcd*", 0}, {"abc", "??", 0}, {"", "**", 0}, {"", "?", 0},
        {"a", "a***", 0}, {"run01.lcm", "run*.lcd", 0}, {"", "a", 0}, {"ab", "a", 0},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "*a*a*a*a*a*a*a*a*a*a*b", 0}, {nullptr, "*", 0}, {"a", nullptr, 0}};
    ExpectRows<std::string>({{Split(",a,,b,", ','), "3:|a|b"}, {Split("x;y", ';'), "2:x|y"},
        {Split("y", ';', std::move(earlier)), "2:x|y"}, // pieces are appended
        {Split("", ','), "0:"}, {Split(nullptr, ','), "0:"}, {Split(",,,", ','), "1:"}});
    // clang-format on
    for (const auto& [text, pattern, matches] : patterns) {
        EXPECT_EQ(matches, Tool_CompareString(text, pattern))
            << (text ? text : "null") << " / " << (pattern ? pattern : "null");
    }
    // Long patterns neither exhaust the stack nor take exponential time.
    EXPECT_TRUE(Tool_CompareString("abc", std::string(100000, '*').c_str()));
    EXPECT_FALSE(Tool_CompareString(std::string(10000, 'a').c_str(), "*a*a*a*a*a*a*a*a*b"));
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

TEST(RowList, ReadsRowsOrTheErrorPositionAndWritesRunsAndTheCheckSumAddsWholeWords) {
    const std::string all = ParseRows("1-65535");
    const WORD words[] = {0xFFFF, 0x0002, 0x1234};
    WORD sums[4] = {99, 99, 99, 5};
    // clang-format off
    ExpectRows<std::string>({
        {all.substr(0, 10), "65535: 1 2"}, {all.substr(all.size() - 15), "65535 [1-65535]"},
        {ParseRows(" 1-3, 5"), "4: 1 2 3 5 [1-5]"}, {ParseRows("5,1,3-4,2"), "5: 1 2 3 4 5 [1-5]"},
        {ParseRows("1-3,2-4"), "4: 1 2 3 4 [1-4]"}, {ParseRows("  7  "), "1: 7 [7-7]"}, {ParseRows(" 2 - 4 "), "3: 2 3 4 [2-4]"},
        {ParseRows("65534-65535"), "2: 65534 65535 [65534-65535]"}, {RowsText({5, 1, 2, 3, 3, 7, 8, 0}), "1-3,5,7-8"},
        {RowsText({}), ""}, {RowsText({0}), ""}, {RowsText({65535, 65534, 1}), "1,65534-65535"}});
    // The 1-based position of the error, negative; no rows.
    const std::pair<const char*, int> errors[] = {
        {"1,,2", -3}, {"3-1", -3}, {"2-2", -3}, {"0", -1}, {"65536", -1}, {"1,65536", -3}, {"0-5", -1}, {"", -1}, {"   ", -1},
        {",1", -1}, {"  ,1", -3}, {"1,", -2}, {"1, ", -2}, {"1-2-3", -4}, {"4-", -2}, {"-4", -1}, {"1 2", -3}, {"1,a", -3},
        {"1, ,2", -4}, {"12x", -3}, {"99999999999999999999", -1}, {nullptr, -1}};
    // Whole words with wrap-around; an odd last byte is left out.
    ExpectRows<DWORD>({{Tool_CheckSum(words, 5, &sums[0]), 2}, {sums[0], 0x0001}, {Tool_CheckSum(words, 6, &sums[1]), 3},
        {sums[1], 0x1235}, {Tool_CheckSum(words, 1, &sums[2]), 0}, {sums[2], 0}, {Tool_CheckSum(words, 0, &sums[3]), 0},
        {sums[3], 0}, {Tool_CheckSum(nullptr, 4, &sums[3]), 0}, {Tool_CheckSum(words, 4, nullptr), 0}});
    // clang-format on
    for (const auto& [text, position] : errors) {
        EXPECT_EQ(std::to_string(position) + ": [0-0]", ParseRows(text)) << (text ? text : "null");
    }
    CWordArray rows;
    EXPECT_EQ(2, Tool_GetSelectedRowsNumber("4,9", rows)) << "the bounds are optional";
}

std::string Escaped(const std::string& text, void (*code)(const CString&, CString&)) {
    CString out;
    code(CString(text.c_str()), out);
    return out.GetString();
}

std::string Shifted(const std::string& text, void (*code)(CString&)) {
    CString coded(text.c_str());
    code(coded);
    return coded.GetString();
}

std::wstring FromHex(const std::string& hex) {
    BSTR out = SysAllocString(L"earlier");
    Tool_HexStrToUnicodeStr(CString(hex.c_str()), &out);
    const ovs::unique_bstr owner(out);
    return out ? std::wstring(out, SysStringLen(out)) : std::wstring(L"<null>");
}

std::string ToHex(const std::wstring& text) {
    CString out;
    Tool_UnicodeStrToHexStr(text.c_str(), out);
    return out.GetString();
}

TEST(TextCodings, EscapesShiftedDigitsAndHexUnicodeRoundTrip) {
    // clang-format off
    ExpectRows<std::string>({
        {Escaped("a\\b\r\n\tc\x01", &Tool_EncodeCtrlStr), "a\\\\b\\r\\n\\tc\x01"},
        {Escaped("a\\\\b\\r\\n\\tc\x01", &Tool_DecodeCtrlStr), "a\\b\r\n\tc\x01"},
        {Escaped("\\x\\\\\\", &Tool_DecodeCtrlStr), "\\x\\\\"}, // \x stays, \\ is one, a last \ stays
        {Escaped("", &Tool_DecodeCtrlStr), ""},
        // 0x0A: low digit A + 13 = 'N', high digit 0 + 7 = '7'; 0xFF: 'S', 'M'; 0x41: '1'+13 '>', '4'+7 ';'.
        {Shifted("\x0A\xFF" "A", &Tool_StrEncode), "N7SM>;"}, {Shifted("N7SM>;", &Tool_StrDecode), "\x0A\xFF" "A"},
        {Shifted("N7S", &Tool_StrDecode), "\x0A"}, // the last unpaired character is ignored
        {Shifted("", &Tool_StrEncode), ""},
        {ToHex(L"A\x3042\xFFFF"), "@WtoX@41004230ffff"}, {ToHex(L""), "@WtoX@"}}); // low bytes first
    ExpectRows<std::wstring>({
        {FromHex("@WtoX@41004230ffff"), L"A\x3042\xFFFF"}, {FromHex("41004230"), L""}, // no prefix
        {FromHex("@WtoY@4100"), L""}, {FromHex("@WtoX@"), L""},
        {FromHex("@WtoX@410042"), L"A"}, {FromHex("@WtoX@4100423"), L"A"}, // digits of no whole character ignored
        {FromHex("@WtoX@4A00"), L""}, {FromHex("@WtoX@41g0"), L""}}); // upper-case or no digit
    // clang-format on
    std::string every; // every byte but zero
    for (int c = 1; c < 256; ++c) {
        every += static_cast<char>(c);
    }
    EXPECT_EQ(every, Escaped(Escaped(every, &Tool_EncodeCtrlStr), &Tool_DecodeCtrlStr));
    EXPECT_EQ(every, Shifted(Shifted(every, &Tool_StrEncode), &Tool_StrDecode));
    Tool_HexStrToUnicodeStr(CString("@WtoX@4100"), nullptr);
}

using Units = std::vector<WCHAR>;
using Block = std::vector<BYTE>;

Units Encode(const Block& block, int method) {
    BSTR text = SysAllocString(L"earlier");
    EXPECT_EQ(S_OK, Tool_BSTREncode(block.data(), static_cast<int>(block.size()), &text, method));
    const ovs::unique_bstr owner(text);
    return Units(text, text + SysStringLen(text));
}

// The result, and the block (nothing when the decoder handed out no block).
std::pair<HRESULT, std::optional<Block>> Decode(const Units& units) {
    const ovs::unique_bstr text(SysAllocStringLen(units.data(), static_cast<UINT>(units.size())));
    BYTE* data = reinterpret_cast<BYTE*>(1);
    DWORD count = 12345;
    const HRESULT hr = Tool_BSTRDecode(text.get(), &data, &count);
    const ovs::unique_cotaskmem owner(SUCCEEDED(hr) ? data : nullptr);
    return {hr, SUCCEEDED(hr) && data != nullptr ? std::optional(Block(data, data + count)) : std::nullopt};
}

TEST(BstrPacking, BothFormsByTheirUnitsRoundTripsBadArgumentsAndDamagedText) {
    // Words 0x8000, 0x8800, 0xD800, 0xDFFF, 0x1234, 0x00FF: marks and surrogates escaped, the count 12 too.
    // Stream 01 00 00 00 FF: 40 bits in 3 units of 15 bits, each + 0x100; the byte 0xFF is bits 32 to 39,
    // bits 2 to 9 of the third unit.
    const BYTE data[] = {1, 2};
    // clang-format off
    const std::tuple<Block, int, Units> exact[] = {
        {{0x41}, 0, {0x3042, 0x8000, 0x0081, 0x8000, 0x0080, 0x8000, 0x00C1}},
        {{0x00, 0x80, 0x00, 0x88, 0x00, 0xD8, 0xFF, 0xDF, 0x34, 0x12, 0xFF, 0x00}, 0, {0x3042, 0x8000, 0x008C,
          0x8000, 0x0080, 0x8000, 0x8080, 0x8800, 0x0800, 0x8800, 0x5800, 0x8800, 0x5FFF, 0x1234, 0x00FF}},
        {{0xFF}, 1, {0x3043, 0x0101, 0x0100, 0x04FC}}};
    const std::tuple<const BYTE*, int, int> bad[] = {
        {nullptr, 2, 0}, {data, 0, 0}, {data, 0, 1}, {data, -1, 1}, {data, 2, 2}, {data, 2, -1}};
    const std::pair<Units, HRESULT> damaged[] = {
        {{0x3044, 0x0100}, E_INVALIDARG}, {{}, E_INVALIDARG},                                          // no mark
        {{0x3043, 0x0102, 0x0100, 0x0100}, E_UNEXPECTED}, {{0x3043, 0x0101, 0x0100, 0x04FC, 0x0100}, E_UNEXPECTED},
        {{0x3043, 0x00FF, 0x0100, 0x04FC}, E_UNEXPECTED}, {{0x3043, 0x8100, 0x0100, 0x04FC}, E_UNEXPECTED}, // range
        {{0x3042, 0x8000, 0x0081}, E_UNEXPECTED},                 // a count without its high word
        {{0x3043, 0x0105}, E_UNEXPECTED},                         // no whole count
        {{0x3042, 0x0900, 0x8000, 0x0080}, E_UNEXPECTED},         // 0x900 bytes claimed
        {{0x3042, 0x8000, 0x0041, 0x8000, 0x0080}, E_UNEXPECTED}, // broken escapes
        {{0x3042, 0x8000, 0x0081, 0x8800, 0x0080}, E_UNEXPECTED}, {{0x3042, 0x8000, 0x0081, 0x8000}, E_UNEXPECTED},
        // A count of zero gives no block.
        {{0x3042, 0x8000, 0x0080, 0x8000, 0x0080}, S_OK}, {{0x3043, 0x0100, 0x0100, 0x0100}, S_OK}};
    // clang-format on
    for (const auto& [block, method, units] : exact) {
        EXPECT_EQ(units, Encode(block, method));
        EXPECT_EQ(std::pair(S_OK, std::optional(block)), Decode(units));
    }
    // Every byte value, high bytes among the surrogates too.
    for (const size_t length : {1, 2, 3, 14, 15, 16, 17, 4095, 4096}) {
        Block block(length);
        for (size_t i = 0; i < length; ++i) {
            block[i] = static_cast<BYTE>(i * 37 + 11);
        }
        EXPECT_EQ(std::pair(S_OK, std::optional(block)), Decode(Encode(block, 0))) << length;
        EXPECT_EQ(std::pair(S_OK, std::optional(block)), Decode(Encode(block, 1))) << length;
    }
    BSTR text = nullptr;
    for (const auto& [block, count, method] : bad) {
        EXPECT_EQ(E_INVALIDARG, Tool_BSTREncode(block, count, &text, method)) << count << " " << method;
    }
    EXPECT_EQ(E_INVALIDARG, Tool_BSTREncode(data, 2, nullptr, 0));
    EXPECT_EQ(nullptr, text);
    BYTE* out = nullptr;
    DWORD count = 0;
    const ovs::unique_bstr valid(SysAllocString(L"\x3042\x8000\x0081\x8000\x0080\x8000\x00C1"));
    EXPECT_EQ(E_INVALIDARG, Tool_BSTRDecode(valid.get(), nullptr, nullptr));
    EXPECT_EQ(E_INVALIDARG, Tool_BSTRDecode(valid.get(), &out, nullptr));
    EXPECT_EQ(E_INVALIDARG, Tool_BSTRDecode(nullptr, &out, &count));
    for (const auto& [units, hr] : damaged) {
        EXPECT_EQ(std::pair(hr, std::optional<Block>()), Decode(units)) << units.size();
    }
}

} // namespace
