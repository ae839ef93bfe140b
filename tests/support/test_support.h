// Test support: a clean product registry tree, a temporary folder per test, and a second real
// process of the same test executable started in a named mode with its own environment.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "unique_resource.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ovs::test {

// Deletes the product's machine-wide tree before and after each test.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

void ResetProductRegistry();

// A fresh folder below the prefix's temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

// A "Log Path" of its own with a Debug folder below it, written to the product's registry tree, so
// that a process opening its debug report afterwards writes there. Create it after the registry
// fixture has reset the tree.
class ReportFolder {
public:
    ReportFolder();
    const std::string& logPath() const { return m_folder.path(); }
    std::string debugFolder() const { return m_folder.path() + "\\Debug"; }
    // Debug\DbgReport_<this executable>_Inst_<instance><suffix>.log
    std::string reportFile(const std::string& instanceText = "001", const std::string& suffix = "") const;

private:
    TempFolder m_folder;
};

// The file name of this executable without folder and extension.
std::string ExecutableBaseName();

void RemoveTree(const std::string& path);
std::string ReadFileText(const std::string& path);
bool FileExists(const std::string& path);
std::vector<std::string> SplitLines(const std::string& text); // on "\r\n"

// A child mode: gets the arguments after the mode name, returns the process's exit code.
using ChildMain = std::function<int(const std::vector<std::string>& args)>;

// Registers a mode at static-initialisation time: static ChildMode m("name", [](auto& a) {...});
struct ChildMode {
    ChildMode(const char* name, ChildMain main);
};

struct ChildResult {
    DWORD exitCode;
    bool finished;
};

// This executable, and its folder: the build's bin folder, where the stand-ins are.
std::string ExecutablePath();
std::string ExecutableFolder();

// Starts a program with the arguments and the environment variables added or replaced, without
// waiting for it; the handle of the process, or none when it could not start (GetLastError tells why).
unique_handle StartProgram(const std::string& program, const std::vector<std::string>& args = {},
                           const std::map<std::string, std::string>& environment = {});

// Starts this executable as "--child <mode> args..." without waiting for it.
unique_handle StartChild(const std::string& mode, const std::vector<std::string>& args = {},
                         const std::map<std::string, std::string>& environment = {});

// The same, waiting for its end (at most timeoutMs).
ChildResult RunChild(const std::string& mode, const std::vector<std::string>& args = {},
                     const std::map<std::string, std::string>& environment = {}, DWORD timeoutMs = 60000);

// Starts a program with the arguments and environment changes, and waits for its end.
ChildResult RunProgram(const std::string& program, const std::vector<std::string>& args = {},
                       const std::map<std::string, std::string>& environment = {}, DWORD timeoutMs = 60000);

// Calls an export HRESULT __stdcall f() of a loaded server module (DllRegisterServer and the like);
// E_NOTIMPL when the module has no such export.
HRESULT CallServerFunction(HMODULE module, const char* function);

// A program that another program starts with a command line of its own choosing (a copy of the test
// executable, or the executable started through the library) runs the child mode "mode|arg|arg..."
// named by this variable of its environment.
inline constexpr char kChildVariable[] = "OVS_TEST_CHILD";

// Runs a child mode if the command line (or the variable above) names one and gives its result;
// nothing otherwise.
std::optional<int> DispatchChild(int argc, char** argv);

} // namespace ovs::test
