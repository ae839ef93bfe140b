// The path-information component as an in-process server: a class factory, one object with the
// path-information interface, the failures the environment asks for, and its registration under
// HKCR\CLSID.
#include "path_info_standin.h"
#include "unique_resource.h"

#include <olectl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace {

constexpr char kClassKey[] = "CLSID\\{DF6D750E-0B70-44A4-893E-D51F2D6BE1F4}";
constexpr char kClassName[] = "Path information";
constexpr char kThreadingModel[] = "Both";
constexpr char kFailVariable[] = "OVS_PATHINFO_FAIL";
constexpr LONG kNoItemStatus = 1;

HMODULE g_module = nullptr;
LONG g_liveObjects = 0;
LONG g_created = 0;
LONG g_calls = 0;
LONG g_serverLocks = 0;

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
    PathInfoObject() {
        InterlockedIncrement(&g_liveObjects);
        InterlockedIncrement(&g_created);
    }
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
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&m_references));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

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
    ~PathInfoObject() { InterlockedDecrement(&g_liveObjects); }

    LONG m_references = 1;
};

class PathInfoFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // One factory for the life of the module.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        HRESULT failure = S_OK;
        LONG unused = 0;
        if (RequestedFailure("create", failure, unused) && FAILED(failure)) {
            return failure;
        }
        PathInfoObject* object = new (std::nothrow) PathInfoObject();
        if (object == nullptr) {
            return E_OUTOFMEMORY;
        }
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            InterlockedIncrement(&g_serverLocks);
        } else {
            InterlockedDecrement(&g_serverLocks);
        }
        return S_OK;
    }
};

PathInfoFactory g_factory;

LONG SetKeyText(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (clsid != kPathInformationClass) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return g_factory.QueryInterface(iid, out);
}

HRESULT __stdcall DllCanUnloadNow() {
    return g_liveObjects == 0 && g_serverLocks == 0 ? S_OK : S_FALSE;
}

HRESULT __stdcall DllRegisterServer() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(g_module, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return SELFREG_E_CLASS;
    }
    ovs::unique_hkey classKey;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kClassKey, 0, nullptr, 0, KEY_WRITE, nullptr, classKey.put(),
                        nullptr) != ERROR_SUCCESS) {
        return SELFREG_E_CLASS;
    }
    ovs::unique_hkey serverKey;
    if (SetKeyText(classKey.get(), nullptr, kClassName) != ERROR_SUCCESS ||
        RegCreateKeyExA(classKey.get(), "InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, serverKey.put(),
                        nullptr) != ERROR_SUCCESS ||
        SetKeyText(serverKey.get(), nullptr, std::string(path, length)) != ERROR_SUCCESS ||
        SetKeyText(serverKey.get(), "ThreadingModel", kThreadingModel) != ERROR_SUCCESS) {
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT __stdcall DllUnregisterServer() {
    const LONG status = RegDeleteTreeA(HKEY_CLASSES_ROOT, kClassKey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}

void __stdcall PathInfoCounters(PathInfoCounts* counts) {
    if (counts == nullptr) {
        return;
    }
    counts->liveObjects = g_liveObjects;
    counts->created = g_created;
    counts->calls = g_calls;
}

} // extern "C"
