// Composing a path from a folder and a name, and shortening a path for display.
#include "ovstoolpaths.h"
#include "callframe.h"
#include "path_elements.h"

#include <climits>
#include <cstring>
#include <string>

using namespace ovs::paths;

namespace {

// Working room of the composition, in wide characters without the terminator.
constexpr size_t kFolderRoom = MAX_PATH - 1;
constexpr size_t kNameRoom = 255;
constexpr size_t kComposedRoom = MAX_PATH - 1;
constexpr char kEllipsis[] = "...";

// The text in wide characters when it converts and fits in room.
Refusal TakeWide(LPCSTR text, size_t room, std::wstring& wide) {
    const std::string_view narrow(text);
    if (!ConvertsToWide(narrow)) {
        return Refusal::notConvertible;
    }
    wide = ToWide(narrow);
    return wide.size() <= room ? Refusal::none : Refusal::tooLong;
}

short ClampShort(size_t length) {
    return static_cast<short>(length > SHRT_MAX ? SHRT_MAX : length);
}

} // namespace

void Tool_MakePath(CString& strResult, LPCSTR szDir, LPCSTR szName) {
    strResult.Empty();
    OVS_REQUIRE_ARG("Tool_MakePath", szDir != nullptr, );
    OVS_REQUIRE_ARG("Tool_MakePath", szName != nullptr, );
    std::wstring folder;
    std::wstring name;
    if (const Refusal refusal = TakeWide(szDir, kFolderRoom, folder); refusal != Refusal::none) {
        ReportRefusal(__FILE__, __LINE__, refusal, szDir);
        return;
    }
    if (const Refusal refusal = TakeWide(szName, kNameRoom, name); refusal != Refusal::none) {
        ReportRefusal(__FILE__, __LINE__, refusal, szName);
        return;
    }
    std::wstring result = folder;
    if (result.size() > 1 && result.back() != L'\\') {
        result += L'\\';
    }
    result += name;
    if (result.size() > kComposedRoom) {
        const size_t dot = result.rfind(L'.');
        const size_t extLength = dot == std::wstring::npos ? 0 : result.size() - dot;
        if (extLength <= kComposedRoom) {
            result = result.substr(0, kComposedRoom - extLength) + result.substr(result.size() - extLength);
        } else {
            result.resize(kComposedRoom);
        }
    }
    const std::string narrow = ToNarrow(result);
    strResult.SetString(narrow.data(), static_cast<int>(narrow.size()));
}

short Tool_GetAbbreviatePathName(LPCSTR szPath, CString& strResult, int nMaxLength) {
    strResult.Empty();
    if (szPath == nullptr || *szPath == '\0') {
        return 0;
    }
    const std::string_view path(szPath);
    if (nMaxLength >= 0 && path.size() <= static_cast<size_t>(nMaxLength)) {
        strResult = szPath;
        return ClampShort(path.size());
    }
    // A leading separator, or the two of a network name, is never a cut point.
    size_t i = path.size() > 1 && path[0] == '\\' && path[1] == '\\' ? 2 : NextChar(path, 0);
    size_t lastCut = std::string_view::npos;
    for (; i < path.size(); i = NextChar(path, i)) {
        if (path[i] != '\\' || NextChar(path, i) != i + 1) {
            continue;
        }
        lastCut = i;
        if (nMaxLength >= 0 && path.size() - i <= static_cast<size_t>(nMaxLength)) {
            break;
        }
    }
    const std::string_view tail = lastCut == std::string_view::npos ? path : path.substr(lastCut);
    strResult = kEllipsis;
    strResult.Append(tail.data(), static_cast<int>(tail.size()));
    return ClampShort(tail.size() + std::strlen(kEllipsis));
}
