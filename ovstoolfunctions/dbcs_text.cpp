// The lead-byte table of the process and the character walks built on it.
#include "dbcs_text.h"

namespace ovs::dbcs {

const LeadBytes& Leads() noexcept {
    static const LeadBytes table;
    return table;
}

size_t CharCount(const char* text) noexcept {
    const LeadBytes& leads = Leads();
    size_t count = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++count) {
        if (leads(*p)) {
            if (p[1] == 0) {
                break;
            }
            p += 2;
        } else {
            ++p;
        }
    }
    return count;
}

const char* FindChar(const char* text, char c) noexcept {
    const LeadBytes& leads = Leads();
    const unsigned char wanted = static_cast<unsigned char>(c);
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0;) {
        if (leads(*p)) {
            if (p[1] == 0) {
                return nullptr;
            }
            p += 2;
        } else if (*p == wanted) {
            return reinterpret_cast<const char*>(p);
        } else {
            ++p;
        }
    }
    return nullptr;
}

bool IsTrailByteAt(const char* text, size_t index) noexcept {
    const LeadBytes& leads = Leads();
    size_t i = 0;
    while (i < index && text[i] != '\0') {
        if (leads(static_cast<unsigned char>(text[i])) && text[i + 1] != '\0') {
            if (i + 1 == index) {
                return true;
            }
            i += 2;
        } else {
            ++i;
        }
    }
    return false;
}

} // namespace ovs::dbcs
