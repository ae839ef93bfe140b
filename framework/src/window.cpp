#include "afxwin.h"

#include "handle_map.h"

namespace {

// The framework's own window class, for windows created without a class name.
constexpr char kFrameworkWindowClass[] = "AfxWnd";

HandleMap<HWND, CWnd>& WindowMap() {
    static HandleMap<HWND, CWnd> map;
    return map;
}

HINSTANCE FrameworkModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&FrameworkModule), &module);
    return module;
}

bool RegisterFrameworkClass() {
    static const bool registered = [] {
        WNDCLASSA wc = {};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = FrameworkModule();
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kFrameworkWindowClass;
        return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

} // namespace

// Every message of a window made by CreateEx passes through its object; at the window's last message
// the object is detached and told.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (wnd == nullptr) {
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    }
    const LRESULT result = wnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        wnd->Detach();
        wnd->PostNcDestroy();
    }
    return result;
}

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)
IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

CWnd::~CWnd() {
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        DestroyWindow();
    }
}

CWnd* PASCAL CWnd::FromHandle(HWND hWnd) {
    return WindowMap().FromHandle(hWnd, [](HWND h) {
        CWnd* temporary = new CWnd;
        temporary->m_hWnd = h;
        return temporary;
    });
}

CWnd* PASCAL CWnd::FromHandlePermanent(HWND hWnd) {
    return WindowMap().LookupPermanent(hWnd);
}

void PASCAL CWnd::DeleteTempMap() {
    WindowMap().DeleteTemporary([](CWnd* temporary) {
        temporary->m_hWnd = nullptr; // the window is not the object's to destroy
        delete temporary;
    });
}

BOOL CWnd::Attach(HWND hWndNew) {
    if (hWndNew == nullptr || m_hWnd != nullptr || !WindowMap().SetPermanent(hWndNew, this)) {
        return FALSE;
    }
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach() {
    const HWND hWnd = m_hWnd;
    if (hWnd != nullptr) {
        Unsubclass();
        if (FromHandlePermanent(hWnd) == this) {
            WindowMap().RemovePermanent(hWnd);
        }
        m_hWnd = nullptr;
    }
    return hWnd;
}

void CWnd::Unsubclass() {
    if (m_pfnSuper != nullptr) {
        if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC)) == &AfxWndProc) {
            SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        }
        m_pfnSuper = nullptr;
    }
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
    if (m_hWnd != nullptr) {
        return FALSE;
    }
    HINSTANCE instance = AfxGetInstanceHandle();
    if (lpszClassName == nullptr) {
        if (!RegisterFrameworkClass()) {
            return FALSE;
        }
        lpszClassName = kFrameworkWindowClass;
        instance = FrameworkModule();
    }
    const HWND hWnd = ::CreateWindowExA(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, nWidth,
                                        nHeight, hWndParent, nIDorHMenu, instance, lpParam);
    if (hWnd == nullptr) {
        return FALSE;
    }
    if (!Attach(hWnd)) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top,
                    pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID) {
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

BOOL CWnd::DestroyWindow() {
    const HWND hWnd = m_hWnd;
    if (hWnd == nullptr) {
        return FALSE;
    }
    const bool permanent = FromHandlePermanent(hWnd) == this;
    if (!::DestroyWindow(hWnd)) {
        return FALSE;
    }
    // A window made by CreateEx has detached its object already, which may be gone by now.
    if (!permanent) {
        m_hWnd = nullptr;
    } else if (FromHandlePermanent(hWnd) == this) {
        Detach();
    }
    return TRUE;
}

CWnd* CWnd::GetParent() const {
    return FromHandle(::GetParent(m_hWnd));
}

CDC* CWnd::GetDC() {
    return CDC::FromHandle(::GetDC(m_hWnd));
}

int CWnd::ReleaseDC(CDC* pDC) {
    return pDC != nullptr ? ::ReleaseDC(m_hWnd, pDC->m_hDC) : 0;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return m_pfnSuper != nullptr ? ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam)
                                 : ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

void CWnd::PostNcDestroy() {}

CWnd* AfxGetMainWnd() noexcept {
    const CWinApp* app = AfxGetApp();
    return app != nullptr ? app->m_pMainWnd : nullptr;
}
