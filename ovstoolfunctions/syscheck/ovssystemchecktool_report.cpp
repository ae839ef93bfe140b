// The system report file, kept in the system's folder and exchanged with the caller's document
// store.
#include "ovstoolsyscheck.h"
#include "ovstoolpaths.h"
#include "ovsdocumentobjects.h"
#include "syscheck_folders.h"
#include "unique_resource.h"

#include <string>
#include <vector>

namespace {

constexpr LONG kReportCategory = 6;
constexpr LONG kReportIdentifier = 0x143001;
constexpr LONG kBlockPresent = 1;
// The system report folder, the system number, the store's folder and the report's file name.
constexpr char kCacheFolderFormat[] = "%s\\%d\\%s";
constexpr char kCachePathFormat[] = "%s\\%d\\%s\\%s";

std::string FileNamePart(LPCSTR path) {
    CString name;
    Tool_GetFileNameFromFullPath(path, name);
    return name.GetString();
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Writes the whole block; a file that could not be written whole is removed again, so that the
// copy of the incoming file takes its place.
void WriteCacheFile(const std::string& path, const BYTE* block, ULONG size) {
    bool whole = false;
    {
        ovs::unique_hfile file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return;
        }
        DWORD done = 0;
        whole = WriteFile(file.get(), block, size, &done, nullptr) && done == size;
    }
    if (!whole) {
        DeleteFileA(path.c_str());
    }
}

// The whole file, or false when it cannot be read.
bool ReadWholeFile(LPCSTR path, std::vector<BYTE>& bytes) {
    ovs::unique_hfile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > MAXDWORD) {
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD done = 0;
    return bytes.empty() ||
           (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
            done == bytes.size());
}

} // namespace

void Tool_GetSystemReport(IOVSDocumentStore* pStore, CString& strPath, BOOL bFetch, int nSystem) {
    if (pStore == nullptr) {
        return;
    }
    char storeFolder[MAX_PATH] = "";
    char unusedName[MAX_PATH] = "";
    if (FAILED(pStore->GetNames(storeFolder, unusedName))) {
        strPath.Empty();
        return;
    }
    storeFolder[MAX_PATH - 1] = '\0';
    const std::string fileName = FileNamePart(strPath);
    const std::string reportFolder = ovs::syscheck::SystemReportFolder();
    CString cacheFolder;
    cacheFolder.Format(kCacheFolderFormat, reportFolder.c_str(), nSystem, storeFolder);
    CString cachePath;
    cachePath.Format(kCachePathFormat, reportFolder.c_str(), nSystem, storeFolder, fileName.c_str());

    if (bFetch) {
        BYTE* block = nullptr;
        ULONG size = 0;
        LONG flag = 0;
        const HRESULT hr = pStore->ReadBlock(kReportCategory, kReportIdentifier, fileName.c_str(), 0, 0,
                                             &block, &size, &flag);
        const ovs::unique_cotaskmem owner(block);
        if (SUCCEEDED(hr) && flag == kBlockPresent && block != nullptr && size > 0) {
            Tool_MakeDirectories(cacheFolder);
            WriteCacheFile(cachePath.GetString(), block, size);
        }
    }
    if (!FileExists(cachePath.GetString())) {
        Tool_MakeDirectories(cacheFolder);
        CopyFileA(strPath, cachePath, TRUE);
    }
    strPath = cachePath;
}

void Tool_SetSystemReport(IOVSDocumentStore* pStore, LPCSTR szPath) {
    std::vector<BYTE> bytes;
    if (pStore == nullptr || szPath == nullptr || !ReadWholeFile(szPath, bytes)) {
        return;
    }
    pStore->WriteBlock(kReportCategory, kReportIdentifier, FileNamePart(szPath).c_str(), bytes.data(),
                       static_cast<ULONG>(bytes.size()), kBlockPresent);
}
