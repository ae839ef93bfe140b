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

struct Row {
    long code;
    const char* extension;
};

const Row kRows[] = {
    {0x0600000D, "msq"}, {0x05000010, "cal"}, {0x0400006F, "gcd"}, {0x01000070, "gcm"}, {0x02000072, "gcb"},
    {0x03000073, "gcr"}, {0x0400001F, "lcd"}, {0x01000020, "lcm"}, {0x06000021, "lcq"}, {0x02000022, "lcb"},
    {0x03000023, "lcr"}, {0x00000027, "lct"}, {0x05000024, "lcc"}, {0x0700003E, "plt"}, {0x0300003F, "rpt"},
    {0x00000033, "opt"}, {0x00000034, "pdf"}, {0x08000028, "lsc"}, {0x08000086, "gsc"}, {0x09000026, "lcp"},
    {0x00000086, "gct"}, {0x02000000, "sbt"}, {0x0C000040, "sca"}, {0x0C000041, "scb"}, {0x05000042, "clb"},
};

TEST(FileTypeTable, EveryRowBothWaysWithoutCase) {
    for (const Row& row : kRows) {
        char buffer[8];
        std::memset(buffer, '#', sizeof(buffer));
        EXPECT_EQ(3, Tool_GetFileExtension(row.code, buffer, 5)) << row.extension;
        EXPECT_STREQ(row.extension, buffer);
        EXPECT_EQ('#', buffer[4]); // nothing past the terminator
        EXPECT_EQ(row.code, Tool_GetFileType(row.extension));
        std::string upper = row.extension;
        for (char& c : upper) {
            c = static_cast<char>(c - 'a' + 'A');
        }
        EXPECT_EQ(row.code, Tool_GetFileType(upper.c_str()));
    }
}

TEST(FileTypeTable, CutsToMaxCharsAndLeavesUnknownCodesAlone) {
    char buffer[6] = {'#', '#', '#', '#', '#', '#'};
    EXPECT_EQ(2, Tool_GetFileExtension(0x0400001F, buffer, 2));
    EXPECT_STREQ("lc", buffer);
    EXPECT_EQ('#', buffer[3]);
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(0, Tool_GetFileExtension(0x0400001E, buffer, 5));
    EXPECT_EQ('#', buffer[0]);
    EXPECT_EQ(0, Tool_GetFileExtension(0x0400001F, nullptr, 5));
    for (const char* unknown : {"", "xyz", "lc", "lcdx", ".lcd"}) {
        EXPECT_EQ(0, Tool_GetFileType(unknown)) << unknown;
    }
    EXPECT_EQ(0, Tool_GetFileType(nullptr));
}

TEST(FileTypeTable, TheEarlierRowWinsATie) {
    RES_SetStringOverride(16398, "LCD"); // row 2 now reads like row 6
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

// Files for classification.
struct StreamContent {
    const wchar_t* name;
    std::string bytes;
};

void MakeCompound(const std::string& path, const std::vector<StreamContent>& streams) {
    const std::wstring wide(path.begin(), path.end());
    ovs::com_ptr<IStorage> storage;
    ASSERT_EQ(S_OK, StgCreateDocfile(wide.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                     storage.put()));
    for (const StreamContent& s : streams) {
        ovs::com_ptr<IStream> stream;
        ASSERT_EQ(S_OK,
                  storage->CreateStream(s.name, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.put()));
        ULONG written = 0;
        stream->Write(s.bytes.data(), static_cast<ULONG>(s.bytes.size()), &written);
    }
}

void MakeFlat(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Number(DWORD n) {
    return std::string(reinterpret_cast<const char*>(&n), sizeof(n));
}

struct Classified {
    HRESULT hr;
    int kind;
};

Classified Classify(const std::string& path) {
    Classified c{E_UNEXPECTED, -1};
    c.hr = Tool_CheckFileType(path.c_str(), &c.kind);
    return c;
}

const StreamContent kContents{L"Contents", "c"};
const StreamContent kChromHeader{L"Chrom Header", "h"};

TEST(CheckFileType, CompoundFilesByStreamsAndFileProperty) {
    TempFolder folder;
    const struct {
        const char* name;
        std::vector<StreamContent> streams;
        HRESULT hr;
        int kind;
    } cases[] = {
        {"contents.lcd", {kContents}, S_FALSE, 13},
        {"trace.lcd", {kContents, kChromHeader, {L"Detector Trace Handler", "t"}}, S_FALSE, 14},
        {"3d.lcd", {kContents, kChromHeader, {L"3D Data", "d"}}, S_FALSE, 14},
        {"header.xyz", {kContents, kChromHeader}, S_FALSE, 15},
        {"p31.lcd", {{L"File Property", Number(31)}}, S_FALSE, 20},
        {"p32.lcd", {{L"File Property", Number(32)}}, S_FALSE, 21},
        {"p34.lcd", {{L"File Property", Number(34)}}, S_FALSE, 22},
        {"p11.lcd", {{L"File Property", Number(11)}}, S_FALSE, 23},
        {"p111.gcd", {{L"File Property", Number(111)}}, S_FALSE, 23},
        {"p12.lcd", {{L"File Property", Number(12)}}, S_FALSE, 24},
        {"p112.lcd", {{L"File Property", Number(112)}}, S_FALSE, 24},
        {"p114.lcd", {{L"File Property", Number(114)}}, S_FALSE, 25},
        {"p33.lcd", {{L"File Property", Number(33)}}, S_FALSE, 33},
        {"p13.lcd", {{L"File Property", Number(13)}}, S_FALSE, 34},
        {"p99.lcd", {{L"File Property", Number(99) + std::string(256, '\0')}}, S_OK, 16},
        {"odd.lcd", {{L"File Property", std::string("\x1f\0", 2)}}, S_OK, 16},
        {"none.lcd", {}, OVS_E_NOT_DOCUMENT_FILE, 16},
        {"none.gcm", {}, OVS_E_NOT_DOCUMENT_FILE, 16},
        {"none.lcb", {}, OVS_E_NOT_DOCUMENT_FILE, 16},
        {"none.lsc", {}, S_FALSE, 31},
        {"none.gsc", {}, S_FALSE, 32},
        {"none.gct", {}, S_FALSE, 32},
        {"none.pdf", {}, S_FALSE, 15},
        {"none.lcr", {}, S_FALSE, 15},
        {"none", {}, S_FALSE, 15},
    };
    for (const auto& c : cases) {
        MakeCompound(folder / c.name, c.streams);
        const Classified got = Classify(folder / c.name);
        EXPECT_EQ(c.hr, got.hr) << c.name;
        EXPECT_EQ(c.kind, got.kind) << c.name;
    }
}

TEST(CheckFileType, FlatFilesByLetterAndFirstBytes) {
    TempFolder folder;
    const struct {
        const char* name;
        std::string bytes;
        int kind;   // default solution type not GC
        int gcKind; // default solution type 2
    } cases[] = {
        {"a.met", "M0xx", 0, 27}, {"a.met", "M1", 29, 29},       {"a.MET", "", 29, 29},
        {"a.mxx", "M1", 16, 16},  {"a.dat", "dCxx", 1, 26},      {"a.dat", "D", 9, 9},
        {"a.dat", "zz", 30, 30},  {"a.d", "", 30, 30},           {"a.kxx", "dM", 2, 2},
        {"a.kxx", "dm", 16, 16},  {"a.cxx", "r", 3, 28},         {"a.cxx", "R", 16, 16},
        {"a.cdf", "r", 17, 17},   {"a.CdF", "", 17, 17},         {"a.rxx", "R3", 4, 4},
        {"a.rfr", "RS", 7, 7},    {"a.RFR", "RS", 7, 7},         {"a.rxx", "RS", 16, 16},
        {"a.sxx", "RS", 6, 6},    {"a.sxx", "RL", 5, 5},         {"a.fxx", "", 8, 8},
        {"a.gmt", "", 19, 19},    {"a.GMT", "x", 19, 19},        {"a.gxx", "", 16, 16},
        {"a.zzz", "M0", 16, 16},  {"noextension", "M0", 16, 16}, {"dot.", "M0", 16, 16},
        {"a.b\\m", "M0", 16, 16},
    };
    for (const long solution : {-1L, 2L}) {
        const long previous = Tool_SetDefaultSolutionType(solution);
        for (const auto& c : cases) {
            const std::string path = folder / c.name;
            if (std::strchr(c.name, '\\') != nullptr) {
                CreateDirectoryA((folder / "a.b").c_str(), nullptr);
            }
            MakeFlat(path, c.bytes);
            const Classified got = Classify(path);
            EXPECT_EQ(S_FALSE, got.hr) << c.name;
            EXPECT_EQ(solution == 2 ? c.gcKind : c.kind, got.kind) << c.name << " " << c.bytes;
            DeleteFileA(path.c_str());
        }
        Tool_SetDefaultSolutionType(previous);
    }
}

TEST(CheckFileType, MissingTruncatedAndHeldFilesAndTheirLogLines) {
    ovs::test::PathsReportFile();
    TempFolder folder;
    const std::string missing = folder / "missing.lcd";
    Classified got = Classify(missing);
    EXPECT_EQ(OVS_E_NOT_DOCUMENT_FILE, got.hr);
    EXPECT_EQ(16, got.kind);
    EXPECT_TRUE(
        ovs::test::ReportContains("    [strError] = [Tool_CheckFileType[1] 80030002 : " + missing + "]"));
    EXPECT_TRUE(
        ovs::test::ReportContains("    [strError] = [Tool_CheckFileType[3] 80030002 : " + missing + "]"));

    const std::string truncated = folder / "truncated.lcd";
    MakeCompound(truncated, {kContents});
    {
        ovs::unique_hfile file(
            CreateFileA(truncated.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        SetFilePointer(file.get(), 1000, nullptr, FILE_BEGIN);
        SetEndOfFile(file.get());
    }
    got = Classify(truncated);
    EXPECT_EQ(OVS_E_NOT_DOCUMENT_FILE, got.hr);
    EXPECT_TRUE(ovs::test::ReportContains("Tool_CheckFileType[3] 8003001e : " + truncated + "]"));

    const std::string noProperty = folder / "noproperty.lcm";
    MakeCompound(noProperty, {});
    got = Classify(noProperty);
    EXPECT_TRUE(
        ovs::test::ReportContains("    [strError] = [Tool_CheckFileType[2] 80030002 : " + noProperty + "]"));

    const std::string held = folder / "held.lcd";
    MakeCompound(held, {kContents});
    {
        ovs::unique_hfile writer(
            CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer);
        got = Classify(held);
    }
    EXPECT_EQ(OVS_E_NOT_DOCUMENT_FILE, got.hr);
    EXPECT_EQ(16, got.kind);
    EXPECT_TRUE(ovs::test::ReportContains("Tool_CheckFileType[1] 80030020 : " + held + "]"));
}

TEST(CheckFileType, NullArgumentsAreInvalid) {
    int kind = -1;
    EXPECT_EQ(E_INVALIDARG, Tool_CheckFileType(nullptr, &kind));
    EXPECT_EQ(16, kind);
    EXPECT_EQ(E_INVALIDARG, Tool_CheckFileType("a.lcd", nullptr));
}

// The mismatch switch is read once per process: each setting runs in a child.
const ovs::test::ChildMode kMismatchMode("filetypes-mismatch", [](const std::vector<std::string>&) {
    int bits = 0;
    const struct {
        long app;
        long file;
    } pairs[] = {{0, 2}, {2, 3}, {5, 0}, {1, 0}, {3, 1}};
    for (size_t i = 0; i < std::size(pairs); ++i) {
        bits |= Tool_IsMethodFileMismatch(pairs[i].app, pairs[i].file) ? 1 << i : 0;
    }
    bits |= Tool_IsMethodFileMismatch(2L, "C:\\m\\a.lcm") ? 1 << 5 : 0; // file type 1
    bits |= Tool_IsMethodFileMismatch(2L, "C:\\m\\a.gcm") ? 1 << 6 : 0; // file type 2
    bits |= Tool_IsMethodFileMismatch(0L, "C:\\m\\a.lcd") ? 1 << 7 : 0; // not a method
    bits |= Tool_IsMethodFileMismatch(0L, static_cast<LPCSTR>(nullptr)) ? 1 << 8 : 0;
    return bits;
});

class MismatchTest : public ovs::test::RegistryTest {};

TEST_F(MismatchTest, SwitchOnByDefaultAndOffWhenZero) {
    auto result = ovs::test::RunChild("filetypes-mismatch");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0x01u | 0x10u | 0x20u, result.exitCode);
    ASSERT_TRUE(
        Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Option", "CheckMethodFileMismatch", 0));
    result = ovs::test::RunChild("filetypes-mismatch");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode);
}

// The header of a created compound file: its version and sector shift.
std::pair<int, int> HeaderOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    unsigned char header[32] = {};
    file.read(reinterpret_cast<char*>(header), sizeof(header));
    return {header[26] | header[27] << 8, header[30] | header[31] << 8};
}

const ovs::test::ChildMode kCreateMode("filetypes-create", [](const std::vector<std::string>& args) {
    const std::wstring wide(args.at(0).begin(), args.at(0).end());
    ovs::com_ptr<IStorage> storage;
    const HRESULT hr = Tool_StgCreateDocfile(
        wide.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, storage.put());
    return static_cast<int>(hr & 0x7FFFFFFF); // a child's result is never negative
});

class CreateDocfileTest : public ovs::test::RegistryTest {};

TEST_F(CreateDocfileTest, HeadersFollowTheSettings) {
    TempFolder folder;
    const struct {
        int version; // 0: not set
        int sectorSize;
        HRESULT hr;
        int headerVersion;
        int sectorShift;
    } cases[] = {{0, 0, S_OK, 4, 12},
                 {0, 512, S_OK, 3, 9},
                 {100, 0, S_OK, 3, 9},
                 {1, 1000, STG_E_INVALIDPARAMETER, 0, 0}};
    int n = 0;
    for (const auto& c : cases) {
        ovs::test::ResetProductRegistry();
        if (c.version != 0) {
            Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, "File", "DocFileVersion", c.version);
        }
        if (c.sectorSize != 0) {
            Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, "File", "DocFileSectorSize",
                                  c.sectorSize);
        }
        const std::string path = folder / ("doc" + std::to_string(n++) + ".lcd");
        const auto result = ovs::test::RunChild("filetypes-create", {path});
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(static_cast<DWORD>(c.hr) & 0x7FFFFFFF, result.exitCode) << c.version << " " << c.sectorSize;
        if (c.hr == S_OK) {
            EXPECT_EQ(std::make_pair(c.headerVersion, c.sectorShift), HeaderOf(path));
        }
    }
}

class SystemFileTest : public ovs::test::RegistryTest {};

TEST_F(SystemFileTest, PathsBelowTheSystemFolderWithoutCase) {
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

} // namespace

namespace {

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
