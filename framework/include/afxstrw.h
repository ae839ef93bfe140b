// The framework's wide (UTF-16) text string, MFC's CStringW: the text of wide interfaces such as
// XML documents. Each object owns its characters (copies are deep); the object is one pointer to
// its characters, so it may be passed to a printf-style "%ls" as it is.
#pragma once

#include "afxver_.h"
#include <windows.h>

class AFX_API CStringW {
public:
    CStringW() noexcept;
    CStringW(const CStringW& other);
    CStringW(CStringW&& other) noexcept;
    CStringW(LPCWSTR pwsz);
    CStringW(LPCWSTR pch, int nLength);
    // Narrow text in the process code page.
    CStringW(LPCSTR psz);
    ~CStringW();

    CStringW& operator=(const CStringW& other);
    CStringW& operator=(CStringW&& other) noexcept;
    CStringW& operator=(LPCWSTR pwsz);
    CStringW& operator=(LPCSTR psz);

    CStringW& operator+=(const CStringW& other);
    CStringW& operator+=(LPCWSTR pwsz);
    CStringW& operator+=(wchar_t ch);

    int GetLength() const noexcept;
    BOOL IsEmpty() const noexcept { return GetLength() == 0; }
    void Empty() noexcept;
    LPCWSTR GetString() const noexcept { return m_pszData; }
    operator LPCWSTR() const noexcept { return m_pszData; }

    int Compare(LPCWSTR psz) const;

    void Append(LPCWSTR pch, int nLength);
    void AppendChar(wchar_t ch);
    void Preallocate(int nLength);

    struct Data;

private:
    Data* GetData() const noexcept;
    // Room for nLength characters, keeping the current text.
    LPWSTR Reserve(int nLength);
    void SetLength(int nLength) noexcept;

    LPWSTR m_pszData;
};

inline bool operator==(const CStringW& a, LPCWSTR b) {
    return a.Compare(b) == 0;
}
inline bool operator==(const CStringW& a, const CStringW& b) {
    return a.Compare(b) == 0;
}
inline bool operator!=(const CStringW& a, LPCWSTR b) {
    return a.Compare(b) != 0;
}
