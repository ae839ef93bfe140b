// The printer a print job names, made the application's printer selection, and the blocks that
// describe it to the print process.
#pragma once

#include <afxwin.h>

namespace ovs::printing {

// Selects the printer of that name in the application: its device mode (or the caller's wide
// device mode of devModeSize bytes, converted) and its device names. A name that names no printer
// clears the selection, so that the platform's default printer is taken.
void SelectNamedPrinter(CWinApp& app, const char* name, const DEVMODEW* devMode, LONG devModeSize);

// The smallest byte size a wide device mode can state for itself; 0 when it cannot be read.
LONG DeviceModeOwnSize(const DEVMODEW* devMode, LONG devModeSize);

} // namespace ovs::printing
