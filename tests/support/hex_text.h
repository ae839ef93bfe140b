// Texts that the stand-in processes write into their receipts: bytes as hexadecimal digit pairs, and
// the identifiers they were given.
#pragma once

#include <regex>
#include <string>

namespace ovs::test {

// The bytes written as pairs of hexadecimal digits; an odd last digit is ignored.
inline std::string HexBytes(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

// A GUID in braces with upper-case digits, as the registry writes it.
inline bool IsGuidText(const std::string& text) {
    return std::regex_match(text, std::regex(R"(\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\})"));
}

} // namespace ovs::test
