// The application's printer selection.
#include "afxwin.h"

void CWinApp::SelectPrinter(HANDLE hDevNames, HANDLE hDevMode, BOOL bFreeOld) {
    if (bFreeOld) {
        if (m_hDevNames != nullptr && m_hDevNames != hDevNames) {
            GlobalFree(m_hDevNames);
        }
        if (m_hDevMode != nullptr && m_hDevMode != hDevMode) {
            GlobalFree(m_hDevMode);
        }
    }
    m_hDevNames = hDevNames;
    m_hDevMode = hDevMode;
}

BOOL CWinApp::GetPrinterDeviceDefaults(PRINTDLGA* pPrintDlg) {
    if (pPrintDlg == nullptr) {
        return FALSE;
    }
    if (m_hDevNames == nullptr) {
        PRINTDLGA defaults = *pPrintDlg;
        defaults.lStructSize = sizeof defaults;
        defaults.Flags |= PD_RETURNDEFAULT;
        defaults.hDevMode = nullptr;
        defaults.hDevNames = nullptr;
        if (!PrintDlgA(&defaults)) {
            return FALSE;
        }
        SelectPrinter(defaults.hDevNames, defaults.hDevMode);
    }
    pPrintDlg->hDevNames = m_hDevNames;
    pPrintDlg->hDevMode = m_hDevMode;
    return m_hDevNames != nullptr;
}
