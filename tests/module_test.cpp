// Language and extension modules, platform and binary versions, installed products and solution types.
#include "test_support.h"
#include "current_user_raw.h"
#include "locale_child.h"
#include "ovstoolmodule.h"
#include "ovstooldbgreport.h"
#include "ovsreg.h"

#include <afxwin.h>
#include <ovstoolfiletypes.h>
#include <ovstoolproducts.h>

#include <cstring>
#include <sstream>

using namespace ovs::test;

namespace {

constexpr char kBaseName[] = "OVSTestRes";

bool LoadedFrom(HMODULE module, const std::string& path) {
    char loaded[MAX_PATH] = {};
    GetModuleFileNameA(module, loaded, MAX_PATH);
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, loaded, -1, path.c_str(), -1) == CSTR_EQUAL;
}

std::string CurrentLanguage() {
    CString language("previous"); // replaced, not appended to
    Tool_GetOVSLanguage(language);
    return std::string(language);
}

std::string ModuleText(HMODULE module) {
    char text[64] = {};
    LoadStringA(module, 1, text, sizeof text);
    return text;
}

// A handle the library has not written yet: every call must set the out-handle, to null at least.
const HINSTANCE kUnset = reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(0x1234));

void WriteProgramFolder(const std::string& folder, const char* root = OVS_REG_PRODUCT_ROOT) {
    ASSERT_TRUE(Tool_WriteRegistryString(root, nullptr, 0, "Path", "Prog Path", folder.c_str()));
}

using ModuleTest = RegistryTest;

// args: language abbreviation, string 1 of the language module loaded ("-" for none), and "app" for a host
// with an application object or "none". There is no "Prog Path". Modules named without a folder are looked
// for only in the system folder here, so that a module found beside the executable must have been named with
// that folder.
int RunLocale(const std::vector<std::string>& args) {
    if (args.size() != 3 || !SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return 0x100;
    }
    std::optional<CWinApp> app;
    if (args[2] == "app") {
        app.emplace("Host");
    }
    const int failures = CurrentLanguage() == args[0] ? 0 : 0x04;
    HINSTANCE module = kUnset;
    if (Tool_LoadLanguageDll(kBaseName, &module, OVS_REG_PRODUCT_ROOT) != S_OK || module == kUnset) {
        return failures | 0x08;
    }
    const std::string beside = ExecutableFolder() + "\\" + args[0] + "_" + kBaseName + ".DLL";
    const bool other = (module == nullptr ? "-" : ModuleText(module)) != args[1] ||
                       (module != nullptr && !LoadedFrom(module, beside));
    Tool_FreeLanguageDll(module);
    return failures | (other ? 0x10 : 0);
}

ChildMode localeMode("module-locale", RunLocale);

TEST_F(ModuleTest, ModuleInTheUsersLocale) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "the locale of a child is set through Wine's Unix environment";
    }
    const struct {
        const char* locale;
        std::vector<std::string> args;
        const char* programFolder; // the "Prog Path" written first, or null for none
    } cases[] = {
        {"de_DE.UTF-8", {"DEU", "Deutsch", "app"}, nullptr},
        {"en_US.UTF-8", {"ENU", "English", "app"}, ""},
        {"C.UTF-8", {"ENU", "-", "none"}, nullptr},    // no folder without an application object
        {"ja_JP.UTF-8", {"JPN", "-", "app"}, nullptr}, // no module for the language
    };
    for (const auto& c : cases) {
        ResetProductRegistry();
        if (c.programFolder != nullptr) {
            WriteProgramFolder(c.programFolder);
        }
        const ChildResult result = RunChildInLocale(c.locale, "module-locale", c.args);
        EXPECT_TRUE(result.finished && result.exitCode == 0)
            << c.locale << " " << result.exitCode << " (4: language, 8: handle, 10: module)";
    }
}

// A report of errors only. Missing arguments of the language module are refused first.
ChildMode reportUntilEndMode("module-report-until-end", [](const std::vector<std::string>& args) {
    HINSTANCE module = nullptr;
    if (!args.empty() || !Tool_InitDbgReportEx(1, OVS_DBGMASK_ERR, 0, 0x01000000, 0, 3, "B", "A") ||
        Tool_LoadLanguageDll(nullptr, &module, OVS_REG_PRODUCT_ROOT) != E_INVALIDARG ||
        Tool_LoadLanguageDll(kBaseName, nullptr, OVS_REG_PRODUCT_ROOT) != E_INVALIDARG) {
        return 1;
    }
    Tool_DbgReport(nullptr, 0, OVS_DBG_ERR, "%s", "last line of the host");
    return 0; // the module ends as the process does
});

TEST_F(ModuleTest, EndWritesItsBannerAndInvalidArgumentsAreReported) {
    ReportFolder folder;
    const ChildResult result = RunChild("module-report-until-end");
    ASSERT_TRUE(result.finished && result.exitCode == 0) << result.exitCode;
    const std::string report = ReadFileText(folder.reportFile("001"));
    std::vector<std::string> messages; // the message field, after the last tab
    for (const std::string& line : SplitLines(report)) {
        messages.push_back(line.substr(line.rfind('\t') + 1));
    }
    const size_t at = report.find('[') + 1; // the process of "[pid:tid]" in the first line
    const std::string session =
        "========================= Session [" + report.substr(at, report.find(':', at) - at);
    EXPECT_EQ((std::vector<std::string>{
                  session + "] Start ==============================",
                  "Tool_LoadLanguageDll : Invalid argument. : [nullptr != szBaseName] is false.",
                  "Tool_LoadLanguageDll : Invalid argument. : [nullptr != phModule] is false.",
                  "last line of the host", session + "] End =============================="}),
              messages);
}

TEST_F(ModuleTest, LanguageAndExtensionModulesFromTheProgramFolder) {
    TempFolder folder;
    const std::string module = ExecutableFolder() + "\\ENU_" + kBaseName + ".DLL";
    const std::string path = folder / (CurrentLanguage() + "_" + kBaseName + ".DLL");
    ASSERT_TRUE(CopyFileA(module.c_str(), path.c_str(), FALSE));
    // Root, end of the folder written, base name, the "UseSystemLanguage" text (null: none), loaded.
    const std::tuple<const char*, const char*, const char*, const char*, bool> cases[] = {
        {OVS_REG_PRODUCT_ROOT, "", kBaseName, nullptr, true},
        {OVS_REG_PRODUCT_ROOT, "\\", kBaseName, nullptr, true},      // no second separator
        {"SOFTWARE\\VELDORAN\\Other", "", kBaseName, nullptr, true}, // read below the caller's root
        {OVS_REG_PRODUCT_ROOT, "", "NoSuchBase", nullptr, false},
        {OVS_REG_PRODUCT_ROOT, "", kBaseName, "Yesss", true}, // three characters are read
        {OVS_REG_PRODUCT_ROOT, "", kBaseName, "yes", false},  // case counts
        {OVS_REG_PRODUCT_ROOT, "", kBaseName, "dword", true}, // not text: as if missing
    };
    constexpr char kLanguageKey[] = OVS_REG_COMMON_ROOT "\\Language";
    for (const auto& [root, folderEnd, base, useSystem, loads] : cases) {
        SCOPED_TRACE(std::string(root) + " " + base + " " + (useSystem ? useSystem : ""));
        ResetProductRegistry();
        if (useSystem != nullptr && std::string(useSystem) == "dword") {
            ASSERT_TRUE(Tool_WriteRegInt(kLanguageKey, nullptr, "UseSystemLanguage", 0));
        } else if (useSystem != nullptr) {
            ASSERT_TRUE(Tool_WriteRegString(kLanguageKey, nullptr, "UseSystemLanguage", useSystem));
        }
        WriteProgramFolder(folder.path() + folderEnd, root);
        HINSTANCE language = kUnset;
        EXPECT_EQ(S_OK, Tool_LoadLanguageDll(base, &language, root));
        EXPECT_EQ(loads, language != nullptr);
        if (language != nullptr && language != kUnset) {
            EXPECT_TRUE(LoadedFrom(language, path));
            EXPECT_EQ("English", ModuleText(language));
            Tool_FreeLanguageDll(language);
        }
    }
    Tool_FreeLanguageDll(nullptr);
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "every module was freed";
    HINSTANCE language = kUnset;
    EXPECT_TRUE(Tool_LoadLanguageDll(kBaseName, &language, nullptr) == S_OK && language != kUnset)
        << "null root";
    Tool_FreeLanguageDll(language);

    ResetProductRegistry();
    // Without "Prog Path": "\Program Files\Orvantiscope" on the current (temporary folder's) drive.
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(folder.path().c_str());
    CreateDirectoryA("\\Program Files\\Orvantiscope", nullptr);
    EXPECT_TRUE(CopyFileA(module.c_str(), "\\Program Files\\Orvantiscope\\OVSTestExtension.dll", FALSE));
    EXPECT_TRUE(ovs::unique_hmodule(Tool_LoadExtendedDLL("OVSTestExtension.dll", OVS_REG_PRODUCT_ROOT)));
    DeleteFileA("\\Program Files\\Orvantiscope\\OVSTestExtension.dll");
    RemoveDirectoryA("\\Program Files\\Orvantiscope");
    SetCurrentDirectoryA(previous);

    WriteProgramFolder(folder.path());
    const std::string extension = folder / "Extension.dll";
    ASSERT_TRUE(CopyFileA(module.c_str(), extension.c_str(), FALSE));
    ovs::unique_hmodule loaded(Tool_LoadExtendedDLL("Extension.dll", OVS_REG_PRODUCT_ROOT));
    EXPECT_TRUE(loaded && LoadedFrom(loaded.get(), extension));
    EXPECT_FALSE(Tool_LoadExtendedDLL(nullptr, OVS_REG_PRODUCT_ROOT) ||
                 Tool_LoadExtendedDLL("Extension.dll", nullptr) ||
                 Tool_LoadExtendedDLL("ENU_OVSTestRes.DLL", OVS_REG_PRODUCT_ROOT))
        << "none, and not the executable's";
}

// The version as the child sees it, major * 100 + minor, with the answers for Windows 10 in bit 16 and
// for Windows 7 in bit 17; bit 18 when the version record or the build number is wrong.
ChildMode versionMode("module-version-thresholds", [](const std::vector<std::string>&) {
    OSVERSIONINFOEXW info;
    std::memset(&info, 0xCC, sizeof info);
    DWORD build = 0;
    const bool win10 = Tool_IsWin10orLater(&build) != FALSE;
    const bool wrong = Tool_GetOSVersion(&info) != S_OK || Tool_GetOSVersion(nullptr) != E_FAIL ||
                       info.dwOSVersionInfoSize != 284 || build != info.dwBuildNumber;
    return static_cast<int>(info.dwMajorVersion * 100 + info.dwMinorVersion) | (win10 ? 1 << 16 : 0) |
           (Tool_IsWin7orLater() ? 1 << 17 : 0) | (wrong ? 1 << 18 : 0);
});

TEST(PlatformVersion, ThresholdsAnswerForTheReportedVersion) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "the reported version is set through Wine's per-application defaults";
    }
    const std::string key = "Software\\Wine\\AppDefaults\\" + ExecutableBaseName() + ".exe";
    for (const auto& [version, expected] :
         {std::pair{"vista", 600u}, {"win7", 601u | 2u << 16}, {"win10", 1000u | 3u << 16}}) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Version", REG_SZ, version,
                                                 static_cast<DWORD>(std::strlen(version) + 1)));
        const ChildResult result = RunChild("module-version-thresholds");
        EXPECT_TRUE(result.finished && result.exitCode == expected)
            << version << ": " << std::hex << result.exitCode;
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

// The binaries' version resources name the product, the project's version and their own file.
TEST(VersionInfo, EachBinaryNamesTheProductItsVersionAndItsFile) {
    for (const auto& [fileName, fileType] :
         {std::pair<std::string, DWORD>{"OVSTools2.dll", VFT_DLL}, {"ovsdemo.exe", VFT_APP}}) {
        SCOPED_TRACE(fileName);
        const std::string path = ExecutableFolder() + "\\" + fileName;
        DWORD ignored = 0;
        std::vector<BYTE> block(GetFileVersionInfoSizeA(path.c_str(), &ignored));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(!block.empty() &&
                    GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) &&
                    VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        const DWORD version = DWORD{OVS_VERSION_MAJOR} << 16 | OVS_VERSION_MINOR;
        EXPECT_EQ(
            (std::vector<DWORD>{0xFEEF04BD, version, DWORD{OVS_VERSION_PATCH} << 16, version, fileType}),
            (std::vector<DWORD>{fixed->dwSignature, fixed->dwFileVersionMS, fixed->dwFileVersionLS,
                                fixed->dwProductVersionMS, fixed->dwFileType}));
        const auto text = [&](const char* name) {
            char* value = nullptr;
            const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
            return VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) &&
                           value
                       ? std::string(value)
                       : std::string();
        };
        EXPECT_EQ("OVSTools2 " OVS_VERSION ".0 " OVS_VERSION ".0 " + fileName,
                  text("ProductName") + " " + text("FileVersion") + " " + text("ProductVersion") + " " +
                      text("OriginalFilename"));
        EXPECT_NE("", text("FileDescription"));
    }
}

// The product list lives once per process, so product cases run in children.
constexpr char kMachineKey[] =
    "SOFTWARE\\VELDORAN\\Orvantiscope\\Orvantiscope2\\CurrentVersion\\InstalledProduct";
constexpr char kUserKey[] = "SOFTWARE\\VELDORAN\\Orvantiscope\\Orvantiscope2\\InstalledProduct";

// Entries "name=number" (double word) or "name:text" (string value; "*n" is n letters).
void WriteMachineEntries(const std::string& entries) {
    std::istringstream words(entries);
    for (std::string word; words >> word;) {
        const size_t at = word.find_first_of("=:");
        const std::string name = word.substr(0, at), data = word.substr(at + 1);
        const DWORD number = word[at] == '=' ? std::stoul(data) : 0;
        const std::string text = data[0] == '*' ? std::string(std::stoul(data.substr(1)), 'x') : data;
        ASSERT_TRUE(word[at] == '='
                        ? RawUserSet(kMachineKey, name.c_str(), REG_DWORD, &number, 4, HKEY_LOCAL_MACHINE)
                        : RawUserSet(kMachineKey, name.c_str(), REG_SZ, text.c_str(), DWORD(text.size() + 1),
                                     HKEY_LOCAL_MACHINE));
    }
}

// The child's exit code: mask (16 bits), filter, application and default solution types + 1, extension type.
DWORD Pack(DWORD mask, int filter, long app, long def, int extensionType) {
    return (mask & 0xFFFF) | (static_cast<DWORD>(filter) << 16) | (static_cast<DWORD>(app + 1) << 20) |
           (static_cast<DWORD>(def + 1) << 24) | (static_cast<DWORD>(extensionType) << 28);
}

const ChildMode kSelectMode("products-select", [](const std::vector<std::string>& args) {
    const DWORD mask = Tool_GetInstalledProduct();
    Tool_SetAppSolutionType(std::stol(args.at(0)));
    return static_cast<int>(Pack(mask, Tool_GetFileFilterType(), Tool_GetAppSolutionType(0),
                                 Tool_GetDefaultSolutionType(), Tool_GetFileExtensionType()));
});

using ProductsTest = BothHivesTest;

TEST_F(ProductsTest, MaskSelectionListFilledOnceAndGpcInstalledUnlessZeroOrBelow) {
    // Product cache (0: none), requested, mask, filter, solution type (application and default alike).
    const std::tuple<const char*, DWORD, long, DWORD, int, long> cases[] = {
        {"LC=1 GC=1", 0, -1, 0x11, 2, 0},
        {"LCVXMS=1", 0, -1, 0x100, 0, 1},
        {"GC=1", 0, 0, 0x10, 0, -1}, // no row matches LC
        {"GC=1", 0, 2, 0x10, 1, 2},
        {"GCVXMS=1 GC=1", 0, -1, 0x410, 1, 3},
        {"LC:1 Notes:*3000 GC=1", 0, -1, 0x10, 1, 2}, // text entries, even long ones, are ignored
        {"LC=0 PDA=1", 0, -1, 0x2, 0, 0},
        {"lczetrams=5 agilentlc=1", 0, -1, 0x201, 0, 1},
        {"LC=1", 0x400, -1, 0x400, 1, 3}, // the user's cache overrides
        {"", 0, -1, 0, 0, -1},
        {"LC=1", 0, 7, 0x1, 0, -1}};
    for (const auto& [machine, productCache, requested, mask, filter, solution] : cases) {
        SCOPED_TRACE(machine);
        ResetProductRegistry();
        ResetCurrentUserTree();
        WriteMachineEntries(machine);
        if (productCache != 0) {
            ASSERT_TRUE(RawUserSetInt(kUserKey, "ProductCache", productCache));
        }
        const auto result = RunChild("products-select", {std::to_string(requested)});
        EXPECT_EQ(Pack(mask, filter, solution, solution, solution >= 2 ? 1 : 0), result.exitCode);
    }
    ResetProductRegistry();

    EXPECT_TRUE(Tool_IsGPCInstalled());
    for (const auto& [value, expected] :
         {std::pair{0xFFFFFFFFu, TRUE}, {1u, TRUE}, {0u, FALSE}, {0xFFFFFFFEu, FALSE}}) {
        ASSERT_TRUE(RawUserSetInt(kUserKey, "GPC", value));
        EXPECT_EQ(expected, Tool_IsGPCInstalled()) << value;
    }
}

} // namespace
