// The shared parts of the in-process stand-in servers: the class factories, the count of live
// objects, and the COM server exports of the module that serves kServedClass and the classes
// registered beside it.
#include "inproc_server.h"
#include "unique_resource.h"

#include <olectl.h>

#include <cstring>
#include <string>

namespace ovs::standin {

namespace {

HMODULE g_module = nullptr;
LONG g_liveObjects = 0;

// kServedClass and the classes registered beside it (filled during static initialisation).
constexpr size_t kMaxServedClasses = 16;
const ServedClass* g_alsoServed[kMaxServedClasses] = {};
size_t g_alsoServedCount = 0;

// The place of a served class: 0 for kServedClass, 1 + i for the others; -1 when not served.
int ServedIndex(REFCLSID clsid) {
    if (clsid == kServedClass.clsid) {
        return 0;
    }
    for (size_t i = 0; i < g_alsoServedCount; ++i) {
        if (clsid == g_alsoServed[i]->clsid) {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}

const ServedClass& ServedAt(int index) {
    return index == 0 ? kServedClass : *g_alsoServed[index - 1];
}

template <typename Each>
bool ForEachServed(Each each) {
    for (size_t i = 0; i <= g_alsoServedCount; ++i) {
        if (!each(ServedAt(static_cast<int>(i)))) {
            return false;
        }
    }
    return true;
}

StaticClassFactory g_factories[kMaxServedClasses + 1];

LONG SetKeyText(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

// HKCR\<ProgID>\CLSID and the class key's ProgID, for a class that has a class name.
bool RegisterProgId(const ServedClass& served, HKEY classKey) {
    if (served.progId == nullptr) {
        return true;
    }
    const std::string clsidText = ClassKey(served.clsid).substr(std::strlen("CLSID\\"));
    ovs::unique_hkey progIdKey;
    ovs::unique_hkey progIdClass;
    ovs::unique_hkey classProgId;
    return RegCreateKeyExA(HKEY_CLASSES_ROOT, served.progId, 0, nullptr, 0, KEY_WRITE, nullptr,
                           progIdKey.put(), nullptr) == ERROR_SUCCESS &&
           SetKeyText(progIdKey.get(), nullptr, served.className) == ERROR_SUCCESS &&
           RegCreateKeyExA(progIdKey.get(), "CLSID", 0, nullptr, 0, KEY_WRITE, nullptr, progIdClass.put(),
                           nullptr) == ERROR_SUCCESS &&
           SetKeyText(progIdClass.get(), nullptr, clsidText) == ERROR_SUCCESS &&
           RegCreateKeyExA(classKey, "ProgID", 0, nullptr, 0, KEY_WRITE, nullptr, classProgId.put(),
                           nullptr) == ERROR_SUCCESS &&
           SetKeyText(classProgId.get(), nullptr, served.progId) == ERROR_SUCCESS;
}

} // namespace

AlsoServed::AlsoServed(const ServedClass& served) noexcept {
    if (g_alsoServedCount < kMaxServedClasses) {
        g_alsoServed[g_alsoServedCount++] = &served;
    }
}

void ObjectCreated() noexcept {
    InterlockedIncrement(&g_liveObjects);
}

void ObjectDestroyed() noexcept {
    InterlockedDecrement(&g_liveObjects);
}

LONG LiveObjects() noexcept {
    return g_liveObjects;
}

} // namespace ovs::standin

using namespace ovs::standin;

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
    const int index = ServedIndex(clsid);
    if (index < 0) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    StaticClassFactory& factory = g_factories[index];
    factory.Serve(ServedAt(index).create);
    return factory.QueryInterface(iid, out);
}

HRESULT __stdcall DllCanUnloadNow() {
    LONG locks = 0;
    for (const StaticClassFactory& factory : g_factories) {
        locks += factory.Locks();
    }
    return g_liveObjects == 0 && locks == 0 ? S_OK : S_FALSE;
}

HRESULT __stdcall DllRegisterServer() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(g_module, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return SELFREG_E_CLASS;
    }
    const bool registered = ForEachServed([&](const ServedClass& served) {
        ovs::unique_hkey key;
        ovs::unique_hkey serverKey;
        return RegCreateKeyExA(HKEY_CLASSES_ROOT, ClassKey(served.clsid).c_str(), 0, nullptr, 0, KEY_WRITE,
                               nullptr, key.put(), nullptr) == ERROR_SUCCESS &&
               SetKeyText(key.get(), nullptr, served.className) == ERROR_SUCCESS &&
               RegCreateKeyExA(key.get(), "InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr,
                               serverKey.put(), nullptr) == ERROR_SUCCESS &&
               SetKeyText(serverKey.get(), nullptr, std::string(path, length)) == ERROR_SUCCESS &&
               SetKeyText(serverKey.get(), "ThreadingModel", "Both") == ERROR_SUCCESS &&
               RegisterProgId(served, key.get());
    });
    return registered ? S_OK : SELFREG_E_CLASS;
}

HRESULT __stdcall DllUnregisterServer() {
    const bool removed = ForEachServed([](const ServedClass& served) {
        const LONG status = RegDeleteTreeA(HKEY_CLASSES_ROOT, ClassKey(served.clsid).c_str());
        const LONG progIdStatus =
            served.progId != nullptr ? RegDeleteTreeA(HKEY_CLASSES_ROOT, served.progId) : ERROR_SUCCESS;
        return (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) &&
               (progIdStatus == ERROR_SUCCESS || progIdStatus == ERROR_FILE_NOT_FOUND);
    });
    return removed ? S_OK : SELFREG_E_CLASS;
}

} // extern "C"
