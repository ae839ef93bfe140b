// Default sample types from the sample-type component, made for each call and released after it.
#include "ovstoolreporttext.h"
#include "unique_resource.h"

#include <objbase.h>

#include <cstring>

namespace {

struct DefaultSampleTypes {
    WORD count = 0;
    ovs::unique_cotaskmem block;
    const OVS_DEFAULTSAMPLETYPE* records() const {
        return static_cast<const OVS_DEFAULTSAMPLETYPE*>(block.get());
    }
};

// The component's list for the selector; false when the component cannot be made or fails.
bool QueryDefaultSampleTypes(LONG selector, DefaultSampleTypes& list) {
    ovs::com_ptr<IOvsDefaultSampleTypes> component;
    if (FAILED(CoCreateInstance(CLSID_OvsSampleType, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IOvsDefaultSampleTypes, component.put_void()))) {
        return false;
    }
    OVS_DEFAULTSAMPLETYPE* records = nullptr;
    WORD count = 0;
    const HRESULT hr = component->GetDefaultSampleTypes(selector, &count, &records);
    list.block.reset(records); // whatever was handed out is freed, even on failure
    list.count = SUCCEEDED(hr) && records != nullptr ? count : 0;
    return SUCCEEDED(hr);
}

} // namespace

BOOL Tool_GetDefaultSampleTypeName(WORD wTypeCode, LPSTR szName, DWORD dwSize, LONG lSelector) {
    if (szName == nullptr || dwSize == 0) {
        return FALSE;
    }
    DefaultSampleTypes list;
    if (!QueryDefaultSampleTypes(lSelector, list)) {
        return FALSE;
    }
    for (WORD i = 0; i < list.count; ++i) {
        const OVS_DEFAULTSAMPLETYPE& record = list.records()[i];
        if (record.wTypeCode == wTypeCode) {
            // The name field need not be terminated: never read past it.
            const size_t length = strnlen(record.szName, sizeof record.szName);
            const size_t copied = length < dwSize - 1 ? length : dwSize - 1;
            std::memcpy(szName, record.szName, copied);
            std::memset(szName + copied, 0, dwSize - copied);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL Tool_GetWholeDefaultSampleTypeInfo(WORD* pwCount, void** ppRecords, LONG lSelector) {
    if (pwCount != nullptr) {
        *pwCount = 0;
    }
    if (ppRecords != nullptr) {
        *ppRecords = nullptr;
    }
    DefaultSampleTypes list;
    if (pwCount == nullptr || ppRecords == nullptr || !QueryDefaultSampleTypes(lSelector, list) ||
        list.count == 0) {
        return FALSE;
    }
    const size_t bytes = sizeof(OVS_DEFAULTSAMPLETYPE) * list.count;
    void* copy = CoTaskMemAlloc(bytes);
    if (copy == nullptr) {
        return FALSE;
    }
    std::memcpy(copy, list.block.get(), bytes);
    *pwCount = list.count;
    *ppRecords = copy;
    return TRUE;
}
