// Walking narrow text of the process code page character by character: a lead byte (the
// platform's lead-byte test) and the byte after it form one character. A lead byte followed by the
// terminator is no whole character and ends the text.
#pragma once

#include <windows.h>

#include <cstddef>

namespace ovs::dbcs {

// The platform's lead-byte test for all 256 byte values, taken once per process.
class LeadBytes {
public:
    LeadBytes() noexcept {
        for (int b = 0; b < 256; ++b) {
            m_lead[b] = IsDBCSLeadByte(static_cast<BYTE>(b)) != FALSE;
        }
    }
    bool operator()(unsigned char b) const noexcept { return m_lead[b]; }
    bool any() const noexcept {
        for (bool lead : m_lead) {
            if (lead) {
                return true;
            }
        }
        return false;
    }

private:
    bool m_lead[256];
};

const LeadBytes& Leads() noexcept;

inline bool IsLead(unsigned char b) noexcept {
    return Leads()(b);
}

// The number of bytes of the character at text (1 or 2; 0 at the end of the text).
inline size_t CharSize(const char* text) noexcept {
    const unsigned char b = static_cast<unsigned char>(*text);
    if (b == 0) {
        return 0;
    }
    if (IsLead(b)) {
        return text[1] != '\0' ? 2 : 0;
    }
    return 1;
}

// The bytes of the longest run of whole characters from text on that fits in maxBytes.
inline size_t WholeCharBytes(const char* text, size_t maxBytes) noexcept {
    size_t bytes = 0;
    for (size_t size = CharSize(text); size != 0 && bytes + size <= maxBytes; size = CharSize(text + bytes)) {
        bytes += size;
    }
    return bytes;
}

// Characters of the text (a lone last lead byte not counted).
size_t CharCount(const char* text) noexcept;

// The first byte equal to c outside double-byte characters, or null.
const char* FindChar(const char* text, char c) noexcept;

// True when byte `index` of text is the trail byte of a double-byte character.
bool IsTrailByteAt(const char* text, size_t index) noexcept;

} // namespace ovs::dbcs
