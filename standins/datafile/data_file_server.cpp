// The data-file component as an in-process server: a class factory, objects that answer the
// data-file interfaces from what their setup interface was given, and registration under HKCR\CLSID.
#include "data_file_standin.h"
#include "inproc_server.h"
#include "unique_resource.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr LONG kLogCapacity = 64;
// The arguments with which a background file is opened.
constexpr LONG kOpenMode = 1;
constexpr LONG kOpenFlags = 0x4000000;
constexpr LONG kOpenShare = 1;

// clang-format off
#define OVS_ANSWER_RESERVED(n) HRESULT STDMETHODCALLTYPE Reserved##n() override { return E_NOTIMPL; }
// clang-format on

// A table that holds only its header with count 0 (both table headers are 8 bytes).
std::vector<BYTE> EmptyTable() {
    return std::vector<BYTE>(sizeof(OVS_COMPOUNDTABLE), 0);
}

class DataFileObject final : public IOvsSampleInformation,
                             public IOvsDataProcessingSource,
                             public IOvsProcessingState,
                             public IOvsQuantMethod,
                             public IOvsDataFileSetup,
                             public IOvsDataFile,
                             public IOvsFileManager,
                             public IOvsRawData,
                             public IOvsPdaRawData {
public:
    DataFileObject() = default;
    DataFileObject(const DataFileObject&) = delete;
    DataFileObject& operator=(const DataFileObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOvsDataFileSetup) {
            // IUnknown is answered through the setup interface, so both give the same pointer.
            return Offer(OVS_DFCALL_NONE, static_cast<IOvsDataFileSetup*>(this), out);
        }
        if (iid == IID_IOvsSampleInformation) {
            return Offer(OVS_DFCALL_QUERY_SAMPLE_INFO, static_cast<IOvsSampleInformation*>(this), out);
        }
        if (iid == IID_IOvsDataProcessingSource) {
            return Offer(OVS_DFCALL_QUERY_SOURCE, static_cast<IOvsDataProcessingSource*>(this), out);
        }
        if (iid == IID_IOvsDataFile) {
            return Offer(OVS_DFCALL_QUERY_DATA_FILE, static_cast<IOvsDataFile*>(this), out);
        }
        if (iid == IID_IOvsFileManager) {
            return Offer(OVS_DFCALL_QUERY_FILE_MANAGER, static_cast<IOvsFileManager*>(this), out);
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_references.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_references.Release(this); }

    HRESULT STDMETHODCALLTYPE GetSampleInfo(OVS_SAMPLEINFO* info) override {
        return CopyOut(OVS_DFCALL_GET_SAMPLE_INFO, m_sample, info);
    }

    HRESULT STDMETHODCALLTYPE OpenProcessing(LPCSTR category, REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (category == nullptr || std::strcmp(category, OVS_DATA_PROCESSING_CATEGORY) != 0) {
            return E_NOINTERFACE;
        }
        if (iid == IID_IOvsProcessingState) {
            return Offer(OVS_DFCALL_OPEN_STATE, static_cast<IOvsProcessingState*>(this), out);
        }
        if (iid == IID_IOvsQuantMethod) {
            return Offer(OVS_DFCALL_OPEN_METHOD, static_cast<IOvsQuantMethod*>(this), out);
        }
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE SelectEntry(LONG entry) override {
        HRESULT hr = S_OK;
        if (Failing(OVS_DFCALL_SELECT_ENTRY, hr)) {
            return hr;
        }
        m_selected = entry;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetQuantResultTable(OVS_QUANTRESULTTABLE** table) override {
        return HandOut(OVS_DFCALL_GET_RESULT_TABLE, m_results, reinterpret_cast<void**>(table));
    }

    HRESULT STDMETHODCALLTYPE GetMethodHeader(OVS_QUANTMETHODHEADER* header) override {
        return CopyOut(OVS_DFCALL_GET_METHOD_HEADER, m_header, header);
    }
    HRESULT STDMETHODCALLTYPE GetCompoundTable(OVS_COMPOUNDTABLE** table) override {
        return HandOut(OVS_DFCALL_GET_COMPOUND_TABLE, m_compounds, reinterpret_cast<void**>(table));
    }

    HRESULT STDMETHODCALLTYPE SetSampleInfo(const OVS_SAMPLEINFO* info) override {
        return info != nullptr ? (m_sample = *info, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE SetMethodHeader(const OVS_QUANTMETHODHEADER* header) override {
        return header != nullptr ? (m_header = *header, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE SetCompoundTable(const void* bytes, DWORD size) override {
        return Keep(bytes, size, m_compounds);
    }
    HRESULT STDMETHODCALLTYPE SetQuantResultTable(const void* bytes, DWORD size) override {
        return Keep(bytes, size, m_results);
    }
    HRESULT STDMETHODCALLTYPE FailCall(LONG call, HRESULT hr) override {
        m_failCall = call;
        m_failure = hr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCallLog(LONG* calls, LONG capacity, LONG* count) override {
        if (count == nullptr || (calls == nullptr && capacity > 0)) {
            return E_POINTER;
        }
        for (LONG i = 0; i < capacity && i < m_logCount && i < kLogCapacity; ++i) {
            calls[i] = m_log[i];
        }
        *count = m_logCount;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSelectedEntry(LONG* entry) override {
        return entry != nullptr ? (*entry = m_selected, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE SetPdaKind(WORD kind) override {
        m_pdaKind = kind;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDataObject(LPCSTR name, REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (name != nullptr && std::strcmp(name, OVS_RAW_DATA_NAME) == 0 && iid == IID_IOvsRawData) {
            return Offer(OVS_DFCALL_GET_RAW_OBJECT, static_cast<IOvsRawData*>(this), out);
        }
        if (name != nullptr && std::strcmp(name, OVS_PDA_RAW_DATA_NAME) == 0 && iid == IID_IOvsPdaRawData) {
            return Offer(OVS_DFCALL_GET_PDA_OBJECT, static_cast<IOvsPdaRawData*>(this), out);
        }
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetPathName(LPSTR buffer, DWORD size) override {
        HRESULT hr = S_OK;
        if (Failing(OVS_DFCALL_GET_PATH_NAME, hr)) {
            return hr;
        }
        if (buffer == nullptr || size <= m_openedName.size()) {
            return E_INVALIDARG;
        }
        std::memcpy(buffer, m_openedName.c_str(), m_openedName.size() + 1);
        return S_OK;
    }
    // Answers the protocol's opening only: the background file is this object.
    HRESULT STDMETHODCALLTYPE OpenFile(IOvsDataFile** file, LPCSTR name, LONG mode, LONG flags, LONG share,
                                       LONG reserved1, LONG reserved2, LONG reserved3) override {
        if (file == nullptr) {
            return E_POINTER;
        }
        *file = nullptr;
        if (name == nullptr || mode != kOpenMode || flags != kOpenFlags || share != kOpenShare ||
            reserved1 != 0 || reserved2 != 0 || reserved3 != 0) {
            return E_INVALIDARG;
        }
        m_openedName = name;
        return Offer(OVS_DFCALL_OPEN_FILE, static_cast<IOvsDataFile*>(this), reinterpret_cast<void**>(file));
    }
    HRESULT STDMETHODCALLTYPE CloseFile(IOvsDataFile*, LONG) override {
        return Logged(OVS_DFCALL_CLOSE_FILE);
    }
    HRESULT STDMETHODCALLTYPE ClearBackground() override { return Logged(OVS_DFCALL_CLEAR_RAW); }
    HRESULT STDMETHODCALLTYPE LinkBackground(IOvsRawData* background) override {
        return background != nullptr ? Logged(OVS_DFCALL_LINK_RAW) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetPdaInfo(OVS_PDAINFO* info) override {
        OVS_PDAINFO record = {};
        record.wKind = m_pdaKind;
        return CopyOut(OVS_DFCALL_GET_PDA_INFO, record, info);
    }
    HRESULT STDMETHODCALLTYPE SetBackground(LPCSTR path, IOvsPdaRawData* background) override {
        if (path == nullptr && background == nullptr) {
            return Logged(OVS_DFCALL_CLEAR_PDA);
        }
        if (path == nullptr || background == nullptr || m_openedName != path) {
            return E_INVALIDARG;
        }
        return Logged(OVS_DFCALL_LINK_PDA);
    }

    // clang-format off
    OVS_ANSWER_RESERVED(3) OVS_ANSWER_RESERVED(4) OVS_ANSWER_RESERVED(5) OVS_ANSWER_RESERVED(6)
    OVS_ANSWER_RESERVED(7) OVS_ANSWER_RESERVED(8) OVS_ANSWER_RESERVED(9) OVS_ANSWER_RESERVED(10)
    OVS_ANSWER_RESERVED(11) OVS_ANSWER_RESERVED(12) OVS_ANSWER_RESERVED(13) OVS_ANSWER_RESERVED(14)
    OVS_ANSWER_RESERVED(15) OVS_ANSWER_RESERVED(16) OVS_ANSWER_RESERVED(17) OVS_ANSWER_RESERVED(18)
    OVS_ANSWER_RESERVED(19) OVS_ANSWER_RESERVED(20) OVS_ANSWER_RESERVED(21) OVS_ANSWER_RESERVED(22)
    OVS_ANSWER_RESERVED(23) OVS_ANSWER_RESERVED(24) OVS_ANSWER_RESERVED(25)
        // clang-format on

        private : friend class ovs::standin::References<DataFileObject>;
    ~DataFileObject() = default;

    // Logs the call; true with hr set when the call is to fail.
    bool Failing(OvsDataFileCall call, HRESULT& hr) {
        if (m_logCount < kLogCapacity) {
            m_log[m_logCount] = call;
        }
        ++m_logCount;
        if (call != m_failCall) {
            return false;
        }
        hr = m_failure;
        return true;
    }

    HRESULT Logged(OvsDataFileCall call) {
        HRESULT hr = S_OK;
        return Failing(call, hr) ? hr : S_OK;
    }

    // Hands out one of the object's interfaces, unless the call is to fail (OVS_DFCALL_NONE is
    // neither logged nor failed).
    HRESULT Offer(OvsDataFileCall call, void* iface, void** out) {
        HRESULT hr = S_OK;
        if (call != OVS_DFCALL_NONE && Failing(call, hr)) {
            return hr;
        }
        *out = iface;
        AddRef();
        return S_OK;
    }

    // Copies a record out; the call is logged (and may fail) even when out is null.
    template <typename Record>
    HRESULT CopyOut(OvsDataFileCall call, const Record& record, Record* out) {
        HRESULT hr = S_OK;
        if (Failing(call, hr) || out == nullptr) {
            return out == nullptr ? E_POINTER : hr;
        }
        *out = record;
        return S_OK;
    }

    HRESULT HandOut(OvsDataFileCall call, const std::vector<BYTE>& bytes, void** out) {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        HRESULT hr = S_OK;
        if (Failing(call, hr)) {
            return hr;
        }
        void* copy = CoTaskMemAlloc(bytes.size());
        if (copy == nullptr) {
            return E_OUTOFMEMORY;
        }
        std::memcpy(copy, bytes.data(), bytes.size());
        *out = copy;
        return S_OK;
    }

    static HRESULT Keep(const void* bytes, DWORD size, std::vector<BYTE>& table) {
        if (bytes == nullptr || size < sizeof(OVS_COMPOUNDTABLE)) {
            return E_INVALIDARG;
        }
        try {
            const BYTE* first = static_cast<const BYTE*>(bytes);
            table.assign(first, first + size);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    ovs::standin::References<DataFileObject> m_references;
    OVS_SAMPLEINFO m_sample = {};
    OVS_QUANTMETHODHEADER m_header = {};
    std::vector<BYTE> m_compounds = EmptyTable();
    std::vector<BYTE> m_results = EmptyTable();
    LONG m_failCall = OVS_DFCALL_NONE;
    HRESULT m_failure = S_OK;
    LONG m_log[kLogCapacity] = {};
    LONG m_logCount = 0;
    LONG m_selected = -1;
    WORD m_pdaKind = 0;
    std::string m_openedName;
};

// Only for the setup interface, so that creating the object logs no call.
HRESULT CreateDataFile(REFIID iid, void** out) {
    if (iid != IID_IOvsDataFileSetup && iid != IID_IUnknown) {
        return E_NOINTERFACE;
    }
    return ovs::standin::CreateAndQuery<DataFileObject>(iid, out);
}

} // namespace

const ovs::standin::ServedClass ovs::standin::kServedClass{CLSID_OvsDataFileStandIn, "Data file",
                                                           CreateDataFile};
