// Creating and emptying real folders in the test's own temporary tree, free disk space, and the
// five current folders of the process.
#include "cp932_child.h"
#include "locale_child.h"
#include "paths_report.h"
#include "ovstoolpaths.h"
#include "unique_resource.h"

#include <string>
#include <iterator>
#include <vector>

using ovs::test::FileExists;
using ovs::test::TempFolder;

namespace {

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void MakeFile(const std::string& path, bool readOnly = false) {
    ovs::unique_hfile file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << path;
    DWORD written = 0;
    ::WriteFile(file.get(), "data", 4, &written, nullptr);
    file.reset();
    if (readOnly) {
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    }
}

// The names in a folder, without "." and "..", in the order found.
std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    ovs::unique_find find(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (find) {
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        } while (FindNextFileA(find.get(), &found));
    }
    return names;
}

std::string CurrentDirectory() {
    char folder[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    return std::string(folder, length < MAX_PATH ? length : 0);
}

TEST(MakeDirectories, CreatesEveryMissingParent) {
    TempFolder root;
    const std::string deep = root / "A\\B\\C";
    EXPECT_EQ(0, Tool_MakeDirectories(deep.c_str()));
    EXPECT_TRUE(IsFolder(root / "A"));
    EXPECT_TRUE(IsFolder(root / "A\\B"));
    EXPECT_TRUE(IsFolder(deep));
    EXPECT_EQ(0, Tool_MakeDirectories(deep.c_str())); // existing folders are no error
    EXPECT_EQ(0, Tool_MakeDirectories((deep + "\\").c_str()));
    EXPECT_EQ(0, Tool_MakeDirectories((root.path() + "/D/E").c_str()));
    EXPECT_TRUE(IsFolder(root / "D\\E"));
    EXPECT_EQ(0, Tool_MakeDirectories((root.path() + "\\\\F\\\\G").c_str()));
    EXPECT_TRUE(IsFolder(root / "F\\G"));
}

TEST(MakeDirectories, FailsInOrder) {
    TempFolder root;
    MakeFile(root / "file");
    EXPECT_EQ(-1, Tool_MakeDirectories((root / "file").c_str()));
    EXPECT_EQ(-1, Tool_MakeDirectories((root / "file\\sub").c_str()));
    EXPECT_FALSE(IsFolder(root / "file\\sub"));
    EXPECT_EQ(-1, Tool_MakeDirectories((root / "bad*name\\sub").c_str()));
    EXPECT_EQ(-1, Tool_MakeDirectories(""));
    EXPECT_EQ(-1, Tool_MakeDirectories(nullptr));
    EXPECT_EQ(-1, Tool_MakeDirectories("\\\\no-such-server-here\\share\\sub"));
}

TEST(MakeDirectories, LengthLimit) {
    ovs::test::PathsReportFile();
    TempFolder root;
    for (const size_t length : {259u, 260u, 261u}) {
        std::string path = root.path() + "\\" + std::string(100, 'a') + "\\";
        path += std::string(length - path.size(), static_cast<char>('a' + length % 26));
        ASSERT_EQ(length, path.size());
        if (length <= 260) {
            EXPECT_EQ(0, Tool_MakeDirectories(path.c_str())) << length;
            EXPECT_TRUE(IsFolder(path)) << length;
            EXPECT_FALSE(ovs::test::ReportContains("Too Long Directory Path : " + path)) << length;
        } else {
            EXPECT_EQ(-1, Tool_MakeDirectories(path.c_str())) << length;
            EXPECT_FALSE(IsFolder(path)) << length;
            EXPECT_TRUE(ovs::test::ReportContains("Too Long Directory Path : " + path)) << length;
        }
    }
}

TEST(DeleteDirectoryFiles, EmptiesNestedFoldersWithReadOnlyFiles) {
    TempFolder root;
    const std::string top = root / "top";
    ASSERT_EQ(0, Tool_MakeDirectories((top + "\\a\\b").c_str()));
    ASSERT_EQ(0, Tool_MakeDirectories((top + "\\c").c_str()));
    MakeFile(top + "\\one.txt");
    MakeFile(top + "\\ro.txt", true);
    MakeFile(top + "\\a\\two");
    MakeFile(top + "\\a\\b\\ro.lcd", true);
    const std::string before = CurrentDirectory();

    Tool_DeleteDirectoryFiles(top.c_str(), FALSE);
    EXPECT_TRUE(IsFolder(top));
    EXPECT_FALSE(FileExists(top + "\\one.txt"));
    EXPECT_FALSE(FileExists(top + "\\ro.txt"));
    EXPECT_FALSE(FileExists(top + "\\a"));
    EXPECT_FALSE(FileExists(top + "\\c"));
    EXPECT_EQ(before, CurrentDirectory());

    MakeFile(top + "\\again.txt", true);
    Tool_DeleteDirectoryFiles(top.c_str(), TRUE);
    EXPECT_FALSE(FileExists(top));
    EXPECT_TRUE(IsFolder(root.path()));
    EXPECT_EQ(before, CurrentDirectory());
}

TEST(DeleteDirectoryFiles, MissingFolderIsLeftAlone) {
    TempFolder root;
    const std::string before = CurrentDirectory();
    Tool_DeleteDirectoryFiles((root / "missing").c_str(), TRUE);
    Tool_DeleteDirectoryFiles(nullptr, TRUE);
    EXPECT_EQ(before, CurrentDirectory());
    EXPECT_TRUE(IsFolder(root.path()));
}

TEST(DeleteDirectoryFiles, RelativeFolderName) {
    TempFolder root;
    ASSERT_EQ(0, Tool_MakeDirectories((root / "rel\\sub").c_str()));
    MakeFile(root / "rel\\sub\\f");
    const std::string before = CurrentDirectory();
    ASSERT_TRUE(SetCurrentDirectoryA(root.path().c_str()));
    Tool_DeleteDirectoryFiles("rel", TRUE);
    EXPECT_FALSE(FileExists(root / "rel"));
    SetCurrentDirectoryA(before.c_str());
}

TEST(DiskFreeSpace, ExistingAndMissingFolder) {
    TempFolder root;
    ULARGE_INTEGER toCaller = {};
    ULARGE_INTEGER total = {};
    ULARGE_INTEGER free = {};
    ASSERT_TRUE(Tool_GetDiskFreeSpaceEx(root.path().c_str(), &toCaller, &total, &free));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_LE(free.QuadPart, total.QuadPart);
    EXPECT_LE(toCaller.QuadPart, total.QuadPart);
    EXPECT_TRUE(Tool_GetDiskFreeSpaceEx(root.path().c_str(), nullptr, &total, nullptr));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_FALSE(Tool_GetDiskFreeSpaceEx((root / "missing\\deeper").c_str(), &toCaller, &total, &free));
}

using Getter = int (*)(CString&);
using Setter = int (*)(LPCSTR);
const struct {
    Getter get;
    Setter set;
} kSlots[] = {
    {Tool_GetCurrentPathData, Tool_SetCurrentPathData},
    {Tool_GetCurrentPathMethod, Tool_SetCurrentPathMethod},
    {Tool_GetCurrentPathBatch, Tool_SetCurrentPathBatch},
    {Tool_GetCurrentPathReport, Tool_SetCurrentPathReport},
    {Tool_GetCurrentPathOptimization, Tool_SetCurrentPathOptimization},
};

const ovs::test::ChildMode kEmptySlots("slots-empty", [](const std::vector<std::string>&) {
    int nonEmpty = 0;
    for (const auto& slot : kSlots) {
        CString text("junk");
        nonEmpty += slot.get(text) == 0 && text.IsEmpty() ? 0 : 1;
    }
    return nonEmpty;
});

TEST(CurrentFolders, EmptyAtStart) {
    const ovs::test::ChildResult result = ovs::test::RunChild("slots-empty");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode);
}

TEST(CurrentFolders, FiveIndependentSlots) {
    for (size_t i = 0; i < std::size(kSlots); ++i) {
        EXPECT_EQ(0, kSlots[i].set(("C:\\Slot" + std::to_string(i)).c_str()));
    }
    for (size_t i = 0; i < std::size(kSlots); ++i) {
        CString text;
        EXPECT_EQ(0, kSlots[i].get(text));
        EXPECT_EQ("C:\\Slot" + std::to_string(i), text.GetString());
    }
    const std::string longest(259, 'x');
    EXPECT_EQ(0, Tool_SetCurrentPathData(longest.c_str()));
    CString text;
    Tool_GetCurrentPathData(text);
    EXPECT_EQ(longest, text.GetString());
    // A text that does not fit is refused and the slot keeps what it had.
    EXPECT_EQ(0, Tool_SetCurrentPathData(std::string(260, 'y').c_str()));
    EXPECT_EQ(0, Tool_SetCurrentPathData(nullptr));
    Tool_GetCurrentPathData(text);
    EXPECT_EQ(longest, text.GetString());
    EXPECT_EQ(0, Tool_SetCurrentPathData(""));
    Tool_GetCurrentPathData(text);
    EXPECT_TRUE(text.IsEmpty());
}

// Double-byte folder names whose trail byte is "\": each is one name, never two. Wine names files
// through the Unix locale, so this runs in a child whose Unix locale ja_JP.UTF-8 really exists: it
// is made for the run with localedef in a folder of its own (LOCPATH).
TEST(Cp932Files, MakeDirectoriesTrailByteIsNoSeparator) {
    if (GetACP() != 932) {
        GTEST_SKIP() << "runs in the child process with code page 932 and a Japanese Unix locale";
    }
    TempFolder root;
    const std::string hyou = "\x95\x5C";
    const std::string so = "\x83\x5C";
    const std::string deep = root.path() + "\\" + hyou + "\\" + so + hyou;
    EXPECT_EQ(0, Tool_MakeDirectories(deep.c_str()));
    EXPECT_TRUE(IsFolder(root.path() + "\\" + hyou));
    EXPECT_TRUE(IsFolder(deep));
    // Only these folders exist: none was made from a lead byte alone.
    EXPECT_EQ(std::vector<std::string>{hyou}, Entries(root.path()));
    EXPECT_EQ(std::vector<std::string>{so + hyou}, Entries(root.path() + "\\" + hyou));
    // A folder whose name ends with such a character gets its own separator.
    EXPECT_EQ(0, Tool_MakeDirectories((root.path() + "\\" + so).c_str()));
    EXPECT_TRUE(IsFolder(root.path() + "\\" + so));

    MakeFile(deep + "\\" + hyou + ".lcd", true);
    EXPECT_TRUE(FileExists(deep + "\\" + hyou + ".lcd"));
    Tool_DeleteDirectoryFiles((root.path() + "\\" + hyou).c_str(), TRUE);
    EXPECT_FALSE(FileExists(root.path() + "\\" + hyou));
    EXPECT_TRUE(IsFolder(root.path() + "\\" + so));
}

const ovs::test::ChildMode kFilesChild("cp932-files", [](const std::vector<std::string>&) {
    if (GetACP() != 932) {
        return 3;
    }
    GTEST_FLAG_SET(filter, "Cp932Files*");
    int argc = 1;
    char name[] = "cp932-files";
    char* argv[] = {name, nullptr};
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
});

// The Unix path of a folder of the prefix, or empty.
std::string UnixPath(const std::string& path) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH];
    if (unixName == nullptr || MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) == 0) {
        return std::string();
    }
    char* name = unixName(wide);
    if (name == nullptr) {
        return std::string();
    }
    std::string result(name);
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// A folder for the Unix locale below /tmp (drive Z: of the prefix): LOCPATH is a list separated by
// ":", so the folder's Unix path must not pass through the prefix's "c:" link.
class LocaleFolder {
public:
    LocaleFolder() {
        m_path = "Z:\\tmp\\ovstest-locale-" + std::to_string(GetCurrentProcessId());
        ovs::test::RemoveTree(m_path);
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~LocaleFolder() { ovs::test::RemoveTree(m_path); }
    LocaleFolder(const LocaleFolder&) = delete;
    LocaleFolder& operator=(const LocaleFolder&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// Makes the Unix locale ja_JP.UTF-8 in the folder with localedef, started as a Unix program; it
// has no handle to wait on, so its end is seen by the file it touches last.
bool MakeJapaneseUnixLocale(const LocaleFolder& folder, std::string& unixFolder) {
    unixFolder = UnixPath(folder.path());
    if (unixFolder.empty() || unixFolder.find(':') != std::string::npos) {
        return false;
    }
    std::string command = "/bin/sh -c \"localedef -i ja_JP -f UTF-8 '" + unixFolder +
                          "/ja_JP.UTF-8' >/dev/null 2>&1; touch '" + unixFolder + "/done'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    ovs::unique_handle processHandle(process.hProcess);
    ovs::unique_handle threadHandle(process.hThread);
    for (int i = 0; i < 1200 && !FileExists(folder.path() + "\\done"); ++i) {
        Sleep(100);
    }
    return FileExists(folder.path() + "\\ja_JP.UTF-8\\LC_CTYPE");
}

TEST(InCodePage932, DoubleByteFileNamesPass) {
    if (!ovs::test::RunsUnderWine()) {
        GTEST_SKIP() << "the locale of a second process is set this way only under Wine";
    }
    LocaleFolder locales;
    std::string unixFolder;
    if (!MakeJapaneseUnixLocale(locales, unixFolder)) {
        GTEST_SKIP() << "localedef could not make ja_JP.UTF-8";
    }
    const ovs::test::ChildResult result =
        ovs::test::RunChildWithUnixVariable("LOCPATH=" + unixFolder + " LC_ALL=ja_JP.UTF-8", "cp932-files");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode) << "3: the child's code page was not 932; 1: a test failed";
}

} // namespace
