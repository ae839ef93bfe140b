// Reversible text codings: control-character escapes, the shifted hexadecimal coding, and the
// hexadecimal form of UTF-16 text.
#include "ovstoolstring.h"

#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";
constexpr char kLowerDigits[] = "0123456789abcdef";
constexpr int kLowDigitShift = 13;
constexpr int kHighDigitShift = 7;

// 0-15 for "0"-"9" and "A"-"F"; 0 for anything else.
int UpperDigitValue(int c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return 0;
}

// 0-15 for "0"-"9" and "a"-"f"; -1 for anything else.
int LowerDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

void AssignBstr(BSTR* target, BSTR value) {
    if (*target != nullptr) {
        SysFreeString(*target);
    }
    *target = value;
}

} // namespace

void Tool_EncodeCtrlStr(const CString& strText, CString& strOut) {
    std::string coded;
    const char* text = strText.GetString();
    coded.reserve(static_cast<size_t>(strText.GetLength()) + 8);
    for (const char* p = text; *p != '\0'; ++p) {
        switch (*p) {
            case '\\':
                coded += "\\\\";
                break;
            case '\r':
                coded += "\\r";
                break;
            case '\n':
                coded += "\\n";
                break;
            case '\t':
                coded += "\\t";
                break;
            default:
                coded += *p;
                break;
        }
    }
    strOut.SetString(coded.data(), static_cast<int>(coded.size()));
}

void Tool_DecodeCtrlStr(const CString& strText, CString& strOut) {
    std::string plain;
    const char* text = strText.GetString();
    plain.reserve(static_cast<size_t>(strText.GetLength()));
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p != '\\') {
            plain += *p;
            continue;
        }
        switch (p[1]) {
            case '\\':
                plain += '\\';
                ++p;
                break;
            case 'r':
                plain += '\r';
                ++p;
                break;
            case 'n':
                plain += '\n';
                ++p;
                break;
            case 't':
                plain += '\t';
                ++p;
                break;
            default:
                plain += '\\';
                break; // the next byte is read normally
        }
    }
    strOut.SetString(plain.data(), static_cast<int>(plain.size()));
}

void Tool_StrEncode(CString& strText) {
    const int length = strText.GetLength();
    std::string coded(static_cast<size_t>(length) * 2, '\0');
    const unsigned char* text = reinterpret_cast<const unsigned char*>(strText.GetString());
    for (int i = 0; i < length; ++i) {
        coded[2 * i] = static_cast<char>(kUpperDigits[text[i] & 0x0F] + kLowDigitShift);
        coded[2 * i + 1] = static_cast<char>(kUpperDigits[text[i] >> 4] + kHighDigitShift);
    }
    strText.SetString(coded.data(), static_cast<int>(coded.size()));
}

void Tool_StrDecode(CString& strText) {
    const int pairs = strText.GetLength() / 2;
    std::string plain(static_cast<size_t>(pairs), '\0');
    const unsigned char* text = reinterpret_cast<const unsigned char*>(strText.GetString());
    for (int i = 0; i < pairs; ++i) {
        const int low = UpperDigitValue(text[2 * i] - kLowDigitShift);
        const int high = UpperDigitValue(text[2 * i + 1] - kHighDigitShift);
        plain[i] = static_cast<char>(high * 16 + low);
    }
    // A decoded zero byte ends the text, as it would end any narrow text.
    strText.SetString(plain.c_str(), static_cast<int>(std::strlen(plain.c_str())));
}

void Tool_UnicodeStrToHexStr(LPCWSTR szText, CString& strOut) {
    std::string hex(OVS_HEX_UNICODE_PREFIX);
    if (szText != nullptr) {
        const size_t length = std::wcslen(szText);
        hex.reserve(hex.size() + length * 4);
        for (size_t i = 0; i < length; ++i) {
            const unsigned unit = static_cast<unsigned>(szText[i]);
            for (const unsigned byte : {unit & 0xFFu, unit >> 8}) {
                hex += kLowerDigits[byte >> 4];
                hex += kLowerDigits[byte & 0x0F];
            }
        }
    }
    strOut.SetString(hex.data(), static_cast<int>(hex.size()));
}

void Tool_HexStrToUnicodeStr(const CString& strHex, BSTR* pbstrOut) {
    if (pbstrOut == nullptr) {
        return;
    }
    const char* hex = strHex.GetString();
    const size_t prefixLength = std::strlen(OVS_HEX_UNICODE_PREFIX);
    const size_t length = static_cast<size_t>(strHex.GetLength());
    std::wstring text;
    if (length >= prefixLength && std::strncmp(hex, OVS_HEX_UNICODE_PREFIX, prefixLength) == 0) {
        const size_t characters = (length - prefixLength) / 4;
        text.resize(characters);
        const char* digits = hex + prefixLength;
        for (size_t i = 0; i < characters; ++i) {
            int value[4];
            for (int d = 0; d < 4; ++d) {
                value[d] = LowerDigitValue(digits[4 * i + d]);
            }
            if (value[0] < 0 || value[1] < 0 || value[2] < 0 || value[3] < 0) {
                text.clear();
                break;
            }
            text[i] = static_cast<wchar_t>((value[0] << 4 | value[1]) | (value[2] << 4 | value[3]) << 8);
        }
    }
    AssignBstr(pbstrOut, SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}
