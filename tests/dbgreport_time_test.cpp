// The time stamp of each report line is the local time of its writing: it lies between the local
// times read just before and just after the call, in bursts of lines and across pauses.
#include "test_support.h"

#include "OVSTools2.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace ovs::test;

// Local time in milliseconds since 1601, from the system's own conversion.
long long LocalMilliseconds() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME asFileTime;
    SystemTimeToFileTime(&now, &asFileTime);
    return static_cast<long long>((static_cast<ULONGLONG>(asFileTime.dwHighDateTime) << 32) |
                                  asFileTime.dwLowDateTime) /
           10000;
}

// The stamp "yyyy/mm/dd hh:mm:ss.mmm" at the start of a line, in milliseconds since 1601; -1 when
// the line does not start with one.
long long StampMilliseconds(const std::string& line) {
    SYSTEMTIME stamp = {};
    int year, month, day, hour, minute, second, millisecond;
    char tab = 0;
    if (std::sscanf(line.c_str(), "%4d/%2d/%2d %2d:%2d:%2d.%3d%c", &year, &month, &day, &hour, &minute,
                    &second, &millisecond, &tab) != 8 ||
        tab != '\t' || line[4] != '/' || line[19] != '.') {
        return -1;
    }
    stamp.wYear = static_cast<WORD>(year);
    stamp.wMonth = static_cast<WORD>(month);
    stamp.wDay = static_cast<WORD>(day);
    stamp.wHour = static_cast<WORD>(hour);
    stamp.wMinute = static_cast<WORD>(minute);
    stamp.wSecond = static_cast<WORD>(second);
    stamp.wMilliseconds = static_cast<WORD>(millisecond);
    FILETIME asFileTime;
    if (!SystemTimeToFileTime(&stamp, &asFileTime)) {
        return -1;
    }
    return static_cast<long long>((static_cast<ULONGLONG>(asFileTime.dwHighDateTime) << 32) |
                                  asFileTime.dwLowDateTime) /
           10000;
}

class ReportTimeTest : public RegistryTest {};

TEST_F(ReportTimeTest, EachStampLiesBetweenTheTimesAroundItsCall) {
    ReportFolder folder;
    ASSERT_TRUE(Tool_InitDbgReportEx(1, OVS_DBGMASK_INF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 1, "B", "A"));
    struct Window {
        long long before;
        long long after;
    };
    std::vector<Window> windows;
    // Bursts of lines with pauses of different lengths between them, some longer than the clock's
    // own resynchronisation.
    const DWORD pauses[] = {0, 1, 3, 12, 0, 25, 7, 40, 0, 2};
    for (DWORD pause : pauses) {
        Sleep(pause);
        for (int i = 0; i < 200; ++i) {
            Window window;
            window.before = LocalMilliseconds();
            Tool_DbgReport(nullptr, i, OVS_DBG_INF, "line %d after %lu ms", i, pause);
            window.after = LocalMilliseconds();
            windows.push_back(window);
        }
    }
    const std::vector<std::string> lines = SplitLines(ReadFileText(folder.reportFile()));
    ASSERT_EQ(lines.size(), windows.size() + 1);
    long long previous = 0;
    for (size_t i = 0; i < windows.size(); ++i) {
        const std::string& line = lines[i + 1];
        const long long stamp = StampMilliseconds(line);
        ASSERT_NE(stamp, -1) << line;
        // The system's own local time may lag the precise clock by up to one of its ticks.
        EXPECT_GE(stamp, windows[i].before) << line;
        EXPECT_LE(stamp, windows[i].after + 16) << line;
        EXPECT_GE(stamp, previous) << "stamps go back at line " << i << ": " << line;
        previous = stamp;
    }
}

} // namespace
