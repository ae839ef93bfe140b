// Wildcard comparison and splitting at a delimiter.
#include "ovstoolstring.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

namespace {

// The pattern is read as segments without "*" joined by single "*": S0 * S1 * ... * Sm. Match(t, s)
// answers whether the text from offset t matches the pattern from the start of segment s:
// - an empty text matches only the empty pattern and exactly "*";
// - s = m (no "*" left): same length, every byte equal or "?";
// - otherwise Ss must match the next |Ss| bytes, and then either the "*" is the pattern's last
//   character or Match(t', s + 1) holds for some t' from t + |Ss| to the end of the text.
// The rows Match(., s) are computed from s = m down to 0, each from the one below it, so the stack
// stays flat and the time is at most proportional to text length times pattern length.
class WildcardMatcher {
public:
    WildcardMatcher(std::string_view text, std::string_view pattern) : m_text(text) {
        size_t start = 0;
        for (size_t i = 0; i <= pattern.size(); ++i) {
            if (i == pattern.size() || pattern[i] == '*') {
                m_segments.push_back(pattern.substr(start, i - start));
                start = i + 1;
            }
        }
    }

    bool Matches() const {
        const size_t n = m_text.size();
        const size_t last = m_segments.size() - 1;
        std::vector<char> row(n + 1);
        for (size_t t = 0; t <= n; ++t) {
            row[t] = n - t == m_segments[last].size() && SegmentMatches(t, m_segments[last]);
        }
        // "*" as the pattern's last character: whatever follows the matched segment is taken.
        const bool endsWithStar = last > 0 && m_segments[last].empty();
        std::vector<char> reach(n + 2);
        for (size_t s = last; s-- > 0;) {
            reach[n + 1] = false;
            for (size_t t = n + 1; t-- > 0;) {
                reach[t] = row[t] || reach[t + 1]; // Match(t', s + 1) for some t' >= t
            }
            const std::string_view segment = m_segments[s];
            const bool starIsLast = endsWithStar && s + 1 == last;
            // Only the whole text is tried against the first segment.
            const size_t end = s == 0 ? std::min<size_t>(n, 1) : n;
            for (size_t t = 0; t < end; ++t) {
                row[t] = n - t >= segment.size() && SegmentMatches(t, segment) &&
                         (starIsLast || reach[t + segment.size()]);
            }
            row[n] = starIsLast && segment.empty(); // the rest of the pattern is exactly "*"
        }
        return row[0] != 0;
    }

private:
    // The bytes from offset t against a segment: each equal or matched by "?".
    bool SegmentMatches(size_t t, std::string_view segment) const {
        for (size_t i = 0; i < segment.size(); ++i) {
            if (segment[i] != '?' && segment[i] != m_text[t + i]) {
                return false;
            }
        }
        return true;
    }

    std::string_view m_text;
    std::vector<std::string_view> m_segments;
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
        return WildcardMatcher(szText, szPattern).Matches() ? TRUE : FALSE;
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
