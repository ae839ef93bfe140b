// What every in-process stand-in server shares: its module handle, the count of live objects and
// server locks that DllCanUnloadNow answers from, the module's one class factory, and the
// registration of its class under HKCR\CLSID.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <new>

namespace ovs::standin {

// Called by DllMain on DLL_PROCESS_ATTACH.
void AttachModule(HINSTANCE module) noexcept;
void ObjectCreated() noexcept;
void ObjectDestroyed() noexcept;
LONG LiveObjects() noexcept;
// S_OK when no object lives and no client locks the server.
HRESULT CanUnloadNow() noexcept;

// Makes a new object and queries it for iid.
using CreateObject = HRESULT (*)(REFIID iid, void** out);

// DllGetClassObject of a module that serves the one class `served`, whose objects `create` makes.
HRESULT GetClassObject(REFCLSID wanted, REFCLSID served, CreateObject create, REFIID iid,
                       void** out) noexcept;

// classKey is "CLSID\{...}"; the server is this module, with the given threading model.
HRESULT RegisterServer(const char* classKey, const char* className, const char* threadingModel) noexcept;
HRESULT UnregisterServer(const char* classKey) noexcept;

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
