// Names derived from data files and system numbers, and the sample-registration program.
#include "OVSTools2.h"
#include "cp932_child.h"
#include "expect_rows.h"
#include "ovsres.h"
#include "sample_registration_standin.h"

#include <cstring>
#include <fstream>

namespace {

using ovs::test::ExpectRows;

// Builder 'A' plain AIA, 'E' AIA of event a, 'S' AIA of segment a and event b, 'C' conversion to
// format a, 'O' old-system file under solution type a. noSearch: overwrite, or not make unique.
std::string Name(char builder, const std::string& source, int a = 0, int b = 0, BOOL noSearch = FALSE) {
    const char* path = source == "null" ? nullptr : source.c_str();
    CString name;
    switch (builder) {
        case 'A':
            Tool_GetAIAFileNameFromDataFileName(path, name, noSearch);
            break;
        case 'E':
            Tool_GetAIAFileNameFromDataFileNameByEvent(path, name, noSearch, short(a));
            break;
        case 'S':
            Tool_GetAIAFileNameFromDataFileNameSegEv(path, name, noSearch, short(a), short(b));
            break;
        case 'C':
            Tool_GetConvertFileNameFromDataFileName(path, name, noSearch, short(a));
            break;
        default:
            Tool_GetOVSsolutionFileNameFromOldSystemFileName(path, a, name, !noSearch);
            break;
    }
    return name.GetString();
}

class DerivedNames : public ovs::test::RegistryTest {
protected:
    void Touch(const std::string& name) { std::ofstream(m_folder / name) << "x"; }
    ovs::test::TempFolder m_folder;
};

TEST_F(DerivedNames, EachBuilderWithAndWithoutExtension) {
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
}

TEST_F(DerivedNames, TakenNamesGetTheNextFreeNumber) {
    const std::string source = m_folder / "Run01.lcd";
    const std::string base = m_folder / "Run01";
    Touch("Run01.CDF");
    EXPECT_EQ(base + "~01.CDF", Name('A', source));
    Touch("Run01~01.CDF");
    EXPECT_EQ(base + "~02.CDF", Name('A', source));
    EXPECT_EQ(base + ".CDF", Name('A', source, 0, 0, TRUE)) << "overwrite: untouched";
    Touch("Run01_Ev2.CDF");
    EXPECT_EQ(base + "_Ev2~01.CDF", Name('E', source, 2));
    Touch("Run01_lcd.LCD");
    EXPECT_EQ(base + "_lcd~01.LCD", Name('O', source));
    EXPECT_EQ(base + "_lcd.LCD", Name('O', source, 0, 0, TRUE));
    for (int n = 2; n <= 99; ++n) {
        Touch("Run01~" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".CDF");
    }
    EXPECT_EQ(base, Name('A', source)) << "all 99 taken: the base without extension";
    // Names of 128 characters and more are seen too.
    const std::string deep = m_folder / std::string(140 - m_folder.path().size(), 'd');
    CreateDirectoryA(deep.c_str(), nullptr);
    std::ofstream(deep + "\\Run01.CDF") << "x";
    EXPECT_EQ(deep + "\\Run01~01.CDF", Name('A', deep + "\\Run01.lcd"));
}

TEST_F(DerivedNames, LongFoldersAreCutAtEachGuard) {
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
}

TEST_F(DerivedNames, OldSystemExtensionsByRule) {
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

TEST_F(DerivedNames, SystemFileNamesFitTheBuffer) {
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
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Work Path", m_folder.path().c_str());
    const std::string restore = m_folder / "System3\\Restore";
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
    EXPECT_EQ(folder + "\\Run01.JDX", Name('C', folder + "\\Run01.lcd", 1));
    const std::string base = "C:\\" + std::string(252, 'n') + "\x95\x5C"; // the cut falls inside it
    EXPECT_EQ(base.substr(0, 255) + ".CDF", Name('A', base));
}

class SampleRegistration : public ovs::test::RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        m_module = LoadLibraryA((ovs::test::ExecutableFolder() + "\\OVSSampleRegistration.dll").c_str());
        ASSERT_EQ(S_OK, ovs::test::CallServerFunction(m_module, "DllRegisterServer"));
        // A class name whose class is not registered.
        RegSetValueA(HKEY_CLASSES_ROOT, "OVSTest.Unregistered\\CLSID", REG_SZ,
                     "{5B0E3C7F-2A94-4D6B-9E17-C3F8A06D4E25}", 38);
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override {
        CoUninitialize();
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "OVSTest.Unregistered");
        RegistryTest::TearDown();
    }
    HMODULE m_module = nullptr;
};

TEST_F(SampleRegistration, NeedsRightsAndAUsableProgram) {
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
            ovs::unique_bstr programName;
            EXPECT_EQ(S_OK, program->GetProgramName(programName.put()));
            EXPECT_STREQ(kSampleRegistrationName, programName.get());
            program->Release();
        }
        EXPECT_EQ(S_OK, ovs::test::CallServerFunction(m_module, "DllCanUnloadNow"))
            << "every object released";
    }
    EXPECT_EQ(E_INVALIDARG, Tool_GetIOVSSampleRegistration(both, nullptr));
}

} // namespace
