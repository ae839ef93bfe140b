// Automatic copies of data files and of the PDF renderings of their reports.
#include "ovstoolautocopy.h"

#include "autocopy_target.h"
#include "derived_name.h"
#include "file_type_table.h"
#include "ovsreg.h"
#include "ovsregstorage.h"
#include "unique_resource.h"

#include "text/dbcs_text.h"

#include <mbstring.h>

#include <cstdio>
#include <cstring>

namespace {

using ovs::filetypes::CopyNumbered;
using ovs::filetypes::DataFolderSetting;
using ovs::filetypes::MirrorFile;
using ovs::filetypes::MirrorTarget;
using ovs::filetypes::RegistryPathText;

constexpr char kSystemNameFormat[] = "System%d";
constexpr char kFileSubKey[] = "File";
constexpr char kCopyModifiedValue[] = "CopyModifiedDataFile";
constexpr char kCopyAcquiredValue[] = "CopyAcquiredDataFile";
constexpr char kSwitchOn[] = "Yes";
constexpr char kSwitchOff[] = "No";
constexpr char kTargetValue[] = "CopyTargetPath";
constexpr char kPdfFolderValue[] = "AutoCopyPDFFolder";
constexpr char kPdfEnding[] = "PDF";
constexpr size_t kSwitchSize = 8;

constexpr long kCopyModified = 0;
constexpr long kCopyAcquired = 1;

// The PDF is still being written while a writer holds it; it is waited for at most this long.
constexpr int kMaxPdfWaits = 61;
constexpr DWORD kPdfWaitMs = 1000;

bool IsEmpty(LPCSTR text) {
    return text == nullptr || *text == '\0';
}

// Upper case by characters of the process code page (a byte-wise upper case would turn lead bytes
// of code page 932 into other characters).
std::string UpperText(const std::string& text) {
    std::string upper = text;
    CharUpperA(upper.data());
    return upper;
}

// The path with "PDF" for its last three characters; none for a shorter path.
std::optional<std::string> WithPdfEnding(const char* path) {
    size_t starts[3] = {}; // byte offsets of the last three characters, the oldest first
    size_t count = 0;
    for (size_t at = 0, size = 0; (size = ovs::dbcs::CharSize(path + at)) != 0; at += size, ++count) {
        starts[0] = starts[1];
        starts[1] = starts[2];
        starts[2] = at;
    }
    if (count < 3) {
        return std::nullopt;
    }
    return std::string(path, starts[0]) + kPdfEnding;
}

// Waits while a writer holds the file: a read that shares reading is refused while one does, not
// while readers do.
void WaitForWriters(const std::string& path) {
    for (int waits = 0;; ++waits) {
        const ovs::unique_hfile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || waits == kMaxPdfWaits) {
            return;
        }
        Sleep(kPdfWaitMs);
    }
}

} // namespace

BOOL Tool_DataFileAutoCopyEx(LPCSTR szDataFile, LPCSTR szExtension, LPCSTR szRegistryRoot, long nSystemNumber,
                             long nCopyKind) {
    if (IsEmpty(szDataFile) || szExtension == nullptr || IsEmpty(szRegistryRoot)) {
        return FALSE;
    }
    // Only the two kinds of copy have a switch; any other kind is never copied.
    const char* switchName = nCopyKind == kCopyModified   ? kCopyModifiedValue
                             : nCopyKind == kCopyAcquired ? kCopyAcquiredValue
                                                          : nullptr;
    if (switchName == nullptr) {
        return TRUE;
    }
    char systemName[32];
    std::snprintf(systemName, sizeof systemName, kSystemNameFormat, static_cast<int>(nSystemNumber));
    char switchValue[kSwitchSize] = "";
    Tool_GetRegStorageString(OVS_REG_PRODUCT_ROOT, systemName, kFileSubKey, switchName, kSwitchOff,
                             switchValue, sizeof switchValue, 0);
    if (std::strcmp(switchValue, kSwitchOn) != 0) {
        return TRUE;
    }
    char target[MAX_PATH] = "";
    Tool_GetRegStorageString(OVS_REG_PRODUCT_ROOT, systemName, kFileSubKey, kTargetValue, "", target,
                             sizeof target, 0);
    if (target[0] == '\0') {
        return FALSE;
    }
    const std::string wanted = std::string(".") + szExtension;
    if (_mbsicmp(reinterpret_cast<const unsigned char*>(ovs::filetypes::ExtensionOf(szDataFile).c_str()),
                 reinterpret_cast<const unsigned char*>(wanted.c_str())) != 0) {
        return TRUE;
    }
    const std::string base = DataFolderSetting(OVS_REG_PRODUCT_ROOT);
    if (UpperText(szDataFile).find(UpperText(base)) == std::string::npos) {
        return TRUE;
    }
    // The copy keeps the case of the caller's path: its folders and name are written as given.
    return Tool_DataFileAutoCopy(szDataFile, target, szRegistryRoot);
}

BOOL Tool_DataFileAutoCopy(LPCSTR szDataFile, LPCSTR szTargetRoot, LPCSTR szRegistryRoot) {
    if (IsEmpty(szDataFile) || IsEmpty(szTargetRoot) || IsEmpty(szRegistryRoot)) {
        return FALSE;
    }
    const auto file = MirrorFile(szDataFile, szRegistryRoot);
    if (!file) {
        return FALSE;
    }
    return CopyNumbered(szDataFile, MirrorTarget(szTargetRoot, *file), true, false);
}

BOOL Tool_PDFFileAutoCopy(LPCSTR szSourceFile, LPCSTR szCopiedFile, LPCSTR szRegistryRoot) {
    if (IsEmpty(szSourceFile) || IsEmpty(szCopiedFile) || IsEmpty(szRegistryRoot)) {
        return FALSE;
    }
    const auto pdf = WithPdfEnding(szSourceFile);
    if (!pdf) {
        return FALSE;
    }
    WaitForWriters(*pdf);
    const auto file = MirrorFile(pdf->c_str(), szRegistryRoot);
    if (!file) {
        return FALSE;
    }
    const std::string pdfFolder = RegistryPathText(szRegistryRoot, kFileSubKey, kPdfFolderValue, "");
    const auto target = pdfFolder.empty() ? WithPdfEnding(szCopiedFile) : MirrorTarget(pdfFolder, *file);
    if (!target) {
        return FALSE;
    }
    return CopyNumbered(*pdf, *target, false, true);
}
