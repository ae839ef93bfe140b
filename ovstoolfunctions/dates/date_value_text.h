// The text form of a stored date: the 8 bytes of a file time in memory order (low word first, each
// word low byte first) as 16 hexadecimal digits.
#pragma once

#include <windows.h>

#include <string>

namespace ovs {

constexpr size_t kDateValueDigits = 16;

// Upper-case digits, high nibble first.
std::string DateValueText(const FILETIME& fileTime);
// Reads the whole text pair by pair, upper or lower case; false for any other character, an odd
// count or fewer than 16 digits. Pairs after the first 8 are checked but not used.
bool ParseDateValueText(const char* text, FILETIME& fileTime);

} // namespace ovs
