// The server's store: committed values kept in a file below "Sys Path", the one caller that holds the
// store while it changes values, and the busy answers that test hosts ask for.
#pragma once

#include <windows.h>

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace regstorage {

// Answered while another caller holds the store (or a test asked for it).
constexpr HRESULT kBusy = static_cast<HRESULT>(0x880412C0);
constexpr HRESULT kAbsent = static_cast<HRESULT>(0x80070002);   // file not found
constexpr HRESULT kTooSmall = static_cast<HRESULT>(0x800700EA); // more data
// The caller's hold ended before its commit; its changes were dropped.
constexpr HRESULT kHoldLost = static_cast<HRESULT>(0x800705B4); // time-out

// A value is addressed by all seven key fields; a null name differs from an empty one.
struct ValueKey {
    long index1;
    long index2;
    long systemIndex;
    long itemId;
    std::optional<std::string> keyName;
    std::optional<std::string> subKeyName;
    std::optional<std::string> valueName;
    auto operator<=>(const ValueKey&) const = default;
};

struct StoredValue {
    long kind;
    std::vector<BYTE> bytes;
};

using Values = std::map<ValueKey, StoredValue>;

// Identifies a caller (one server object).
using Caller = const void*;

class Store {
public:
    // Re-reads the file when "Sys Path" or the file has changed since it was last read or written.
    void Refresh();
    // Reads take nothing: they see the committed values, the holder also its own changes.
    HRESULT Read(Caller caller, const ValueKey& key, StoredValue& value);
    // The first change of a caller takes the store until it commits, discards, lets go or stays
    // silent for longer than kHoldTimeoutMs.
    HRESULT Write(Caller caller, const ValueKey& key, StoredValue value);
    HRESULT Remove(Caller caller, const ValueKey& key);
    // Keeps (written durably) or drops the caller's changes and ends its hold.
    HRESULT Commit(Caller caller, bool keep);
    // The caller is gone: its uncommitted changes are dropped.
    void LetGo(Caller caller);
    // Every call of a caller counts as a sign of life of its hold.
    void Touch(Caller caller);
    // The next `requests` reads, writes and removals answer busy.
    void AnswerBusy(long requests);

private:
    static constexpr ULONGLONG kHoldTimeoutMs = 2000;

    bool BusyFor(Caller caller);
    void DropHold();
    std::string FilePath() const;

    std::mutex m_lock;
    Values m_values;
    std::string m_folder;
    std::optional<WIN32_FILE_ATTRIBUTE_DATA> m_fileStamp;
    bool m_loaded = false;
    Caller m_holder = nullptr;
    ULONGLONG m_holderSeen = 0;
    std::map<ValueKey, std::optional<StoredValue>> m_changes; // nullopt: removed
    std::set<Caller> m_lostHolds;
    long m_busyAnswers = 0;
};

Store& TheStore();

// The file: true with the values, false when it exists but cannot be read as a store.
bool LoadStoreFile(const std::string& path, Values& values);
// Writes a temporary file beside path, flushes it and moves it over path.
bool SaveStoreFile(const std::string& path, const Values& values);

} // namespace regstorage
