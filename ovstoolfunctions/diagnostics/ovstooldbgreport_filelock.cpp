// Which processes hold a file open, as the Restart Manager tells, written to the debug report. The
// Restart Manager and the process-path query are loaded by name, so that a platform without them
// takes the failure road.
#include "ovstooldump.h"

#include "callframe.h"
#include "ovstoolmodule.h"
#include "unique_resource.h"
#include "wide_text.h"

#include <restartmanager.h>

#include <string>

namespace {

constexpr char kKernelLibrary[] = "Kernel32.dll";
constexpr char kRestartManagerLibrary[] = "Rstrtmgr.dll";
constexpr char kRequiresWindows7[] = "Required Windows 7 or later.";
constexpr char kCheckedFormat[] = "Check locked file : %s";
constexpr char kNotLocked[] = "\nFile is not locked.";
constexpr char kHolderFormat[] = "\nLock process : %s";
constexpr char kFailedFormat[] = "Fail to check file lock process: %s";
constexpr char kHolderPathFormat[] = "(%ld) %s";
constexpr UINT kMaxHolders = 10;
constexpr DWORD kMaxImagePath = 260;

using QueryFullProcessImageNameWFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
using RmStartSessionFn = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
using RmRegisterResourcesFn = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT, LPCWSTR*);
using RmGetListFn = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, LPDWORD);
using RmEndSessionFn = DWORD(WINAPI*)(DWORD);

template <typename Fn>
Fn Entry(const ovs::unique_hmodule& module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module.get(), name)))
                  : nullptr;
}

struct Services {
    ovs::unique_hmodule kernel{LoadLibraryA(kKernelLibrary)};
    ovs::unique_hmodule restartManager{LoadLibraryA(kRestartManagerLibrary)};
    QueryFullProcessImageNameWFn queryImageName =
        Entry<QueryFullProcessImageNameWFn>(kernel, "QueryFullProcessImageNameW");
    RmStartSessionFn startSession = Entry<RmStartSessionFn>(restartManager, "RmStartSession");
    RmRegisterResourcesFn registerResources =
        Entry<RmRegisterResourcesFn>(restartManager, "RmRegisterResources");
    RmGetListFn getList = Entry<RmGetListFn>(restartManager, "RmGetList");
    RmEndSessionFn endSession = Entry<RmEndSessionFn>(restartManager, "RmEndSession");

    bool Complete() const {
        return queryImageName != nullptr && startSession != nullptr && registerResources != nullptr &&
               getList != nullptr && endSession != nullptr;
    }
};

std::wstring Wide(LPCSTR text, UINT codePage) {
    const int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

// The holders the Restart Manager lists for the file; false when any step fails. A started session
// always ends. Wine's Restart Manager succeeds without filling the session key (and lists nobody),
// so an empty key counts as a failed start; the real service always fills it.
bool ListHolders(const Services& services, LPCSTR path, RM_PROCESS_INFO (&holders)[kMaxHolders],
                 UINT& count) {
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (services.startSession(&session, 0, key) != ERROR_SUCCESS) {
        return false;
    }
    bool listed = false;
    if (key[0] != L'\0') {
        const std::wstring widePath = Wide(path, CP_THREAD_ACP);
        LPCWSTR files[] = {widePath.c_str()};
        UINT needed = 0;
        count = kMaxHolders;
        DWORD reasons = 0;
        listed = !widePath.empty() &&
                 services.registerResources(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS &&
                 services.getList(session, &needed, &count, holders, &reasons) == ERROR_SUCCESS;
    }
    services.endSession(session);
    return listed;
}

// "(pid) path" when the process still is the one listed, else the listed application name.
CString HolderDescription(const Services& services, const RM_PROCESS_INFO& holder) {
    const DWORD pid = holder.Process.dwProcessId;
    const ovs::unique_handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    FILETIME created = {};
    FILETIME unused[3] = {};
    if (process && GetProcessTimes(process.get(), &created, &unused[0], &unused[1], &unused[2]) &&
        CompareFileTime(&created, &holder.Process.ProcessStartTime) == 0) {
        WCHAR image[kMaxImagePath];
        DWORD size = kMaxImagePath;
        if (services.queryImageName(process.get(), 0, image, &size)) {
            CString description;
            description.Format(kHolderPathFormat, static_cast<long>(pid), ovs::NarrowText(image).c_str());
            return description;
        }
    }
    return CString(ovs::NarrowText(holder.strAppName).c_str());
}

} // namespace

void Tool_Report_FileLockProcess(LPCSTR szFilePath) {
    if (!Tool_IsWin7orLater()) {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_WRN, "%s", kRequiresWindows7);
        return;
    }
    const LPCSTR path = szFilePath != nullptr ? szFilePath : "";
    CString message;
    const Services services;
    RM_PROCESS_INFO holders[kMaxHolders] = {};
    UINT count = 0;
    if (services.Complete() && path[0] != '\0' && ListHolders(services, path, holders, count)) {
        message.Format(kCheckedFormat, path);
        if (count == 0) {
            message += kNotLocked;
        }
        for (UINT i = 0; i < count && i < kMaxHolders; ++i) {
            message.AppendFormat(kHolderFormat, HolderDescription(services, holders[i]).GetString());
        }
    } else {
        message.Format(kFailedFormat, path);
    }
    const LPCSTR strLogMessage = message.GetString();
    OVS_TRACE_FAILURE_VALUE("%s", strLogMessage);
}
