// Source names, cuts and the free-name search of the derived file names.
#include "derived_name.h"

#include "ovsreg.h"
#include "ovstoolpaths.h"
#include "ovstoolstring.h"
#include "text/dbcs_text.h"

#include <cstdio>

namespace ovs::filetypes {

namespace {

constexpr char kSeparator[] = "\\";
constexpr char kFreeNameSuffix[] = "~%2.2d";
constexpr int kLastFreeNumber = 99;
// OpenFile keeps the name in a record of 128 bytes: it cannot see longer names, even existing ones.
constexpr size_t kOpenFileNameLimit = OFS_MAXPATHNAME;

} // namespace

std::optional<SourceName> SplitSourceName(LPCSTR path) {
    if (path == nullptr) {
        return std::nullopt;
    }
    CString dir;
    CString name;
    CString ext;
    Tool_SplitFullPath(path, dir, name, ext);
    if (dir.IsEmpty() && name.IsEmpty() && ext.IsEmpty()) {
        return std::nullopt;
    }
    SourceName source{dir.GetString(), ext.GetString()};
    if (!source.base.empty() && !Tool_CheckDelimAtLast(source.base.c_str(), kSeparator)) {
        source.base += kSeparator;
    }
    source.base += name.GetString();
    return source;
}

std::string CutWholeChars(const std::string& text, size_t maxBytes) {
    return text.substr(0, dbcs::WholeCharBytes(text.c_str(), maxBytes));
}

bool FileNameTaken(const std::string& path) {
    if (path.size() < kOpenFileNameLimit) {
        OFSTRUCT record = {};
        return OpenFile(path.c_str(), &record, OF_EXIST) != HFILE_ERROR;
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string FreeFileName(const std::string& stem, const std::string& ext, bool search) {
    if (!search || !FileNameTaken(stem + ext)) {
        return stem + ext;
    }
    for (int number = 1; number <= kLastFreeNumber; ++number) {
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, kFreeNameSuffix, number);
        const std::string candidate = stem + suffix + ext;
        if (!FileNameTaken(candidate)) {
            return candidate;
        }
    }
    return stem;
}

std::string RegistryPathText(LPCSTR root, LPCSTR subKey, LPCSTR valueName, LPCSTR defaultText) {
    char text[MAX_PATH] = "";
    Tool_GetRegistryString(root, nullptr, 0, subKey, valueName, defaultText, text, sizeof text);
    return text;
}

} // namespace ovs::filetypes
