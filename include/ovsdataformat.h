// The data-format record shared with host applications: which notation and how many digits.
#pragma once

#include <windows.h>

struct OVS_DATAFORMAT {
    WORD wKind;              // 0 none, 1 fixed point, 2 exponent, 3 and 4 significant digits, 5 "%.7g",
                             // 10 significant digits always positional
    WORD wDecimals;          // fraction digits (kind 1), mantissa fraction digits (kind 2)
    WORD wSignificantDigits; // significant digits (kinds 3, 4, 10); field width of a zero in kind 2
    WORD wFourth;            // stored as read; not used by the formatter
};
