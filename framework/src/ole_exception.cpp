#include "afxdisp.h"

#include <cstdio>

SCODE COleException::Process(const CException* pAnyException) {
    if (dynamic_cast<const CMemoryException*>(pAnyException) != nullptr) {
        return E_OUTOFMEMORY;
    }
    if (const auto* ole = dynamic_cast<const COleException*>(pAnyException)) {
        return ole->m_sc;
    }
    return E_UNEXPECTED;
}

BOOL COleException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext != nullptr) {
        *pnHelpContext = 0;
    }
    if (lpszError == nullptr || nMaxError == 0) {
        return FALSE;
    }
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(m_sc), 0, lpszError, nMaxError, nullptr);
    if (length == 0) {
        const int written =
            _snprintf(lpszError, nMaxError, "OLE error 0x%08lX.", static_cast<unsigned long>(m_sc));
        if (written < 0 || static_cast<UINT>(written) >= nMaxError) {
            lpszError[nMaxError - 1] = '\0';
        }
    }
    return TRUE;
}

void AfxThrowOleException(SCODE sc) {
    throw new COleException(sc);
}

void AfxCheckError(SCODE sc) {
    if (FAILED(sc)) {
        if (sc == E_OUTOFMEMORY) {
            AfxThrowMemoryException();
        }
        AfxThrowOleException(sc);
    }
}
