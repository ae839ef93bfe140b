// Wildcard comparison and splitting at a delimiter.
#include "ovstoolstring.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

// Pattern without "*": same length, "?" any byte (a "?" as last pattern byte ends with a match).
bool MatchPlain(const char* text, size_t textLength, const char* pattern, size_t patternLength) {
    if (textLength != patternLength) {
        return false;
    }
    for (size_t i = 0; i < patternLength; ++i) {
        if (pattern[i] == '?') {
            if (i + 1 == patternLength) {
                return true;
            }
            continue;
        }
        if (pattern[i] != text[i]) {
            return false;
        }
    }
    return true;
}

// The comparison works on suffixes of the text and of the pattern after one of its "*"; the answer
// for each such pair is remembered, so that patterns with many "*" stay polynomial.
class WildcardMatcher {
public:
    WildcardMatcher(const char* text, size_t textLength, const char* pattern, size_t patternLength)
        : m_text(text), m_textLength(textLength), m_pattern(pattern), m_patternLength(patternLength) {
        size_t stars = 0;
        for (size_t i = 0; i < patternLength; ++i) {
            stars += pattern[i] == '*' ? 1 : 0;
        }
        m_columns = stars + 1;
        m_memo.assign((textLength + 1) * m_columns, kUnknown);
        m_starOrdinal.assign(patternLength + 1, 0);
        size_t ordinal = 0;
        for (size_t i = 0; i < patternLength; ++i) {
            if (pattern[i] == '*') {
                ++ordinal;
            }
            m_starOrdinal[i + 1] = ordinal; // pattern suffixes that start right after a "*"
        }
    }

    bool Match(size_t textStart, size_t patternStart) {
        const size_t key = textStart * m_columns + m_starOrdinal[patternStart];
        if (m_memo[key] != kUnknown) {
            return m_memo[key] == kYes;
        }
        const bool result = Compute(textStart, patternStart);
        m_memo[key] = result ? kYes : kNo;
        return result;
    }

private:
    static constexpr char kUnknown = 0;
    static constexpr char kYes = 1;
    static constexpr char kNo = 2;

    bool Compute(size_t textStart, size_t patternStart) {
        const char* text = m_text + textStart;
        const size_t textLength = m_textLength - textStart;
        const char* pattern = m_pattern + patternStart;
        const size_t patternLength = m_patternLength - patternStart;
        if (textLength == patternLength && std::memcmp(text, pattern, textLength) == 0) {
            return true;
        }
        if (textLength == 0) {
            return patternLength == 0 || (patternLength == 1 && pattern[0] == '*');
        }
        const void* star = std::memchr(pattern, '*', patternLength);
        if (star == nullptr) {
            return MatchPlain(text, textLength, pattern, patternLength);
        }
        const size_t k = static_cast<size_t>(static_cast<const char*>(star) - pattern);
        if (textLength < k || !MatchPrefix(text, pattern, k)) {
            return false;
        }
        if (k + 1 == patternLength) {
            return true;
        }
        for (size_t j = k; j <= textLength; ++j) {
            if (Match(textStart + j, patternStart + k + 1)) {
                return true;
            }
        }
        return false;
    }

    // The first k bytes of both, the pattern's having no "*".
    static bool MatchPrefix(const char* text, const char* pattern, size_t k) {
        if (std::memcmp(text, pattern, k) == 0) {
            return true;
        }
        return k > 0 && MatchPlain(text, k, pattern, k);
    }

    const char* m_text;
    size_t m_textLength;
    const char* m_pattern;
    size_t m_patternLength;
    size_t m_columns = 1;
    std::vector<char> m_memo;
    std::vector<size_t> m_starOrdinal;
};

} // namespace

BOOL Tool_CompareString(LPCSTR szText, LPCSTR szPattern) {
    if (szText == nullptr || szPattern == nullptr) {
        return FALSE;
    }
    if (std::strcmp(szText, szPattern) == 0) {
        return TRUE;
    }
    try {
        WildcardMatcher matcher(szText, std::strlen(szText), szPattern, std::strlen(szPattern));
        return matcher.Match(0, 0) ? TRUE : FALSE;
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
}

void Tool_SplitString(CStringArray& parts, LPCSTR szText, char chDelimiter) {
    if (szText == nullptr || *szText == '\0') {
        return;
    }
    const CString text(szText);
    int start = 0;
    const int length = text.GetLength();
    while (start < length) {
        const int found = chDelimiter != '\0' ? text.Find(chDelimiter, start) : -1;
        const int end = found < 0 ? length : found;
        parts.Add(text.Mid(start, end - start));
        if (found < 0) {
            break;
        }
        start = found + 1;
        while (start < length && text[start] == chDelimiter) {
            ++start; // a run of delimiters separates once
        }
    }
}
