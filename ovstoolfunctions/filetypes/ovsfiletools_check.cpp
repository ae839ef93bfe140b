// Classification of a file on disk into a file kind: compound documents by their streams and file
// properties, older flat files by extension and first bytes.
#include "ovstoolfiletypes.h"
#include "ovstoolproducts.h"

#include "callframe.h"
#include "file_type_table.h"
#include "unique_resource.h"

#include <cstdio>
#include <string>

namespace {

using ovs::com_ptr;
using ovs::filetypes::CategoryOf;

constexpr char kFunction[] = "Tool_CheckFileType";
constexpr char kNoCompoundFile[] = "Tool_CheckFileType[1] %08x : %s";
constexpr char kNoFileProperty[] = "Tool_CheckFileType[2] %08x : %s";
constexpr char kNoDocumentFile[] = "Tool_CheckFileType[3] %08x : %s";

constexpr wchar_t kContents[] = L"Contents";
constexpr wchar_t kChromHeader[] = L"Chrom Header";
constexpr wchar_t kDetectorTraceHandler[] = L"Detector Trace Handler";
constexpr wchar_t k3DData[] = L"3D Data";
constexpr wchar_t kFileProperty[] = L"File Property";

constexpr int kNotRecognised = 16;

struct PropertyKind {
    DWORD typeNumber;
    int kind;
};

constexpr PropertyKind kPropertyKinds[] = {
    {31, 20}, {32, 21}, {34, 22}, {11, 23}, {111, 23}, {12, 24}, {112, 24}, {114, 25}, {33, 33}, {13, 34},
};

void ReportError(int line, LPCSTR format, HRESULT hr, LPCSTR path) {
    char text[1024];
    std::snprintf(text, sizeof(text), format, static_cast<unsigned>(hr), path);
    ::ovs::frame::Dump(__FILE__, line, OVS_DBG_WRN, "strError", "%s", text);
}

bool HasStream(IStorage* storage, const wchar_t* name) {
    com_ptr<IStream> stream;
    return SUCCEEDED(storage->OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put()));
}

int ContentKind(IStorage* storage) {
    if (storage == nullptr || !HasStream(storage, kContents)) {
        return kNotRecognised;
    }
    if (!HasStream(storage, kChromHeader)) {
        return 13;
    }
    return HasStream(storage, kDetectorTraceHandler) || HasStream(storage, k3DData) ? 14 : kNotRecognised;
}

// Kind and result of a compound file by its file properties.
HRESULT ClassifyByFileProperty(IStorage* storage, LPCSTR path, int* kind) {
    com_ptr<IStream> stream;
    const HRESULT opened =
        storage->OpenStream(kFileProperty, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put());
    if (SUCCEEDED(opened)) {
        DWORD typeNumber = 0;
        ULONG read = 0;
        if (SUCCEEDED(stream->Read(&typeNumber, sizeof(typeNumber), &read)) && read == sizeof(typeNumber)) {
            for (const PropertyKind& entry : kPropertyKinds) {
                if (entry.typeNumber == typeNumber) {
                    *kind = entry.kind;
                    return S_FALSE;
                }
            }
        }
        return opened;
    }
    if (opened != STG_E_FILENOTFOUND) {
        return S_OK;
    }
    const long code = ovs::filetypes::FileTypeOfPath(path);
    const long category = CategoryOf(code);
    if (category == ovs::filetypes::kCategoryMethod || category == ovs::filetypes::kCategoryBatch ||
        category == ovs::filetypes::kCategoryData) {
        ReportError(__LINE__, kNoFileProperty, opened, path);
        return OVS_E_NOT_DOCUMENT_FILE;
    }
    *kind = code == 0x08000028 ? 31 : (code == 0x08000086 || code == 0x00000086) ? 32 : 15;
    return S_FALSE;
}

// The first two bytes of a file; bytes it lacks, or cannot give, are 0.
void ReadFirstBytes(LPCSTR path, unsigned char bytes[2]) {
    bytes[0] = bytes[1] = 0;
    ovs::unique_hfile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD read = 0;
    if (file) {
        ReadFile(file.get(), bytes, 2, &read, nullptr);
    }
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Kind of an older flat file by its extension (with its period) and first bytes.
int FlatKind(const std::string& extension, const unsigned char first[2], bool gc) {
    const auto at = [&](size_t i) { return i < extension.size() ? Upper(extension[i]) : '\0'; };
    const auto starts = [&](const char* two) { return first[0] == two[0] && first[1] == two[1]; };
    switch (at(1)) {
        case 'C':
            if (at(2) == 'D' && at(3) == 'F') {
                return 17;
            }
            return first[0] == 'r' ? (gc ? 28 : 3) : kNotRecognised;
        case 'D':
            if (starts("dC")) {
                return gc ? 26 : 1;
            }
            return first[0] == 'D' ? 9 : 30;
        case 'F':
            return 8;
        case 'G':
            return at(2) == 'M' && at(3) == 'T' ? 19 : kNotRecognised;
        case 'K':
            return starts("dM") ? 2 : kNotRecognised;
        case 'M':
            if (starts("M0")) {
                return gc ? 27 : 0;
            }
            return extension.size() == 4 && at(2) == 'E' && at(3) == 'T' ? 29 : kNotRecognised;
        case 'R':
            if (starts("R3")) {
                return 4;
            }
            return at(2) == 'F' && at(3) == 'R' && starts("RS") ? 7 : kNotRecognised;
        case 'S':
            return starts("RS") ? 6 : starts("RL") ? 5 : kNotRecognised;
        default:
            return kNotRecognised;
    }
}

HRESULT ClassifyFlatFile(LPCSTR path, HRESULT openFailure, int* kind) {
    const long category = CategoryOf(ovs::filetypes::FileTypeOfPath(path));
    if (category == ovs::filetypes::kCategoryMethod || category == ovs::filetypes::kCategoryBatch ||
        category == ovs::filetypes::kCategoryData) {
        ReportError(__LINE__, kNoDocumentFile, openFailure, path);
        return OVS_E_NOT_DOCUMENT_FILE;
    }
    unsigned char first[2];
    ReadFirstBytes(path, first);
    *kind = FlatKind(ovs::filetypes::ExtensionOf(path), first, Tool_GetDefaultSolutionType() == 2);
    return S_FALSE;
}

} // namespace

HRESULT Tool_CheckFileType(LPCSTR szPath, int* pnKind) {
    if (pnKind != nullptr) {
        *pnKind = kNotRecognised;
    }
    OVS_REQUIRE_ARG(kFunction, szPath != nullptr, E_INVALIDARG);
    OVS_REQUIRE_ARG(kFunction, pnKind != nullptr, E_INVALIDARG);

    const std::wstring wide = ovs::filetypes::WidePath(szPath);
    com_ptr<IStorage> storage;
    HRESULT hr =
        StgOpenStorage(wide.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, storage.put());
    if (FAILED(hr)) {
        hr = StgOpenStorage(wide.c_str(), nullptr, STGM_READ | STGM_TRANSACTED | STGM_SHARE_DENY_NONE,
                            nullptr, 0, storage.put());
        if (FAILED(hr)) {
            ReportError(__LINE__, kNoCompoundFile, hr, szPath);
            return ClassifyFlatFile(szPath, hr, pnKind);
        }
    }
    *pnKind = ContentKind(storage.get());
    if (*pnKind != kNotRecognised) {
        return S_FALSE;
    }
    return ClassifyByFileProperty(storage.get(), szPath, pnKind);
}
