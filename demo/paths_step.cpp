// Typical data-file paths split into their elements, and the process temporary folder made,
// used for a scratch name and removed again.
#include "OVSTools2.h"
#include "demo_steps.h"

#include <cstdio>

namespace demo {

void RunPathsStep() {
    Heading("Paths: elements of data-file paths");
    const char* const paths[] = {
        "C:\\Orvantiscope\\Data\\Project1\\Run01.lcd",
        "\\\\labserver\\share\\Results\\Batch.2026.12.lcb",
        "C:\\Orvantiscope\\Data\\Project1\\",
        "[OldVer=1]\\C#\\Orvantiscope\\Data\\Run01.lcd",
    };
    for (const char* path : paths) {
        CString dir;
        CString name;
        CString ext;
        CString root;
        CString shortened;
        Tool_SplitFullPath(path, dir, name, ext);
        Tool_GetRootName(path, root);
        Tool_GetAbbreviatePathName(path, shortened, 24);
        std::printf("%s\n", path);
        std::printf("    logical %-5s root [%s] folder [%s] name [%s] extension [%s]\n",
                    Tool_IsLogicalPath(path) ? "yes" : "no", root.GetString(), dir.GetString(),
                    name.GetString(), ext.GetString());
        std::printf("    shortened to 24: %s\n", shortened.GetString());
    }
    CString next("C:\\Orvantiscope\\Data\\Project1\\Run09.lcd");
    Tool_IncreaseFilenameNumber(next, TRUE, 3, FALSE);
    std::printf("next in the series after Run09.lcd: %s\n", next.GetString());

    Heading("Paths: the process temporary folder");
    Tool_SwitchToProcessTempPath();
    CString folder;
    Tool_GetProcessTempPathString(folder);
    std::printf("process folder: %s (exists: %s)\n", folder.GetString(),
                GetFileAttributesA(folder) != INVALID_FILE_ATTRIBUTES ? "yes" : "no");
    char scratch[MAX_PATH] = "";
    if (Tool_GenerateTempFileName("run", "lcd", scratch, sizeof scratch)) {
        std::printf("scratch name:   %s\n", scratch);
    }
    Tool_DeleteProcessTempPath();
    std::printf("after removal:  exists: %s\n",
                GetFileAttributesA(folder) != INVALID_FILE_ATTRIBUTES ? "yes" : "no");
}

} // namespace demo
