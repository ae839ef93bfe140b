// Text helpers: character search and substrings that count a double-byte character (lead byte and
// trail byte of the process code page) as one character, wildcard comparison, splitting, escaping
// of control characters, two reversible text codings, two packings of binary data into a BSTR, a
// hexadecimal form of UTF-16 text, half-width katakana, row-selection lists and a 16-bit checksum.
// A lead byte as the very last byte of a text is no whole character: the character-indexed helpers
// neither count, compare nor copy it.
#pragma once

#include "ovstooldefs.h"
#include <afxcoll.h>
#include <afxstr.h>
#include <oleauto.h>

// First code units of the two packed binary forms of Tool_BSTREncode.
#define OVS_BSTR_ESCAPED16_MARK 0x3042
#define OVS_BSTR_PACKED15_MARK 0x3043
// Prefix of the hexadecimal form of UTF-16 text.
#define OVS_HEX_UNICODE_PREFIX "@WtoX@"

// Character index of the first / last c outside double-byte characters, or -1 (also for an empty
// text or c = 0).
OVSTOOL_API int Tool_Find(const CString& strText, char c);
OVSTOOL_API int Tool_ReverseFind(const CString& strText, char c);
// Character index of the n-th c; with fewer matches the index of the last one found, or -1.
OVSTOOL_API int Tool_NumFind(const CString& strText, char c, int n);
// nCount characters from character index nStart (empty when nStart is outside the text).
OVSTOOL_API CString Tool_Mid(const CString& strText, int nStart, int nCount);
// The last nCount characters (empty when the text has fewer).
OVSTOOL_API CString Tool_Right(const CString& strText, int nCount);
// strOut = nCount characters from character index nStart. An empty text or nCount <= 0 leaves
// strOut as it was; a negative nStart or one at or past the end empties it. Returns 0.
OVSTOOL_API int Tool_StrCpyDBCS(CString& strOut, const CString& strText, int nStart, int nCount);

// Byte-wise, case-insensitive search: the first place of szPart in szText, szText for an empty
// szPart, null when not found or when szText is empty or shorter than szPart.
OVSTOOL_API LPCSTR Tool_strcasestr(LPCSTR szText, LPCSTR szPart);
// Case-sensitive byte-wise match: "*" any run of bytes, "?" any one byte. An empty text matches
// only an empty pattern or "*".
OVSTOOL_API BOOL Tool_CompareString(LPCSTR szText, LPCSTR szPattern);
// Appends the pieces between delimiters: a run of delimiters separates once, a leading one gives an
// empty first piece, a trailing one no empty last piece.
OVSTOOL_API void Tool_SplitString(CStringArray& parts, LPCSTR szText, char chDelimiter);
// The last byte equals the first byte of szDelimiter and is not the trail byte of a double-byte
// character.
OVSTOOL_API BOOL Tool_CheckDelimAtLast(LPCSTR szText, LPCSTR szDelimiter);
// The last byte, or 0 when it is a trail byte or the text is empty.
OVSTOOL_API char Tool_GetStringLast(LPCSTR szText);

// Double-byte katakana (and a prolonged-sound mark right after one) turned half-width, unless the
// "KanaMapMode" setting of the report (read once per process) is not 0. TRUE when something was
// converted.
OVSTOOL_API BOOL Tool_LCMapStringToHalfWidth(LPCSTR szText, CString& strOut);

// Backslash, carriage return, line feed and tab written as \\ \r \n \t, and back.
OVSTOOL_API void Tool_EncodeCtrlStr(const CString& strText, CString& strOut);
OVSTOOL_API void Tool_DecodeCtrlStr(const CString& strText, CString& strOut);
// Each byte as two shifted hexadecimal digits, in place, and back.
OVSTOOL_API void Tool_StrEncode(CString& strText);
OVSTOOL_API void Tool_StrDecode(CString& strText);

// Packs nByteCount bytes into a new BSTR in *pbstrOut: method 0 escaped 16-bit units (first unit
// 0x3042), method 1 15-bit units (first unit 0x3043; this method frees the string *pbstrOut held).
// E_INVALIDARG for null pointers, a count <= 0 or another method; E_OUTOFMEMORY.
OVSTOOL_API HRESULT Tool_BSTREncode(const BYTE* pData, int nByteCount, BSTR* pbstrOut, int nMethod);
// Unpacks either form into a new task-memory block (null for 0 bytes). E_INVALIDARG for null
// pointers or an unknown first unit, E_UNEXPECTED for a damaged text, E_OUTOFMEMORY.
OVSTOOL_API HRESULT Tool_BSTRDecode(BSTR bstrText, BYTE** ppData, DWORD* pdwByteCount);

// "@WtoX@" and two lower-case hexadecimal digits per byte of the UTF-16 text, low byte first.
OVSTOOL_API void Tool_UnicodeStrToHexStr(LPCWSTR szText, CString& strOut);
// The reverse, into a new BSTR in *pbstrOut (the one it held is freed): empty without the prefix
// or with a digit other than 0-9 and a-f; digits that make no whole character are ignored.
OVSTOOL_API void Tool_HexStrToUnicodeStr(const CString& strHex, BSTR* pbstrOut);

// Reads a row list such as "1-3, 5" into sorted rows without duplicates: the number of rows, or
// -(p + 1) for an error at byte p of the text (-1 for a null or blank text). The optional first and
// last receive the smallest and largest row (0 on error).
OVSTOOL_API int Tool_GetSelectedRowsNumber(LPCSTR szText, CWordArray& rows, DWORD* pdwFirst = nullptr,
                                           DWORD* pdwLast = nullptr);
// Sorted rows as "1-3,5,7-8"; zeros and duplicates skipped.
OVSTOOL_API void Tool_GetSelectedRowsString(const CWordArray& rows, CString& strOut);

// Adds the dwByteCount / 2 little-endian words with 16-bit wrap-around into *pwSum; returns the
// number of words (0 for fewer than 2 bytes or null pointers).
OVSTOOL_API DWORD Tool_CheckSum(const WORD* pData, DWORD dwByteCount, WORD* pwSum);
