// Minidumps of the calling process, written through dbghelp, which is loaded for each dump.
#include "ovstooldump.h"

#include "dbgreport_file.h"
#include "local_clock.h"
#include "ovsreg.h"
#include "unique_resource.h"

#include <dbghelp.h>

#include <cstdio>

namespace {

constexpr char kDbgHelpLibrary[] = "dbghelp.dll";
constexpr char kMiniDumpWriteDump[] = "MiniDumpWriteDump";
constexpr char kDumpFolderFormat[] = "%s\\Debug\\Dump\\";
constexpr char kDumpNameFormat[] = "CrashDump_%s_%ld";
constexpr char kDumpExtension[] = ".dmp";
constexpr char kOptionSubKey[] = "Option";
constexpr char kDumpTypeValue[] = "DumpType";
constexpr int kDefaultDumpType = 289; // data segments, unloaded modules, process and thread data
constexpr int kFullDumpSetting = -1;  // stands for the full dump type below
constexpr int kFullDumpType = 6182;   // full memory, handles, unloaded modules, memory and thread info

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                          PMINIDUMP_EXCEPTION_INFORMATION, PMINIDUMP_USER_STREAM_INFORMATION,
                                          PMINIDUMP_CALLBACK_INFORMATION);

CString DefaultDumpPath() {
    const SYSTEMTIME now = ovs::LocalNow();
    char stamp[32];
    _snprintf(stamp, sizeof stamp - 1, "%04u%02u%02u%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
              now.wMinute, now.wSecond);
    stamp[sizeof stamp - 1] = '\0';
    CString folder;
    folder.Format(kDumpFolderFormat, ovs::dbgreport::LogPath().c_str());
    CString name;
    name.Format(kDumpNameFormat, stamp, static_cast<long>(GetCurrentProcessId()));
    return folder + name + kDumpExtension;
}

MINIDUMP_TYPE DumpType() {
    const int setting = Tool_GetRegistryInt(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, kOptionSubKey,
                                            kDumpTypeValue, kDefaultDumpType);
    return static_cast<MINIDUMP_TYPE>(setting == kFullDumpSetting ? kFullDumpType : setting);
}

} // namespace

HRESULT Tool_CreateDump(EXCEPTION_POINTERS* pExceptionPointers, CString& strDumpPath) {
    const ovs::unique_hmodule dbghelp(LoadLibraryA(kDbgHelpLibrary));
    const auto writeDump = dbghelp ? reinterpret_cast<MiniDumpWriteDumpFn>(reinterpret_cast<void*>(
                                         GetProcAddress(dbghelp.get(), kMiniDumpWriteDump)))
                                   : nullptr;
    if (writeDump == nullptr) {
        return E_FAIL;
    }
    if (strDumpPath.IsEmpty()) {
        strDumpPath = DefaultDumpPath();
    }
    const ovs::unique_hfile file(CreateFileA(strDumpPath.GetString(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return E_FAIL;
    }
    MINIDUMP_EXCEPTION_INFORMATION exception = {GetCurrentThreadId(), pExceptionPointers, FALSE};
    const BOOL written = writeDump(GetCurrentProcess(), GetCurrentProcessId(), file.get(), DumpType(),
                                   pExceptionPointers != nullptr ? &exception : nullptr, nullptr, nullptr);
    return written ? S_OK : E_FAIL;
}
