// A variant as report text: its type name and, when it has one, its value converted to text.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace ovs {

// "VT_EMPTY" .. "VT_UI8" for the low 8 bits 0 to 21, "Other" above, "VT_ARRAY (element)" for arrays.
std::string VariantTypeName(VARTYPE type);
// Throws the framework's memory exception or OLE exception when the variant cannot be copied.
std::string VariantText(const VARIANT& value);

} // namespace ovs
