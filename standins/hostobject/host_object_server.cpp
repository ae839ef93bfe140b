// The host object as an in-process server: the user management, the document store and the
// audit-trail service host in one object, answering from what its setup interface was given.
#include "host_object_standin.h"
#include "host_object_services.h"
#include "inproc_server.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using ovs::standin::CallRecorder;

class HostObject final : public IOVSDocument,
                         public IOVSUserManagement,
                         public IOVSDocumentStore,
                         public IOvsHostObjectSetup,
                         public CallRecorder {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IOvsHostObjectSetup) {
            *out = static_cast<IOvsHostObjectSetup*>(this);
        } else if (iid == IID_IOVSDocument) {
            *out = static_cast<IOVSDocument*>(this);
        } else if (iid == IID_IOVSUserManagement) {
            *out = static_cast<IOVSUserManagement*>(this);
        } else if (iid == IID_IOVSDocumentStore) {
            *out = static_cast<IOVSDocumentStore*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_references.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_references.Release(this); }

    // ---- the service host
    OVS_PLACEHOLDER_NOTIMPL(3)
    OVS_PLACEHOLDER_NOTIMPL(4)
    OVS_PLACEHOLDER_NOTIMPL(5)
    OVS_PLACEHOLDER_NOTIMPL(6)
    HRESULT STDMETHODCALLTYPE Open(LPCSTR, LONG, LONG, LONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(LONG, LONG) override { return E_NOTIMPL; }
    OVS_PLACEHOLDER_NOTIMPL(9)
    OVS_PLACEHOLDER_NOTIMPL(10)
    HRESULT STDMETHODCALLTYPE QueryReasonService(LPCOLESTR name, REFIID iid, void** out) override {
        return AnswerService(12, name, iid, out);
    }
    HRESULT STDMETHODCALLTYPE QueryService(LPCOLESTR name, REFIID iid, void** out) override {
        return AnswerService(13, name, iid, out);
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
    HRESULT STDMETHODCALLTYPE SetSignature(LONG, const BYTE*, const BYTE*, LPCSTR, LONG) override {
        return E_NOTIMPL;
    }

    // ---- the user management and the document store: their placeholders are the service host's,
    // and the places that the service host fills answer E_NOTIMPL for them
    OVS_PLACEHOLDER_NOTIMPL(7)
    OVS_PLACEHOLDER_NOTIMPL(8)
    OVS_PLACEHOLDER_NOTIMPL(11)
    OVS_PLACEHOLDER_NOTIMPL(12)
    HRESULT STDMETHODCALLTYPE GetCurrentUserRights(DWORD** ppRights) override {
        Record("user 12");
        *ppRights = nullptr;
        if (SUCCEEDED(m_rightsResult) && m_hasRights) {
            *ppRights = static_cast<DWORD*>(HandOut(m_rights.data(), m_rights.size() * sizeof(DWORD)));
        }
        return m_rightsResult;
    }

    // ---- the document store
    HRESULT STDMETHODCALLTYPE GetNames(LPSTR szFolder, LPSTR szName) override {
        Record("store 10");
        std::snprintf(szFolder, MAX_PATH, "%s", m_folder.c_str());
        std::snprintf(szName, MAX_PATH, "%s", "unused");
        return m_namesResult;
    }
    HRESULT STDMETHODCALLTYPE WriteBlock(LONG nCategory, LONG nIdentifier, LPCSTR szName, const BYTE* pBlock,
                                         ULONG cbBlock, LONG nFlag) override {
        Record("store 19 %ld %#lx %s %lu %ld", nCategory, nIdentifier, szName, cbBlock, nFlag);
        m_written.assign(pBlock, pBlock + cbBlock);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReadBlock(LONG nCategory, LONG nIdentifier, LPCSTR szName, LONG n1, LONG n2,
                                        BYTE** ppBlock, ULONG* pcbBlock, LONG* pnFlag) override {
        Record("store 20 %ld %#lx %s %ld %ld", nCategory, nIdentifier, szName, n1, n2);
        *ppBlock = static_cast<BYTE*>(HandOut(m_stored.data(), m_stored.size()));
        *pcbBlock = static_cast<ULONG>(m_stored.size());
        *pnFlag = m_storedFlag;
        return m_readResult;
    }

    // ---- the setup
    HRESULT STDMETHODCALLTYPE SetRights(const DWORD* pRights, HRESULT hr) override {
        m_rightsResult = hr;
        m_hasRights = pRights != nullptr;
        m_rights.clear();
        for (const DWORD* p = pRights; p != nullptr && *p != 0; ++p) {
            m_rights.push_back(*p);
        }
        m_rights.push_back(0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetStoreNames(LPCSTR szFolder, HRESULT hr) override {
        m_folder = szFolder != nullptr ? szFolder : "";
        m_namesResult = hr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetStoredBlock(const BYTE* pBlock, ULONG cbBlock, LONG nFlag,
                                             HRESULT hr) override {
        m_stored.assign(pBlock, pBlock + cbBlock);
        m_storedFlag = nFlag;
        m_readResult = hr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetServiceAnswer(LONG nAnswer) override {
        m_answer = nAnswer;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCallLog(LPSTR szLog, ULONG cchCapacity) override {
        if (szLog == nullptr || cchCapacity == 0) {
            return E_POINTER;
        }
        std::snprintf(szLog, cchCapacity, "%s", m_log.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ClearCallLog() override {
        m_log.clear();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetWrittenBlock(BYTE* pBlock, ULONG cbCapacity, ULONG* pcbBlock) override {
        *pcbBlock = static_cast<ULONG>(m_written.size());
        std::memcpy(pBlock, m_written.data(), m_written.size() < cbCapacity ? m_written.size() : cbCapacity);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLiveCounts(LONG* pnBlocks, LONG* pnObjects) override {
        LONG live = 0;
        IMalloc* allocator = nullptr;
        if (SUCCEEDED(CoGetMalloc(MEMCTX_TASK, &allocator))) {
            for (void* block : m_handedOut) {
                live += allocator->DidAlloc(block) == 1 ? 1 : 0;
            }
            allocator->Release();
        }
        *pnBlocks = live;
        *pnObjects = ovs::standin::LiveObjects();
        return S_OK;
    }

    void Record(const char* format, ...) override {
        char line[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        m_log += line;
        m_log += '\n';
    }

private:
    // A fresh task-memory copy (at least one byte, so that an empty block is a block too).
    void* HandOut(const void* bytes, size_t size) {
        void* block = CoTaskMemAlloc(size > 0 ? size : 1);
        if (block != nullptr) {
            std::memcpy(block, bytes, size);
            m_handedOut.push_back(block);
        }
        return block;
    }

    HRESULT AnswerService(int slot, LPCOLESTR name, REFIID iid, void** out) {
        wchar_t iidText[40] = L"";
        StringFromGUID2(iid, iidText, 40);
        Record("host %d %ls %ls", slot, name != nullptr ? name : L"(null)", iidText);
        *out = nullptr;
        switch (m_answer) {
            case OVS_SERVICE_FAILURE:
                return E_NOINTERFACE;
            case OVS_SERVICE_NOTHING:
                return S_OK;
            default:
                return ovs::standin::CreateAuditTrailService(static_cast<IOVSDocument*>(this), *this, iid,
                                                             out);
        }
    }

    ovs::standin::References<HostObject> m_references;
    bool m_hasRights = false;
    std::vector<DWORD> m_rights{0};
    HRESULT m_rightsResult = S_OK;
    std::string m_folder;
    HRESULT m_namesResult = S_OK;
    std::vector<BYTE> m_stored;
    LONG m_storedFlag = 0;
    HRESULT m_readResult = S_OK;
    LONG m_answer = OVS_SERVICE_OBJECT;
    std::vector<void*> m_handedOut;
    std::vector<BYTE> m_written;
    std::string m_log;
};

HRESULT CreateHostObject(REFIID iid, void** out) {
    return ovs::standin::CreateAndQuery<HostObject>(iid, out);
}

} // namespace

const ovs::standin::ServedClass ovs::standin::kServedClass{CLSID_OvsHostObjectStandIn, "Host object",
                                                           CreateHostObject};
