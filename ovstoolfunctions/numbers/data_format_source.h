// Where the formatter's settings come from: the current user's data-format texts and the machine-wide
// rounding switch, read once per process.
#pragma once

#include <windows.h>

namespace ovs::numbers {

// The current user's text value under the product root's "DataFormat" key (at most 255 characters),
// or the default; answers from the policy cache where the current-user family has one.
void ReadDataFormatText(LPCSTR valueName, LPCSTR defaultText, char (&text)[256]);

// The rounding switch: -1 until first read; 1 selects the rounding-printf engine.
int RoundingSwitch();
// Reads "RoundMode" when the switch is still -1.
void LoadRoundingSwitch();

} // namespace ovs::numbers
