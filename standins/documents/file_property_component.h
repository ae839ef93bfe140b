// The file-property component: binds the "File Property" stream and reads and writes its block.
#pragma once

#include "inproc_server.h"
#include "ovsdocumentobjects.h"

namespace ovs::standin::documents {

class FileProperty final : public IOVSFileProperty, public IOVSFilePropertySection {
public:
    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return m_references.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_references.Release(this); }

    OVS_PLACEHOLDER_NOTIMPL(3)
    OVS_PLACEHOLDER_NOTIMPL(4)
    OVS_PLACEHOLDER_NOTIMPL(5)
    // IOVSFileProperty
    HRESULT STDMETHODCALLTYPE Bind(IStream* pStream) override;
    HRESULT STDMETHODCALLTYPE Save(LONG n1, LONG n2) override;
    // IOVSFilePropertySection
    HRESULT STDMETHODCALLTYPE ReadBlock(BYTE* pBlock) override;
    HRESULT STDMETHODCALLTYPE GetFileRecord(BYTE* pRecord) override;
    OVS_PLACEHOLDER_NOTIMPL(6)
    OVS_PLACEHOLDER_NOTIMPL(7)
    OVS_PLACEHOLDER_NOTIMPL(8)
    OVS_PLACEHOLDER_NOTIMPL(9)
    OVS_PLACEHOLDER_NOTIMPL(10)
    HRESULT STDMETHODCALLTYPE WriteBlock(const BYTE* pBlock) override;
    OVS_PLACEHOLDER_NOTIMPL(12)
    OVS_PLACEHOLDER_NOTIMPL(13)
    OVS_PLACEHOLDER_NOTIMPL(14)
    OVS_PLACEHOLDER_NOTIMPL(15)
    OVS_PLACEHOLDER_NOTIMPL(16)
    OVS_PLACEHOLDER_NOTIMPL(17)
    OVS_PLACEHOLDER_NOTIMPL(18)
    OVS_PLACEHOLDER_NOTIMPL(19)
    OVS_PLACEHOLDER_NOTIMPL(20)
    OVS_PLACEHOLDER_NOTIMPL(21)
    OVS_PLACEHOLDER_NOTIMPL(22)
    OVS_PLACEHOLDER_NOTIMPL(23)
    OVS_PLACEHOLDER_NOTIMPL(24)
    OVS_PLACEHOLDER_NOTIMPL(25)
    OVS_PLACEHOLDER_NOTIMPL(26)
    OVS_PLACEHOLDER_NOTIMPL(27)
    OVS_PLACEHOLDER_NOTIMPL(28)
    OVS_PLACEHOLDER_NOTIMPL(29)
    OVS_PLACEHOLDER_NOTIMPL(30)
    OVS_PLACEHOLDER_NOTIMPL(31)
    HRESULT STDMETHODCALLTYPE SetPath(BSTR bstrPath) override;

private:
    friend class References<FileProperty>;
    ~FileProperty();

    References<FileProperty> m_references;
    IStream* m_stream = nullptr;
    BYTE m_block[OVS_FILEPROPERTY_BLOCK_SIZE] = {};
};

} // namespace ovs::standin::documents
