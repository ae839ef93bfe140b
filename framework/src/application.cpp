#include "afxwin.h"

#include <algorithm>

namespace {

AFX_MODULE_STATE& ApplicationState() noexcept {
    static AFX_MODULE_STATE state(GetModuleHandleA(nullptr));
    return state;
}

thread_local AFX_MODULE_STATE* t_currentState = nullptr;

CString ModuleBaseName(HINSTANCE module) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return CString();
    }
    CString name(path);
    const int slash = std::max(name.ReverseFind('\\'), name.ReverseFind('/'));
    name = name.Mid(slash + 1);
    const int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}

} // namespace

AFX_MODULE_STATE* AfxGetModuleState() noexcept {
    return t_currentState != nullptr ? t_currentState : &ApplicationState();
}

AFX_MODULE_STATE* AfxGetAppModuleState() noexcept { return &ApplicationState(); }

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pNewState) noexcept : m_pPrevState(t_currentState) {
    t_currentState = pNewState;
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2() { t_currentState = m_pPrevState; }

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pModuleState(AfxGetModuleState()) {
    m_hInstance = m_pModuleState->m_hCurrentInstanceHandle;
    m_strExeName = ModuleBaseName(m_hInstance);
    m_strAppName = lpszAppName != nullptr ? CString(lpszAppName) : m_strExeName;
    m_pModuleState->m_pCurrentWinApp = this;
}

CWinApp::~CWinApp() {
    SelectPrinter(nullptr, nullptr);
    if (m_pModuleState->m_pCurrentWinApp == this) {
        m_pModuleState->m_pCurrentWinApp = nullptr;
    }
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

CWinApp* AfxGetApp() noexcept { return AfxGetModuleState()->m_pCurrentWinApp; }

HINSTANCE AfxGetInstanceHandle() noexcept { return AfxGetModuleState()->m_hCurrentInstanceHandle; }

HINSTANCE AfxGetResourceHandle() noexcept { return AfxGetModuleState()->m_hCurrentResourceHandle; }

void AfxSetResourceHandle(HINSTANCE hInstResource) noexcept {
    AfxGetModuleState()->m_hCurrentResourceHandle = hInstResource;
}

HINSTANCE AfxLoadLibrary(LPCSTR lpszModuleName) noexcept { return LoadLibraryA(lpszModuleName); }

BOOL AfxFreeLibrary(HINSTANCE hInstLib) noexcept { return FreeLibrary(hInstLib); }
