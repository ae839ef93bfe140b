// Current-user operations that the writers need beyond the exported family.
#pragma once

#include <windows.h>

namespace ovs::settings {

// Deletes the value under P\K (P when K is null) of the current-user hive; the policy cache is not
// touched.
BOOL DeleteCurrentUserValue(LPCSTR keyPath, LPCSTR subKey, LPCSTR valueName);

} // namespace ovs::settings
