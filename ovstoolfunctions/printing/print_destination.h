// What a print job is to produce (its output flags) and whether the launching manager may start it.
#pragma once

#include <windows.h>

namespace ovs::printing {

// Output flags for an output kind: kinds 0 and 8 take the print destination configured for system
// instNo in the storage server; flag 4 is added for a summary print.
DWORD OutputFlags(WORD kind, BOOL summary, LONG instNo);

// In database mode the version component decides (bit 0 of its word); otherwise the manager may.
bool ManagerRoadAllowed(BOOL dbMode);

} // namespace ovs::printing
