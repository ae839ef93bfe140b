// The document classes of the six document categories: a document opens its compound file, keeps
// the signature's five values and saves them into the block of its "File Property" stream. The data
// file class also answers the data-file interface, whose file-property section is the file-property
// component bound to that stream.
#include "call_log.h"
#include "file_property_component.h"
#include "inproc_server.h"
#include "ovsdocumentobjects.h"
#include "unique_resource.h"

#include <cstring>
#include <string>

namespace ovs::standin::documents {

namespace {

constexpr wchar_t kFilePropertyStream[] = L"File Property";

class Document final : public IOVSDocument, public IOVSDataFileDocument {
public:
    explicit Document(bool dataFile) : m_dataFile(dataFile) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IOVSDocument) {
            *out = static_cast<IOVSDocument*>(this);
        } else if (m_dataFile && iid == IID_IOVSDataFileDocument) {
            *out = static_cast<IOVSDataFileDocument*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_references.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_references.Release(this); }

    OVS_PLACEHOLDER_NOTIMPL(3)
    OVS_PLACEHOLDER_NOTIMPL(4)
    OVS_PLACEHOLDER_NOTIMPL(5)
    OVS_PLACEHOLDER_NOTIMPL(6)
    HRESULT STDMETHODCALLTYPE Open(LPCSTR szPath, LONG, LONG, LONG, LONG) override {
        HRESULT hr = Called("Document.Open");
        if (FAILED(hr)) {
            return hr;
        }
        if (szPath == nullptr) {
            return E_POINTER;
        }
        WCHAR wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, szPath, -1, wide, MAX_PATH);
        return StgOpenStorage(wide, nullptr, STGM_READWRITE | STGM_TRANSACTED | STGM_SHARE_DENY_WRITE,
                              nullptr, 0, m_storage.put());
    }
    HRESULT STDMETHODCALLTYPE Save(LONG, LONG) override {
        HRESULT hr = Called("Document.Save");
        if (FAILED(hr)) {
            return hr;
        }
        if (!m_storage) {
            return E_UNEXPECTED;
        }
        ovs::com_ptr<IStream> stream;
        hr = m_storage->OpenStream(kFilePropertyStream, nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                   stream.put());
        if (hr == STG_E_FILENOTFOUND) {
            hr = m_storage->CreateStream(kFilePropertyStream, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                         stream.put());
        }
        if (FAILED(hr)) {
            return hr;
        }
        BYTE block[OVS_FILEPROPERTY_BLOCK_SIZE] = {};
        ULONG count = 0;
        stream->Read(block, sizeof(block), &count);
        std::memcpy(block + OVS_FILEPROPERTY_SIGNATURE_VALUE1, &m_value1, sizeof(m_value1));
        std::memcpy(block + OVS_FILEPROPERTY_SIGNATURE_VALUE2, m_value2, sizeof(m_value2));
        std::memcpy(block + OVS_FILEPROPERTY_SIGNATURE_TEXT, m_value4, sizeof(m_value4));
        std::memcpy(block + OVS_FILEPROPERTY_SIGNATURE_VALUE3, m_value3, sizeof(m_value3));
        const LARGE_INTEGER start = {};
        if (FAILED(hr = stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
            FAILED(hr = stream->Write(block, sizeof(block), &count))) {
            return hr;
        }
        stream.reset();
        return m_storage->Commit(STGC_DEFAULT);
    }
    OVS_PLACEHOLDER_NOTIMPL(9)
    OVS_PLACEHOLDER_NOTIMPL(10)
    // Places 8, 11 and 12 of the data-file interface.
    OVS_PLACEHOLDER_NOTIMPL(8)
    OVS_PLACEHOLDER_NOTIMPL(11)
    OVS_PLACEHOLDER_NOTIMPL(12)
    HRESULT STDMETHODCALLTYPE QueryReasonService(LPCOLESTR, REFIID, void** ppv) override {
        if (ppv != nullptr) {
            *ppv = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE QueryService(LPCOLESTR, REFIID, void** ppv) override {
        if (ppv != nullptr) {
            *ppv = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetSection(REFIID riid, void** ppSection) override {
        HRESULT hr = Called("Document.GetSection");
        if (FAILED(hr)) {
            return hr;
        }
        if (!m_storage) {
            return E_UNEXPECTED;
        }
        ovs::com_ptr<IStream> stream;
        ovs::com_ptr<IOVSFileProperty> property;
        if (FAILED(hr = m_storage->OpenStream(kFilePropertyStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE,
                                              0, stream.put())) ||
            FAILED(hr = CreateAndQuery<FileProperty>(IID_IOVSFileProperty, property.put_void())) ||
            FAILED(hr = property->Bind(stream.get()))) {
            return hr;
        }
        return property->QueryInterface(riid, ppSection);
    }
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
    OVS_PLACEHOLDER_NOTIMPL(32)
    OVS_PLACEHOLDER_NOTIMPL(33)
    HRESULT STDMETHODCALLTYPE SetSignature(LONG nValue1, const BYTE* pValue2, const BYTE* pValue3,
                                           LPCSTR szValue4, LONG nValue5) override {
        const HRESULT hr = Called("Document.SetSignature");
        if (FAILED(hr)) {
            return hr;
        }
        if (pValue2 == nullptr || pValue3 == nullptr || szValue4 == nullptr) {
            return E_POINTER;
        }
        m_value1 = nValue1;
        std::memcpy(m_value2, pValue2, sizeof(m_value2));
        std::memcpy(m_value3, pValue3, sizeof(m_value3));
        std::memset(m_value4, 0, sizeof(m_value4));
        std::memcpy(m_value4, szValue4, strnlen(szValue4, sizeof(m_value4)));
        m_value5 = nValue5;
        return S_OK;
    }

private:
    friend class References<Document>;
    ~Document() = default;

    References<Document> m_references;
    const bool m_dataFile;
    ovs::com_ptr<IStorage> m_storage;
    LONG m_value1 = 0;
    BYTE m_value2[32] = {};
    BYTE m_value3[8] = {};
    char m_value4[32] = {};
    LONG m_value5 = 0;
};

template <bool DataFile>
HRESULT CreateDocument(REFIID iid, void** out) {
    Document* document = new (std::nothrow) Document(DataFile);
    if (document == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = document->QueryInterface(iid, out);
    document->Release();
    return hr;
}

constexpr CLSID kBatchClass = {0x9B089971, 0xE89A, 0x4709, {0xB5, 0x78, 0x05, 0x31, 0x34, 0xCE, 0xBE, 0x78}};
constexpr CLSID kDataFileClass = {
    0xE5ADD49C, 0xF0F9, 0x4D3F, {0x96, 0x6E, 0x7E, 0xA8, 0x77, 0xBE, 0x15, 0xAF}};
constexpr CLSID kCategory6Class = {
    0x77C38237, 0x7695, 0x4EE5, {0x95, 0x37, 0x61, 0x46, 0xBA, 0x94, 0x06, 0x63}};
constexpr CLSID kCategory8Class = {
    0xC016B7A8, 0x2F72, 0x439B, {0x84, 0x2C, 0x17, 0xF0, 0x95, 0xE1, 0xF2, 0x0B}};
constexpr CLSID kCategory9Class = {
    0x64A1869A, 0x2899, 0x4552, {0x84, 0x79, 0xE4, 0x6A, 0xDF, 0xEE, 0x13, 0x74}};

const ServedClass kBatch = {kBatchClass, "OVS Batch Document", CreateDocument<false>};
const ServedClass kDataFile = {kDataFileClass, "OVS Data File Document", CreateDocument<true>};
const ServedClass kCategory6 = {kCategory6Class, "OVS Document 6", CreateDocument<false>};
const ServedClass kCategory8 = {kCategory8Class, "OVS Document 8", CreateDocument<false>};
const ServedClass kCategory9 = {kCategory9Class, "OVS Document 9", CreateDocument<false>};
const AlsoServed kServedBatch(kBatch);
const AlsoServed kServedDataFile(kDataFile);
const AlsoServed kServed6(kCategory6);
const AlsoServed kServed8(kCategory8);
const AlsoServed kServed9(kCategory9);

constexpr CLSID kMethodClass = {0xC4A6CA30, 0x1E1C, 0x48E5, {0xB6, 0xCF, 0x2B, 0xDD, 0x3A, 0x02, 0xF6, 0x3C}};

} // namespace

} // namespace ovs::standin::documents

const ovs::standin::ServedClass ovs::standin::kServedClass = {ovs::standin::documents::kMethodClass,
                                                              "OVS Method Document",
                                                              ovs::standin::documents::CreateDocument<false>};
