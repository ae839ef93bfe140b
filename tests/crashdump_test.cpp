// Minidumps of a crashing process and of this one.
#include "test_support.h"

#include "../ovstoolfunctions/local_clock.h"
#include "ovsreg.h"
#include "ovstooldump.h"

#include <dbghelp.h>

#include <cstring>

using namespace ovs::test;

namespace {

constexpr SYSTEMTIME kFixedTime = {2026, 12, 5, 4, 17, 5, 9, 0};

using Dump = std::pair<ULONG64, DWORD>;

// The dump's type flags (0 when it is no dump) and its exception stream's code (0 when it has none).
Dump ReadDump(const std::string& path) {
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

// The crashing child: its filter writes the dump with the default path and ends the process with the result.
LONG WINAPI DumpingFilter(EXCEPTION_POINTERS* pointers) {
    CString path;
    ExitProcess(static_cast<UINT>(Tool_CreateDump(pointers, path)));
}

const ChildMode crashMode("crash", [](const std::vector<std::string>&) {
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
        return m_log / "Debug\\Dump\\CrashDump_20261204170509_" + std::to_string(pid) + ".dmp";
    }

    TempFolder m_log;
};

TEST_F(CrashDump, CrashingProcessWritesTheDefaultTypeAtTheDefaultPath) {
    CreateDirectoryA((m_log / "Debug\\Dump").c_str(), nullptr);
    const ovs::unique_handle child = StartChild("crash");
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.get(), 60000));
    DWORD result = E_FAIL;
    GetExitCodeProcess(child.get(), &result);
    EXPECT_EQ(static_cast<DWORD>(S_OK), result);
    EXPECT_EQ((Dump{0x121, 0xC0000005}), ReadDump(DefaultPath(GetProcessId(child.get()))));
}

// At the caller's path the setting -1 stands for the full type (about 10 s and 100 MB), any other is passed
// unchanged; at the default path, whose folder is never created, the dump fails but the name is filled in.
TEST_F(CrashDump, DumpTypeFromTheSettingAtTheCallersPathAndTheDefaultNameWithoutAFolder) {
    for (const auto& [setting, flags] : {std::pair<int, ULONG64>{0x21, 0x21}, {-1, 0x1826}}) {
        ASSERT_TRUE(Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, "Option",
                                          "DumpType", setting));
        CString path((m_log / "given.dmp").c_str());
        EXPECT_EQ(S_OK, Tool_CreateDump(nullptr, path));
        EXPECT_EQ(m_log / "given.dmp", std::string(path.GetString()));
        EXPECT_EQ((Dump{flags, 0}), ReadDump(path.GetString())) << setting;
    }
    CString path;
    EXPECT_EQ(E_FAIL, Tool_CreateDump(nullptr, path));
    EXPECT_EQ(DefaultPath(GetCurrentProcessId()), std::string(path.GetString()));
    EXPECT_FALSE(FileExists(m_log / "Debug\\Dump"));
}

} // namespace
