// The process decimal point and thousands separator, fixed from the user's locale at module start.
#pragma once

#include "ovstooldefs.h"
#include <afxstr.h>

OVSTOOL_API CString Tool_GetStringDecimalPoint();
OVSTOOL_API CString Tool_GetStringThousandsSep();
