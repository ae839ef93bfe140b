// The store's rules: who holds it, what a reader sees, and when the file is read and written.
#include "regstorage_store.h"
#include "ovsreg.h"

namespace regstorage {

namespace {

constexpr char kPathSubKey[] = "Path";
constexpr char kSysPathValue[] = "Sys Path";
constexpr char kDefaultSysPath[] = "\\Orvantiscope\\System";
constexpr char kStoreFileName[] = "RegStorage.dat";
constexpr char kUnreadableSuffix[] = ".unreadable";

std::string SystemFolder() {
    char folder[MAX_PATH];
    Tool_GetRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, kPathSubKey, kSysPathValue, kDefaultSysPath,
                           folder, sizeof folder);
    return folder;
}

std::optional<WIN32_FILE_ATTRIBUTE_DATA> FileStamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return data;
}

bool SameStamp(const std::optional<WIN32_FILE_ATTRIBUTE_DATA>& a,
               const std::optional<WIN32_FILE_ATTRIBUTE_DATA>& b) {
    if (!a || !b) {
        return a.has_value() == b.has_value();
    }
    return CompareFileTime(&a->ftLastWriteTime, &b->ftLastWriteTime) == 0 &&
           a->nFileSizeLow == b->nFileSizeLow && a->nFileSizeHigh == b->nFileSizeHigh;
}

} // namespace

Store& TheStore() {
    static Store store;
    return store;
}

std::string Store::FilePath() const {
    std::string path = m_folder;
    if (!path.empty() && path.back() != '\\') {
        path += '\\';
    }
    return path + kStoreFileName;
}

void Store::Refresh() {
    const std::string folder = SystemFolder();
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_loaded && folder == m_folder && SameStamp(FileStamp(FilePath()), m_fileStamp)) {
        return;
    }
    m_folder = folder;
    const std::string path = FilePath();
    m_values.clear();
    if (!LoadStoreFile(path, m_values)) {
        // Kept aside for a look; the server starts empty.
        m_values.clear();
        MoveFileExA(path.c_str(), (path + kUnreadableSuffix).c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    m_fileStamp = FileStamp(path);
    m_loaded = true;
}

void Store::DropHold() {
    m_changes.clear();
    m_holder = nullptr;
}

bool Store::BusyFor(Caller caller) {
    if (m_busyAnswers > 0) {
        --m_busyAnswers;
        return true;
    }
    if (m_holder == nullptr || m_holder == caller) {
        return false;
    }
    if (GetTickCount64() - m_holderSeen < kHoldTimeoutMs) {
        return true;
    }
    m_lostHolds.insert(m_holder);
    DropHold();
    return false;
}

void Store::Touch(Caller caller) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (caller == m_holder) {
        m_holderSeen = GetTickCount64();
    }
}

void Store::AnswerBusy(long requests) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_busyAnswers = requests > 0 ? requests : 0;
}

HRESULT Store::Read(Caller caller, const ValueKey& key, StoredValue& value) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (BusyFor(caller)) {
        return kBusy;
    }
    if (caller == m_holder) {
        const auto change = m_changes.find(key);
        if (change != m_changes.end()) {
            if (!change->second) {
                return kAbsent;
            }
            value = *change->second;
            return S_OK;
        }
    }
    const auto found = m_values.find(key);
    if (found == m_values.end()) {
        return kAbsent;
    }
    value = found->second;
    return S_OK;
}

HRESULT Store::Write(Caller caller, const ValueKey& key, StoredValue value) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (BusyFor(caller)) {
        return kBusy;
    }
    m_holder = caller;
    m_holderSeen = GetTickCount64();
    m_changes[key] = std::move(value);
    return S_OK;
}

HRESULT Store::Remove(Caller caller, const ValueKey& key) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (BusyFor(caller)) {
        return kBusy;
    }
    const auto change = caller == m_holder ? m_changes.find(key) : m_changes.end();
    const bool present = change != m_changes.end() ? change->second.has_value() : m_values.count(key) > 0;
    if (!present) {
        return kAbsent;
    }
    m_holder = caller;
    m_holderSeen = GetTickCount64();
    m_changes[key] = std::nullopt;
    return S_OK;
}

HRESULT Store::Commit(Caller caller, bool keep) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_lostHolds.erase(caller) > 0) {
        return kHoldLost;
    }
    if (caller != m_holder) {
        return S_OK; // nothing changed
    }
    HRESULT result = S_OK;
    if (keep) {
        Values merged = m_values;
        for (auto& [key, change] : m_changes) {
            if (change) {
                merged[key] = std::move(*change);
            } else {
                merged.erase(key);
            }
        }
        CreateDirectoryA(m_folder.c_str(), nullptr);
        if (SaveStoreFile(FilePath(), merged)) {
            m_values = std::move(merged);
            m_fileStamp = FileStamp(FilePath());
        } else {
            result = HRESULT_FROM_WIN32(GetLastError());
            result = SUCCEEDED(result) ? E_FAIL : result;
        }
    }
    DropHold();
    return result;
}

void Store::LetGo(Caller caller) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_lostHolds.erase(caller);
    if (caller == m_holder) {
        DropHold();
    }
}

} // namespace regstorage
