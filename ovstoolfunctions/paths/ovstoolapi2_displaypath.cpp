// Display texts of logical paths built from the component's items, and paths shortened to fit in
// a text of at most 255 characters. Lengths count characters (a double-byte character once).
#include "ovstoollogicalpath.h"
#include "ovstoolpaths.h"
#include "ovstoolstring.h"

#include "callframe.h"
#include "text/dbcs_text.h"

#include <vector>

namespace {

constexpr char kDisplayFunction[] = "Tool_MakeDisplayDataFilePathFromLogicalPath";
constexpr char kDisplayNumberFunction[] =
    "Tool_MakeDisplayDataFilePathFromLogicalPath_ProjectName_DataSetNum";
constexpr DWORD kDisplayItems = OVS_PATHINFO_PROJECT_NAME | OVS_PATHINFO_ITEM_20000 |
                                OVS_PATHINFO_DATA_SET_NUMBER | OVS_PATHINFO_ITEM_100000; // 0x160020
constexpr DWORD kDisplayFixedItems = OVS_PATHINFO_ITEM_20000 | OVS_PATHINFO_ITEM_100000; // 0x120000
constexpr char kItemSeparator = '\\';
constexpr char kPartSeparator[] = " - ";
constexpr char kDataSetSeparator = '/';
constexpr char kEllipsis[] = "...";
constexpr char kEllipsisFolder[] = "...\\";
constexpr long long kLongestText = 255;

long long Characters(const CString& text) {
    return static_cast<long long>(ovs::dbcs::CharCount(text.GetString()));
}

// The pieces between item separators, empty ones included.
std::vector<CString> Pieces(const CString& text) {
    std::vector<CString> pieces(1);
    for (const char* p = text.GetString(); *p != '\0';) {
        const size_t size = ovs::dbcs::CharSize(p);
        if (size == 0) {
            break;
        }
        if (size == 1 && *p == kItemSeparator) {
            pieces.emplace_back();
        } else {
            pieces.back().Append(p, static_cast<int>(size));
        }
        p += size;
    }
    return pieces;
}

// Puts the placed items together: project, then data set and item 0x20000, then item 0x100000.
CString Compose(const CString& items, DWORD placed) {
    const std::vector<CString> pieces = Pieces(items);
    size_t next = 0;
    auto take = [&](DWORD bit) -> CString {
        if ((placed & bit) == 0 || next >= pieces.size()) {
            return CString();
        }
        return pieces[next++];
    };
    const CString project = take(OVS_PATHINFO_PROJECT_NAME);
    const CString item20000 = take(OVS_PATHINFO_ITEM_20000);
    const CString dataSet = take(OVS_PATHINFO_DATA_SET_NUMBER);
    const CString item100000 = take(OVS_PATHINFO_ITEM_100000);
    CString display = project;
    CString second = item20000;
    if ((placed & OVS_PATHINFO_DATA_SET_NUMBER) != 0) {
        if (second.IsEmpty()) {
            second = dataSet;
        } else {
            second = dataSet + CString(kDataSetSeparator) + second;
        }
    }
    auto appendPart = [&display](const CString& part) {
        if (!display.IsEmpty()) {
            display += kPartSeparator;
        }
        display += part;
    };
    if (!second.IsEmpty()) {
        appendPart(second);
    }
    if ((placed & OVS_PATHINFO_ITEM_100000) != 0) {
        appendPart(item100000);
    }
    return display;
}

} // namespace

CString Tool_MakeDisplayDataFilePathFromLogicalPath(const CString& strPath, BOOL bFlag) {
    if (!Tool_IsLogicalPath(strPath)) {
        return strPath;
    }
    CString items;
    const DWORD dwRet = Tool_GetPathInfoFromLogicalPath(strPath, items, kDisplayItems, kItemSeparator, bFlag);
    OVS_REQUIRE_INVARIANT(kDisplayFunction, dwRet != 0, CString());
    return Compose(items, dwRet);
}

CString Tool_MakeDisplayDataFilePathFromLogicalPath_ProjectName_DataSetNum(const CString& strPath,
                                                                           BOOL bWithProjectName,
                                                                           BOOL bWithDataSetNumber) {
    if (!Tool_IsLogicalPath(strPath)) {
        return strPath;
    }
    DWORD mask = kDisplayFixedItems;
    if (bWithProjectName) {
        mask |= OVS_PATHINFO_PROJECT_NAME;
    }
    if (bWithDataSetNumber) {
        mask |= OVS_PATHINFO_DATA_SET_NUMBER;
    }
    CString items;
    const DWORD dwRet = Tool_GetPathInfoFromLogicalPath(strPath, items, mask, kItemSeparator, FALSE);
    OVS_REQUIRE_INVARIANT(kDisplayNumberFunction, dwRet != 0, CString());
    return Compose(items, dwRet);
}

CString Tool_GetShortPathFromLogicalPath(CString strPath, UINT dwTextLength) {
    if (strPath.IsEmpty()) {
        return CString();
    }
    const CString display = Tool_MakeDisplayDataFilePathFromLogicalPath(strPath, FALSE);
    if (display.IsEmpty()) {
        return display;
    }
    if (Characters(display) - Characters(strPath) + static_cast<long long>(dwTextLength) <= kLongestText) {
        return display;
    }
    CString shortForm;
    Tool_GetPathInfoFromLogicalPath(strPath, shortForm, OVS_PATHINFO_SHORT_FORM, kItemSeparator, FALSE);
    return shortForm;
}

CString Tool_GetShortPath(CString strPath, UINT dwTextLength) {
    if (strPath.IsEmpty()) {
        return strPath;
    }
    if (Tool_IsLogicalPath(strPath)) {
        return Tool_GetShortPathFromLogicalPath(strPath, dwTextLength);
    }
    if (static_cast<long long>(dwTextLength) <= kLongestText) {
        return strPath;
    }
    const long long toSave = static_cast<long long>(dwTextLength) - kLongestText;
    const long long pathLength = Characters(strPath);
    const int lastSeparator = Tool_ReverseFind(strPath, '\\');
    CString tail =
        lastSeparator < 0 ? strPath : Tool_Mid(strPath, lastSeparator + 1, static_cast<int>(pathLength));
    CString head;
    if (lastSeparator >= 0) {
        // A bare name has no head: only its own front is cut below.
        head = Tool_Mid(strPath, 0, lastSeparator);
        const int rootEnd = Tool_IsNetDrive(head) ? Tool_NumFind(head, '\\', 3) : Tool_Find(head, '\\');
        const CString root = Tool_Mid(head, 0, rootEnd + 1);
        const CString shortened = root + kEllipsisFolder;
        if (Characters(shortened) < Characters(head)) {
            head = shortened;
        } else {
            head += kItemSeparator;
        }
    }
    CString result = head + tail;
    const long long saved = pathLength - Characters(result);
    if (saved < toSave) {
        const long long cut = toSave - saved + 3;
        const long long tailLength = Characters(tail);
        tail = CString(kEllipsis) + (cut < tailLength
                                         ? Tool_Mid(tail, static_cast<int>(cut), static_cast<int>(tailLength))
                                         : CString());
        result = head + tail;
    }
    return result;
}
