// Report text: ICF settings documents (instrument control settings as XML) as indented text, a tag
// picker, coded results and labels as words of the user's language (texts of the resource text
// module), default sample types of the sample-type component, and the helpers that cut sections,
// items and fields out of exported ASCII texts.
#pragma once

#include "ovstooldefs.h"
#include "ovssampletype.h"
#include <afxstr.h>

// ---- ICF settings documents

// strText = the document as text: each free "PreformatedText" (its line ends as CR LF) followed by
// CR LF; unless there are two or more of those, a block per "ModuleSection" with its sections,
// tables and parameters, indented by four blanks a level, and an empty line after each. An empty
// input, no XML parser (COM not initialised on this thread) or a document that is not well-formed
// leave strText empty. A failing parser call throws _com_error. The narrow form converts in the
// process code page both ways.
OVSTOOL_API void Tool_ConvertICFXMLtoText(LPCSTR szXml, CString& strText);
OVSTOOL_API void Tool_ConvertICFXMLtoTextW(LPCWSTR szXml, CStringW& strText);
// strText = the bytes after the nOccurrence-th (zero-based) "<szTag>" up to the next "</szTag>", or
// to the end of the text when none follows. Exact, case-sensitive bytes; no parser, no attributes.
// FALSE with strText untouched when there are fewer matches, a null text or tag, or nOccurrence < 0.
OVSTOOL_API BOOL Tool_PickupElementFromXML(LPCSTR szXml, LPCSTR szTag, int nOccurrence, CString& strText);

// ---- Results and labels

// The judgement texts whose conditions hold, joined by ";" (empty when none): wFlagsA 0x08 and 0x20,
// lFlagsB 0x20, 0x40, 0x80 and 0x100, then wLimitFlags 0x01 with dLimit1 > dValue and 0x02 with
// dLimit2 > dValue.
OVSTOOL_API void Tool_GetJudgementString(CString& strOut, WORD wLimitFlags, WORD wFlagsA, LONG lFlagsB,
                                         double dValue, double dLimit1, double dLimit2);
// The purity text of a special value (3000000 and 2000000 with nDecimals 0, else 3.0 and 2.0: exact
// equality), otherwise the value in fixed point with nDecimals decimals (0 when negative).
OVSTOOL_API void Tool_GetPurityResultString(double dValue, int nDecimals, CString& strOut);
// strOut = the text of the batch action / target code, loaded with lOption; returns the code's
// attribute, or 0 with strOut empty for an unknown code.
OVSTOOL_API WORD Tool_GetBatchActionStr(WORD wCode, CString& strOut, LONG lOption);
OVSTOOL_API WORD Tool_GetBatchTargetStr(WORD wCode, CString& strOut, LONG lOption);
// The text of a function code 1 to 8; empty for any other.
OVSTOOL_API CString Tool_GetFunctionString(short nCode);
// The set mode (dwFlags1 0x8000 or dwFlags2 0x200) or the plain mode, with the qualifier in
// parentheses appended when dwFlags1 has any of 0x10040.
OVSTOOL_API CString Tool_GetModeString(DWORD dwFlags1, DWORD dwFlags2);
// The text of a type code 1, 2 or 4; any other code gives the text of 3.
OVSTOOL_API CString Tool_GetTypeString(short nCode);
// strOut = the name of sample type nIndex (0 to 6); returns the text module's result. Another index
// empties strOut and returns 0.
OVSTOOL_API int Tool_GetSampleTypeName(int nIndex, CString& strOut);

// ---- Default sample types (the sample-type component; COM must be initialised by the caller)

// The name of the first default sample type of lSelector with code wTypeCode, written over the
// whole buffer: at most dwSize - 1 bytes of the name, the rest zeros. FALSE when no record has the
// code or the component cannot be reached; a null buffer or dwSize 0 give FALSE at once.
OVSTOOL_API BOOL Tool_GetDefaultSampleTypeName(WORD wTypeCode, LPSTR szName, DWORD dwSize, LONG lSelector);
// *pwCount = the number of default sample types of lSelector and *ppRecords a task-memory copy of
// their OVS_DEFAULTSAMPLETYPE records (the caller frees it with CoTaskMemFree). None, no component
// or a null out-pointer: FALSE, the given outputs 0 and null.
OVSTOOL_API BOOL Tool_GetWholeDefaultSampleTypeInfo(WORD* pwCount, void** ppRecords, LONG lSelector);

// ---- Exported ASCII texts: sections opened by a title line "[title]", item lines name, delimiter,
// value, lines ended by CR LF. Byte-wise; positions point into the caller's text.

// Finds szTitle from *ppCursor on: *ppCursor = the start of the line after it, *ppEnd = the line end
// before the next title line, or the end of the text. FALSE (nothing moved) when szTitle is empty or
// not found, its line has no end, or the section is empty (the next line is a title line).
OVSTOOL_API BOOL Tool_SerchTitleForAsciiImport(LPCSTR szTitle, char** ppCursor, char** ppEnd);
// The same for the first match of szTitle that lies in a title line (one with a "[" before the
// match); strTitleLine = that line from "[" up to and including its first "]" (or to its end).
OVSTOOL_API BOOL Tool_SearchTitleForAsciiImportEx(LPCSTR szTitle, CString& strTitleLine, char** ppCursor,
                                                  char** ppEnd);
// strChannel = the text after the first "(" up to the next ")" (or the end); FALSE with strChannel
// empty when there is no "(".
OVSTOOL_API BOOL Tool_SearchTitleChannelNameForAsciiImport(LPCSTR szTitleLine, CString& strChannel);
// *pDelimiter = the byte that follows the delimiter keyword (a text of the resource text module) in
// szText; a tab when the keyword does not occur or ends the text.
OVSTOOL_API void Tool_GetDelimitTypeForAsciiImport(LPCSTR szText, char* pDelimiter);
// szValue = what follows the first delimiter after the first szName in szText, up to the line end,
// szEnd or the end of the text; empty when szName is not found before szEnd.
OVSTOOL_API void Tool_GetItemValueForAsciiImport(LPCSTR szName, char* szValue, char chDelimiter,
                                                 LPCSTR szText, LPCSTR szEnd);
// szValue = the bytes from szFrom up to a carriage return, the end of the text, szEnd or the delimiter
// (which is passed over); szRest = the whole text after that, through its terminator. szRest may be
// the buffer szFrom points into, so that the next field is cut from the rest into the rest.
OVSTOOL_API void Tool_GetValueForAsciiImport(char* szValue, char chDelimiter, LPCSTR szFrom, LPCSTR szEnd,
                                             char* szRest);
