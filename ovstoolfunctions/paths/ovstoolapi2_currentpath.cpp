// The five current folders of the process: where the user last worked on data, methods, batches,
// reports and optimisations.
#include "ovstoolpaths.h"
#include "callframe.h"
#include "module_state.h"

#include <cstring>

namespace {

// Slots of ModuleState::currentFolders.
enum Slot { kData = 0, kMethod = 1, kBatch = 2, kOptimization = 3, kReport = 4 };

int GetSlot(Slot slot, CString& strPath) {
    const char* text = ovs::Module().currentFolders[slot];
    strPath.SetString(text, static_cast<int>(strnlen(text, MAX_PATH - 1)));
    return 0;
}

int SetSlot(LPCSTR function, Slot slot, LPCSTR szPath) {
    OVS_REQUIRE_ARG(function, szPath != nullptr, 0);
    const size_t length = std::strlen(szPath);
    if (length >= MAX_PATH) {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_ERR, "Too Long FilePath : %s", szPath);
        return 0;
    }
    std::memcpy(ovs::Module().currentFolders[slot], szPath, length + 1);
    return 0;
}

} // namespace

int Tool_GetCurrentPathData(CString& strPath) {
    return GetSlot(kData, strPath);
}
int Tool_GetCurrentPathMethod(CString& strPath) {
    return GetSlot(kMethod, strPath);
}
int Tool_GetCurrentPathBatch(CString& strPath) {
    return GetSlot(kBatch, strPath);
}
int Tool_GetCurrentPathReport(CString& strPath) {
    return GetSlot(kReport, strPath);
}
int Tool_GetCurrentPathOptimization(CString& strPath) {
    return GetSlot(kOptimization, strPath);
}

int Tool_SetCurrentPathData(LPCSTR szPath) {
    return SetSlot("Tool_SetCurrentPathData", kData, szPath);
}
int Tool_SetCurrentPathMethod(LPCSTR szPath) {
    return SetSlot("Tool_SetCurrentPathMethod", kMethod, szPath);
}
int Tool_SetCurrentPathBatch(LPCSTR szPath) {
    return SetSlot("Tool_SetCurrentPathBatch", kBatch, szPath);
}
int Tool_SetCurrentPathReport(LPCSTR szPath) {
    return SetSlot("Tool_SetCurrentPathReport", kReport, szPath);
}
int Tool_SetCurrentPathOptimization(LPCSTR szPath) {
    return SetSlot("Tool_SetCurrentPathOptimization", kOptimization, szPath);
}
