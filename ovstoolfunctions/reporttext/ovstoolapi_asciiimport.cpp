// Sections, title lines, channel names and fields of exported ASCII texts. The text is scanned
// byte by byte; positions are plain pointers into the caller's text, which the caller moves on.
#include "ovstoolreporttext.h"
#include "ovsres.h"
#include "reporttext/terminated_move.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

constexpr char kCarriageReturn = 13;
constexpr char kLineFeed = 10;
constexpr char kTitleOpen = '[';
constexpr char kTitleClose = ']';
constexpr char kChannelOpen = '(';
constexpr char kChannelClose = ')';
constexpr char kDefaultDelimiter = '\t';
// The keyword an export names its delimiter with (the byte right after it), and the option the text
// module is asked with.
constexpr UINT kDelimiterKeywordText = 8436;
constexpr UINT kDelimiterKeywordOption = 0;

// "\r\n" and "\r\n[": a line end, and a line end before the next section's title line.
struct LineEnds {
    char lineEnd[3];
    char nextSection[4];
    LineEnds() {
        std::snprintf(lineEnd, sizeof lineEnd, "%c%c", kCarriageReturn, kLineFeed);
        std::snprintf(nextSection, sizeof nextSection, "%c%c%c", kCarriageReturn, kLineFeed, kTitleOpen);
    }
};

const LineEnds& Patterns() {
    static const LineEnds patterns;
    return patterns;
}

// A section's body starts after the line end that closes the line at `from` and ends at the line
// end before the next title line (or at `textEnd`). False when that line has no end, or when the
// next title line follows it directly (an empty section).
bool SectionBody(char* from, char* textEnd, char** ppCursor, char** ppEnd) {
    char* lineEnd = std::strstr(from, Patterns().lineEnd);
    if (lineEnd == nullptr) {
        return false;
    }
    char* next = std::strstr(from, Patterns().nextSection);
    char* end = next != nullptr ? next : textEnd;
    char* body = lineEnd + 2;
    if (body > end) {
        return false;
    }
    *ppCursor = body;
    *ppEnd = end;
    return true;
}

// The "[" of the title line that holds a match of szTitle at or after `from`, searching from match
// to match; null when no match lies in a title line. The walk back from a match ends at `from`.
char* TitleLineStart(char* from, LPCSTR szTitle) {
    // One forward pass: `bracket` is the last "[" since the last line feed before `scanned`.
    char* scanned = from;
    char* bracket = nullptr;
    for (char* match = std::strstr(from, szTitle); match != nullptr;
         match = std::strstr(match + 1, szTitle)) {
        for (; scanned <= match; ++scanned) {
            if (*scanned == kLineFeed) {
                bracket = nullptr;
            } else if (*scanned == kTitleOpen) {
                bracket = scanned;
            }
        }
        if (bracket != nullptr) {
            return bracket;
        }
    }
    return nullptr;
}

} // namespace

BOOL Tool_SerchTitleForAsciiImport(LPCSTR szTitle, char** ppCursor, char** ppEnd) {
    if (szTitle == nullptr || *szTitle == '\0' || ppCursor == nullptr || *ppCursor == nullptr ||
        ppEnd == nullptr) {
        return FALSE;
    }
    char* match = std::strstr(*ppCursor, szTitle);
    if (match == nullptr) {
        return FALSE;
    }
    return SectionBody(match, match + std::strlen(match), ppCursor, ppEnd);
}

BOOL Tool_SearchTitleForAsciiImportEx(LPCSTR szTitle, CString& strTitleLine, char** ppCursor, char** ppEnd) {
    strTitleLine.Empty();
    if (szTitle == nullptr || *szTitle == '\0' || ppCursor == nullptr || *ppCursor == nullptr ||
        ppEnd == nullptr) {
        return FALSE;
    }
    char* titleLine = TitleLineStart(*ppCursor, szTitle);
    if (titleLine == nullptr) {
        return FALSE;
    }
    // Up to and including the first "]" of the line; a line without one is taken up to its end.
    const size_t lineLength = std::strcspn(titleLine, "\r\n");
    const char* close = static_cast<const char*>(std::memchr(titleLine, kTitleClose, lineLength));
    strTitleLine.SetString(titleLine,
                           static_cast<int>(close != nullptr ? close - titleLine + 1 : lineLength));
    return SectionBody(titleLine, titleLine + std::strlen(titleLine), ppCursor, ppEnd);
}

BOOL Tool_SearchTitleChannelNameForAsciiImport(LPCSTR szTitleLine, CString& strChannel) {
    strChannel.Empty();
    const char* open = szTitleLine != nullptr ? std::strchr(szTitleLine, kChannelOpen) : nullptr;
    if (open == nullptr) {
        return FALSE;
    }
    const char* name = open + 1;
    const char* close = std::strchr(name, kChannelClose);
    strChannel.SetString(name, static_cast<int>(close != nullptr ? close - name : std::strlen(name)));
    return TRUE;
}

void Tool_GetDelimitTypeForAsciiImport(LPCSTR szText, char* pDelimiter) {
    if (pDelimiter == nullptr) {
        return;
    }
    *pDelimiter = kDefaultDelimiter;
    if (szText == nullptr) {
        return;
    }
    CString keyword;
    RES_LoadString(kDelimiterKeywordText, keyword, kDelimiterKeywordOption);
    const char* found = keyword.IsEmpty() ? nullptr : std::strstr(szText, keyword);
    // A keyword that ends the text names no delimiter.
    if (found != nullptr && found[keyword.GetLength()] != '\0') {
        *pDelimiter = found[keyword.GetLength()];
    }
}

void Tool_GetItemValueForAsciiImport(LPCSTR szName, char* szValue, char chDelimiter, LPCSTR szText,
                                     LPCSTR szEnd) {
    if (szValue == nullptr) {
        return;
    }
    *szValue = '\0';
    if (szName == nullptr || *szName == '\0' || szText == nullptr || szEnd == nullptr) {
        return;
    }
    const char* match = std::strstr(szText, szName);
    if (match == nullptr || match > szEnd) {
        return;
    }
    bool afterDelimiter = false;
    char* out = szValue;
    for (const char* p = match; p < szEnd && *p != kCarriageReturn && *p != '\0'; ++p) {
        if (afterDelimiter) {
            *out++ = *p;
        } else {
            afterDelimiter = *p == chDelimiter;
        }
    }
    *out = '\0';
}

void Tool_GetValueForAsciiImport(char* szValue, char chDelimiter, LPCSTR szFrom, LPCSTR szEnd, char* szRest) {
    if (szValue == nullptr || szFrom == nullptr || szEnd == nullptr || szRest == nullptr) {
        for (char* out : {szValue, szRest}) {
            if (out != nullptr) {
                *out = '\0';
            }
        }
        return;
    }
    // The field ends before the end position (a section's end is the line end that follows it).
    const char* stop = szFrom;
    while (stop < szEnd && *stop != kCarriageReturn && *stop != '\0' && *stop != chDelimiter) {
        ++stop;
    }
    const size_t fieldLength = static_cast<size_t>(stop - szFrom);
    const char* restStart = stop < szEnd && *stop == chDelimiter && *stop != '\0' ? stop + 1 : stop;
    // Either output may be the text's own buffer (the next field is cut from the rest into the rest,
    // or the value into the text itself): the field's bytes are taken first, its terminator last.
    std::memmove(szValue, szFrom, fieldLength);
    ovs::MoveTerminated(szRest, restStart);
    szValue[fieldLength] = '\0';
}
