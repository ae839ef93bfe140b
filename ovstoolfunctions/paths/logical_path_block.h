// The bracketed information block of a logical path: "[" items "]", items key=value separated by
// "#". Brackets are found character by character, so a trail byte equal to "[" or "]" in the path
// is never taken for one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ovs::logical {

constexpr char kOpen = '[';
constexpr char kClose = ']';
constexpr char kItemSeparator = '#';
constexpr char kAssign = '=';
constexpr char kDriveColon = ':';
constexpr char kPathSeparator = '\\';

constexpr size_t npos = static_cast<size_t>(-1);

// Byte positions of the first "[" and the first "]" (npos when missing).
struct Brackets {
    size_t open = npos;
    size_t close = npos;
    // "]" exists and no "[" comes before it.
    bool closeBeforeOpen() const { return close != npos && (open == npos || close < open); }
};
Brackets FindBrackets(const char* text);

// Position of the item key=... in text[from, to): key + "=" at the start of the range or right after
// a "[" or "#". npos when there is none.
size_t FindItem(const char* text, size_t from, size_t to, const char* key);

// Position after the value that starts at `from`: the next "#", "]" or the end.
size_t ValueEnd(const char* text, size_t from);

// The item's number, or false when the block between the first "[" and the first "]" has no such
// item.
bool ReadItem(const char* text, const char* key, int& value);

// The fields of text between "\" separators (character by character), empty ones included.
std::vector<std::string> SplitFields(const char* text);

} // namespace ovs::logical
