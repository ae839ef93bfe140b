// The outside components that the library reaches for documents, signatures, audit trails and
// settings, declared once for the library, the hosts and the stand-ins. Every method sits at a fixed
// place in the table of virtual functions: place 0 is QueryInterface, 1 AddRef, 2 Release (so "the
// Nth slot" of a component is place N-1). Places the library never calls are kept as placeholders.
// A call counts as failed when its HRESULT is negative.
#pragma once

#include <windows.h>
#include <objbase.h>

// A placeholder at place n, and its implementation in a component that does not serve it.
#define OVS_PLACEHOLDER(n) virtual HRESULT STDMETHODCALLTYPE Place##n() = 0;
#define OVS_PLACEHOLDER_NOTIMPL(n)                                                                           \
    HRESULT STDMETHODCALLTYPE Place##n() override {                                                          \
        return E_NOTIMPL;                                                                                    \
    }

// The "File Property" stream of a compound document: one block whose first 32-bit number is the
// document's type number and whose 32-bit number at byte 32 is the system number.
inline constexpr ULONG OVS_FILEPROPERTY_BLOCK_SIZE = 260;
inline constexpr ULONG OVS_FILEPROPERTY_TYPE_OFFSET = 0;
inline constexpr ULONG OVS_FILEPROPERTY_SYSTEM_OFFSET = 32;
// Where a signature stands in the block: a number, 32 bytes, the first 32 bytes of a text, 8 bytes
// and a zero word.
inline constexpr ULONG OVS_FILEPROPERTY_SIGNATURE_VALUE1 = 128;
inline constexpr ULONG OVS_FILEPROPERTY_SIGNATURE_VALUE2 = 132;
inline constexpr ULONG OVS_FILEPROPERTY_SIGNATURE_TEXT = 164;
inline constexpr ULONG OVS_FILEPROPERTY_SIGNATURE_VALUE3 = 196;
inline constexpr ULONG OVS_FILEPROPERTY_SIGNATURE_END = 204;
// The file record of a data file's property section; the system number at byte 32.
inline constexpr ULONG OVS_FILERECORD_SIZE = 60;
inline constexpr ULONG OVS_FILERECORD_SYSTEM_OFFSET = 32;

// {45060F33-B27A-4024-B8A1-F844D09141F3}
inline constexpr IID IID_IOVSDocument = {
    0x45060f33, 0xb27a, 0x4024, {0xb8, 0xa1, 0xf8, 0x44, 0xd0, 0x91, 0x41, 0xf3}};
// {51A0F930-A651-472E-87F2-661CC0B9A4AF}
inline constexpr IID IID_IOVSAuditTrailReason = {
    0x51a0f930, 0xa651, 0x472e, {0x87, 0xf2, 0x66, 0x1c, 0xc0, 0xb9, 0xa4, 0xaf}};
// {586C8001-408F-4B6A-AB17-0DBDB02002D7}
inline constexpr IID IID_IOVSAuditTrailStorage = {
    0x586c8001, 0x408f, 0x4b6a, {0xab, 0x17, 0x0d, 0xbd, 0xb0, 0x20, 0x02, 0xd7}};
// {196AA7AE-358D-4D26-82E1-CF5975982793}
inline constexpr IID IID_IOVSFileProperty = {
    0x196aa7ae, 0x358d, 0x4d26, {0x82, 0xe1, 0xcf, 0x59, 0x75, 0x98, 0x27, 0x93}};
// {CDF07B1C-FF3F-430E-B969-38344014AA2F}
inline constexpr IID IID_IOVSFilePropertySection = {
    0xcdf07b1c, 0xff3f, 0x430e, {0xb9, 0x69, 0x38, 0x34, 0x40, 0x14, 0xaa, 0x2f}};
// {50A9FFD2-DB82-437D-BAD7-938692CE7AF5}
inline constexpr IID IID_IOVSDataFileDocument = {
    0x50a9ffd2, 0xdb82, 0x437d, {0xba, 0xd7, 0x93, 0x86, 0x92, 0xce, 0x7a, 0xf5}};

// The audit-trail component {A1B89FDC-24D4-4766-AC4C-BFB96B5381EB}.
inline constexpr CLSID CLSID_OVSAuditTrail = {
    0xa1b89fdc, 0x24d4, 0x4766, {0xac, 0x4c, 0xbf, 0xb9, 0x6b, 0x53, 0x81, 0xeb}};
// The file-property component {2512057D-7B53-43FC-9313-6ED0FAF25A29}.
inline constexpr CLSID CLSID_OVSFileProperty = {
    0x2512057d, 0x7b53, 0x43fc, {0x93, 0x13, 0x6e, 0xd0, 0xfa, 0xf2, 0x5a, 0x29}};

// The service name under which a document hands out its audit trail.
#define OVS_AUDIT_TRAIL_SERVICE L"Audit Trail"

// A document of the system (methods, batches, data files, ...), which also hosts the services of the
// host application's objects.
struct IOVSDocument : public IUnknown {
    OVS_PLACEHOLDER(3)
    OVS_PLACEHOLDER(4)
    OVS_PLACEHOLDER(5)
    OVS_PLACEHOLDER(6)
    // 7: opens the document file (the four numbers are 0).
    virtual HRESULT STDMETHODCALLTYPE Open(LPCSTR szPath, LONG n1, LONG n2, LONG n3, LONG n4) = 0;
    // 8: saves the document (0, 1).
    virtual HRESULT STDMETHODCALLTYPE Save(LONG n1, LONG n2) = 0;
    OVS_PLACEHOLDER(9)
    OVS_PLACEHOLDER(10)
    // 11: the named service, for setting reasons.
    virtual HRESULT STDMETHODCALLTYPE QueryReasonService(LPCOLESTR szServiceName, REFIID riid,
                                                         void** ppv) = 0;
    // 12: the named service, for every other request.
    virtual HRESULT STDMETHODCALLTYPE QueryService(LPCOLESTR szServiceName, REFIID riid, void** ppv) = 0;
    OVS_PLACEHOLDER(13)
    OVS_PLACEHOLDER(14)
    OVS_PLACEHOLDER(15)
    OVS_PLACEHOLDER(16)
    OVS_PLACEHOLDER(17)
    OVS_PLACEHOLDER(18)
    OVS_PLACEHOLDER(19)
    OVS_PLACEHOLDER(20)
    OVS_PLACEHOLDER(21)
    OVS_PLACEHOLDER(22)
    OVS_PLACEHOLDER(23)
    OVS_PLACEHOLDER(24)
    OVS_PLACEHOLDER(25)
    OVS_PLACEHOLDER(26)
    OVS_PLACEHOLDER(27)
    OVS_PLACEHOLDER(28)
    OVS_PLACEHOLDER(29)
    OVS_PLACEHOLDER(30)
    OVS_PLACEHOLDER(31)
    OVS_PLACEHOLDER(32)
    OVS_PLACEHOLDER(33)
    // 34: the electronic signature's five values: a number, 32 bytes, 8 bytes, a text, a number.
    virtual HRESULT STDMETHODCALLTYPE SetSignature(LONG nValue1, const BYTE* pValue2, const BYTE* pValue3,
                                                   LPCSTR szValue4, LONG nValue5) = 0;
};

// The audit trail's reason interface.
struct IOVSAuditTrailReason : public IUnknown {
    OVS_PLACEHOLDER(3)
    OVS_PLACEHOLDER(4)
    OVS_PLACEHOLDER(5)
    OVS_PLACEHOLDER(6)
    OVS_PLACEHOLDER(7)
    OVS_PLACEHOLDER(8)
    OVS_PLACEHOLDER(9)
    OVS_PLACEHOLDER(10)
    OVS_PLACEHOLDER(11)
    OVS_PLACEHOLDER(12)
    // 13: an audit record (its first 32-bit number is its size in bytes), its size and 0.
    virtual HRESULT STDMETHODCALLTYPE AddRecord(const BYTE* pRecord, ULONG cbRecord, LONG nReserved) = 0;
    // 14: the reason (a number) and 0.
    virtual HRESULT STDMETHODCALLTYPE SetReason(LONG nReason, LONG nReserved) = 0;
    // 15: the signature's 8 and 32 bytes, 0 and 0.
    virtual HRESULT STDMETHODCALLTYPE SetSignatureValues(const BYTE* pValue8, const BYTE* pValue32,
                                                         LONG nReserved1, LONG nReserved2) = 0;
};

// The audit trail's storage interface.
struct IOVSAuditTrailStorage : public IUnknown {
    OVS_PLACEHOLDER(3)
    OVS_PLACEHOLDER(4)
    OVS_PLACEHOLDER(5)
    // 6: binds the audit trail to its sub-storage.
    virtual HRESULT STDMETHODCALLTYPE Bind(IStorage* pStorage) = 0;
    // 7: saves (0, 1).
    virtual HRESULT STDMETHODCALLTYPE Save(LONG n1, LONG n2) = 0;
};

// The file-property component's stream interface.
struct IOVSFileProperty : public IUnknown {
    OVS_PLACEHOLDER(3)
    OVS_PLACEHOLDER(4)
    OVS_PLACEHOLDER(5)
    // 6: binds the component to the "File Property" stream.
    virtual HRESULT STDMETHODCALLTYPE Bind(IStream* pStream) = 0;
    // 7: saves (0, 1).
    virtual HRESULT STDMETHODCALLTYPE Save(LONG n1, LONG n2) = 0;
};

// The file properties: the block of the "File Property" stream and the file record.
struct IOVSFilePropertySection : public IUnknown {
    OVS_PLACEHOLDER(3)
    // 4: copies the property block (OVS_FILEPROPERTY_BLOCK_SIZE bytes).
    virtual HRESULT STDMETHODCALLTYPE ReadBlock(BYTE* pBlock) = 0;
    // 5: fills the file record (OVS_FILERECORD_SIZE bytes).
    virtual HRESULT STDMETHODCALLTYPE GetFileRecord(BYTE* pRecord) = 0;
    OVS_PLACEHOLDER(6)
    OVS_PLACEHOLDER(7)
    OVS_PLACEHOLDER(8)
    OVS_PLACEHOLDER(9)
    OVS_PLACEHOLDER(10)
    // 11: replaces the property block.
    virtual HRESULT STDMETHODCALLTYPE WriteBlock(const BYTE* pBlock) = 0;
    OVS_PLACEHOLDER(12)
    OVS_PLACEHOLDER(13)
    OVS_PLACEHOLDER(14)
    OVS_PLACEHOLDER(15)
    OVS_PLACEHOLDER(16)
    OVS_PLACEHOLDER(17)
    OVS_PLACEHOLDER(18)
    OVS_PLACEHOLDER(19)
    OVS_PLACEHOLDER(20)
    OVS_PLACEHOLDER(21)
    OVS_PLACEHOLDER(22)
    OVS_PLACEHOLDER(23)
    OVS_PLACEHOLDER(24)
    OVS_PLACEHOLDER(25)
    OVS_PLACEHOLDER(26)
    OVS_PLACEHOLDER(27)
    OVS_PLACEHOLDER(28)
    OVS_PLACEHOLDER(29)
    OVS_PLACEHOLDER(30)
    OVS_PLACEHOLDER(31)
    // 32: the path of the document the properties belong to.
    virtual HRESULT STDMETHODCALLTYPE SetPath(BSTR bstrPath) = 0;
};

// A data file document (category 0x04).
struct IOVSDataFileDocument : public IUnknown {
    OVS_PLACEHOLDER(3)
    OVS_PLACEHOLDER(4)
    OVS_PLACEHOLDER(5)
    OVS_PLACEHOLDER(6)
    // 7: opens the data file (the library passes 1, 0, 0, 0).
    virtual HRESULT STDMETHODCALLTYPE Open(LPCSTR szPath, LONG n1, LONG n2, LONG n3, LONG n4) = 0;
    OVS_PLACEHOLDER(8)
    OVS_PLACEHOLDER(9)
    OVS_PLACEHOLDER(10)
    OVS_PLACEHOLDER(11)
    OVS_PLACEHOLDER(12)
    // 13: the section with the interface riid.
    virtual HRESULT STDMETHODCALLTYPE GetSection(REFIID riid, void** ppSection) = 0;
};

// The document and settings store that a host hands in: blocks of bytes stored under a category,
// an identifier and a name. Blocks it hands out come from the task allocator (CoTaskMemFree).
struct IOVSDocumentStore : public IUnknown {
    OVS_PLACEHOLDER(3)
    OVS_PLACEHOLDER(4)
    OVS_PLACEHOLDER(5)
    OVS_PLACEHOLDER(6)
    OVS_PLACEHOLDER(7)
    OVS_PLACEHOLDER(8)
    // 9 (tenth slot): the names of the store's documents: the folder name, and a second name the
    // library does not use.
    virtual HRESULT STDMETHODCALLTYPE GetNames(BSTR* pbstrFolderName, BSTR* pbstrName) = 0;
    OVS_PLACEHOLDER(10)
    OVS_PLACEHOLDER(11)
    OVS_PLACEHOLDER(12)
    OVS_PLACEHOLDER(13)
    OVS_PLACEHOLDER(14)
    OVS_PLACEHOLDER(15)
    OVS_PLACEHOLDER(16)
    OVS_PLACEHOLDER(17)
    // 18 (nineteenth slot): stores a block under category, identifier and name; flag 1.
    virtual HRESULT STDMETHODCALLTYPE WriteBlock(LONG nCategory, LONG nIdentifier, LPCSTR szName,
                                                 const BYTE* pBlock, ULONG cbBlock, LONG nFlag) = 0;
    // 19 (twentieth slot): reads the block of category, identifier and name (the two numbers after
    // the name are 0); on success *pnFlag is 1 when a block was found, and *ppBlock (task memory) and
    // *pcbBlock describe it.
    virtual HRESULT STDMETHODCALLTYPE ReadBlock(LONG nCategory, LONG nIdentifier, LPCSTR szName,
                                                LONG nReserved1, LONG nReserved2, BYTE** ppBlock,
                                                ULONG* pcbBlock, LONG* pnFlag) = 0;
};
