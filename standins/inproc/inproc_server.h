// What every in-process stand-in server shares: the module's one class factory, the count of live
// objects and server locks that DllCanUnloadNow answers from, and the COM server exports
// (DllMain, DllGetClassObject, DllCanUnloadNow, DllRegisterServer, DllUnregisterServer), which
// register the class under HKCR\CLSID with the threading model "Both".
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <new>

namespace ovs::standin {

// Makes a new object and queries it for iid.
using CreateObject = HRESULT (*)(REFIID iid, void** out);

struct ServedClass {
    const CLSID& clsid;
    const char* className;
    CreateObject create;
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

// A new T (which starts with one reference of its own) queried for iid.
template <typename T>
HRESULT CreateAndQuery(REFIID iid, void** out) {
    T* object = new (std::nothrow) T();
    if (object == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

} // namespace ovs::standin
