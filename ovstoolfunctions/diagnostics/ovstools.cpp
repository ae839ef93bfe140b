// The module object, its start and end with the DLL, the language resource module, extension
// modules and the platform version.
#include "callframe.h"
#include "module_state.h"
#include "ovstoolmodule.h"
#include "ovstooldbgreport.h"
#include "ovsreg.h"
#include "paths/path_join.h"
#include "config/policy_cache.h"

#include <clocale>
#include <optional>
#include <cstring>
#include <string>

namespace {

constexpr char kLanguageKey[] = "Language";
constexpr char kUseSystemLanguage[] = "UseSystemLanguage";
constexpr char kYes[] = "Yes";
constexpr char kPathSubKey[] = "Path";
constexpr char kProgPathValue[] = "Prog Path";
constexpr char kDefaultProgPath[] = "\\Program Files\\Orvantiscope";
constexpr DWORD kVersionRecordSize = 284;

ovs::ModuleState g_module;
CRITICAL_SECTION g_reportLock;
HINSTANCE g_moduleInstance = nullptr;
// The module's own framework state, so that its application object is not taken for the host's.
AFX_MODULE_STATE* g_frameworkState = nullptr;
COVSToolApp* g_app = nullptr;

// Reads a text value in the local-machine hive without writing to the debug report: the module
// start-up reads must not depend on the report being there.
// Nothing when the key or value is missing or is not text.
std::optional<std::string> ReadMachineText(const std::string& keyPath, LPCSTR valueName, DWORD maxBytes) {
    ovs::unique_hkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::string text(maxBytes, '\0');
    DWORD type = 0;
    DWORD size = maxBytes;
    const LSTATUS status =
        RegQueryValueExA(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
    if ((status != ERROR_SUCCESS && status != ERROR_MORE_DATA) || type != REG_SZ) {
        return std::nullopt;
    }
    if (status == ERROR_MORE_DATA) {
        // The value is longer than the room: keep what fits, as a cut read does.
        std::string whole(size, '\0');
        DWORD wholeSize = size;
        if (RegQueryValueExA(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(whole.data()),
                             &wholeSize) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return whole.substr(0, strnlen(whole.c_str(), maxBytes - 1));
    }
    return std::string(text.c_str());
}

std::string ProgramFolder(LPCSTR registryRoot) {
    return ReadMachineText(std::string(registryRoot) + "\\" + OVS_REG_CURRENT_VERSION + "\\" + kPathSubKey,
                           kProgPathValue, MAX_PATH)
        .value_or(std::string());
}

std::string ExecutableFolder(CWinApp* app) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(app->m_hInstance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return kDefaultProgPath;
    }
    std::string folder(path, length);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

HMODULE LoadFromFolder(const std::string& folder, const std::string& fileName) {
    return AfxLoadLibrary(ovs::JoinPath(folder, fileName).c_str());
}

} // namespace

namespace ovs {

ModuleState& Module() {
    return g_module;
}

ReportLock::ReportLock() {
    EnterCriticalSection(&g_reportLock);
}
ReportLock::~ReportLock() {
    LeaveCriticalSection(&g_reportLock);
}

} // namespace ovs

COVSToolApp::COVSToolApp() : CWinApp("OVSTools2") {}

BOOL COVSToolApp::InitInstance() {
    setlocale(LC_ALL, "");
    const lconv* conventions = localeconv();
    ovs::ModuleState& module = ovs::Module();
    module.decimalPoint[0] = conventions->decimal_point[0] != '\0' ? conventions->decimal_point[0] : '.';
    module.decimalPoint[1] = '\0';
    module.thousandsSeparator[0] =
        conventions->thousands_sep[0] != '\0' ? conventions->thousands_sep[0] : ',';
    module.thousandsSeparator[1] = '\0';
    m_dwInstalledProductMask = 0;
    return CWinApp::InitInstance();
}

int COVSToolApp::ExitInstance() {
    Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_DBG, "%s", "-->COVSToolApp::ExitInstance");
    Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_BANNER,
                   "========================= Session [%d] End ==============================",
                   static_cast<int>(GetCurrentProcessId()));
    Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_DBG, "%s", "<--COVSToolApp::ExitInstance");
    m_dwInstalledProductMask = 0;
    ovs::ModuleState& module = ovs::Module();
    if (module.pathInformation != nullptr) {
        module.pathInformation->Release();
        module.pathInformation = nullptr;
    }
    ovs::policy::FreeCache();
    return CWinApp::ExitInstance();
}

COVSToolApp& OVSToolApp() {
    return *g_app;
}

HRESULT Tool_LoadLanguageDll(LPCSTR szBaseName, HINSTANCE* phModule, LPCSTR szRegistryRoot) {
    OVS_REQUIRE_ARG("Tool_LoadLanguageDll", nullptr != szBaseName, E_INVALIDARG);
    OVS_REQUIRE_ARG("Tool_LoadLanguageDll", nullptr != phModule, E_INVALIDARG);
    *phModule = nullptr;
    // At most three characters are read; a longer text that begins with them counts the same.
    const std::string useSystem =
        ReadMachineText(std::string(OVS_REG_COMMON_ROOT) + "\\" + kLanguageKey, kUseSystemLanguage, 4)
            .value_or(kYes);
    if (useSystem != kYes) {
        return S_OK;
    }
    std::string folder = szRegistryRoot != nullptr ? ProgramFolder(szRegistryRoot) : std::string();
    if (folder.empty()) {
        if (CWinApp* app = AfxGetApp()) {
            folder = ExecutableFolder(app);
        }
    }
    CString language;
    Tool_GetOVSLanguage(language);
    *phModule = LoadFromFolder(folder, std::string(language) + "_" + szBaseName + ".DLL");
    return S_OK;
}

void Tool_FreeLanguageDll(HINSTANCE hModule) {
    if (hModule != nullptr) {
        AfxFreeLibrary(hModule);
    }
}

void Tool_GetOVSLanguage(CString& strLanguage) {
    char abbreviation[8] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, abbreviation, sizeof abbreviation);
    abbreviation[3] = '\0';
    strLanguage = abbreviation;
}

HMODULE Tool_LoadExtendedDLL(LPCSTR szModuleFileName, LPCSTR szRegistryRoot) {
    if (szModuleFileName == nullptr || szRegistryRoot == nullptr) {
        return nullptr;
    }
    char folder[MAX_PATH];
    Tool_GetRegistryString(szRegistryRoot, nullptr, 0, kPathSubKey, kProgPathValue, kDefaultProgPath, folder,
                           sizeof folder);
    return LoadFromFolder(folder, szModuleFileName);
}

void Tool_SetMainWnd(HWND hWnd) {
    ovs::Module().mainWindow = hWnd;
}

HRESULT Tool_GetOSVersion(OSVERSIONINFOEXW* pVersionInfo) {
    if (pVersionInfo == nullptr) {
        return E_FAIL;
    }
    ovs::unique_hmodule ntdll(LoadLibraryA("ntdll.dll"));
    if (!ntdll) {
        return E_FAIL;
    }
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    auto getVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll.get(), "RtlGetVersion")));
    if (getVersion == nullptr) {
        return E_FAIL;
    }
    pVersionInfo->dwOSVersionInfoSize = kVersionRecordSize;
    return getVersion(pVersionInfo) == 0 ? S_OK : E_FAIL;
}

BOOL Tool_IsWin10orLater(DWORD* pdwBuildNumber) {
    OSVERSIONINFOEXW info = {};
    if (FAILED(Tool_GetOSVersion(&info))) {
        return FALSE;
    }
    if (pdwBuildNumber != nullptr) {
        *pdwBuildNumber = info.dwBuildNumber;
    }
    return info.dwMajorVersion >= 10;
}

BOOL Tool_IsWin7orLater() {
    OSVERSIONINFOEXW info = {};
    if (FAILED(Tool_GetOSVersion(&info))) {
        return FALSE;
    }
    return info.dwMajorVersion > 6 || (info.dwMajorVersion == 6 && info.dwMinorVersion >= 1);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
        case DLL_PROCESS_ATTACH: {
            g_moduleInstance = instance;
            InitializeCriticalSection(&g_reportLock);
            g_frameworkState = new AFX_MODULE_STATE(instance);
            AFX_MANAGE_STATE(g_frameworkState);
            g_app = new COVSToolApp();
            return g_app->InitInstance();
        }
        case DLL_PROCESS_DETACH: {
            AFX_MANAGE_STATE(g_frameworkState);
            g_app->ExitInstance();
            delete g_app;
            g_app = nullptr;
            delete g_frameworkState;
            g_frameworkState = nullptr;
            DeleteCriticalSection(&g_reportLock);
            return TRUE;
        }
        default:
            return TRUE;
    }
}
