// Splitting, composing and checking paths, the information block of logical paths, and what the
// path-information component (the stand-in OVSPathInfo.dll, registered in this prefix) answers for
// them; with random byte strings into every export, in the single-byte code page of the test process
// and, for double-byte names, in code page 932 in a second process.
#include "cp932_child.h"
#include "guarded_buffer.h"
#include "paths_report.h"
#include "ovstoollogicalpath.h"
#include "ovstoolpaths.h"
#include "ovstoolstring.h"
#include "ovstooltemppath.h"
#include "ovstooluniquenames.h"

#include "../standins/pathinfo/path_info_standin.h"

#include <iterator>
#include <random>

using ovs::test::GuardedBuffer;
using ovs::test::ReportContains;

namespace {

// Byte for byte: the string class compares by characters, which reads on past a lead byte at the end.
std::string B(const CString& text) {
    return std::string(text.GetString(), static_cast<size_t>(text.GetLength()));
}

// What the seven splitting exports give: folder, name, extension from the full split, folder and file
// name from the short one, then the four single getters.
std::vector<std::string> Parts(const char* path) {
    CString dir("junk"), name("junk"), ext("junk"), folder("junk"), file("junk");
    Tool_SplitFullPath(path, dir, name, ext);
    Tool_SplitPath(path, folder, file);
    std::vector<std::string> parts = {B(dir), B(name), B(ext), B(folder), B(file)};
    for (auto get : {Tool_GetPathNameFromFullPath, Tool_GetFileNameFromFullPath,
                     Tool_GetFileNameWithoutExtensionFromFullPath, Tool_GetExtensionFromFullPath}) {
        CString single("junk");
        get(path, single);
        parts.push_back(B(single));
    }
    return parts;
}

std::vector<std::string> Expected(const std::string& dir, const std::string& name, const std::string& ext) {
    return {dir, name, ext, dir, name + ext, dir, name + ext, name, ext};
}

struct SplitCase {
    std::string path, dir, name, ext;
};

void ExpectSplit(const SplitCase& c) {
    EXPECT_EQ(Expected(c.dir, c.name, c.ext), Parts(c.path.c_str())) << c.path;
}

// Logical paths keep the trailing "\" of their folder.
TEST(Split, ByTheElementRules) {
    const SplitCase cases[] = {
        {"C:/D/a.b.c", "C:\\D", "a.b", ".c"}, {"C:\\r.lcd", "C:\\", "r", ".lcd"},
        {"C:\\D\\", "C:\\D", "", ""},         {"r.lcd", "", "r", ".lcd"},
        {"\\\\s\\h", "\\\\s\\", "h", ""},     {"//s/h/d/x.y", "\\\\s\\h\\d", "x", ".y"},
        {"C:\\D\\.cfg", "C:\\D", "", ".cfg"}, {"C:r.lcd", "C:", "r", ".lcd"},
        {"D.t\\\\S\\\\x", "D.t\\S", "x", ""}, {"C:\\", "C:\\", "", ""},
        {"C:\\D\\..", "C:\\D", "..", ""},     {"[V=1]\\C#\\r.a", "[V=1]\\C#\\", "r", ".a"},
        {"[]\\D.x\\r", "[]\\D.x\\", "r", ""}, {"[]\\C#\\..", "[]\\C#\\", ".", "."}};
    for (const SplitCase& c : cases) {
        ExpectSplit(c);
    }
    for (const char* empty : {"", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(std::vector<std::string>(9), Parts(empty));
    }
    // In a single-byte code page 0x83 is a character of its own, so the "]" after it counts.
    for (const char* logical : {"[]\\C#\\x", "[OldVer=1]\\C#\\Data\\Run01.lcd", "[\x83]\\C#\\x"}) {
        EXPECT_TRUE(Tool_IsLogicalPath(logical)) << logical;
    }
    for (const char* other : {"[x]y", "x[]\\", "[x]", "[x\\]", "", static_cast<const char*>(nullptr)}) {
        EXPECT_FALSE(Tool_IsLogicalPath(other)) << (other != nullptr ? other : "(null)");
    }
    const std::pair<const char*, const char*> roots[] = {
        {"C:\\Data", "C:"},     {"\\\\server\\share\\x", "\\\\server"},
        {"Data\\x", ""},        {"\\\\\\x", ""},
        {"abc:def\\x", "abc:"}, {"[]\\C#\\x", "untouched"}};
    for (const auto& [path, expected] : roots) {
        CString root("untouched");
        Tool_GetRootName(path, root);
        EXPECT_STREQ(expected, root) << path;
    }
}

TEST(Compose, ReplaceExtensionAndFileNameAndJoin) {
    // A folder has no extension to replace.
    const std::tuple<const char*, const char*, const char*> extensions[] = {
        {"C:\\D\\r.a", "lcm", "C:\\D\\r.lcm"},   {"C:\\D\\r.a", ".lcm", "C:\\D\\r.lcm"},
        {"C:\\D\\r.a", nullptr, "C:\\D\\r"},     {"a.b.c", "d", "a.b.d"},
        {"C:\\D\\", "lcm", "C:\\D\\"},           {"[]\\C#\\f.a", nullptr, "[]\\C#\\f"},
        {"[]\\D.x\\f", "lcm", "[]\\D.x\\f.lcm"}, {"[]\\C#\\.", nullptr, "[]\\C#\\"}};
    for (const auto& [input, ext, expected] : extensions) {
        CString path(input);
        Tool_ReplaceExtension(path, ext);
        EXPECT_STREQ(expected, path) << input << " + " << (ext != nullptr ? ext : "(null)");
    }
    // Runs of separators before the name go; a bare file name is replaced whole.
    const std::tuple<const char*, const char*, const char*> names[] = {
        {"C:\\D\\o.a", "n.b", "C:\\D\\n.b"},
        {"C:\\o.a", "n.b", "C:\\n.b"},
        {"C:\\D\\\\\\o.a", "n.b", "C:\\D\\n.b"},
        {"C:o.a", "n.b", "C:n.b"},
        {"o.a", "n.b", "n.b"},
        {"C:\\", "n.b", "C:\\n.b"},
        {"C:\\D\\o.a", "S/n.b", "C:\\D\\S\\n.b"},
        {"[V=1]\\C#\\D\\o.a", "n.b", "[V=1]\\C#\\D\\n.b"}};
    for (const auto& [path, name, expected] : names) {
        CString result("junk");
        Tool_ReplaceFileName(path, name, result);
        EXPECT_STREQ(expected, result) << path;
    }
    // One separator, none after a one-character folder; results cut to 259 bytes keeping the
    // extension; inputs beyond their room refused.
    const std::string d150 = "C:\\" + std::string(150, 'd'), n146 = std::string(142, 'n') + ".lcd";
    const std::tuple<std::string, std::string, std::string> joins[] = {
        {"C:\\Data", "Run01.lcd", "C:\\Data\\Run01.lcd"},
        {"C:\\Data\\", "Run01.lcd", "C:\\Data\\Run01.lcd"},
        {"C", "Run01.lcd", "CRun01.lcd"},
        {"C:", "Run01.lcd", "C:\\Run01.lcd"},
        {d150, n146, (d150 + "\\" + n146).substr(0, 255) + ".lcd"},
        {std::string(259, 'd'), "x", std::string(259, 'd')},
        {std::string(260, 'd'), "x", ""},
        {"C:\\Data", std::string(255, 'n'), ("C:\\Data\\" + std::string(255, 'n')).substr(0, 259)},
        {"C:\\Data", std::string(256, 'n'), ""}};
    for (const auto& [dir, name, expected] : joins) {
        CString result("junk");
        Tool_MakePath(result, dir.c_str(), name.c_str());
        EXPECT_EQ(expected, result.GetString()) << dir << " + " << name;
    }
    CString result("junk");
    Tool_MakePath(result, nullptr, "x");
    EXPECT_TRUE(result.IsEmpty());
}

// Paths of exactly 259, 260 and 261 bytes: the element rules take 259 and refuse the others.
TEST(LengthLimit, SplitReplaceAndChecks) {
    ovs::test::PathsReportFile();
    for (const size_t length : {259u, 260u, 261u}) {
        const std::string path =
            "C:\\Data\\" + std::string(length - 12, static_cast<char>('a' + length % 26)) + ".lcd";
        const bool accepted = length < 260;
        SCOPED_TRACE(length);
        EXPECT_EQ(accepted ? Expected("C:\\Data", path.substr(8, length - 12), ".lcd")
                           : std::vector<std::string>(9),
                  Parts(path.c_str()));
        EXPECT_EQ(!accepted, ReportContains("Too Long FilePath : " + path));
        CString root("untouched"), replaced(path.c_str()), renamed("junk");
        Tool_GetRootName(path.c_str(), root);
        EXPECT_STREQ(accepted ? "C:" : "untouched", root);
        Tool_ReplaceExtension(replaced, "lcm");
        EXPECT_EQ(accepted ? path.substr(0, length - 3) + "lcm" : path, replaced.GetString());
        Tool_ReplaceFileName(path.c_str(), "x.lcd", renamed);
        EXPECT_STREQ(accepted ? "C:\\Data\\x.lcd" : "", renamed);
        EXPECT_EQ(accepted,
                  Tool_CheckFullFilePathLengthFL(CString(std::string(length, 'p').c_str())) != FALSE);
        const CString name(std::string(length - 70, 'n').c_str()); // 189, 190, 191 bytes
        EXPECT_EQ(accepted, Tool_CheckFileNameIncludingExtensionLengthFL(name) != FALSE);
    }
    // A folder of 250 bytes and a new name that makes the result 260 bytes long.
    const std::string old = "C:\\" + std::string(247, 'f') + "\\old.lcd";
    CString renamed("junk");
    Tool_ReplaceFileName(old.c_str(), std::string(9, 'n').c_str(), renamed);
    EXPECT_TRUE(renamed.IsEmpty());
    Tool_ReplaceFileName(old.c_str(), std::string(8, 'n').c_str(), renamed);
    EXPECT_EQ(259, renamed.GetLength());
}

TEST(Abbreviate, CutsAtASeparator) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"C:\\Data\\Proj\\Run01.lcd", 12, "...\\Run01.lcd"},
        {"C:\\Data\\Proj\\Run01.lcd", 22, "C:\\Data\\Proj\\Run01.lcd"},
        {"C:\\Data\\Proj\\Run01.lcd", 21, "...\\Data\\Proj\\Run01.lcd"},
        {"\\\\server\\share\\x", 15, "...\\share\\x"},
        {"\\Data\\Run01.lcd", 3, "...\\Run01.lcd"}, // a leading separator, or two, is no cut point
        {"Run01.lcd", 3, "...Run01.lcd"},
        {"C:\\a\\b", -1, "...\\b"}};
    for (const auto& [path, maxLength, expected] : cases) {
        CString result("junk");
        EXPECT_EQ(static_cast<short>(std::strlen(expected)),
                  Tool_GetAbbreviatePathName(path, result, maxLength))
            << path << " " << maxLength;
        EXPECT_STREQ(expected, result) << path << " " << maxLength;
    }
}

TEST(FileNameChecks, InvalidCharactersAndTheCheckOrder) {
    for (int c = 1; c < 256; ++c) {
        const bool invalid = std::string("\\/:*?<>|\"").find(static_cast<char>(c)) != std::string::npos;
        EXPECT_EQ(!invalid, Tool_IsValidFilenameChar(static_cast<char>(c)) != FALSE) << c;
    }
    EXPECT_FALSE(Tool_IsValidFilename("a?b") || Tool_IsValidFilename("a\\b") ||
                 Tool_IsValidFilename(nullptr));
    EXPECT_TRUE(Tool_IsValidFilename("") && Tool_IsValidFilename("Run 01. ") && Tool_IsValidFilename("CON"));
    ovs::test::TempFolder folder;
    const std::pair<std::string, HRESULT> checks[] = {
        {folder / "Run01.lcd", S_OK},
        {"Run01.lcd", S_OK},
        {"[]\\C#\\Missing\\Run01.lcd", S_OK},
        {folder.path() + "\\", OVS_E_NO_FILE_NAME},
        {"", OVS_E_NO_FILE_NAME},
        {folder / "a*b.lcd", OVS_E_INVALID_FILE_NAME_CHAR},
        {folder / "Missing\\a*b.lcd", OVS_E_INVALID_FILE_NAME_CHAR},
        {folder / "Missing\\Run01.lcd", OVS_E_FOLDER_NOT_FOUND}};
    for (const auto& [path, hr] : checks) {
        EXPECT_EQ(hr, Tool_CheckFilePathName(path.c_str())) << path;
    }
    EXPECT_EQ(E_INVALIDARG, Tool_CheckFilePathName(nullptr));
    const std::tuple<const char*, char, const char*> converted[] = {
        {"C:\\a:b*c", '_', "C:\\a_b_c"}, {"C:\\a/b\\c?d", '-', "C:\\a-b\\c-d"},
        {"a:b\\c", '_', "a_b\\c"},                                            // no ":\": no drive part
        {"C*:\\x|y", '_', "C_:\\x_y"},   {"[]\\C#\\a*b", '_', "[]\\C#\\a*b"}, // logical: unchanged
        {"C:\\a<b>\"c", '\0', "C:\\abc"}};
    for (const auto& [path, replacement, result] : converted) {
        EXPECT_STREQ(result, Tool_ConvertInvalidCharInLocalPath(CString(path), replacement)) << path;
    }
    for (const char* path : {"\\\\server\\share", "\\\\", "//server/share", "\\", "\\x", "C:\\", ""}) {
        EXPECT_EQ(std::strncmp(path, "\\\\", 2) == 0, Tool_IsNetDrive(CString(path)) != FALSE) << path;
    }
}

// ---------------------------------------------------------------------------------------------
// The information block of logical paths

std::string Set(const char* path, const char* key, int value) {
    GuardedBuffer out(512);
    EXPECT_EQ(S_OK, Tool_SetInfoToLogicalPathInt(path, key, value, out.data(), out.size())) << path;
    EXPECT_TRUE(out.intact());
    return out.text();
}

TEST(LogicalInfo, ReadAndSetItems) {
    // Leading digits as atoi reads them; a block outside the recognised form still counts; a key is
    // no item whose name it starts or ends, nor one after the "]".
    const std::tuple<const char*, const char*, HRESULT, int> reads[] = {
        {"[OldVer=12#K=3]\\C#\\x", "K", S_OK, 3},
        {"[K=-5x]\\C#\\x", "K", S_OK, -5},
        {"[K=]\\C#\\x", "K", S_OK, 0},
        {"x[K=4]y", "K", S_OK, 4},
        {"[Kx=1#K=2]\\C#\\x", "K", S_OK, 2},
        {"[OldVer=1#Ver=7]\\C#\\x", "Ver", S_OK, 7},
        {"[OldVer=1]\\C#\\x", "Ver", E_FAIL, -7},
        {"[A=1]\\C#\\K=3", "K", E_FAIL, -7},
        {"C:\\K=3", "K", E_FAIL, -7},
        {"[K]\\C#\\x", "K", E_FAIL, -7},
        {nullptr, "K", E_INVALIDARG, -7},
        {"[K=1]\\x", nullptr, E_INVALIDARG, -7}};
    for (const auto& [path, key, hr, expected] : reads) {
        int value = -7;
        EXPECT_EQ(hr, Tool_GetInfoFromLogicalPathInt(path, key, &value)) << path << " " << key;
        EXPECT_EQ(expected, value) << path << " " << key;
    }
    EXPECT_EQ(E_INVALIDARG, Tool_GetInfoFromLogicalPathInt("[K=1]\\x", "K", nullptr));
    const std::tuple<const char*, const char*, int, const char*> sets[] = {
        {"C:\\Data\\Run01.lcd", "OldVer", 1, "[OldVer=1]\\C#\\Data\\Run01.lcd"},
        {"[OldVer=1]\\C#\\Data\\Run01.lcd", "OldVer", 2, "[OldVer=2]\\C#\\Data\\Run01.lcd"},
        {"[OldVer=1]\\C#\\Data\\Run01.lcd", "K", 5, "[K=5#OldVer=1]\\C#\\Data\\Run01.lcd"},
        {"[]\\C#\\Data\\Run01.lcd", "K", 5, "[K=5]\\C#\\Data\\Run01.lcd"},
        {"[A=1#K=2#B=3]\\C#\\x", "K", -40, "[A=1#K=-40#B=3]\\C#\\x"},
        {"[OldVer=1]\\C#\\x", "Ver", 3, "[Ver=3#OldVer=1]\\C#\\x"},
        {"[A=1]\\C#\\K=2", "K", 9, "[K=9#A=1]\\C#\\K=2"},
        {"\\\\server\\share\\a:b", "N", 1, "[N=1]\\\\\\server\\share\\a#b"},
        {"", "K", 1, "[K=1]\\"}};
    for (const auto& [path, key, value, out] : sets) {
        EXPECT_EQ(out, Set(path, key, value));
    }
    // Exactly the room for the text and its terminator, one byte less, none.
    const std::string expected = std::get<3>(sets[0]);
    for (const size_t room : {expected.size() + 1, expected.size(), size_t{0}}) {
        GuardedBuffer out(room);
        EXPECT_EQ(room > expected.size() ? S_OK : HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER),
                  Tool_SetInfoToLogicalPathInt(std::get<0>(sets[0]), "OldVer", 1, out.data(), out.size()));
        EXPECT_EQ(room > expected.size() ? expected : "", room > 0 ? out.text() : "");
        EXPECT_TRUE(out.intact());
    }
    char out[16];
    EXPECT_EQ(E_INVALIDARG, Tool_SetInfoToLogicalPathInt(nullptr, "K", 1, out, sizeof out));
    EXPECT_EQ(E_INVALIDARG, Tool_SetInfoToLogicalPathInt("C:\\x", nullptr, 1, out, sizeof out));
    EXPECT_EQ(E_INVALIDARG, Tool_SetInfoToLogicalPathInt("C:\\x", "K", 1, nullptr, 10));
}

TEST(LogicalInfo, RemoveAndClearTheBlock) {
    const struct {
        const char *path, *removed, *cleared; // none: E_FAIL and the buffer untouched
    } cases[] = {{"[OldVer=1]\\C#\\Data\\Run01.lcd", "C:\\Data\\Run01.lcd", "[]\\C#\\Data\\Run01.lcd"},
                 {"[]\\C#\\Data\\a#b.lcd", "C:\\Data\\a#b.lcd", "[]\\C#\\Data\\a#b.lcd"},
                 {"[A=1#B=2]\\rel\\x", "\\rel\\x", "[]\\rel\\x"},
                 {"C:\\plain", "C:\\plain", "[]C:\\plain"},
                 {"\\x#y", "x:y", "[]\\x#y"},
                 {"]x[", nullptr, nullptr}};
    for (const auto& c : cases) {
        for (const bool remove : {true, false}) {
            GuardedBuffer out(300, 'x');
            const HRESULT hr = (remove ? Tool_RemoveInfoOfLogicalPath
                                       : Tool_ClearInfoOfLogicalPath)(c.path, out.data(), out.size());
            const char* expected = remove ? c.removed : c.cleared;
            EXPECT_EQ(expected != nullptr ? S_OK : E_FAIL, hr) << c.path << " " << remove;
            EXPECT_EQ(expected != nullptr ? expected : std::string(300, 'x'),
                      expected != nullptr ? out.text() : out.bytes());
            EXPECT_TRUE(out.intact());
        }
    }
    // The result fills a buffer of its size without terminator; a larger one is padded with zeros.
    const char path[] = "[OldVer=1]\\C#\\Data\\Run01.lcd";
    const std::string removed = "C:\\Data\\Run01.lcd";
    for (const size_t extra : {0u, 5u}) {
        GuardedBuffer out(removed.size() + extra);
        EXPECT_EQ(S_OK, Tool_RemoveInfoOfLogicalPath(path, out.data(), out.size()));
        EXPECT_EQ(removed + std::string(extra, '\0'), out.bytes());
        EXPECT_TRUE(out.intact());
    }
    GuardedBuffer shorter(4);
    EXPECT_EQ(S_OK, Tool_ClearInfoOfLogicalPath(path, shorter.data(), shorter.size()));
    EXPECT_EQ("[]\\C", shorter.bytes());
    EXPECT_TRUE(shorter.intact());
    EXPECT_EQ(S_OK, Tool_ClearInfoOfLogicalPath(path, nullptr, 0));
    EXPECT_EQ(E_INVALIDARG, Tool_ClearInfoOfLogicalPath(nullptr, shorter.data(), shorter.size()));
    EXPECT_EQ(E_INVALIDARG, Tool_RemoveInfoOfLogicalPath(path, nullptr, 4));
}

TEST(LogicalCompare, BlocksDoNotCountAndVersionFieldsOnlyForOldVersions) {
    // '=': equal, '<': the first sorts before, '!': they differ. Fields 3, 17 and 18 after the block
    // count only when the first text has an old version item.
    const std::string to15 = "[]\\C#\\2\\3\\4\\5\\6\\7\\8\\9\\10\\11\\12\\13\\14\\15\\";
    const std::tuple<std::string, std::string, char> cases[] = {
        {"[A=1]\\C#\\Data\\Run01.lcd", "[B=2#C=3]\\C#\\Data\\Run01.lcd", '='},
        {"[]\\C#\\DATA\\run01.LCD", "[]\\c#\\Data\\Run01.lcd", '='},
        {"[A=1]\\C#\\Data\\v1\\Run01.lcd", "[]\\C#\\Data\\v2\\Run01.lcd", '='},
        {"[OldVer=1]\\C#\\Data\\v1\\Run01.lcd", "[]\\C#\\Data\\v2\\Run01.lcd", '<'},
        {"[]\\C#\\Data\\v1\\Run01.lcd", "[OldVer=1]\\C#\\Data\\v2\\Run01.lcd", '='}, // the first text's item
        {to15 + "16\\a\\b", to15 + "16\\c\\d", '='},
        {"[OldVer=1]" + to15.substr(2) + "16\\a", to15 + "16\\c", '<'},
        {to15 + "a\\17", to15 + "b\\17", '<'},
        {"[]\\C#\\Data\\Run01.lcd", "[]\\C#\\Daten\\Run01.lcd", '!'},
        {"C:\\Data\\Run01.lcd", "c:\\data\\RUN01.lcd", '='},
        {"C:\\a", "C:\\b", '<'},
        {"[A=1]\\C#\\x", "C:\\x", '!'}, // one logical path only
    };
    for (const auto& [a, b, expected] : cases) {
        const int order = Tool_CompareFileName(a.c_str(), b.c_str());
        EXPECT_TRUE(expected == '='   ? order == 0
                    : expected == '<' ? order < 0
                                      : order != 0)
            << a << " " << b << " " << order;
    }
    EXPECT_EQ(0, Tool_CompareFileName(nullptr, nullptr));
    EXPECT_NE(0, Tool_CompareFileName(nullptr, "a"));
}

TEST(ShortPath, CutsFoldersThenTheNameFront) {
    std::string name;
    for (int i = 0; i < 100; ++i) {
        name += static_cast<char>('a' + i % 26);
    }
    const std::tuple<std::string, UINT, std::string> cases[] = {
        {"C:\\a\\b.lcd", 255, "C:\\a\\b.lcd"},
        {"", 400, ""},
        {"C:\\A\\B\\C\\D\\E\\F\\G\\H\\I\\J\\K\\L\\M\\N\\O\\P\\Q\\R\\S\\T\\U\\V\\W\\X\\Y\\Z\\file.lcd", 300,
         "C:\\...\\file.lcd"},
        {"C:\\Data\\" + name, 300, "C:\\Data\\..." + name.substr(48)}, // exactly 45 characters saved
        {"\\\\server\\share\\folder1\\folder2\\folder3\\file.lcd", 256, "\\\\server\\...\\file.lcd"},
        {"0123456789", 259, "...789"}, // 4 to save: 7 cut, "..." added
    };
    for (const auto& [path, length, result] : cases) {
        EXPECT_EQ(result, Tool_GetShortPath(CString(path.c_str()), length).GetString()) << path;
    }
}

// ---------------------------------------------------------------------------------------------
// Double-byte paths (second process in code page 932); each of these characters has a trail byte
// that equals a separator or a bracket.

const std::string kHyou = "\x95\x5C";    // trail byte "\"
const std::string kSo = "\x83\x5C";      // trail byte "\"
const std::string kBracket = "\x83\x5D"; // trail byte "]"
const std::string kOpening = "\x81\x5B"; // trail byte "["

TEST(DbcsSplit, TrailByteIsNoSeparator) {
    OVS_REQUIRE_CODE_PAGE_932();
    ASSERT_TRUE(IsDBCSLeadByte(0x95));
    const SplitCase cases[] = {
        {"C:\\" + kHyou + "\\Run01.lcd", "C:\\" + kHyou, "Run01", ".lcd"},
        {"C:\\Data\\" + kHyou + ".lcd", "C:\\Data", kHyou, ".lcd"},
        {"C:\\Data\\" + kSo + kHyou, "C:\\Data", kSo + kHyou, ""},
        {"C:\\" + kHyou + "\\" + kSo + "\\", "C:\\" + kHyou + "\\" + kSo, "", ""},
        {"C:/" + kSo + "/a." + kHyou, "C:\\" + kSo, "a", "." + kHyou},
        {"[]\\C#\\" + kHyou + "\\Run01.lcd", "[]\\C#\\" + kHyou + "\\", "Run01", ".lcd"},
        {"[" + kBracket + "]\\C#\\" + kSo, "[" + kBracket + "]\\C#\\", kSo, ""}};
    for (const SplitCase& c : cases) {
        ExpectSplit(c);
    }
    CString root;
    Tool_GetRootName(("\\\\" + kHyou + "\\share\\x").c_str(), root);
    EXPECT_EQ("\\\\" + kHyou, root.GetString());
    // A "]" that is a trail byte does not close the information block.
    EXPECT_FALSE(Tool_IsLogicalPath(("[" + kBracket + "\\C#\\x").c_str()));
    EXPECT_TRUE(Tool_IsLogicalPath(("[" + kOpening + kBracket + "]\\C#\\x").c_str()));
}

TEST(DbcsCompose, JoinReplaceAndCutByCharacter) {
    OVS_REQUIRE_CODE_PAGE_932();
    CString result;
    Tool_MakePath(result, ("C:\\" + kHyou).c_str(), "Run01.lcd");
    EXPECT_EQ("C:\\" + kHyou + "\\Run01.lcd", result.GetString());
    Tool_ReplaceFileName(("C:\\" + kHyou + "\\old.lcd").c_str(), (kSo + ".lcd").c_str(), result);
    EXPECT_EQ("C:\\" + kHyou + "\\" + kSo + ".lcd", result.GetString());
    CString path(("C:\\" + kHyou + "\\" + kSo + ".lcd").c_str());
    Tool_ReplaceExtension(path, "lcm");
    EXPECT_EQ("C:\\" + kHyou + "\\" + kSo + ".lcm", path.GetString());
    EXPECT_EQ(5, Tool_GetAbbreviatePathName(("C:\\" + kHyou + kHyou + "\\x").c_str(), result, 2));
    EXPECT_STREQ("...\\x", result);
    EXPECT_TRUE(Tool_IsValidFilename((kHyou + kSo).c_str()));
    EXPECT_EQ("C:\\" + kHyou + "_",
              Tool_ConvertInvalidCharInLocalPath(CString(("C:\\" + kHyou + "*").c_str()), '_').GetString());
    // 200 + 1 + 104 characters cut to 259 by whole characters; the short path counts characters too.
    std::string wide, cut;
    for (int i = 0; i < 100; ++i) {
        wide += kHyou;
        cut += i < 259 - 201 - 4 ? kHyou : "";
    }
    const std::string dir = "C:\\" + std::string(197, 'd');
    Tool_MakePath(result, dir.c_str(), (wide + ".lcd").c_str());
    EXPECT_EQ(dir + "\\" + cut + ".lcd", result.GetString());
    EXPECT_EQ("C:\\Data\\..." + wide.substr(96),
              Tool_GetShortPath(CString(("C:\\Data\\" + wide).c_str()), 300).GetString());
    // A lead byte without its trail byte does not convert: refused.
    ovs::test::PathsReportFile();
    const std::string broken = "C:\\Data\\x\x81";
    EXPECT_EQ(std::vector<std::string>(9), Parts(broken.c_str()));
    EXPECT_TRUE(ReportContains("Unconvertible FilePath : " + broken));
    Tool_MakePath(result, "C:\\Data", "x\x81");
    EXPECT_TRUE(result.IsEmpty());
    EXPECT_EQ(-1, Tool_MakeDirectories(broken.c_str()));
}

TEST(DbcsLogicalPath, TrailBytesAreNoBracketsOrSeparators) {
    OVS_REQUIRE_CODE_PAGE_932();
    EXPECT_EQ("[K=1]\\C#\\" + kBracket + "\\" + kSo + ".lcd",
              Set(("C:\\" + kBracket + "\\" + kSo + ".lcd").c_str(), "K", 1));
    int value = 0;
    EXPECT_EQ(E_FAIL, Tool_GetInfoFromLogicalPathInt(("[" + kBracket + "K=1]\\x").c_str(), "K", &value));
    EXPECT_EQ(0, Tool_CompareFileName(("[A=1]\\C#\\" + kSo + "\\v1\\f").c_str(),
                                      ("[]\\C#\\" + kSo + "\\v2\\f").c_str()));
    EXPECT_NE(0,
              Tool_CompareFileName(("[]\\C#\\" + kSo + "a\\f").c_str(), ("[]\\C#\\" + kSo + "b\\f").c_str()));
}

// ---------------------------------------------------------------------------------------------
// The path-information component

constexpr char kPath[] = "[DataSet=3#OldVer=1]\\C#\\Proj\\Data\\Run01.lcd";
constexpr char kAllFail[] = "20=hr:80004005;20000=hr:80004005;40000=hr:80004005;100000=hr:80004005";

class PathInfoComponent : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_module = LoadLibraryA((ovs::test::ExecutableFolder() + "\\OVSPathInfo.dll").c_str());
        s_counters = reinterpret_cast<PathInfoCountersFn>(
            reinterpret_cast<void*>(GetProcAddress(s_module, "PathInfoCounters")));
    }
    void SetUp() override {
        ASSERT_NE(nullptr, s_counters);
        ASSERT_EQ(S_OK, ovs::test::CallServerFunction(s_module, "DllRegisterServer"));
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        Fail(nullptr);
    }
    void TearDown() override {
        Fail(nullptr);
        Tool_ReleaseInterface();
        CoUninitialize();
    }
    // Makes entries of the component fail, as the stand-in describes; a failing creation shows on a
    // new object only.
    static void Fail(const char* entries) {
        SetEnvironmentVariableA("OVS_PATHINFO_FAIL", entries);
        if (entries != nullptr && std::strncmp(entries, "create", 6) == 0) {
            Tool_ReleaseInterface();
        }
    }
    static PathInfoCounts Counts() {
        PathInfoCounts counts = {};
        s_counters(&counts);
        return counts;
    }
    static DWORD Items(DWORD mask, CString& out, const char* path = kPath) {
        return Tool_GetPathInfoFromLogicalPath(CString(path), out, mask, '\\', FALSE);
    }
    static inline HMODULE s_module = nullptr;
    static inline PathInfoCountersFn s_counters = nullptr;
};

TEST_F(PathInfoComponent, CreatedOnceReusedAndCreatedAgainAfterRelease) {
    const PathInfoCounts before = Counts();
    const auto changes = [&] { // objects created, live objects, calls
        const PathInfoCounts now = Counts();
        return std::tuple(now.created - before.created, now.liveObjects - before.liveObjects,
                          now.calls - before.calls);
    };
    CString project, dataSet;
    int kind = -1;
    EXPECT_EQ(OVS_PATHINFO_PROJECT_NAME, Items(OVS_PATHINFO_PROJECT_NAME, project));
    EXPECT_EQ(S_OK, Tool_GetFileKindFromLogicalPath(CString(kPath), &kind));
    EXPECT_EQ(OVS_PATHINFO_DATA_SET_NUMBER, Items(OVS_PATHINFO_DATA_SET_NUMBER, dataSet));
    EXPECT_EQ("Proj 1 3", B(project) + " " + std::to_string(kind) + " " + B(dataSet));
    EXPECT_EQ(std::tuple(1L, 1L, 3L), changes()) << "one object for all three calls";
    EXPECT_EQ(0u, Tool_ReleaseInterface()) << "the component's count after its last reference";
    EXPECT_EQ(0u, Tool_ReleaseInterface()); // nothing held: no effect
    EXPECT_EQ(std::tuple(1L, 0L, 3L), changes());
    EXPECT_EQ(OVS_PATHINFO_PROJECT_NAME, Items(OVS_PATHINFO_PROJECT_NAME, project));
    EXPECT_EQ(std::tuple(2L, 1L, 4L), changes());
}

TEST_F(PathInfoComponent, ItemsInBitOrderWithTheSeparator) {
    CString out;
    const DWORD all = OVS_PATHINFO_IDENTIFIER | OVS_PATHINFO_PROJECT_NAME | OVS_PATHINFO_ITEM_40 |
                      OVS_PATHINFO_NUMBER | OVS_PATHINFO_ITEM_20000 | OVS_PATHINFO_DATA_SET_NUMBER |
                      OVS_PATHINFO_SHORT_FORM | OVS_PATHINFO_ITEM_100000;
    EXPECT_EQ(all, Tool_GetPathInfoFromLogicalPath(CString(kPath), out, all | 0x1u | 0x2u | 0x40000000u, '|',
                                                   TRUE));
    CStringArray parts;
    Tool_SplitString(parts, out, '|');
    ASSERT_EQ(8, parts.GetSize()) << out.GetString();
    EXPECT_EQ(36, parts[0].GetLength()) << "GUID text without braces";
    EXPECT_EQ(-1, parts[0].FindOneOf("{}ABCDEF"));
    // Two items in the block; the flag reached item 0x20000.
    const char* const expected[] = {
        "Proj", "C:\\Proj\\Data\\Run01.lcd", "2", "Run01", "3", "Proj\\Run01.lcd", "old version 1"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_STREQ(expected[i], parts[i + 1]);
    }
    CString again;
    Tool_GetPathInfoFromLogicalPath(CString(kPath), again, OVS_PATHINFO_IDENTIFIER, '|', FALSE);
    EXPECT_STREQ(parts[0], again) << "the same path gives the same identifier";
}

TEST_F(PathInfoComponent, FailingItemKeepsItsPlaceOnlyWithTheTopBit) {
    const DWORD three = OVS_PATHINFO_PROJECT_NAME | OVS_PATHINFO_ITEM_20000 | OVS_PATHINFO_DATA_SET_NUMBER;
    const DWORD keep = OVS_PATHINFO_KEEP_PLACES;
    const char* const noSet = "[]\\C#\\Proj\\Run01.lcd";
    const std::tuple<const char*, const char*, DWORD, DWORD, const char*> cases[] = {
        {"20=hr:80004005", kPath, OVS_PATHINFO_PROJECT_NAME | keep, OVS_PATHINFO_PROJECT_NAME, ""},
        {"20=hr:80004005", kPath, OVS_PATHINFO_PROJECT_NAME, 0, ""},
        {"40000=status:-2", kPath, three | keep, three, "Proj\\Run01.lcd\\"},
        {"40000=status:-2", kPath, three, OVS_PATHINFO_PROJECT_NAME | OVS_PATHINFO_ITEM_20000,
         "Proj\\Run01.lcd"},
        {"20=status:-1;20000=hr:80070057", kPath, three | keep, three, "\\\\3"},
        {"20=status:-1;20000=hr:80070057", kPath, three, OVS_PATHINFO_DATA_SET_NUMBER, "3"},
        {nullptr, noSet, OVS_PATHINFO_DATA_SET_NUMBER, 0, ""}, // an empty item
        {nullptr, noSet, OVS_PATHINFO_DATA_SET_NUMBER | keep, OVS_PATHINFO_DATA_SET_NUMBER, ""},
        {nullptr, kPath, 0, 0, ""},
        {nullptr, kPath, keep, 0, ""},
        {"create=80040154", kPath, OVS_PATHINFO_PROJECT_NAME, 0, "untouched"}};
    for (const auto& [fail, path, mask, placed, expected] : cases) {
        Fail(fail);
        CString out("untouched");
        EXPECT_EQ(placed, Items(mask, out, path)) << fail << " " << std::hex << mask;
        EXPECT_STREQ(expected, out) << fail << " " << std::hex << mask;
    }
}

TEST_F(PathInfoComponent, FileKind) {
    const std::tuple<const char*, const char*, HRESULT, int> cases[] = {
        {nullptr, "[]\\C#\\x.LCM", S_OK, 2},
        {nullptr, "[]\\C#\\x.txt", S_OK, 0},
        {"kind=hr:80004005", kPath, E_FAIL, -1}, // -1: whatever the component gave
        {"kind=status:3", kPath, 3, -1},         // the status is the result
        {"create=80040154", kPath, static_cast<HRESULT>(0x80040154), 7}};
    for (const auto& [fail, path, hr, expected] : cases) {
        Fail(fail);
        int kind = 7;
        EXPECT_EQ(hr, Tool_GetFileKindFromLogicalPath(CString(path), &kind)) << path << " " << fail;
        EXPECT_TRUE(expected < 0 || expected == kind) << path << " " << fail << " " << kind;
    }
    Fail(nullptr);
    EXPECT_EQ(E_FAIL, Tool_GetFileKindFromLogicalPath(CString(kPath), nullptr));
}

TEST_F(PathInfoComponent, DisplayTextsAndShortPaths) {
    // form 0: the plain export; 1 to 4: with project and data set, data set only, project only, neither
    const std::tuple<const char*, const char*, int, BOOL, const char*> cases[] = {
        {nullptr, kPath, 0, FALSE, "Proj - 3/Run01.lcd - old version 1"},
        {nullptr, kPath, 0, TRUE, "Proj - 3/Run01 - old version 1"},
        {nullptr, "[]\\C#\\Proj\\Run01.lcd", 0, FALSE, "Proj - Run01.lcd"},
        {nullptr, "[]\\C#\\Run01.lcd", 0, FALSE, "Run01.lcd"},
        {nullptr, "C:\\Data\\x.lcd", 0, FALSE, "C:\\Data\\x.lcd"},
        {"20000=hr:80004005", kPath, 0, FALSE, "Proj - 3 - old version 1"},
        {kAllFail, kPath, 0, FALSE, ""}, // nothing placed
        {"create=80040154", kPath, 0, FALSE, ""},
        {nullptr, kPath, 2, FALSE, "3/Run01.lcd - old version 1"},
        {nullptr, kPath, 3, FALSE, "Proj - Run01.lcd - old version 1"},
        {nullptr, kPath, 4, FALSE, "Run01.lcd - old version 1"},
        {"20000=hr:80004005;100000=hr:80004005", kPath, 4, FALSE, ""}};
    for (const auto& [fail, path, form, noExtension, text] : cases) {
        Fail(fail);
        EXPECT_STREQ(text, form == 0 ? Tool_MakeDisplayDataFilePathFromLogicalPath(CString(path), noExtension)
                                     : Tool_MakeDisplayDataFilePathFromLogicalPath_ProjectName_DataSetNum(
                                           CString(path), form % 2, form < 3))
            << path << " " << form;
    }
    Fail(nullptr);
    // The display text is 34 characters, the path 43: with 9 saved, a text of up to 264 takes it.
    EXPECT_STREQ("Proj - 3/Run01.lcd - old version 1", Tool_GetShortPathFromLogicalPath(CString(kPath), 264));
    EXPECT_STREQ("Proj\\Run01.lcd", Tool_GetShortPathFromLogicalPath(CString(kPath), 265))
        << "the short form";
    EXPECT_STREQ("Proj\\Run01.lcd", Tool_GetShortPath(CString(kPath), 300));
    EXPECT_STREQ("", Tool_GetShortPathFromLogicalPath(CString(), 300));
    Fail("80000=hr:80004005");
    EXPECT_STREQ("", Tool_GetShortPathFromLogicalPath(CString(kPath), 300));
    Fail(kAllFail);
    EXPECT_STREQ("", Tool_GetShortPathFromLogicalPath(CString(kPath), 10));
}

// ---------------------------------------------------------------------------------------------
// Random strings of the pieces that matter (separators, brackets, items of the block, double-byte
// characters whose trail byte is a separator or a bracket, a lead byte at the end, lengths beyond the
// limit) into every export: each returns in order, keeps its results consistent and writes nothing
// outside its buffers.

void Fuzz(unsigned seed) {
    static const char* const kPieces[] = {
        "\\",           "/",      ":",      "[",     "]",    ".",      "..",  "C:\\",
        "\\\\",         "#",      "*",      " ",     "K=",   "Ver=-7", "abc", "x.lcd",
        "[OldVer=1]\\", "\x83\\", "\x95\\", "\x83]", "\x81["};
    std::mt19937 random(seed);
    const auto pick = [&](size_t bound) { return static_cast<size_t>(random() % bound); };
    for (int round = 0; round < 3000 && !::testing::Test::HasFailure(); ++round) {
        std::string input, other;
        for (size_t n = pick(30); n > 0; --n) {
            input += kPieces[pick(std::size(kPieces))];
            other += n % 3 == 0 ? kPieces[pick(std::size(kPieces))] : "";
        }
        input += std::string(round % 7 == 0 ? pick(300) : 0, 'p') + (round % 5 == 0 ? "\x81" : "");
        SCOPED_TRACE(input);
        GuardedBuffer path(input), second(other), set(pick(80)), removed(pick(80)), cleared(pick(80)),
            autoName(pick(40));
        const std::vector<std::string> parts = Parts(path.data());
        EXPECT_EQ(Expected(parts[0], parts[1], parts[2]), parts);
        EXPECT_TRUE(!Tool_IsLogicalPath(path.data()) || input == parts[0] + parts[1] + parts[2]);
        CString root, replaced(path.data()), renamed, composed, abbreviated, numbered(path.data()),
            series(path.data());
        Tool_GetRootName(path.data(), root);
        Tool_ReplaceExtension(replaced, second.data());
        Tool_ReplaceFileName(path.data(), second.data(), renamed);
        Tool_MakePath(composed, path.data(), second.data());
        Tool_IncreaseFilenameNumber(numbered, TRUE, 3, FALSE);
        Tool_FileNameInc(series, second.data(), static_cast<short>(round));
        for (const CString* text : {&root, &replaced, &renamed, &composed, &numbered, &series}) {
            EXPECT_EQ(std::string::npos, B(*text).find('\0')) << B(*text);
        }
        EXPECT_TRUE(renamed.GetLength() < MAX_PATH && composed.GetLength() <= 2 * (MAX_PATH - 1));
        const short length =
            Tool_GetAbbreviatePathName(path.data(), abbreviated, static_cast<int>(pick(300)) - 10);
        EXPECT_EQ(length, abbreviated.GetLength());
        Tool_CheckFilePathName(path.data());
        EXPECT_EQ(input.size(), B(Tool_ConvertInvalidCharInLocalPath(CString(path.data()), '_')).size());
        Tool_MakeAutoFileName(second.data(), nullptr, autoName.size() > 0 ? autoName.data() : nullptr,
                              autoName.size());
        int value = 0;
        const HRESULT read = Tool_GetInfoFromLogicalPathInt(path.data(), round % 2 ? "K" : "Ver", &value);
        const HRESULT written = Tool_SetInfoToLogicalPathInt(path.data(), "K", round, set.data(), set.size());
        EXPECT_TRUE((read == S_OK || read == E_FAIL) &&
                    (written == S_OK || written == HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)));
        EXPECT_EQ(Tool_RemoveInfoOfLogicalPath(path.data(), removed.data(), removed.size()),
                  Tool_ClearInfoOfLogicalPath(path.data(), cleared.data(), cleared.size()));
        EXPECT_EQ(0, Tool_CompareFileName(path.data(), path.data()));
        if (round % 10 == 0) { // the component's answers too
            CString out;
            Tool_GetPathInfoFromLogicalPath(CString(path.data()), out, 0xFFFFFFFF, '\\', round % 20 == 0);
            Tool_MakeDisplayDataFilePathFromLogicalPath(CString(path.data()), FALSE);
            Tool_GetShortPathFromLogicalPath(CString(path.data()), static_cast<UINT>(round % 300));
        }
        // Nothing written outside the buffers; the inputs are read, never written.
        EXPECT_TRUE(path.intact() && second.intact() && set.intact() && removed.intact() &&
                    cleared.intact() && autoName.intact() && input == path.data() && other == second.data());
    }
}

TEST_F(PathInfoComponent, RandomBytesInTheProcessCodePage) {
    Fuzz(20261206);
}

class DbcsPathInfoComponent : public PathInfoComponent {};

TEST_F(DbcsPathInfoComponent, RandomBytesInCodePage932) {
    OVS_REQUIRE_CODE_PAGE_932();
    Fuzz(932);
}

} // namespace
