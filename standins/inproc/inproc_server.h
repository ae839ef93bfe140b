// What every in-process stand-in server shares: a class factory per served class, the count of live
// objects and server locks that DllCanUnloadNow answers from, and the COM server exports
// (DllMain, DllGetClassObject, DllCanUnloadNow, DllRegisterServer, DllUnregisterServer), which
// register the class under HKCR\CLSID with the threading model "Both", and its class name (ProgID)
// when it has one.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <new>
#include <string>

namespace ovs::standin {

// Makes a new object and queries it for iid.
using CreateObject = HRESULT (*)(REFIID iid, void** out);

struct ServedClass {
    const CLSID& clsid;
    const char* className;
    CreateObject create;
    // The class name that programs find the class by (CLSIDFromProgID); none when null.
    const char* progId = nullptr;
};

// The one class a server module serves; each module defines it.
extern const ServedClass kServedClass;

// A module that serves further classes registers each with a static AlsoServed object.
struct AlsoServed {
    explicit AlsoServed(const ServedClass& served) noexcept;
};

void ObjectCreated() noexcept;
void ObjectDestroyed() noexcept;
LONG LiveObjects() noexcept;

// The reference count of a COM object of class Object, which starts with one reference, counts
// among the live objects while it exists, and is deleted by its last Release (Object befriends
// this class when its destructor is private).
template <typename Object>
class References {
public:
    References() noexcept { ObjectCreated(); }
    ~References() { ObjectDestroyed(); }
    References(const References&) = delete;
    References& operator=(const References&) = delete;

    ULONG Add() noexcept { return static_cast<ULONG>(InterlockedIncrement(&m_count)); }
    ULONG Release(Object* object) noexcept {
        const LONG left = InterlockedDecrement(&m_count);
        if (left == 0) {
            delete object;
        }
        return static_cast<ULONG>(left);
    }

private:
    LONG m_count = 1;
};

// A class factory that lives as long as its module (its references are not counted) and makes its
// objects with `create`. Out-of-process stand-ins use it too.
class StaticClassFactory final : public IClassFactory {
public:
    explicit StaticClassFactory(CreateObject create = nullptr) noexcept : m_create(create) {}

    // Makes the objects of another function from now on.
    void Serve(CreateObject create) noexcept { m_create = create; }

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
        return m_create(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            InterlockedIncrement(&m_locks);
        } else {
            InterlockedDecrement(&m_locks);
        }
        return S_OK;
    }
    LONG Locks() const noexcept { return m_locks; }

private:
    CreateObject m_create;
    LONG m_locks = 0;
};

// "CLSID\{...}" under HKEY_CLASSES_ROOT.
inline std::string ClassKey(const CLSID& clsid) {
    wchar_t text[40];
    StringFromGUID2(clsid, text, 40);
    std::string key = "CLSID\\";
    for (const wchar_t* c = text; *c != L'\0'; ++c) {
        key += static_cast<char>(*c); // a GUID's text is plain ASCII
    }
    return key;
}

// A new T(args...) (which starts with one reference of its own) queried for iid.
template <typename T, typename... Args>
HRESULT CreateAndQuery(REFIID iid, void** out, Args&&... args) {
    T* object = new (std::nothrow) T(static_cast<Args&&>(args)...);
    if (object == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

} // namespace ovs::standin
