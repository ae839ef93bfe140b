// The reversible codings: control-character escapes, the shifted hexadecimal coding, the two packed
// binary forms in a BSTR and the hexadecimal form of UTF-16 text; round trips on random input,
// damaged input, and random text fed to every decoder.
#include "ovstoolstring.h"
#include "test_support.h"
#include "unique_resource.h"

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::string RandomText(std::mt19937& random, size_t length) {
    std::uniform_int_distribution<int> byte(1, 255);
    std::string text(length, '\0');
    for (char& c : text) {
        c = static_cast<char>(byte(random));
    }
    return text;
}

std::vector<BYTE> RandomBlock(std::mt19937& random, size_t length) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<BYTE> block(length);
    for (BYTE& b : block) {
        b = static_cast<BYTE>(byte(random));
    }
    return block;
}

std::vector<WCHAR> Units(BSTR text) {
    return std::vector<WCHAR>(text, text + SysStringLen(text));
}

ovs::unique_bstr Bstr(const std::vector<WCHAR>& units) {
    return ovs::unique_bstr(SysAllocStringLen(units.data(), static_cast<UINT>(units.size())));
}

struct Decoded {
    HRESULT hr;
    std::vector<BYTE> data;
    bool nullBlock;
};

Decoded Decode(BSTR text) {
    BYTE* data = reinterpret_cast<BYTE*>(1);
    DWORD count = 12345;
    Decoded result;
    result.hr = Tool_BSTRDecode(text, &data, &count);
    result.nullBlock = data == nullptr;
    if (SUCCEEDED(result.hr)) {
        ovs::unique_cotaskmem owner(data);
        result.data.assign(data, data + count);
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Control-character escapes

TEST(CtrlEscapes, EncodesTheFourCharacters) {
    CString out;
    Tool_EncodeCtrlStr(CString("a\\b\r\n\tc\x01"), out);
    EXPECT_STREQ("a\\\\b\\r\\n\\tc\x01", out);
    Tool_DecodeCtrlStr(out, out);
    EXPECT_STREQ("a\\b\r\n\tc\x01", out);
}

TEST(CtrlEscapes, UnknownEscapeKeepsTheBackslash) {
    CString out;
    Tool_DecodeCtrlStr(CString("\\x\\\\\\"), out);
    EXPECT_STREQ("\\x\\\\", out) << "\\x stays, \\\\ is one, a last \\ stays";
    Tool_DecodeCtrlStr(CString(), out);
    EXPECT_STREQ("", out);
}

TEST(CtrlEscapes, RoundTripsRandomText) {
    std::mt19937 random(11);
    for (int i = 0; i < 500; ++i) {
        const std::string text = RandomText(random, static_cast<size_t>(i % 70));
        CString coded;
        Tool_EncodeCtrlStr(CString(text.c_str()), coded);
        EXPECT_EQ(nullptr, std::strpbrk(coded, "\r\n\t"));
        CString back;
        Tool_DecodeCtrlStr(coded, back);
        ASSERT_EQ(text, back.GetString());
    }
}

// ---------------------------------------------------------------------------------------------
// The shifted hexadecimal coding

TEST(StrCoding, EncodesEachByteAsTwoShiftedDigits) {
    CString text("\x0A\xFF"
                 "A");
    Tool_StrEncode(text);
    // 0x0A: low digit A + 13 = 'N', high digit 0 + 7 = '7'; 0xFF: 'S', 'M'; 0x41: '1'+13 '>', '4'+7 ';'.
    EXPECT_STREQ("N7SM>;", text);
    Tool_StrDecode(text);
    EXPECT_STREQ("\x0A\xFF"
                 "A",
                 text);
}

TEST(StrCoding, LastUnpairedCharacterIsIgnored) {
    CString text("N7S");
    Tool_StrDecode(text);
    EXPECT_STREQ("\x0A", text);
    CString empty;
    Tool_StrEncode(empty);
    EXPECT_STREQ("", empty);
}

TEST(StrCoding, RoundTripsRandomText) {
    std::mt19937 random(12);
    for (int i = 0; i < 500; ++i) {
        const std::string text = RandomText(random, static_cast<size_t>(i % 90));
        CString coded(text.c_str());
        Tool_StrEncode(coded);
        ASSERT_EQ(static_cast<int>(text.size() * 2), coded.GetLength());
        Tool_StrDecode(coded);
        ASSERT_EQ(text, coded.GetString());
    }
}

// ---------------------------------------------------------------------------------------------
// Binary data in a BSTR

TEST(BstrPacking, EscapedFormOfOneByte) {
    const BYTE data[] = {0x41};
    BSTR text = nullptr;
    ASSERT_EQ(S_OK, Tool_BSTREncode(data, 1, &text, 0));
    ovs::unique_bstr owner(text);
    EXPECT_EQ((std::vector<WCHAR>{0x3042, 0x8000, 0x0081, 0x8000, 0x0080, 0x8000, 0x00C1}), Units(text));
}

TEST(BstrPacking, EscapedFormEscapesMarksAndSurrogates) {
    // Words 0x8000, 0x8800, 0xD800, 0xDFFF, 0x1234, 0x00FF; the count 12 is escaped too.
    const BYTE data[] = {0x00, 0x80, 0x00, 0x88, 0x00, 0xD8, 0xFF, 0xDF, 0x34, 0x12, 0xFF, 0x00};
    BSTR text = nullptr;
    ASSERT_EQ(S_OK, Tool_BSTREncode(data, sizeof data, &text, 0));
    ovs::unique_bstr owner(text);
    EXPECT_EQ((std::vector<WCHAR>{0x3042, 0x8000, 0x008C, 0x8000, 0x0080, 0x8000, 0x8080, 0x8800, 0x0800,
                                  0x8800, 0x5800, 0x8800, 0x5FFF, 0x1234, 0x00FF}),
              Units(text));
    const Decoded back = Decode(text);
    ASSERT_EQ(S_OK, back.hr);
    EXPECT_EQ(std::vector<BYTE>(data, data + sizeof data), back.data);
}

TEST(BstrPacking, PackedFormOfOneByte) {
    const BYTE data[] = {0xFF};
    BSTR text = SysAllocString(L"earlier");
    ASSERT_EQ(S_OK, Tool_BSTREncode(data, 1, &text, 1));
    ovs::unique_bstr owner(text);
    // Stream 01 00 00 00 FF: 40 bits in 3 units of 15 bits, each + 0x100; the byte 0xFF is bits 32 to 39,
    // bits 2 to 9 of the third unit.
    EXPECT_EQ((std::vector<WCHAR>{0x3043, 0x0101, 0x0100, 0x04FC}), Units(text));
}

TEST(BstrPacking, RoundTripsRandomBlocksInBothForms) {
    std::mt19937 random(13);
    std::vector<size_t> lengths = {1, 2, 3, 14, 15, 16, 17, 4095, 4096};
    for (int i = 0; i < 60; ++i) {
        lengths.push_back(std::uniform_int_distribution<size_t>(1, 4096)(random));
    }
    for (const size_t length : lengths) {
        const std::vector<BYTE> block = RandomBlock(random, length);
        for (int method = 0; method <= 1; ++method) {
            BSTR text = nullptr;
            ASSERT_EQ(S_OK, Tool_BSTREncode(block.data(), static_cast<int>(length), &text, method));
            ovs::unique_bstr owner(text);
            const std::vector<WCHAR> units = Units(text);
            ASSERT_EQ(method == 0 ? 0x3042 : 0x3043, units[0]);
            for (size_t u = 1; u < units.size(); ++u) {
                ASSERT_GE(units[u], 0x80) << "no unit below 0x80";
                ASSERT_FALSE(units[u] >= 0xD800 && units[u] <= 0xDFFF) << "no surrogate";
            }
            if (method == 1) {
                ASSERT_EQ(1 + (8 * length + 32 + 14) / 15, units.size());
            }
            const Decoded back = Decode(text);
            ASSERT_EQ(S_OK, back.hr) << length << " method " << method;
            ASSERT_EQ(block, back.data) << length << " method " << method;
        }
    }
}

TEST(BstrPacking, EncodeRefusesBadArguments) {
    const BYTE data[] = {1, 2};
    BSTR text = nullptr;
    EXPECT_EQ(E_INVALIDARG, Tool_BSTREncode(nullptr, 2, &text, 0));
    EXPECT_EQ(E_INVALIDARG, Tool_BSTREncode(data, 2, nullptr, 0));
    EXPECT_EQ(E_INVALIDARG, Tool_BSTREncode(data, 0, &text, 0)) << "an empty block";
    EXPECT_EQ(E_INVALIDARG, Tool_BSTREncode(data, 0, &text, 1));
    EXPECT_EQ(E_INVALIDARG, Tool_BSTREncode(data, -1, &text, 1));
    EXPECT_EQ(E_INVALIDARG, Tool_BSTREncode(data, 2, &text, 2));
    EXPECT_EQ(E_INVALIDARG, Tool_BSTREncode(data, 2, &text, -1));
    EXPECT_EQ(nullptr, text);
}

TEST(BstrPacking, DecodeRefusesDamagedText) {
    const BYTE data[] = {0x10, 0x20, 0x30};
    BSTR escaped = nullptr;
    BSTR packed = nullptr;
    ASSERT_EQ(S_OK, Tool_BSTREncode(data, 3, &escaped, 0));
    ASSERT_EQ(S_OK, Tool_BSTREncode(data, 3, &packed, 1));
    ovs::unique_bstr escapedOwner(escaped);
    ovs::unique_bstr packedOwner(packed);

    // Wrong first code unit.
    std::vector<WCHAR> units = Units(escaped);
    units[0] = 0x3044;
    EXPECT_EQ(E_INVALIDARG, Decode(Bstr(units).get()).hr);
    EXPECT_EQ(E_INVALIDARG, Decode(Bstr({}).get()).hr) << "an empty text";
    EXPECT_EQ(E_INVALIDARG, Decode(nullptr).hr);
    BYTE* out = nullptr;
    EXPECT_EQ(E_INVALIDARG, Tool_BSTRDecode(escaped, nullptr, nullptr));
    EXPECT_EQ(E_INVALIDARG, Tool_BSTRDecode(escaped, &out, nullptr));

    // Short length: a unit missing at the end, or a count claiming more than there is.
    units = Units(escaped);
    units.pop_back();
    EXPECT_EQ(E_UNEXPECTED, Decode(Bstr(units).get()).hr);
    units = Units(packed);
    units.pop_back();
    EXPECT_EQ(E_UNEXPECTED, Decode(Bstr(units).get()).hr);
    EXPECT_EQ(E_UNEXPECTED, Decode(Bstr({0x3042, 0x8000, 0x0081}).get()).hr) << "count without high word";
    EXPECT_EQ(E_UNEXPECTED, Decode(Bstr({0x3043, 0x0105}).get()).hr) << "no whole count";
    EXPECT_EQ(E_UNEXPECTED, Decode(Bstr({0x3042, 0x0900, 0x8000, 0x0080}).get()).hr) << "0x900 bytes claimed";

    // Broken escapes and units out of the packed range.
    EXPECT_EQ(E_UNEXPECTED, Decode(Bstr({0x3042, 0x8000, 0x0041, 0x8000, 0x0080}).get()).hr);
    EXPECT_EQ(E_UNEXPECTED, Decode(Bstr({0x3042, 0x8000, 0x0081, 0x8800, 0x0080}).get()).hr);
    EXPECT_EQ(E_UNEXPECTED, Decode(Bstr({0x3042, 0x8000, 0x0081, 0x8000}).get()).hr) << "escape at the end";
    units = Units(packed);
    units[1] = 0x00FF;
    EXPECT_EQ(E_UNEXPECTED, Decode(Bstr(units).get()).hr);
    units[1] = 0x8100;
    EXPECT_EQ(E_UNEXPECTED, Decode(Bstr(units).get()).hr);
}

TEST(BstrPacking, CountZeroGivesNoBlock) {
    const Decoded escaped = Decode(Bstr({0x3042, 0x8000, 0x0080, 0x8000, 0x0080}).get());
    EXPECT_EQ(S_OK, escaped.hr);
    EXPECT_TRUE(escaped.data.empty());
    EXPECT_TRUE(escaped.nullBlock);
    const Decoded packed = Decode(Bstr({0x3043, 0x0100, 0x0100, 0x0100}).get());
    EXPECT_EQ(S_OK, packed.hr);
    EXPECT_TRUE(packed.nullBlock);
}

// ---------------------------------------------------------------------------------------------
// Hexadecimal UTF-16 text

ovs::unique_bstr FromHex(const char* hex) {
    BSTR out = SysAllocString(L"earlier");
    Tool_HexStrToUnicodeStr(CString(hex), &out);
    return ovs::unique_bstr(out);
}

std::wstring Wide(const ovs::unique_bstr& text) {
    return text ? std::wstring(text.get(), SysStringLen(text.get())) : std::wstring(L"<null>");
}

TEST(HexUnicode, WritesPrefixAndLowerCaseBytesLowFirst) {
    CString out;
    Tool_UnicodeStrToHexStr(L"A\x3042\xFFFF", out);
    EXPECT_STREQ("@WtoX@41004230ffff", out);
    Tool_UnicodeStrToHexStr(L"", out);
    EXPECT_STREQ("@WtoX@", out);
    EXPECT_EQ(L"A\x3042\xFFFF", Wide(FromHex("@WtoX@41004230ffff")));
}

TEST(HexUnicode, RejectsOrIgnoresDamagedText) {
    EXPECT_EQ(L"", Wide(FromHex("41004230"))) << "no prefix";
    EXPECT_EQ(L"", Wide(FromHex("@WtoY@4100")));
    EXPECT_EQ(L"", Wide(FromHex("@WtoX@")));
    EXPECT_EQ(L"A", Wide(FromHex("@WtoX@410042"))) << "an odd length: digits of no whole character ignored";
    EXPECT_EQ(L"A", Wide(FromHex("@WtoX@4100423")));
    EXPECT_EQ(L"", Wide(FromHex("@WtoX@4A00"))) << "upper-case digit";
    EXPECT_EQ(L"", Wide(FromHex("@WtoX@41g0")));
    Tool_HexStrToUnicodeStr(CString("@WtoX@4100"), nullptr);
}

TEST(HexUnicode, RoundTripsRandomText) {
    std::mt19937 random(14);
    std::uniform_int_distribution<int> unit(1, 0xFFFF);
    for (int i = 0; i < 300; ++i) {
        std::wstring text(static_cast<size_t>(i % 40), L'\0');
        for (wchar_t& c : text) {
            c = static_cast<wchar_t>(unit(random));
        }
        CString hex;
        Tool_UnicodeStrToHexStr(text.c_str(), hex);
        ASSERT_EQ(static_cast<int>(6 + 4 * text.size()), hex.GetLength());
        ASSERT_EQ(text, Wide(FromHex(hex)));
    }
}

// ---------------------------------------------------------------------------------------------
// Random text into every decoder

TEST(DecoderFuzz, RandomTextGivesOrderlyResults) {
    std::mt19937 random(15);
    std::uniform_int_distribution<int> length(0, 64);
    std::uniform_int_distribution<int> unit(0, 0xFFFF);
    const char hexAlphabet[] = "0123456789abcdefABXg@WtoX";
    for (int i = 0; i < 3000; ++i) {
        const std::string text = RandomText(random, static_cast<size_t>(length(random)));
        CString out("x");
        Tool_DecodeCtrlStr(CString(text.c_str()), out);
        ASSERT_LE(out.GetLength(), static_cast<int>(text.size()));
        CString coded(text.c_str());
        Tool_StrDecode(coded);
        ASSERT_LE(coded.GetLength(), static_cast<int>(text.size() / 2));

        std::string hex = i % 2 == 0 ? "@WtoX@" : "";
        for (int d = length(random); d > 0; --d) {
            hex += hexAlphabet[static_cast<size_t>(unit(random)) % (sizeof hexAlphabet - 1)];
        }
        const ovs::unique_bstr wide = FromHex(hex.c_str());
        ASSERT_TRUE(wide);
        ASSERT_LE(SysStringLen(wide.get()), hex.size() / 4);

        std::vector<WCHAR> units(static_cast<size_t>(length(random)));
        for (WCHAR& u : units) {
            u = static_cast<WCHAR>(unit(random));
        }
        if (!units.empty()) {
            units[0] = i % 3 == 0 ? 0x3042 : (i % 3 == 1 ? 0x3043 : units[0]);
        }
        const ovs::unique_bstr packed = Bstr(units);
        const Decoded decoded = Decode(packed.get());
        ASSERT_TRUE(decoded.hr == S_OK || decoded.hr == E_UNEXPECTED || decoded.hr == E_INVALIDARG)
            << decoded.hr;
        if (decoded.hr == S_OK && !decoded.data.empty()) {
            // What decodes encodes back to a text that decodes the same.
            BSTR again = nullptr;
            ASSERT_EQ(S_OK,
                      Tool_BSTREncode(decoded.data.data(), static_cast<int>(decoded.data.size()), &again, 0));
            ovs::unique_bstr owner(again);
            ASSERT_EQ(decoded.data, Decode(again).data);
        }
        CWordArray rows;
        const int count = Tool_GetSelectedRowsNumber(text.c_str(), rows);
        ASSERT_EQ(count < 0 ? 0 : count, rows.GetSize());
        ASSERT_GE(count, -static_cast<int>(text.size()) - 1);
    }
}

} // namespace
