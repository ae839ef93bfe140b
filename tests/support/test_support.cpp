#include "test_support.h"
#include "ovsreg.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace ovs::test {

namespace {

constexpr char kProductTree[] = "SOFTWARE\\VELDORAN";

std::map<std::string, ChildMain>& Modes() {
    static std::map<std::string, ChildMain> modes;
    return modes;
}

std::string Quote(const std::string& arg) {
    return "\"" + arg + "\"";
}

// The current environment with the given variables replaced, as a block for CreateProcess.
std::string EnvironmentBlock(const std::map<std::string, std::string>& overrides) {
    std::map<std::string, std::string> variables;
    LPCH strings = GetEnvironmentStringsA();
    for (LPCH p = strings; *p != '\0'; p += std::strlen(p) + 1) {
        const std::string entry(p);
        const size_t equals = entry.find('=', 1);
        if (equals != std::string::npos) {
            variables[entry.substr(0, equals)] = entry.substr(equals + 1);
        }
    }
    FreeEnvironmentStringsA(strings);
    for (const auto& [name, value] : overrides) {
        variables[name] = value;
    }
    std::string block;
    for (const auto& [name, value] : variables) {
        block += name + "=" + value;
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

} // namespace

void ResetProductRegistry() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProductTree);
}

void RegistryTest::SetUp() {
    ResetProductRegistry();
}
void RegistryTest::TearDown() {
    ResetProductRegistry();
}

TempFolder::TempFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static LONG counter = 0;
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "%sovstest_%lu_%ld", base, GetCurrentProcessId(),
                  InterlockedIncrement(&counter));
    m_path = name;
    RemoveTree(m_path);
    CreateDirectoryA(m_path.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    RemoveTree(m_path);
}

ReportFolder::ReportFolder() {
    CreateDirectoryA(debugFolder().c_str(), nullptr);
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Path", "Log Path",
                             logPath().c_str());
}

std::string ReportFolder::reportFile(const std::string& instanceText, const std::string& suffix) const {
    return debugFolder() + "\\DbgReport_" + ExecutableBaseName() + "_Inst_" + instanceText + suffix + ".log";
}

std::string ExecutableBaseName() {
    char module[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    std::string name(module, length < sizeof module ? length : 0);
    name = name.substr(name.find_last_of("\\/") + 1);
    return name.substr(0, name.find_last_of('.'));
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

std::string ReadFileText(const std::string& path) {
    // Opened with full sharing, so a report that a process still holds can be read.
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::string();
    }
    std::string text;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) {
        text.append(chunk, read);
    }
    CloseHandle(file);
    return text;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

ChildMode::ChildMode(const char* name, ChildMain main) {
    Modes()[name] = std::move(main);
}

unique_handle StartProgram(const std::string& program, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& environment) {
    std::string commandLine = Quote(program);
    for (const std::string& arg : args) {
        commandLine += " " + Quote(arg);
    }
    std::string block = EnvironmentBlock(environment);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, block.data(),
                        nullptr, &startup, &process)) {
        return unique_handle();
    }
    CloseHandle(process.hThread);
    return unique_handle(process.hProcess);
}

std::string ExecutablePath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

std::string ExecutableFolder() {
    const std::string self = ExecutablePath();
    return self.substr(0, self.find_last_of('\\'));
}

namespace {

std::vector<std::string> ChildArgs(const std::string& mode, const std::vector<std::string>& args) {
    std::vector<std::string> childArgs = {"--child", mode};
    childArgs.insert(childArgs.end(), args.begin(), args.end());
    return childArgs;
}

} // namespace

unique_handle StartChild(const std::string& mode, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& environment) {
    return StartProgram(ExecutablePath(), ChildArgs(mode, args), environment);
}

ChildResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::map<std::string, std::string>& environment, DWORD timeoutMs) {
    const unique_handle process = StartProgram(program, args, environment);
    if (!process) {
        return {GetLastError(), false};
    }
    const bool finished = WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0;
    DWORD exitCode = 0;
    GetExitCodeProcess(process.get(), &exitCode);
    if (!finished) {
        TerminateProcess(process.get(), 1);
    }
    return {exitCode, finished};
}

ChildResult RunChild(const std::string& mode, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& environment, DWORD timeoutMs) {
    return RunProgram(ExecutablePath(), ChildArgs(mode, args), environment, timeoutMs);
}

std::optional<int> DispatchChild(int argc, char** argv) {
    std::vector<std::string> words;
    if (argc >= 3 && std::string(argv[1]) == "--child") {
        words.assign(argv + 2, argv + argc);
    } else if (const char* inherited = std::getenv(kChildVariable);
               inherited != nullptr && *inherited != '\0') {
        std::stringstream parts(inherited);
        for (std::string word; std::getline(parts, word, '|');) {
            words.push_back(word);
        }
    } else {
        return std::nullopt;
    }
    const auto mode = Modes().find(words[0]);
    if (mode == Modes().end()) {
        std::fprintf(stderr, "unknown child mode %s\n", words[0].c_str());
        return 2;
    }
    return mode->second(std::vector<std::string>(words.begin() + 1, words.end()));
}

HRESULT CallServerFunction(HMODULE module, const char* function) {
    using Function = HRESULT(__stdcall*)();
    auto f = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, function)));
    return f != nullptr ? f() : E_NOTIMPL;
}

} // namespace ovs::test
