// File types: the type table and lookups, classification of files on disk, compound-file settings,
// names derived from data files and systems, the sample-registration program, and automatic copies of
// data files and PDFs on real folder trees with settings from the storage server.
#include "OVSTools2.h"
#include "cp932_child.h"
#include "expect_rows.h"
#include "paths_report.h"
#include "sample_registration_standin.h"
#include "storage_server.h"

#include <afxframe.h>
#include <ovsres.h>

#include <cstring>
#include <fstream>

namespace {

using namespace ovs::test;

constexpr DWORD kCreateMode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

const std::pair<long, const char*> kRows[] = {
    {0x0600000D, "msq"}, {0x05000010, "cal"}, {0x0400006F, "gcd"}, {0x01000070, "gcm"}, {0x02000072, "gcb"},
    {0x03000073, "gcr"}, {0x0400001F, "lcd"}, {0x01000020, "lcm"}, {0x06000021, "lcq"}, {0x02000022, "lcb"},
    {0x03000023, "lcr"}, {0x00000027, "lct"}, {0x05000024, "lcc"}, {0x0700003E, "plt"}, {0x0300003F, "rpt"},
    {0x00000033, "opt"}, {0x00000034, "pdf"}, {0x08000028, "lsc"}, {0x08000086, "gsc"}, {0x09000026, "lcp"},
    {0x00000086, "gct"}, {0x02000000, "sbt"}, {0x0C000040, "sca"}, {0x0C000041, "scb"}, {0x05000042, "clb"}};

TEST(FileTypeTable, EveryRowBothWaysWithoutCaseAndCutToMaxChars) {
    for (const auto& [code, extension] : kRows) {
        char buffer[8] = "#######";
        EXPECT_EQ(3, Tool_GetFileExtension(code, buffer, 5)) << extension;
        EXPECT_EQ(std::string(extension) + '\0' + '#', std::string(buffer, 5)); // nothing past the terminator
        std::string upper = extension;
        CharUpperA(upper.data());
        EXPECT_EQ(std::make_pair(code, code),
                  std::make_pair(Tool_GetFileType(extension), Tool_GetFileType(upper.c_str())));
    }
    char buffer[6] = "#####";
    EXPECT_EQ(2, Tool_GetFileExtension(0x0400001F, buffer, 2));
    EXPECT_EQ(0, Tool_GetFileExtension(0x0400001E, buffer, 5));
    EXPECT_EQ(std::string("lc\0#", 4), std::string(buffer, 4)); // an unknown code writes nothing
    EXPECT_EQ(0, Tool_GetFileExtension(0x0400001F, nullptr, 5));
    for (const char* unknown : {"", "xyz", "lc", "lcdx", ".lcd", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(0, Tool_GetFileType(unknown)) << (unknown != nullptr ? unknown : "(null)");
    }
    RES_SetStringOverride(16398, "LCD"); // row 2 now reads like row 6: the earlier row wins
    EXPECT_EQ(0x0400006F, Tool_GetFileType("lcd"));
    RES_SetStringOverride(16398, nullptr);
}

TEST(DbcsFileTypeTable, DoubleByteTextsCompareAndCutByCharacter) {
    OVS_REQUIRE_CODE_PAGE_932();
    const char text[] = "\x95\x5C"
                        "a"; // a kanji whose trail byte is a backslash, then a
    RES_SetStringOverride(16385, text);
    EXPECT_EQ(0x0400001F, Tool_GetFileType("\x95\x5C"
                                           "A"));
    EXPECT_EQ(0, Tool_GetFileType("\x95\x5C"));
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(2, Tool_GetFileExtension(0x0400001F, buffer, 1)); // one character, two bytes
    EXPECT_EQ(0, std::memcmp("\x95\x5C", buffer, 3));
    RES_SetStringOverride(16385, nullptr);
}

TEST(Lookups, SolutionTypesDocumentClassesSystemIdsAndClassKinds) {
    const std::pair<long, long> codes[] = {
        {0x05000010, -1}, {0x0400001F, 0}, {0x0400006F, 2},  {0x0600000D, 3}, {0x0100000C, 3},
        {0x05000025, 0},  {0x04000085, 2}, {0x00000086, -1}, {0, -1},         {-1, -1}};
    for (const auto& [code, solution] : codes) {
        EXPECT_EQ(solution, Tool_FileTypeToSolutionType(code)) << std::hex << code;
    }
    const std::pair<const char*, long> names[] = {
        {"LC", 0},   {"Hitachi-LC", 0}, {"LCMS-VX", 1}, {"GC", 2}, {"Thermo-GC", 2},
        {"GCMS", 3}, {"lc", -1},        {"LC ", -1},    {"", -1},  {nullptr, -1}};
    for (const auto& [name, solution] : names) {
        EXPECT_EQ(solution, Tool_InstrumentTypeToSolutionType(name)) << (name ? name : "(null)");
    }
    const std::pair<long, bool> categories[] = {{0x01000000, true}, {0x02000000, true},  {0x04000000, true},
                                                {0x06000000, true}, {0x08000000, true},  {0x09000000, true},
                                                {0, false},         {0x03000000, false}, {0x0400001F, false},
                                                {0x05000000, false}};
    for (const auto& [category, listed] : categories) {
        const CLSID* clsid = Tool_GetCLSIDFromFileType(category);
        EXPECT_EQ(listed, clsid != nullptr && *clsid != GUID_NULL) << std::hex << category;
    }
    WCHAR text[40];
    StringFromGUID2(*Tool_GetCLSIDFromFileType(0x04000000), text, 40);
    EXPECT_STREQ(L"{E5ADD49C-F0F9-4D3F-966E-7EA877BE15AF}", text);
    const std::pair<const char*, int> cases[] = {
        {"System12", 12},   {"12a", 0},  {"", 0}, {"7", 7}, {"A2147483647", 2147483647},
        {"A2147483648", 0}, {nullptr, 0}};
    for (const auto& [text, id] : cases) {
        EXPECT_EQ(id, Tool_GetSystemID(text)) << (text ? text : "(null)");
    }
    CFrameWnd frame;
    CRuntimeClass lookalike = *RUNTIME_CLASS(CWnd); // another module's copy of the class information
    EXPECT_TRUE(Tool_ClassIsKindOf(&frame, RUNTIME_CLASS(CFrameWnd)));
    EXPECT_TRUE(Tool_ClassIsKindOf(&frame, &lookalike));
    EXPECT_TRUE(Tool_ClassIsKindOf(&frame, RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(Tool_ClassIsKindOf(&frame, RUNTIME_CLASS(CDocument)));
    EXPECT_FALSE(Tool_ClassIsKindOf(nullptr, RUNTIME_CLASS(CWnd)));
    EXPECT_FALSE(Tool_ClassIsKindOf(&frame, nullptr));
}

using Streams = std::vector<std::pair<const wchar_t*, std::string>>;

void MakeCompound(const std::string& path, const Streams& streams) {
    const std::wstring wide(path.begin(), path.end());
    ovs::com_ptr<IStorage> storage;
    ASSERT_EQ(S_OK, StgCreateDocfile(wide.c_str(), kCreateMode, 0, storage.put()));
    for (const auto& [name, bytes] : streams) {
        ovs::com_ptr<IStream> stream;
        ASSERT_EQ(S_OK,
                  storage->CreateStream(name, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.put()));
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    }
}

std::string Property(DWORD n, size_t padding = 0) {
    return std::string(reinterpret_cast<const char*>(&n), sizeof(n)) + std::string(padding, '\0');
}

// The result and the kind, with the kind given as -1 before the call.
std::pair<HRESULT, int> Classify(const std::string& path) {
    int kind = -1;
    return {Tool_CheckFileType(path.c_str(), &kind), kind}; // braces: the call is made first
}

TEST(CheckFileType, CompoundFilesByStreamsAndPropertyAndTheirFailures) {
    PathsReportFile();
    TempFolder folder;
    const std::pair<const wchar_t*, std::string> contents{L"Contents", "c"}, header{L"Chrom Header", "h"};
    const std::tuple<const char*, Streams, HRESULT, int> cases[] = {
        {"contents.lcd", {contents}, S_FALSE, 13},
        {"trace.lcd", {contents, header, {L"Detector Trace Handler", "t"}}, S_FALSE, 14},
        {"3d.lcd", {contents, header, {L"3D Data", "d"}}, S_FALSE, 14},
        {"header.xyz", {contents, header}, S_FALSE, 15},
        {"p99.lcd", {{L"File Property", Property(99, 256)}}, S_OK, 16},
        {"odd.lcd", {{L"File Property", std::string("\x1f\0", 2)}}, S_OK, 16}};
    for (const auto& [name, streams, hr, kind] : cases) {
        MakeCompound(folder / name, streams);
        EXPECT_EQ(std::make_pair(hr, kind), Classify(folder / name)) << name;
    }
    const std::pair<DWORD, int> properties[] = {{31, 20}, {32, 21},  {34, 22},  {11, 23}, {111, 23},
                                                {12, 24}, {112, 24}, {114, 25}, {33, 33}, {13, 34}};
    for (const auto& [number, kind] : properties) {
        const std::string path = folder / ("p" + std::to_string(number) + (number == 111 ? ".gcd" : ".lcd"));
        MakeCompound(path, {{L"File Property", Property(number)}});
        EXPECT_EQ(std::make_pair(S_FALSE, kind), Classify(path)) << number;
    }
    // Without streams: by the extension; methods, batches and data are no document files then.
    const std::pair<const char*, int> names[] = {{"none.lcd", 0},  {"none.gcm", 0},  {"none.lcb", 0},
                                                 {"none.lsc", 31}, {"none.gsc", 32}, {"none.gct", 32},
                                                 {"none.pdf", 15}, {"none.lcr", 15}, {"none", 15}};
    for (const auto& [name, kind] : names) {
        MakeCompound(folder / name, {});
        EXPECT_EQ(kind == 0 ? std::make_pair(OVS_E_NOT_DOCUMENT_FILE, 16) : std::make_pair(S_FALSE, kind),
                  Classify(folder / name))
            << name;
    }
    const std::string missing = folder / "missing.lcd", truncated = folder / "truncated.lcd",
                      noProperty = folder / "noproperty.lcm", held = folder / "held.lcd";
    MakeCompound(truncated, {{L"Contents", "c"}});
    {
        ovs::unique_hfile file(
            CreateFileA(truncated.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        SetFilePointer(file.get(), 1000, nullptr, FILE_BEGIN);
        SetEndOfFile(file.get());
    }
    MakeCompound(noProperty, {});
    MakeCompound(held, {{L"Contents", "c"}});
    const ovs::unique_hfile writer(
        CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    for (const std::string& path : {missing, truncated, noProperty, held}) {
        EXPECT_EQ(std::make_pair(OVS_E_NOT_DOCUMENT_FILE, 16), Classify(path)) << path;
    }
    for (const std::string& line :
         {"[1] 80030002 : " + missing, "[3] 80030002 : " + missing, "[3] 8003001e : " + truncated,
          "[2] 80030002 : " + noProperty, "[1] 80030020 : " + held}) {
        EXPECT_TRUE(ReportContains("    [strError] = [Tool_CheckFileType" + line + "]")) << line;
    }
    int kind = -1;
    EXPECT_EQ(E_INVALIDARG, Tool_CheckFileType(nullptr, &kind));
    EXPECT_EQ(16, kind);
    EXPECT_EQ(E_INVALIDARG, Tool_CheckFileType("a.lcd", nullptr));
}

TEST(CheckFileType, FlatFilesByLetterAndFirstBytes) {
    TempFolder folder;
    // A period in a folder name gives no extension: "a.f\m" is no file of the letter F.
    ASSERT_TRUE(CreateDirectoryA((folder / "a.f").c_str(), nullptr));
    // name, first bytes, kind, kind with the default solution type 2 (GC)
    const std::tuple<const char*, std::string, int, int> cases[] = {
        {"a.met", "M0xx", 0, 27}, {"a.met", "M1", 29, 29},  {"a.MET", "", 29, 29},
        {"a.mxx", "M1", 16, 16},  {"a.dat", "dCxx", 1, 26}, {"a.dat", "D", 9, 9},
        {"a.dat", "zz", 30, 30},  {"a.d", "", 30, 30},      {"a.kxx", "dM", 2, 2},
        {"a.kxx", "dm", 16, 16},  {"a.cxx", "r", 3, 28},    {"a.cxx", "R", 16, 16},
        {"a.cdf", "r", 17, 17},   {"a.CdF", "", 17, 17},    {"a.rxx", "R3", 4, 4},
        {"a.rfr", "RS", 7, 7},    {"a.rxx", "RS", 16, 16},  {"a.sxx", "RS", 6, 6},
        {"a.sxx", "RL", 5, 5},    {"a.fxx", "", 8, 8},      {"a.gmt", "", 19, 19},
        {"a.gxx", "", 16, 16},    {"a.zzz", "M0", 16, 16},  {"noextension", "M0", 16, 16},
        {"dot.", "M0", 16, 16},   {"a.f\\m", "M0", 16, 16}};
    for (const long solution : {-1L, 2L}) {
        const long previous = Tool_SetDefaultSolutionType(solution);
        for (const auto& [name, bytes, kind, gcKind] : cases) {
            const std::string path = folder / name;
            std::ofstream(path, std::ios::binary) << bytes;
            EXPECT_EQ(std::make_pair(S_FALSE, solution == 2 ? gcKind : kind), Classify(path))
                << name << " " << bytes;
            DeleteFileA(path.c_str());
        }
        Tool_SetDefaultSolutionType(previous);
    }
}

// The mismatch switch and the compound-file settings are read once per process: each setting runs in
// a child. "filetypes-mismatch" gives a bit per pair that mismatches.
const ChildMode kMismatchMode("filetypes-mismatch", [](const std::vector<std::string>&) {
    const std::pair<long, long> pairs[] = {{0, 2}, {2, 3}, {5, 0}, {1, 0}, {3, 1}};
    int bits = 0;
    for (size_t i = 0; i < std::size(pairs); ++i) {
        bits |= Tool_IsMethodFileMismatch(pairs[i].first, pairs[i].second) ? 1 << i : 0;
    }
    const char* const paths[] = {"C:\\m\\a.lcm", "C:\\m\\a.gcm", "C:\\m\\a.lcd", nullptr}; // types 1, 2, data
    for (size_t i = 0; i < std::size(paths); ++i) {
        bits |= Tool_IsMethodFileMismatch(i < 2 ? 2L : 0L, paths[i]) ? 1 << (i + 5) : 0;
    }
    return bits;
});

// "filetypes-create <path>": creates a compound file with the settings of the registry.
const ChildMode kCreateChild("filetypes-create", [](const std::vector<std::string>& args) {
    const std::wstring wide(args.at(0).begin(), args.at(0).end());
    ovs::com_ptr<IStorage> storage;
    const HRESULT hr = Tool_StgCreateDocfile(wide.c_str(), kCreateMode, 0, storage.put());
    return static_cast<int>(hr & 0x7FFFFFFF); // a child's result is never negative
});

class FileSettingsTest : public RegistryTest {};

TEST_F(FileSettingsTest, MismatchSwitchAndSystemFilesBelowTheSystemFolder) {
    for (DWORD mismatches : {0x01u | 0x10u | 0x20u, 0u}) {
        const auto result = RunChild("filetypes-mismatch");
        EXPECT_TRUE(result.finished && result.exitCode == mismatches) << result.exitCode;
        Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Option", "CheckMethodFileMismatch", 0);
    }
    EXPECT_TRUE(Tool_IsOVSSystemFile("\\orvantiscope\\SYSTEM\\OVSSys1.cfg"));
    EXPECT_FALSE(Tool_IsOVSSystemFile("\\Orvantiscope\\Syst"));
    EXPECT_FALSE(Tool_IsOVSSystemFile("C:\\Orvantiscope\\System\\a"));
    EXPECT_FALSE(Tool_IsOVSSystemFile(nullptr));
    ASSERT_TRUE(Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Sys Path", "D:\\Sys"));
    EXPECT_TRUE(Tool_IsOVSSystemFile("d:\\sys\\x"));
}

TEST_F(FileSettingsTest, CreatedHeadersFollowTheSettings) {
    TempFolder folder;
    // version and sector size stored (0: none), result, header version and sector shift
    const int cases[][5] = {{0, 0, S_OK, 4, 12},
                            {0, 512, S_OK, 3, 9},
                            {100, 0, S_OK, 3, 9},
                            {1, 1000, STG_E_INVALIDPARAMETER, 0, 0}};
    for (const auto& c : cases) {
        ResetProductRegistry();
        for (int i = 0; i < 2; ++i) {
            if (c[i] != 0) {
                Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, "File",
                                      i == 0 ? "DocFileVersion" : "DocFileSectorSize", c[i]);
            }
        }
        const std::string path = folder / ("doc" + std::to_string(c[0] + c[1]) + ".lcd");
        const auto result = RunChild("filetypes-create", {path});
        EXPECT_TRUE(result.finished && (static_cast<DWORD>(c[2]) & 0x7FFFFFFF) == result.exitCode)
            << c[0] << " " << c[1];
        unsigned char header[32] = {};
        std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(header), sizeof(header));
        EXPECT_EQ(std::make_pair(c[3], c[4]),
                  std::make_pair(header[26] | header[27] << 8, header[30] | header[31] << 8))
            << "version and sector shift";
    }
}

// Builder 'A' plain AIA, 'E' AIA of event a, 'S' AIA of segment a and event b, 'C' conversion to
// format a, 'O' old-system file under solution type a. noSearch: overwrite, or not make unique.
std::string Name(char builder, const std::string& source, int a = 0, int b = 0, BOOL noSearch = FALSE) {
    const char* path = source == "null" ? nullptr : source.c_str();
    CString name;
    if (builder == 'A') {
        Tool_GetAIAFileNameFromDataFileName(path, name, noSearch);
    } else if (builder == 'E') {
        Tool_GetAIAFileNameFromDataFileNameByEvent(path, name, noSearch, short(a));
    } else if (builder == 'S') {
        Tool_GetAIAFileNameFromDataFileNameSegEv(path, name, noSearch, short(a), short(b));
    } else if (builder == 'C') {
        Tool_GetConvertFileNameFromDataFileName(path, name, noSearch, short(a));
    } else {
        Tool_GetOVSsolutionFileNameFromOldSystemFileName(path, a, name, !noSearch);
    }
    return name.GetString();
}

using DerivedNames = RegistryTest;

TEST_F(DerivedNames, EachBuilderLongFoldersAndOldSystemExtensions) {
    ExpectRows<std::string>({{Name('A', "D:\\Data\\Run01.lcd"), "D:\\Data\\Run01.CDF"},
                             {Name('E', "Run01.lcd", 1), "Run01.CDF"},
                             {Name('E', "D:\\Run01", 2), "D:\\Run01_Ev2.CDF"},
                             {Name('S', "D:\\Run01.lcd", 1, 3), "D:\\Run01_Seg1Ev3.CDF"},
                             {Name('S', "Run01", 0, 3), "Run01.CDF"},
                             {Name('S', "Run01.lcd", 2, 0), "Run01.CDF"},
                             {Name('C', "D:\\Run01.lcd", 0), "D:\\Run01.CDF"},
                             {Name('C', "D:\\Run01", 1), "D:\\Run01.JDX"},
                             {Name('C', "D:\\Run01.lcd", 2), "D:\\Run01.lcd"},
                             {Name('O', "D:\\Old\\Sample", 2), "D:\\Old\\Sample.GCD"},
                             {Name('A', "null"), ""},
                             {Name('O', "null"), ""}});
    const std::tuple<char, size_t, const char*> guards[] = {
        {'A', 256, ".CDF"}, {'E', 244, "_Ev2.CDF"}, {'S', 236, "_Seg2Ev2.CDF"}};
    for (const auto& [builder, cut, suffix] : guards) {
        for (size_t length : {cut, cut + 1}) {
            const std::string base = "C:\\" + std::string(length - 3, 'n');
            EXPECT_EQ(base.substr(0, cut) + suffix, Name(builder, base, 2, 2)) << length;
        }
    }
    const std::string base = "C:\\" + std::string(254, 'n');
    EXPECT_EQ(base + ".CDF", Name('A', base, 0, 0, TRUE)) << "the plain guard belongs to the search";
    // Old extension (the resource texts, then letters), the new one of LC (solution types 0, 1) and of
    // GC (2, 3).
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"OLD", ".LCD", ".LCD"}, {"ogd", ".LCD", ".LCD"}, {"odt", ".LCD", ".LCD"},   {"jcp", ".JCM", ".JCM"},
        {"rfr", ".JCM", ".JCM"}, {"llb", ".LLB", ".LLB"}, {"olm", ".LCM", ".GCM"},   {"Ogm", ".LCM", ".GCM"},
        {"mxx", ".LCM", ".GCM"}, {"mx", ".LCD", ".GCD"},  {"Fxxxx", ".LCM", ".GCM"}, {"xyz", ".LCD", ".GCD"}};
    for (const auto& [ext, lc, gc] : cases) {
        for (int type = 0; type <= 3; ++type) {
            EXPECT_EQ(std::string("D:\\Sample_") + ext + (type >= 2 ? gc : lc),
                      Name('O', std::string("D:\\Sample.") + ext, type));
        }
    }
    RES_SetStringOverride(16480, "rfr"); // the earlier rule wins over the fixed text
    EXPECT_EQ("D:\\S_rfr.LCD", Name('O', "D:\\S.rfr"));
    RES_SetStringOverride(16480, nullptr);
}

TEST_F(DerivedNames, TakenNamesGetTheNextFreeNumber) {
    TempFolder folder;
    const auto touch = [&folder](const std::string& name) { std::ofstream(folder / name) << "x"; };
    const std::string source = folder / "Run01.lcd", base = folder / "Run01";
    touch("Run01.CDF");
    EXPECT_EQ(base + "~01.CDF", Name('A', source));
    EXPECT_EQ(base + ".CDF", Name('A', source, 0, 0, TRUE)) << "overwrite: untouched";
    touch("Run01_lcd.LCD");
    EXPECT_EQ(base + "_lcd~01.LCD", Name('O', source));
    EXPECT_EQ(base + "_lcd.LCD", Name('O', source, 0, 0, TRUE));
    for (int n = 1; n <= 99; ++n) {
        touch("Run01~" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".CDF");
    }
    EXPECT_EQ(base, Name('A', source)) << "all 99 taken: the base without extension";
    // Names of 128 characters and more are seen too.
    const std::string deep = folder / std::string(140 - folder.path().size(), 'd');
    CreateDirectoryA(deep.c_str(), nullptr);
    std::ofstream(deep + "\\Run01.CDF") << "x";
    EXPECT_EQ(deep + "\\Run01~01.CDF", Name('A', deep + "\\Run01.lcd"));
}

TEST_F(DerivedNames, SystemFileNamesFitTheBuffer) {
    TempFolder folder;
    char buffer[80];
    const auto config = [&buffer](BOOL sv, long system, short size) {
        std::memset(buffer, 'x', sizeof buffer);
        Tool_GetConfigFileName(sv, system, size > 0 ? buffer : nullptr, size);
        return std::string(buffer, strnlen(buffer, sizeof buffer));
    };
    EXPECT_EQ("\\Orvantiscope\\System\\OVSSys1.cfg", config(FALSE, 1, 64));
    EXPECT_EQ("\\Orvantis", config(FALSE, 1, 10));
    EXPECT_EQ('x', buffer[10]);
    EXPECT_EQ("", config(FALSE, 1, 1));
    EXPECT_EQ(std::string(80, 'x'), config(FALSE, 1, 0));
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Sys Path", "E:\\Sys");
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "SystemFile", "SystemConfigFileSV2",
                             "Two.cfg");
    EXPECT_EQ("E:\\Sys\\Two.cfg", config(TRUE, 2, 64));
    EXPECT_EQ("E:\\Sys\\OVSSysSV3.cfg", config(TRUE, 3, 64));
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Work Path", folder.path().c_str());
    const std::string restore = folder / "System3\\Restore";
    for (BOOL create : {FALSE, TRUE}) {
        Tool_GetRestoreAppInfoFileName(3, buffer, sizeof buffer, create);
        EXPECT_EQ(restore + "\\Acquisition.ini", buffer);
        EXPECT_EQ(create != FALSE, GetFileAttributesA(restore.c_str()) != INVALID_FILE_ATTRIBUTES);
    }
}

TEST(DbcsDerivedNames, FolderEndingInByte5CGetsItsSeparator) {
    OVS_REQUIRE_CODE_PAGE_932();
    const std::string folder = "C:\\\x95\x5C"; // a double-byte character whose trail byte is "\"
    EXPECT_EQ(folder + "\\Run01.CDF", Name('A', folder + "\\Run01.lcd"));
    const std::string base = "C:\\" + std::string(252, 'n') + "\x95\x5C"; // the cut falls inside it
    EXPECT_EQ(base.substr(0, 255) + ".CDF", Name('A', base));
}

using SampleRegistration = RegistryTest;

TEST_F(SampleRegistration, NeedsRightsAndAUsableProgram) {
    const HMODULE module = LoadLibraryA((ExecutableFolder() + "\\OVSSampleRegistration.dll").c_str());
    ASSERT_EQ(S_OK, CallServerFunction(module, "DllRegisterServer"));
    // A class name whose class is not registered.
    RegSetValueA(HKEY_CLASSES_ROOT, "OVSTest.Unregistered\\CLSID", REG_SZ,
                 "{5B0E3C7F-2A94-4D6B-9E17-C3F8A06D4E25}", 38);
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const DWORD both[] = {7, 1500, 1408, 0}, only1408[] = {1408, 0}, only1500[] = {1500, 0};
    const std::tuple<const DWORD*, const char*, HRESULT> cases[] = {
        {both, kSampleRegistrationProgram, S_OK},
        {only1408, kSampleRegistrationProgram, E_FAIL},
        {only1500, kSampleRegistrationProgram, E_FAIL},
        {nullptr, kSampleRegistrationProgram, E_FAIL},
        {both, "", E_FAIL},
        {both, kSampleRegistrationUnnamed, E_FAIL},
        {both, "OVSTest.NoSuchProgram", CO_E_CLASSSTRING},
        {both, "OVSTest.Unregistered", REGDB_E_CLASSNOTREG}};
    for (const auto& [rights, name, expected] : cases) {
        Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "InstalledOption",
                                 "SampleRegistrationProgram", name);
        IOVSSampleRegistration* program = reinterpret_cast<IOVSSampleRegistration*>(1);
        EXPECT_EQ(expected, Tool_GetIOVSSampleRegistration(rights, &program)) << name;
        ASSERT_EQ(expected == S_OK, program != nullptr) << name;
        if (program != nullptr) {
            program->Release();
        }
        EXPECT_EQ(S_OK, CallServerFunction(module, "DllCanUnloadNow")) << "every object released";
    }
    EXPECT_EQ(E_INVALIDARG, Tool_GetIOVSSampleRegistration(both, nullptr));
    CoUninitialize();
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "OVSTest.Unregistered");
}

constexpr char kRoot[] = OVS_REG_COMMON_ROOT; // the caller's registry root of the copies
constexpr char kData[] = "LC data\r\n\x01\x02";
constexpr char kGoEvent[] = "OVSTest_AutoCopyGo";
constexpr char kHeldEvent[] = "OVSTest_AutoCopyPdfHeld";

// A setting of system 1 on the storage server; nullptr removes it.
void SetStorage(const char* name, const char* value) {
    if (value == nullptr) {
        Tool_RemoveRegStorage(OVS_REG_PRODUCT_ROOT, "System1", "File", name);
    } else {
        Tool_WriteRegStorageString(OVS_REG_PRODUCT_ROOT, "System1", "File", name, value, 0);
    }
}

// A data tree D\Orvantiscope\Data\Proj\Run01.lcd (and its PDF) and a target tree T.
class AutoCopy : public StorageServerTest {
protected:
    void SetUp() override {
        StorageServerTest::SetUp();
        Tool_MakeDirectories(m_proj.c_str());
        std::ofstream(m_source, std::ios::binary) << kData;
        SetStorage("CopyTargetPath", m_target.path().c_str());
    }
    TempFolder m_data, m_target;
    const std::string m_proj = m_data / "Orvantiscope\\Data\\Proj";
    const std::string m_source = m_proj + "\\Run01.lcd";
    const std::string m_copies = m_target / "Proj";
};

TEST_F(AutoCopy, CopiesMirrorTheTreeNumberTakenNamesAndFollowTheSwitches) {
    const std::tuple<const char*, const char*, std::string> bases[] = {
        {"", "\\", m_target.path() + m_proj.substr(2)}, // the whole folder without the drive
        {"\\orvantiscope\\DATA", "", m_copies},
        {"\\Orvantiscope\\Data\\", "\\\\", m_copies}};
    for (const auto& [base, targetEnd, folder] : bases) {
        Tool_WriteRegistryString(kRoot, nullptr, 0, "File", "AutoCopyBaseFolder", base);
        EXPECT_TRUE(Tool_DataFileAutoCopy(m_source.c_str(), (m_target.path() + targetEnd).c_str(), kRoot));
        EXPECT_TRUE(FileExists(folder + "\\Run01.lcd")) << base;
        RemoveTree(folder);
    }
    SetStorage("CopyModifiedDataFile", "Yes");
    for (const char* name : {"Run01.lcd", "Run01_1.lcd", "Run01_2.lcd"}) {
        EXPECT_TRUE(Tool_DataFileAutoCopyEx(m_source.c_str(), "lcd", kRoot, 1, 0));
        EXPECT_EQ(kData, ReadFileText(m_copies + "\\" + name)) << name;
    }
    WIN32_FIND_DATAA found;
    FindClose(FindFirstFileA((m_copies + "\\run01.lcd").c_str(), &found));
    EXPECT_STREQ("Run01.lcd", found.cFileName) << "the copy keeps the case of the caller's path";
    // The switches of modified and acquired data, kind, extension, and whether a copy is made.
    const std::tuple<const char*, const char*, long, const char*, bool> cases[] = {
        {"No", "Yes", 0, "lcd", false},      {"yes", nullptr, 0, "lcd", false},
        {nullptr, nullptr, 0, "lcd", false}, {"No", "Yes", 1, "LCD", true},
        {"Yes", "Yes", 2, "lcd", false},     {"Yes", nullptr, 0, "gcd", false}};
    for (const auto& [modified, acquired, kind, ext, copied] : cases) {
        SetStorage("CopyModifiedDataFile", modified);
        SetStorage("CopyAcquiredDataFile", acquired);
        RemoveTree(m_copies);
        EXPECT_TRUE(Tool_DataFileAutoCopyEx(m_source.c_str(), ext, kRoot, 1, kind)) << kind << ext;
        EXPECT_EQ(copied, FileExists(m_copies + "\\Run01.lcd")) << kind << ext;
    }
    std::ofstream(m_copies) << "a file where the folder should be";
    EXPECT_FALSE(Tool_DataFileAutoCopy(m_source.c_str(), m_target.path().c_str(), kRoot));
    DeleteFileA(m_copies.c_str());
    EXPECT_FALSE(Tool_DataFileAutoCopy((m_proj + "\\Missing.lcd").c_str(), m_target.path().c_str(), kRoot));
    EXPECT_FALSE(Tool_DataFileAutoCopy(nullptr, m_target.path().c_str(), kRoot));
    EXPECT_FALSE(Tool_PDFFileAutoCopy("ab", "abc", kRoot));
    // Outside the product's data folder: nothing to do for the switch, but no copy either.
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "File", "AutoCopyBaseFolder", "\\Elsewhere");
    EXPECT_TRUE(Tool_DataFileAutoCopyEx(m_source.c_str(), "lcd", kRoot, 1, 0));
    Tool_WriteRegistryString(kRoot, nullptr, 0, "File", "AutoCopyBaseFolder", "\\Elsewhere");
    EXPECT_FALSE(Tool_DataFileAutoCopy(m_source.c_str(), m_target.path().c_str(), kRoot));
    SetStorage("CopyTargetPath", "");
    EXPECT_FALSE(Tool_DataFileAutoCopyEx(m_source.c_str(), "lcd", kRoot, 1, 0));
    EXPECT_FALSE(FileExists(m_copies + "\\Run01.lcd"));
}

// Writes args[0] in two halves, holding it 2 s between them.
const ChildMode kWritePdf("autocopy-write-pdf", [](const std::vector<std::string>& args) {
    const ovs::unique_handle held(OpenEventA(EVENT_MODIFY_STATE, FALSE, kHeldEvent));
    const ovs::unique_hfile pdf(CreateFileA(args[0].c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(pdf.get(), "%PDF first half ", 16, &written, nullptr);
    SetEvent(held.get());
    Sleep(2000);
    WriteFile(pdf.get(), "second half", 11, &written, nullptr);
    return 0;
});

TEST_F(AutoCopy, PdfIsCopiedOnceItsWriterIsDoneBesideTheCopyOrInThePdfFolder) {
    const ovs::unique_handle held(CreateEventA(nullptr, TRUE, FALSE, kHeldEvent));
    const ovs::unique_handle child = StartChild("autocopy-write-pdf", {m_proj + "\\Run01.PDF"});
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held.get(), 30000));
    EXPECT_TRUE(Tool_PDFFileAutoCopy(m_source.c_str(), (m_copies + "\\Run01.lcd").c_str(), kRoot));
    EXPECT_EQ("%PDF first half second half", ReadFileText(m_copies + "\\Run01.PDF"));
    WaitForSingleObject(child.get(), 30000);
    std::ofstream(m_proj + "\\Run01.PDF", std::ios::binary) << "%PDF new"; // the copy above is overwritten
    EXPECT_TRUE(Tool_PDFFileAutoCopy(m_source.c_str(), (m_copies + "\\Run01_1.lcd").c_str(), kRoot));
    EXPECT_EQ("%PDF new", ReadFileText(m_copies + "\\Run01_1.PDF"));
    EXPECT_TRUE(Tool_PDFFileAutoCopy(m_source.c_str(), (m_copies + "\\Run01.lcd").c_str(), kRoot));
    EXPECT_EQ("%PDF new", ReadFileText(m_copies + "\\Run01.PDF"));
    CreateDirectoryA((m_copies + "\\Folder.PDF").c_str(), nullptr);
    EXPECT_FALSE(Tool_PDFFileAutoCopy(m_source.c_str(), (m_copies + "\\Folder.lcd").c_str(), kRoot)) << "5";
    TempFolder pdfs;
    Tool_WriteRegistryString(kRoot, nullptr, 0, "File", "AutoCopyPDFFolder", pdfs.path().c_str());
    EXPECT_TRUE(Tool_PDFFileAutoCopy(m_source.c_str(), "unused.lcd", kRoot));
    EXPECT_EQ("%PDF new", ReadFileText(pdfs / "Proj\\Run01.PDF"));
    std::ofstream(pdfs / "Blocked") << "a file where the folder should be";
    Tool_WriteRegistryString(kRoot, nullptr, 0, "File", "AutoCopyPDFFolder", (pdfs / "Blocked").c_str());
    EXPECT_FALSE(Tool_PDFFileAutoCopy(m_source.c_str(), "unused.lcd", kRoot));
}

TEST_F(AutoCopy, PdfNeverAppearingIsWaitedForAboutAMinute) {
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(Tool_PDFFileAutoCopy(m_source.c_str(), (m_copies + "\\Run01.lcd").c_str(), kRoot));
    EXPECT_GE(GetTickCount64() - start, 60000u);
}

// Copies the file args[0] 25 times into args[1] once the go event is set.
const ChildMode kCopyMany("autocopy-copy-many", [](const std::vector<std::string>& args) {
    const ovs::unique_handle go(OpenEventA(SYNCHRONIZE, FALSE, kGoEvent));
    WaitForSingleObject(go.get(), 30000);
    int failures = 0;
    for (int i = 0; i < 25; ++i) {
        failures += Tool_DataFileAutoCopy(args[0].c_str(), args[1].c_str(), kRoot) ? 0 : 1;
    }
    return failures;
});

TEST_F(AutoCopy, TwoProcessesCopyingAtOnceKeepEveryCopy) {
    const ovs::unique_handle go(CreateEventA(nullptr, TRUE, FALSE, kGoEvent));
    const ovs::unique_handle children[] = {StartChild("autocopy-copy-many", {m_source, m_target.path()}),
                                           StartChild("autocopy-copy-many", {m_source, m_target.path()})};
    SetEvent(go.get());
    for (const auto& child : children) {
        DWORD code = 1;
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.get(), 120000));
        EXPECT_TRUE(GetExitCodeProcess(child.get(), &code) && code == 0);
    }
    for (int n = 1; n <= 50; ++n) {
        EXPECT_EQ(n < 50, FileExists(m_copies + "\\Run01_" + std::to_string(n) + ".lcd")) << n;
    }
}

} // namespace
