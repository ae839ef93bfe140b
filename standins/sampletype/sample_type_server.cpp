// The sample-type component as an in-process server: one object kind answering the default sample
// type request from fixed lists, the failures the environment asks for, and its registration.
#include "sample_type_standin.h"
#include "inproc_server.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kFailVariable[] = "OVS_SAMPLETYPE_FAIL";

LONG g_created = 0;
LONG g_calls = 0;

struct SampleType {
    const char* name; // at most 32 bytes; exactly 32 leave the record without a terminator
    WORD code;
};

constexpr SampleType kSelector0[] = {
    {"Unknown", 0}, {"Standard", 1}, {"Control", 2}, {"Blank", 3}, {"Bracket Standard", 1},
};
constexpr SampleType kSelector1[] = {
    {"System Suitability", 5},
    {"Calibration Verification Std 001", 6},
    {"Spiked", 7},
};

// The status that the environment asks the step to fail with; S_OK when none.
HRESULT RequestedFailure(const char* step) {
    char value[256];
    const DWORD length = GetEnvironmentVariableA(kFailVariable, value, sizeof value);
    if (length == 0 || length >= sizeof value) {
        return S_OK;
    }
    const std::string entries = std::string(";") + value;
    const size_t at = entries.find(std::string(";") + step + "=");
    if (at == std::string::npos) {
        return S_OK;
    }
    return static_cast<HRESULT>(std::strtoul(entries.c_str() + at + std::strlen(step) + 2, nullptr, 16));
}

template <size_t N>
HRESULT HandOut(const SampleType (&list)[N], WORD* count, OVS_DEFAULTSAMPLETYPE** records) {
    auto* block = static_cast<OVS_DEFAULTSAMPLETYPE*>(CoTaskMemAlloc(sizeof(OVS_DEFAULTSAMPLETYPE) * N));
    if (block == nullptr) {
        return E_OUTOFMEMORY;
    }
    for (size_t i = 0; i < N; ++i) {
        std::memset(block[i].szName, 0, sizeof block[i].szName);
        std::memcpy(block[i].szName, list[i].name, strnlen(list[i].name, sizeof block[i].szName));
        block[i].wTypeCode = list[i].code;
    }
    *count = static_cast<WORD>(N);
    *records = block;
    return S_OK;
}

class SampleTypeObject final : public IOvsDefaultSampleTypes {
public:
    SampleTypeObject() { InterlockedIncrement(&g_created); }
    SampleTypeObject(const SampleTypeObject&) = delete;
    SampleTypeObject& operator=(const SampleTypeObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IOvsDefaultSampleTypes) {
            return E_NOINTERFACE;
        }
        *out = static_cast<IOvsDefaultSampleTypes*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_references.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_references.Release(this); }

    HRESULT STDMETHODCALLTYPE GetDefaultSampleTypes(LONG selector, WORD* count,
                                                    OVS_DEFAULTSAMPLETYPE** records) override {
        InterlockedIncrement(&g_calls);
        if (count == nullptr || records == nullptr) {
            return E_POINTER;
        }
        *count = 0;
        *records = nullptr;
        const HRESULT failure = RequestedFailure("list");
        if (FAILED(failure)) {
            return failure;
        }
        switch (selector) {
            case 0:
                return HandOut(kSelector0, count, records);
            case 1:
                return HandOut(kSelector1, count, records);
            default:
                return S_OK;
        }
    }

private:
    friend class ovs::standin::References<SampleTypeObject>;
    ~SampleTypeObject() = default;

    ovs::standin::References<SampleTypeObject> m_references;
};

HRESULT CreateSampleType(REFIID iid, void** out) {
    const HRESULT failure = RequestedFailure("create");
    if (FAILED(failure)) {
        return failure;
    }
    return ovs::standin::CreateAndQuery<SampleTypeObject>(iid, out);
}

} // namespace

const ovs::standin::ServedClass ovs::standin::kServedClass{CLSID_OvsSampleType, "Sample type",
                                                           CreateSampleType};

extern "C" {

void __stdcall SampleTypeCounters(SampleTypeCounts* counts) {
    if (counts == nullptr) {
        return;
    }
    counts->liveObjects = ovs::standin::LiveObjects();
    counts->created = g_created;
    counts->calls = g_calls;
}

} // extern "C"
