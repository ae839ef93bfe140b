// Control of the document, audit-trail and file-property component stand-ins from a test in the
// same process: each component call is logged by name ("Document.Open", "AuditTrail.Save", ...) and
// one call can be made to fail.
#pragma once

#include <windows.h>

extern "C" {
// The next call of that name returns hr instead of doing its work; a null name disarms.
__declspec(dllexport) void DocumentsStandinFailCall(LPCSTR szCall, HRESULT hr);
// The calls made since the last reset, each followed by '\n'; returns the length of the log.
__declspec(dllexport) DWORD DocumentsStandinCallLog(LPSTR szBuffer, DWORD dwBufferSize);
__declspec(dllexport) void DocumentsStandinReset();
__declspec(dllexport) LONG DocumentsStandinLiveObjects();
}
