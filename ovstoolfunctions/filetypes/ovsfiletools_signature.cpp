// Writing an electronic signature into a document: through the document's own class, or, for a
// report, into its audit trail and file properties.
#include "ovstoolfiletypes.h"

#include "callframe.h"
#include "file_type_table.h"
#include "unique_resource.h"

#include <cstring>
#include <string>

namespace {

using ovs::com_ptr;

constexpr char kFunction[] = "Tool_SetSignature";
constexpr wchar_t kAuditTrail[] = L"Audit Trail";
constexpr wchar_t kFileProperty[] = L"File Property";

// The audit record: its size, three record tags, a zero word, and from byte 24 the text.
constexpr DWORD kRecordTags[3] = {0x10D0, 0x10D1, 0x10D2};
constexpr size_t kRecordTextOffset = 24;
constexpr size_t kRecordOverhead = 28;

constexpr size_t kValue2Size = 32;
constexpr size_t kValue3Size = 8;
constexpr size_t kValue4BlockSize = 32;

struct SignatureValues {
    long value1;
    const BYTE* value2;
    const BYTE* value3;
    LPCSTR value4;
    long value5;
};

HRESULT SignThroughDocumentClass(const CLSID& documentClass, LPCSTR path, const SignatureValues& v) {
    com_ptr<IOVSDocument> document;
    HRESULT hr =
        CoCreateInstance(documentClass, nullptr, CLSCTX_INPROC_SERVER, IID_IOVSDocument, document.put_void());
    if (FAILED(hr)) {
        return hr;
    }
    hr = document->Open(path, 0, 0, 0, 0);
    if (SUCCEEDED(hr)) {
        hr = document->SetSignature(v.value1, v.value2, v.value3, v.value4, v.value5);
    }
    if (SUCCEEDED(hr)) {
        hr = document->Save(0, 1);
    }
    return hr;
}

HRESULT OpenAuditTrailStorage(IStorage* root, com_ptr<IStorage>& auditTrail) {
    constexpr DWORD mode = STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    HRESULT hr = root->OpenStorage(kAuditTrail, nullptr, mode, nullptr, 0, auditTrail.put());
    if (hr == STG_E_FILENOTFOUND) {
        hr = root->CreateStorage(kAuditTrail, mode, 0, 0, auditTrail.put());
    }
    return hr;
}

// The audit record in task memory (zero-filled): size, tags, a zero word, the text and terminator.
HRESULT MakeAuditRecord(LPCSTR text, ovs::unique_cotaskmem& record, DWORD& size) {
    const size_t length = std::strlen(text);
    size = static_cast<DWORD>(length + kRecordOverhead);
    record.reset(CoTaskMemAlloc(size));
    if (!record) {
        return E_OUTOFMEMORY;
    }
    auto* bytes = static_cast<BYTE*>(record.get());
    std::memset(bytes, 0, size);
    std::memcpy(bytes, &size, sizeof(size));
    std::memcpy(bytes + sizeof(size), kRecordTags, sizeof(kRecordTags));
    std::memcpy(bytes + kRecordTextOffset, text, length + 1);
    return S_OK;
}

HRESULT WriteAuditTrail(IStorage* root, const SignatureValues& v) {
    com_ptr<IStorage> auditStorage;
    HRESULT hr = OpenAuditTrailStorage(root, auditStorage);
    if (FAILED(hr)) {
        return hr;
    }
    com_ptr<IOVSAuditTrailReason> reason;
    hr = CoCreateInstance(CLSID_OVSAuditTrail, nullptr, CLSCTX_INPROC_SERVER, IID_IOVSAuditTrailReason,
                          reason.put_void());
    if (FAILED(hr)) {
        return hr;
    }
    com_ptr<IOVSAuditTrailStorage> trail;
    if (FAILED(hr = reason->QueryInterface(IID_IOVSAuditTrailStorage, trail.put_void())) ||
        FAILED(hr = trail->Bind(auditStorage.get()))) {
        return hr;
    }
    ovs::unique_cotaskmem record;
    DWORD size = 0;
    if (FAILED(hr = MakeAuditRecord(v.value4, record, size)) ||
        FAILED(hr = reason->AddRecord(static_cast<const BYTE*>(record.get()), size, 0)) ||
        FAILED(hr = reason->SetReason(v.value5, 0)) ||
        FAILED(hr = reason->SetSignatureValues(v.value3, v.value2, 0, 0)) || FAILED(hr = trail->Save(0, 1))) {
        return hr;
    }
    record.reset();
    return auditStorage->Commit(STGC_ONLYIFCURRENT);
}

void WriteSignatureIntoBlock(BYTE* block, const SignatureValues& v) {
    const LONG value1 = v.value1;
    const DWORD zero = 0;
    char value4[kValue4BlockSize] = {};
    std::memcpy(value4, v.value4, strnlen(v.value4, kValue4BlockSize)); // a shorter text is padded with 0
    std::memcpy(block + OVS_FILEPROPERTY_SIGNATURE_VALUE1, &value1, sizeof(value1));
    std::memcpy(block + OVS_FILEPROPERTY_SIGNATURE_VALUE2, v.value2, kValue2Size);
    std::memcpy(block + OVS_FILEPROPERTY_SIGNATURE_TEXT, value4, kValue4BlockSize);
    std::memcpy(block + OVS_FILEPROPERTY_SIGNATURE_VALUE3, v.value3, kValue3Size);
    std::memcpy(block + OVS_FILEPROPERTY_SIGNATURE_END, &zero, sizeof(zero));
}

HRESULT WriteFileProperties(IStorage* root, const std::wstring& widePath, const SignatureValues& v) {
    com_ptr<IOVSFileProperty> property;
    HRESULT hr = CoCreateInstance(CLSID_OVSFileProperty, nullptr, CLSCTX_INPROC_SERVER, IID_IOVSFileProperty,
                                  property.put_void());
    if (FAILED(hr)) {
        return hr;
    }
    com_ptr<IStream> stream;
    com_ptr<IOVSFilePropertySection> section;
    if (FAILED(hr = root->OpenStream(kFileProperty, nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                     stream.put())) ||
        FAILED(hr = property->Bind(stream.get())) ||
        FAILED(hr = property->QueryInterface(IID_IOVSFilePropertySection, section.put_void()))) {
        return hr;
    }
    BYTE block[OVS_FILEPROPERTY_BLOCK_SIZE] = {};
    if (FAILED(hr = section->ReadBlock(block))) {
        return hr;
    }
    WriteSignatureIntoBlock(block, v);
    if (FAILED(hr = section->WriteBlock(block)) || FAILED(hr = property->Save(0, 1)) ||
        FAILED(hr = root->Commit(STGC_ONLYIFCURRENT)) || FAILED(hr = section->ReadBlock(block))) {
        return hr;
    }
    ovs::unique_bstr text(SysAllocString(widePath.c_str()));
    if (!text) {
        return E_OUTOFMEMORY;
    }
    return section->SetPath(text.get());
}

HRESULT SignReport(LPCSTR path, const SignatureValues& v) {
    const std::wstring wide = ovs::filetypes::WidePath(path);
    if (StgIsStorageFile(wide.c_str()) != S_OK) {
        return E_FAIL;
    }
    com_ptr<IStorage> root;
    HRESULT hr =
        StgOpenStorage(wide.c_str(), nullptr, STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_DENY_WRITE,
                       nullptr, 0, root.put());
    if (FAILED(hr) || FAILED(hr = WriteAuditTrail(root.get(), v))) {
        return hr;
    }
    return WriteFileProperties(root.get(), wide, v);
}

} // namespace

HRESULT Tool_SetSignature(LPCSTR szPath, long nValue1, const BYTE* pValue2, const BYTE* pValue3,
                          LPCSTR szValue4, long nValue5) {
    OVS_REQUIRE_ARG(kFunction, szPath != nullptr, E_INVALIDARG);
    const SignatureValues values = {nValue1, pValue2, pValue3, szValue4, nValue5};
    const long category = ovs::filetypes::CategoryOf(ovs::filetypes::FileTypeOfPath(szPath));
    if (category != ovs::filetypes::kCategoryReport) {
        const CLSID* documentClass = Tool_GetCLSIDFromFileType(category);
        return documentClass == nullptr ? E_FAIL : SignThroughDocumentClass(*documentClass, szPath, values);
    }
    // The values are read here, not only handed on.
    OVS_REQUIRE_ARG(kFunction, pValue2 != nullptr && pValue3 != nullptr && szValue4 != nullptr, E_INVALIDARG);
    return SignReport(szPath, values);
}
