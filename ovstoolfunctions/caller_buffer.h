// Writing into a caller's character buffer: never past its size, always terminated.
#pragma once

#include "text/dbcs_text.h"

#include <windows.h>
#include <cstring>

namespace ovs {

// Copies at most size - 1 bytes of text and a terminator; returns the bytes copied (0 for no room).
inline size_t CopyToBuffer(LPSTR buffer, size_t size, LPCSTR text) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    const size_t length = text != nullptr ? strnlen(text, size - 1) : 0;
    if (length > 0) {
        std::memcpy(buffer, text, length);
    }
    buffer[length] = '\0';
    return length;
}

// As CopyToBuffer, but never splits a double-byte character: at most size - 1 bytes of whole
// characters.
inline size_t CopyWholeCharsToBuffer(LPSTR buffer, size_t size, LPCSTR text) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    const size_t length = text != nullptr ? dbcs::WholeCharBytes(text, size - 1) : 0;
    if (length > 0) {
        std::memcpy(buffer, text, length);
    }
    buffer[length] = '\0';
    return length;
}

} // namespace ovs
