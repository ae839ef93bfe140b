#include "ovstoolfiletypes.h"
#include "ovstoolproducts.h"

#include "caller_buffer.h"
#include "file_type_table.h"
#include "solution_state.h"

#include <ovsres.h>

#include <mbstring.h>

#include <cstring>

namespace ovs::filetypes {

const FileTypeRow kFileTypeRows[25] = {
    {0x0600000D, 16694}, {0x05000010, 16391}, {0x0400006F, 16398}, {0x01000070, 16405}, {0x02000072, 16404},
    {0x03000073, 16406}, {0x0400001F, 16385}, {0x01000020, 16386}, {0x06000021, 16401}, {0x02000022, 16388},
    {0x03000023, 16387}, {0x00000027, 16499}, {0x05000024, 16390}, {0x0700003E, 16525}, {0x0300003F, 16414},
    {0x00000033, 16400}, {0x00000034, 16502}, {0x08000028, 16507}, {0x08000086, 16509}, {0x09000026, 16672},
    {0x00000086, 16512}, {0x02000000, 16681}, {0x0C000040, 16684}, {0x0C000041, 16685}, {0x05000042, 16415},
};

std::string ExtensionOf(LPCSTR path) {
    const auto* text = reinterpret_cast<const unsigned char*>(path);
    const unsigned char* period = nullptr;
    for (const unsigned char* c = text; *c != '\0'; c = _mbsinc(c)) {
        if (*c == '\\' || *c == '/' || *c == ':') {
            period = nullptr; // a period of a folder name is no extension
        } else if (*c == '.') {
            period = c;
        }
    }
    return period != nullptr ? std::string(reinterpret_cast<const char*>(period)) : std::string();
}

long FileTypeOfPath(LPCSTR path) {
    const std::string extension = ExtensionOf(path);
    return extension.empty() ? 0 : Tool_GetFileType(extension.c_str() + 1);
}

std::wstring WidePath(LPCSTR path) {
    const int length = MultiByteToWideChar(CP_THREAD_ACP, 0, path, -1, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, path, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

} // namespace ovs::filetypes

namespace {

using ovs::filetypes::kFileTypeRows;

// The extension text of a table row, from the resource text module.
CString ExtensionText(UINT id) {
    CString text;
    RES_LoadString(id, text, 1);
    return text;
}

// The bytes of at most maxChars characters of text, never splitting a double-byte character.
size_t CharactersToBytes(const CString& text, int maxChars) {
    const auto* begin = reinterpret_cast<const unsigned char*>(text.GetString());
    const unsigned char* c = begin;
    for (int i = 0; i < maxChars && *c != '\0'; ++i) {
        c = _mbsinc(c);
    }
    return static_cast<size_t>(c - begin);
}

struct CategoryClass {
    long category;
    CLSID clsid;
};

const CategoryClass kDocumentClasses[] = {
    {0x01000000, {0xC4A6CA30, 0x1E1C, 0x48E5, {0xB6, 0xCF, 0x2B, 0xDD, 0x3A, 0x02, 0xF6, 0x3C}}},
    {0x02000000, {0x9B089971, 0xE89A, 0x4709, {0xB5, 0x78, 0x05, 0x31, 0x34, 0xCE, 0xBE, 0x78}}},
    {0x04000000, {0xE5ADD49C, 0xF0F9, 0x4D3F, {0x96, 0x6E, 0x7E, 0xA8, 0x77, 0xBE, 0x15, 0xAF}}},
    {0x06000000, {0x77C38237, 0x7695, 0x4EE5, {0x95, 0x37, 0x61, 0x46, 0xBA, 0x94, 0x06, 0x63}}},
    {0x08000000, {0xC016B7A8, 0x2F72, 0x439B, {0x84, 0x2C, 0x17, 0xF0, 0x95, 0xE1, 0xF2, 0x0B}}},
    {0x09000000, {0x64A1869A, 0x2899, 0x4552, {0x84, 0x79, 0xE4, 0x6A, 0xDF, 0xEE, 0x13, 0x74}}},
};

struct CodeSolution {
    long code;
    long solution;
};

// Every code with a solution type; a longer list than the file type table.
constexpr CodeSolution kCodeSolutions[] = {
    {0x0600000D, 3}, {0x0400000B, 3}, {0x0100000C, 3}, {0x0200000E, 3}, {0x0300000F, 3}, {0x0400001F, 0},
    {0x01000020, 0}, {0x06000021, 0}, {0x02000022, 0}, {0x03000023, 0}, {0x00000027, 0}, {0x0100002A, 0},
    {0x0200002C, 0}, {0x05000024, 0}, {0x05000025, 0}, {0x08000028, 0}, {0x09000026, 0}, {0x0400006F, 2},
    {0x04000074, 2}, {0x04000078, 2}, {0x0400007A, 2}, {0x04000082, 2}, {0x04000085, 2}, {0x01000070, 2},
    {0x01000079, 2}, {0x01000084, 2}, {0x02000072, 2}, {0x03000073, 2}, {0x08000086, 2},
};

struct InstrumentSolution {
    const char* name;
    long solution;
};

constexpr InstrumentSolution kInstrumentSolutions[] = {
    {"LC", 0},      {"ICF-LC", 0}, {"Thermo-LC", 0}, {"Zeridi-LC", 0}, {"Hitachi-LC", 0},
    {"LCMS-VX", 1}, {"GC", 2},     {"ICF-GC", 2},    {"Thermo-GC", 2}, {"GCMS", 3},
};

} // namespace

int Tool_GetFileExtension(long nFileType, LPSTR szBuffer, int nMaxChars) {
    if (szBuffer == nullptr) {
        return 0;
    }
    for (const auto& row : kFileTypeRows) {
        if (row.code == nFileType) {
            const CString text = ExtensionText(row.extensionText);
            const size_t bytes = CharactersToBytes(text, nMaxChars);
            std::memcpy(szBuffer, text.GetString(), bytes);
            szBuffer[bytes] = '\0';
            return static_cast<int>(bytes);
        }
    }
    return 0;
}

long Tool_GetFileType(LPCSTR szExtension) {
    if (szExtension == nullptr || *szExtension == '\0') {
        return 0;
    }
    for (const auto& row : kFileTypeRows) {
        char text[256];
        ovs::CopyToBuffer(text, sizeof(text), ExtensionText(row.extensionText));
        if (_mbsicmp(reinterpret_cast<const unsigned char*>(text),
                     reinterpret_cast<const unsigned char*>(szExtension)) == 0) {
            return row.code;
        }
    }
    return 0;
}

const CLSID* Tool_GetCLSIDFromFileType(long nCategory) {
    for (const CategoryClass& entry : kDocumentClasses) {
        if (entry.category == nCategory) {
            return &entry.clsid;
        }
    }
    return nullptr;
}

long Tool_FileTypeToSolutionType(long nFileType) {
    for (const CodeSolution& entry : kCodeSolutions) {
        if (entry.code == nFileType) {
            return entry.solution;
        }
    }
    return -1;
}

long Tool_InstrumentTypeToSolutionType(LPCSTR szInstrumentType) {
    if (szInstrumentType != nullptr) {
        for (const InstrumentSolution& entry : kInstrumentSolutions) {
            if (std::strcmp(entry.name, szInstrumentType) == 0) {
                return entry.solution;
            }
        }
    }
    return -1;
}

int Tool_GetFileExtensionType() {
    const long solution = Tool_GetAppSolutionType(0);
    return solution == 2 || solution == 3 ? 1 : 0;
}

int Tool_GetFileFilterType() {
    return ovs::products::Solution().fileFilterType;
}
