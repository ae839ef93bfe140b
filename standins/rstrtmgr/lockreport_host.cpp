// A host that writes one lock report for the file it is given into its debug report (instance 1),
// beside the Restart Manager stand-in, which it loads in place of the platform's.
#include "ovstooldbgreport.h"
#include "ovstooldump.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    if (!Tool_InitDbgReportEx(1, OVS_DBGMASK_ERR | OVS_DBGMASK_WRN, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 1,
                              "B", "A")) {
        return 3;
    }
    Tool_Report_FileLockProcess(argv[1]);
    return 0;
}
