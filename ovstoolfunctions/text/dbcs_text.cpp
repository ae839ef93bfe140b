// The lead-byte table of the process and the character walks built on it.
#include "dbcs_text.h"
#include "dbcs_scan.h"

namespace ovs::dbcs {

const LeadBytes& Leads() noexcept {
    static const LeadBytes table;
    return table;
}

namespace {

// Runs of consecutive lead bytes; -1 when there are more than the scanner holds.
LeadRanges MakeRanges(const LeadBytes& leads) noexcept {
    LeadRanges ranges;
    for (int b = 0; b < 256;) {
        if (!leads(static_cast<unsigned char>(b))) {
            ++b;
            continue;
        }
        const int first = b;
        while (b < 256 && leads(static_cast<unsigned char>(b))) {
            ++b;
        }
        if (ranges.count == LeadRanges::kMaxRanges) {
            ranges.count = -1;
            return ranges;
        }
        ranges.first[ranges.count] = static_cast<unsigned char>(first);
        ranges.span[ranges.count] = static_cast<unsigned char>(b - 1 - first);
        ++ranges.count;
    }
    return ranges;
}

} // namespace

const LeadRanges& Ranges() noexcept {
    static const LeadRanges ranges = MakeRanges(Leads());
    return ranges;
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
