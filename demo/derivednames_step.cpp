// The names derived from a sample data file, and a small data tree copied twice automatically.
#include "OVSTools2.h"
#include "demo_steps.h"
#include "unique_resource.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace demo {

namespace {

void ShowDerivedNames(const std::string& folder) {
    const std::string data = folder + "\\Run01.lcd";
    std::ofstream(folder + "\\Run01.CDF") << "an earlier export";
    CString name;
    Tool_GetAIAFileNameFromDataFileName(data.c_str(), name, FALSE);
    std::printf("AIA export (Run01.CDF taken): %s\n", name.GetString());
    Tool_GetAIAFileNameFromDataFileNameSegEv(data.c_str(), name, FALSE, 1, 3);
    std::printf("AIA export, segment 1 event 3: %s\n", name.GetString());
    Tool_GetConvertFileNameFromDataFileName(data.c_str(), name, FALSE, 1);
    std::printf("JCAMP-DX conversion: %s\n", name.GetString());
    Tool_GetOVSsolutionFileNameFromOldSystemFileName((folder + "\\Sample.rfr").c_str(), 2, name, TRUE);
    std::printf("old-system Sample.rfr, GC: %s\n", name.GetString());
    char buffer[MAX_PATH];
    Tool_GetConfigFileName(FALSE, 1, buffer, sizeof buffer);
    std::printf("configuration of system 1: %s\n", buffer);
    Tool_GetRestoreAppInfoFileName(1, buffer, sizeof buffer, FALSE);
    std::printf("restore information of system 1: %s\n", buffer);
}

// Prints the files of the copy tree's Proj folder.
void ShowCopies(const std::string& copies) {
    WIN32_FIND_DATAA found;
    const ovs::unique_find find(FindFirstFileA((copies + "\\*.lcd").c_str(), &found));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find.get(), &found)) {
        std::printf("    %s\\%s\n", copies.c_str(), found.cFileName);
    }
}

} // namespace

void RunDerivedNamesStep() {
    Heading("Derived file names and data file auto copy");
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "ovsdemo_derived";
    const std::string proj = folder + "\\Orvantiscope\\Data\\Proj";
    Tool_MakeDirectories(proj.c_str());
    ShowDerivedNames(folder);

    // The data folder is the default "\Orvantiscope\Data": the copies mirror the folders below it.
    const std::string data = proj + "\\Run01.lcd";
    std::ofstream(data) << "LC data";
    const std::string target = folder + "\\Copies";
    for (int copy = 1; copy <= 2; ++copy) {
        const BOOL copied = Tool_DataFileAutoCopy(data.c_str(), target.c_str(), OVS_REG_PRODUCT_ROOT);
        std::printf("copy %d of %s: %s\n", copy, data.c_str(), copied ? "done" : "failed");
    }
    ShowCopies(target + "\\Proj");
    Tool_DeleteDirectoryFiles(folder.c_str(), TRUE);
}

} // namespace demo
