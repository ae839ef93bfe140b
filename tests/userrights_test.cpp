// The process rights, the rights list and the audit-trail requests.
#include "paths_report.h"
#include "ovsrights.h"
#include "ovstoolchrom.h"
#include "ovstoolusers.h"
#include "host_object.h"

#include <string>
#include <vector>

namespace {

using ovs::test::ReportContains;

std::vector<DWORD> Numbers(const CUserRights& rights) {
    std::vector<DWORD> numbers;
    for (int i = 0; i < rights.GetCount(); ++i) {
        numbers.push_back(rights.GetAt(i));
    }
    return numbers;
}

TEST(ProcessRights, KeepsOnlyTheThreeRightsAndDerivesTheGraphAxisRight) {
    EXPECT_EQ(0u, Tool_GetCurrentUserRight(1406));
    EXPECT_FALSE(Tool_GetGraphAxisRight());
    Tool_SetCurrentUserRight(1411, 1);
    Tool_SetCurrentUserRight(1406, 0);
    Tool_SetCurrentUserRight(1407, 7);
    EXPECT_TRUE(Tool_GetGraphAxisRight());
    EXPECT_EQ(7u, Tool_GetCurrentUserRight(1407));
    Tool_SetCurrentUserRight(1406, 1);
    EXPECT_FALSE(Tool_GetGraphAxisRight());
    Tool_SetCurrentUserRight(1408, 5);
    EXPECT_EQ(0u, Tool_GetCurrentUserRight(1408));
    EXPECT_EQ(0u, Tool_GetCurrentUserRight(0));
    for (int right : {1406, 1407, 1411}) {
        Tool_SetCurrentUserRight(right, 0);
    }
}

TEST(RightsList, HoldsTheNumbersBeforeTheZeroEntry) {
    const DWORD granted[] = {1706, 12, 0, 99}, none[] = {0};
    const CUserRights rights(granted), unrestricted, empty(none);
    EXPECT_EQ((std::vector<DWORD>{1706, 12}), Numbers(rights));
    EXPECT_EQ(0u, rights.GetAt(2));
    for (DWORD right : {0u, 99u, 1706u}) {
        EXPECT_EQ(right == 1706 ? right : 0, rights.HasRight(right));
        EXPECT_EQ(right, unrestricted.HasRight(right));
        EXPECT_EQ(0u, empty.HasRight(right));
    }
    EXPECT_FALSE(unrestricted.HasBlock());
    EXPECT_TRUE(empty.HasBlock());
}

TEST(RightsList, AnswersHasAnyAndHasAllWithAndWithoutBlock) {
    const DWORD none[] = {0}, oneTwo[] = {1, 2, 0}, twoThree[] = {2, 3, 0}, three[] = {3, 0},
                twoOne[] = {2, 1, 0}, ones[] = {1, 1, 1, 0};
    // anyOfArray: has-any of the other list's block as a 0-ended array.
    struct Case {
        const DWORD* self;
        const DWORD* other;
        BOOL any;
        BOOL all;
        BOOL anyOfArray;
    } cases[] = {
        {nullptr, none, TRUE, TRUE, FALSE},   {nullptr, oneTwo, TRUE, TRUE, TRUE},
        {none, nullptr, FALSE, TRUE, FALSE},  {none, none, FALSE, TRUE, FALSE},
        {none, oneTwo, FALSE, FALSE, FALSE},  {oneTwo, nullptr, FALSE, TRUE, FALSE},
        {oneTwo, none, FALSE, TRUE, FALSE},   {oneTwo, twoThree, TRUE, FALSE, TRUE},
        {oneTwo, three, FALSE, FALSE, FALSE}, {oneTwo, twoOne, TRUE, TRUE, TRUE},
        {oneTwo, ones, TRUE, FALSE, TRUE},    {twoThree, three, TRUE, TRUE, TRUE},
    };
    for (const Case& c : cases) {
        const CUserRights self(c.self);
        const CUserRights other(c.other);
        SCOPED_TRACE(testing::Message() << "self " << self.GetCount() << " other " << other.GetCount());
        EXPECT_EQ(c.any, self.HasAnyRight(other));
        EXPECT_EQ(c.all, self.HasAllRights(other));
        EXPECT_EQ(c.anyOfArray, self.HasAnyRight(c.other));
    }
}

TEST(RightsList, AddsRemovesAndCopiesIndependently) {
    const DWORD start[] = {5, 7, 5, 9, 0};
    CUserRights rights(start);
    EXPECT_TRUE(rights.AddRight(11));
    EXPECT_FALSE(rights.AddRight(0));
    EXPECT_TRUE(rights.RemoveRight(5));
    EXPECT_FALSE(rights.RemoveRight(6));
    EXPECT_EQ((std::vector<DWORD>{7, 5, 9, 11}), Numbers(rights));

    CUserRights copy(rights);
    CUserRights assigned;
    assigned = rights;
    rights.RemoveRights(start);
    EXPECT_EQ((std::vector<DWORD>{11}), Numbers(rights));
    EXPECT_EQ((std::vector<DWORD>{7, 5, 9, 11}), Numbers(copy));
    copy.RemoveRights(rights);
    EXPECT_EQ((std::vector<DWORD>{7, 5, 9}), Numbers(copy));
    assigned = start;
    EXPECT_EQ((std::vector<DWORD>{5, 7, 5, 9}), Numbers(assigned));
    assigned = assigned;
    assigned.RemoveRights(assigned);
    EXPECT_TRUE(assigned.HasBlock());
    EXPECT_EQ(0, assigned.GetCount());
    assigned.Clear();
    EXPECT_FALSE(assigned.HasBlock());
    EXPECT_TRUE(assigned.AddRight(3));
    EXPECT_EQ(0u, assigned.HasRight(4));
}

TEST(RightsList, HoldsTenThousandNumbers) {
    const DWORD none[] = {0};
    CUserRights rights(none);
    std::vector<DWORD> odd;
    for (DWORD n = 1; n <= 10000; ++n) {
        ASSERT_TRUE(rights.AddRight(n));
        if (n % 2 == 1) {
            odd.push_back(n);
        }
    }
    odd.push_back(0);
    EXPECT_EQ(10000, rights.GetCount());
    EXPECT_EQ(10000u, rights.HasRight(10000));
    rights.RemoveRights(odd.data());
    EXPECT_EQ(5000, rights.GetCount());
    EXPECT_EQ(0u, rights.HasRight(9999));
    EXPECT_EQ(10000u, rights.GetAt(4999));
}

TEST(RightsList, WithoutMemoryHoldsNoRightAndKeepsWhatItHad) {
    ovs::test::PathsReportFile();
    const DWORD granted[] = {1, 2, 0};
    OvsTestFailTaskMemory(0);
    const CUserRights lost(granted);
    EXPECT_TRUE(lost.HasBlock());
    EXPECT_EQ(0u, lost.HasRight(1));
    EXPECT_TRUE(ReportContains("CoTaskMemAlloc(Realloc) returned NULL [12 bytes]"));

    CUserRights kept(granted);
    OvsTestFailTaskMemory(0);
    EXPECT_FALSE(kept.AddRight(3));
    EXPECT_TRUE(ReportContains("CoTaskMemAlloc(Realloc) returned NULL [16 bytes]"));
    EXPECT_EQ((std::vector<DWORD>{1, 2}), Numbers(kept));
    CUserRights grown(lost);
    EXPECT_TRUE(grown.AddRight(3));
    EXPECT_EQ((std::vector<DWORD>{3}), Numbers(grown));
    OvsTestFailTaskMemory(-1);
}

// ---- audit trail

constexpr char kReasonQuery[] = "host 12 Audit Trail {51A0F930-A651-472E-87F2-661CC0B9A4AF}\n";
constexpr char kStatusQuery[] = "host 13 Audit Trail {69A3409D-AB10-4C10-8D68-29019337F215}\n";

// The references that the object has besides the one the test holds.
ULONG OtherReferences(IUnknown* object) {
    object->AddRef();
    return object->Release() - 1;
}

TEST(AuditTrail, ForwardsEachRequestToItsSlot) {
    const auto setup = ovs::test::CreateHostObject();
    IUnknown* host = setup.get();
    const ULONG references = OtherReferences(host);
    Tool_SetAudittrailReason(host, 0x7FFFFFF1);
    Tool_SetProcessModeForAudittrail(host, -3);
    LONG first = 0;
    LONG second = 0;
    Tool_GetAudittrailStatusSameReasonSetting(host, &first, &second);
    Tool_ClearAudittrailStatusSameReasonSetting(host);
    Tool_InvalidateAttestInputReason(host, 5);
    EXPECT_EQ(std::string(kReasonQuery) + "reason 15 2147483633 0\n" + kStatusQuery + "status 8 -3\n" +
                  kStatusQuery + "status 9\n" + kStatusQuery + "status 10\n" + kStatusQuery + "status 11 5\n",
              ovs::test::CallLog(setup.get()));
    EXPECT_EQ(11, first);
    EXPECT_EQ(-22, second);
    EXPECT_EQ(references, OtherReferences(host));
    EXPECT_EQ(1, ovs::test::LiveCounts(setup.get()).second) << "every service object released";
}

TEST(AuditTrail, EndsSilentlyWithoutAService) {
    const auto setup = ovs::test::CreateHostObject();
    IUnknown* host = setup.get();
    const ULONG references = OtherReferences(host);
    for (LONG answer : {OVS_SERVICE_FAILURE, OVS_SERVICE_NOTHING}) {
        setup->SetServiceAnswer(answer);
        Tool_SetAudittrailReason(host, 1);
        Tool_InvalidateAttestInputReason(host, 1);
    }
    EXPECT_EQ(std::string(kReasonQuery) + kStatusQuery + kReasonQuery + kStatusQuery,
              ovs::test::CallLog(setup.get()));
    // A service object answers only its own interface, not the service host's.
    setup->SetServiceAnswer(OVS_SERVICE_OBJECT);
    ovs::com_ptr<IUnknown> service;
    ovs::test::QueryAs<IOVSDocument>(host, IID_IOVSDocument)
        ->QueryService(OVS_AUDIT_TRAIL_SERVICE, IID_IOVSAuditTrailStatus, service.put_void());
    ovs::test::CallLog(setup.get());
    Tool_SetProcessModeForAudittrail(service.get(), 1);
    Tool_SetProcessModeForAudittrail(nullptr, 1);
    EXPECT_EQ("", ovs::test::CallLog(setup.get()));
    service.reset();
    EXPECT_EQ(references, OtherReferences(host));
}

} // namespace
