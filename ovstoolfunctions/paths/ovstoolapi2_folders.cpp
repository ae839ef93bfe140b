// Creating folders with their parents, deleting a folder's contents, and free disk space.
#include "ovstoolpaths.h"
#include "callframe.h"
#include "path_elements.h"
#include "path_join.h"
#include "unique_resource.h"

#include <string>

using namespace ovs::paths;

namespace {

constexpr char kTooLongDirectory[] = "Too Long Directory Path : %s";
constexpr char kKernelModule[] = "Kernel32.dll";
constexpr char kFreeSpaceFunction[] = "GetDiskFreeSpaceExA";
constexpr char kAllEntries[] = "*.*";
// The longest folder path that is created; unlike the element rules, the whole MAX_PATH is allowed.
constexpr size_t kLongestFolderPath = MAX_PATH;

using FreeSpaceFunction = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// Offset of the separator that ends \\server\share (or the end of the text): no prefix up to it
// can be created. 0 for any other path.
size_t NetworkRootEnd(std::string_view dir) {
    if (dir.size() < 3 || !IsSeparator(dir[0]) || !IsSeparator(dir[1]) || IsSeparator(dir[2])) {
        return 0;
    }
    size_t i = 2;
    for (int component = 0; component < 2; ++component) {
        while (i < dir.size() && !(IsSeparator(dir[i]) && NextChar(dir, i) == i + 1)) {
            i = NextChar(dir, i);
        }
        if (component == 0 && i < dir.size()) {
            ++i;
        }
    }
    return i;
}

void DeleteContents(LPCSTR dir, bool removeDir) {
    char saved[MAX_PATH];
    const DWORD savedLength = GetCurrentDirectoryA(MAX_PATH, saved);
    if (savedLength == 0 || savedLength >= MAX_PATH || !SetCurrentDirectoryA(dir)) {
        return;
    }
    WIN32_FIND_DATAA found;
    {
        ovs::unique_find find(FindFirstFileA(kAllEntries, &found));
        if (find) {
            do {
                const std::string_view name(found.cFileName);
                if (name == "." || name == "..") {
                    continue;
                }
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                    SetFileAttributesA(found.cFileName, FILE_ATTRIBUTE_NORMAL);
                    DeleteFileA(found.cFileName);
                } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                    RemoveDirectoryA(found.cFileName); // a link: removed, never followed
                } else {
                    DeleteContents(found.cFileName, true);
                }
            } while (FindNextFileA(find.get(), &found));
        }
    }
    SetCurrentDirectoryA(saved);
    if (removeDir) {
        RemoveDirectoryA(dir);
    }
}

} // namespace

short Tool_MakeDirectories(LPCSTR szDir) {
    OVS_REQUIRE_ARG("Tool_MakeDirectories", szDir != nullptr, -1);
    std::string dir(szDir);
    if (dir.size() > kLongestFolderPath) {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_ERR, kTooLongDirectory, szDir);
        return -1;
    }
    if (dir.empty()) {
        return -1;
    }
    if (!ConvertsToWide(dir)) {
        ReportRefusal(__FILE__, __LINE__, Refusal::notConvertible, szDir);
        return -1;
    }
    if (ovs::LastSingleByteChar(dir) != '\\') {
        dir += '\\';
    }
    // Each prefix before a separator (a whole character, never a trail byte) is made when missing;
    // the empty prefix before a leading separator and the server and share of a network path are
    // never made.
    const size_t rootEnd = NetworkRootEnd(dir);
    for (size_t i = 0; i < dir.size(); i = NextChar(dir, i)) {
        if (!IsSeparator(dir[i]) || NextChar(dir, i) != i + 1 || i == 0 || i <= rootEnd) {
            continue;
        }
        const std::string prefix = dir.substr(0, i);
        const DWORD attributes = GetFileAttributesA(prefix.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (!CreateDirectoryA(prefix.c_str(), nullptr)) {
                return -1;
            }
        } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            return -1;
        }
    }
    // The parts that are never made (a network server and share) must exist as well. The folder is
    // asked for without the separator appended above, which could take it past MAX_PATH.
    return IsExistingFolder(dir.substr(0, dir.size() - 1).c_str()) ? 0 : -1;
}

void Tool_DeleteDirectoryFiles(LPCSTR szDir, BOOL bRemoveDir) {
    OVS_REQUIRE_ARG("Tool_DeleteDirectoryFiles", szDir != nullptr && *szDir != '\0', );
    DeleteContents(szDir, bRemoveDir != FALSE);
}

BOOL Tool_GetDiskFreeSpaceEx(LPCSTR szDir, PULARGE_INTEGER pFreeToCaller, PULARGE_INTEGER pTotal,
                             PULARGE_INTEGER pFree) {
    ovs::unique_hmodule kernel(LoadLibraryA(kKernelModule));
    if (!kernel) {
        return FALSE;
    }
    const auto freeSpace = reinterpret_cast<FreeSpaceFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel.get(), kFreeSpaceFunction)));
    if (freeSpace != nullptr) {
        return freeSpace(szDir, pFreeToCaller, pTotal, pFree);
    }
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    const BOOL result =
        GetDiskFreeSpaceA(szDir, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters);
    if (pFreeToCaller != nullptr) {
        pFreeToCaller->QuadPart = 0;
    }
    if (pTotal != nullptr) {
        pTotal->QuadPart = static_cast<DWORD>(sectorsPerCluster * bytesPerSector * totalClusters);
    }
    if (pFree != nullptr) {
        pFree->QuadPart = static_cast<DWORD>(sectorsPerCluster * bytesPerSector * freeClusters);
    }
    return result;
}
