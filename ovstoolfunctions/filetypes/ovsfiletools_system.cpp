// System files and system numbers.
#include "ovstoolfiletypes.h"

#include "file_type_table.h"
#include "ovsreg.h"
#include "unique_resource.h"

#include <mbstring.h>

#include <climits>
#include <cstring>

namespace {

constexpr char kPathKey[] = "Path";
constexpr char kSysPath[] = "Sys Path";
constexpr char kDefaultSysPath[] = "\\Orvantiscope\\System";

} // namespace

BOOL Tool_IsOVSSystemFile(LPCSTR szPath) {
    if (szPath == nullptr) {
        return FALSE;
    }
    char folder[MAX_PATH];
    Tool_GetRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, kPathKey, kSysPath, kDefaultSysPath, folder,
                           sizeof(folder));
    const size_t length = std::strlen(folder);
    if (std::strlen(szPath) < length) {
        return FALSE;
    }
    return _mbsnbicmp(reinterpret_cast<const unsigned char*>(szPath),
                      reinterpret_cast<const unsigned char*>(folder), length) == 0;
}

int Tool_GetSystemID(LPCSTR szText) {
    if (szText == nullptr) {
        return 0;
    }
    const size_t length = std::strlen(szText);
    size_t first = length;
    while (first > 0 && szText[first - 1] >= '0' && szText[first - 1] <= '9') {
        --first;
    }
    long long number = 0;
    for (size_t i = first; i < length; ++i) {
        number = number * 10 + (szText[i] - '0');
        if (number > INT_MAX) {
            return 0; // more digits than a number holds
        }
    }
    return static_cast<int>(number);
}

HRESULT Tool_RetrieveSystemIDFromFileObject(IOVSDataFileDocument* pDocument, long* pnSystemNumber) {
    if (pDocument == nullptr || pnSystemNumber == nullptr) {
        return E_INVALIDARG;
    }
    ovs::com_ptr<IOVSFilePropertySection> section;
    HRESULT hr = pDocument->GetSection(IID_IOVSFilePropertySection, section.put_void());
    if (FAILED(hr)) {
        return hr;
    }
    if (!section) {
        return E_FAIL;
    }
    BYTE record[OVS_FILERECORD_SIZE] = {};
    hr = section->GetFileRecord(record);
    if (FAILED(hr)) {
        return hr;
    }
    LONG stored = 0;
    std::memcpy(&stored, record + OVS_FILERECORD_SYSTEM_OFFSET, sizeof(stored));
    if (stored == 0) {
        *pnSystemNumber = 1;
        return S_FALSE;
    }
    *pnSystemNumber = stored;
    return hr;
}

HRESULT Tool_RetrieveSystemIDFromDataFile(LPCSTR szPath, long* pnSystemNumber) {
    if (pnSystemNumber == nullptr) {
        return E_INVALIDARG;
    }
    *pnSystemNumber = 0;
    const CLSID* dataFileClass = Tool_GetCLSIDFromFileType(ovs::filetypes::kCategoryData);
    ovs::com_ptr<IOVSDataFileDocument> document;
    HRESULT hr = CoCreateInstance(*dataFileClass, nullptr, CLSCTX_INPROC_SERVER, IID_IOVSDataFileDocument,
                                  document.put_void());
    if (FAILED(hr)) {
        return hr;
    }
    hr = document->Open(szPath, 1, 0, 0, 0);
    if (FAILED(hr)) {
        return hr;
    }
    return Tool_RetrieveSystemIDFromFileObject(document.get(), pnSystemNumber);
}
