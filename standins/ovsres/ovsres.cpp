#include "ovsres.h"

#include <map>
#include <mutex>
#include <string>

namespace {

HMODULE g_module = nullptr;

struct Overrides {
    std::mutex lock;
    std::map<UINT, std::string> texts;
};

Overrides& TheOverrides() {
    static Overrides overrides;
    return overrides;
}

bool FindOverride(UINT id, CString& text) {
    Overrides& overrides = TheOverrides();
    std::lock_guard<std::mutex> hold(overrides.lock);
    const auto found = overrides.texts.find(id);
    if (found == overrides.texts.end()) {
        return false;
    }
    text = CString(found->second.c_str(), static_cast<int>(found->second.size()));
    return true;
}

// The counted UTF-16 entry of id in the string table of one language; an empty count when the
// table lacks it.
bool FindEntry(UINT id, LANGID language, const WCHAR*& chars, int& count) {
    HRSRC block = FindResourceExW(g_module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW((id >> 4) + 1), language);
    HGLOBAL loaded = block == nullptr ? nullptr : LoadResource(g_module, block);
    const WCHAR* entry = loaded == nullptr ? nullptr : static_cast<const WCHAR*>(LockResource(loaded));
    if (entry == nullptr) {
        return false;
    }
    for (UINT i = 0; i < (id & 15); ++i) {
        entry += 1 + *entry;
    }
    if (*entry == 0) {
        return false;
    }
    count = *entry;
    chars = entry + 1;
    return true;
}

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

bool LoadFromTables(UINT id, CString& text) {
    const WCHAR* chars = nullptr;
    int count = 0;
    const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
    if (!(japanese && FindEntry(id, kJapanese, chars, count)) && !FindEntry(id, kEnglish, chars, count)) {
        return false;
    }
    const int bytes = WideCharToMultiByte(CP_ACP, 0, chars, count, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, chars, count, narrow.data(), bytes, nullptr, nullptr);
    text = CString(narrow.c_str(), bytes);
    return true;
}

} // namespace

int RES_LoadString(UINT id, CString& text, UINT /*option*/) {
    if (!FindOverride(id, text) && !LoadFromTables(id, text)) {
        text.Empty();
        return 0;
    }
    return text.GetLength();
}

void RES_SetStringOverride(UINT id, LPCSTR text) {
    Overrides& overrides = TheOverrides();
    std::lock_guard<std::mutex> hold(overrides.lock);
    if (text == nullptr) {
        overrides.texts.erase(id);
    } else {
        overrides.texts[id] = text;
    }
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
