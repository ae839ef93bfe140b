#include "test_support.h"
#include "locale_child.h"
#include "ovstoolmodule.h"
#include "ovstooldbgreport.h"
#include "ovstoolseparators.h"
#include "ovsreg.h"
#include "unique_resource.h"

#include <afxwin.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

using ovs::test::RegistryTest;
using ovs::test::RunChild;
using ovs::test::RunChildInLocale;
using ovs::test::RunsUnderWine;

namespace {

constexpr char kBaseName[] = "OVSTestRes";
constexpr char kLanguageKey[] = OVS_REG_COMMON_ROOT "\\Language";
constexpr char kUseSystemLanguage[] = "UseSystemLanguage";

std::string ModulePath(HMODULE module) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of("\\/"));
}

std::string ExecutableFolder() {
    return FolderOf(ModulePath(nullptr));
}

// Paths compare without regard to the case of their ASCII letters.
std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

std::string CurrentLanguage() {
    CString language;
    Tool_GetOVSLanguage(language);
    return std::string(language);
}

// The language module built for the tests, whichever the user's language is, copied into a folder
// under the name that language gives it.
std::string CopyLanguageModule(const std::string& folder, const std::string& language) {
    const std::string target = folder + "\\" + language + "_" + kBaseName + ".DLL";
    CopyFileA((ExecutableFolder() + "\\ENU_" + kBaseName + ".DLL").c_str(), target.c_str(), FALSE);
    return target;
}

std::string ResourceText(HMODULE module, UINT id) {
    char text[64] = {};
    LoadStringA(module, id, text, sizeof text);
    return text;
}

// A handle the library has not written yet: every call must set the out-handle, to null at least.
HINSTANCE Unset() {
    return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(0x1234));
}

// Frees a language module at the end of a test.
struct LanguageModule {
    HINSTANCE handle = Unset();
    ~LanguageModule() {
        if (handle != Unset()) {
            Tool_FreeLanguageDll(handle);
        }
    }
};

void WriteProgramFolder(const std::string& folder) {
    ASSERT_TRUE(
        Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Prog Path", folder.c_str()));
}

// ---- Module start: separators from the user's locale ----------------------------------------

// args: the expected decimal point and thousands separator as byte values.
int RunSeparators(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        return 0x100;
    }
    const CString decimalPoint = Tool_GetStringDecimalPoint();
    const CString thousands = Tool_GetStringThousandsSep();
    int failures = 0;
    if (decimalPoint.GetLength() != 1 || static_cast<BYTE>(decimalPoint[0]) != std::atoi(args[0].c_str())) {
        failures |= 0x01;
    }
    if (thousands.GetLength() != 1 || static_cast<BYTE>(thousands[0]) != std::atoi(args[1].c_str())) {
        failures |= 0x02;
    }
    return failures;
}

ovs::test::ChildMode separatorsMode("module-separators", RunSeparators);

struct LocaleCase {
    const char* name;
    const char* locale;
    char decimalPoint;
    char thousands;
};

class ModuleStartTest : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(ModuleStartTest, FixesSeparatorsFromTheUserLocale) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "the locale of a child is set through Wine's Unix environment";
    }
    const LocaleCase& c = GetParam();
    const ovs::test::ChildResult result = RunChildInLocale(
        c.locale, "module-separators",
        {std::to_string(static_cast<BYTE>(c.decimalPoint)), std::to_string(static_cast<BYTE>(c.thousands))});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode) << "1: decimal point, 2: thousands separator";
}

INSTANTIATE_TEST_SUITE_P(Locales, ModuleStartTest,
                         ::testing::Values(LocaleCase{"German", "de_DE.UTF-8", ',', '.'},
                                           LocaleCase{"Neutral", "C.UTF-8", '.', ','},
                                           LocaleCase{"English", "en_US.UTF-8", '.', ','},
                                           LocaleCase{"Japanese", "ja_JP.UTF-8", '.', ','}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ModuleStart, SeparatorsAreOneCharacterEach) {
    EXPECT_EQ(1, Tool_GetStringDecimalPoint().GetLength());
    EXPECT_EQ(1, Tool_GetStringThousandsSep().GetLength());
}

// ---- Module end -----------------------------------------------------------------------------------

// args: the level mask of the report.
int RunReportUntilEnd(const std::vector<std::string>& args) {
    const DWORD mask = args.empty() ? 0x1F : static_cast<DWORD>(std::strtoul(args[0].c_str(), nullptr, 16));
    if (!Tool_InitDbgReportEx(1, mask, 0, 0x01000000, 0, 3, "B", "A")) {
        return 1;
    }
    Tool_DbgReport(nullptr, 0, OVS_DBG_ERR, "%s", "last line of the host");
    return 0; // the module ends as the process does
}

ovs::test::ChildMode reportUntilEndMode("module-report-until-end", RunReportUntilEnd);

// The message and the "[pid:tid]" field of each report line.
struct Line {
    std::string processThread;
    std::string message;
};

std::vector<Line> ReportLines(const std::string& path) {
    std::vector<Line> lines;
    for (const std::string& line : ovs::test::SplitLines(ovs::test::ReadFileText(path))) {
        const size_t first = line.find('\t');
        const size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
        if (second == std::string::npos) {
            continue;
        }
        std::string message = line.substr(second + 1);
        if (message.rfind("[", 0) == 0) {
            // [tag], source(line), message
            const size_t third = line.find('\t', second + 1);
            const size_t fourth = third == std::string::npos ? third : line.find('\t', third + 1);
            message = fourth == std::string::npos ? std::string() : line.substr(fourth + 1);
        }
        lines.push_back({line.substr(first + 1, second - first - 1), message});
    }
    return lines;
}

std::string ProcessOf(const std::string& processThread) {
    // "[4120:3764]" gives 4120
    return processThread.substr(1, processThread.find(':') - 1);
}

class ModuleEndTest : public RegistryTest {};

TEST_F(ModuleEndTest, WritesTheEndBannerBetweenItsTraceLines) {
    ovs::test::ReportFolder folder;
    const ovs::test::ChildResult result = RunChild("module-report-until-end", {"1F"});
    ASSERT_TRUE(result.finished);
    ASSERT_EQ(0u, result.exitCode);
    const std::vector<Line> lines = ReportLines(folder.reportFile("001"));
    ASSERT_GE(lines.size(), 4u);
    const size_t n = lines.size();
    EXPECT_EQ("last line of the host", lines[n - 4].message);
    EXPECT_EQ("-->COVSToolApp::ExitInstance", lines[n - 3].message);
    const std::string pid = ProcessOf(lines[n - 2].processThread);
    EXPECT_EQ("========================= Session [" + pid + "] End ==============================",
              lines[n - 2].message);
    EXPECT_EQ("<--COVSToolApp::ExitInstance", lines[n - 1].message);
    EXPECT_EQ("========================= Session [" + pid + "] Start ==============================",
              lines[0].message);
}

TEST_F(ModuleEndTest, WithoutTheDebugLevelOnlyTheBannerIsWritten) {
    ovs::test::ReportFolder folder;
    const ovs::test::ChildResult result = RunChild("module-report-until-end", {"1"});
    ASSERT_TRUE(result.finished);
    ASSERT_EQ(0u, result.exitCode);
    const std::vector<Line> lines = ReportLines(folder.reportFile("001"));
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("last line of the host", lines[1].message);
    EXPECT_EQ("========================= Session [" + ProcessOf(lines[2].processThread) +
                  "] End ==============================",
              lines[2].message);
}

// ---- Language resource module ----------------------------------------------------------------------

class LanguageDllTest : public RegistryTest {
protected:
    ovs::test::TempFolder m_folder;
};

ovs::test::ChildMode languageInvalidMode("module-language-invalid", [](const std::vector<std::string>&) {
    HINSTANCE module = nullptr;
    Tool_InitDbgReportEx(1, OVS_DBGMASK_ERR, 0, 0x01000000, 0, 3, "B", "A");
    const bool refused = Tool_LoadLanguageDll(nullptr, &module, OVS_REG_PRODUCT_ROOT) == E_INVALIDARG &&
                         Tool_LoadLanguageDll(kBaseName, nullptr, OVS_REG_PRODUCT_ROOT) == E_INVALIDARG;
    return refused ? 0 : 1;
});

TEST_F(LanguageDllTest, MissingArgumentsAreInvalidAndReported) {
    ovs::test::ReportFolder folder;
    const ovs::test::ChildResult result = RunChild("module-language-invalid");
    ASSERT_TRUE(result.finished);
    ASSERT_EQ(0u, result.exitCode);
    const std::vector<Line> lines = ReportLines(folder.reportFile("001"));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ("Tool_LoadLanguageDll : Invalid argument. : [nullptr != szBaseName] is false.",
              lines[1].message);
    EXPECT_EQ("Tool_LoadLanguageDll : Invalid argument. : [nullptr != phModule] is false.", lines[2].message);
}

TEST_F(LanguageDllTest, NullRootIsNoError) {
    LanguageModule module;
    EXPECT_EQ(S_OK, Tool_LoadLanguageDll(kBaseName, &module.handle, nullptr));
    EXPECT_NE(Unset(), module.handle);
}

TEST_F(LanguageDllTest, LoadsLanguageAndBaseNameFromTheProgramFolder) {
    WriteProgramFolder(m_folder.path());
    const std::string expected = CopyLanguageModule(m_folder.path(), CurrentLanguage());
    LanguageModule module;
    EXPECT_EQ(S_OK, Tool_LoadLanguageDll(kBaseName, &module.handle, OVS_REG_PRODUCT_ROOT));
    ASSERT_NE(nullptr, module.handle);
    EXPECT_EQ(Upper(expected), Upper(ModulePath(module.handle)));
    EXPECT_EQ("English", ResourceText(module.handle, 1));
}

TEST_F(LanguageDllTest, ProgramFolderEndingInSeparatorGetsNoSecondOne) {
    WriteProgramFolder(m_folder.path() + "\\");
    CopyLanguageModule(m_folder.path(), CurrentLanguage());
    LanguageModule module;
    EXPECT_EQ(S_OK, Tool_LoadLanguageDll(kBaseName, &module.handle, OVS_REG_PRODUCT_ROOT));
    EXPECT_NE(nullptr, module.handle);
}

TEST_F(LanguageDllTest, ProgramFolderIsReadBelowTheCallersRoot) {
    const char root[] = "SOFTWARE\\VELDORAN\\Other";
    ASSERT_TRUE(Tool_WriteRegistryString(root, nullptr, 0, "Path", "Prog Path", m_folder.path().c_str()));
    CopyLanguageModule(m_folder.path(), CurrentLanguage());
    LanguageModule module;
    EXPECT_EQ(S_OK, Tool_LoadLanguageDll(kBaseName, &module.handle, root));
    EXPECT_NE(nullptr, module.handle);
}

TEST_F(LanguageDllTest, MissingModuleGivesNullAndSuccess) {
    WriteProgramFolder(m_folder.path());
    LanguageModule module;
    EXPECT_EQ(S_OK, Tool_LoadLanguageDll(kBaseName, &module.handle, OVS_REG_PRODUCT_ROOT));
    EXPECT_EQ(nullptr, module.handle);
    EXPECT_EQ(S_OK, Tool_LoadLanguageDll("NoSuchBase", &module.handle, OVS_REG_PRODUCT_ROOT));
    EXPECT_EQ(nullptr, module.handle);
}

TEST_F(LanguageDllTest, FreeIgnoresNullAndReleasesTheModule) {
    Tool_FreeLanguageDll(nullptr);
    WriteProgramFolder(m_folder.path());
    const std::string path = CopyLanguageModule(m_folder.path(), CurrentLanguage());
    HINSTANCE module = nullptr;
    ASSERT_EQ(S_OK, Tool_LoadLanguageDll(kBaseName, &module, OVS_REG_PRODUCT_ROOT));
    ASSERT_NE(nullptr, module);
    Tool_FreeLanguageDll(module);
    // Unloaded, the file can be removed again.
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

struct UseSystemLanguageCase {
    const char* name;
    DWORD type; // REG_NONE: no value at all
    const char* text;
    bool loads;
};

class UseSystemLanguageTest : public LanguageDllTest,
                              public ::testing::WithParamInterface<UseSystemLanguageCase> {};

TEST_P(UseSystemLanguageTest, DecidesWhetherTheModuleIsLoaded) {
    const UseSystemLanguageCase& c = GetParam();
    if (c.type == REG_SZ) {
        ASSERT_TRUE(Tool_WriteRegString(kLanguageKey, nullptr, kUseSystemLanguage, c.text));
    } else if (c.type == REG_DWORD) {
        ASSERT_TRUE(Tool_WriteRegInt(kLanguageKey, nullptr, kUseSystemLanguage, 0));
    }
    WriteProgramFolder(m_folder.path());
    CopyLanguageModule(m_folder.path(), CurrentLanguage());
    LanguageModule module;
    EXPECT_EQ(S_OK, Tool_LoadLanguageDll(kBaseName, &module.handle, OVS_REG_PRODUCT_ROOT));
    EXPECT_EQ(c.loads, module.handle != nullptr);
}

INSTANTIATE_TEST_SUITE_P(Values, UseSystemLanguageTest,
                         ::testing::Values(UseSystemLanguageCase{"Yes", REG_SZ, "Yes", true},
                                           UseSystemLanguageCase{"No", REG_SZ, "No", false},
                                           UseSystemLanguageCase{"LowerCaseYes", REG_SZ, "yes", false},
                                           UseSystemLanguageCase{"LongerTextBeginningWithYes", REG_SZ,
                                                                 "Yesss", true},
                                           UseSystemLanguageCase{"Ye", REG_SZ, "Ye", false},
                                           UseSystemLanguageCase{"Empty", REG_SZ, "", false},
                                           UseSystemLanguageCase{"SpaceBeforeYes", REG_SZ, " Yes", false},
                                           UseSystemLanguageCase{"NotText", REG_DWORD, nullptr, true},
                                           UseSystemLanguageCase{"Missing", REG_NONE, nullptr, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// args: the expected language abbreviation, the text of the module's string 1, and "app" for a
// host with an application object or "none" for one without. There is no "Prog Path". Modules
// named without a folder are looked for only in the system folder here, so that a module found
// beside the executable must have been named with that folder.
int RunLanguageBesideExecutable(const std::vector<std::string>& args) {
    if (args.size() != 3 || !SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return 0x100;
    }
    std::optional<CWinApp> app;
    if (args[2] == "app") {
        app.emplace("Host");
    }
    int failures = 0;
    if (CurrentLanguage() != args[0]) {
        failures |= 0x01;
    }
    HINSTANCE module = Unset();
    if (Tool_LoadLanguageDll(kBaseName, &module, OVS_REG_PRODUCT_ROOT) != S_OK || module == Unset()) {
        return failures | 0x10;
    }
    if (!app) {
        // Without an application object the folder stays empty, and the bare name is not found.
        return module == nullptr ? failures : (Tool_FreeLanguageDll(module), failures | 0x20);
    }
    if (module == nullptr) {
        return failures | 0x02;
    }
    const std::string expected = ExecutableFolder() + "\\" + args[0] + "_" + kBaseName + ".DLL";
    if (Upper(ModulePath(module)) != Upper(expected)) {
        failures |= 0x04;
    }
    if (ResourceText(module, 1) != args[1]) {
        failures |= 0x08;
    }
    Tool_FreeLanguageDll(module);
    return failures;
}

ovs::test::ChildMode languageBesideExecutableMode("module-language-beside-executable",
                                                  RunLanguageBesideExecutable);

struct LanguageCase {
    const char* name;
    const char* locale;
    const char* abbreviation;
    const char* text;
    const char* host;
    const char* programFolder; // the "Prog Path" written first, or null for none
};

class LanguageBesideExecutableTest : public RegistryTest,
                                     public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(LanguageBesideExecutableTest, LoadsTheUsersLanguageBesideTheApplication) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "the locale of a child is set through Wine's Unix environment";
    }
    const LanguageCase& c = GetParam();
    if (c.programFolder != nullptr) {
        WriteProgramFolder(c.programFolder);
    }
    const ovs::test::ChildResult result =
        RunChildInLocale(c.locale, "module-language-beside-executable", {c.abbreviation, c.text, c.host});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode) << "1: language, 2: not loaded, 4: other file, 8: other text, "
                                      "10: handle not set, 20: loaded without an application object";
}

INSTANTIATE_TEST_SUITE_P(
    Languages, LanguageBesideExecutableTest,
    ::testing::Values(LanguageCase{"German", "de_DE.UTF-8", "DEU", "Deutsch", "app", nullptr},
                      LanguageCase{"English", "en_US.UTF-8", "ENU", "English", "app", nullptr},
                      LanguageCase{"EmptyProgramFolder", "en_US.UTF-8", "ENU", "English", "app", ""},
                      LanguageCase{"WithoutApplicationObject", "en_US.UTF-8", "ENU", "English", "none",
                                   nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// args: the expected language abbreviation.
int RunLanguageName(const std::vector<std::string>& args) {
    return !args.empty() && CurrentLanguage() == args[0] ? 0 : 1;
}

ovs::test::ChildMode languageNameMode("module-language-name", RunLanguageName);

TEST(OVSLanguage, IsTheUsersThreeLetterAbbreviation) {
    char abbreviation[8] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, abbreviation, sizeof abbreviation);
    abbreviation[3] = '\0';
    EXPECT_EQ(abbreviation, CurrentLanguage());
    EXPECT_EQ(3u, CurrentLanguage().size());
    // The out-string is replaced, not appended to.
    CString language("previous");
    Tool_GetOVSLanguage(language);
    EXPECT_STREQ(abbreviation, language);

    const struct {
        const char* locale;
        const char* abbreviation;
    } locales[] = {{"de_DE.UTF-8", "DEU"}, {"ja_JP.UTF-8", "JPN"}, {"C.UTF-8", "ENU"}};
    if (!RunsUnderWine()) {
        return; // the locale of a child is set through Wine's Unix environment
    }
    for (const auto& c : locales) {
        const ovs::test::ChildResult result =
            RunChildInLocale(c.locale, "module-language-name", {c.abbreviation});
        EXPECT_TRUE(result.finished);
        EXPECT_EQ(0u, result.exitCode) << c.locale;
    }
}

// ---- Extension modules ------------------------------------------------------------------------------

class ExtendedDllTest : public RegistryTest {
protected:
    ovs::test::TempFolder m_folder;
};

TEST_F(ExtendedDllTest, LoadsFromTheProgramFolder) {
    WriteProgramFolder(m_folder.path());
    const std::string path = m_folder / "Extension.dll";
    ASSERT_TRUE(CopyFileA((ExecutableFolder() + "\\ENU_OVSTestRes.DLL").c_str(), path.c_str(), FALSE));
    ovs::unique_hmodule module(Tool_LoadExtendedDLL("Extension.dll", OVS_REG_PRODUCT_ROOT));
    ASSERT_TRUE(module);
    EXPECT_EQ(Upper(path), Upper(ModulePath(module.get())));
    EXPECT_EQ("English", ResourceText(module.get(), 1));
}

TEST_F(ExtendedDllTest, NullArgumentsAndMissingFilesGiveNull) {
    WriteProgramFolder(m_folder.path());
    EXPECT_EQ(nullptr, Tool_LoadExtendedDLL(nullptr, OVS_REG_PRODUCT_ROOT));
    EXPECT_EQ(nullptr, Tool_LoadExtendedDLL("ENU_OVSTestRes.DLL", nullptr));
    // Only the program folder is looked in, not the executable's.
    EXPECT_EQ(nullptr, Tool_LoadExtendedDLL("ENU_OVSTestRes.DLL", OVS_REG_PRODUCT_ROOT));
}

// Runs in a folder of its own for the life of the object.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder) {
        char previous[MAX_PATH];
        const DWORD length = GetCurrentDirectoryA(MAX_PATH, previous);
        m_previous.assign(previous, length < MAX_PATH ? length : 0);
        SetCurrentDirectoryA(folder.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryA(m_previous.c_str()); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::string m_previous;
};

TEST_F(ExtendedDllTest, WithoutProgramFolderTheDefaultFolderIsUsed) {
    // "\Program Files\Orvantiscope" on the current drive (that of the temporary folder here); the
    // module beside the executable is not taken.
    CurrentFolder current(m_folder.path());
    EXPECT_EQ(nullptr, Tool_LoadExtendedDLL("ENU_OVSTestRes.DLL", OVS_REG_PRODUCT_ROOT));
    const std::string folder = "\\Program Files\\Orvantiscope";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\OVSTestExtension.dll";
    ASSERT_TRUE(CopyFileA((ExecutableFolder() + "\\ENU_OVSTestRes.DLL").c_str(), path.c_str(), FALSE));
    {
        ovs::unique_hmodule module(Tool_LoadExtendedDLL("OVSTestExtension.dll", OVS_REG_PRODUCT_ROOT));
        EXPECT_TRUE(module);
    }
    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
}

// ---- Platform version -------------------------------------------------------------------------------

RTL_OSVERSIONINFOEXW PlatformVersion() {
    RTL_OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    using RtlGetVersionFunction = LONG(WINAPI*)(RTL_OSVERSIONINFOEXW*);
    auto getVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    if (getVersion != nullptr) {
        getVersion(&info);
    }
    return info;
}

TEST(PlatformVersion, RecordIsFilledAsThePlatformGivesIt) {
    static_assert(sizeof(OSVERSIONINFOEXW) == 284);
    const RTL_OSVERSIONINFOEXW expected = PlatformVersion();
    OSVERSIONINFOEXW info;
    std::memset(&info, 0xCC, sizeof info);
    ASSERT_EQ(S_OK, Tool_GetOSVersion(&info));
    EXPECT_EQ(284u, info.dwOSVersionInfoSize);
    EXPECT_EQ(expected.dwMajorVersion, info.dwMajorVersion);
    EXPECT_EQ(expected.dwMinorVersion, info.dwMinorVersion);
    EXPECT_EQ(expected.dwBuildNumber, info.dwBuildNumber);
    EXPECT_EQ(expected.dwPlatformId, info.dwPlatformId);
    EXPECT_EQ(E_FAIL, Tool_GetOSVersion(nullptr));
}

TEST(PlatformVersion, ThresholdsFollowTheRecord) {
    const RTL_OSVERSIONINFOEXW version = PlatformVersion();
    DWORD build = 0xDEADBEEF;
    EXPECT_EQ(version.dwMajorVersion >= 10, Tool_IsWin10orLater(&build) != FALSE);
    EXPECT_EQ(version.dwBuildNumber, build);
    EXPECT_EQ(version.dwMajorVersion >= 10, Tool_IsWin10orLater(nullptr) != FALSE);
    EXPECT_EQ(version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 1),
              Tool_IsWin7orLater() != FALSE);
}

// args: expected major and minor version, and the expected answers of the two thresholds (0 or 1).
int RunVersionThresholds(const std::vector<std::string>& args) {
    if (args.size() != 4) {
        return 0x100;
    }
    int failures = 0;
    OSVERSIONINFOEXW info = {};
    if (Tool_GetOSVersion(&info) != S_OK ||
        info.dwMajorVersion != std::strtoul(args[0].c_str(), nullptr, 10) ||
        info.dwMinorVersion != std::strtoul(args[1].c_str(), nullptr, 10)) {
        failures |= 0x01;
    }
    DWORD build = 0;
    if ((Tool_IsWin10orLater(&build) != FALSE) != (args[2] == "1") || build != info.dwBuildNumber) {
        failures |= 0x02;
    }
    if ((Tool_IsWin7orLater() != FALSE) != (args[3] == "1")) {
        failures |= 0x04;
    }
    return failures;
}

ovs::test::ChildMode versionThresholdsMode("module-version-thresholds", RunVersionThresholds);

// The version Wine reports to one executable, set in its per-application defaults for the life of
// the object (the platform reads it when a process starts).
class WineVersionForThisExecutable {
public:
    explicit WineVersionForThisExecutable(const char* version) {
        char self[MAX_PATH];
        const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
        const std::string path(self, length < MAX_PATH ? length : 0);
        m_key = "Software\\Wine\\AppDefaults\\" + path.substr(path.find_last_of("\\/") + 1);
        ovs::unique_hkey key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            key.put(), nullptr) == ERROR_SUCCESS) {
            m_set = RegSetValueExA(key.get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                                   static_cast<DWORD>(std::strlen(version) + 1)) == ERROR_SUCCESS;
        }
    }
    ~WineVersionForThisExecutable() { RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str()); }
    WineVersionForThisExecutable(const WineVersionForThisExecutable&) = delete;
    WineVersionForThisExecutable& operator=(const WineVersionForThisExecutable&) = delete;
    bool set() const { return m_set; }

private:
    std::string m_key;
    bool m_set = false;
};

struct VersionCase {
    const char* wineVersion;
    const char* major;
    const char* minor;
    const char* win10;
    const char* win7;
};

class VersionThresholdTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionThresholdTest, AnswersForTheReportedVersion) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "the reported version is set through Wine's per-application defaults";
    }
    const VersionCase& c = GetParam();
    WineVersionForThisExecutable version(c.wineVersion);
    ASSERT_TRUE(version.set());
    const ovs::test::ChildResult result =
        RunChild("module-version-thresholds", {c.major, c.minor, c.win10, c.win7});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode) << "1: version record, 2: Windows 10 answer, 4: Windows 7 answer";
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionThresholdTest,
                         ::testing::Values(VersionCase{"vista", "6", "0", "0", "0"},
                                           VersionCase{"win7", "6", "1", "0", "1"},
                                           VersionCase{"win81", "6", "3", "0", "1"},
                                           VersionCase{"win10", "10", "0", "1", "1"}),
                         [](const auto& info) { return std::string(info.param.wineVersion); });

} // namespace
