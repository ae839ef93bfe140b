// The composite string of system check settings and its elements.
//
// Scans go byte by byte: the characters that matter here ("<", ">", "=", blank, double quote) lie
// below 0x40, where no trail byte of a double-byte code page falls.
#include "ovstoolsyscheck.h"

#include <string_view>

namespace {

constexpr char kBlank = ' ';
constexpr char kQuote = '"';
constexpr char kEmptyValue[] = "\"\"";
constexpr char kNumberFormat[] = "%d";
constexpr char kNameDelimiters[] = " ";
constexpr char kOptionDelimiters[] = " =";
constexpr char kInvalidNameCharacters[] = " =\"";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlank);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

std::string_view TrimLeft(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlank);
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// The first of the delimiters outside double quotes (each quote opens or closes), or npos.
size_t FindOutsideQuotes(std::string_view text, std::string_view delimiters) {
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == kQuote) {
            quoted = !quoted;
        } else if (!quoted && delimiters.find(text[i]) != std::string_view::npos) {
            return i;
        }
    }
    return std::string_view::npos;
}

// The text up to the delimiter at `end` (all of it for npos); `rest` continues after the delimiter.
std::string_view TakeUntil(std::string_view text, size_t end, std::string_view& rest) {
    rest = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return text.substr(0, end);
}

bool IsValidWord(std::string_view word) {
    const std::string_view trimmed = Trim(word);
    return !trimmed.empty() && trimmed.find_first_of(kInvalidNameCharacters) == std::string_view::npos;
}

CString ToText(std::string_view text) {
    return CString(text.data(), static_cast<int>(text.size()));
}

std::string_view View(LPCSTR text) {
    return text != nullptr ? std::string_view(text) : std::string_view();
}

} // namespace

CSysChkCompoStr::CSysChkCompoStr(LPCSTR szName) {
    SetName(szName);
}

bool CSysChkCompoStr::IsValidName(LPCSTR szName) {
    return IsValidWord(View(szName));
}

BOOL CSysChkCompoStr::SetName(LPCSTR szName) {
    if (!IsValidName(szName)) {
        return FALSE;
    }
    m_name = ToText(Trim(szName));
    return TRUE;
}

int CSysChkCompoStr::SetOption(LPCSTR szKey, LPCSTR szValue) {
    if (!IsValidWord(View(szKey))) {
        return -1;
    }
    const CString key = ToText(Trim(szKey));
    const std::string_view trimmedValue = Trim(View(szValue));
    const CString value = trimmedValue.empty() ? CString(kEmptyValue) : ToText(trimmedValue);
    const int index = FindOption(key);
    if (index >= 0) {
        m_options[static_cast<size_t>(index)].second = value;
        return 1;
    }
    m_options.emplace_back(key, value);
    return 0;
}

int CSysChkCompoStr::SetOption(LPCSTR szKey, int nValue) {
    CString value;
    value.Format(kNumberFormat, nValue);
    return SetOption(szKey, value);
}

int CSysChkCompoStr::FindOption(LPCSTR szKey) const {
    const std::string_view key = View(szKey);
    for (size_t i = 0; i < m_options.size(); ++i) {
        if (key == m_options[i].first.GetString()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

BOOL CSysChkCompoStr::GetOption(LPCSTR szKey, CString& strValue) const {
    const int index = FindOption(szKey);
    if (index < 0) {
        return FALSE;
    }
    strValue = m_options[static_cast<size_t>(index)].second;
    return TRUE;
}

BOOL CSysChkCompoStr::RemoveOption(LPCSTR szKey) {
    const int index = FindOption(szKey);
    if (index < 0) {
        return FALSE;
    }
    m_options.erase(m_options.begin() + index);
    return TRUE;
}

CString CSysChkCompoStr::GetOptionKey(int nIndex) const {
    return nIndex >= 0 && nIndex < GetOptionCount() ? m_options[static_cast<size_t>(nIndex)].first
                                                    : CString();
}

CString CSysChkCompoStr::GetOptionValue(int nIndex) const {
    return nIndex >= 0 && nIndex < GetOptionCount() ? m_options[static_cast<size_t>(nIndex)].second
                                                    : CString();
}

// The name runs to the first blank outside quotes; then each key runs to a blank or "=" and its
// value to the next one. A blank before "=" therefore leaves the key with an empty value.
BOOL CSysChkCompoStr::Parse(LPCSTR szElement) {
    const std::string_view element = Trim(View(szElement));
    if (element.size() < 2 || element.front() != '<' || element.back() != '>') {
        return FALSE;
    }
    const std::string_view inner = Trim(element.substr(1, element.size() - 2));
    std::string_view rest;
    const std::string_view name = TakeUntil(inner, FindOutsideQuotes(inner, kNameDelimiters), rest);
    if (!IsValidWord(name)) {
        return FALSE;
    }
    CSysChkCompoStr parsed(ToText(name));
    for (rest = TrimLeft(rest); !rest.empty(); rest = TrimLeft(rest)) {
        const std::string_view key = TakeUntil(rest, FindOutsideQuotes(rest, kOptionDelimiters), rest);
        const std::string_view value = TakeUntil(rest, FindOutsideQuotes(rest, kOptionDelimiters), rest);
        parsed.SetOption(ToText(key), ToText(value)); // an invalid key is left out
    }
    *this = std::move(parsed);
    return TRUE;
}

CString CSysChkCompoStr::GetString() const {
    CString text;
    if (m_name.IsEmpty()) {
        return text;
    }
    text += '<';
    text += m_name;
    text += kBlank;
    for (size_t i = 0; i < m_options.size(); ++i) {
        if (i > 0) {
            text += kBlank;
        }
        text += m_options[i].first;
        text += '=';
        text += m_options[i].second;
    }
    text += '>';
    return text;
}

int CSysChkString::Parse(LPCSTR szText) {
    m_elements.clear();
    std::string_view rest = View(szText);
    int count = 0;
    for (;;) {
        const size_t open = FindOutsideQuotes(rest, "<");
        const size_t close = FindOutsideQuotes(rest, ">");
        if (open == std::string_view::npos || close == std::string_view::npos) {
            break;
        }
        const std::string_view element =
            close > open ? rest.substr(open, close - open + 1) : std::string_view();
        rest = rest.substr(close + 1);
        CSysChkCompoStr parsed;
        if (!element.empty() && parsed.Parse(ToText(element))) {
            Add(parsed);
            ++count;
        }
    }
    return count;
}

int CSysChkString::Find(LPCSTR szName) const {
    const std::string_view name = View(szName);
    for (size_t i = 0; i < m_elements.size(); ++i) {
        if (name == m_elements[i].GetName().GetString()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

BOOL CSysChkString::Remove(LPCSTR szName) {
    const int index = Find(szName);
    if (index < 0) {
        return FALSE;
    }
    m_elements.erase(m_elements.begin() + index);
    return TRUE;
}

void CSysChkString::Add(const CSysChkCompoStr& element) {
    const int index = Find(element.GetName());
    if (index >= 0) {
        m_elements[static_cast<size_t>(index)] = element;
    } else {
        m_elements.push_back(element);
    }
}

const CSysChkCompoStr* CSysChkString::GetAt(int nIndex) const {
    return nIndex >= 0 && nIndex < GetCount() ? &m_elements[static_cast<size_t>(nIndex)] : nullptr;
}

CSysChkCompoStr* CSysChkString::GetAt(int nIndex) {
    return nIndex >= 0 && nIndex < GetCount() ? &m_elements[static_cast<size_t>(nIndex)] : nullptr;
}

CString CSysChkString::GetString() const {
    CString text;
    for (const CSysChkCompoStr& element : m_elements) {
        text += element.GetString();
    }
    return text;
}
