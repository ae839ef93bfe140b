// The framework's narrow text string: reference-counted, copied before it is written (MFC's CStringA).
// Scans are double-byte aware in the process's multibyte code page. The object is one pointer to its
// characters, so it may be passed to a printf-style "%s" as it is.
#pragma once

#include "afxver_.h"
#include <windows.h>
#include <oleauto.h>
#include <cstdarg>

class AFX_API CString {
public:
    CString() noexcept;
    CString(const CString& other) noexcept;
    CString(CString&& other) noexcept;
    // A pointer whose high bits are 0 names a string resource of the current resource module.
    CString(LPCSTR psz);
    CString(LPCSTR pch, int nLength);
    CString(LPCWSTR pwsz);
    explicit CString(char ch, int nRepeat = 1);
    ~CString();

    CString& operator=(const CString& other) noexcept;
    CString& operator=(CString&& other) noexcept;
    CString& operator=(LPCSTR psz);
    CString& operator=(LPCWSTR pwsz);
    CString& operator=(char ch);

    CString& operator+=(const CString& other);
    CString& operator+=(LPCSTR psz);
    CString& operator+=(char ch);

    int GetLength() const noexcept;
    BOOL IsEmpty() const noexcept { return GetLength() == 0; }
    void Empty() noexcept;
    LPCSTR GetString() const noexcept { return m_pszData; }
    operator LPCSTR() const noexcept { return m_pszData; }

    // Index 0 .. GetLength() (the terminator) is readable; anything else throws CInvalidArgException.
    char GetAt(int iChar) const;
    char operator[](int iChar) const { return GetAt(iChar); }
    void SetAt(int iChar, char ch);

    int Compare(LPCSTR psz) const;
    int CompareNoCase(LPCSTR psz) const;

    int Find(char ch, int iStart = 0) const noexcept;
    int Find(LPCSTR pszSub, int iStart = 0) const noexcept;
    int ReverseFind(char ch) const noexcept;
    int FindOneOf(LPCSTR pszCharSet) const noexcept;

    CString Left(int nCount) const;
    CString Mid(int iFirst) const;
    CString Mid(int iFirst, int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(LPCSTR pszCharSet) const;
    CString SpanExcluding(LPCSTR pszCharSet) const;
    CString Tokenize(LPCSTR pszTokens, int& iStart) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();

    CString& Trim();
    CString& Trim(char chTarget);
    CString& Trim(LPCSTR pszTargets);
    CString& TrimLeft();
    CString& TrimLeft(char chTarget);
    CString& TrimLeft(LPCSTR pszTargets);
    CString& TrimRight();
    CString& TrimRight(char chTarget);
    CString& TrimRight(LPCSTR pszTargets);

    int Replace(char chOld, char chNew);
    int Replace(LPCSTR pszOld, LPCSTR pszNew);
    int Remove(char chRemove);
    int Insert(int iIndex, char ch);
    int Insert(int iIndex, LPCSTR psz);
    int Delete(int iIndex, int nCount = 1);
    void Truncate(int nNewLength);

    void Append(LPCSTR psz);
    void Append(LPCSTR pch, int nLength);
    void Append(const CString& other);
    void AppendChar(char ch);
    void SetString(LPCSTR pch, int nLength);

    // printf-style formatting by the Windows C runtime (three-digit exponents, %I64d and friends).
    void Format(LPCSTR pszFormat, ...);
    void FormatV(LPCSTR pszFormat, va_list args);
    void AppendFormat(LPCSTR pszFormat, ...);
    void AppendFormatV(LPCSTR pszFormat, va_list args);

    LPSTR GetBuffer();
    LPSTR GetBuffer(int nMinBufferLength);
    LPSTR GetBufferSetLength(int nLength);
    // -1 takes the length up to the first zero byte of the buffer.
    void ReleaseBuffer(int nNewLength = -1);
    void Preallocate(int nLength);
    void FreeExtra();

    BOOL LoadString(UINT nID);
    BSTR AllocSysString() const;

    // The header before the characters (reference count and lengths).
    struct Data;

private:
    Data* GetData() const noexcept;
    void Attach(Data* pData) noexcept;
    void Release() noexcept;
    // Makes the data this object's own with room for nLength characters, keeping the current text.
    LPSTR PrepareWrite(int nLength);
    void SetLength(int nLength);
    void TrimLeftWhile(bool (*keep)(const unsigned char*, const void*), const void* context);
    void TrimRightWhile(bool (*keep)(const unsigned char*, const void*), const void* context);

    LPSTR m_pszData;
};

AFX_API CString operator+(const CString& a, const CString& b);
AFX_API CString operator+(const CString& a, LPCSTR b);
AFX_API CString operator+(LPCSTR a, const CString& b);
AFX_API CString operator+(const CString& a, char b);
AFX_API CString operator+(char a, const CString& b);

inline bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
inline bool operator==(const CString& a, LPCSTR b) { return a.Compare(b) == 0; }
inline bool operator==(LPCSTR a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }
inline bool operator!=(const CString& a, LPCSTR b) { return a.Compare(b) != 0; }
inline bool operator!=(LPCSTR a, const CString& b) { return b.Compare(a) != 0; }
inline bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
inline bool operator<(const CString& a, LPCSTR b) { return a.Compare(b) < 0; }
inline bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
inline bool operator>(const CString& a, LPCSTR b) { return a.Compare(b) > 0; }
inline bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
inline bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }

using CStringA = CString;

// The wide string sits beside it, as in the framework it follows.
#include "afxstrw.h"
