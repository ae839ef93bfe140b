// One storage object per client call: the interface's methods over the shared store. Each method
// answers the same code as HRESULT and as status (0 on success).
#include "regstorage_server.h"
#include "regstorage_store.h"

#include <cstring>
#include <new>

namespace regstorage {

namespace {

std::optional<std::string> Name(const char* text) {
    return text != nullptr ? std::optional<std::string>(text) : std::nullopt;
}

ValueKey KeyOf(const RegStorageKey& key) {
    return {key.index1,        key.index2,           key.systemIndex,    key.itemId,
            Name(key.keyName), Name(key.subKeyName), Name(key.valueName)};
}

HRESULT Answer(HRESULT hr, LONG* status) {
    if (status != nullptr) {
        *status = FAILED(hr) ? hr : 0;
    }
    return hr;
}

class StorageObject final : public IOVSRegStorage {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IOVSRegStorage) {
            *out = static_cast<IOVSRegStorage*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&m_references));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0) {
            TheStore().LetGo(this);
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE OpenForWrite(LONG, LONG, LONG, LONG, LONG, LONG* status) override {
        return Open(status);
    }
    HRESULT STDMETHODCALLTYPE OpenForRead(LONG, LONG, LONG, LONG, LONG, LONG, LONG* status) override {
        return Open(status);
    }
    HRESULT STDMETHODCALLTYPE AnswerBusy(LONG requests, LONG* status) override {
        Called();
        TheStore().AnswerBusy(requests);
        return Answer(S_OK, status);
    }
    HRESULT STDMETHODCALLTYPE GetServerProcessId(DWORD* processId, LONG* status) override {
        Called();
        if (processId == nullptr) {
            return Answer(E_POINTER, status);
        }
        *processId = GetCurrentProcessId();
        return Answer(S_OK, status);
    }
    HRESULT STDMETHODCALLTYPE WriteValue(RegStorageKey* key, LONG kind, const byte* data, DWORD size,
                                         LONG* status) override {
        const HRESULT ready = Ready(key);
        if (FAILED(ready)) {
            return Answer(ready, status);
        }
        if (data == nullptr && size > 0) {
            return Answer(E_POINTER, status);
        }
        StoredValue value = {kind, std::vector<BYTE>(data, data + size)};
        return Answer(TheStore().Write(this, KeyOf(*key), std::move(value)), status);
    }
    HRESULT STDMETHODCALLTYPE ReadValue(RegStorageKey* key, DWORD* wordA, byte* buffer, DWORD size,
                                        DWORD* wordB, LONG* status) override {
        HRESULT hr = Ready(key);
        if (FAILED(hr) || wordA == nullptr || wordB == nullptr) {
            return Answer(FAILED(hr) ? hr : E_POINTER, status);
        }
        StoredValue value;
        hr = TheStore().Read(this, KeyOf(*key), value);
        if (FAILED(hr)) {
            return Answer(hr, status);
        }
        // No buffer asks for the size only.
        *wordA = static_cast<DWORD>(value.kind);
        *wordB = static_cast<DWORD>(value.bytes.size());
        if (buffer != nullptr) {
            if (size < value.bytes.size()) {
                return Answer(kTooSmall, status);
            }
            if (!value.bytes.empty()) {
                std::memcpy(buffer, value.bytes.data(), value.bytes.size());
            }
        }
        return Answer(S_OK, status);
    }
    HRESULT STDMETHODCALLTYPE RemoveValue(RegStorageKey* key, LONG* status) override {
        const HRESULT ready = Ready(key);
        return Answer(FAILED(ready) ? ready : TheStore().Remove(this, KeyOf(*key)), status);
    }
    HRESULT STDMETHODCALLTYPE Discard(LONG* status) override {
        Called();
        return Answer(TheStore().Commit(this, false), status);
    }
    HRESULT STDMETHODCALLTYPE Commit(LONG flag, LONG* status) override {
        Called();
        return Answer(TheStore().Commit(this, flag != 0), status);
    }

private:
    ~StorageObject() = default;

    void Called() {
        NoteActivity();
        TheStore().Touch(this);
    }
    HRESULT Open(LONG* status) {
        Called();
        TheStore().Refresh();
        m_opened = true;
        return Answer(S_OK, status);
    }
    // Values are reached only through an opened object and a key.
    HRESULT Ready(const RegStorageKey* key) {
        Called();
        if (!m_opened) {
            return E_UNEXPECTED;
        }
        return key != nullptr ? S_OK : E_POINTER;
    }

    LONG m_references = 1;
    bool m_opened = false;
};

} // namespace

IOVSRegStorage* CreateStorageObject() {
    return new (std::nothrow) StorageObject();
}

} // namespace regstorage
