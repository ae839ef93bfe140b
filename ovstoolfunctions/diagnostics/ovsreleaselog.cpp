// The release log: a ring of coded failure entries kept in memory and written out to one fixed file,
// only when that file does not exist yet, so that the first written log survives later runs.
#include "ovstoolreleaselog.h"
#include "ovsreg.h"
#include <afxfile.h>

#include <cstring>
#include <new>

namespace {

constexpr char kLogSubKey[] = "Log";
constexpr char kCapacityValue[] = "ReleaseLog";
constexpr char kOutputFile[] = OVS_RELEASE_LOG_FILE;
constexpr char kLineFormat[] = "%04d %5s [%4d/%02d/%02d %02d:%02d:%02d]";
constexpr char kFatalName[] = "FATAL";
constexpr char kErrorName[] = "ERROR";
constexpr size_t kMaxMessage = sizeof(COVSReleaseLog::Entry::szMessage) - 1;
constexpr int kFull = -1; // read index of a full ring

// The entry's line, with the line end that the text file turns into "\r\n".
CString LineOf(const COVSReleaseLog::Entry& entry) {
    CString line;
    line.Format(kLineFormat, entry.nCode, entry.nKind == 0 ? kFatalName : kErrorName, entry.nYear,
                entry.nMonth, entry.nDay, entry.nHour, entry.nMinute, entry.nSecond);
    line.Append(entry.szMessage, static_cast<int>(strnlen(entry.szMessage, kMaxMessage)));
    line += '\n';
    return line;
}

} // namespace

COVSReleaseLog::~COVSReleaseLog() {
    delete[] m_pRing;
}

COVSReleaseLog& COVSReleaseLog::Instance() {
    static COVSReleaseLog* const instance = [] {
        static COVSReleaseLog log;
        log.LoadCapacity();
        return &log;
    }();
    return *instance;
}

void COVSReleaseLog::LoadCapacity() {
    delete[] m_pRing;
    m_pRing = nullptr;
    m_nReadIndex = 0;
    m_nWriteIndex = 0;
    m_nCapacity =
        Tool_GetRegistryInt(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, kLogSubKey, kCapacityValue, 0);
    m_bLoaded = TRUE;
    if (m_nCapacity >= 1) {
        m_pRing = new (std::nothrow) Entry[static_cast<size_t>(m_nCapacity)]();
        if (m_pRing == nullptr) {
            m_nCapacity = 0; // no room for the ring: the log stays disabled
        }
    }
}

void COVSReleaseLog::EnsureLoaded() {
    if (!m_bLoaded) {
        LoadCapacity();
    }
}

HRESULT COVSReleaseLog::AddEntry(int nCode, int nKind, LPCSTR szMessage) {
    EnsureLoaded();
    if (m_nCapacity < 1) {
        return E_UNEXPECTED;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    Entry& entry = m_pRing[m_nWriteIndex];
    entry = Entry();
    entry.nSecond = now.wSecond;
    entry.nMinute = now.wMinute;
    entry.nHour = now.wHour;
    entry.nDay = now.wDay;
    entry.nMonth = now.wMonth;
    entry.nYear = now.wYear;
    entry.nCode = nCode;
    entry.nKind = nKind;
    if (szMessage != nullptr) {
        std::memcpy(entry.szMessage, szMessage, strnlen(szMessage, kMaxMessage));
    }
    m_nWriteIndex = (m_nWriteIndex + 1) % m_nCapacity;
    // Catching up with the oldest entry not yet written fills the ring; from then on each add
    // overwrites the oldest entry, which is always the one at the write index.
    if (m_nWriteIndex == m_nReadIndex) {
        m_nReadIndex = kFull;
    }
    return S_OK;
}

HRESULT COVSReleaseLog::Flush() {
    EnsureLoaded();
    if (m_nCapacity < 1) {
        return S_OK;
    }
    if (GetFileAttributesA(kOutputFile) != INVALID_FILE_ATTRIBUTES) {
        return S_OK;
    }
    CStdioFile file;
    if (!file.Open(kOutputFile,
                   CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive | CFile::typeText)) {
        return E_UNEXPECTED;
    }
    int count =
        m_nReadIndex == kFull ? m_nCapacity : (m_nWriteIndex - m_nReadIndex + m_nCapacity) % m_nCapacity;
    int index = m_nReadIndex == kFull ? m_nWriteIndex : m_nReadIndex;
    m_nReadIndex = index;
    HRESULT hr = S_OK;
    try {
        for (; count > 0; --count) {
            const Entry& entry = m_pRing[index];
            index = (index + 1) % m_nCapacity;
            m_nReadIndex = index;
            file.WriteString(LineOf(entry));
        }
        file.Close();
    } catch (CFileException* error) {
        error->Delete();
        hr = E_UNEXPECTED;
    }
    return hr;
}

HRESULT COVSReleaseLog::Clear() {
    for (int i = 0; i < m_nCapacity && m_pRing != nullptr; ++i) {
        m_pRing[i] = Entry();
    }
    m_nReadIndex = 0;
    m_nWriteIndex = 0;
    return S_OK;
}
