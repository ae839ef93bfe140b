#include "afxstrw.h"
#include "afxexcept.h"

#include <climits>
#include <cstdlib>
#include <cwchar>
#include <utility>

struct CStringW::Data {
    int nDataLength;
    int nAllocLength; // 0 for the shared empty string, which is never written or freed
    wchar_t* chars() noexcept { return reinterpret_cast<wchar_t*>(this + 1); }
};

namespace {

struct NilData {
    CStringW::Data header;
    wchar_t terminator;
};

NilData g_nilWide = {{0, 0}, L'\0'};

int TextLength(LPCWSTR pwsz) {
    const size_t length = pwsz == nullptr ? 0 : std::wcslen(pwsz);
    if (length > static_cast<size_t>(INT_MAX / 4)) {
        AfxThrowMemoryException();
    }
    return static_cast<int>(length);
}

} // namespace

CStringW::Data* CStringW::GetData() const noexcept {
    return reinterpret_cast<Data*>(m_pszData) - 1;
}

CStringW::CStringW() noexcept : m_pszData(g_nilWide.header.chars()) {}

CStringW::CStringW(const CStringW& other) : CStringW() {
    Append(other.m_pszData, other.GetLength());
}

CStringW::CStringW(CStringW&& other) noexcept : CStringW() {
    std::swap(m_pszData, other.m_pszData);
}

CStringW::CStringW(LPCWSTR pwsz) : CStringW() {
    Append(pwsz, TextLength(pwsz));
}

CStringW::CStringW(LPCWSTR pch, int nLength) : CStringW() {
    Append(pch, nLength);
}

CStringW::CStringW(LPCSTR psz) : CStringW() {
    *this = psz;
}

CStringW::~CStringW() {
    Empty();
}

CStringW& CStringW::operator=(const CStringW& other) {
    if (this != &other) {
        CStringW copy(other);
        std::swap(m_pszData, copy.m_pszData);
    }
    return *this;
}

CStringW& CStringW::operator=(CStringW&& other) noexcept {
    std::swap(m_pszData, other.m_pszData);
    return *this;
}

CStringW& CStringW::operator=(LPCWSTR pwsz) {
    // The source may be this string's own text: build the new text apart first.
    CStringW copy(pwsz);
    std::swap(m_pszData, copy.m_pszData);
    return *this;
}

CStringW& CStringW::operator=(LPCSTR psz) {
    CStringW converted;
    const int length =
        psz == nullptr || *psz == '\0' ? 0 : MultiByteToWideChar(CP_ACP, 0, psz, -1, nullptr, 0);
    if (length > 1) {
        MultiByteToWideChar(CP_ACP, 0, psz, -1, converted.Reserve(length - 1), length);
        converted.SetLength(length - 1);
    }
    std::swap(m_pszData, converted.m_pszData);
    return *this;
}

CStringW& CStringW::operator+=(const CStringW& other) {
    Append(other.m_pszData, other.GetLength());
    return *this;
}

CStringW& CStringW::operator+=(LPCWSTR pwsz) {
    Append(pwsz, TextLength(pwsz));
    return *this;
}

CStringW& CStringW::operator+=(wchar_t ch) {
    AppendChar(ch);
    return *this;
}

int CStringW::GetLength() const noexcept {
    return GetData()->nDataLength;
}

void CStringW::Empty() noexcept {
    Data* data = GetData();
    if (data != &g_nilWide.header) {
        std::free(data);
    }
    m_pszData = g_nilWide.header.chars();
}

int CStringW::Compare(LPCWSTR psz) const {
    if (psz == nullptr) {
        AfxThrowInvalidArgException();
    }
    return std::wcscmp(m_pszData, psz);
}

LPWSTR CStringW::Reserve(int nLength) {
    Data* old = GetData();
    if (nLength <= old->nAllocLength) {
        return m_pszData;
    }
    // Grow by half again so that repeated appends stay linear.
    const int grown = old->nAllocLength + old->nAllocLength / 2;
    const int alloc = grown > nLength && grown < INT_MAX / 4 ? grown : nLength;
    if (alloc > INT_MAX / 4) {
        AfxThrowMemoryException();
    }
    auto* data =
        static_cast<Data*>(std::malloc(sizeof(Data) + (static_cast<size_t>(alloc) + 1) * sizeof(wchar_t)));
    if (data == nullptr) {
        AfxThrowMemoryException();
    }
    data->nAllocLength = alloc;
    data->nDataLength = old->nDataLength;
    std::wmemcpy(data->chars(), m_pszData, static_cast<size_t>(old->nDataLength) + 1);
    Empty();
    m_pszData = data->chars();
    return m_pszData;
}

void CStringW::SetLength(int nLength) noexcept {
    GetData()->nDataLength = nLength;
    m_pszData[nLength] = L'\0';
}

void CStringW::Append(LPCWSTR pch, int nLength) {
    if (nLength < 0 || (pch == nullptr && nLength > 0)) {
        AfxThrowInvalidArgException();
    }
    if (nLength == 0) {
        return;
    }
    const int oldLength = GetLength();
    if (nLength > INT_MAX / 4 - oldLength) {
        AfxThrowMemoryException();
    }
    // The source may be this string's own text, which a new allocation would free: keep it alive.
    const bool fromSelf = pch >= m_pszData && pch <= m_pszData + oldLength;
    CStringW keepAlive;
    if (fromSelf && oldLength + nLength > GetData()->nAllocLength) {
        keepAlive = *this;
        pch = keepAlive.m_pszData + (pch - m_pszData);
    }
    LPWSTR buffer = Reserve(oldLength + nLength);
    std::wmemmove(buffer + oldLength, pch, static_cast<size_t>(nLength));
    SetLength(oldLength + nLength);
}

void CStringW::AppendChar(wchar_t ch) {
    Append(&ch, 1);
}

void CStringW::Preallocate(int nLength) {
    if (nLength < 0) {
        AfxThrowInvalidArgException();
    }
    Reserve(nLength);
}
