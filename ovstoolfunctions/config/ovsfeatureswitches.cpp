// Feature switches: one registry value each, mapped to a small answer.
#include "ovstoolswitches.h"

#include "ovsreg.h"
#include "ovstoolmodule.h"
#include "unique_resource.h"

#include <cstring>

namespace {

constexpr char kPdaKey[] = "PDA";
constexpr char kOptionKey[] = "Option";
constexpr char kPathKey[] = "Path";
constexpr char k3DViewDrawMode[] = "3DViewDrawMode";
constexpr char k3DAsciiCustom[] = "3DASCIICustom";
constexpr char kDragDropDisable[] = "DragDropDisable";
constexpr char kDataFileUpdateDisable[] = "DataFileUpdateDisable";
constexpr char kProjectManagement[] = "ProjectManagement";
constexpr char kSysPath[] = "Sys Path";
constexpr char kDefaultSysPath[] = "\\Orvantiscope\\System";
constexpr char kWorkSpaceConfiguration[] = "WorkSpaceConfiguration.xml";

constexpr int kDrawModeSurface = 6914;
constexpr int kDrawModeDefault = 6913;
constexpr LONG kPeakPickSetting = 0x15300E;

int ReadOption(LPCSTR subKey, LPCSTR valueName, int defaultValue) {
    return Tool_GetRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, subKey, valueName, defaultValue);
}

} // namespace

int Tool_Get3DViewDrawMode() {
    return ReadOption(kPdaKey, k3DViewDrawMode, 1) == 1 ? kDrawModeSurface : kDrawModeDefault;
}

BOOL Tool_Get3DASCIICustomMode() {
    char text[64];
    Tool_GetRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, kPdaKey, k3DAsciiCustom, "No", text,
                           sizeof(text));
    return _stricmp(text, "Yes") == 0;
}

BOOL Tool_IsDragDropDisable() {
    static const int value = ReadOption(kOptionKey, kDragDropDisable, 0);
    return value == 1;
}

BOOL Tool_IsDataFileUpdateDisable() {
    static const int value = ReadOption(kOptionKey, kDataFileUpdateDisable, 0);
    return value == 1;
}

BOOL Tool_IsWorkSpaceManagementMode() {
    static const int value = ReadOption(kOptionKey, kProjectManagement, 0);
    return value == 1;
}

CString Tool_GetWorkSpaceConfigurationFileName(CString& strFileName) {
    char folder[MAX_PATH];
    Tool_GetRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, kPathKey, kSysPath, kDefaultSysPath, folder,
                           sizeof(folder));
    strFileName = folder;
    strFileName += "\\";
    strFileName += kWorkSpaceConfiguration;
    return strFileName;
}

BOOL Tool_IsFontCorrupt() {
    CString language;
    Tool_GetOVSLanguage(language);
    return std::strcmp(language, "CHS") == 0 || std::strcmp(language, "CHT") == 0;
}

BOOL Tool_GetPeakPick2AlgVersionChangeEnable(IOVSDocumentStore* pStore) {
    if (pStore == nullptr) {
        return FALSE;
    }
    BYTE* block = nullptr;
    ULONG size = 0;
    LONG flag = 0;
    const HRESULT hr = pStore->ReadBlock(0, kPeakPickSetting, nullptr, 0, 0, &block, &size, &flag);
    const ovs::unique_cotaskmem owner(block); // freed on every road
    if (FAILED(hr) || block == nullptr || size < sizeof(DWORD)) {
        return FALSE;
    }
    DWORD first = 0;
    std::memcpy(&first, block, sizeof(first));
    return first != 0;
}

HRESULT Tool_GetDelayTimeFromConfig(void* pArg1, void* pArg2, void*, void*, void*) {
    return pArg1 == nullptr || pArg2 == nullptr ? E_INVALIDARG : S_OK;
}
