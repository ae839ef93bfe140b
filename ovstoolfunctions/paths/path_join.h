// Joining a folder and a name with one separator between them.
#pragma once

#include <windows.h>
#include <string>

namespace ovs {

// The last character of narrow text, stepping over double-byte characters as wholes; 0 when it is
// a double-byte character or the text is empty.
inline char LastSingleByteChar(const std::string& text) {
    char last = '\0';
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < text.size()) {
            last = '\0';
            ++i;
        } else {
            last = text[i];
        }
    }
    return last;
}

// Adds "\" between folder and name unless either is empty, the folder ends with ":" or a separator,
// or the name begins with a separator.
inline std::string JoinPath(const std::string& folder, const std::string& name) {
    const char folderLast = LastSingleByteChar(folder);
    const bool folderEnds = folderLast == ':' || folderLast == '\\' || folderLast == '/';
    const bool nameBegins = !name.empty() && (name.front() == '\\' || name.front() == '/');
    if (folder.empty() || name.empty() || folderEnds || nameBegins) {
        return folder + name;
    }
    return folder + "\\" + name;
}

} // namespace ovs
