// Zero-terminated UTF-16 text as narrow text of a code page.
#pragma once

#include <windows.h>

#include <string>

namespace ovs {

// Empty for a null or unconvertible text.
std::string NarrowText(LPCWSTR text, UINT codePage = CP_ACP);

} // namespace ovs
