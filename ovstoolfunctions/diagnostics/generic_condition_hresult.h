// The HRESULT that a portable error number (the standard library's generic error condition) stands for.
#pragma once

#include <windows.h>

namespace ovs {

// E_FAIL for a number that has no code of its own and for any number outside 1 to 140.
HRESULT HResultFromGenericCondition(int condition);

} // namespace ovs
