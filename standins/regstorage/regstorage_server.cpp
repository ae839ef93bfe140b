// OVSRegStorageServer.exe: registers its class for every client of the machine (multiple use) and
// ends after a quiet spell, or at once when a test host signals its stop event. It does not wait
// for its objects to be released: the objects of a client that was killed are never released.
// Killing the server instead would leave its class registered with the system's activation
// service under Wine, and no new server could be started.
#include "regstorage_server.h"
#include "inproc_server.h"
#include "storage_server_switch.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

namespace regstorage {

const CLSID kServerClass = {0x32BF2667, 0x28F8, 0x4C93, {0x81, 0x53, 0x45, 0xCE, 0x4A, 0x25, 0xAC, 0xF9}};

namespace {

constexpr ULONGLONG kQuietSpellMs = 10000;
constexpr DWORD kIdleCheckMs = 250;

std::mutex g_activityLock;
ULONGLONG g_lastActivity = 0;
bool g_stopping = false;

// True while the server still takes new objects; then counts as activity.
bool Admit() {
    std::lock_guard<std::mutex> hold(g_activityLock);
    g_lastActivity = GetTickCount64();
    return !g_stopping;
}

// After a quiet spell or when asked: takes no more objects from now on and lets COM stop sending
// activations here (the last server-process reference suspends the class), so that a new server
// starts.
bool Stop(bool asked) {
    std::lock_guard<std::mutex> hold(g_activityLock);
    if (!asked && GetTickCount64() - g_lastActivity < kQuietSpellMs) {
        return false;
    }
    g_stopping = true;
    CoReleaseServerProcess();
    return true;
}

// Makes the objects of the class factory while the server still takes them.
HRESULT CreateAdmitted(REFIID iid, void** out) {
    if (!Admit()) {
        return CO_E_SERVER_STOPPING;
    }
    IOVSRegStorage* object = CreateStorageObject();
    if (object == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

// "/Name" or "-Name" as a word of the command line, in any case.
bool HasSwitch(const std::string& commandLine, const char* name) {
    size_t at = 0;
    while (at < commandLine.size()) {
        const size_t end = std::min(commandLine.find(' ', at), commandLine.size());
        const std::string word = commandLine.substr(at, end - at);
        if (word.size() > 1 && (word[0] == '/' || word[0] == '-') && _stricmp(word.c_str() + 1, name) == 0) {
            return true;
        }
        at = end + 1;
    }
    return false;
}

int Serve() {
    ovs::standin::StaticClassFactory factory(CreateAdmitted);
    DWORD cookie = 0;
    NoteActivity();
    CoAddRefServerProcess();
    if (FAILED(CoRegisterClassObject(kServerClass, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                     &cookie))) {
        return 1;
    }
    const ovs::unique_handle stopEvent(CreateEventA(nullptr, FALSE, FALSE, kStopEventName));
    while (!Stop(WaitForSingleObject(stopEvent.get(), kIdleCheckMs) == WAIT_OBJECT_0)) {
    }
    CoRevokeClassObject(cookie);
    return 0;
}

} // namespace

void NoteActivity() {
    std::lock_guard<std::mutex> hold(g_activityLock);
    g_lastActivity = GetTickCount64();
}

} // namespace regstorage

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
        return 1;
    }
    const std::string switches = commandLine != nullptr ? commandLine : "";
    int result = 0;
    if (regstorage::HasSwitch(switches, "RegServer")) {
        result = SUCCEEDED(regstorage::RegisterServer()) ? 0 : 1;
    } else if (regstorage::HasSwitch(switches, "UnregServer")) {
        result = SUCCEEDED(regstorage::UnregisterServer()) ? 0 : 1;
    } else {
        result = regstorage::Serve();
    }
    CoUninitialize();
    return result;
}
