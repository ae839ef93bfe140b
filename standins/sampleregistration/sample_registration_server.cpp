// The sample-registration program as an in-process server: one object kind that hands out its
// name, served under two class names, one of them with an empty name.
#include "sample_registration_standin.h"
#include "inproc_server.h"

#include <oleauto.h>

namespace {

class SampleRegistration final : public IOVSSampleRegistration {
public:
    explicit SampleRegistration(const wchar_t* name) : m_name(name) {}
    SampleRegistration(const SampleRegistration&) = delete;
    SampleRegistration& operator=(const SampleRegistration&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IOVSSampleRegistration) {
            return E_NOINTERFACE;
        }
        *out = static_cast<IOVSSampleRegistration*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_references.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_references.Release(this); }

    HRESULT STDMETHODCALLTYPE GetProgramName(BSTR* pbstrName) override {
        if (pbstrName == nullptr) {
            return E_POINTER;
        }
        *pbstrName = SysAllocString(m_name);
        return *pbstrName != nullptr ? S_OK : E_OUTOFMEMORY;
    }

private:
    friend class ovs::standin::References<SampleRegistration>;
    ~SampleRegistration() = default;

    const wchar_t* m_name;
    ovs::standin::References<SampleRegistration> m_references;
};

HRESULT CreateProgram(REFIID iid, void** out) {
    return ovs::standin::CreateAndQuery<SampleRegistration>(iid, out, kSampleRegistrationName);
}

HRESULT CreateUnnamed(REFIID iid, void** out) {
    return ovs::standin::CreateAndQuery<SampleRegistration>(iid, out, L"");
}

const ovs::standin::ServedClass kUnnamedClass{CLSID_OvsSampleRegistrationUnnamed,
                                              "Unnamed sample registration", CreateUnnamed,
                                              kSampleRegistrationUnnamed};
const ovs::standin::AlsoServed kAlsoUnnamed(kUnnamedClass);

} // namespace

const ovs::standin::ServedClass ovs::standin::kServedClass{CLSID_OvsSampleRegistration, "Sample registration",
                                                           CreateProgram, kSampleRegistrationProgram};
