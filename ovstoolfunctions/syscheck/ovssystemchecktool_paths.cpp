// Folders, names, extensions and file-dialog filters of system check result files.
#include "ovstoolsyscheck.h"
#include "ovstoolpaths.h"
#include "ovsreg.h"
#include "ovsres.h"
#include "local_clock.h"
#include "syscheck_folders.h"

#include <cstdio>

namespace {

constexpr char kPathSubKey[] = "Path";
constexpr char kBaseFolderValue[] = "Log SysChk Path";
constexpr char kDefaultBaseFolder[] = "\\Orvantiscope\\Log\\SysCheck";
constexpr char kSystemReportValue[] = "Sys Path";
constexpr char kDefaultSystemReportFolder[] = "\\Orvantiscope\\System";
constexpr char kSystemFolderFormat[] = "%s\\%d";
constexpr char kResultFileFormat[] = "%d\\SysChk%d_%s.%s";
constexpr char kLatestFileFormat[] = "%d\\SysChk%d_Latest.%s";
constexpr char kJoinFormat[] = "%s\\%s";
constexpr char kTimeStampFormat[] = "%04u%02u%02u%02u%02u%02u"; // %Y%m%d%H%M%S

// The text numbers of the two groups of kinds: 0 and 1, 2 and 3.
struct KindTexts {
    UINT firstGroup;
    UINT secondGroup;
};
constexpr KindTexts kExtension = {0x407B, 0x407D};
constexpr KindTexts kPrintExtension = {0x4001, 0x400E};
constexpr KindTexts kFileFilter = {0x407C, 0x407F};
constexpr UINT kTextOption = 1;

std::string ReadFolder(LPCSTR valueName, LPCSTR defaultFolder) {
    char folder[MAX_PATH] = "";
    Tool_GetRegistryString(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, kPathSubKey, valueName,
                           defaultFolder, folder, sizeof folder);
    return folder;
}

// Empty for a kind outside 0 to 3.
void LoadKindText(int nKind, const KindTexts& texts, CString& strText) {
    if (nKind == 0 || nKind == 1) {
        RES_LoadString(texts.firstGroup, strText, kTextOption);
    } else if (nKind == 2 || nKind == 3) {
        RES_LoadString(texts.secondGroup, strText, kTextOption);
    } else {
        strText.Empty();
    }
}

// base\relative as a full path; the joined text itself when the platform cannot make it full. The
// full-path function drops a trailing ".", which a name without extension (a kind outside 0 to 3)
// keeps, so that such a name still shows where its extension is missing.
void MakeFullPath(const CString& relative, CString& strPath) {
    CString joined;
    joined.Format(kJoinFormat, ovs::syscheck::BaseFolder().c_str(), relative.GetString());
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(joined, MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        strPath = joined;
        return;
    }
    strPath = full;
    if (relative.Right(1) == "." && strPath.Right(1) != ".") {
        strPath += '.';
    }
}

void MakeLatestPath(int nSystem, int nKind, const KindTexts& extensionTexts, CString& strPath) {
    CString extension;
    LoadKindText(nKind, extensionTexts, extension);
    CString relative;
    relative.Format(kLatestFileFormat, nSystem, nSystem, extension.GetString());
    MakeFullPath(relative, strPath);
}

} // namespace

namespace ovs::syscheck {

std::string BaseFolder() {
    return ReadFolder(kBaseFolderValue, kDefaultBaseFolder);
}

std::string SystemReportFolder() {
    return ReadFolder(kSystemReportValue, kDefaultSystemReportFolder);
}

std::string SystemFolder(const std::string& base, int nSystem) {
    CString folder;
    folder.Format(kSystemFolderFormat, base.c_str(), nSystem);
    return folder.GetString();
}

} // namespace ovs::syscheck

// The second argument has no use; it stays for the callers that pass it.
void Tool_MakeSystemCheckFolder(int nSystem, int /*nUnused*/) {
    Tool_MakeDirectories(ovs::syscheck::SystemFolder(ovs::syscheck::BaseFolder(), nSystem).c_str());
}

void Tool_MakeSystemCheckFilePathName(int nSystem, int nKind, CString& strPath) {
    const SYSTEMTIME now = ovs::LocalNow();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, kTimeStampFormat, now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    CString extension;
    LoadKindText(nKind, kExtension, extension);
    CString relative;
    relative.Format(kResultFileFormat, nSystem, nSystem, stamp, extension.GetString());
    MakeFullPath(relative, strPath);
}

void Tool_MakeSystemCheckLatestFilePathName(int nSystem, int nKind, CString& strPath) {
    MakeLatestPath(nSystem, nKind, kExtension, strPath);
}

void Tool_MakeSystemCheckDataFilePathNameForPrint(int nSystem, int nKind, CString& strPath) {
    MakeLatestPath(nSystem, nKind, kPrintExtension, strPath);
}

void Tool_MakeSystemCheckFileExt(int nKind, CString& strExt) {
    LoadKindText(nKind, kExtension, strExt);
}

void Tool_MakeSystemCheckFileExtForPrint(int nKind, CString& strExt) {
    LoadKindText(nKind, kPrintExtension, strExt);
}

void Tool_MakeSystemCheckFileFilter(int nKind, CString& strFilter) {
    LoadKindText(nKind, kFileFilter, strFilter);
}
