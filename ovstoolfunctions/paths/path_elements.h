// The element model of a narrow path: root name, root directory and the names between
// separators, found by walking whole characters of the process code page, so that a trail byte
// equal to "\" is never taken for a separator.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace ovs::paths {

// A path of this many bytes or more is refused by the element rules (they work on at most
// MAX_PATH - 1 bytes plus the terminator).
constexpr size_t kElementPathLimit = MAX_PATH;

inline bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The offset of the character after the one at offset i; a lead byte without a trail byte
// counts as a character of its own.
inline size_t NextChar(std::string_view text, size_t i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < text.size() && text[i + 1] != '\0') {
        return i + 2;
    }
    return i + 1;
}

// Offsets of the first and last single-byte character c, or npos.
size_t FindChar(std::string_view text, char c, size_t from = 0);
size_t FindLastChar(std::string_view text, char c);
size_t FindLastSeparator(std::string_view text);

// An existing folder of the file system.
inline bool IsExistingFolder(LPCSTR path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// First character "[", a "]" somewhere, and "\" right after the first "]".
bool IsLogicalPath(std::string_view text);

// Whether the text converts to wide characters in the process code page without a loss.
bool ConvertsToWide(std::string_view text);
// The text in wide characters of the process code page (empty when it does not convert).
std::wstring ToWide(std::string_view text);
std::string ToNarrow(std::wstring_view text);

// Every "/" written as "\".
std::string WithBackslashes(std::string_view text);
// The join rule: one "\" between a and b unless a is empty, b is empty, a ends with ":" or a
// separator, or b begins with one; "/" in b is written as "\".
std::string JoinElement(const std::string& a, std::string_view b);

struct Elements {
    std::string rootName; // with "\" for separators
    bool rootDirectory = false;
    size_t rootEnd = 0;             // offset after the root name and the root directory
    std::vector<std::string> names; // "." last when the path ends in a separator after a name
    std::vector<size_t> nameStarts; // offset of each name in the text (the end for the final ".")

    bool hasFileName() const { return !names.empty(); }
};

Elements SplitElements(std::string_view path);

// The last name; empty when the path is a root alone or empty.
std::string FileName(const Elements& elements);
// All elements but the last, joined by the join rule; a root alone is its own directory part.
std::string DirectoryPart(const Elements& elements);
// From the last "." of the file name to its end; empty for no ".", "." and "..".
std::string Extension(std::string_view fileName);
std::string Stem(std::string_view fileName);

// One of the nine characters a file name may not hold: \ / : * ? < > | and the double quote.
bool IsInvalidFilenameChar(char c);
// Every invalid single-byte character of text except those in kept replaced by replacement (or
// removed when it is 0); double-byte characters are copied whole.
std::string ReplaceInvalidChars(std::string_view text, LPCSTR kept, char replacement);

// Why an ordinary path cannot go through the element rules: none, too long, or not text of the
// process code page.
enum class Refusal { none, tooLong, notConvertible };
Refusal CheckElementPath(std::string_view path);
// Writes the line that names the refusal to the debug report.
void ReportRefusal(LPCSTR file, int line, Refusal refusal, LPCSTR path);

} // namespace ovs::paths
