// The section writer of the launching protocol: page-file sections that everyone may open, created,
// mapped for writing and zero-filled, and the length-prefixed layout of their texts.
#pragma once

#include "unique_resource.h"

#include <string>

namespace ovs::launch {

// A mapped section; members go in reverse order, so the view is unmapped before the section closes.
struct MappedSection {
    unique_handle section;
    unique_view view;
};

enum class SectionStep { done, create, map };

// Creates (or opens) the named section of `size` bytes, maps it for writing and zeroes it.
SectionStep CreateZeroedSection(MappedSection& section, const char* name, DWORD size);

// A section of length + 7 bytes: the 32-bit length, the bytes (whose terminator `length` counts),
// then three zero bytes.
SectionStep WriteLengthPrefixed(MappedSection& section, const char* name, const void* bytes, DWORD length);

// Narrow text in the process code page as UTF-16 with its terminator, as bytes.
std::wstring WideText(const char* text);

} // namespace ovs::launch
