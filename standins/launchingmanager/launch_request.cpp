#include "launch_request.h"
#include "unique_resource.h"

#include <cstdio>
#include <cstring>
#include <cwctype>
#include <map>
#include <vector>

namespace ovs::manager {

namespace {

constexpr char kGlobalPrefix[] = "Global\\OVSLauncher_";
constexpr char kLocalPrefix[] = "Local\\OVSLauncher_";
constexpr char kNoWindowTrue[] = "NOWINDOW_TRUE";
constexpr char kNoWindowFalse[] = "NOWINDOW_FALSE";
constexpr DWORD kPadding = 3;
constexpr DWORD kLifeTimeSize = 140;

// A section's bytes as the requester laid them out; empty when it is missing or broken.
std::vector<BYTE> ReadSection(const std::string& name, bool lengthPrefixed, std::string& receipt) {
    unique_handle section(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()));
    if (!section) {
        return {};
    }
    unique_view view(MapViewOfFile(section.get(), FILE_MAP_READ, 0, 0, 0));
    MEMORY_BASIC_INFORMATION region = {};
    if (!view || VirtualQuery(view.get(), &region, sizeof region) == 0) {
        return {};
    }
    const auto* bytes = static_cast<const BYTE*>(view.get());
    size_t size = kLifeTimeSize;
    if (lengthPrefixed) {
        DWORD length = 0;
        std::memcpy(&length, bytes, sizeof length);
        size = sizeof length + static_cast<size_t>(length) + kPadding;
        if (length == 0 || size > region.RegionSize || bytes[sizeof length + length - 1] != 0) {
            return {};
        }
    }
    std::vector<BYTE> content(bytes, bytes + size);
    receipt += " " + name.substr(name.find('_') + 1) + "=";
    for (BYTE b : content) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", b);
        receipt += hex;
    }
    return content;
}

bool ReadText(const std::string& name, std::string& receipt, std::string& text) {
    const std::vector<BYTE> content = ReadSection(name, true, receipt);
    if (content.empty()) {
        return false;
    }
    text = reinterpret_cast<const char*>(content.data() + sizeof(DWORD));
    return true;
}

} // namespace

bool ReadRequest(bool global, LaunchRequest& request) {
    request.global = global;
    request.receipt = global ? "G" : "L";
    const std::string prefix = global ? kGlobalPrefix : kLocalPrefix;
    std::string windowMode;
    if (!ReadText(prefix + "LaunchingFileName", request.receipt, request.fileName) ||
        !ReadText(prefix + "LaunchingArguments", request.receipt, request.arguments) ||
        !ReadText(prefix + "LaunchingNoWindow", request.receipt, windowMode) ||
        !ReadText(prefix + "LaunchingExit", request.receipt, request.exitEvent)) {
        return false;
    }
    if (windowMode != kNoWindowTrue && windowMode != kNoWindowFalse) {
        return false;
    }
    request.noWindow = windowMode == kNoWindowTrue;
    if (ReadText(prefix + "LaunchingTimeout", request.receipt, request.timeoutEvent)) {
        const std::vector<BYTE> life = ReadSection(prefix + "LaunchingLifeTimeData", false, request.receipt);
        if (life.empty()) {
            return false;
        }
        request.hasLifeTime = true;
        std::memcpy(&request.lifeTime, life.data(), sizeof(int));
        std::memcpy(&request.virtualMemoryLimit, life.data() + 4, sizeof(int));
        std::memcpy(&request.forceTerminate, life.data() + 8, sizeof(BOOL));
    }
    const std::vector<BYTE> environment = ReadSection(prefix + "LaunchingEnvVars", true, request.receipt);
    if (!environment.empty()) {
        DWORD length = 0;
        std::memcpy(&length, environment.data(), sizeof length);
        if (length % sizeof(wchar_t) != 0) {
            return false;
        }
        request.environment.assign(reinterpret_cast<const wchar_t*>(environment.data() + sizeof length),
                                   length / sizeof(wchar_t) - 1);
    }
    return true;
}

std::wstring MergedEnvironment(const std::wstring& lines) {
    // Names compare without case, as the platform's environment does.
    auto less = [](const std::wstring& a, const std::wstring& b) {
        return _wcsicmp(a.c_str(), b.c_str()) < 0;
    };
    std::map<std::wstring, std::wstring, decltype(less)> variables(less);
    auto add = [&variables](const std::wstring& entry) {
        const size_t equals = entry.find(L'=', 1); // "=C:" style entries begin with '='
        if (equals != std::wstring::npos) {
            variables[entry.substr(0, equals)] = entry.substr(equals + 1);
        }
    };
    if (wchar_t* own = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = own; *entry != L'\0'; entry += wcslen(entry) + 1) {
            add(entry);
        }
        FreeEnvironmentStringsW(own);
    }
    size_t start = 0;
    while (start < lines.size()) {
        size_t end = lines.find(L'\n', start);
        if (end == std::wstring::npos) {
            end = lines.size();
        }
        std::wstring line = lines.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') {
            line.pop_back();
        }
        add(line);
        start = end + 1;
    }
    std::wstring block;
    for (const auto& [name, value] : variables) {
        block += name + L"=" + value;
        block += L'\0';
    }
    block += L'\0';
    return block;
}

} // namespace ovs::manager
