// Paths split, composed and checked, real folders, the information block of logical paths and the
// path-information component (the stand-in OVSPathInfo.dll, registered in this prefix); double-byte
// names in code page 932 in second processes.
#include "cp932_child.h"
#include "file_helpers.h"
#include "guarded_buffer.h"
#include "japanese_unix_locale.h"
#include "paths_report.h"
#include "ovstoollogicalpath.h"
#include "ovstoolpaths.h"

#include "../standins/pathinfo/path_info_standin.h"

#include <array>

using namespace ovs::test;

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

// The path with its extension ('e') or file name ('n') replaced, or joined with a name ('j').
std::string Composed(char how, const std::string& path, const char* with) {
    CString result(how == 'e' ? path.c_str() : "junk");
    if (how == 'e') {
        Tool_ReplaceExtension(result, with);
    } else if (how == 'n') {
        Tool_ReplaceFileName(path.c_str(), with, result);
    } else {
        Tool_MakePath(result, path.c_str(), with);
    }
    return B(result);
}

// Logical paths keep the trailing "\" of their folder.
TEST(Split, ByTheElementRules) {
    const std::array<std::string, 4> cases[] = {
        {"C:/D/a.b.c", "C:\\D", "a.b", ".c"}, {"C:\\r.lcd", "C:\\", "r", ".lcd"},
        {"C:\\D\\", "C:\\D", "", ""},         {"r.lcd", "", "r", ".lcd"},
        {"\\\\s\\h", "\\\\s\\", "h", ""},     {"//s/h/d/x.y", "\\\\s\\h\\d", "x", ".y"},
        {"C:\\D\\.cfg", "C:\\D", "", ".cfg"}, {"C:r.lcd", "C:", "r", ".lcd"},
        {"D.t\\\\S\\\\x", "D.t\\S", "x", ""}, {"C:\\", "C:\\", "", ""},
        {"C:\\D\\..", "C:\\D", "..", ""},     {"[V=1]\\C#\\r.a", "[V=1]\\C#\\", "r", ".a"},
        {"[]\\D.x\\r", "[]\\D.x\\", "r", ""}, {"[]\\C#\\..", "[]\\C#\\", ".", "."}};
    for (const auto& [path, dir, name, ext] : cases) {
        EXPECT_EQ(Expected(dir, name, ext), Parts(path.c_str())) << path;
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

// A folder has no extension; separators before a replaced name go; a join puts one separator (none
// after one character), cuts to 259 bytes keeping the extension and refuses inputs beyond their room.
TEST(Compose, ReplaceExtensionAndFileNameAndJoin) {
    const std::string d150 = "C:\\" + std::string(150, 'd'), n146 = std::string(142, 'n') + ".lcd";
    const std::string d259(259, 'd'), n255(255, 'n'), n256(256, 'n'),
        f250 = "C:\\" + std::string(247, 'f') + "\\";
    const std::string cut146 = (d150 + "\\" + n146).substr(0, 255) + ".lcd";
    const std::string cut255 = ("C:\\D\\" + n255).substr(0, 259);
    const std::tuple<char, std::string, const char*, std::string> cases[] = {
        {'e', "C:\\D\\r.a", nullptr, "C:\\D\\r"},  {'e', "C:\\D\\r.a", "lcm", "C:\\D\\r.lcm"},
        {'e', "C:\\D\\", "lcm", "C:\\D\\"},        {'e', "C:\\D\\r.a", ".lcm", "C:\\D\\r.lcm"},
        {'e', "[]\\C#\\.", nullptr, "[]\\C#\\"},   {'e', "a.b.c", "d", "a.b.d"},
        {'n', "C:\\D\\o.a", "n.b", "C:\\D\\n.b"},  {'e', "[]\\D.x\\f", "lcm", "[]\\D.x\\f.lcm"},
        {'n', "C:\\o.a", "n.b", "C:\\n.b"},        {'n', "C:\\D\\\\\\o.a", "n.b", "C:\\D\\n.b"},
        {'n', "C:\\", "n.b", "C:\\n.b"},           {'n', "o.a", "n.b", "n.b"},
        {'j', "C:\\D", "r.lcd", "C:\\D\\r.lcd"},   {'n', "C:\\D\\o.a", "S/n.b", "C:\\D\\S\\n.b"},
        {'j', "C:\\D\\", "r.lcd", "C:\\D\\r.lcd"}, {'n', "[V]\\C#\\D\\o.a", "n.b", "[V]\\C#\\D\\n.b"},
        {'j', "C:", "r.lcd", "C:\\r.lcd"},         {'j', "C", "r.lcd", "Cr.lcd"},
        {'j', d150, n146.c_str(), cut146},         {'j', d259, "x", d259},
        {'j', "C:\\D", n255.c_str(), cut255},      {'j', d259 + "d", "x", ""},
        {'j', "C:\\D", n256.c_str(), ""},          {'n', f250 + "o.a", "nnnnnnnn", f250 + "nnnnnnnn"},
        {'n', f250 + "o.a", "nnnnnnnnn", ""}};
    for (const auto& [how, path, with, expected] : cases) {
        EXPECT_EQ(expected, Composed(how, path, with)) << how << " " << path << " " << with;
    }
    CString result("junk");
    Tool_MakePath(result, nullptr, "x");
    EXPECT_TRUE(result.IsEmpty());
}

// Paths of exactly 259, 260 and 261 bytes: the element rules take 259 and refuse the others.
TEST(LengthLimit, SplitReplaceAndChecks) {
    PathsReportFile();
    for (const size_t length : {259u, 260u, 261u}) {
        const std::string path =
            "C:\\Data\\" + std::string(length - 12, static_cast<char>('a' + length % 26)) + ".lcd";
        const bool accepted = length < 260;
        SCOPED_TRACE(length);
        EXPECT_EQ(accepted ? Expected("C:\\Data", path.substr(8, length - 12), ".lcd")
                           : std::vector<std::string>(9),
                  Parts(path.c_str()));
        EXPECT_EQ(!accepted, ReportContains("Too Long FilePath : " + path));
        EXPECT_EQ(accepted ? path.substr(0, length - 3) + "lcm" : path, Composed('e', path, "lcm"));
        EXPECT_EQ(accepted,
                  Tool_CheckFullFilePathLengthFL(CString(std::string(length, 'p').c_str())) != FALSE);
        const CString name(std::string(length - 70, 'n').c_str()); // 189, 190, 191 bytes
        EXPECT_EQ(accepted, Tool_CheckFileNameIncludingExtensionLengthFL(name) != FALSE);
    }
}

// A leading separator, or the two of a network name, is no cut point.
TEST(Abbreviate, CutsAtASeparator) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"C:\\D\\P\\r.x", 5, "...\\r.x"}, {"C:\\D\\P\\r.x", 10, "C:\\D\\P\\r.x"}, {"\\D\\r.x", 3, "...\\r.x"},
        {"\\\\s\\h\\x", 4, "...\\h\\x"},  {"C:\\D\\P\\r.x", 9, "...\\D\\P\\r.x"}, {"r.x", 1, "...r.x"},
        {"C:\\a\\b", -1, "...\\b"}};
    for (const auto& [path, maxLength, expected] : cases) {
        CString result("junk");
        const short length = Tool_GetAbbreviatePathName(path, result, maxLength);
        EXPECT_EQ(std::to_string(std::strlen(expected)) + expected, std::to_string(length) + B(result))
            << path << " " << maxLength;
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
    TempFolder folder;
    const std::string f = folder.path();
    const std::pair<std::string, HRESULT> checks[] = {
        {f + "\\a*b", OVS_E_INVALID_FILE_NAME_CHAR},    {f + "\\r.x", S_OK}, {"[]\\C#\\M\\r.x", S_OK},
        {f + "\\M\\a*b", OVS_E_INVALID_FILE_NAME_CHAR}, {"r.x", S_OK},       {f + "\\", OVS_E_NO_FILE_NAME},
        {f + "\\M\\r.x", OVS_E_FOLDER_NOT_FOUND}};
    for (const auto& [path, hr] : checks) {
        EXPECT_EQ(hr, Tool_CheckFilePathName(path.c_str())) << path;
    }
    EXPECT_EQ(E_INVALIDARG, Tool_CheckFilePathName(nullptr));
    // Without ":\" there is no drive part; logical paths stay as they are.
    const std::tuple<const char*, char, const char*> converted[] = {
        {"C:\\a:b*c", '_', "C:\\a_b_c"},     {"C:\\a/b\\c?d", '-', "C:\\a-b\\c-d"},
        {"a:b\\c", '_', "a_b\\c"},           {"C*:\\x|y", '_', "C_:\\x_y"},
        {"[]\\C#\\a*b", '_', "[]\\C#\\a*b"}, {"C:\\a<b>\"c", '\0', "C:\\abc"}};
    for (const auto& [path, replacement, result] : converted) {
        EXPECT_STREQ(result, Tool_ConvertInvalidCharInLocalPath(CString(path), replacement)) << path;
    }
    for (const char* path : {"\\\\server\\share", "\\\\", "//server/share", "\\", "\\x", "C:\\", ""}) {
        EXPECT_EQ(std::strncmp(path, "\\\\", 2) == 0, Tool_IsNetDrive(CString(path)) != FALSE) << path;
    }
}

// The information block of logical paths

// The digits atoi reads; a block anywhere counts; a key matches only whole item names inside it.
TEST(LogicalInfo, ReadItems) {
    const std::tuple<const char*, const char*, HRESULT, int> reads[] = {
        {"[O=1#K=3]\\C#\\x", "K", S_OK, 3},     {"[K=-5x]\\C#\\x", "K", S_OK, -5},
        {"[K=]\\C#\\x", "K", S_OK, 0},          {"x[K=4]y", "K", S_OK, 4},
        {"[Kx=1#K=2]\\C#\\x", "K", S_OK, 2},    {"[OldVer=1]\\C#\\x", "Ver", E_FAIL, -7},
        {"[A=1]\\C#\\K=3", "K", E_FAIL, -7},    {"C:\\K=3", "K", E_FAIL, -7},
        {"[K]\\C#\\x", "K", E_FAIL, -7},        {nullptr, "K", E_INVALIDARG, -7},
        {"[K=1]\\x", nullptr, E_INVALIDARG, -7}};
    for (const auto& [path, key, hr, expected] : reads) {
        int value = -7;
        EXPECT_EQ(hr, Tool_GetInfoFromLogicalPathInt(path, key, &value)) << path << " " << key;
        EXPECT_EQ(expected, value) << path << " " << key;
    }
}

// A new item goes first (an ordinary path gets a block, its ":" a "#"). Into the text's length plus
// the room given: the text alone is too long for setting but fills the buffer for removing and
// clearing, more is padded with zeros, less takes the start. A "]" before the "[" changes nothing.
TEST(LogicalInfo, SetRemoveAndClearIntoBuffersOfEverySize) {
    using Rewrite = HRESULT (*)(LPCSTR, LPSTR, DWORD);
    const Rewrite set = [](LPCSTR path, LPSTR out, DWORD size) {
        return Tool_SetInfoToLogicalPathInt(path, "K", -5, out, size);
    };
    const Rewrite remove = Tool_RemoveInfoOfLogicalPath, clear = Tool_ClearInfoOfLogicalPath;
    const HRESULT noRoom = HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    const std::tuple<Rewrite, const char*, int, HRESULT, std::string> cases[] = {
        {set, "C:\\D\\r", 0, noRoom, "[K=-5]\\C#\\D\\r"},     {set, "C:\\D\\r", 1, S_OK, "[K=-5]\\C#\\D\\r"},
        {set, "[K=1]\\C#\\x", 1, S_OK, "[K=-5]\\C#\\x"},      {set, "[Kx=1]\\x", 1, S_OK, "[K=-5#Kx=1]\\x"},
        {set, "[A=1#K=2#B]\\x", 1, S_OK, "[A=1#K=-5#B]\\x"},  {set, "[]\\C#\\x", 1, S_OK, "[K=-5]\\C#\\x"},
        {set, "[A=1]\\K=2", 1, S_OK, "[K=-5#A=1]\\K=2"},      {set, "", 1, S_OK, "[K=-5]\\"},
        {set, "\\\\s\\a:b", 1, S_OK, "[K=-5]\\\\\\s\\a#b"},   {remove, "[A=1#B=2]\\x", 1, S_OK, "\\x"},
        {remove, "[O=1]\\C#\\D\\r", 0, S_OK, "C:\\D\\r"},     {remove, "\\x#y", 1, S_OK, "x:y"},
        {remove, "[O=1]\\C#\\D\\r", 5, S_OK, "C:\\D\\r"},     {clear, "C:\\p", 1, S_OK, "[]C:\\p"},
        {remove, "[]\\C#\\D\\a#b", 1, S_OK, "C:\\D\\a#b"},    {remove, "]x[", 1, E_FAIL, ""},
        {clear, "[O=1]\\C#\\D\\r", -6, S_OK, "[]\\C#\\D\\r"}, {clear, "]x[", 1, E_FAIL, ""}};
    for (const auto& [rewrite, path, extra, hr, text] : cases) {
        const size_t room = text.size() + extra;
        GuardedBuffer out(room, 'x');
        EXPECT_EQ(hr, rewrite(path, out.data(), out.size())) << path << " " << room;
        const std::string filler(room, hr == E_FAIL ? 'x' : '\0');
        EXPECT_EQ(hr == S_OK ? (text + filler).substr(0, room) : filler, out.bytes()) << path << " " << room;
        EXPECT_TRUE(out.intact());
    }
    char out[16];
    EXPECT_EQ(noRoom, set("C:\\x", out, 0));
    EXPECT_EQ(E_INVALIDARG, Tool_GetInfoFromLogicalPathInt("[K=1]\\x", "K", nullptr));
    EXPECT_EQ(E_INVALIDARG, Tool_SetInfoToLogicalPathInt(nullptr, "K", 1, out, sizeof out));
    EXPECT_EQ(E_INVALIDARG, Tool_SetInfoToLogicalPathInt("C:\\x", nullptr, 1, out, sizeof out));
    EXPECT_EQ(E_INVALIDARG, set("C:\\x", nullptr, 10));
    EXPECT_EQ(S_OK, clear("[O=1]\\x", nullptr, 0));
    EXPECT_EQ(E_INVALIDARG, clear(nullptr, out, sizeof out));
    EXPECT_EQ(E_INVALIDARG, remove("[O=1]\\x", nullptr, 4));
}

// Fields 3, 17 and 18 after the block count only when the first text has an old version item.
TEST(LogicalCompare, BlocksDoNotCountAndVersionFieldsOnlyForOldVersions) {
    const std::string to15 = "[]\\C#\\2\\3\\4\\5\\6\\7\\8\\9\\10\\11\\12\\13\\14\\15\\";
    const std::string old15 = "[OldVer=1]" + to15.substr(2);
    const std::tuple<std::string, std::string, char> cases[] = {
        {"[A=1]\\C#\\r", "[B=2#C=3]\\C#\\r", '='},     {old15 + "16\\a", to15 + "16\\c", '<'},
        {"[]\\C#\\DA\\R", "[]\\c#\\da\\r", '='},       {to15 + "a\\17", to15 + "b\\17", '<'},
        {"[A=1]\\C#\\D\\1", "[]\\C#\\D\\2", '='},      {"C:\\D\\r", "c:\\d\\R", '='},
        {"[OldVer=1]\\C#\\D\\1", "[]\\C#\\D\\2", '<'}, {"C:\\b", "C:\\a", '>'},
        {"[]\\C#\\D\\1", "[OldVer=1]\\C#\\D\\2", '='}, {"[A=1]\\C#\\x", "C:\\x", '<'},
        {to15 + "16\\a\\b", to15 + "16\\c\\d", '='}};
    for (const auto& [a, b, expected] : cases) {
        const int order = Tool_CompareFileName(a.c_str(), b.c_str());
        EXPECT_EQ(expected, order == 0 ? '=' : order < 0 ? '<' : '>') << a << " " << b;
    }
    EXPECT_TRUE(Tool_CompareFileName(nullptr, nullptr) == 0 && Tool_CompareFileName(nullptr, "a") != 0);
}

// Beyond 255 characters the folders go first ("..." for all but the root), then the name's front.
TEST(ShortPath, CutsFoldersThenTheNameFront) {
    const std::string name = std::string(48, 'a') + std::string(52, 'z'), z52(52, 'z');
    const std::tuple<std::string, UINT, std::string> cases[] = {
        {"C:\\a\\b.lcd", 255, "C:\\a\\b.lcd"},         {"", 400, ""},
        {"C:\\A\\B\\C\\f", 256, "C:\\...\\f"},         {"C:\\D\\" + name, 300, "C:\\D\\..." + z52},
        {"\\\\s\\h\\f1\\f2\\x", 256, "\\\\s\\...\\x"}, {"0123456789", 259, "...789"}};
    for (const auto& [path, length, result] : cases) {
        EXPECT_EQ(result, Tool_GetShortPath(CString(path.c_str()), length).GetString()) << path;
    }
}

// Double-byte paths (second process in code page 932): trail bytes equal to separators or brackets.

const std::string kHyou = "\x95\x5C";    // trail byte "\"
const std::string kSo = "\x83\x5C";      // trail byte "\"
const std::string kBracket = "\x83\x5D"; // trail byte "]"
const std::string kOpening = "\x81\x5B"; // trail byte "["

TEST(DbcsSplit, TrailByteIsNoSeparator) {
    OVS_REQUIRE_CODE_PAGE_932();
    const std::array<std::string, 4> cases[] = {
        {"C:\\" + kHyou + "\\Run01.lcd", "C:\\" + kHyou, "Run01", ".lcd"},
        {"C:\\Data\\" + kHyou + ".lcd", "C:\\Data", kHyou, ".lcd"},
        {"C:\\Data\\" + kSo + kHyou, "C:\\Data", kSo + kHyou, ""},
        {"C:\\" + kHyou + "\\" + kSo + "\\", "C:\\" + kHyou + "\\" + kSo, "", ""},
        {"C:/" + kSo + "/a." + kHyou, "C:\\" + kSo, "a", "." + kHyou},
        {"[]\\C#\\" + kHyou + "\\Run01.lcd", "[]\\C#\\" + kHyou + "\\", "Run01", ".lcd"},
        {"[" + kBracket + "]\\C#\\" + kSo, "[" + kBracket + "]\\C#\\", kSo, ""}};
    for (const auto& [path, dir, name, ext] : cases) {
        EXPECT_EQ(Expected(dir, name, ext), Parts(path.c_str())) << path;
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
    EXPECT_EQ("C:\\" + kHyou + "\\Run01.lcd", Composed('j', "C:\\" + kHyou, "Run01.lcd"));
    EXPECT_EQ("C:\\" + kHyou + "\\" + kSo + ".lcd",
              Composed('n', "C:\\" + kHyou + "\\o.a", (kSo + ".lcd").c_str()));
    EXPECT_EQ("C:\\" + kHyou + "\\" + kSo + ".lcm",
              Composed('e', "C:\\" + kHyou + "\\" + kSo + ".lcd", "lcm"));
    CString result;
    EXPECT_EQ(5, Tool_GetAbbreviatePathName(("C:\\" + kHyou + kHyou + "\\x").c_str(), result, 2));
    EXPECT_STREQ("...\\x", result);
    EXPECT_TRUE(Tool_IsValidFilename((kHyou + kSo).c_str()));
    EXPECT_EQ("C:\\" + kHyou + "_",
              Tool_ConvertInvalidCharInLocalPath(CString(("C:\\" + kHyou + "*").c_str()), '_').GetString());
    // 200 + 1 + 104 characters cut to 259 by whole characters; the short path counts characters too.
    std::string wide;
    for (int i = 0; i < 100; ++i) {
        wide += kHyou;
    }
    const std::string dir = "C:\\" + std::string(197, 'd');
    EXPECT_EQ(dir + "\\" + wide.substr(0, 108) + ".lcd", Composed('j', dir, (wide + ".lcd").c_str()));
    EXPECT_EQ("C:\\Data\\..." + wide.substr(96),
              Tool_GetShortPath(CString(("C:\\Data\\" + wide).c_str()), 300).GetString());
    // A lead byte without its trail byte does not convert: refused.
    PathsReportFile();
    const std::string broken = "C:\\Data\\x\x81";
    EXPECT_EQ(std::vector<std::string>(9), Parts(broken.c_str()));
    EXPECT_TRUE(ReportContains("Unconvertible FilePath : " + broken));
    EXPECT_EQ("", Composed('j', "C:\\Data", "x\x81"));
    EXPECT_EQ(-1, Tool_MakeDirectories(broken.c_str()));
}

TEST(DbcsLogicalPath, TrailBytesAreNoBracketsOrSeparators) {
    OVS_REQUIRE_CODE_PAGE_932();
    GuardedBuffer out(64);
    EXPECT_EQ(S_OK,
              Tool_SetInfoToLogicalPathInt(("C:\\" + kBracket + "\\" + kSo).c_str(), "K", 1, out.data(), 64));
    EXPECT_EQ("[K=1]\\C#\\" + kBracket + "\\" + kSo, out.text());
    int value = 0;
    EXPECT_EQ(E_FAIL, Tool_GetInfoFromLogicalPathInt(("[" + kBracket + "K=1]\\x").c_str(), "K", &value));
    EXPECT_EQ(0, Tool_CompareFileName(("[A=1]\\C#\\" + kSo + "\\v1\\f").c_str(),
                                      ("[]\\C#\\" + kSo + "\\v2\\f").c_str()));
    EXPECT_NE(0,
              Tool_CompareFileName(("[]\\C#\\" + kSo + "a\\f").c_str(), ("[]\\C#\\" + kSo + "b\\f").c_str()));
}

// Real folders, free disk space and the five current folders of the process

std::string CurrentDirectory() {
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

// Existing folders are no error; 259 and 260 bytes are made, 261 refused with its report line.
TEST(MakeDirectories, CreatesEveryMissingParentAndFailsInOrder) {
    TempFolder root;
    for (const char* tail : {"\\A\\B\\C", "\\A\\B\\C", "\\A\\B\\C\\", "/D/E", "\\\\F\\\\G"}) {
        EXPECT_EQ(0, Tool_MakeDirectories((root.path() + tail).c_str())) << tail;
    }
    EXPECT_TRUE(IsFolder(root / "A\\B\\C") && IsFolder(root / "D\\E") && IsFolder(root / "F\\G"));
    ASSERT_TRUE(MakeFile(root / "file"));
    for (const std::string& path : {root / "file", root / "file\\sub", root / "bad*name\\sub", std::string(),
                                    std::string("\\\\no-such-server-here\\share\\sub")}) {
        EXPECT_EQ(-1, Tool_MakeDirectories(path.c_str())) << path;
    }
    EXPECT_EQ(-1, Tool_MakeDirectories(nullptr));
    PathsReportFile();
    for (const size_t length : {259u, 260u, 261u}) {
        std::string path = root / (std::string(100, 'a') + "\\");
        path += std::string(length - path.size(), static_cast<char>('a' + length % 26));
        EXPECT_EQ(length <= 260 ? 0 : -1, Tool_MakeDirectories(path.c_str())) << length;
        EXPECT_EQ(length <= 260, IsFolder(path)) << length;
        EXPECT_EQ(length > 260, ReportContains("Too Long Directory Path : " + path)) << length;
    }
}

// Read-only files too; a relative name is taken from the current folder, which stays as it was.
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
    Tool_DeleteDirectoryFiles((root / "missing").c_str(), TRUE);
    Tool_DeleteDirectoryFiles(nullptr, TRUE);
    EXPECT_TRUE(IsFolder(root.path()) && before == CurrentDirectory());
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
    EXPECT_TRUE(Tool_GetDiskFreeSpaceEx(root.path().c_str(), nullptr, &total, nullptr) && total.QuadPart > 0);
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

std::string Slots() {
    std::string texts;
    for (const auto& slot : kSlots) {
        CString text("junk");
        const int result = slot.get(text);
        texts += std::to_string(result) + text.GetString() + "|";
    }
    return texts;
}

const ChildMode kEmptySlots("slots-empty",
                            [](const std::vector<std::string>&) { return Slots() == "0|0|0|0|0|" ? 0 : 1; });

// A text that does not fit (260 bytes or more) is refused and the slot keeps what it had.
TEST(CurrentFolders, EmptyAtStartThenFiveIndependentSlots) {
    const ChildResult result = RunChild("slots-empty");
    EXPECT_TRUE(result.finished && result.exitCode == 0);
    for (size_t i = 0; i < std::size(kSlots); ++i) {
        EXPECT_EQ(0, kSlots[i].set(("C:\\" + std::to_string(i)).c_str()));
    }
    EXPECT_EQ("0C:\\0|0C:\\1|0C:\\2|0C:\\3|0C:\\4|", Slots());
    const std::string longest(259, 'x'), tooLong(260, 'y');
    for (const char* text : {longest.c_str(), tooLong.c_str(), static_cast<const char*>(nullptr), ""}) {
        EXPECT_EQ(0, Tool_SetCurrentPathData(text));
        CString slot("junk");
        Tool_GetCurrentPathData(slot);
        EXPECT_EQ(text != nullptr && *text == '\0' ? "" : longest, slot.GetString());
    }
}

// A double-byte name whose trail byte is "\" is one name, never two, and gets its own separator.
TEST(Cp932Files, MakeDirectoriesTrailByteIsNoSeparator) {
    OVS_REQUIRE_CODE_PAGE_932();
    TempFolder root;
    const std::string deep = root / kHyou + "\\" + kSo + kHyou;
    EXPECT_EQ(0, Tool_MakeDirectories(deep.c_str()));
    EXPECT_EQ(std::vector<std::string>{kHyou}, FolderEntries(root.path()));
    EXPECT_EQ(std::vector<std::string>{kSo + kHyou}, FolderEntries(root / kHyou));
    EXPECT_EQ(0, Tool_MakeDirectories((root / kSo).c_str()));
    EXPECT_TRUE(IsFolder(root / kSo) && MakeFile(deep + "\\" + kHyou + ".lcd", true));
    Tool_DeleteDirectoryFiles((root / kHyou).c_str(), TRUE);
    EXPECT_FALSE(FileExists(root / kHyou));
    EXPECT_TRUE(IsFolder(root / kSo));
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

// The path-information component

constexpr char kPath[] = "[DataSet=3#OldVer=1]\\C#\\Proj\\Data\\Run01.lcd";
constexpr char kAllFail[] = "20=hr:80004005;20000=hr:80004005;40000=hr:80004005;100000=hr:80004005";

class PathInfoComponent : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_module = LoadLibraryA((ExecutableFolder() + "\\OVSPathInfo.dll").c_str());
        s_counters = reinterpret_cast<PathInfoCountersFn>(
            reinterpret_cast<void*>(GetProcAddress(s_module, "PathInfoCounters")));
    }
    void SetUp() override {
        ASSERT_NE(nullptr, s_counters);
        ASSERT_EQ(S_OK, CallServerFunction(s_module, "DllRegisterServer"));
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        Fail(nullptr);
    }
    void TearDown() override {
        Fail(nullptr);
        Tool_ReleaseInterface();
        CoUninitialize();
    }
    // Entries of the component fail as the stand-in describes; a failing creation on a new object only.
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

// Two items in the block; the flag reached item 0x20000; the identifier is a GUID's text without
// braces in lower case, the same for the same path.
TEST_F(PathInfoComponent, ItemsInBitOrderWithTheSeparator) {
    CString out, again;
    const DWORD all = OVS_PATHINFO_IDENTIFIER | OVS_PATHINFO_PROJECT_NAME | OVS_PATHINFO_ITEM_40 |
                      OVS_PATHINFO_NUMBER | OVS_PATHINFO_ITEM_20000 | OVS_PATHINFO_DATA_SET_NUMBER |
                      OVS_PATHINFO_SHORT_FORM | OVS_PATHINFO_ITEM_100000;
    EXPECT_EQ(all, Tool_GetPathInfoFromLogicalPath(CString(kPath), out, all | 0x1u | 0x2u | 0x40000000u, '|',
                                                   TRUE));
    Tool_GetPathInfoFromLogicalPath(CString(kPath), again, OVS_PATHINFO_IDENTIFIER, '|', FALSE);
    EXPECT_TRUE(again.GetLength() == 36 && again.FindOneOf("{}ABCDEF|") < 0) << again.GetString();
    EXPECT_EQ(B(again) + "|Proj|C:\\Proj\\Data\\Run01.lcd|2|Run01|3|Proj\\Run01.lcd|old version 1", B(out));
}

TEST_F(PathInfoComponent, FailingItemKeepsItsPlaceOnlyWithTheTopBit) {
    const DWORD project = OVS_PATHINFO_PROJECT_NAME, set = OVS_PATHINFO_DATA_SET_NUMBER;
    const DWORD keep = OVS_PATHINFO_KEEP_PLACES, three = project | OVS_PATHINFO_ITEM_20000 | set;
    const char* const noSet = "[]\\C#\\Proj\\Run01.lcd";
    const std::tuple<const char*, const char*, DWORD, DWORD, const char*> cases[] = {
        {"20=hr:80004005", kPath, project | keep, project, ""},
        {"40000=status:-2", kPath, three | keep, three, "Proj\\Run01.lcd\\"},
        {"20=status:-1;20000=hr:80070057", kPath, three | keep, three, "\\\\3"},
        {"20=status:-1;20000=hr:80070057", kPath, three, set, "3"},
        {nullptr, noSet, set, 0, ""}, // an empty item
        {nullptr, kPath, keep, 0, ""},
        {"create=80040154", kPath, project, 0, "untouched"}};
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
    // 0: the plain export; 1 to 4: project and data set, data set, project, neither; 5 to 9: the short
    // path of at most 264 bytes, 265 (the display text saves 9 of 43), 300, the ordinary export, 10
    const std::tuple<const char*, const char*, int, BOOL, const char*> cases[] = {
        {nullptr, kPath, 0, FALSE, "Proj - 3/Run01.lcd - old version 1"},
        {nullptr, kPath, 0, TRUE, "Proj - 3/Run01 - old version 1"},
        {nullptr, "[]\\C#\\Proj\\Run01.lcd", 0, FALSE, "Proj - Run01.lcd"},
        {nullptr, "C:\\Data\\x.lcd", 0, FALSE, "C:\\Data\\x.lcd"},
        {"20000=hr:80004005", kPath, 0, FALSE, "Proj - 3 - old version 1"},
        {kAllFail, kPath, 0, FALSE, ""}, // nothing placed
        {nullptr, kPath, 2, FALSE, "3/Run01.lcd - old version 1"},
        {nullptr, kPath, 3, FALSE, "Proj - Run01.lcd - old version 1"},
        {nullptr, kPath, 4, FALSE, "Run01.lcd - old version 1"},
        {"20000=hr:80004005;100000=hr:80004005", kPath, 4, FALSE, ""},
        {nullptr, kPath, 5, FALSE, "Proj - 3/Run01.lcd - old version 1"},
        {nullptr, kPath, 6, FALSE, "Proj\\Run01.lcd"},
        {nullptr, "", 7, FALSE, ""},
        {nullptr, kPath, 8, FALSE, "Proj\\Run01.lcd"},
        {"80000=hr:80004005", kPath, 7, FALSE, ""},
        {kAllFail, kPath, 9, FALSE, ""}};
    const UINT lengths[] = {264, 265, 300, 300, 10};
    for (const auto& [fail, path, form, noExtension, text] : cases) {
        Fail(fail);
        const CString logical(path);
        EXPECT_STREQ(text, form == 0   ? Tool_MakeDisplayDataFilePathFromLogicalPath(logical, noExtension)
                           : form == 8 ? Tool_GetShortPath(logical, 300)
                           : form >= 5 ? Tool_GetShortPathFromLogicalPath(logical, lengths[form - 5])
                                       : Tool_MakeDisplayDataFilePathFromLogicalPath_ProjectName_DataSetNum(
                                             logical, form % 2, form < 3))
            << path << " " << form;
    }
}

} // namespace
