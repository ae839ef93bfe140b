// The framework's file classes: CFile over an operating-system file handle, and CStdioFile, which
// writes text lines and turns each "\n" into "\r\n" in text mode. Failures of the throwing
// operations are thrown as CFileException.
#pragma once

#include "afxexcept.h"
#include "afxstr.h"

class AFX_API CFile : public CObject {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        osNoBuffer = 0x10000,
        osWriteThrough = 0x20000,
    };

    CFile() noexcept = default;
    // Opens at once; a failure is thrown.
    CFile(LPCSTR lpszFileName, UINT nOpenFlags);
    ~CFile() override; // closes without throwing
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // FALSE on failure, with the cause and error number in *pError when it is given.
    virtual BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Flush();
    virtual void Close();
    // Closes and ignores any failure.
    virtual void Abort() noexcept;
    ULONGLONG GetLength() const;
    const CString& GetFilePath() const noexcept { return m_strFileName; }

    HANDLE m_hFile = INVALID_HANDLE_VALUE;

protected:
    [[noreturn]] void ThrowLastError() const;

    CString m_strFileName;
    BOOL m_bTextMode = FALSE;
};

class AFX_API CStdioFile : public CFile {
public:
    CStdioFile() noexcept = default;
    CStdioFile(LPCSTR lpszFileName, UINT nOpenFlags);

    // Text mode unless typeBinary is given.
    BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
    // Writes the text; in text mode every "\n" becomes "\r\n".
    virtual void WriteString(LPCSTR lpsz);
};
