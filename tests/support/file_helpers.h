// Small file-system helpers for tests that make and inspect real files and folders, and the checks
// of a child mode, which reports the checks that failed as bits of its exit code.
#pragma once

#include "test_support.h"

#include <cstdio>
#include <string>
#include <vector>

namespace ovs::test {

inline bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Creates or empties a file, read-only when asked.
inline bool MakeFile(const std::string& path, bool readOnly = false) {
    unique_hfile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return file && (!readOnly || SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
}

// The names in a folder, without "." and "..", in the order found.
inline std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    unique_find find(FindFirstFileA((folder + "\\*").c_str(), &found));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find.get(), &found) != FALSE) {
        if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..") {
            names.push_back(found.cFileName);
        }
    }
    return names;
}

// In a child mode: check(bit, condition) for each check, then return result().
class ChildChecks {
public:
    void operator()(int bit, bool holds) {
        if (!holds) {
            m_failed |= 1 << bit;
            std::fprintf(stderr, "check %d failed\n", bit);
        }
    }
    int result() const { return m_failed; }

private:
    int m_failed = 0;
};

} // namespace ovs::test
