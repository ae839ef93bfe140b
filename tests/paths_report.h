// The debug report of a test process, opened once in a folder of its own, so that tests can look
// for the lines the library writes.
#pragma once

#include "test_support.h"
#include "ovstooldbgreport.h"

#include <string>

namespace ovs::test {

inline const std::string& PathsReportFile() {
    static const std::string path = [] {
        ResetProductRegistry();
        static ReportFolder folder;
        Tool_InitDbgReportEx(1, OVS_DBGMASK_ERR | OVS_DBGMASK_WRN | OVS_DBGMASK_INF | OVS_DBGMASK_DBG,
                             0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 1, "B", "A");
        ResetProductRegistry();
        return folder.reportFile();
    }();
    return path;
}

// Whether some line of the report contains the text.
inline bool ReportContains(const std::string& text) {
    return ReadFileText(PathsReportFile()).find(text) != std::string::npos;
}

// How many lines of the report contain the text.
inline int ReportCount(const std::string& text) {
    int count = 0;
    for (const std::string& line : SplitLines(ReadFileText(PathsReportFile()))) {
        count += line.find(text) != std::string::npos ? 1 : 0;
    }
    return count;
}

} // namespace ovs::test
