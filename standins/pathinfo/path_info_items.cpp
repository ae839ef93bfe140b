// The items of the stand-in, read from the text of the logical path.
#include "path_info_standin.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace pathinfo {
namespace {

constexpr size_t kLongestShortForm = 255;

// The block's items and the fields of the path behind it (drive, folders, file).
struct Parsed {
    std::vector<std::string> items;
    std::vector<std::string> fields;
};

Parsed Parse(const char* path) {
    Parsed parsed;
    const char* rest = path;
    if (path[0] == '[') {
        const char* close = path + 1;
        while (*close != '\0' && *close != ']') {
            close = CharNextA(close);
        }
        if (*close == ']') {
            std::string item;
            for (const char* p = path + 1; p < close; ++p) {
                if (*p == '#') {
                    parsed.items.push_back(item);
                    item.clear();
                } else {
                    item += *p;
                }
            }
            if (!item.empty() || !parsed.items.empty()) {
                parsed.items.push_back(item);
            }
            rest = close + 1;
            if (*rest == '\\') {
                ++rest;
            }
        }
    }
    std::string field;
    for (const char* p = rest; *p != '\0';) {
        const char* next = CharNextA(p);
        if (next == p + 1 && *p == '\\') {
            parsed.fields.push_back(field);
            field.clear();
        } else {
            field.append(p, static_cast<size_t>(next - p));
        }
        p = next;
    }
    parsed.fields.push_back(field);
    return parsed;
}

bool ItemValue(const Parsed& parsed, const char* key, long& value) {
    const size_t keyLength = std::strlen(key);
    for (const std::string& item : parsed.items) {
        if (item.size() > keyLength && item.compare(0, keyLength, key) == 0 && item[keyLength] == '=') {
            value = std::strtol(item.c_str() + keyLength + 1, nullptr, 10);
            return true;
        }
    }
    return false;
}

// Cuts at a character boundary to at most `limit` bytes.
std::string CutAt(const std::string& text, size_t limit) {
    const char* begin = text.c_str();
    const char* p = begin;
    while (*p != '\0') {
        const char* next = CharNextA(p);
        if (static_cast<size_t>(next - begin) > limit) {
            break;
        }
        p = next;
    }
    return std::string(begin, static_cast<size_t>(p - begin));
}

} // namespace

bool ProjectName(const char* path, std::string& text) {
    const Parsed parsed = Parse(path);
    if (parsed.fields.size() < 3 || parsed.fields[1].empty()) {
        return false;
    }
    text = parsed.fields[1];
    return true;
}

bool DataSetNumber(const char* path, std::string& text) {
    long value = 0;
    if (!ItemValue(Parse(path), "DataSet", value)) {
        return false;
    }
    text = std::to_string(value);
    return true;
}

bool FileName(const char* path, bool withoutExtension, std::string& text) {
    const Parsed parsed = Parse(path);
    text = parsed.fields.back();
    if (withoutExtension) {
        const size_t dot = text.rfind('.');
        if (dot != std::string::npos) {
            text.erase(dot);
        }
    }
    return !text.empty();
}

bool OldVersion(const char* path, std::string& text) {
    long value = 0;
    if (!ItemValue(Parse(path), "OldVer", value)) {
        return false;
    }
    text = "old version " + std::to_string(value);
    return true;
}

bool OrdinaryPath(const char* path, std::string& text) {
    const Parsed parsed = Parse(path);
    text.clear();
    for (size_t i = 0; i < parsed.fields.size(); ++i) {
        if (i > 0) {
            text += '\\';
        }
        text += parsed.fields[i];
    }
    const size_t hash = text.find('#');
    if (hash != std::string::npos) {
        text[hash] = ':';
    }
    return !text.empty();
}

bool ShortForm(const char* path, std::string& text) {
    std::string project;
    std::string file;
    FileName(path, false, file);
    text = ProjectName(path, project) ? project + "\\" + file : file;
    text = CutAt(text, kLongestShortForm);
    return !text.empty();
}

LONG ItemCount(const char* path) {
    return static_cast<LONG>(Parse(path).items.size());
}

GUID Identifier(const char* path) {
    unsigned long long hash = 14695981039346656037ULL;
    for (const char* p = path; *p != '\0'; ++p) {
        hash = (hash ^ static_cast<unsigned char>(*p)) * 1099511628211ULL;
    }
    GUID guid = {};
    guid.Data1 = static_cast<unsigned long>(hash);
    guid.Data2 = static_cast<unsigned short>(hash >> 32);
    guid.Data3 = static_cast<unsigned short>(0x4000 | ((hash >> 48) & 0x0FFF));
    for (int i = 0; i < 8; ++i) {
        hash = (hash ^ static_cast<unsigned>(i)) * 1099511628211ULL;
        guid.Data4[i] = static_cast<unsigned char>(hash >> 56);
    }
    return guid;
}

LONG FileKind(const char* path) {
    std::string file;
    FileName(path, false, file);
    const size_t dot = file.rfind('.');
    if (dot == std::string::npos) {
        return 0;
    }
    const char* extension = file.c_str() + dot;
    if (lstrcmpiA(extension, ".lcd") == 0) {
        return 1;
    }
    if (lstrcmpiA(extension, ".lcm") == 0) {
        return 2;
    }
    if (lstrcmpiA(extension, ".lcb") == 0) {
        return 3;
    }
    return 0;
}

} // namespace pathinfo
