// A Restart Manager with the four entry points the library uses. Every session gets a key; every
// file is held by the processes the environment names, listed with their real start times (or a
// wrong one when marked) and an application name; more holders than there is room for give
// ERROR_MORE_DATA as the real service does.
#include "rstrtmgr_standin.h"

#include <windows.h>
#include <restartmanager.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kSessionKey[] = L"0123456789abcdef0123456789abcdef";

struct Holder {
    DWORD pid;
    bool wrongStartTime;
};

std::vector<Holder> Holders() {
    char value[1024];
    const DWORD length = GetEnvironmentVariableA(kRestartManagerHoldersVariable, value, sizeof value);
    std::vector<Holder> holders;
    if (length == 0 || length >= sizeof value) {
        return holders;
    }
    for (char* cursor = value; *cursor != '\0';) {
        char* end = nullptr;
        const unsigned long pid = std::strtoul(cursor, &end, 10);
        if (end == cursor) {
            break;
        }
        const bool wrong = *end == kWrongStartTimeMarker;
        holders.push_back({static_cast<DWORD>(pid), wrong});
        cursor = end + (wrong ? 1 : 0);
        if (*cursor == ',') {
            ++cursor;
        }
    }
    return holders;
}

FILETIME StartTime(DWORD pid) {
    FILETIME created = {};
    if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
        FILETIME unused[3];
        GetProcessTimes(process, &created, &unused[0], &unused[1], &unused[2]);
        CloseHandle(process);
    }
    return created;
}

} // namespace

extern "C" {

DWORD WINAPI RmStartSession(DWORD* pSessionHandle, DWORD /*dwSessionFlags*/, WCHAR strSessionKey[]) {
    if (pSessionHandle == nullptr || strSessionKey == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *pSessionHandle = 1;
    wcscpy(strSessionKey, kSessionKey);
    return ERROR_SUCCESS;
}

DWORD WINAPI RmRegisterResources(DWORD /*dwSessionHandle*/, UINT nFiles, LPCWSTR rgsFileNames[],
                                 UINT /*nApplications*/, RM_UNIQUE_PROCESS* /*rgApplications*/,
                                 UINT /*nServices*/, LPCWSTR* /*rgsServiceNames*/) {
    return nFiles > 0 && rgsFileNames == nullptr ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
}

DWORD WINAPI RmGetList(DWORD /*dwSessionHandle*/, UINT* pnProcInfoNeeded, UINT* pnProcInfo,
                       RM_PROCESS_INFO rgAffectedApps[], LPDWORD lpdwRebootReasons) {
    if (pnProcInfoNeeded == nullptr || pnProcInfo == nullptr || lpdwRebootReasons == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::vector<Holder> holders = Holders();
    *pnProcInfoNeeded = static_cast<UINT>(holders.size());
    *lpdwRebootReasons = 0;
    if (holders.size() > *pnProcInfo) {
        return ERROR_MORE_DATA;
    }
    *pnProcInfo = static_cast<UINT>(holders.size());
    for (size_t i = 0; i < holders.size(); ++i) {
        RM_PROCESS_INFO& info = rgAffectedApps[i];
        info = RM_PROCESS_INFO{};
        info.Process.dwProcessId = holders[i].pid;
        info.Process.ProcessStartTime = StartTime(holders[i].pid);
        if (holders[i].wrongStartTime) {
            ++info.Process.ProcessStartTime.dwLowDateTime;
        }
        swprintf(info.strAppName, CCH_RM_MAX_APP_NAME + 1, kHolderAppNameFormat,
                 static_cast<unsigned long>(holders[i].pid));
        info.ApplicationType = RmUnknownApp;
    }
    return ERROR_SUCCESS;
}

DWORD WINAPI RmEndSession(DWORD /*dwSessionHandle*/) {
    return ERROR_SUCCESS;
}

} // extern "C"
