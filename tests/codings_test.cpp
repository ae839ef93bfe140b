// The reversible codings: control-character escapes, the shifted hexadecimal coding, the two packed
// binary forms in a BSTR and the hexadecimal form of UTF-16 text; round trips on random input,
// damaged input, and random text fed to every decoder.
#include "expect_rows.h"
#include "ovstoolstring.h"
#include "test_support.h"
#include "unique_resource.h"

#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

using ovs::test::ExpectRows;

namespace {

std::string RandomText(std::mt19937& random, size_t length, int lowest = 1) {
    std::uniform_int_distribution<int> byte(lowest, 255);
    std::string text(length, '\0');
    for (char& c : text) {
        c = static_cast<char>(byte(random));
    }
    return text;
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

TEST(TextCodings, EscapesAndShiftedDigitsRoundTrip) {
    // clang-format off
    ExpectRows<std::string>({
        {Escaped("a\\b\r\n\tc\x01", &Tool_EncodeCtrlStr), "a\\\\b\\r\\n\\tc\x01"},
        {Escaped("a\\\\b\\r\\n\\tc\x01", &Tool_DecodeCtrlStr), "a\\b\r\n\tc\x01"},
        {Escaped("\\x\\\\\\", &Tool_DecodeCtrlStr), "\\x\\\\"}, // \x stays, \\ is one, a last \ stays
        {Escaped("", &Tool_DecodeCtrlStr), ""},
        // 0x0A: low digit A + 13 = 'N', high digit 0 + 7 = '7'; 0xFF: 'S', 'M'; 0x41: '1'+13 '>', '4'+7 ';'.
        {Shifted("\x0A\xFF" "A", &Tool_StrEncode), "N7SM>;"}, {Shifted("N7SM>;", &Tool_StrDecode), "\x0A\xFF" "A"},
        {Shifted("N7S", &Tool_StrDecode), "\x0A"}, // the last unpaired character is ignored
        {Shifted("", &Tool_StrEncode), ""}});
    // clang-format on
    std::mt19937 random(11);
    for (int i = 0; i < 500; ++i) {
        const std::string text = RandomText(random, static_cast<size_t>(i % 90));
        const std::string escaped = Escaped(text, &Tool_EncodeCtrlStr);
        EXPECT_EQ(std::string::npos, escaped.find_first_of("\r\n\t"));
        ASSERT_EQ(text, Escaped(escaped, &Tool_DecodeCtrlStr));
        const std::string shifted = Shifted(text, &Tool_StrEncode);
        ASSERT_EQ(text.size() * 2, shifted.size());
        ASSERT_EQ(text, Shifted(shifted, &Tool_StrDecode));
    }
}

// ---- Binary data in a BSTR -------------------------------------------------------------------------

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

TEST(BstrPacking, BothFormsByTheirUnitsAndRoundTrips) {
    EXPECT_EQ((Units{0x3042, 0x8000, 0x0081, 0x8000, 0x0080, 0x8000, 0x00C1}), Encode({0x41}, 0));
    // Words 0x8000, 0x8800, 0xD800, 0xDFFF, 0x1234, 0x00FF: marks and surrogates escaped, the count 12 too.
    const Block marks = {0x00, 0x80, 0x00, 0x88, 0x00, 0xD8, 0xFF, 0xDF, 0x34, 0x12, 0xFF, 0x00};
    const Units escaped = {0x3042, 0x8000, 0x008C, 0x8000, 0x0080, 0x8000, 0x8080, 0x8800,
                           0x0800, 0x8800, 0x5800, 0x8800, 0x5FFF, 0x1234, 0x00FF};
    EXPECT_EQ(escaped, Encode(marks, 0));
    EXPECT_EQ(marks, Decode(escaped).second);
    // Stream 01 00 00 00 FF: 40 bits in 3 units of 15 bits, each + 0x100; the byte 0xFF is bits 32 to 39,
    // bits 2 to 9 of the third unit.
    EXPECT_EQ((Units{0x3043, 0x0101, 0x0100, 0x04FC}), Encode({0xFF}, 1));

    std::mt19937 random(13);
    std::vector<size_t> lengths = {1, 2, 3, 14, 15, 16, 17, 4095, 4096};
    for (int i = 0; i < 60; ++i) {
        lengths.push_back(std::uniform_int_distribution<size_t>(1, 4096)(random));
    }
    for (const size_t length : lengths) {
        const std::string bytes = RandomText(random, length, 0);
        const Block block(bytes.begin(), bytes.end());
        for (int method = 0; method <= 1; ++method) {
            const Units units = Encode(block, method);
            ASSERT_EQ(method == 0 ? 0x3042 : 0x3043, units.at(0));
            for (size_t u = 1; u < units.size(); ++u) {
                ASSERT_TRUE(units[u] >= 0x80 && !(units[u] >= 0xD800 && units[u] <= 0xDFFF))
                    << "no unit below 0x80, no surrogate: " << static_cast<int>(units[u]);
            }
            ASSERT_TRUE(method == 0 || units.size() == 1 + (8 * length + 32 + 14) / 15);
            ASSERT_EQ(std::pair(S_OK, std::optional(block)), Decode(units)) << length << " method " << method;
        }
    }
}

// The units with the one at index set to value; a value of -1 drops the last unit, -2 adds one.
Units Damaged(Units units, size_t index, int value) {
    if (value == -1) {
        units.pop_back();
    } else if (value == -2) {
        units.push_back(0x0100);
    } else {
        units.at(index) = static_cast<WCHAR>(value);
    }
    return units;
}

TEST(BstrPacking, BadArgumentsAndDamagedTextAreRefused) {
    const BYTE data[] = {1, 2};
    BSTR text = nullptr;
    for (const auto& [block, count, method] : {std::tuple{static_cast<const BYTE*>(nullptr), 2, 0},
                                               {data, 0, 0},
                                               {data, 0, 1},
                                               {data, -1, 1},
                                               {data, 2, 2},
                                               {data, 2, -1}}) {
        EXPECT_EQ(E_INVALIDARG, Tool_BSTREncode(block, count, &text, method)) << count << " " << method;
    }
    EXPECT_EQ(E_INVALIDARG, Tool_BSTREncode(data, 2, nullptr, 0));
    EXPECT_EQ(nullptr, text);
    BYTE* out = nullptr;
    const Units valid = Encode({0x10, 0x20, 0x30}, 0), packed = Encode({0x10, 0x20, 0x30}, 1);
    const ovs::unique_bstr validText(SysAllocStringLen(valid.data(), static_cast<UINT>(valid.size())));
    EXPECT_EQ(E_INVALIDARG, Tool_BSTRDecode(validText.get(), nullptr, nullptr));
    EXPECT_EQ(E_INVALIDARG, Tool_BSTRDecode(validText.get(), &out, nullptr));
    DWORD count = 0;
    EXPECT_EQ(E_INVALIDARG, Tool_BSTRDecode(nullptr, &out, &count));
    // clang-format off
    const std::pair<Units, HRESULT> damaged[] = {
        {Damaged(valid, 0, 0x3044), E_INVALIDARG}, {{}, E_INVALIDARG}, {Damaged(valid, 0, -1), E_UNEXPECTED},
        {Damaged(packed, 0, -1), E_UNEXPECTED}, {Damaged(packed, 0, -2), E_UNEXPECTED},
        {Damaged(packed, 1, 0x00FF), E_UNEXPECTED}, {Damaged(packed, 1, 0x8100), E_UNEXPECTED}, // out of range
        {{0x3042, 0x8000, 0x0081}, E_UNEXPECTED},                 // a count without its high word
        {{0x3043, 0x0105}, E_UNEXPECTED},                         // no whole count
        {{0x3042, 0x0900, 0x8000, 0x0080}, E_UNEXPECTED},         // 0x900 bytes claimed
        {{0x3042, 0x8000, 0x0041, 0x8000, 0x0080}, E_UNEXPECTED}, // broken escapes
        {{0x3042, 0x8000, 0x0081, 0x8800, 0x0080}, E_UNEXPECTED}, {{0x3042, 0x8000, 0x0081, 0x8000}, E_UNEXPECTED},
        // A count of zero gives no block.
        {{0x3042, 0x8000, 0x0080, 0x8000, 0x0080}, S_OK}, {{0x3043, 0x0100, 0x0100, 0x0100}, S_OK}};
    // clang-format on
    for (const auto& [units, hr] : damaged) {
        EXPECT_EQ(std::pair(hr, std::optional<Block>()), Decode(units)) << units.size();
    }
}

// ---- UTF-16 as hexadecimal text, and random text into every decoder --------------------------------

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

TEST(HexUnicode, PrefixAndLowerCaseBytesLowFirst) {
    EXPECT_EQ("@WtoX@41004230ffff", ToHex(L"A\x3042\xFFFF"));
    EXPECT_EQ("@WtoX@", ToHex(L""));
    // clang-format off
    ExpectRows<std::wstring>({
        {FromHex("@WtoX@41004230ffff"), L"A\x3042\xFFFF"}, {FromHex("41004230"), L""}, // no prefix
        {FromHex("@WtoY@4100"), L""}, {FromHex("@WtoX@"), L""},
        {FromHex("@WtoX@410042"), L"A"}, {FromHex("@WtoX@4100423"), L"A"}, // digits of no whole character ignored
        {FromHex("@WtoX@4A00"), L""}, {FromHex("@WtoX@41g0"), L""}}); // upper-case or no digit
    // clang-format on
    Tool_HexStrToUnicodeStr(CString("@WtoX@4100"), nullptr);
    std::mt19937 random(14);
    for (int i = 0; i < 300; ++i) {
        std::wstring text(static_cast<size_t>(i % 40), L'\0');
        for (wchar_t& c : text) {
            c = static_cast<wchar_t>(std::uniform_int_distribution<int>(1, 0xFFFF)(random));
        }
        ASSERT_EQ(6 + 4 * text.size(), ToHex(text).size());
        ASSERT_EQ(text, FromHex(ToHex(text)));
    }
}

TEST(DecoderFuzz, RandomTextGivesOrderlyResults) {
    std::mt19937 random(15);
    std::uniform_int_distribution<int> length(0, 64), unit(0, 0xFFFF);
    for (int i = 0; i < 3000; ++i) {
        const std::string text = RandomText(random, static_cast<size_t>(length(random)));
        ASSERT_LE(Escaped(text, &Tool_DecodeCtrlStr).size(), text.size());
        ASSERT_LE(Shifted(text, &Tool_StrDecode).size(), text.size() / 2);
        std::string hex = i % 2 == 0 ? "@WtoX@" : "";
        for (int d = length(random); d > 0; --d) {
            hex += "0123456789abcdefABXg@WtoX"[unit(random) % 25];
        }
        ASSERT_LE(FromHex(hex).size(), hex.size() / 4);
        Units units(static_cast<size_t>(length(random)));
        for (WCHAR& u : units) {
            u = static_cast<WCHAR>(unit(random));
        }
        if (!units.empty()) {
            units[0] = i % 3 == 0 ? 0x3042 : (i % 3 == 1 ? 0x3043 : units[0]);
        }
        const auto [hr, block] = Decode(units);
        ASSERT_TRUE(hr == S_OK || hr == E_UNEXPECTED || hr == E_INVALIDARG) << hr;
        ASSERT_TRUE(!block || block->empty() || Decode(Encode(*block, 0)).second == block) << "encodes back";
    }
}

} // namespace
