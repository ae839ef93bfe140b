#include "afxfile.h"

#include <string>

namespace {

DWORD AccessOf(UINT flags) {
    switch (flags & 0x3) {
        case CFile::modeWrite:
            return GENERIC_WRITE;
        case CFile::modeReadWrite:
            return GENERIC_READ | GENERIC_WRITE;
        default:
            return GENERIC_READ;
    }
}

DWORD ShareOf(UINT flags) {
    switch (flags & 0x70) {
        case CFile::shareExclusive:
            return 0;
        case CFile::shareDenyWrite:
            return FILE_SHARE_READ;
        case CFile::shareDenyRead:
            return FILE_SHARE_WRITE;
        case CFile::shareDenyNone:
            return FILE_SHARE_READ | FILE_SHARE_WRITE;
        default:
            return 0; // compatibility mode shares nothing
    }
}

DWORD CreationOf(UINT flags) {
    if ((flags & CFile::modeCreate) != 0) {
        return (flags & CFile::modeNoTruncate) != 0 ? OPEN_ALWAYS : CREATE_ALWAYS;
    }
    return OPEN_EXISTING;
}

} // namespace

CFile::CFile(LPCSTR lpszFileName, UINT nOpenFlags) {
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error)) {
        AfxThrowFileException(error.m_cause, error.m_lOsError, lpszFileName);
    }
}

CFile::~CFile() {
    Abort();
}

BOOL CFile::Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    Abort();
    if (lpszFileName == nullptr) {
        if (pError != nullptr) {
            pError->m_cause = CFileException::badPath;
            pError->m_lOsError = ERROR_INVALID_NAME;
        }
        return FALSE;
    }
    m_strFileName = lpszFileName;
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, (nOpenFlags & modeNoInherit) == 0};
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if ((nOpenFlags & osNoBuffer) != 0) {
        attributes |= FILE_FLAG_NO_BUFFERING;
    }
    if ((nOpenFlags & osWriteThrough) != 0) {
        attributes |= FILE_FLAG_WRITE_THROUGH;
    }
    m_hFile = CreateFileA(lpszFileName, AccessOf(nOpenFlags), ShareOf(nOpenFlags), &security,
                          CreationOf(nOpenFlags), attributes, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (pError != nullptr) {
            pError->m_lOsError = static_cast<LONG>(code);
            pError->m_cause = CFileException::OsErrorToException(static_cast<LONG>(code));
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    }
    return TRUE;
}

void CFile::ThrowLastError() const {
    const LONG code = static_cast<LONG>(GetLastError());
    AfxThrowFileException(CFileException::OsErrorToException(code), code, m_strFileName);
}

void CFile::Write(const void* lpBuf, UINT nCount) {
    if (nCount == 0) {
        return;
    }
    if (lpBuf == nullptr) {
        AfxThrowInvalidArgException();
    }
    DWORD written = 0;
    if (!WriteFile(m_hFile, lpBuf, nCount, &written, nullptr)) {
        ThrowLastError();
    }
    if (written != nCount) {
        AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
    }
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    if (nCount == 0) {
        return 0;
    }
    if (lpBuf == nullptr) {
        AfxThrowInvalidArgException();
    }
    DWORD read = 0;
    if (!ReadFile(m_hFile, lpBuf, nCount, &read, nullptr)) {
        ThrowLastError();
    }
    return read;
}

void CFile::Flush() {
    if (m_hFile != INVALID_HANDLE_VALUE && !FlushFileBuffers(m_hFile)) {
        ThrowLastError();
    }
}

void CFile::Close() {
    if (m_hFile == INVALID_HANDLE_VALUE) {
        return;
    }
    const HANDLE handle = m_hFile;
    m_hFile = INVALID_HANDLE_VALUE;
    if (!CloseHandle(handle)) {
        ThrowLastError();
    }
}

void CFile::Abort() noexcept {
    if (m_hFile != INVALID_HANDLE_VALUE) {
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(m_hFile, &size)) {
        ThrowLastError();
    }
    return static_cast<ULONGLONG>(size.QuadPart);
}

CStdioFile::CStdioFile(LPCSTR lpszFileName, UINT nOpenFlags) {
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error)) {
        AfxThrowFileException(error.m_cause, error.m_lOsError, lpszFileName);
    }
}

BOOL CStdioFile::Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    m_bTextMode = (nOpenFlags & typeBinary) == 0;
    return CFile::Open(lpszFileName, nOpenFlags & ~(typeText | typeBinary), pError);
}

void CStdioFile::WriteString(LPCSTR lpsz) {
    if (lpsz == nullptr) {
        AfxThrowInvalidArgException();
    }
    if (!m_bTextMode) {
        Write(lpsz, static_cast<UINT>(std::char_traits<char>::length(lpsz)));
        return;
    }
    std::string text;
    for (const char* p = lpsz; *p != '\0'; ++p) {
        if (*p == '\n') {
            text.push_back('\r');
        }
        text.push_back(*p);
    }
    Write(text.data(), static_cast<UINT>(text.size()));
}
