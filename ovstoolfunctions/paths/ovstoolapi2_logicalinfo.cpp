// The information items of a logical path: reading, setting, removing and clearing the block, and
// the file-name comparison that leaves the block out.
#include "ovstoollogicalpath.h"
#include "ovstoolpaths.h"

#include "logical_path_block.h"

#include <cstring>
#include <new>
#include <string>

namespace {

using namespace ovs::logical;

constexpr char kFormatItem[] = "%s=%d";
constexpr char kEmptyBlock[] = "[]";
constexpr char kOpenBlockEnd[] = "]\\";

// Copied as strncpy does: at most size bytes, the rest of the buffer zeros.
void CopyPadded(LPSTR out, DWORD size, const std::string& text) {
    const size_t length = text.size() < size ? text.size() : size;
    std::memcpy(out, text.data(), length);
    std::memset(out + length, 0, size - length);
}

std::string WithColonsAsSeparators(const char* text) {
    std::string result(text);
    for (char& c : result) {
        if (c == kDriveColon) {
            c = kItemSeparator;
        }
    }
    return result;
}

std::string ItemText(const char* key, int value) {
    std::string item(std::strlen(key) + 16, '\0');
    const int length = _snprintf(item.data(), item.size(), kFormatItem, key, value);
    item.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return item;
}

std::string SetItem(const char* path, const char* key, int value) {
    const char* input = path[0] == kOpen ? path + 1 : path;
    const Brackets brackets = FindBrackets(input);
    std::string out(1, kOpen);
    size_t rest = 0;
    const size_t item = brackets.close != npos ? FindItem(input, 0, brackets.close, key) : npos;
    if (item != npos) {
        out.append(input, item);
        if (item > 0 && input[item - 1] != kOpen && input[item - 1] != kItemSeparator) {
            out += kItemSeparator;
        }
        rest = ValueEnd(input, item + std::strlen(key) + 1);
    }
    out += ItemText(key, value);
    const char next = input[rest];
    if (brackets.close == npos) {
        out += kOpenBlockEnd; // an ordinary path: the item opens a fresh block
    } else if (next != kClose && next != kItemSeparator) {
        out += kItemSeparator; // the new item goes in front of the existing ones
    }
    out += WithColonsAsSeparators(input + rest);
    return out;
}

} // namespace

HRESULT Tool_GetInfoFromLogicalPathInt(LPCSTR szPath, LPCSTR szKey, int* pnValue) {
    if (szPath == nullptr || szKey == nullptr || pnValue == nullptr) {
        return E_INVALIDARG;
    }
    try {
        int value = 0;
        if (!ReadItem(szPath, szKey, value)) {
            return E_FAIL;
        }
        *pnValue = value;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Tool_SetInfoToLogicalPathInt(LPCSTR szPath, LPCSTR szKey, int nValue, LPSTR szOut, DWORD dwOutSize) {
    if (szPath == nullptr || szKey == nullptr || szOut == nullptr) {
        return E_INVALIDARG;
    }
    try {
        const std::string result = SetItem(szPath, szKey, nValue);
        if (result.size() >= dwOutSize) {
            if (dwOutSize > 0) {
                std::memset(szOut, 0, dwOutSize);
            }
            return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        }
        CopyPadded(szOut, dwOutSize, result);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

namespace {

// The path after its block (all of it when it has none), rewritten by compose and copied to the
// caller's buffer; a block that closes before it opens is refused.
template <typename Compose>
HRESULT RewriteAfterBlock(LPCSTR szPath, LPSTR szOut, DWORD dwOutSize, Compose compose) {
    if (szPath == nullptr || (szOut == nullptr && dwOutSize > 0)) {
        return E_INVALIDARG;
    }
    const Brackets brackets = FindBrackets(szPath);
    if (brackets.closeBeforeOpen()) {
        return E_FAIL;
    }
    try {
        CopyPadded(szOut, dwOutSize, compose(brackets.close != npos ? szPath + brackets.close + 1 : szPath));
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace

HRESULT Tool_RemoveInfoOfLogicalPath(LPCSTR szPath, LPSTR szOut, DWORD dwOutSize) {
    return RewriteAfterBlock(szPath, szOut, dwOutSize, [](const char* rest) {
        std::string result(rest);
        const size_t separator = result.find(kItemSeparator);
        if (separator != std::string::npos) {
            result[separator] = kDriveColon;
            if (!result.empty() && result[0] == kPathSeparator) {
                result.erase(0, 1);
            }
        }
        return result;
    });
}

HRESULT Tool_ClearInfoOfLogicalPath(LPCSTR szPath, LPSTR szOut, DWORD dwOutSize) {
    return RewriteAfterBlock(szPath, szOut, dwOutSize,
                             [](const char* rest) { return std::string(kEmptyBlock) + rest; });
}

namespace {

// Fields 3, 17 and 18 of a logical path count only for an older version of the data file.
bool VersionField(size_t field) {
    return field == 3 || field == 17 || field == 18;
}

std::string ComparisonKey(const char* path, bool withVersionFields) {
    const std::vector<std::string> fields = SplitFields(path);
    std::string key;
    for (size_t i = 1; i < fields.size(); ++i) {
        key += kPathSeparator;
        if (!VersionField(i) || withVersionFields) {
            key += fields[i];
        }
    }
    return key;
}

} // namespace

int Tool_CompareFileName(LPCSTR szA, LPCSTR szB) {
    if (szA == nullptr || szB == nullptr) {
        return szA == szB ? 0 : (szA == nullptr ? -1 : 1);
    }
    if (!Tool_IsLogicalPath(szA) || !Tool_IsLogicalPath(szB)) {
        return lstrcmpiA(szA, szB);
    }
    try {
        int oldVersion = 0;
        const bool withVersionFields = ReadItem(szA, OVS_LOGICAL_PATH_OLD_VERSION_KEY, oldVersion);
        return lstrcmpiA(ComparisonKey(szA, withVersionFields).c_str(),
                         ComparisonKey(szB, withVersionFields).c_str());
    } catch (const std::bad_alloc&) {
        return lstrcmpiA(szA, szB);
    }
}
