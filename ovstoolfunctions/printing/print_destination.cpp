#include "print_destination.h"

#include "config/regstorage_session.h"
#include "diagnostics/version_component.h"
#include "ovstoolprint.h"
#include "unique_resource.h"

#include <comdef.h>

#include <atomic>
#include <cstring>
#include <vector>

namespace ovs::printing {

namespace {

constexpr long kDestinationProperty = 0x143002;
constexpr long kOpenFlag = 1;
constexpr DWORD kBusyWaitMs = 100;
constexpr WORD kKindDirect = OVS_PRINTKIND_DIRECT;
constexpr DWORD kManagerBit = 1;

// The component's word, kept once a call succeeded; 0 asks again.
std::atomic<DWORD> g_componentWord{0};

// The configured destination of a system: 0 printer, 1 PDF, 2 both; false when it cannot be read.
bool ReadDestination(LONG instNo, DWORD& destination) {
    try {
        regstorage::Session session;
        const bool perSystem = instNo >= 1;
        regstorage::RegStorageKey key = {
            -1,      0,      perSystem ? instNo : regstorage::kNoSystem, kDestinationProperty, nullptr,
            nullptr, nullptr};
        // The open takes the system index as given, even below 1.
        regstorage::RegStorageKey openKey = key;
        openKey.systemIndex = instNo;
        if (session.OpenForWrite(perSystem ? regstorage::kScopeSystem : 1, openKey, kOpenFlag).Failed()) {
            return false;
        }
        DWORD size = 0;
        if (session.Read(key, nullptr, 0, nullptr, &size, nullptr, kBusyWaitMs).Failed() ||
            size < sizeof(DWORD)) {
            return false;
        }
        std::vector<BYTE> value(size);
        if (session.Read(key, value.data(), size, nullptr, nullptr, nullptr, kBusyWaitMs).Failed()) {
            return false;
        }
        std::memcpy(&destination, value.data(), sizeof destination);
        return true;
    } catch (const _com_error&) {
        return false; // no storage server: the destination is unreadable
    }
}

DWORD FlagsFromDestination(LONG instNo) {
    DWORD destination = 0;
    if (!ReadDestination(instNo, destination)) {
        return OVS_PRINTFLAG_PRINTER;
    }
    switch (destination) {
        case 0:
            return OVS_PRINTFLAG_PRINTER;
        case 1:
            return OVS_PRINTFLAG_PDF;
        case 2:
            return OVS_PRINTFLAG_PRINTER | OVS_PRINTFLAG_PDF;
        default:
            return 0;
    }
}

DWORD FlagsFromKind(WORD kind) {
    DWORD flags = 0;
    if (kind & OVS_PRINTKIND_PRINTER) {
        flags |= OVS_PRINTFLAG_PRINTER;
    }
    if (kind & OVS_PRINTKIND_PDF) {
        flags |= OVS_PRINTFLAG_PDF;
    }
    if (kind & OVS_PRINTKIND_PNG) {
        flags |= OVS_PRINTFLAG_PNG;
    }
    return flags;
}

// Asks the component for its word; false when it cannot be created or does not answer.
bool AskComponentWord(DWORD& word) {
    com_ptr<IVersionComponent> component;
    if (FAILED(CoCreateInstance(kVersionComponentClass, nullptr, CLSCTX_INPROC_SERVER,
                                kVersionComponentInterface, component.put_void()))) {
        return false;
    }
    return SUCCEEDED(component->GetWord(&word));
}

} // namespace

DWORD OutputFlags(WORD kind, BOOL summary, LONG instNo) {
    const DWORD flags = kind == OVS_PRINTKIND_CONFIGURED || kind == kKindDirect ? FlagsFromDestination(instNo)
                                                                                : FlagsFromKind(kind);
    return summary ? flags | OVS_PRINTFLAG_SUMMARY : flags;
}

bool ManagerRoadAllowed(BOOL dbMode) {
    if (!dbMode) {
        return true;
    }
    if (g_componentWord.load() == 0) {
        DWORD word = 0;
        if (!AskComponentWord(word)) {
            return false;
        }
        g_componentWord.store(word);
    }
    return (g_componentWord.load() & kManagerBit) != 0;
}

} // namespace ovs::printing
