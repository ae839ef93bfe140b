// Splitting paths into folder, name and extension, the root name, and replacing the extension or
// the file name.
#include "ovstoolpaths.h"
#include "callframe.h"
#include "path_elements.h"

#include <string>

using namespace ovs::paths;

namespace {

struct SplitParts {
    std::string dir;
    std::string name;
    std::string ext;
};

// A logical path is split by text: the folder keeps its last "\", the name is the last component up
// to its last "." and the extension runs from that "." to the end, so "." and ".." are a name
// without extension like any other. A last component without "." is a name without extension
// rather than taking an extension from an earlier component.
SplitParts SplitLogical(std::string_view path) {
    const size_t slash = FindLastChar(path, '\\');
    const std::string_view last = path.substr(slash + 1);
    const size_t dot = FindLastChar(last, '.');
    const size_t nameLength = dot == std::string_view::npos ? last.size() : dot;
    return {std::string(path.substr(0, slash + 1)), std::string(last.substr(0, nameLength)),
            std::string(last.substr(nameLength))};
}

SplitParts SplitOrdinary(std::string_view path) {
    const Elements elements = SplitElements(path);
    const std::string fileName = FileName(elements);
    SplitParts parts{DirectoryPart(elements), Stem(fileName), Extension(fileName)};
    if (fileName == ".") {
        parts.name.clear();
    }
    return parts;
}

void Assign(CString& target, const std::string& text) {
    target.SetString(text.data(), static_cast<int>(text.size()));
}

} // namespace

BOOL Tool_IsLogicalPath(LPCSTR szPath) {
    return szPath != nullptr && IsLogicalPath(szPath) ? TRUE : FALSE;
}

void Tool_SplitFullPath(LPCSTR szPath, CString& strDir, CString& strName, CString& strExt) {
    strDir.Empty();
    strName.Empty();
    strExt.Empty();
    OVS_REQUIRE_ARG("Tool_SplitFullPath", szPath != nullptr, );
    const std::string_view path(szPath);
    SplitParts parts;
    if (IsLogicalPath(path)) {
        parts = SplitLogical(path);
    } else if (const Refusal refusal = CheckElementPath(path); refusal != Refusal::none) {
        ReportRefusal(__FILE__, __LINE__, refusal, szPath);
        return;
    } else {
        parts = SplitOrdinary(path);
    }
    Assign(strDir, parts.dir);
    Assign(strName, parts.name);
    Assign(strExt, parts.ext);
}

void Tool_SplitPath(LPCSTR szPath, CString& strDir, CString& strFileName) {
    CString name;
    CString ext;
    Tool_SplitFullPath(szPath, strDir, name, ext);
    strFileName = name + ext;
}

void Tool_GetPathNameFromFullPath(LPCSTR szPath, CString& strDir) {
    CString name;
    CString ext;
    Tool_SplitFullPath(szPath, strDir, name, ext);
}

void Tool_GetFileNameFromFullPath(LPCSTR szPath, CString& strFileName) {
    CString dir;
    Tool_SplitPath(szPath, dir, strFileName);
}

void Tool_GetFileNameWithoutExtensionFromFullPath(LPCSTR szPath, CString& strName) {
    CString dir;
    CString ext;
    Tool_SplitFullPath(szPath, dir, strName, ext);
}

void Tool_GetExtensionFromFullPath(LPCSTR szPath, CString& strExt) {
    CString dir;
    CString name;
    Tool_SplitFullPath(szPath, dir, name, strExt);
}

void Tool_GetRootName(LPCSTR szPath, CString& strRoot) {
    OVS_REQUIRE_ARG("Tool_GetRootName", szPath != nullptr, );
    const std::string_view path(szPath);
    if (IsLogicalPath(path)) {
        return;
    }
    if (const Refusal refusal = CheckElementPath(path); refusal != Refusal::none) {
        ReportRefusal(__FILE__, __LINE__, refusal, szPath);
        return;
    }
    Assign(strRoot, SplitElements(path).rootName);
}

void Tool_ReplaceExtension(CString& strPath, LPCSTR szExt) {
    const std::string path(strPath.GetString(), static_cast<size_t>(strPath.GetLength()));
    const std::string_view ext = szExt != nullptr ? szExt : "";
    std::string result;
    if (IsLogicalPath(path)) {
        result = path.substr(0, path.size() - SplitLogical(path).ext.size());
        if (!ext.empty()) {
            if (ext.front() != '.') {
                result += '.';
            }
            result += ext;
        }
        Assign(strPath, result);
        return;
    }
    if (const Refusal refusal = CheckElementPath(path); refusal != Refusal::none) {
        ReportRefusal(__FILE__, __LINE__, refusal, path.c_str());
        return;
    }
    const Elements elements = SplitElements(path);
    const std::string fileName = FileName(elements);
    if (fileName.empty() || fileName == "." || fileName == "..") {
        return; // the path names a folder: there is no extension to replace
    }
    std::string newExt(ext);
    if (!newExt.empty() && newExt.front() != '.') {
        newExt.insert(newExt.begin(), '.');
    }
    result = JoinElement(DirectoryPart(elements), Stem(fileName) + newExt);
    if (const Refusal refusal = CheckElementPath(result); refusal != Refusal::none) {
        ReportRefusal(__FILE__, __LINE__, refusal, result.c_str());
        return;
    }
    Assign(strPath, result);
}

void Tool_ReplaceFileName(LPCSTR szPath, LPCSTR szNewName, CString& strResult) {
    strResult.Empty();
    OVS_REQUIRE_ARG("Tool_ReplaceFileName", szPath != nullptr, );
    const std::string_view path(szPath);
    if (const Refusal refusal = CheckElementPath(path); refusal != Refusal::none) {
        ReportRefusal(__FILE__, __LINE__, refusal, szPath);
        return;
    }
    const Elements elements = SplitElements(path);
    // Cut back to the start of the last name and drop the separators before it, never into the
    // root: what stays ends with the name before the last, or with the root. A bare file name is
    // replaced whole; a root alone stays.
    size_t end = path.size();
    const size_t count = elements.names.size();
    if (count >= 2) {
        end = elements.nameStarts[count - 2] + elements.names[count - 2].size();
    } else if (count == 1) {
        end = elements.rootEnd;
    }
    const std::string base(path.substr(0, end));
    const std::string result = JoinElement(base, szNewName != nullptr ? szNewName : "");
    if (const Refusal refusal = CheckElementPath(result); refusal != Refusal::none) {
        ReportRefusal(__FILE__, __LINE__, refusal, result.c_str());
        return;
    }
    Assign(strResult, result);
}
