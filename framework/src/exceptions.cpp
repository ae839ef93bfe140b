#include "afxexcept.h"

#include <cstring>

namespace {

BOOL CopyMessage(LPCSTR text, LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) {
    if (pnHelpContext != nullptr) {
        *pnHelpContext = 0;
    }
    if (lpszError == nullptr || nMaxError == 0) {
        return FALSE;
    }
    const size_t room = nMaxError - 1;
    const size_t length = std::strlen(text) < room ? std::strlen(text) : room;
    std::memcpy(lpszError, text, length);
    lpszError[length] = '\0';
    return TRUE;
}

// Thrown when memory runs out, so throwing it needs none.
CMemoryException g_memoryException(FALSE);

} // namespace

void CException::Delete() {
    if (m_bAutoDelete) {
        delete this;
    }
}

BOOL CException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext != nullptr) {
        *pnHelpContext = 0;
    }
    if (lpszError != nullptr && nMaxError > 0) {
        lpszError[0] = '\0';
    }
    return FALSE;
}

BOOL CMemoryException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    return CopyMessage("Out of memory.", lpszError, nMaxError, pnHelpContext);
}

BOOL CInvalidArgException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    return CopyMessage("Invalid argument.", lpszError, nMaxError, pnHelpContext);
}

void AfxThrowMemoryException() {
    throw &g_memoryException;
}

void AfxThrowInvalidArgException() {
    throw new CInvalidArgException();
}
