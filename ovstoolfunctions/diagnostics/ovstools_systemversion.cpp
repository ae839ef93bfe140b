// The version of an instrument-control package, fixed for one package and asked of the version
// component for the others.
#include "ovstoolhost.h"

#include "caller_buffer.h"
#include "unique_resource.h"
#include "version_component.h"
#include "wide_text.h"

#include <cstring>

namespace {

constexpr char kFixedVersionRoot[] = "SOFTWARE\\VELDORAN\\Zeridi OIP Instrument Control Software";
constexpr char kFixedVersion[] = "2.00";
constexpr BYTE kFixedVersionFlag = 0;

} // namespace

void Tool_GetSystemVersion(char* szVersion, BYTE* pbFlag, LPCSTR szRoot) {
    if (szVersion == nullptr) {
        return;
    }
    if (szRoot != nullptr && std::strcmp(szRoot, kFixedVersionRoot) == 0) {
        ovs::CopyToBuffer(szVersion, OVS_SYSTEM_VERSION_SIZE, kFixedVersion);
        if (pbFlag != nullptr) {
            *pbFlag = kFixedVersionFlag;
        }
        return;
    }
    ovs::com_ptr<ovs::IVersionComponent> component;
    if (FAILED(CoCreateInstance(ovs::kVersionComponentClass, nullptr, CLSCTX_INPROC_SERVER,
                                ovs::kVersionComponentInterface, component.put_void())) ||
        !component) {
        return;
    }
    ovs::unique_bstr text;
    if (FAILED(component->GetVersionText(ovs::kSystemVersionRequest, text.put())) || !text) {
        return;
    }
    ovs::CopyToBuffer(szVersion, OVS_SYSTEM_VERSION_SIZE, ovs::NarrowText(text.get()).c_str());
}
