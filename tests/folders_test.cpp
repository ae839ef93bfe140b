// Creating and emptying real folders in the test's own temporary tree, free disk space, and the
// five current folders of the process.
#include "file_helpers.h"
#include "japanese_unix_locale.h"
#include "paths_report.h"
#include "suite_child.h"
#include "ovstoolpaths.h"

#include <iterator>

using namespace ovs::test;

namespace {

std::string CurrentDirectory() {
    char folder[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    return std::string(folder, length < MAX_PATH ? length : 0);
}

TEST(MakeDirectories, CreatesEveryMissingParentAndFailsInOrder) {
    TempFolder root;
    for (const char* tail : {"\\A\\B\\C", "\\A\\B\\C", "\\A\\B\\C\\", "/D/E", "\\\\F\\\\G"}) {
        EXPECT_EQ(0, Tool_MakeDirectories((root.path() + tail).c_str()))
            << tail; // existing ones are no error
    }
    for (const char* made : {"A", "A\\B", "A\\B\\C", "D\\E", "F\\G"}) {
        EXPECT_TRUE(IsFolder(root / made)) << made;
    }
    ASSERT_TRUE(MakeFile(root / "file"));
    for (const std::string& path : {root / "file", root / "file\\sub", root / "bad*name\\sub", std::string(),
                                    std::string("\\\\no-such-server-here\\share\\sub")}) {
        EXPECT_EQ(-1, Tool_MakeDirectories(path.c_str())) << path;
    }
    EXPECT_FALSE(IsFolder(root / "file\\sub"));
    EXPECT_EQ(-1, Tool_MakeDirectories(nullptr));
    // 259 and 260 bytes are made, 261 refused with its report line.
    PathsReportFile();
    for (const size_t length : {259u, 260u, 261u}) {
        std::string path = root / (std::string(100, 'a') + "\\");
        path += std::string(length - path.size(), static_cast<char>('a' + length % 26));
        EXPECT_EQ(length <= 260 ? 0 : -1, Tool_MakeDirectories(path.c_str())) << length;
        EXPECT_EQ(length <= 260, IsFolder(path)) << length;
        EXPECT_EQ(length > 260, ReportContains("Too Long Directory Path : " + path)) << length;
    }
}

TEST(DeleteDirectoryFiles, EmptiesNestedFoldersWithReadOnlyFiles) {
    TempFolder root;
    const std::string top = root / "top", before = CurrentDirectory();
    ASSERT_EQ(0, Tool_MakeDirectories((top + "\\a\\b").c_str()));
    ASSERT_EQ(0, Tool_MakeDirectories((top + "\\c").c_str()));
    ASSERT_TRUE(MakeFile(top + "\\one.txt") && MakeFile(top + "\\ro.txt", true) &&
                MakeFile(top + "\\a\\two") && MakeFile(top + "\\a\\b\\ro.lcd", true));
    Tool_DeleteDirectoryFiles(top.c_str(), FALSE);
    EXPECT_TRUE(IsFolder(top) && FolderEntries(top).empty());
    ASSERT_TRUE(MakeFile(top + "\\again.txt", true));
    Tool_DeleteDirectoryFiles(top.c_str(), TRUE);
    EXPECT_FALSE(FileExists(top));
    // A missing folder is left alone; a relative name is taken from the current folder.
    Tool_DeleteDirectoryFiles((root / "missing").c_str(), TRUE);
    Tool_DeleteDirectoryFiles(nullptr, TRUE);
    EXPECT_TRUE(IsFolder(root.path()));
    EXPECT_EQ(before, CurrentDirectory());
    ASSERT_EQ(0, Tool_MakeDirectories((root / "rel\\sub").c_str()));
    ASSERT_TRUE(MakeFile(root / "rel\\sub\\f") && SetCurrentDirectoryA(root.path().c_str()));
    Tool_DeleteDirectoryFiles("rel", TRUE);
    EXPECT_FALSE(FileExists(root / "rel"));
    SetCurrentDirectoryA(before.c_str());
}

TEST(DiskFreeSpace, ExistingAndMissingFolder) {
    TempFolder root;
    ULARGE_INTEGER toCaller = {}, total = {}, free = {};
    ASSERT_TRUE(Tool_GetDiskFreeSpaceEx(root.path().c_str(), &toCaller, &total, &free));
    EXPECT_TRUE(total.QuadPart > 0 && free.QuadPart <= total.QuadPart && toCaller.QuadPart <= total.QuadPart);
    total.QuadPart = 0;
    EXPECT_TRUE(Tool_GetDiskFreeSpaceEx(root.path().c_str(), nullptr, &total, nullptr));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_FALSE(Tool_GetDiskFreeSpaceEx((root / "missing\\deeper").c_str(), &toCaller, &total, &free));
}

const struct {
    int (*get)(CString&);
    int (*set)(LPCSTR);
} kSlots[] = {{Tool_GetCurrentPathData, Tool_SetCurrentPathData},
              {Tool_GetCurrentPathMethod, Tool_SetCurrentPathMethod},
              {Tool_GetCurrentPathBatch, Tool_SetCurrentPathBatch},
              {Tool_GetCurrentPathReport, Tool_SetCurrentPathReport},
              {Tool_GetCurrentPathOptimization, Tool_SetCurrentPathOptimization}};

// The number of slots that are not empty at the start of a process.
const ChildMode kEmptySlots("slots-empty", [](const std::vector<std::string>&) {
    int nonEmpty = 0;
    for (const auto& slot : kSlots) {
        CString text("junk");
        nonEmpty += slot.get(text) == 0 && text.IsEmpty() ? 0 : 1;
    }
    return nonEmpty;
});

TEST(CurrentFolders, EmptyAtStartThenFiveIndependentSlots) {
    const ChildResult result = RunChild("slots-empty");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode);
    for (size_t i = 0; i < std::size(kSlots); ++i) {
        EXPECT_EQ(0, kSlots[i].set(("C:\\Slot" + std::to_string(i)).c_str()));
    }
    for (size_t i = 0; i < std::size(kSlots); ++i) {
        CString text;
        EXPECT_EQ(0, kSlots[i].get(text));
        EXPECT_EQ("C:\\Slot" + std::to_string(i), text.GetString());
    }
    // 259 bytes fit; a text that does not fit is refused and the slot keeps what it had.
    const std::string longest(259, 'x'), tooLong(260, 'y');
    for (const char* text : {longest.c_str(), tooLong.c_str(), static_cast<const char*>(nullptr), ""}) {
        EXPECT_EQ(0, Tool_SetCurrentPathData(text));
        CString slot("junk");
        Tool_GetCurrentPathData(slot);
        EXPECT_EQ(text != nullptr && *text == '\0' ? "" : longest, slot.GetString());
    }
}

// Double-byte folder names whose trail byte is "\": each is one name, never two.
TEST(Cp932Files, MakeDirectoriesTrailByteIsNoSeparator) {
    if (GetACP() != 932) {
        GTEST_SKIP() << "runs in the child process with code page 932 and a Japanese Unix locale";
    }
    TempFolder root;
    const std::string hyou = "\x95\x5C", so = "\x83\x5C";
    const std::string deep = root / hyou + "\\" + so + hyou;
    EXPECT_EQ(0, Tool_MakeDirectories(deep.c_str()));
    EXPECT_TRUE(IsFolder(deep));
    // Only these folders exist: none was made from a lead byte alone.
    EXPECT_EQ(std::vector<std::string>{hyou}, FolderEntries(root.path()));
    EXPECT_EQ(std::vector<std::string>{so + hyou}, FolderEntries(root / hyou));
    // A folder whose name ends with such a character gets its own separator.
    EXPECT_EQ(0, Tool_MakeDirectories((root / so).c_str()));
    EXPECT_TRUE(IsFolder(root / so));
    EXPECT_TRUE(MakeFile(deep + "\\" + hyou + ".lcd", true));
    EXPECT_TRUE(FileExists(deep + "\\" + hyou + ".lcd"));
    Tool_DeleteDirectoryFiles((root / hyou).c_str(), TRUE);
    EXPECT_FALSE(FileExists(root / hyou));
    EXPECT_TRUE(IsFolder(root / so));
}

const ChildMode kFilesChild("cp932-files", [](const std::vector<std::string>&) {
    return GetACP() == 932 ? RunSuitesInThisProcess("Cp932Files*") : 3;
});

TEST(InCodePage932, DoubleByteFileNamesPass) {
    const std::optional<ChildResult> result = RunChildInJapaneseUnixLocale("cp932-files");
    if (!result) {
        GTEST_SKIP() << "no Japanese Unix locale could be made for a second process";
    }
    ASSERT_TRUE(result->finished);
    EXPECT_EQ(0u, result->exitCode) << "3: the child's code page was not 932; 1: a test failed";
}

} // namespace
