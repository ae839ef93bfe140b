// The parts of the storage server that its files share.
#pragma once

#include "regstorage.h"

namespace regstorage {

extern const CLSID kServerClass;

// A new storage object with one reference, or null.
IOVSRegStorage* CreateStorageObject();

// Every call counts as activity; the server ends after a quiet spell (see regstorage_server.cpp).
void NoteActivity();

// "/RegServer" and "/UnregServer": the class's LocalServer32 entry and the interface's proxy/stub.
HRESULT RegisterServer();
HRESULT UnregisterServer();

} // namespace regstorage
