#include "afxstr.h"
#include "afxexcept.h"
#include "afxwin.h"

#include <mbstring.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <climits>
#include <utility>

struct CString::Data {
    volatile LONG nRefs; // -1 marks the shared empty string, which is never freed
    int nDataLength;
    int nAllocLength;
    char* chars() noexcept { return reinterpret_cast<char*>(this + 1); }
};

namespace {

struct NilData {
    CString::Data header;
    char terminator;
};

const unsigned char* U(LPCSTR p) {
    return reinterpret_cast<const unsigned char*>(p);
}

int CheckedLength(size_t length) {
    if (length > static_cast<size_t>(INT_MAX / 2)) {
        AfxThrowMemoryException();
    }
    return static_cast<int>(length);
}

int SafeLength(LPCSTR psz) {
    return psz == nullptr ? 0 : CheckedLength(std::strlen(psz));
}

bool IsSpace(const unsigned char* p, const void*) {
    return *p == ' ' || (*p >= '\t' && *p <= '\r');
}
bool IsChar(const unsigned char* p, const void* context) {
    return *p == *static_cast<const char*>(context);
}
bool IsOneOf(const unsigned char* p, const void* context) {
    return _mbschr(static_cast<const unsigned char*>(context), _mbsnextc(p)) != nullptr;
}

// The next character: a lead byte takes its trail byte with it, but never the terminator.
const unsigned char* NextChar(const unsigned char* p) {
    const unsigned char* next = _mbsinc(p);
    return next > p + 1 && p[1] == '\0' ? p + 1 : next;
}

// The scans below step from character to character, so that the trail byte of a double-byte
// character never matches on its own (some runtimes' byte-wise _mbsstr, _mbsspn and _mbscspn do).

// Bytes from the start while the characters are (or, with `inSet` false, are not) in the set.
size_t SpanLength(const unsigned char* text, const unsigned char* set, bool inSet) {
    const unsigned char* p = text;
    while (*p != '\0' && IsOneOf(p, set) == inSet) {
        p = NextChar(p);
    }
    return static_cast<size_t>(p - text);
}

// The first place, on a character boundary, where `sub` begins; null when there is none.
const unsigned char* FindText(const unsigned char* text, const unsigned char* sub) {
    const size_t length = std::strlen(reinterpret_cast<const char*>(sub));
    for (const unsigned char* p = text;; p = NextChar(p)) {
        if (std::strncmp(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(sub), length) == 0) {
            return p;
        }
        if (*p == '\0') {
            return nullptr;
        }
    }
}

} // namespace

// The Data header sits just before the characters; the nil string is one static, shared by all.
static NilData g_nil = {{-1, 0, 0}, '\0'};

CString::Data* CString::GetData() const noexcept {
    return reinterpret_cast<Data*>(m_pszData) - 1;
}

void CString::Attach(Data* pData) noexcept {
    m_pszData = pData->chars();
}

void CString::Release() noexcept {
    Data* data = GetData();
    if (data->nRefs >= 0 && InterlockedDecrement(&data->nRefs) == 0) {
        std::free(data);
    }
    Attach(&g_nil.header);
}

CString::CString() noexcept {
    Attach(&g_nil.header);
}

CString::CString(const CString& other) noexcept : m_pszData(other.m_pszData) {
    Data* data = GetData();
    if (data->nRefs >= 0) {
        InterlockedIncrement(&data->nRefs);
    }
}

CString::CString(CString&& other) noexcept : m_pszData(other.m_pszData) {
    other.Attach(&g_nil.header);
}

CString::CString(LPCSTR psz) : CString() {
    if (psz != nullptr && IS_INTRESOURCE(psz)) {
        LoadString(LOWORD(reinterpret_cast<ULONG_PTR>(psz)));
    } else {
        SetString(psz, SafeLength(psz));
    }
}

CString::CString(LPCSTR pch, int nLength) : CString() {
    if (nLength < 0 || (pch == nullptr && nLength > 0)) {
        AfxThrowInvalidArgException();
    }
    SetString(pch, nLength);
}

CString::CString(LPCWSTR pwsz) : CString() {
    *this = pwsz;
}

CString::CString(char ch, int nRepeat) : CString() {
    if (nRepeat > 0) {
        std::memset(PrepareWrite(nRepeat), ch, nRepeat);
        SetLength(nRepeat);
    }
}

CString::~CString() {
    Release();
}

CString& CString::operator=(const CString& other) noexcept {
    if (m_pszData != other.m_pszData) {
        CString copy(other);
        std::swap(m_pszData, copy.m_pszData);
    }
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    std::swap(m_pszData, other.m_pszData);
    return *this;
}

CString& CString::operator=(LPCSTR psz) {
    SetString(psz, SafeLength(psz));
    return *this;
}

CString& CString::operator=(LPCWSTR pwsz) {
    if (pwsz == nullptr || *pwsz == L'\0') {
        Empty();
        return *this;
    }
    const int needed = WideCharToMultiByte(CP_ACP, 0, pwsz, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        Empty();
        return *this;
    }
    CString converted;
    LPSTR buffer = converted.PrepareWrite(needed);
    WideCharToMultiByte(CP_ACP, 0, pwsz, -1, buffer, needed, nullptr, nullptr);
    converted.SetLength(needed - 1);
    return *this = std::move(converted);
}

CString& CString::operator=(char ch) {
    SetString(&ch, 1);
    return *this;
}

CString& CString::operator+=(const CString& other) {
    Append(other);
    return *this;
}

CString& CString::operator+=(LPCSTR psz) {
    Append(psz);
    return *this;
}

CString& CString::operator+=(char ch) {
    AppendChar(ch);
    return *this;
}

int CString::GetLength() const noexcept {
    return GetData()->nDataLength;
}

void CString::Empty() noexcept {
    Release();
}

LPSTR CString::PrepareWrite(int nLength) {
    if (nLength < 0) {
        AfxThrowInvalidArgException();
    }
    Data* old = GetData();
    if (old->nRefs == 1 && old->nAllocLength >= nLength) {
        return m_pszData;
    }
    int alloc = nLength;
    if (old->nRefs == 1 && nLength > old->nAllocLength) {
        // Grow by half again so that repeated appends stay linear.
        const int grown = old->nAllocLength + old->nAllocLength / 2;
        alloc = grown > nLength && grown < INT_MAX / 2 ? grown : nLength;
    }
    if (alloc > INT_MAX / 2) {
        AfxThrowMemoryException();
    }
    auto* data = static_cast<Data*>(std::malloc(sizeof(Data) + static_cast<size_t>(alloc) + 1));
    if (data == nullptr) {
        AfxThrowMemoryException();
    }
    data->nRefs = 1;
    data->nAllocLength = alloc;
    const int keep = old->nDataLength < alloc ? old->nDataLength : alloc;
    std::memcpy(data->chars(), m_pszData, keep);
    data->chars()[keep] = '\0';
    data->nDataLength = keep;
    Release();
    Attach(data);
    return m_pszData;
}

void CString::SetLength(int nLength) {
    Data* data = GetData();
    if (nLength < 0 || nLength > data->nAllocLength) {
        AfxThrowInvalidArgException();
    }
    if (data->nRefs < 0) {
        return; // only the empty string is shared this way, and it stays empty
    }
    data->nDataLength = nLength;
    m_pszData[nLength] = '\0';
}

void CString::SetString(LPCSTR pch, int nLength) {
    if (nLength == 0) {
        Empty();
        return;
    }
    // The source may lie inside this string's own buffer: copy through a fresh one.
    CString copy;
    std::memcpy(copy.PrepareWrite(nLength), pch, nLength);
    copy.SetLength(nLength);
    *this = std::move(copy);
}

char CString::GetAt(int iChar) const {
    if (iChar < 0 || iChar > GetLength()) {
        AfxThrowInvalidArgException();
    }
    return m_pszData[iChar];
}

void CString::SetAt(int iChar, char ch) {
    if (iChar < 0 || iChar >= GetLength()) {
        AfxThrowInvalidArgException();
    }
    PrepareWrite(GetLength())[iChar] = ch;
}

int CString::Compare(LPCSTR psz) const {
    if (psz == nullptr) {
        AfxThrowInvalidArgException();
    }
    return _mbscmp(U(m_pszData), U(psz));
}

int CString::CompareNoCase(LPCSTR psz) const {
    if (psz == nullptr) {
        AfxThrowInvalidArgException();
    }
    return _mbsicmp(U(m_pszData), U(psz));
}

int CString::Find(char ch, int iStart) const noexcept {
    if (iStart < 0 || iStart >= GetLength()) {
        return -1;
    }
    const unsigned char* found = _mbschr(U(m_pszData + iStart), static_cast<unsigned char>(ch));
    return found == nullptr ? -1 : static_cast<int>(found - U(m_pszData));
}

int CString::Find(LPCSTR pszSub, int iStart) const noexcept {
    if (pszSub == nullptr || iStart < 0 || iStart > GetLength()) {
        return -1;
    }
    const unsigned char* found = FindText(U(m_pszData + iStart), U(pszSub));
    return found == nullptr ? -1 : static_cast<int>(found - U(m_pszData));
}

int CString::ReverseFind(char ch) const noexcept {
    const unsigned char* found = _mbsrchr(U(m_pszData), static_cast<unsigned char>(ch));
    return found == nullptr ? -1 : static_cast<int>(found - U(m_pszData));
}

int CString::FindOneOf(LPCSTR pszCharSet) const noexcept {
    if (pszCharSet == nullptr) {
        return -1;
    }
    const unsigned char* found = _mbspbrk(U(m_pszData), U(pszCharSet));
    return found == nullptr ? -1 : static_cast<int>(found - U(m_pszData));
}

CString CString::Left(int nCount) const {
    if (nCount < 0) {
        nCount = 0;
    }
    if (nCount >= GetLength()) {
        return *this;
    }
    return CString(m_pszData, nCount);
}

CString CString::Mid(int iFirst) const {
    return Mid(iFirst, GetLength() - (iFirst < 0 ? 0 : iFirst));
}

CString CString::Mid(int iFirst, int nCount) const {
    if (iFirst < 0) {
        iFirst = 0;
    }
    if (nCount < 0) {
        nCount = 0;
    }
    if (iFirst > GetLength()) {
        iFirst = GetLength();
    }
    if (nCount > GetLength() - iFirst) {
        nCount = GetLength() - iFirst;
    }
    if (iFirst == 0 && nCount == GetLength()) {
        return *this;
    }
    return CString(m_pszData + iFirst, nCount);
}

CString CString::Right(int nCount) const {
    if (nCount < 0) {
        nCount = 0;
    }
    if (nCount >= GetLength()) {
        return *this;
    }
    return CString(m_pszData + GetLength() - nCount, nCount);
}

CString CString::SpanIncluding(LPCSTR pszCharSet) const {
    if (pszCharSet == nullptr) {
        AfxThrowInvalidArgException();
    }
    return Left(static_cast<int>(SpanLength(U(m_pszData), U(pszCharSet), true)));
}

CString CString::SpanExcluding(LPCSTR pszCharSet) const {
    if (pszCharSet == nullptr) {
        AfxThrowInvalidArgException();
    }
    return Left(static_cast<int>(SpanLength(U(m_pszData), U(pszCharSet), false)));
}

CString CString::Tokenize(LPCSTR pszTokens, int& iStart) const {
    if (iStart < 0) {
        AfxThrowInvalidArgException();
    }
    if (pszTokens == nullptr || *pszTokens == '\0') {
        if (iStart < GetLength()) {
            return Mid(iStart);
        }
    } else if (iStart < GetLength()) {
        const unsigned char* start = U(m_pszData + iStart);
        const unsigned char* tokenBegin = start + SpanLength(start, U(pszTokens), true);
        if (*tokenBegin != '\0') {
            const unsigned char* tokenEnd = tokenBegin + SpanLength(tokenBegin, U(pszTokens), false);
            const int from = static_cast<int>(tokenBegin - U(m_pszData));
            const int count = static_cast<int>(tokenEnd - tokenBegin);
            // Past the closing delimiter, or one past the end when the token ends the string.
            iStart = static_cast<int>(tokenEnd - U(m_pszData)) + 1;
            return Mid(from, count);
        }
    }
    iStart = -1;
    return CString();
}

CString& CString::MakeUpper() {
    if (!IsEmpty()) {
        _mbsupr(reinterpret_cast<unsigned char*>(PrepareWrite(GetLength())));
    }
    return *this;
}

CString& CString::MakeLower() {
    if (!IsEmpty()) {
        _mbslwr(reinterpret_cast<unsigned char*>(PrepareWrite(GetLength())));
    }
    return *this;
}

CString& CString::MakeReverse() {
    if (!IsEmpty()) {
        _mbsrev(reinterpret_cast<unsigned char*>(PrepareWrite(GetLength())));
    }
    return *this;
}

void CString::TrimLeftWhile(bool (*keep)(const unsigned char*, const void*), const void* context) {
    const unsigned char* p = U(m_pszData);
    while (*p != '\0' && keep(p, context)) {
        p = NextChar(p);
    }
    const int removed = static_cast<int>(p - U(m_pszData));
    if (removed > 0) {
        Delete(0, removed);
    }
}

void CString::TrimRightWhile(bool (*keep)(const unsigned char*, const void*), const void* context) {
    // Walk forward so that a trail byte is never mistaken for a character of its own.
    const unsigned char* p = U(m_pszData);
    const unsigned char* trailStart = nullptr;
    while (*p != '\0') {
        if (keep(p, context)) {
            if (trailStart == nullptr) {
                trailStart = p;
            }
        } else {
            trailStart = nullptr;
        }
        p = NextChar(p);
    }
    if (trailStart != nullptr) {
        Truncate(static_cast<int>(trailStart - U(m_pszData)));
    }
}

CString& CString::Trim() {
    return TrimRight().TrimLeft();
}
CString& CString::Trim(char chTarget) {
    return TrimRight(chTarget).TrimLeft(chTarget);
}
CString& CString::Trim(LPCSTR pszTargets) {
    return TrimRight(pszTargets).TrimLeft(pszTargets);
}

CString& CString::TrimLeft() {
    TrimLeftWhile(IsSpace, nullptr);
    return *this;
}

CString& CString::TrimLeft(char chTarget) {
    TrimLeftWhile(IsChar, &chTarget);
    return *this;
}

CString& CString::TrimLeft(LPCSTR pszTargets) {
    if (pszTargets != nullptr && *pszTargets != '\0') {
        TrimLeftWhile(IsOneOf, pszTargets);
    }
    return *this;
}

CString& CString::TrimRight() {
    TrimRightWhile(IsSpace, nullptr);
    return *this;
}

CString& CString::TrimRight(char chTarget) {
    TrimRightWhile(IsChar, &chTarget);
    return *this;
}

CString& CString::TrimRight(LPCSTR pszTargets) {
    if (pszTargets != nullptr && *pszTargets != '\0') {
        TrimRightWhile(IsOneOf, pszTargets);
    }
    return *this;
}

int CString::Replace(char chOld, char chNew) {
    int count = 0;
    if (chOld == chNew) {
        return count; // the string is not changed, so nothing counts as replaced
    }
    for (int i = 0; i < GetLength(); i = static_cast<int>(NextChar(U(m_pszData + i)) - U(m_pszData))) {
        if (m_pszData[i] == chOld) {
            PrepareWrite(GetLength())[i] = chNew;
            ++count;
        }
    }
    return count;
}

int CString::Replace(LPCSTR pszOld, LPCSTR pszNew) {
    const int oldLength = SafeLength(pszOld);
    if (oldLength == 0) {
        return 0;
    }
    const int newLength = SafeLength(pszNew);
    CString result;
    int count = 0;
    int from = 0;
    for (int at = Find(pszOld, 0); at >= 0; at = Find(pszOld, at + oldLength)) {
        result.Append(m_pszData + from, at - from);
        result.Append(pszNew, newLength);
        from = at + oldLength;
        ++count;
    }
    if (count > 0) {
        result.Append(m_pszData + from, GetLength() - from);
        *this = std::move(result);
    }
    return count;
}

int CString::Remove(char chRemove) {
    CString result;
    int count = 0;
    const unsigned char* p = U(m_pszData);
    while (*p != '\0') {
        const unsigned char* next = NextChar(p);
        if (*p == static_cast<unsigned char>(chRemove)) {
            ++count;
        } else {
            result.Append(reinterpret_cast<LPCSTR>(p), static_cast<int>(next - p));
        }
        p = next;
    }
    if (count > 0) {
        *this = std::move(result);
    }
    return count;
}

int CString::Insert(int iIndex, char ch) {
    char text[2] = {ch, '\0'};
    return Insert(iIndex, text);
}

int CString::Insert(int iIndex, LPCSTR psz) {
    if (iIndex < 0) {
        iIndex = 0;
    }
    if (iIndex > GetLength()) {
        iIndex = GetLength();
    }
    const int insertLength = SafeLength(psz);
    if (insertLength > 0) {
        CString result;
        result.Preallocate(GetLength() + insertLength);
        result.Append(m_pszData, iIndex);
        result.Append(psz, insertLength);
        result.Append(m_pszData + iIndex, GetLength() - iIndex);
        *this = std::move(result);
    }
    return GetLength();
}

int CString::Delete(int iIndex, int nCount) {
    if (iIndex < 0) {
        iIndex = 0;
    }
    if (nCount > 0 && iIndex < GetLength()) {
        if (nCount > GetLength() - iIndex) {
            nCount = GetLength() - iIndex;
        }
        const int newLength = GetLength() - nCount;
        LPSTR buffer = PrepareWrite(GetLength());
        std::memmove(buffer + iIndex, buffer + iIndex + nCount, GetLength() - iIndex - nCount);
        SetLength(newLength);
    }
    return GetLength();
}

void CString::Truncate(int nNewLength) {
    if (nNewLength < 0 || nNewLength > GetLength()) {
        AfxThrowInvalidArgException();
    }
    if (nNewLength == 0) {
        Empty();
    } else if (nNewLength < GetLength()) {
        PrepareWrite(GetLength());
        SetLength(nNewLength);
    }
}

void CString::Append(LPCSTR psz) {
    Append(psz, SafeLength(psz));
}

void CString::Append(LPCSTR pch, int nLength) {
    if (nLength < 0 || (pch == nullptr && nLength > 0)) {
        AfxThrowInvalidArgException();
    }
    if (nLength == 0) {
        return;
    }
    const int oldLength = GetLength();
    if (nLength > INT_MAX / 2 - oldLength) {
        AfxThrowMemoryException();
    }
    // The source may be this string's own text, which PrepareWrite may move: keep it alive then.
    const bool fromSelf = pch >= m_pszData && pch <= m_pszData + oldLength;
    CString keepAlive;
    if (fromSelf) {
        keepAlive = *this;
    }
    LPSTR buffer = PrepareWrite(oldLength + nLength);
    std::memmove(buffer + oldLength, pch, nLength);
    SetLength(oldLength + nLength);
}

void CString::Append(const CString& other) {
    Append(other.m_pszData, other.GetLength());
}

void CString::AppendChar(char ch) {
    Append(&ch, 1);
}

void CString::Format(LPCSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(LPCSTR pszFormat, va_list args) {
    CString result;
    result.AppendFormatV(pszFormat, args);
    *this = std::move(result);
}

void CString::AppendFormat(LPCSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    AppendFormatV(pszFormat, args);
    va_end(args);
}

void CString::AppendFormatV(LPCSTR pszFormat, va_list args) {
    if (pszFormat == nullptr) {
        AfxThrowInvalidArgException();
    }
    va_list counting;
    va_copy(counting, args);
    const int needed = _vscprintf(pszFormat, counting);
    va_end(counting);
    if (needed <= 0) {
        return;
    }
    const int oldLength = GetLength();
    if (needed > INT_MAX / 2 - oldLength) {
        AfxThrowMemoryException();
    }
    LPSTR buffer = PrepareWrite(oldLength + needed);
    _vsnprintf(buffer + oldLength, static_cast<size_t>(needed) + 1, pszFormat, args);
    SetLength(oldLength + needed);
}

LPSTR CString::GetBuffer() {
    return PrepareWrite(GetLength());
}

LPSTR CString::GetBuffer(int nMinBufferLength) {
    return PrepareWrite(nMinBufferLength > GetLength() ? nMinBufferLength : GetLength());
}

LPSTR CString::GetBufferSetLength(int nLength) {
    LPSTR buffer = PrepareWrite(nLength);
    SetLength(nLength);
    return buffer;
}

void CString::ReleaseBuffer(int nNewLength) {
    Data* data = GetData();
    if (nNewLength < 0) {
        nNewLength = static_cast<int>(strnlen(m_pszData, static_cast<size_t>(data->nAllocLength)));
    }
    SetLength(nNewLength);
}

void CString::Preallocate(int nLength) {
    PrepareWrite(nLength > GetLength() ? nLength : GetLength());
}

void CString::FreeExtra() {
    if (GetData()->nAllocLength > GetLength() && !IsEmpty()) {
        CString exact(m_pszData, GetLength());
        *this = std::move(exact);
    }
}

BOOL CString::LoadString(UINT nID) {
    // String resources live in blocks of 16; each entry is a counted UTF-16 text.
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC block = FindResourceA(module, MAKEINTRESOURCEA((nID >> 4) + 1), MAKEINTRESOURCEA(6));
    HGLOBAL loaded = block == nullptr ? nullptr : LoadResource(module, block);
    const WCHAR* entry = loaded == nullptr ? nullptr : static_cast<const WCHAR*>(LockResource(loaded));
    if (entry == nullptr) {
        return FALSE;
    }
    for (UINT i = 0; i < (nID & 15); ++i) {
        entry += 1 + *entry;
    }
    if (*entry == 0) {
        return FALSE;
    }
    const int wideLength = *entry;
    const int needed = WideCharToMultiByte(CP_ACP, 0, entry + 1, wideLength, nullptr, 0, nullptr, nullptr);
    CString text;
    LPSTR buffer = text.PrepareWrite(needed);
    WideCharToMultiByte(CP_ACP, 0, entry + 1, wideLength, buffer, needed, nullptr, nullptr);
    text.SetLength(needed);
    *this = std::move(text);
    return TRUE;
}

BSTR CString::AllocSysString() const {
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, m_pszData, GetLength(), nullptr, 0);
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(wideLength));
    if (result == nullptr) {
        AfxThrowMemoryException();
    }
    MultiByteToWideChar(CP_ACP, 0, m_pszData, GetLength(), result, wideLength);
    return result;
}

CString operator+(const CString& a, const CString& b) {
    CString result(a);
    result.Append(b);
    return result;
}

CString operator+(const CString& a, LPCSTR b) {
    CString result(a);
    result.Append(b);
    return result;
}

CString operator+(LPCSTR a, const CString& b) {
    CString result(a);
    result.Append(b);
    return result;
}

CString operator+(const CString& a, char b) {
    CString result(a);
    result.AppendChar(b);
    return result;
}

CString operator+(char a, const CString& b) {
    CString result(a);
    result.Append(b);
    return result;
}
