// Compound-file creation in the configured format, and the method-file mismatch check.
#include "ovstoolfiletypes.h"

#include "file_type_table.h"
#include "ovsreg.h"

namespace {

constexpr char kFileKey[] = "File";
constexpr char kDocFileVersion[] = "DocFileVersion";
constexpr char kDocFileSectorSize[] = "DocFileSectorSize";
constexpr char kOptionKey[] = "Option";
constexpr char kCheckMethodFileMismatch[] = "CheckMethodFileMismatch";

// Version 100 selects the platform's plain document-file creation.
constexpr int kPlainDocfileVersion = 100;

struct DocfileSettings {
    bool read = false;
    int version = 1;
    int sectorSize = 4096;
};

// Read on first use and never refreshed; two first calls at once only read the registry twice.
const DocfileSettings& Settings() {
    static DocfileSettings settings;
    if (!settings.read) {
        settings.version =
            Tool_GetRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, kFileKey, kDocFileVersion, 1);
        settings.sectorSize =
            Tool_GetRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, kFileKey, kDocFileSectorSize, 4096);
        settings.read = true;
    }
    return settings;
}

bool MismatchCheckOn() {
    static const bool on =
        Tool_GetRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, kOptionKey, kCheckMethodFileMismatch, 1) != 0;
    return on;
}

bool IsLc(long solution) {
    return solution == 0 || solution == 1;
}

bool IsGc(long solution) {
    return solution == 2 || solution == 3;
}

} // namespace

HRESULT Tool_StgCreateDocfile(LPCWSTR szName, DWORD dwMode, DWORD dwReserved, IStorage** ppStorage) {
    const DocfileSettings& settings = Settings();
    if (settings.version == kPlainDocfileVersion) {
        return StgCreateDocfile(szName, dwMode, dwReserved, ppStorage);
    }
    STGOPTIONS options = {};
    options.usVersion = static_cast<USHORT>(settings.version);
    options.reserved = 0;
    options.ulSectorSize = static_cast<ULONG>(settings.sectorSize);
    options.pwcsTemplateFile = nullptr;
    return StgCreateStorageEx(szName, dwMode, STGFMT_DOCFILE, 0, &options, nullptr, IID_IStorage,
                              reinterpret_cast<void**>(ppStorage));
}

BOOL Tool_IsMethodFileMismatch(long nAppSolutionType, long nFileSolutionType) {
    if (!MismatchCheckOn()) {
        return FALSE;
    }
    if (IsLc(nAppSolutionType)) {
        return !IsLc(nFileSolutionType);
    }
    if (IsGc(nAppSolutionType)) {
        return !IsGc(nFileSolutionType);
    }
    return FALSE;
}

BOOL Tool_IsMethodFileMismatch(long nAppSolutionType, LPCSTR szPath) {
    if (!MismatchCheckOn() || szPath == nullptr) {
        return FALSE;
    }
    long fileSolution = 0;
    switch (ovs::filetypes::FileTypeOfPath(szPath)) {
        case 0x01000020:
            fileSolution = 1;
            break;
        case 0x01000070:
            fileSolution = 2;
            break;
        case 0x0100000C:
            fileSolution = 3;
            break;
        default:
            return FALSE;
    }
    return Tool_IsMethodFileMismatch(nAppSolutionType, fileSolution);
}
