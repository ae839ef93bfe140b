// A small peak table formatted by data-format settings written to the current user's settings
// first, with digit grouping: once in this process's locale and once in a process whose locale
// has a comma decimal point.
#include "demo_steps.h"

#include "OVSTools2.h"
#include "ovsregcurrentuser.h"
#include "unique_resource.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace demo {

namespace {

constexpr char kTableSwitch[] = "--numbers-table";
constexpr char kCommaLocale[] = "de_DE.UTF-8";
constexpr DWORD kChildTimeoutMs = 60000;

struct Column {
    const char* title;
    const char* formatName; // value name under the current user's DataFormat key
    const char* formatText; // kind,decimals,significant digits,fourth value
};

const Column kColumns[] = {
    {"R.Time", "R.Time", "1,3,0,1"},
    {"Area", "Area", "1,0,0,1"},
    {"Height", "Height", "1,1,0,1"},
    {"Conc.", "Conc.", "4,0,4,1"},
};

const double kPeaks[][4] = {
    {1.2345, 123456.789, 9876.54, 0.0123456},
    {3.4567, 2345678.949, 154321.05, 12.345678},
    {12.98765, 98765432.1, 1234567.85, 1234.56789},
    {25.5, 1500.4, 90.25, 0.000045678},
};

bool RunsUnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string SelfPath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

void PrintTable() {
    std::printf("decimal point \"%s\", thousands separator \"%s\"\n",
                Tool_GetStringDecimalPoint().GetString(), Tool_GetStringThousandsSep().GetString());
    OVS_DATAFORMAT formats[4];
    for (int i = 0; i < 4; ++i) {
        Tool_WriteRegCurrentUserString(OVS_REG_PRODUCT_ROOT, "DataFormat", kColumns[i].formatName,
                                       kColumns[i].formatText);
        Tool_GetRegDataFormat2(kColumns[i].formatName, "1,2,0,1", &formats[i]);
        std::printf("  %-7s kind %u, decimals %u, significant digits %u (\"%s\")\n", kColumns[i].title,
                    formats[i].wKind, formats[i].wDecimals, formats[i].wSignificantDigits,
                    kColumns[i].formatText);
    }
    std::printf("  %4s %10s %16s %14s %12s\n", "Peak", kColumns[0].title, kColumns[1].title,
                kColumns[2].title, kColumns[3].title);
    for (int peak = 0; peak < 4; ++peak) {
        CString cells[4];
        for (int i = 0; i < 4; ++i) {
            Tool_PutCommaCStringDoubleDecimal(&formats[i], OVS_ROUND_HALF_UP, kPeaks[peak][i], cells[i]);
        }
        std::printf("  %4d %10s %16s %14s %12s\n", peak + 1, cells[0].GetString(), cells[1].GetString(),
                    cells[2].GetString(), cells[3].GetString());
    }
    std::fflush(stdout);
}

// Under Wine a process takes its locale from its Unix environment: the table is printed by this
// program started again through /usr/bin/env with a German locale, which signals an event when done.
void PrintTableInCommaLocale() {
    if (!RunsUnderWine()) {
        std::printf("(for the comma locale, run \"ovsdemo %s\" as a user whose locale has a comma decimal "
                    "point)\n",
                    kTableSwitch);
        return;
    }
    const std::string eventName = "Local\\ovsdemo-numbers-" + std::to_string(GetCurrentProcessId());
    ovs::unique_handle done(CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
    std::string command = "/usr/bin/env LC_ALL=" + std::string(kCommaLocale) + " wine \"" + SelfPath() +
                          "\" " + kTableSwitch + " \"" + eventName + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!done || !CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process)) {
        std::printf("(could not start the comma-locale process: %lu)\n", GetLastError());
        return;
    }
    ovs::unique_handle processHandle(process.hProcess);
    ovs::unique_handle threadHandle(process.hThread);
    if (WaitForSingleObject(done.get(), kChildTimeoutMs) != WAIT_OBJECT_0) {
        std::printf("(the comma-locale process did not finish)\n");
    }
}

} // namespace

bool RunNumbersTableSwitch(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], kTableSwitch) != 0) {
        return false;
    }
    PrintTable();
    if (argc >= 3) {
        ovs::unique_handle done(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]));
        SetEvent(done.get());
    }
    return true;
}

void RunNumbersStep() {
    Heading("Numbers: a peak table by data-format settings, digits grouped");
    std::printf("-- this process\n");
    std::fflush(stdout);
    PrintTable();
    std::printf("-- a process with a comma decimal point (%s)\n", kCommaLocale);
    std::fflush(stdout);
    PrintTableInCommaLocale();
}

} // namespace demo
