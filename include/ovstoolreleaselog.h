// The release log: a small in-memory ring of coded failure entries, written out once to a fixed file.
#pragma once

#include "ovstooldefs.h"

class OVSTOOL_API COVSReleaseLog {
public:
    // One entry of the ring, 172 bytes.
    struct Entry {
        int nSecond; // local time of the entry
        int nMinute;
        int nHour;
        int nDay;   // 1 to 31
        int nMonth; // 1 to 12
        int nYear;
        BYTE reserved[12];
        int nCode;
        int nKind;           // 0 fatal, anything else an error
        char szMessage[128]; // cut to 127 characters
    };

    COVSReleaseLog() noexcept = default;
    virtual ~COVSReleaseLog();
    COVSReleaseLog(const COVSReleaseLog&) = delete;
    COVSReleaseLog& operator=(const COVSReleaseLog&) = delete;

    // The process-wide log, made and given its capacity on the first call.
    static COVSReleaseLog& Instance();

    // Reads the capacity ("ReleaseLog" under the product's Log key, 0 when missing) and makes the
    // ring; an earlier ring and its entries are dropped.
    void LoadCapacity();
    // S_OK, or E_UNEXPECTED when the log is disabled (capacity below 1).
    HRESULT AddEntry(int nCode, int nKind, LPCSTR szMessage);
    // Writes the entries not yet written, oldest first, into the release log file unless that file
    // exists already. S_OK also when disabled or the file exists; E_UNEXPECTED when the file cannot
    // be created or a write fails.
    HRESULT Flush();
    // Zeroes every entry and both indexes; S_OK.
    HRESULT Clear();

    int GetCapacity() const noexcept { return m_nCapacity; }
    // The first entry not yet written out; -1 while the ring is full (the oldest entry is then the
    // one at the write index, the next to be overwritten).
    int GetReadIndex() const noexcept { return m_nReadIndex; }
    int GetWriteIndex() const noexcept { return m_nWriteIndex; }
    const Entry* GetEntries() const noexcept { return m_pRing; }

private:
    void EnsureLoaded();

    Entry* m_pRing = nullptr;
    int m_nReadIndex = 0;
    int m_nWriteIndex = 0;
    int m_nCapacity = 0;
    DWORD m_bLoaded = 0;
};

static_assert(sizeof(COVSReleaseLog::Entry) == 172, "release log entries are 172 bytes");

// The release log file.
#define OVS_RELEASE_LOG_FILE "C:\\Orvantiscope\\Log\\ReleaseLog.LOG"
