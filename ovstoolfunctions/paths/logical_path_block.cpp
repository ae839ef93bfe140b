// Finding the block of a logical path and the items in it.
#include "logical_path_block.h"

#include "text/dbcs_text.h"

#include <cstdlib>
#include <cstring>

namespace ovs::logical {

Brackets FindBrackets(const char* text) {
    Brackets brackets;
    const char* open = dbcs::FindChar(text, kOpen);
    const char* close = dbcs::FindChar(text, kClose);
    if (open != nullptr) {
        brackets.open = static_cast<size_t>(open - text);
    }
    if (close != nullptr) {
        brackets.close = static_cast<size_t>(close - text);
    }
    return brackets;
}

size_t FindItem(const char* text, size_t from, size_t to, const char* key) {
    const size_t keyLength = std::strlen(key);
    for (size_t p = from; p + keyLength < to; ++p) {
        const bool itemStart = p == from || text[p - 1] == kOpen || text[p - 1] == kItemSeparator;
        if (itemStart && std::strncmp(text + p, key, keyLength) == 0 && text[p + keyLength] == kAssign) {
            return p;
        }
    }
    return npos;
}

size_t ValueEnd(const char* text, size_t from) {
    size_t p = from;
    while (text[p] != '\0' && text[p] != kItemSeparator && text[p] != kClose) {
        ++p;
    }
    return p;
}

bool ReadItem(const char* text, const char* key, int& value) {
    const Brackets brackets = FindBrackets(text);
    if (brackets.open == npos || brackets.close == npos || brackets.close < brackets.open) {
        return false;
    }
    const size_t item = FindItem(text, brackets.open + 1, brackets.close, key);
    if (item == npos) {
        return false;
    }
    const size_t valueStart = item + std::strlen(key) + 1;
    const std::string digits(text + valueStart, ValueEnd(text, valueStart) - valueStart);
    value = std::atoi(digits.c_str());
    return true;
}

std::vector<std::string> SplitFields(const char* text) {
    std::vector<std::string> fields(1);
    for (const char* p = text; *p != '\0';) {
        const size_t size = dbcs::CharSize(p);
        if (size == 0) {
            break;
        }
        if (size == 1 && *p == kPathSeparator) {
            fields.emplace_back();
        } else {
            fields.back().append(p, size);
        }
        p += size;
    }
    return fields;
}

} // namespace ovs::logical
