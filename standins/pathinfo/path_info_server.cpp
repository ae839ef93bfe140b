// The path-information component as an in-process server: a class factory, one object with the
// path-information interface, the failures the environment asks for, and its registration under
// HKCR\CLSID.
#include "path_info_standin.h"
#include "inproc_server.h"
#include "unique_resource.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kFailVariable[] = "OVS_PATHINFO_FAIL";
constexpr LONG kNoItemStatus = 1;

LONG g_created = 0;
LONG g_calls = 0;

// The failure the environment asks for the named step ("create", "kind" or an item bit in hex):
// true with hr and status set when there is one.
bool RequestedFailure(const char* step, HRESULT& hr, LONG& status) {
    char value[512];
    const DWORD length = GetEnvironmentVariableA(kFailVariable, value, sizeof value);
    if (length == 0 || length >= sizeof value) {
        return false;
    }
    const std::string entries(value, length);
    const std::string wanted = std::string(step) + "=";
    size_t start = 0;
    while (start <= entries.size()) {
        size_t end = entries.find(';', start);
        if (end == std::string::npos) {
            end = entries.size();
        }
        const std::string entry = entries.substr(start, end - start);
        if (entry.compare(0, wanted.size(), wanted) == 0) {
            const std::string what = entry.substr(wanted.size());
            hr = S_OK;
            status = 0;
            if (what.compare(0, 3, "hr:") == 0) {
                hr = static_cast<HRESULT>(std::strtoul(what.c_str() + 3, nullptr, 16));
            } else if (what.compare(0, 7, "status:") == 0) {
                status = std::strtol(what.c_str() + 7, nullptr, 10);
            } else {
                hr = static_cast<HRESULT>(std::strtoul(what.c_str(), nullptr, 16));
            }
            return true;
        }
        start = end + 1;
    }
    return false;
}

bool RequestedItemFailure(DWORD bit, HRESULT& hr, LONG& status) {
    char step[16];
    std::snprintf(step, sizeof step, "%lx", static_cast<unsigned long>(bit));
    return RequestedFailure(step, hr, status);
}

// Writes an item's text into the caller's buffer (never past size, always terminated).
HRESULT Deliver(DWORD bit, const char* path, LPSTR buffer, LONG size, LONG* status,
                bool (*answer)(const char*, std::string&)) {
    InterlockedIncrement(&g_calls);
    if (path == nullptr || buffer == nullptr || size <= 0 || status == nullptr) {
        return E_POINTER;
    }
    buffer[0] = '\0';
    HRESULT hr = S_OK;
    if (RequestedItemFailure(bit, hr, *status)) {
        return hr;
    }
    std::string text;
    if (!answer(path, text)) {
        *status = kNoItemStatus;
        return S_OK;
    }
    const size_t length =
        text.size() < static_cast<size_t>(size - 1) ? text.size() : static_cast<size_t>(size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    *status = 0;
    return S_OK;
}

bool FileNameWithExtension(const char* path, std::string& text) {
    return pathinfo::FileName(path, false, text);
}
bool FileNameWithoutExtension(const char* path, std::string& text) {
    return pathinfo::FileName(path, true, text);
}

class PathInfoObject final : public IPathInformation {
public:
    PathInfoObject() { InterlockedIncrement(&g_created); }
    PathInfoObject(const PathInfoObject&) = delete;
    PathInfoObject& operator=(const PathInfoObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (iid != IID_IUnknown && iid != kPathInformationInterface) {
            return E_NOINTERFACE;
        }
        *out = static_cast<IPathInformation*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_references.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_references.Release(this); }

    HRESULT STDMETHODCALLTYPE Unused03() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused04() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused05() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused06() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused07() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused08() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused09() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused12() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused13() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused14() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused15() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused16() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused17() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused18() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused19() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused20() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused21() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused22() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused23() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused24() override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetFileKind(LPCSTR path, LONG* kind, LONG* status) override {
        InterlockedIncrement(&g_calls);
        if (path == nullptr || kind == nullptr || status == nullptr) {
            return E_POINTER;
        }
        HRESULT hr = S_OK;
        if (RequestedFailure("kind", hr, *status)) {
            return hr;
        }
        *kind = pathinfo::FileKind(path);
        *status = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNumber(LPCSTR path, LONG* number, LONG* status) override {
        InterlockedIncrement(&g_calls);
        if (path == nullptr || number == nullptr || status == nullptr) {
            return E_POINTER;
        }
        HRESULT hr = S_OK;
        if (RequestedItemFailure(0x1000, hr, *status)) {
            return hr;
        }
        *number = pathinfo::ItemCount(path);
        *status = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIdentifier(LPCSTR path, GUID* guid, LONG* status) override {
        InterlockedIncrement(&g_calls);
        if (path == nullptr || guid == nullptr || status == nullptr) {
            return E_POINTER;
        }
        HRESULT hr = S_OK;
        if (RequestedItemFailure(0x8, hr, *status)) {
            return hr;
        }
        *guid = pathinfo::Identifier(path);
        *status = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetProjectName(LPCSTR path, LPSTR buffer, LONG size, LONG* status) override {
        return Deliver(0x20, path, buffer, size, status, pathinfo::ProjectName);
    }
    HRESULT STDMETHODCALLTYPE GetItem40(LPCSTR path, LPSTR buffer, LONG size, LONG* status) override {
        return Deliver(0x40, path, buffer, size, status, pathinfo::OrdinaryPath);
    }
    HRESULT STDMETHODCALLTYPE Unused30() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused31() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetShortForm(LPCSTR path, LPSTR buffer, LONG size, LONG* status) override {
        return Deliver(0x80000, path, buffer, size, status, pathinfo::ShortForm);
    }
    HRESULT STDMETHODCALLTYPE GetItem100000(LPCSTR path, LPSTR buffer, LONG size, LONG* status) override {
        return Deliver(0x100000, path, buffer, size, status, pathinfo::OldVersion);
    }
    HRESULT STDMETHODCALLTYPE GetItem20000(LPCSTR path, BOOL flag, LPSTR buffer, LONG size,
                                           LONG* status) override {
        return Deliver(0x20000, path, buffer, size, status,
                       flag ? FileNameWithoutExtension : FileNameWithExtension);
    }
    HRESULT STDMETHODCALLTYPE GetDataSetNumber(LPCSTR path, LPSTR buffer, LONG size, LONG* status) override {
        return Deliver(0x40000, path, buffer, size, status, pathinfo::DataSetNumber);
    }

private:
    friend class ovs::standin::References<PathInfoObject>;
    ~PathInfoObject() = default;

    ovs::standin::References<PathInfoObject> m_references;
};

HRESULT CreatePathInfo(REFIID iid, void** out) {
    HRESULT failure = S_OK;
    LONG unused = 0;
    if (RequestedFailure("create", failure, unused) && FAILED(failure)) {
        return failure;
    }
    return ovs::standin::CreateAndQuery<PathInfoObject>(iid, out);
}

} // namespace

const ovs::standin::ServedClass ovs::standin::kServedClass{kPathInformationClass, "Path information",
                                                           CreatePathInfo};

extern "C" {

void __stdcall PathInfoCounters(PathInfoCounts* counts) {
    if (counts == nullptr) {
        return;
    }
    counts->liveObjects = ovs::standin::LiveObjects();
    counts->created = g_created;
    counts->calls = g_calls;
}

} // extern "C"
