#include "path_elements.h"
#include "path_join.h"
#include "ovstooldbgreport.h"

#include <climits>
#include <cstring>

namespace ovs::paths {

namespace {

constexpr char kTooLongPath[] = "Too Long FilePath : %s";
constexpr char kUnconvertiblePath[] = "Unconvertible FilePath : %s";
constexpr char kInvalidFilenameChars[] = "\\/:*?<>|\"";

bool IsSingleByteAt(std::string_view text, size_t i) {
    return NextChar(text, i) == i + 1;
}

} // namespace

size_t FindChar(std::string_view text, char c, size_t from) {
    for (size_t i = from; i < text.size(); i = NextChar(text, i)) {
        if (text[i] == c && IsSingleByteAt(text, i)) {
            return i;
        }
    }
    return std::string_view::npos;
}

size_t FindLastChar(std::string_view text, char c) {
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < text.size(); i = NextChar(text, i)) {
        if (text[i] == c && IsSingleByteAt(text, i)) {
            found = i;
        }
    }
    return found;
}

size_t FindLastSeparator(std::string_view text) {
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < text.size(); i = NextChar(text, i)) {
        if (IsSeparator(text[i]) && IsSingleByteAt(text, i)) {
            found = i;
        }
    }
    return found;
}

bool IsLogicalPath(std::string_view text) {
    if (text.empty() || text[0] != '[') {
        return false;
    }
    const size_t close = FindChar(text, ']', 1);
    return close != std::string_view::npos && close + 1 < text.size() && text[close + 1] == '\\';
}

bool ConvertsToWide(std::string_view text) {
    if (text.empty()) {
        return true;
    }
    if (text.size() > static_cast<size_t>(INT_MAX)) {
        return false;
    }
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                               nullptr, 0) > 0;
}

std::wstring ToWide(std::string_view text) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) {
        return std::wstring();
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
    return wide;
}

std::string ToNarrow(std::wstring_view text) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX / 2)) {
        return std::string();
    }
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::string();
    }
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::string WithBackslashes(std::string_view text) {
    std::string result(text);
    for (size_t i = 0; i < result.size(); i = NextChar(result, i)) {
        if (result[i] == '/') {
            result[i] = '\\';
        }
    }
    return result;
}

std::string JoinElement(const std::string& a, std::string_view b) {
    return JoinPath(a, WithBackslashes(b));
}

Elements SplitElements(std::string_view path) {
    Elements elements;
    size_t i = 0;
    // Root name: a network name after two separators, else everything up to the first ":".
    if (path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2])) {
        i = 2;
        while (i < path.size() && !(IsSeparator(path[i]) && IsSingleByteAt(path, i))) {
            i = NextChar(path, i);
        }
        elements.rootName = WithBackslashes(path.substr(0, i));
    } else if (const size_t colon = FindChar(path, ':'); colon != std::string_view::npos) {
        i = colon + 1;
        elements.rootName = WithBackslashes(path.substr(0, i));
    }
    if (i < path.size() && IsSeparator(path[i])) {
        elements.rootDirectory = true;
        ++i;
    }
    elements.rootEnd = i;
    // Names between separators; a run of separators counts as one.
    while (i < path.size()) {
        if (IsSeparator(path[i])) {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < path.size() && !(IsSeparator(path[i]) && IsSingleByteAt(path, i))) {
            i = NextChar(path, i);
        }
        elements.names.emplace_back(path.substr(start, i - start));
        elements.nameStarts.push_back(start);
        if (i < path.size()) {
            // A separator follows this name: when only separators are left, the path ends in ".".
            size_t rest = i;
            while (rest < path.size() && IsSeparator(path[rest])) {
                ++rest;
            }
            if (rest == path.size()) {
                elements.names.emplace_back(".");
                elements.nameStarts.push_back(path.size());
                break;
            }
        }
    }
    return elements;
}

std::string FileName(const Elements& elements) {
    return elements.names.empty() ? std::string() : elements.names.back();
}

std::string DirectoryPart(const Elements& elements) {
    std::string result = elements.rootName;
    if (elements.rootDirectory) {
        result = JoinElement(result, "\\");
    }
    for (size_t n = 0; n + 1 < elements.names.size(); ++n) {
        result = JoinElement(result, elements.names[n]);
    }
    return result;
}

std::string Extension(std::string_view fileName) {
    if (fileName == "." || fileName == "..") {
        return std::string();
    }
    const size_t dot = FindLastChar(fileName, '.');
    return dot == std::string_view::npos ? std::string() : std::string(fileName.substr(dot));
}

std::string Stem(std::string_view fileName) {
    return std::string(fileName.substr(0, fileName.size() - Extension(fileName).size()));
}

bool IsInvalidFilenameChar(char c) {
    return c != '\0' && std::strchr(kInvalidFilenameChars, c) != nullptr;
}

std::string ReplaceInvalidChars(std::string_view text, LPCSTR kept, char replacement) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t next = NextChar(text, i);
        const char c = text[i];
        if (next == i + 1 && IsInvalidFilenameChar(c) && std::strchr(kept, c) == nullptr) {
            if (replacement != '\0') {
                result += replacement;
            }
        } else {
            result.append(text.substr(i, next - i));
        }
        i = next;
    }
    return result;
}

Refusal CheckElementPath(std::string_view path) {
    if (path.size() >= kElementPathLimit) {
        return Refusal::tooLong;
    }
    return ConvertsToWide(path) ? Refusal::none : Refusal::notConvertible;
}

void ReportRefusal(LPCSTR file, int line, Refusal refusal, LPCSTR path) {
    if (refusal == Refusal::tooLong) {
        Tool_DbgReport(file, line, OVS_DBG_ERR, kTooLongPath, path);
    } else if (refusal == Refusal::notConvertible) {
        Tool_DbgReport(file, line, OVS_DBG_ERR, kUnconvertiblePath, path);
    }
}

} // namespace ovs::paths
