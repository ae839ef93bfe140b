// Names of a system's files: its configuration file in the system folder and its restore
// information in the work folder.
#include "ovstoolderivednames.h"

#include "caller_buffer.h"
#include "derived_name.h"
#include "ovsreg.h"
#include "ovstoolpaths.h"

#include <io.h>

#include <cstdio>
#include <string>

namespace {

constexpr char kPathSubKey[] = "Path";
constexpr char kSysPathValue[] = "Sys Path";
constexpr char kDefaultSysPath[] = "\\Orvantiscope\\System";
constexpr char kWorkPathValue[] = "Work Path";
constexpr char kDefaultWorkPath[] = "\\Orvantiscope\\Work";
constexpr char kSystemFileSubKey[] = "SystemFile";
constexpr char kConfigValue[] = "SystemConfigFile%ld";
constexpr char kConfigValueSv[] = "SystemConfigFileSV%ld";
constexpr char kDefaultConfig[] = "OVSSys%ld.cfg";
constexpr char kDefaultConfigSv[] = "OVSSysSV%ld.cfg";
constexpr char kJoin[] = "\\";
constexpr char kRestoreFolder[] = "%s\\System%ld\\Restore";
constexpr char kRestoreFile[] = "Acquisition.ini";

std::string ProductPath(LPCSTR subKey, LPCSTR valueName, LPCSTR defaultText) {
    return ovs::filetypes::RegistryPathText(OVS_REG_PRODUCT_ROOT, subKey, valueName, defaultText);
}

// Whole characters of the name, at most nBufferSize - 1 bytes, and a terminator in the last byte.
void CopyToCallerBuffer(LPSTR szBuffer, short nBufferSize, const std::string& name) {
    if (szBuffer == nullptr || nBufferSize < 1) {
        return;
    }
    ovs::CopyWholeCharsToBuffer(szBuffer, static_cast<size_t>(nBufferSize), name.c_str());
    szBuffer[nBufferSize - 1] = '\0';
}

} // namespace

void Tool_GetConfigFileName(BOOL bSvVariant, long nSystemNumber, LPSTR szBuffer, short nBufferSize) {
    char valueName[64];
    char defaultName[64];
    std::snprintf(valueName, sizeof valueName, bSvVariant ? kConfigValueSv : kConfigValue, nSystemNumber);
    std::snprintf(defaultName, sizeof defaultName, bSvVariant ? kDefaultConfigSv : kDefaultConfig,
                  nSystemNumber);
    const std::string folder = ProductPath(kPathSubKey, kSysPathValue, kDefaultSysPath);
    const std::string name = ProductPath(kSystemFileSubKey, valueName, defaultName);
    CopyToCallerBuffer(szBuffer, nBufferSize, folder + kJoin + name);
}

void Tool_GetRestoreAppInfoFileName(long nSystemNumber, LPSTR szBuffer, short nBufferSize, BOOL bCreate) {
    char folder[2 * MAX_PATH];
    std::snprintf(folder, sizeof folder, kRestoreFolder,
                  ProductPath(kPathSubKey, kWorkPathValue, kDefaultWorkPath).c_str(), nSystemNumber);
    if (bCreate && _access(folder, 0) != 0) {
        Tool_MakeDirectories(folder);
    }
    CopyToCallerBuffer(szBuffer, nBufferSize, std::string(folder) + kJoin + kRestoreFile);
}
