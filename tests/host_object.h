// The host-object stand-in (user management, document store, audit-trail service host), registered
// in the test's prefix and created afresh for each use.
#pragma once

#include "test_support.h"
#include "../standins/hostobject/host_object_standin.h"
#include "unique_resource.h"

#include <string>

namespace ovs::test {

inline ovs::com_ptr<IOvsHostObjectSetup> CreateHostObject() {
    static const bool registered = [] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const std::string path = ExecutableFolder() + "\\OVSHostObject.dll";
        return CallServerFunction(LoadLibraryA(path.c_str()), "DllRegisterServer") == S_OK;
    }();
    ovs::com_ptr<IOvsHostObjectSetup> setup;
    EXPECT_TRUE(registered);
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_OvsHostObjectStandIn, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IOvsHostObjectSetup, setup.put_void()));
    return setup;
}

template <typename Interface>
ovs::com_ptr<Interface> QueryAs(IUnknown* object, REFIID iid) {
    ovs::com_ptr<Interface> result;
    EXPECT_EQ(S_OK, object->QueryInterface(iid, result.put_void()));
    return result;
}

// The calls logged since the last look.
inline std::string CallLog(IOvsHostObjectSetup* setup) {
    char log[8192] = "";
    setup->GetCallLog(log, sizeof log);
    setup->ClearCallLog();
    return log;
}

// Every block the stand-in handed out is freed, and only `objects` of its objects are still live.
inline void ExpectAllReleased(IOvsHostObjectSetup* setup, LONG objects = 1) {
    std::pair<LONG, LONG> counts{-1, -1};
    setup->GetLiveCounts(&counts.first, &counts.second);
    EXPECT_EQ(std::pair(0L, objects), counts) << "blocks and objects still live";
}

} // namespace ovs::test
