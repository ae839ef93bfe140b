// Checks of file names and paths: invalid characters, lengths, network paths, and cleaning a path
// of the characters a file name may not hold.
#include "ovstoolpaths.h"
#include "callframe.h"
#include "path_elements.h"

#include <string>

using namespace ovs::paths;

namespace {

constexpr int kFullPathLimit = MAX_PATH;
constexpr int kFileNameLimit = 190;

} // namespace

BOOL Tool_IsValidFilenameChar(char ch) {
    return IsInvalidFilenameChar(ch) ? FALSE : TRUE;
}

BOOL Tool_IsValidFilename(LPCSTR szName) {
    OVS_REQUIRE_ARG("Tool_IsValidFilename", szName != nullptr, FALSE);
    const std::string_view name(szName);
    for (size_t i = 0; i < name.size(); i = NextChar(name, i)) {
        if (!Tool_IsValidFilenameChar(name[i])) {
            return FALSE;
        }
    }
    return TRUE;
}

HRESULT Tool_CheckFilePathName(LPCSTR szPath) {
    OVS_REQUIRE_ARG("Tool_CheckFilePathName", szPath != nullptr, E_INVALIDARG);
    CString dir;
    CString fileName;
    Tool_SplitPath(szPath, dir, fileName);
    if (fileName.IsEmpty()) {
        return OVS_E_NO_FILE_NAME;
    }
    if (!Tool_IsValidFilename(fileName)) {
        return OVS_E_INVALID_FILE_NAME_CHAR;
    }
    if (!dir.IsEmpty() && !IsLogicalPath(dir.GetString()) && !IsExistingFolder(dir)) {
        return OVS_E_FOLDER_NOT_FOUND;
    }
    return S_OK;
}

BOOL Tool_CheckFullFilePathLengthFL(const CString& strPath) {
    return strPath.GetLength() < kFullPathLimit ? TRUE : FALSE;
}

BOOL Tool_CheckFileNameIncludingExtensionLengthFL(const CString& strName) {
    return strName.GetLength() < kFileNameLimit ? TRUE : FALSE;
}

CString Tool_ConvertInvalidCharInLocalPath(const CString& strPath, char chReplacement) {
    const std::string_view path(strPath.GetString(), static_cast<size_t>(strPath.GetLength()));
    if (IsLogicalPath(path)) {
        return strPath;
    }
    // The drive part runs up to and including the first ":\".
    size_t driveEnd = 0;
    for (size_t i = 0; i + 1 < path.size(); i = NextChar(path, i)) {
        if (path[i] == ':' && path[i + 1] == '\\') {
            driveEnd = i + 2;
            break;
        }
    }
    const std::string cleaned = ReplaceInvalidChars(path.substr(0, driveEnd), "\\:", chReplacement) +
                                ReplaceInvalidChars(path.substr(driveEnd), "\\", chReplacement);
    return CString(cleaned.data(), static_cast<int>(cleaned.size()));
}

BOOL Tool_IsNetDrive(CString strPath) {
    return strPath.GetLength() >= 2 && strPath.GetString()[0] == '\\' && strPath.GetString()[1] == '\\'
               ? TRUE
               : FALSE;
}
