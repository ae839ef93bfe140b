// The temporary folder of a process. Every process starts with an empty slot, so each case runs in
// a child process of its own; the parent only prepares the registry and the folders.
#include "paths_report.h"
#include "ovsreg.h"
#include "ovstoolpaths.h"
#include "ovstooltemppath.h"
#include "unique_resource.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using ovs::test::ChildMode;
using ovs::test::FileExists;
using ovs::test::RegistryTest;
using ovs::test::RunChild;
using ovs::test::TempFolder;

namespace {

void SetWorkPath(const std::string& folder) {
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Path", "Work Path",
                             folder.c_str());
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void Touch(const std::string& path) {
    ovs::unique_hfile file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string Variable(const char* name) {
    char value[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::string ProcessTempPath() {
    CString folder;
    Tool_GetProcessTempPathString(folder);
    return folder.GetString();
}

std::string PlatformTempPath() {
    char folder[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    return std::string(folder, length < MAX_PATH ? length : 0);
}

// Each check that fails sets its bit in the exit code.
class Checks {
public:
    void operator()(int bit, bool holds) {
        if (!holds) {
            m_failed |= 1 << bit;
            std::fprintf(stderr, "check %d failed\n", bit);
        }
    }
    int result() const { return m_failed; }

private:
    int m_failed = 0;
};

// args: base folder (may be empty for "none in the registry").
const ChildMode kBeforeSwitch("temp-before-switch", [](const std::vector<std::string>& args) {
    Checks check;
    SetWorkPath(args.at(0));
    const std::string expected = args.at(0).empty() ? PlatformTempPath() : args.at(0);
    check(0, ProcessTempPath() == expected);
    char buffer[MAX_PATH];
    check(1, Tool_GetProcessTempPath(buffer, sizeof buffer) == static_cast<int>(expected.size()));
    check(2, expected == buffer);
    CString folder;
    check(3, Tool_GetProcessTempPathString(folder) == 1);
    // Deleting before any switch does nothing, not even to the base folder.
    Touch(expected + "\\keep.txt");
    Tool_DeleteProcessTempPath();
    check(4, FileExists(expected + "\\keep.txt"));
    DeleteFileA((expected + "\\keep.txt").c_str());
    return check.result();
});

// args: base folder (a last "+" stands for "\", which would escape the closing quote of the
// argument), file to write the process folder into.
const ChildMode kSwitch("temp-switch", [](const std::vector<std::string>& args) {
    Checks check;
    std::string base = args.at(0);
    if (!base.empty() && base.back() == '+') {
        base.back() = '\\';
    }
    SetWorkPath(base);
    Tool_SwitchToProcessTempPath();
    const std::string folder = ProcessTempPath();
    char name[32];
    std::snprintf(name, sizeof name, "Cache_%X_", static_cast<unsigned>(GetCurrentProcessId()));
    const std::string prefix = (base.back() == '\\' ? base : base + "\\") + name;
    check(0, folder.rfind(prefix, 0) == 0);
    check(1, folder.size() > prefix.size() && folder.find('\\', prefix.size()) == std::string::npos);
    check(2, IsFolder(folder));
    check(3, Variable("TMP") == folder && Variable("TEMP") == folder);
    const char* runtimeTmp = std::getenv("TMP");
    check(4, runtimeTmp != nullptr && folder == runtimeTmp);
    check(5, PlatformTempPath() == folder + "\\");
    // A second switch keeps the folder.
    Tool_SwitchToProcessTempPath();
    check(6, ProcessTempPath() == folder);
    // The buffer form: exactly the room for text and terminator, and one byte less.
    std::vector<char> buffer(folder.size() + 3, '#');
    check(7, Tool_GetProcessTempPath(buffer.data() + 1, static_cast<DWORD>(folder.size() + 1)) ==
                 static_cast<int>(folder.size()));
    check(8, folder == buffer.data() + 1 && buffer.front() == '#' && buffer.back() == '#');
    std::fill(buffer.begin(), buffer.end(), '#');
    check(9, Tool_GetProcessTempPath(buffer.data() + 1, static_cast<DWORD>(folder.size())) == 0);
    check(10, buffer[1] == '\0' && buffer[folder.size() + 1] == '#');
    check(11, Tool_GetProcessTempPath(nullptr, 10) == 0);

    Touch(folder + "\\scratch.tmp");
    CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
    Touch(folder + "\\sub\\inner.tmp");
    SetFileAttributesA((folder + "\\sub\\inner.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
    FILE* out = std::fopen(args.at(1).c_str(), "wb");
    if (out != nullptr) {
        std::fputs(folder.c_str(), out);
        std::fclose(out);
    }
    // args[2], when given, names another process's folder that must stay as it is.
    if (args.size() > 2) {
        check(12, IsFolder(args[2]) && FileExists(args[2] + "\\scratch.tmp"));
        check(13, args[2] != folder);
    }
    Tool_DeleteProcessTempPath();
    check(14, !FileExists(folder));
    check(15, IsFolder(base));
    check(16, ProcessTempPath() == folder); // the slot keeps its text
    if (args.size() > 2) {
        check(17, IsFolder(args[2]) && FileExists(args[2] + "\\scratch.tmp"));
    }
    return check.result();
});

// args: base folder, file for the child's folder. Switches, then lets a second process switch and
// end while this one's folder holds files.
const ChildMode kTwoProcesses("temp-two-processes", [](const std::vector<std::string>& args) {
    Checks check;
    const std::string base = args.at(0);
    SetWorkPath(base);
    Tool_SwitchToProcessTempPath();
    const std::string folder = ProcessTempPath();
    Touch(folder + "\\scratch.tmp");
    const ovs::test::ChildResult other = RunChild("temp-switch", {base, args.at(1), folder});
    check(0, other.finished && other.exitCode == 0);
    check(1, IsFolder(folder) && FileExists(folder + "\\scratch.tmp"));
    const std::string otherFolder = ovs::test::ReadFileText(args.at(1));
    check(2, !otherFolder.empty() && otherFolder != folder && !FileExists(otherFolder));
    Tool_DeleteProcessTempPath();
    check(3, !FileExists(folder));
    return check.result();
});

// args: a base folder so long that the process folder would reach 260 bytes.
const ChildMode kLongBase("temp-long-base", [](const std::vector<std::string>& args) {
    Checks check;
    ovs::test::PathsReportFile();
    const std::string base = args.at(0);
    SetWorkPath(base);
    Tool_SwitchToProcessTempPath();
    check(0, ProcessTempPath() == base);
    check(1, Variable("TMP") == base);
    check(2, ovs::test::ReportContains("Invalid process work path : " + base + "\\Cache_"));
    Touch(base + "\\s.t");
    Tool_DeleteProcessTempPath();
    check(3, IsFolder(base) && FileExists(base + "\\s.t"));
    return check.result();
});

class TempFolderTest : public RegistryTest {};

TEST_F(TempFolderTest, BeforeTheSwitchTheBaseFolderServes) {
    TempFolder base;
    const ovs::test::ChildResult registry = RunChild("temp-before-switch", {base.path()});
    ASSERT_TRUE(registry.finished);
    EXPECT_EQ(0u, registry.exitCode);
    const ovs::test::ChildResult platform = RunChild("temp-before-switch", {""});
    ASSERT_TRUE(platform.finished);
    EXPECT_EQ(0u, platform.exitCode);
}

TEST_F(TempFolderTest, SwitchCreatesAndDeleteRemovesTheProcessFolder) {
    TempFolder base;
    TempFolder scratch;
    const ovs::test::ChildResult result = RunChild("temp-switch", {base.path(), scratch / "folder.txt"});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode);
    const std::string folder = ovs::test::ReadFileText(scratch / "folder.txt");
    EXPECT_EQ(base.path() + "\\Cache_", folder.substr(0, base.path().size() + 7));
    EXPECT_FALSE(FileExists(folder));
}

TEST_F(TempFolderTest, BaseWithoutSeparatorOrWithOne) {
    TempFolder base;
    TempFolder scratch;
    const ovs::test::ChildResult result =
        RunChild("temp-switch", {base.path() + "+", scratch / "folder.txt"});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode); // no second separator after the base's own
    EXPECT_EQ(base.path() + "\\Cache_",
              ovs::test::ReadFileText(scratch / "folder.txt").substr(0, base.path().size() + 7));
}

TEST_F(TempFolderTest, TwoProcessesEachHaveTheirOwn) {
    TempFolder base;
    TempFolder scratch;
    const ovs::test::ChildResult result =
        RunChild("temp-two-processes", {base.path(), scratch / "other.txt"});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode);
    EXPECT_TRUE(IsFolder(base.path()));
}

TEST_F(TempFolderTest, LongBaseFolderIsSharedAndNeverRemoved) {
    TempFolder root;
    std::string base = root.path() + "\\" + std::string(120, 'w');
    CreateDirectoryA(base.c_str(), nullptr);
    base += "\\" + std::string(250 - base.size() - 1, 'v'); // + "\Cache_<pid>_<ticks>" passes 259
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    ASSERT_EQ(250u, base.size());
    const ovs::test::ChildResult result = RunChild("temp-long-base", {base});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode);
    EXPECT_TRUE(IsFolder(base));
}

} // namespace
