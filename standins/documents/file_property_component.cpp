#include "file_property_component.h"
#include "call_log.h"

#include <cstring>

namespace ovs::standin::documents {

namespace {

// {2512057D-7B53-43FC-9313-6ED0FAF25A29}
const ServedClass kFilePropertyClass = {CLSID_OVSFileProperty, "OVS File Property",
                                        CreateAndQuery<FileProperty>};
const AlsoServed kServed(kFilePropertyClass);

} // namespace

FileProperty::~FileProperty() {
    if (m_stream != nullptr) {
        m_stream->Release();
    }
}

HRESULT FileProperty::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IOVSFileProperty) {
        *out = static_cast<IOVSFileProperty*>(this);
    } else if (iid == IID_IOVSFilePropertySection) {
        *out = static_cast<IOVSFilePropertySection*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT FileProperty::Bind(IStream* pStream) {
    HRESULT hr = Called("FileProperty.Bind");
    if (FAILED(hr)) {
        return hr;
    }
    if (pStream == nullptr) {
        return E_POINTER;
    }
    pStream->AddRef();
    if (m_stream != nullptr) {
        m_stream->Release();
    }
    m_stream = pStream;
    // A shorter stream leaves the rest of the block 0.
    std::memset(m_block, 0, sizeof(m_block));
    const LARGE_INTEGER start = {};
    ULONG read = 0;
    hr = m_stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return SUCCEEDED(hr) ? m_stream->Read(m_block, sizeof(m_block), &read) : hr;
}

HRESULT FileProperty::Save(LONG, LONG) {
    HRESULT hr = Called("FileProperty.Save");
    if (FAILED(hr)) {
        return hr;
    }
    if (m_stream == nullptr) {
        return E_UNEXPECTED;
    }
    const LARGE_INTEGER start = {};
    ULONG written = 0;
    hr = m_stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return SUCCEEDED(hr) ? m_stream->Write(m_block, sizeof(m_block), &written) : hr;
}

HRESULT FileProperty::ReadBlock(BYTE* pBlock) {
    const HRESULT hr = Called("FileProperty.ReadBlock");
    if (SUCCEEDED(hr)) {
        std::memcpy(pBlock, m_block, sizeof(m_block));
    }
    return hr;
}

HRESULT FileProperty::GetFileRecord(BYTE* pRecord) {
    // The record is the head of the block; the system number sits at the same offset in both.
    static_assert(OVS_FILERECORD_SYSTEM_OFFSET == OVS_FILEPROPERTY_SYSTEM_OFFSET);
    const HRESULT hr = Called("FileProperty.GetFileRecord");
    if (SUCCEEDED(hr)) {
        std::memcpy(pRecord, m_block, OVS_FILERECORD_SIZE);
    }
    return hr;
}

HRESULT FileProperty::WriteBlock(const BYTE* pBlock) {
    const HRESULT hr = Called("FileProperty.WriteBlock");
    if (SUCCEEDED(hr)) {
        std::memcpy(m_block, pBlock, sizeof(m_block));
    }
    return hr;
}

HRESULT FileProperty::SetPath(BSTR) {
    return Called("FileProperty.SetPath");
}

} // namespace ovs::standin::documents
