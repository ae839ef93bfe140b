// The product's folders in the registry and the debug report of the demo process.
#include "OVSTools2.h"
#include "demo_steps.h"

#include <cstdio>
#include <string>

namespace demo {
namespace {

constexpr char kPathSubKey[] = "Path";
constexpr DWORD kReportLimit = 1500; // bytes, small enough that a few lines force a rotation

struct FolderSetting {
    const char* valueName;
    const char* folder;
};

std::string DemoRoot() {
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof temp, temp);
    std::string root(temp, length > 0 && length < sizeof temp ? length : 0);
    return root + "ovsdemo";
}

void EmptyFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            DeleteFileA((folder + "\\" + found.cFileName).c_str());
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void WriteFolderSettings(const std::string& root) {
    const std::string log = root + "\\Log", system = root + "\\System", work = root + "\\Work",
                      data = root + "\\Data", program = root + "\\Program";
    const FolderSetting settings[] = {{"Log Path", log.c_str()},
                                      {"Sys Path", system.c_str()},
                                      {"Work Path", work.c_str()},
                                      {"Data Path", data.c_str()},
                                      {"Prog Path", program.c_str()}};
    for (const FolderSetting& setting : settings) {
        CreateDirectoryA(setting.folder, nullptr);
        Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, kPathSubKey, setting.valueName,
                                 setting.folder);
        char readBack[MAX_PATH];
        Tool_GetRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, kPathSubKey, setting.valueName, "(missing)",
                               readBack, sizeof readBack);
        std::printf("%-10s = %s\n", setting.valueName, readBack);
    }
    char keyName[256];
    Tool_GetRegistryKeyName(OVS_REG_PRODUCT_ROOT, nullptr, 0, kPathSubKey, keyName, sizeof keyName);
    std::printf("(under HKEY_LOCAL_MACHINE\\%s)\n", keyName);
}

} // namespace

void RunFoundationStep() {
    Heading("Registry folders");
    const std::string root = DemoRoot();
    CreateDirectoryA(root.c_str(), nullptr);
    WriteFolderSettings(root);

    Heading("Debug report");
    const std::string debugFolder = root + "\\Log\\Debug";
    CreateDirectoryA(debugFolder.c_str(), nullptr);
    EmptyFolder(debugFolder);
    const DWORD everyLevel =
        OVS_DBGMASK_ERR | OVS_DBGMASK_WRN | OVS_DBGMASK_TMG | OVS_DBGMASK_INF | OVS_DBGMASK_DBG;
    if (!Tool_InitDbgReportEx(1, everyLevel, 0, kReportLimit, 0, 2, "B", "A")) {
        std::printf("the debug report could not be opened below %s\n", debugFolder.c_str());
        return;
    }
    Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_INF, "demo host started, build %s", "2.0.0");
    Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_DBG, "-->%s", "RunFoundationStep");
    Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_WRN, "    [%s] = [0x%08X]", "hr", 0x80004005u);
    Tool_DbgReport(nullptr, 123, OVS_DBG_ERR, "%s", "a line without a source file");
    Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_TMG, "%s", "Sleep(10) in the demo");
    // Lines until the report passes its limit and is copied to its first backup.
    for (int line = 1; line <= 12; ++line) {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_DBG, "filler line %d to force a rotation", line);
    }
    Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_DBG, "<--%s", "RunFoundationStep");

    const std::string report = debugFolder + "\\DbgReport_ovsdemo_Inst_001";
    PrintFile(report + "_B001.log");
    PrintFile(report + ".log");
}

} // namespace demo
