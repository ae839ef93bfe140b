// A child mode run where Wine also names files in code page 932. Wine converts file names through
// the Unix locale, which RunChildInLocale only names: when ja_JP.UTF-8 is not installed, double-byte
// file names do not reach the disk intact. This makes the Unix locale ja_JP.UTF-8 for the run with
// localedef, in a folder of its own (LOCPATH), and runs the child there.
#pragma once

#include "locale_child.h"

#include <optional>
#include <string>

namespace ovs::test {

namespace detail {

// The Unix path of a folder of the prefix, or empty.
inline std::string UnixPath(const std::string& path) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH];
    char* name = unixName != nullptr && MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) != 0
                     ? unixName(wide)
                     : nullptr;
    const std::string result = name != nullptr ? name : "";
    if (name != nullptr) {
        HeapFree(GetProcessHeap(), 0, name);
    }
    return result;
}

// Runs localedef as a Unix program; it has no handle to wait on, so its end is seen by the file it
// touches last.
inline bool MakeJapaneseUnixLocale(const std::string& folder, const std::string& unixFolder) {
    std::string command = "/bin/sh -c \"localedef -i ja_JP -f UTF-8 '" + unixFolder +
                          "/ja_JP.UTF-8' >/dev/null 2>&1; touch '" + unixFolder + "/done'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    unique_handle processHandle(process.hProcess);
    unique_handle threadHandle(process.hThread);
    for (int i = 0; i < 1200 && !FileExists(folder + "\\done"); ++i) {
        Sleep(100);
    }
    return FileExists(folder + "\\ja_JP.UTF-8\\LC_CTYPE");
}

} // namespace detail

// Runs the child mode with the made locale; nothing when the locale could not be made (or not
// under Wine).
inline std::optional<ChildResult> RunChildInJapaneseUnixLocale(const std::string& mode,
                                                               const std::vector<std::string>& args = {}) {
    if (!RunsUnderWine()) {
        return std::nullopt;
    }
    // Below /tmp (drive Z: of the prefix): LOCPATH is a list separated by ":", so the folder's Unix
    // path must not pass through the prefix's "c:" link.
    const std::string folder = "Z:\\tmp\\ovstest-locale-" + std::to_string(GetCurrentProcessId());
    RemoveTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string unixFolder = detail::UnixPath(folder);
    std::optional<ChildResult> result;
    if (!unixFolder.empty() && unixFolder.find(':') == std::string::npos &&
        detail::MakeJapaneseUnixLocale(folder, unixFolder)) {
        result = RunChildWithUnixVariable("LOCPATH=" + unixFolder + " LC_ALL=ja_JP.UTF-8", mode, args);
    }
    RemoveTree(folder);
    return result;
}

} // namespace ovs::test
