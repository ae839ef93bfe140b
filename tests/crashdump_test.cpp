#include "test_support.h"

#include "../ovstoolfunctions/local_clock.h"
#include "ovsreg.h"
#include "ovstooldump.h"

#include <dbghelp.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>

namespace {

constexpr SYSTEMTIME kFixedTime = {2026, 12, 5, 4, 17, 5, 9, 0};
constexpr char kFixedStamp[] = "20261204170509";
constexpr DWORD kAccessViolation = 0xC0000005;
constexpr ULONG32 kDumpSignature = 0x504D444D; // "MDMP"

// The dump header's type flags and, when the dump has an exception stream, its exception code.
struct DumpFacts {
    bool valid = false;
    ULONG64 flags = 0;
    std::optional<DWORD> exceptionCode;
};

DumpFacts ReadDump(const std::string& path) {
    const std::string bytes = ovs::test::ReadFileText(path);
    DumpFacts facts;
    MINIDUMP_HEADER header;
    if (bytes.size() < sizeof header) {
        return facts;
    }
    std::memcpy(&header, bytes.data(), sizeof header);
    facts.valid = header.Signature == kDumpSignature;
    facts.flags = header.Flags;
    for (ULONG32 i = 0; i < header.NumberOfStreams; ++i) {
        MINIDUMP_DIRECTORY entry;
        const size_t at = header.StreamDirectoryRva + i * sizeof entry;
        if (at + sizeof entry > bytes.size()) {
            break;
        }
        std::memcpy(&entry, bytes.data() + at, sizeof entry);
        MINIDUMP_EXCEPTION_STREAM stream;
        if (entry.StreamType == ExceptionStream && entry.Location.Rva + sizeof stream <= bytes.size()) {
            std::memcpy(&stream, bytes.data() + entry.Location.Rva, sizeof stream);
            facts.exceptionCode = stream.ExceptionRecord.ExceptionCode;
        }
    }
    return facts;
}

// The crashing child: its filter writes the dump, then "<hr> <pid>" and the dump path to a file.
std::string g_resultFile;
std::string g_dumpPath;

LONG WINAPI DumpingFilter(EXCEPTION_POINTERS* pointers) {
    CString path(g_dumpPath.c_str());
    const HRESULT hr = Tool_CreateDump(pointers, path);
    if (FILE* out = std::fopen(g_resultFile.c_str(), "w")) {
        std::fprintf(out, "%08lx %lu\n%s", static_cast<unsigned long>(hr), GetCurrentProcessId(),
                     path.GetString());
        std::fclose(out);
    }
    return EXCEPTION_EXECUTE_HANDLER;
}

const ovs::test::ChildMode crashMode("crash", [](const std::vector<std::string>& args) {
    g_resultFile = args.at(0);
    g_dumpPath = args.at(1);
    OvsTestSetLocalClock(&kFixedTime);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX); // no platform debugger or message box
    SetUnhandledExceptionFilter(DumpingFilter);
    volatile int* volatile nowhere = nullptr; // a real access violation, never optimised away
    *nowhere = 1;
    return 0;
});

struct CrashResult {
    HRESULT hr = E_UNEXPECTED;
    DWORD pid = 0;
    std::string path;
};

class CrashDump : public ovs::test::RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Path", "Log Path",
                                 m_log.path().c_str());
        CreateDirectoryA((m_log / "Debug").c_str(), nullptr);
    }
    void TearDown() override {
        OvsTestSetLocalClock(nullptr);
        RegistryTest::TearDown();
    }

    std::string DumpFolder() const { return m_log / "Debug\\Dump"; }

    // A full dump takes about 10 s and 100 MB on an idle machine; a busy one needs far longer.
    CrashResult Crash(const std::string& dumpPath) {
        const std::string resultFile = m_log / "result.txt";
        const ovs::test::ChildResult child = ovs::test::RunChild("crash", {resultFile, dumpPath}, {}, 480000);
        EXPECT_TRUE(child.finished);
        EXPECT_EQ(kAccessViolation, child.exitCode);
        CrashResult result;
        std::ifstream in(resultFile);
        unsigned long hr = 0;
        in >> std::hex >> hr >> std::dec >> result.pid;
        in.ignore(1);
        std::getline(in, result.path);
        result.hr = static_cast<HRESULT>(hr);
        return result;
    }

    ovs::test::TempFolder m_log;
};

TEST_F(CrashDump, DefaultNameInTheLogFolderWithTheDefaultType) {
    CreateDirectoryA(DumpFolder().c_str(), nullptr);
    const CrashResult result = Crash("");
    EXPECT_EQ(S_OK, result.hr);
    EXPECT_EQ(DumpFolder() + "\\CrashDump_" + kFixedStamp + "_" + std::to_string(result.pid) + ".dmp",
              result.path);
    const DumpFacts dump = ReadDump(result.path);
    DeleteFileA(result.path.c_str());
    EXPECT_TRUE(dump.valid);
    EXPECT_EQ(0x121u, dump.flags);
    EXPECT_EQ(kAccessViolation, dump.exceptionCode);
}

TEST_F(CrashDump, FullTypeForMinusOneAtTheCallersPath) {
    ASSERT_TRUE(
        Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Option", "DumpType", -1));
    const std::string wanted = m_log / "full.dmp";
    const CrashResult result = Crash(wanted);
    EXPECT_EQ(S_OK, result.hr);
    EXPECT_EQ(wanted, result.path);
    const DumpFacts dump = ReadDump(result.path);
    DeleteFileA(result.path.c_str());
    EXPECT_EQ(0x1826u, dump.flags);
    EXPECT_EQ(kAccessViolation, dump.exceptionCode);
}

TEST_F(CrashDump, MissingFolderFailsButTheDefaultNameIsFilled) {
    OvsTestSetLocalClock(&kFixedTime);
    CString path;
    EXPECT_EQ(E_FAIL, Tool_CreateDump(nullptr, path));
    EXPECT_EQ(DumpFolder() + "\\CrashDump_" + kFixedStamp + "_" + std::to_string(GetCurrentProcessId()) +
                  ".dmp",
              std::string(path.GetString()));
    EXPECT_FALSE(ovs::test::FileExists(DumpFolder())) << "the folder is never created";

    CString given((m_log / "absent\\given.dmp").c_str());
    EXPECT_EQ(E_FAIL, Tool_CreateDump(nullptr, given));
    EXPECT_EQ(m_log / "absent\\given.dmp", std::string(given.GetString()));
}

TEST_F(CrashDump, WithoutExceptionPointersTheDumpHasNoExceptionStream) {
    ASSERT_TRUE(
        Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Option", "DumpType", 0x21));
    CString path((m_log / "plain.dmp").c_str());
    EXPECT_EQ(S_OK, Tool_CreateDump(nullptr, path));
    const DumpFacts dump = ReadDump(path.GetString());
    DeleteFileA(path.GetString());
    EXPECT_TRUE(dump.valid);
    EXPECT_EQ(0x21u, dump.flags) << "any other setting is passed unchanged";
    EXPECT_FALSE(dump.exceptionCode.has_value());
}

} // namespace
