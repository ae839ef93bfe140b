#include "test_support.h"

#include "../ovstoolfunctions/local_clock.h"
#include "ovsreg.h"
#include "ovstooldump.h"

#include <dbghelp.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

using namespace ovs::test;

namespace {

constexpr SYSTEMTIME kFixedTime = {2026, 12, 5, 4, 17, 5, 9, 0};
constexpr char kFixedStamp[] = "20261204170509";
constexpr DWORD kAccessViolation = 0xC0000005;

// The dump header's type flags (0 when the file is no dump) and the code of its exception stream
// (0 when it has none).
std::pair<ULONG64, DWORD> ReadDump(const std::string& path) {
    const std::string bytes = ReadFileText(path);
    auto read = [&bytes](size_t at, auto& to) {
        if (at + sizeof to <= bytes.size()) {
            std::memcpy(&to, bytes.data() + at, sizeof to);
        }
    };
    MINIDUMP_HEADER header = {};
    read(0, header);
    MINIDUMP_EXCEPTION_STREAM exception = {};
    for (ULONG32 i = 0; i < header.NumberOfStreams; ++i) {
        MINIDUMP_DIRECTORY entry = {};
        read(header.StreamDirectoryRva + i * sizeof entry, entry);
        if (entry.StreamType == ExceptionStream) {
            read(entry.Location.Rva, exception);
        }
    }
    return {header.Signature == 0x504D444D ? header.Flags : 0, exception.ExceptionRecord.ExceptionCode};
}

// The crashing child: its filter writes the dump with the default path, then "<hr> <pid> <path>" to
// the result file.
std::string g_resultFile;

LONG WINAPI DumpingFilter(EXCEPTION_POINTERS* pointers) {
    CString path;
    const HRESULT hr = Tool_CreateDump(pointers, path);
    std::ofstream(g_resultFile) << std::hex << static_cast<unsigned long>(hr) << std::dec << " "
                                << GetCurrentProcessId() << " " << path.GetString();
    return EXCEPTION_EXECUTE_HANDLER;
}

const ChildMode crashMode("crash", [](const std::vector<std::string>& args) {
    g_resultFile = args.at(0);
    OvsTestSetLocalClock(&kFixedTime);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX); // no platform debugger or message box
    SetUnhandledExceptionFilter(DumpingFilter);
    volatile int* volatile nowhere = nullptr; // a real access violation, never optimised away
    *nowhere = 1;
    return 0;
});

class CrashDump : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Path", "Log Path",
                                 m_log.path().c_str());
        CreateDirectoryA((m_log / "Debug").c_str(), nullptr);
        OvsTestSetLocalClock(&kFixedTime);
    }
    void TearDown() override {
        OvsTestSetLocalClock(nullptr);
        RegistryTest::TearDown();
    }

    std::string DefaultPath(DWORD pid) const {
        return m_log / "Debug\\Dump\\CrashDump_" + kFixedStamp + "_" + std::to_string(pid) + ".dmp";
    }

    TempFolder m_log;
};

TEST_F(CrashDump, CrashingProcessWritesTheDefaultTypeAtTheDefaultPath) {
    CreateDirectoryA((m_log / "Debug\\Dump").c_str(), nullptr);
    const ChildResult child = RunChild("crash", {m_log / "result.txt"});
    ASSERT_TRUE(child.finished);
    EXPECT_EQ(kAccessViolation, child.exitCode);
    std::ifstream result(m_log / "result.txt");
    unsigned long hr = 0;
    DWORD pid = 0;
    std::string path;
    result >> std::hex >> hr >> std::dec >> pid;
    result.ignore(1);
    std::getline(result, path);
    EXPECT_EQ(S_OK, static_cast<HRESULT>(hr));
    EXPECT_EQ(DefaultPath(pid), path);
    EXPECT_EQ((std::pair<ULONG64, DWORD>{0x121, kAccessViolation}), ReadDump(path));
}

// Without exception pointers, at the caller's path: the setting -1 stands for the full type, any other
// is passed unchanged. A full dump takes about 10 s and 100 MB on an idle machine.
TEST_F(CrashDump, DumpTypeFromTheSettingAtTheCallersPath) {
    for (const auto& [setting, flags] : {std::pair<int, ULONG64>{0x21, 0x21}, {-1, 0x1826}}) {
        ASSERT_TRUE(Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Option",
                                          "DumpType", setting));
        CString path((m_log / "given.dmp").c_str());
        EXPECT_EQ(S_OK, Tool_CreateDump(nullptr, path));
        EXPECT_EQ(m_log / "given.dmp", std::string(path.GetString()));
        EXPECT_EQ((std::pair<ULONG64, DWORD>{flags, 0}), ReadDump(path.GetString())) << setting;
        DeleteFileA(path.GetString());
    }
}

TEST_F(CrashDump, MissingFolderFailsButTheDefaultNameIsFilled) {
    CString path;
    EXPECT_EQ(E_FAIL, Tool_CreateDump(nullptr, path));
    EXPECT_EQ(DefaultPath(GetCurrentProcessId()), std::string(path.GetString()));
    EXPECT_FALSE(FileExists(m_log / "Debug\\Dump")) << "the folder is never created";
    CString given((m_log / "absent\\given.dmp").c_str());
    EXPECT_EQ(E_FAIL, Tool_CreateDump(nullptr, given));
    EXPECT_EQ(m_log / "absent\\given.dmp", std::string(given.GetString()));
}

} // namespace
