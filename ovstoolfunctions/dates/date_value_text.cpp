#include "date_value_text.h"

#include <cstring>

namespace ovs {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

} // namespace

std::string DateValueText(const FILETIME& fileTime) {
    const DWORD words[2] = {fileTime.dwLowDateTime, fileTime.dwHighDateTime};
    std::string text;
    text.reserve(kDateValueDigits);
    for (DWORD word : words) {
        for (int byte = 0; byte < 4; ++byte) {
            const unsigned value = (word >> (8 * byte)) & 0xFF;
            text.push_back(kDigits[value >> 4]);
            text.push_back(kDigits[value & 0x0F]);
        }
    }
    return text;
}

bool ParseDateValueText(const char* text, FILETIME& fileTime) {
    if (text == nullptr) {
        return false;
    }
    unsigned char bytes[kDateValueDigits / 2] = {};
    size_t pairs = 0;
    for (const char* p = text; *p != '\0'; p += 2, ++pairs) {
        // An odd count pairs the last digit with the terminator, which is no digit.
        const int high = DigitValue(p[0]);
        const int low = DigitValue(p[1]);
        if (high < 0 || low < 0) {
            return false;
        }
        if (pairs < sizeof bytes) {
            bytes[pairs] = static_cast<unsigned char>(high << 4 | low);
        }
    }
    if (pairs < sizeof bytes) {
        return false;
    }
    DWORD words[2] = {};
    for (int word = 0; word < 2; ++word) {
        for (int byte = 0; byte < 4; ++byte) {
            words[word] |= static_cast<DWORD>(bytes[word * 4 + byte]) << (8 * byte);
        }
    }
    fileTime.dwLowDateTime = words[0];
    fileTime.dwHighDateTime = words[1];
    return true;
}

} // namespace ovs
