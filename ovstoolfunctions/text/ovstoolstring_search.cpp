// Character search and substrings by character index, where a double-byte character counts as one
// character, and the byte-wise helpers for the end of a text and case-insensitive search.
#include "ovstoolstring.h"

#include "dbcs_scan.h"
#include "dbcs_text.h"

#include <cstring>

namespace {

// Calls found(characterIndex) for every single byte of the text equal to c; stops when found
// returns false.
template <typename Found>
void ForEachMatch(const CString& text, char c, Found found) {
    ovs::dbcs::ForEachSingleByte(text.GetString(), static_cast<size_t>(text.GetLength()),
                                 static_cast<unsigned char>(c),
                                 [&found](size_t index) { return found(static_cast<int>(index)); });
}

// Byte position of character index `index` (the end of the text when it has fewer characters).
const char* CharAt(const char* text, int index) {
    for (int i = 0; i < index; ++i) {
        const size_t size = ovs::dbcs::CharSize(text);
        if (size == 0) {
            break;
        }
        text += size;
    }
    return text;
}

} // namespace

int Tool_Find(const CString& strText, char c) {
    if (c == '\0' || strText.IsEmpty()) {
        return -1;
    }
    int result = -1;
    ForEachMatch(strText, c, [&result](int index) {
        result = index;
        return false;
    });
    return result;
}

int Tool_ReverseFind(const CString& strText, char c) {
    if (c == '\0' || strText.IsEmpty()) {
        return -1;
    }
    int result = -1;
    ForEachMatch(strText, c, [&result](int index) {
        result = index;
        return true;
    });
    return result;
}

int Tool_NumFind(const CString& strText, char c, int n) {
    if (c == '\0' || strText.IsEmpty()) {
        return -1;
    }
    int result = -1;
    int matches = 0;
    ForEachMatch(strText, c, [&](int index) {
        result = index;
        return ++matches < n;
    });
    return result;
}

int Tool_StrCpyDBCS(CString& strOut, const CString& strText, int nStart, int nCount) {
    if (strText.IsEmpty() || nCount <= 0) {
        return 0;
    }
    const char* text = strText.GetString();
    const int characters = static_cast<int>(ovs::dbcs::CharCount(text));
    strOut.Empty();
    if (nStart < 0 || nStart >= characters) {
        return 0;
    }
    if (nCount > characters - nStart) {
        nCount = characters - nStart;
    }
    const char* first = CharAt(text, nStart);
    const char* last = CharAt(first, nCount);
    strOut.Append(first, static_cast<int>(last - first));
    return 0;
}

CString Tool_Mid(const CString& strText, int nStart, int nCount) {
    CString result;
    const int characters = static_cast<int>(ovs::dbcs::CharCount(strText.GetString()));
    if (nStart < 0 || nStart >= characters) {
        return result;
    }
    Tool_StrCpyDBCS(result, strText, nStart, nCount);
    return result;
}

CString Tool_Right(const CString& strText, int nCount) {
    CString result;
    const int characters = static_cast<int>(ovs::dbcs::CharCount(strText.GetString()));
    if (nCount > characters) {
        return result;
    }
    Tool_StrCpyDBCS(result, strText, characters - nCount, nCount);
    return result;
}

LPCSTR Tool_strcasestr(LPCSTR szText, LPCSTR szPart) {
    if (szText == nullptr || szPart == nullptr || *szText == '\0') {
        return nullptr;
    }
    const size_t textLength = std::strlen(szText);
    const size_t partLength = std::strlen(szPart);
    if (partLength > textLength) {
        return nullptr;
    }
    if (partLength == 0) {
        return szText;
    }
    for (size_t p = 0; p + partLength <= textLength; ++p) {
        if (_strnicmp(szText + p, szPart, partLength) == 0) {
            return szText + p;
        }
    }
    return nullptr;
}

BOOL Tool_CheckDelimAtLast(LPCSTR szText, LPCSTR szDelimiter) {
    if (szText == nullptr || szDelimiter == nullptr || *szText == '\0') {
        return FALSE;
    }
    const size_t last = std::strlen(szText) - 1;
    return szText[last] == szDelimiter[0] && !ovs::dbcs::IsTrailByteAt(szText, last) ? TRUE : FALSE;
}

char Tool_GetStringLast(LPCSTR szText) {
    if (szText == nullptr || *szText == '\0') {
        return '\0';
    }
    const size_t last = std::strlen(szText) - 1;
    return ovs::dbcs::IsTrailByteAt(szText, last) ? '\0' : szText[last];
}
