#include "wide_text.h"

namespace ovs {

std::string NarrowText(LPCWSTR text, UINT codePage) {
    if (text == nullptr) {
        return std::string();
    }
    const int bytes = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) {
        return std::string();
    }
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text, -1, narrow.data(), bytes, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(bytes - 1));
    return narrow;
}

} // namespace ovs
