// Targets and copies of the automatic copies.
#include "autocopy_target.h"

#include "derived_name.h"
#include "ovstoolpaths.h"
#include "ovstoolstring.h"
#include "ovstooluniquenames.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace ovs::filetypes {

namespace {

constexpr char kFileSubKey[] = "File";
constexpr char kBaseFolderValue[] = "AutoCopyBaseFolder";
constexpr char kDefaultBaseFolder[] = "\\Orvantiscope\\Data";
constexpr char kSeparator[] = "\\";

bool EndsWithSeparator(const std::string& text) {
    return !text.empty() && Tool_CheckDelimAtLast(text.c_str(), kSeparator);
}

// "\" + the folder without its root name and root directory, ending with "\".
std::string FolderBelowRoot(LPCSTR path, const std::string& folder) {
    CString rootName;
    Tool_GetRootName(path, rootName);
    std::string rest = folder.substr(std::min(folder.size(), static_cast<size_t>(rootName.GetLength())));
    rest.erase(0, rest.find_first_not_of("\\/"));
    std::string relative = kSeparator + rest;
    if (!EndsWithSeparator(relative)) {
        relative += kSeparator;
    }
    return relative;
}

} // namespace

std::string DataFolderSetting(LPCSTR registryRoot) {
    return RegistryPathText(registryRoot, kFileSubKey, kBaseFolderValue, kDefaultBaseFolder);
}

std::optional<MirroredFile> MirrorFile(LPCSTR path, LPCSTR registryRoot) {
    if (std::strlen(path) >= MAX_PATH) {
        return std::nullopt; // refused here, before the path functions would report it
    }
    CString folderText;
    CString fileName;
    Tool_SplitPath(path, folderText, fileName);
    if (fileName.IsEmpty()) {
        return std::nullopt;
    }
    const std::string folder = folderText.GetString();
    const std::string base = DataFolderSetting(registryRoot);
    if (base.empty()) {
        return MirroredFile{FolderBelowRoot(path, folder), fileName.GetString()};
    }
    const std::string searched = EndsWithSeparator(folder) ? folder : folder + kSeparator;
    const char* found = Tool_strcasestr(searched.c_str(), base.c_str());
    if (found == nullptr) {
        return std::nullopt;
    }
    return MirroredFile{found + base.size(), fileName.GetString()};
}

std::string MirrorTarget(const std::string& root, const MirroredFile& file) {
    const auto join = [](std::string left, const std::string& right) {
        while (EndsWithSeparator(left)) {
            left.pop_back();
        }
        const size_t first = right.find_first_not_of('\\');
        return left + kSeparator + (first == std::string::npos ? std::string() : right.substr(first));
    };
    return join(join(root, file.relativeFolder), file.fileName);
}

bool CopyNumbered(const std::string& source, const std::string& target, bool failIfExists,
                  bool stopWhenFolderFails) {
    CString stem;
    Tool_GetFileNameWithoutExtensionFromFullPath(source.c_str(), stem);
    CString current = target.c_str();
    short number = 0;
    bool folderMade = false;
    while (!CopyFileA(source.c_str(), current, failIfExists)) {
        switch (GetLastError()) {
            case ERROR_FILE_EXISTS:
                if (number == SHRT_MAX) {
                    return false;
                }
                Tool_FileNameInc(current, stem, ++number);
                break;
            case ERROR_PATH_NOT_FOUND: {
                if (folderMade) {
                    return false; // the folder was made, or cannot be: the copy will not get further
                }
                folderMade = true;
                CString folder;
                Tool_GetPathNameFromFullPath(current, folder);
                if (Tool_MakeDirectories(folder) != 0 && stopWhenFolderFails) {
                    return false;
                }
                break;
            }
            default:
                return false;
        }
    }
    return true;
}

} // namespace ovs::filetypes
