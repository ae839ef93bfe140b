// Splitting, composing and checking paths, in the single-byte code page of the test process and,
// for double-byte names, in code page 932 in a second process.
#include "cp932_child.h"
#include "paths_report.h"
#include "ovstoolpaths.h"

#include <string>
#include <vector>

using ovs::test::ReportContains;

namespace {

struct SplitCase {
    const char* path;
    const char* dir;
    const char* name;
    const char* ext;
};

void ExpectSplit(const SplitCase& c) {
    CString dir("junk");
    CString name("junk");
    CString ext("junk");
    Tool_SplitFullPath(c.path, dir, name, ext);
    EXPECT_STREQ(c.dir, dir) << c.path;
    EXPECT_STREQ(c.name, name) << c.path;
    EXPECT_STREQ(c.ext, ext) << c.path;

    CString splitDir;
    CString fileName;
    Tool_SplitPath(c.path, splitDir, fileName);
    EXPECT_STREQ(c.dir, splitDir) << c.path;
    EXPECT_EQ(std::string(c.name) + c.ext, fileName.GetString()) << c.path;

    CString single;
    Tool_GetPathNameFromFullPath(c.path, single);
    EXPECT_STREQ(c.dir, single) << c.path;
    Tool_GetFileNameFromFullPath(c.path, single);
    EXPECT_EQ(std::string(c.name) + c.ext, single.GetString()) << c.path;
    Tool_GetFileNameWithoutExtensionFromFullPath(c.path, single);
    EXPECT_STREQ(c.name, single) << c.path;
    Tool_GetExtensionFromFullPath(c.path, single);
    EXPECT_STREQ(c.ext, single) << c.path;
}

const SplitCase kSplitCases[] = {
    {"C:\\Data\\Run01.lcd", "C:\\Data", "Run01", ".lcd"},
    {"C:\\Run01.lcd", "C:\\", "Run01", ".lcd"},
    {"C:\\Data\\", "C:\\Data", "", ""},
    {"Run01.lcd", "", "Run01", ".lcd"},
    {"C:/Data/a.b.c", "C:\\Data", "a.b", ".c"},
    {"\\\\server\\share\\x.txt", "\\\\server\\share", "x", ".txt"},
    {"C:\\Data\\.cfg", "C:\\Data", "", ".cfg"},
    {"C:Run01.lcd", "C:", "Run01", ".lcd"},
    // names without extension and with several dots
    {"C:\\Data\\Run01", "C:\\Data", "Run01", ""},
    {"Run01", "", "Run01", ""},
    {"C:\\Data\\Run.01.lcd.bak", "C:\\Data", "Run.01.lcd", ".bak"},
    {"C:\\Da.ta\\Run01", "C:\\Da.ta", "Run01", ""},
    // separators: runs, trailing, forward, a root alone
    {"C:\\Data\\\\Sub\\\\x.y", "C:\\Data\\Sub", "x", ".y"},
    {"C:\\Data\\Sub\\\\", "C:\\Data\\Sub", "", ""},
    {"C:\\Data/", "C:\\Data", "", ""},
    {"C:\\", "C:\\", "", ""},
    {"C:", "C:", "", ""},
    {"", "", "", ""},
    {"\\Data\\x.lcd", "\\Data", "x", ".lcd"},
    {"Data\\Sub\\x.lcd", "Data\\Sub", "x", ".lcd"},
    {"C:\\Data\\..\\x", "C:\\Data\\..", "x", ""},
    {"C:\\Data\\..", "C:\\Data", "..", ""},
    // network paths
    {"\\\\server\\share\\", "\\\\server\\share", "", ""},
    {"\\\\server\\share", "\\\\server\\", "share", ""},
    {"//server/share/d/x.txt", "\\\\server\\share\\d", "x", ".txt"},
    // logical paths keep the trailing "\" of their folder
    {"[OldVer=1]\\C#\\Data\\Run01.lcd", "[OldVer=1]\\C#\\Data\\", "Run01", ".lcd"},
    {"[]\\C#\\Data\\Run01.lcd", "[]\\C#\\Data\\", "Run01", ".lcd"},
    {"[]\\C#\\Data\\Run01", "[]\\C#\\Data\\", "Run01", ""},
    {"[]\\C#\\D.x\\Run01", "[]\\C#\\D.x\\", "Run01", ""},
    {"[OldVer=1#A=2]\\C#\\a.b.c", "[OldVer=1#A=2]\\C#\\", "a.b", ".c"},
    {"[]\\C#\\D\\.", "[]\\C#\\D\\", "", "."},
    {"[]\\C#\\D\\..", "[]\\C#\\D\\", ".", "."},
    // not logical: ordinary rules
    {"[x]y\\a.b", "[x]y", "a", ".b"},
};

TEST(Split, ByTheElementRules) {
    for (const SplitCase& c : kSplitCases) {
        ExpectSplit(c);
    }
}

TEST(Split, NullPathGivesEmptyOutputs) {
    CString dir("x");
    CString name("x");
    CString ext("x");
    Tool_SplitFullPath(nullptr, dir, name, ext);
    EXPECT_TRUE(dir.IsEmpty() && name.IsEmpty() && ext.IsEmpty());
}

TEST(LogicalPath, Recognition) {
    EXPECT_TRUE(Tool_IsLogicalPath("[]\\C#\\x"));
    EXPECT_TRUE(Tool_IsLogicalPath("[OldVer=1]\\C#\\Data\\Run01.lcd"));
    EXPECT_FALSE(Tool_IsLogicalPath("[x]y"));
    EXPECT_FALSE(Tool_IsLogicalPath("x[]\\"));
    EXPECT_FALSE(Tool_IsLogicalPath("[x]"));
    EXPECT_FALSE(Tool_IsLogicalPath("[x\\]"));
    EXPECT_FALSE(Tool_IsLogicalPath(""));
    EXPECT_FALSE(Tool_IsLogicalPath(nullptr));
    // In a single-byte code page 0x83 is a character of its own, so the "]" after it counts.
    EXPECT_TRUE(Tool_IsLogicalPath("[\x83]\\C#\\x"));
}

TEST(RootName, ByTheElementRules) {
    const struct {
        const char* path;
        const char* root;
    } cases[] = {
        {"C:\\Data", "C:"},
        {"\\\\server\\share\\x", "\\\\server"},
        {"Data\\x", ""},
        {"C:", "C:"},
        {"//server/x", "\\\\server"},
        {"\\Data", ""},
        {"\\\\\\x", ""},
        {"abc:def\\x", "abc:"},
        {"", ""},
    };
    for (const auto& c : cases) {
        CString root("junk");
        Tool_GetRootName(c.path, root);
        EXPECT_STREQ(c.root, root) << c.path;
    }
    CString root("untouched");
    Tool_GetRootName("[]\\C#\\x", root);
    EXPECT_STREQ("untouched", root);
}

TEST(ReplaceExtension, OrdinaryAndLogical) {
    const struct {
        const char* path;
        const char* ext;
        const char* result;
    } cases[] = {
        {"C:\\Data\\Run01.lcd", "lcm", "C:\\Data\\Run01.lcm"},
        {"C:\\Data\\Run01.lcd", ".lcm", "C:\\Data\\Run01.lcm"},
        {"C:\\Data\\Run01.lcd", nullptr, "C:\\Data\\Run01"},
        {"C:\\Data\\Run01.lcd", "", "C:\\Data\\Run01"},
        {"C:/Data/Run01", "lcm", "C:\\Data\\Run01.lcm"},
        {"a.b.c", "d", "a.b.d"},
        {"Run01", "lcd", "Run01.lcd"},
        {"C:\\Run01.lcd", "lcm", "C:\\Run01.lcm"},
        {"C:Run01.lcd", "lcm", "C:Run01.lcm"},
        {"C:\\Data\\", "lcm", "C:\\Data\\"}, // a folder has no extension to replace
        {"C:\\", "lcm", "C:\\"},
        {"[]\\C#\\D\\f.lcd", "lcm", "[]\\C#\\D\\f.lcm"},
        {"[]\\C#\\D\\f.lcd", nullptr, "[]\\C#\\D\\f"},
        {"[]\\C#\\D.x\\f", "lcm", "[]\\C#\\D.x\\f.lcm"},
        {"[]\\C#\\D\\.", "a.b", "[]\\C#\\D\\.a.b"},
        {"[]\\C#\\D\\.", nullptr, "[]\\C#\\D\\"},
        {"[]\\C#\\D\\..", "x", "[]\\C#\\D\\..x"},
    };
    for (const auto& c : cases) {
        CString path(c.path);
        Tool_ReplaceExtension(path, c.ext);
        EXPECT_STREQ(c.result, path) << c.path << " + " << (c.ext != nullptr ? c.ext : "(null)");
    }
}

TEST(ReplaceFileName, KeepsTheFolder) {
    const struct {
        const char* path;
        const char* newName;
        const char* result;
    } cases[] = {
        {"C:\\Data\\old.lcd", "new.lcd", "C:\\Data\\new.lcd"},
        {"C:\\old.lcd", "new.lcd", "C:\\new.lcd"},
        {"C:\\Data\\", "new.lcd", "C:\\Data\\new.lcd"},
        {"C:\\Data\\\\\\old.lcd", "new.lcd", "C:\\Data\\new.lcd"},
        {"C:old.lcd", "new.lcd", "C:new.lcd"},
        {"old.lcd", "new.lcd", "new.lcd"}, // a bare file name is replaced whole
        {"C:\\", "new.lcd", "C:\\new.lcd"},
        {"\\\\server\\share\\old", "new", "\\\\server\\share\\new"},
        {"C:\\Data\\old.lcd", "Sub/new.lcd", "C:\\Data\\Sub\\new.lcd"},
        {"[OldVer=1]\\C#\\Data\\Run01.lcd", "Run02.lcd", "[OldVer=1]\\C#\\Data\\Run02.lcd"},
    };
    for (const auto& c : cases) {
        CString result("junk");
        Tool_ReplaceFileName(c.path, c.newName, result);
        EXPECT_STREQ(c.result, result) << c.path;
    }
}

TEST(MakePath, JoinsWithOneSeparator) {
    const struct {
        const char* dir;
        const char* name;
        const char* result;
    } cases[] = {
        {"C:\\Data", "Run01.lcd", "C:\\Data\\Run01.lcd"},
        {"C:\\Data\\", "Run01.lcd", "C:\\Data\\Run01.lcd"},
        {"", "Run01.lcd", "Run01.lcd"},
        {"C", "Run01.lcd", "CRun01.lcd"}, // a one-character folder gets no separator
        {"C:", "Run01.lcd", "C:\\Run01.lcd"},
        {"C:\\Data", "", "C:\\Data\\"},
    };
    for (const auto& c : cases) {
        CString result("junk");
        Tool_MakePath(result, c.dir, c.name);
        EXPECT_STREQ(c.result, result) << c.dir << " + " << c.name;
    }
}

TEST(MakePath, CutsTo259KeepingTheExtension) {
    const std::string dir = "C:\\" + std::string(150, 'd');
    const std::string name = std::string(142, 'n') + ".lcd"; // composed: 153 + 1 + 146 = 300
    CString result;
    Tool_MakePath(result, dir.c_str(), name.c_str());
    ASSERT_EQ(259, result.GetLength());
    EXPECT_EQ((dir + "\\" + name).substr(0, 255) + ".lcd", result.GetString());
}

TEST(MakePath, RefusesInputsBeyondItsRoom) {
    CString result("junk");
    Tool_MakePath(result, std::string(259, 'd').c_str(), "x");
    EXPECT_EQ(259, result.GetLength()); // 259 + "\" + x cut back to 259
    Tool_MakePath(result, std::string(260, 'd').c_str(), "x");
    EXPECT_TRUE(result.IsEmpty());
    Tool_MakePath(result, "C:\\Data", std::string(255, 'n').c_str());
    EXPECT_EQ(259, result.GetLength());
    Tool_MakePath(result, "C:\\Data", std::string(256, 'n').c_str());
    EXPECT_TRUE(result.IsEmpty());
    Tool_MakePath(result, nullptr, "x");
    EXPECT_TRUE(result.IsEmpty());
}

// Paths of exactly 259, 260 and 261 bytes: the element rules take 259 and refuse the others.
class LengthLimit : public ::testing::TestWithParam<int> {};

std::string PathOfLength(int length, char fill) {
    std::string path = "C:\\Data\\";
    path += std::string(static_cast<size_t>(length) - path.size() - 4, fill);
    return path + ".lcd";
}

TEST_P(LengthLimit, SplitAndReplace) {
    ovs::test::PathsReportFile();
    const int length = GetParam();
    const std::string path = PathOfLength(length, static_cast<char>('a' + length % 26));
    ASSERT_EQ(static_cast<size_t>(length), path.size());
    const bool accepted = length < 260;

    CString dir;
    CString name;
    CString ext;
    Tool_SplitFullPath(path.c_str(), dir, name, ext);
    EXPECT_EQ(accepted, !dir.IsEmpty());
    EXPECT_EQ(accepted, !ext.IsEmpty());
    EXPECT_EQ(accepted ? path.substr(8, path.size() - 12) : "", name.GetString());
    EXPECT_EQ(!accepted, ReportContains("Too Long FilePath : " + path));

    CString root("untouched");
    Tool_GetRootName(path.c_str(), root);
    EXPECT_STREQ(accepted ? "C:" : "untouched", root);

    CString replaced(path.c_str());
    Tool_ReplaceExtension(replaced, "lcm");
    EXPECT_EQ(accepted ? path.substr(0, path.size() - 3) + "lcm" : path, replaced.GetString());

    CString renamed("junk");
    Tool_ReplaceFileName(path.c_str(), "x.lcd", renamed);
    EXPECT_STREQ(accepted ? "C:\\Data\\x.lcd" : "", renamed);

    EXPECT_EQ(accepted, Tool_CheckFullFilePathLengthFL(CString(path.c_str())) != FALSE);
}

INSTANTIATE_TEST_SUITE_P(Bytes, LengthLimit, ::testing::Values(259, 260, 261));

TEST(LengthChecks, FileNameBelow190) {
    EXPECT_TRUE(Tool_CheckFileNameIncludingExtensionLengthFL(CString(std::string(189, 'n').c_str())));
    EXPECT_FALSE(Tool_CheckFileNameIncludingExtensionLengthFL(CString(std::string(190, 'n').c_str())));
    EXPECT_FALSE(Tool_CheckFileNameIncludingExtensionLengthFL(CString(std::string(191, 'n').c_str())));
    EXPECT_TRUE(Tool_CheckFullFilePathLengthFL(CString(std::string(259, 'p').c_str())));
    EXPECT_FALSE(Tool_CheckFullFilePathLengthFL(CString(std::string(260, 'p').c_str())));
}

TEST(LengthChecks, ResultsOfTheLimitAreRefused) {
    // A folder of 250 bytes and a new name that makes the result 260 bytes long.
    const std::string folder = "C:\\" + std::string(247, 'f');
    CString renamed("junk");
    Tool_ReplaceFileName((folder + "\\old.lcd").c_str(), std::string(9, 'n').c_str(), renamed);
    EXPECT_TRUE(renamed.IsEmpty());
    Tool_ReplaceFileName((folder + "\\old.lcd").c_str(), std::string(8, 'n').c_str(), renamed);
    EXPECT_EQ(259, renamed.GetLength());
}

TEST(Abbreviate, CutsAtASeparator) {
    const struct {
        const char* path;
        int maxLength;
        const char* result;
        short length;
    } cases[] = {
        {"C:\\Data\\Proj\\Run01.lcd", 12, "...\\Run01.lcd", 13},
        {"C:\\Data\\Proj\\Run01.lcd", 8, "...\\Run01.lcd", 13},
        {"C:\\Data\\Proj\\Run01.lcd", 30, "C:\\Data\\Proj\\Run01.lcd", 22},
        {"C:\\Data\\Proj\\Run01.lcd", 22, "C:\\Data\\Proj\\Run01.lcd", 22},
        {"C:\\Data\\Proj\\Run01.lcd", 21, "...\\Data\\Proj\\Run01.lcd", 23},
        {"C:\\Data\\Proj\\Run01.lcd", 15, "...\\Proj\\Run01.lcd", 18},
        {"\\\\server\\share\\x", 8, "...\\share\\x", 11},
        {"\\Data\\Run01.lcd", 3, "...\\Run01.lcd", 13}, // the leading separator is no cut point
        {"Run01.lcd", 3, "...Run01.lcd", 12},
        {"", 5, "", 0},
        {"C:\\a\\b", -1, "...\\b", 5},
    };
    for (const auto& c : cases) {
        CString result("junk");
        EXPECT_EQ(c.length, Tool_GetAbbreviatePathName(c.path, result, c.maxLength))
            << c.path << " " << c.maxLength;
        EXPECT_STREQ(c.result, result) << c.path << " " << c.maxLength;
    }
}

TEST(FileNameChars, TheNineInvalidCharacters) {
    for (int c = 1; c < 256; ++c) {
        const bool invalid = std::string("\\/:*?<>|\"").find(static_cast<char>(c)) != std::string::npos;
        EXPECT_EQ(!invalid, Tool_IsValidFilenameChar(static_cast<char>(c)) != FALSE) << c;
    }
    EXPECT_FALSE(Tool_IsValidFilename("a?b"));
    EXPECT_TRUE(Tool_IsValidFilename(""));
    EXPECT_TRUE(Tool_IsValidFilename("Run 01. "));
    EXPECT_TRUE(Tool_IsValidFilename("CON"));
    EXPECT_FALSE(Tool_IsValidFilename("a\\b"));
    EXPECT_FALSE(Tool_IsValidFilename(nullptr));
}

TEST(CheckFilePathName, InTheStatedOrder) {
    ovs::test::TempFolder folder;
    EXPECT_EQ(S_OK, Tool_CheckFilePathName((folder / "Run01.lcd").c_str()));
    EXPECT_EQ(S_OK, Tool_CheckFilePathName("Run01.lcd"));
    EXPECT_EQ(S_OK, Tool_CheckFilePathName("[]\\C#\\Missing\\Run01.lcd"));
    EXPECT_EQ(OVS_E_NO_FILE_NAME, Tool_CheckFilePathName((folder.path() + "\\").c_str()));
    EXPECT_EQ(OVS_E_NO_FILE_NAME, Tool_CheckFilePathName(""));
    EXPECT_EQ(OVS_E_INVALID_FILE_NAME_CHAR, Tool_CheckFilePathName((folder / "a*b.lcd").c_str()));
    EXPECT_EQ(OVS_E_INVALID_FILE_NAME_CHAR, Tool_CheckFilePathName((folder / "Missing\\a*b.lcd").c_str()));
    EXPECT_EQ(OVS_E_FOLDER_NOT_FOUND, Tool_CheckFilePathName((folder / "Missing\\Run01.lcd").c_str()));
    EXPECT_EQ(E_INVALIDARG, Tool_CheckFilePathName(nullptr));
}

TEST(ConvertInvalidChars, DrivePartKeepsItsColon) {
    const struct {
        const char* path;
        char replacement;
        const char* result;
    } cases[] = {
        {"C:\\a:b*c", '_', "C:\\a_b_c"},  {"C:\\a/b\\c?d", '-', "C:\\a-b\\c-d"},
        {"a:b\\c", '_', "a_b\\c"},                                             // no ":\": no drive part
        {"C*:\\x|y", '_', "C_:\\x_y"},    {"[]\\C#\\a*b", '_', "[]\\C#\\a*b"}, // logical: unchanged
        {"C:\\a<b>\"c", '\0', "C:\\abc"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(c.result, Tool_ConvertInvalidCharInLocalPath(CString(c.path), c.replacement)) << c.path;
    }
}

TEST(NetDrive, FirstTwoBytes) {
    EXPECT_TRUE(Tool_IsNetDrive(CString("\\\\server\\share")));
    EXPECT_TRUE(Tool_IsNetDrive(CString("\\\\")));
    EXPECT_FALSE(Tool_IsNetDrive(CString("//server/share")));
    EXPECT_FALSE(Tool_IsNetDrive(CString("\\")));
    EXPECT_FALSE(Tool_IsNetDrive(CString("C:\\")));
    EXPECT_FALSE(Tool_IsNetDrive(CString()));
}

// Double-byte names in code page 932; each of these characters has a trail byte that equals a
// separator or a bracket.
constexpr char kHyou[] = "\x95\x5C";    // trail byte "\"
constexpr char kSo[] = "\x83\x5C";      // trail byte "\"
constexpr char kBracket[] = "\x83\x5D"; // trail byte "]"
constexpr char kOpening[] = "\x81\x5B"; // trail byte "["

std::string S(std::initializer_list<const char*> parts) {
    std::string text;
    for (const char* part : parts) {
        text += part;
    }
    return text;
}

TEST(DbcsSplit, TrailByteIsNoSeparator) {
    OVS_REQUIRE_CODE_PAGE_932();
    ASSERT_TRUE(IsDBCSLeadByte(0x95));
    const std::vector<std::vector<std::string>> cases = {
        {S({"C:\\", kHyou, "\\Run01.lcd"}), S({"C:\\", kHyou}), "Run01", ".lcd"},
        {S({"C:\\Data\\", kHyou, ".lcd"}), "C:\\Data", kHyou, ".lcd"},
        {S({"C:\\Data\\", kSo, kHyou}), "C:\\Data", S({kSo, kHyou}), ""},
        {S({"C:\\", kHyou, "\\", kSo, "\\"}), S({"C:\\", kHyou, "\\", kSo}), "", ""},
        {S({kHyou, "\\x.txt"}), kHyou, "x", ".txt"},
        {S({"\\\\", kHyou, "\\share\\x"}), S({"\\\\", kHyou, "\\share"}), "x", ""},
        {S({"C:/", kSo, "/a.", kHyou}), S({"C:\\", kSo}), "a", S({".", kHyou})},
        {S({"[]\\C#\\", kHyou, "\\Run01.lcd"}), S({"[]\\C#\\", kHyou, "\\"}), "Run01", ".lcd"},
        {S({"[", kBracket, "]\\C#\\", kSo}), S({"[", kBracket, "]\\C#\\"}), kSo, ""},
    };
    for (const auto& c : cases) {
        ExpectSplit({c[0].c_str(), c[1].c_str(), c[2].c_str(), c[3].c_str()});
    }
}

TEST(DbcsSplit, RootNameAndLogicalTest) {
    OVS_REQUIRE_CODE_PAGE_932();
    CString root;
    Tool_GetRootName(S({"\\\\", kHyou, "\\share\\x"}).c_str(), root);
    EXPECT_EQ(S({"\\\\", kHyou}), root.GetString());
    // A "]" that is a trail byte does not close the information block.
    EXPECT_FALSE(Tool_IsLogicalPath(S({"[", kBracket, "\\C#\\x"}).c_str()));
    EXPECT_TRUE(Tool_IsLogicalPath(S({"[", kOpening, kBracket, "]\\C#\\x"}).c_str()));
}

TEST(DbcsCompose, JoinAndReplace) {
    OVS_REQUIRE_CODE_PAGE_932();
    CString result;
    Tool_MakePath(result, S({"C:\\", kHyou}).c_str(), "Run01.lcd");
    EXPECT_EQ(S({"C:\\", kHyou, "\\Run01.lcd"}), result.GetString());
    Tool_ReplaceFileName(S({"C:\\", kHyou, "\\old.lcd"}).c_str(), S({kSo, ".lcd"}).c_str(), result);
    EXPECT_EQ(S({"C:\\", kHyou, "\\", kSo, ".lcd"}), result.GetString());
    CString path(S({"C:\\", kHyou, "\\", kSo, ".lcd"}).c_str());
    Tool_ReplaceExtension(path, "lcm");
    EXPECT_EQ(S({"C:\\", kHyou, "\\", kSo, ".lcm"}), path.GetString());
    CString abbreviated;
    EXPECT_EQ(5, Tool_GetAbbreviatePathName(S({"C:\\", kHyou, kHyou, "\\x"}).c_str(), abbreviated, 2));
    EXPECT_STREQ("...\\x", abbreviated);
    EXPECT_TRUE(Tool_IsValidFilename(S({kHyou, kSo}).c_str()));
    EXPECT_EQ(S({"C:\\", kHyou, "_"}),
              Tool_ConvertInvalidCharInLocalPath(CString(S({"C:\\", kHyou, "*"}).c_str()), '_').GetString());
}

TEST(DbcsCompose, MakePathCutsWideCharacters) {
    OVS_REQUIRE_CODE_PAGE_932();
    const std::string dir = "C:\\" + std::string(197, 'd'); // 200 characters
    std::string name;
    for (int i = 0; i < 100; ++i) {
        name += kHyou;
    }
    name += ".lcd"; // 104 characters, 204 bytes
    CString result;
    Tool_MakePath(result, dir.c_str(), name.c_str());
    std::string expected = dir + "\\";
    for (int i = 0; i < 259 - 201 - 4; ++i) {
        expected += kHyou;
    }
    EXPECT_EQ(expected + ".lcd", result.GetString());
}

TEST(DbcsCompose, TextThatDoesNotConvertIsRefused) {
    OVS_REQUIRE_CODE_PAGE_932();
    ovs::test::PathsReportFile();
    const std::string broken = "C:\\Data\\x\x81"; // a lead byte without its trail byte
    CString dir("junk");
    CString name("junk");
    CString ext("junk");
    Tool_SplitFullPath(broken.c_str(), dir, name, ext);
    EXPECT_TRUE(dir.IsEmpty() && name.IsEmpty() && ext.IsEmpty());
    EXPECT_TRUE(ReportContains("Unconvertible FilePath : " + broken));
    CString result("junk");
    Tool_MakePath(result, "C:\\Data", "x\x81");
    EXPECT_TRUE(result.IsEmpty());
    EXPECT_EQ(-1, Tool_MakeDirectories(broken.c_str()));
}

} // namespace
