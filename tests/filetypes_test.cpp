// The file type table and its lookups, classification of files made with plain structured storage
// and plain file writes, the method mismatch switch, created compound-file headers and system files.
#include "cp932_child.h"
#include "paths_report.h"
#include "test_support.h"
#include "unique_resource.h"

#include <afxframe.h>
#include <ovsreg.h>
#include <ovsres.h>
#include <ovstoolfiletypes.h>
#include <ovstoolproducts.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using ovs::test::TempFolder;

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
        EXPECT_EQ(code, Tool_GetFileType(extension));
        EXPECT_EQ(code, Tool_GetFileType(upper.c_str()));
    }
    char buffer[6] = "#####";
    EXPECT_EQ(2, Tool_GetFileExtension(0x0400001F, buffer, 2));
    EXPECT_EQ(std::string("lc\0#", 4), std::string(buffer, 4));
    EXPECT_EQ(0, Tool_GetFileExtension(0x0400001E, buffer, 5));
    EXPECT_EQ(std::string("lc\0#", 4), std::string(buffer, 4)); // an unknown code writes nothing
    EXPECT_EQ(0, Tool_GetFileExtension(0x0400001F, nullptr, 5));
    for (const char* unknown : {"", "xyz", "lc", "lcdx", ".lcd", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(0, Tool_GetFileType(unknown)) << (unknown != nullptr ? unknown : "(null)");
    }
    RES_SetStringOverride(16398, "LCD"); // row 2 now reads like row 6: the earlier row wins
    EXPECT_EQ(0x0400006F, Tool_GetFileType("lcd"));
    RES_SetStringOverride(16398, nullptr);
    EXPECT_EQ(0x0400001F, Tool_GetFileType("lcd"));
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

TEST(SolutionTypes, EveryListedCodeAndInstrumentName) {
    const std::pair<long, long> codes[] = {
        {0x05000010, -1}, {0x0400001F, 0}, {0x0400006F, 2},  {0x0600000D, 3}, {0x0100000C, 3},
        {0x05000025, 0},  {0x04000085, 2}, {0x00000086, -1}, {0, -1},         {-1, -1}};
    for (const auto& [code, solution] : codes) {
        EXPECT_EQ(solution, Tool_FileTypeToSolutionType(code)) << std::hex << code;
    }
    const std::pair<const char*, long> names[] = {
        {"LC", 0},      {"ICF-LC", 0}, {"Thermo-LC", 0}, {"Zeridi-LC", 0}, {"Hitachi-LC", 0},
        {"LCMS-VX", 1}, {"GC", 2},     {"ICF-GC", 2},    {"Thermo-GC", 2}, {"GCMS", 3},
        {"lc", -1},     {"LC ", -1},   {"", -1},         {nullptr, -1}};
    for (const auto& [name, solution] : names) {
        EXPECT_EQ(solution, Tool_InstrumentTypeToSolutionType(name)) << (name ? name : "(null)");
    }
}

TEST(DocumentClasses, OneClassPerListedCategory) {
    const long categories[] = {0x01000000, 0x02000000, 0x04000000, 0x06000000, 0x08000000, 0x09000000};
    for (long category : categories) {
        const CLSID* clsid = Tool_GetCLSIDFromFileType(category);
        ASSERT_NE(nullptr, clsid);
        EXPECT_NE(GUID_NULL, *clsid);
    }
    WCHAR text[40];
    StringFromGUID2(*Tool_GetCLSIDFromFileType(0x04000000), text, 40);
    EXPECT_STREQ(L"{E5ADD49C-F0F9-4D3F-966E-7EA877BE15AF}", text);
    for (long other : {0L, 0x03000000L, 0x0400001FL, 0x05000000L}) {
        EXPECT_EQ(nullptr, Tool_GetCLSIDFromFileType(other)) << std::hex << other;
    }
}

// Files for classification: compound files with the named streams and flat files.
using Streams = std::vector<std::pair<const wchar_t*, std::string>>;

void MakeCompound(const std::string& path, const Streams& streams) {
    const std::wstring wide(path.begin(), path.end());
    ovs::com_ptr<IStorage> storage;
    ASSERT_EQ(S_OK, StgCreateDocfile(wide.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                     storage.put()));
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
    const HRESULT hr = Tool_CheckFileType(path.c_str(), &kind);
    return {hr, kind};
}

TEST(CheckFileType, CompoundFilesByStreamsAndFileProperty) {
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

TEST(CheckFileType, MissingTruncatedAndHeldFilesAndTheirLogLines) {
    ovs::test::PathsReportFile();
    TempFolder folder;
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
    const std::pair<HRESULT, int> notDocument{OVS_E_NOT_DOCUMENT_FILE, 16};
    EXPECT_EQ(notDocument, Classify(missing));
    EXPECT_EQ(notDocument, Classify(truncated));
    EXPECT_EQ(notDocument, Classify(noProperty));
    {
        ovs::unique_hfile writer(
            CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer);
        EXPECT_EQ(notDocument, Classify(held));
    }
    for (const std::string& line :
         {"[1] 80030002 : " + missing, "[3] 80030002 : " + missing, "[3] 8003001e : " + truncated,
          "[2] 80030002 : " + noProperty, "[1] 80030020 : " + held}) {
        EXPECT_TRUE(ovs::test::ReportContains("    [strError] = [Tool_CheckFileType" + line + "]")) << line;
    }
    int kind = -1;
    EXPECT_EQ(E_INVALIDARG, Tool_CheckFileType(nullptr, &kind));
    EXPECT_EQ(16, kind);
    EXPECT_EQ(E_INVALIDARG, Tool_CheckFileType("a.lcd", nullptr));
}

// The mismatch switch and the compound-file settings are read once per process: each setting runs in
// a child. "filetypes-mismatch" gives a bit per pair that mismatches.
const ovs::test::ChildMode kMismatchMode("filetypes-mismatch", [](const std::vector<std::string>&) {
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
const ovs::test::ChildMode kCreateMode("filetypes-create", [](const std::vector<std::string>& args) {
    const std::wstring wide(args.at(0).begin(), args.at(0).end());
    ovs::com_ptr<IStorage> storage;
    const HRESULT hr = Tool_StgCreateDocfile(
        wide.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, storage.put());
    return static_cast<int>(hr & 0x7FFFFFFF); // a child's result is never negative
});

class FileSettingsTest : public ovs::test::RegistryTest {};

TEST_F(FileSettingsTest, MismatchSwitchOnByDefaultAndOffWhenZero) {
    auto result = ovs::test::RunChild("filetypes-mismatch");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0x01u | 0x10u | 0x20u, result.exitCode);
    ASSERT_TRUE(
        Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Option", "CheckMethodFileMismatch", 0));
    result = ovs::test::RunChild("filetypes-mismatch");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode);
}

TEST_F(FileSettingsTest, CreatedHeadersFollowTheSettings) {
    TempFolder folder;
    // version and sector size stored (0: none), result, header version and sector shift
    const int cases[][5] = {{0, 0, S_OK, 4, 12},
                            {0, 512, S_OK, 3, 9},
                            {100, 0, S_OK, 3, 9},
                            {1, 1000, STG_E_INVALIDPARAMETER, 0, 0}};
    for (const auto& c : cases) {
        ovs::test::ResetProductRegistry();
        const char* const names[] = {"DocFileVersion", "DocFileSectorSize"};
        for (int i = 0; i < 2; ++i) {
            if (c[i] != 0) {
                Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, "File", names[i], c[i]);
            }
        }
        const std::string path = folder / ("doc" + std::to_string(c[0] + c[1]) + ".lcd");
        const auto result = ovs::test::RunChild("filetypes-create", {path});
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(static_cast<DWORD>(c[2]) & 0x7FFFFFFF, result.exitCode) << c[0] << " " << c[1];
        unsigned char header[32] = {};
        std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(header), sizeof(header));
        EXPECT_EQ(c[3], header[26] | header[27] << 8) << "version";
        EXPECT_EQ(c[4], header[30] | header[31] << 8) << "sector shift";
    }
}

TEST_F(FileSettingsTest, SystemFilesBelowTheSystemFolderWithoutCase) {
    EXPECT_TRUE(Tool_IsOVSSystemFile("\\orvantiscope\\SYSTEM\\OVSSys1.cfg"));
    EXPECT_FALSE(Tool_IsOVSSystemFile("\\Orvantiscope\\Syst"));
    EXPECT_FALSE(Tool_IsOVSSystemFile("C:\\Orvantiscope\\System\\a"));
    EXPECT_FALSE(Tool_IsOVSSystemFile(nullptr));
    ASSERT_TRUE(Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Sys Path", "D:\\Sys"));
    EXPECT_TRUE(Tool_IsOVSSystemFile("d:\\sys\\x"));
}

TEST(SystemId, TrailingDigits) {
    const std::pair<const char*, int> cases[] = {
        {"System12", 12},   {"12a", 0},          {"", 0},
        {"7", 7},           {"S0", 0},           {"A2147483647", 2147483647},
        {"A2147483648", 0}, {"S99999999999", 0}, {nullptr, 0}};
    for (const auto& [text, id] : cases) {
        EXPECT_EQ(id, Tool_GetSystemID(text)) << (text ? text : "(null)");
    }
}

TEST(ClassIsKindOf, ByClassNameThroughTheBases) {
    CFrameWnd frame;
    CRuntimeClass lookalike = *RUNTIME_CLASS(CWnd); // another module's copy of the class information
    EXPECT_TRUE(Tool_ClassIsKindOf(&frame, RUNTIME_CLASS(CFrameWnd)));
    EXPECT_TRUE(Tool_ClassIsKindOf(&frame, &lookalike));
    EXPECT_TRUE(Tool_ClassIsKindOf(&frame, RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(Tool_ClassIsKindOf(&frame, RUNTIME_CLASS(CDocument)));
    lookalike.m_lpszClassName = "CWindow";
    EXPECT_FALSE(Tool_ClassIsKindOf(&frame, &lookalike));
    EXPECT_FALSE(Tool_ClassIsKindOf(nullptr, RUNTIME_CLASS(CWnd)));
    EXPECT_FALSE(Tool_ClassIsKindOf(&frame, nullptr));
}

} // namespace
