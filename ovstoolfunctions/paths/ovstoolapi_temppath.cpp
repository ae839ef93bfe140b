// The per-process temporary folder below the common work folder.
#include "ovstooltemppath.h"
#include "ovstoolpaths.h"
#include "ovsreg.h"
#include "callframe.h"
#include "module_state.h"
#include "path_elements.h"
#include "path_join.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kPathSubKey[] = "Path";
constexpr char kWorkPathValue[] = "Work Path";
constexpr char kFolderFormat[] = "Cache_%X_%X";
constexpr char kInvalidWorkPath[] = "Invalid process work path : %s";
constexpr char kTmpVariable[] = "TMP";
constexpr char kTempVariable[] = "TEMP";

// The registry work folder, or the platform's temporary folder when it is empty.
std::string BaseFolder() {
    char folder[MAX_PATH] = "";
    Tool_GetRegistryString(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, kPathSubKey, kWorkPathValue, "",
                           folder, sizeof folder);
    if (folder[0] == '\0') {
        const DWORD length = GetTempPathA(sizeof folder, folder);
        if (length == 0 || length >= sizeof folder) {
            folder[0] = '\0';
        }
    }
    return folder;
}

void SetUp() {
    ovs::ModuleState& module = ovs::Module();
    const std::string base = BaseFolder();
    if (base.size() < MAX_PATH) {
        std::memcpy(module.temporaryFolder, base.c_str(), base.size() + 1);
    }
    char name[32];
    std::snprintf(name, sizeof name, kFolderFormat, static_cast<unsigned>(GetCurrentProcessId()),
                  static_cast<unsigned>(GetTickCount() / 100));
    std::string folder = base;
    if (ovs::LastSingleByteChar(folder) != '\\') {
        folder += '\\';
    }
    folder += name;
    if (folder.size() < MAX_PATH) {
        std::memcpy(module.temporaryFolder, folder.c_str(), folder.size() + 1);
        module.temporaryFolderOwned = true;
        Tool_MakeDirectories(folder.c_str());
    } else {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_ERR, kInvalidWorkPath, folder.c_str());
    }
}

std::string ProcessTempPath() {
    const char* slot = ovs::Module().temporaryFolder;
    return slot[0] != '\0' ? std::string(slot, strnlen(slot, MAX_PATH - 1)) : BaseFolder();
}

} // namespace

void Tool_SwitchToProcessTempPath() {
    if (ovs::Module().temporaryFolder[0] == '\0') {
        SetUp();
    }
    const std::string folder = ProcessTempPath();
    _putenv_s(kTmpVariable, folder.c_str());
    _putenv_s(kTempVariable, folder.c_str());
}

int Tool_GetProcessTempPathString(CString& strFolder) {
    const std::string folder = ProcessTempPath();
    strFolder.SetString(folder.data(), static_cast<int>(folder.size()));
    return 1;
}

int Tool_GetProcessTempPath(LPSTR szBuffer, DWORD dwBufferSize) {
    OVS_REQUIRE_ARG("Tool_GetProcessTempPath", szBuffer != nullptr && dwBufferSize > 0, 0);
    const std::string folder = ProcessTempPath();
    if (folder.size() >= dwBufferSize) {
        szBuffer[0] = '\0';
        return 0;
    }
    std::memcpy(szBuffer, folder.c_str(), folder.size() + 1);
    return static_cast<int>(folder.size());
}

void Tool_DeleteProcessTempPath() {
    const ovs::ModuleState& module = ovs::Module();
    if (module.temporaryFolder[0] != '\0' && module.temporaryFolderOwned &&
        ovs::paths::IsExistingFolder(module.temporaryFolder)) {
        Tool_DeleteDirectoryFiles(module.temporaryFolder, TRUE);
    }
}
