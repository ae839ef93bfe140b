// Named events, sections and mutexes that every user of the machine may open: one access entry for
// the Everyone group with all rights of the kind.
#include "ovstoollaunch.h"
#include "unique_resource.h"

namespace {

struct SidOwner {
    PSID sid = nullptr;
    ~SidOwner() {
        if (sid != nullptr) {
            FreeSid(sid);
        }
    }
};

} // namespace

HANDLE Tool_CreateKernelObject(BOOL bInitialState, LPCSTR szName, DWORD dwKind, DWORD dwSizeHigh,
                               DWORD dwSizeLow) {
    DWORD rights = 0;
    switch (dwKind) {
        case OVS_KERNEL_EVENT:
            rights = EVENT_ALL_ACCESS;
            break;
        case OVS_KERNEL_SECTION:
            rights = SECTION_ALL_ACCESS;
            break;
        case OVS_KERNEL_MUTEX:
            rights = MUTEX_ALL_ACCESS;
            break;
        default:
            return INVALID_HANDLE_VALUE;
    }
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    SidOwner everyone;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone.sid)) {
        return INVALID_HANDLE_VALUE;
    }
    // Room for exactly one allowing entry: its fixed part without the SID's first word, then the SID.
    const DWORD aclSize =
        sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(everyone.sid);
    ovs::unique_hlocal aclMemory(LocalAlloc(LPTR, aclSize));
    auto* acl = static_cast<PACL>(aclMemory.get());
    SECURITY_DESCRIPTOR descriptor;
    if (acl == nullptr || !InitializeAcl(acl, aclSize, ACL_REVISION) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, rights, everyone.sid) ||
        !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE)) {
        return INVALID_HANDLE_VALUE;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    switch (dwKind) {
        case OVS_KERNEL_EVENT:
            return CreateEventA(&attributes, TRUE, bInitialState, szName);
        case OVS_KERNEL_SECTION:
            return CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, dwSizeHigh,
                                      dwSizeLow, szName);
        default:
            return CreateMutexA(&attributes, bInitialState, szName);
    }
}
