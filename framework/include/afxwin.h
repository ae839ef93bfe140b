// The framework's application object and module state; the window, frame, view and document classes
// follow at the end. The process has one application state (the executable's); a DLL with an application
// object of its own keeps it in a module state of its own and switches to it with AFX_MANAGE_STATE. Without a
// switch, AfxGetApp() answers the executable's application, so code running on a caller's behalf sees the
// calling application.
#pragma once

#include "afxexcept.h"
#include "afxstr.h"

#include <commdlg.h>

class CWinApp;
class CWnd;

struct AFX_API AFX_MODULE_STATE {
    explicit AFX_MODULE_STATE(HINSTANCE hInstance) noexcept
        : m_hCurrentInstanceHandle(hInstance), m_hCurrentResourceHandle(hInstance) {}

    CWinApp* m_pCurrentWinApp = nullptr;
    HINSTANCE m_hCurrentInstanceHandle;
    HINSTANCE m_hCurrentResourceHandle;
};

// The module state the calling thread runs in; the application state unless switched.
AFX_API AFX_MODULE_STATE* AfxGetModuleState() noexcept;
AFX_API AFX_MODULE_STATE* AfxGetAppModuleState() noexcept;

class AFX_API AFX_MAINTAIN_STATE2 {
public:
    explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pNewState) noexcept;
    ~AFX_MAINTAIN_STATE2();
    AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
    AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

private:
    AFX_MODULE_STATE* m_pPrevState;
};

#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _ctlState(p)

class AFX_API CWinApp : public CObject {
public:
    // Becomes the application of the module state current at construction.
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // Takes the device-names and device-mode blocks (movable memory, either may be null) over as the
    // printer selection; frees the previous blocks when bFreeOld.
    void SelectPrinter(HANDLE hDevNames, HANDLE hDevMode, BOOL bFreeOld = TRUE);
    // Hands the selection out in pPrintDlg (the blocks stay the application's). Without a selection the
    // platform's default printer is taken first (PD_RETURNDEFAULT with pPrintDlg's flags); FALSE when
    // there is no printer.
    BOOL GetPrinterDeviceDefaults(PRINTDLGA* pPrintDlg);

    CString m_strAppName;
    CString m_strExeName; // the module's file name without folder and extension
    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd = nullptr;
    HANDLE m_hDevMode = nullptr;  // the selected printer's device mode, null for none
    HANDLE m_hDevNames = nullptr; // its driver, device and port names, null for none

private:
    AFX_MODULE_STATE* m_pModuleState;
};

AFX_API CWinApp* AfxGetApp() noexcept;
AFX_API HINSTANCE AfxGetInstanceHandle() noexcept;
AFX_API HINSTANCE AfxGetResourceHandle() noexcept;
AFX_API void AfxSetResourceHandle(HINSTANCE hInstResource) noexcept;
AFX_API HINSTANCE AfxLoadLibrary(LPCSTR lpszModuleName) noexcept;
AFX_API BOOL AfxFreeLibrary(HINSTANCE hInstLib) noexcept;

#include "afxwnd.h"
#include "afxframe.h"
