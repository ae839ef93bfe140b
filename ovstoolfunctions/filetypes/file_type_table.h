// The file type table: each document kind's code and the resource number of its extension text.
#pragma once

#include <afxstr.h>
#include <objbase.h>

#include <string>

namespace ovs::filetypes {

struct FileTypeRow {
    long code;
    UINT extensionText;
};

// The rows in table order; the order decides ties.
extern const FileTypeRow kFileTypeRows[25];

inline constexpr long kCategoryMethod = 0x01000000;
inline constexpr long kCategoryBatch = 0x02000000;
inline constexpr long kCategoryReport = 0x03000000;
inline constexpr long kCategoryData = 0x04000000;

inline long CategoryOf(long code) {
    return static_cast<long>(static_cast<unsigned long>(code) & 0xFF000000UL);
}

// The extension of the path's file name with its period ("" when it has none), found without
// reading past the file name.
std::string ExtensionOf(LPCSTR path);
// The code of the path's extension (0 for none).
long FileTypeOfPath(LPCSTR path);
// The path as wide text in the thread's code page.
std::wstring WidePath(LPCSTR path);

} // namespace ovs::filetypes
