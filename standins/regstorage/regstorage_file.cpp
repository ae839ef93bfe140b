// The store file: a header line, then one line per value with its seven key fields, its kind and
// its bytes. Names are written as "-" (null) or "+" and their bytes in hexadecimal; the value's bytes
// follow ":" in hexadecimal.
#include "regstorage_store.h"
#include "unique_resource.h"

#include <sstream>

namespace regstorage {

namespace {

constexpr char kHeader[] = "OVSRegStorage 1";
constexpr char kTempSuffix[] = ".tmp";
constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string Hex(const BYTE* bytes, size_t count) {
    std::string text;
    text.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        text += kHexDigits[bytes[i] >> 4];
        text += kHexDigits[bytes[i] & 0x0F];
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool Unhex(const std::string& text, std::vector<BYTE>& bytes) {
    if (text.size() % 2 != 0) {
        return false;
    }
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes.push_back(static_cast<BYTE>(high << 4 | low));
    }
    return true;
}

std::string NameField(const std::optional<std::string>& name) {
    return name ? "+" + Hex(reinterpret_cast<const BYTE*>(name->data()), name->size()) : "-";
}

bool ParseName(const std::string& field, std::optional<std::string>& name) {
    if (field == "-") {
        name.reset();
        return true;
    }
    std::vector<BYTE> bytes;
    if (field.empty() || field[0] != '+' || !Unhex(field.substr(1), bytes)) {
        return false;
    }
    name.emplace(bytes.begin(), bytes.end());
    return true;
}

bool ParseLine(const std::string& line, Values& values) {
    std::istringstream fields(line);
    ValueKey key;
    StoredValue value;
    std::string names[3];
    std::string bytes;
    std::string extra;
    if (!(fields >> key.index1 >> key.index2 >> key.systemIndex >> key.itemId >> value.kind >> names[0] >>
          names[1] >> names[2] >> bytes) ||
        (fields >> extra)) {
        return false;
    }
    if (!ParseName(names[0], key.keyName) || !ParseName(names[1], key.subKeyName) ||
        !ParseName(names[2], key.valueName) || bytes.empty() || bytes[0] != ':' ||
        !Unhex(bytes.substr(1), value.bytes)) {
        return false;
    }
    values[std::move(key)] = std::move(value);
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& text, bool& missing) {
    ovs::unique_hfile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    missing = !file && (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND);
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > MAXDWORD) {
        return false;
    }
    text.resize(static_cast<size_t>(size.QuadPart));
    DWORD done = 0;
    return text.empty() ||
           (ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) &&
            done == text.size());
}

} // namespace

bool LoadStoreFile(const std::string& path, Values& values) {
    std::string text;
    bool missing = false;
    if (!ReadWholeFile(path, text, missing)) {
        return missing;
    }
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kHeader) {
        return false;
    }
    while (std::getline(lines, line)) {
        if (!ParseLine(line, values)) {
            return false;
        }
    }
    return true;
}

bool SaveStoreFile(const std::string& path, const Values& values) {
    std::string text = std::string(kHeader) + "\n";
    for (const auto& [key, value] : values) {
        text += std::to_string(key.index1) + " " + std::to_string(key.index2) + " " +
                std::to_string(key.systemIndex) + " " + std::to_string(key.itemId) + " " +
                std::to_string(value.kind) + " " + NameField(key.keyName) + " " + NameField(key.subKeyName) +
                " " + NameField(key.valueName) + " :" + Hex(value.bytes.data(), value.bytes.size()) + "\n";
    }
    const std::string temp = path + kTempSuffix;
    {
        ovs::unique_hfile file(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
        DWORD done = 0;
        if (!file || !WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) ||
            done != text.size() || !FlushFileBuffers(file.get())) {
            return false;
        }
    }
    return MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           FALSE;
}

} // namespace regstorage
