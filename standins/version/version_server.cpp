// The version component as an in-process server: slot 12 answers the word the environment sets,
// slot 16 with the product-version request answers the ProductVersion of this module's own version
// resource; the failures the environment asks for are given instead.
#include "version_standin.h"
#include "inproc_server.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kNullText[] = "null";

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

std::string Environment(const char* name) {
    char value[512];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// The text after "step=" in the failure variable, or empty when the step is to succeed.
std::string RequestedFailure(const char* step) {
    const std::string entries = Environment(kVersionFailVariable);
    const std::string wanted = std::string(step) + "=";
    for (size_t start = 0; start < entries.size();) {
        size_t end = entries.find(';', start);
        if (end == std::string::npos) {
            end = entries.size();
        }
        if (entries.compare(start, wanted.size(), wanted) == 0) {
            return entries.substr(start + wanted.size(), end - start - wanted.size());
        }
        start = end + 1;
    }
    return std::string();
}

HRESULT FailureCode(const std::string& failure) {
    return static_cast<HRESULT>(std::strtoul(failure.c_str(), nullptr, 16));
}

// The ProductVersion of the module's version resource, in its first translation.
HRESULT ProductVersion(BSTR* text) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return E_FAIL;
    }
    DWORD unused = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path, &unused));
    if (block.empty() || !GetFileVersionInfoW(path, 0, static_cast<DWORD>(block.size()), block.data())) {
        return E_FAIL;
    }
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translation = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &size) ||
        size < sizeof(Translation)) {
        return E_FAIL;
    }
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\ProductVersion", translation->language,
             translation->codePage);
    wchar_t* version = nullptr;
    if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&version), &size) ||
        version == nullptr) {
        return E_FAIL;
    }
    *text = SysAllocString(version);
    return *text != nullptr ? S_OK : E_OUTOFMEMORY;
}

class VersionObject final : public IUnknown {
public:
    VersionObject() = default;
    VersionObject(const VersionObject&) = delete;
    VersionObject& operator=(const VersionObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (iid != IID_IUnknown && iid != kVersionComponentInterface) {
            return E_NOINTERFACE;
        }
        *out = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_references.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_references.Release(this); }

    // Slots 3 to 15; 12 is the word.
    virtual HRESULT STDMETHODCALLTYPE Unused03() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Unused04() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Unused05() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Unused06() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Unused07() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Unused08() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Unused09() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Unused10() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Unused11() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE GetWord(DWORD* word) {
        if (word == nullptr) {
            return E_POINTER;
        }
        if (const std::string failure = RequestedFailure("word"); !failure.empty()) {
            return FailureCode(failure);
        }
        *word = std::strtoul(Environment(kVersionWordVariable).c_str(), nullptr, 0);
        return S_OK;
    }
    virtual HRESULT STDMETHODCALLTYPE Unused13() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Unused14() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Unused15() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE GetVersionText(LONG request, BSTR* text) {
        if (text == nullptr) {
            return E_POINTER;
        }
        *text = nullptr;
        if (request != kProductVersionRequest) {
            return E_INVALIDARG;
        }
        if (const std::string failure = RequestedFailure("version"); !failure.empty()) {
            return failure == kNullText ? S_OK : FailureCode(failure);
        }
        if (const std::string replacement = Environment(kVersionTextVariable); !replacement.empty()) {
            std::wstring wide(replacement.size(), L'\0');
            wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, replacement.data(),
                                                                static_cast<int>(replacement.size()),
                                                                wide.data(), static_cast<int>(wide.size()))));
            *text = SysAllocString(wide.c_str());
            return *text != nullptr ? S_OK : E_OUTOFMEMORY;
        }
        return ProductVersion(text);
    }

private:
    friend class ovs::standin::References<VersionObject>;
    ~VersionObject() = default;

    ovs::standin::References<VersionObject> m_references;
};

HRESULT CreateVersion(REFIID iid, void** out) {
    if (const std::string failure = RequestedFailure("create"); !failure.empty()) {
        return FailureCode(failure);
    }
    return ovs::standin::CreateAndQuery<VersionObject>(iid, out);
}

} // namespace

const ovs::standin::ServedClass ovs::standin::kServedClass{kVersionComponentClass, "Version component",
                                                           CreateVersion};
