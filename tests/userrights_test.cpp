// The process rights, the rights list and the audit-trail requests.
#include "paths_report.h"
#include "ovsrights.h"
#include "ovstoolchrom.h"
#include "ovstoolusers.h"
#include "host_object.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

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
    EXPECT_EQ(0u, Tool_GetCurrentUserRight(1408) + Tool_GetCurrentUserRight(0));
    for (int right : {1406, 1407, 1411}) {
        Tool_SetCurrentUserRight(right, 0);
    }
}

TEST(RightsList, HoldsTheNumbersBeforeTheZeroEntryAndAnswersAnyAndAll) {
    const DWORD granted[] = {1706, 12, 0, 99}, none[] = {0};
    const CUserRights rights(granted), unrestricted, empty(none);
    EXPECT_EQ((std::vector<DWORD>{1706, 12}), Numbers(rights));
    EXPECT_EQ(0u, rights.GetAt(2));
    for (DWORD right : {0u, 99u, 1706u}) {
        EXPECT_EQ(std::tuple(right == 1706 ? right : 0, right, DWORD(0)),
                  std::tuple(rights.HasRight(right), unrestricted.HasRight(right), empty.HasRight(right)));
    }
    EXPECT_TRUE(!unrestricted.HasBlock() && empty.HasBlock());
    // any, all, and any of the other list's block as a 0-ended array.
    const DWORD oneTwo[] = {1, 2, 0}, twoThree[] = {2, 3, 0}, three[] = {3, 0}, twoOne[] = {2, 1, 0},
                ones[] = {1, 1, 1, 0};
    const std::tuple<const DWORD*, const DWORD*, BOOL, BOOL, BOOL> cases[] = {
        {nullptr, none, TRUE, TRUE, FALSE},   {nullptr, oneTwo, TRUE, TRUE, TRUE},
        {none, nullptr, FALSE, TRUE, FALSE},  {none, none, FALSE, TRUE, FALSE},
        {none, oneTwo, FALSE, FALSE, FALSE},  {oneTwo, nullptr, FALSE, TRUE, FALSE},
        {oneTwo, none, FALSE, TRUE, FALSE},   {oneTwo, twoThree, TRUE, FALSE, TRUE},
        {oneTwo, three, FALSE, FALSE, FALSE}, {oneTwo, twoOne, TRUE, TRUE, TRUE},
        {oneTwo, ones, TRUE, FALSE, TRUE},    {twoThree, three, TRUE, TRUE, TRUE}};
    for (const auto& [selfBlock, otherBlock, any, all, anyOfArray] : cases) {
        const CUserRights self(selfBlock), other(otherBlock);
        EXPECT_EQ(std::tuple(any, all, anyOfArray),
                  std::tuple(self.HasAnyRight(other), self.HasAllRights(other), self.HasAnyRight(otherBlock)))
            << "self " << self.GetCount() << " other " << other.GetCount();
    }
}

TEST(RightsList, AddsRemovesAndCopiesIndependently) {
    const DWORD start[] = {5, 7, 5, 9, 0};
    CUserRights rights(start);
    EXPECT_TRUE(rights.AddRight(11) && !rights.AddRight(0));
    EXPECT_TRUE(rights.RemoveRight(5) && !rights.RemoveRight(6));
    EXPECT_EQ((std::vector<DWORD>{7, 5, 9, 11}), Numbers(rights));
    CUserRights copy(rights), assigned;
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
    EXPECT_TRUE(assigned.HasBlock() && assigned.GetCount() == 0);
    assigned.Clear();
    EXPECT_FALSE(assigned.HasBlock());
    EXPECT_TRUE(assigned.AddRight(3));
    EXPECT_EQ(0u, assigned.HasRight(4));
    // Ten thousand numbers, half of them removed at once.
    const DWORD none[] = {0};
    CUserRights many(none);
    std::vector<DWORD> odd;
    for (DWORD n = 1; n <= 10000; ++n) {
        ASSERT_TRUE(many.AddRight(n));
        if (n % 2 == 1) {
            odd.push_back(n);
        }
    }
    odd.push_back(0);
    EXPECT_EQ(10000u, many.HasRight(10000));
    many.RemoveRights(odd.data());
    EXPECT_EQ(std::tuple(5000, DWORD(0), DWORD(10000)),
              std::tuple(many.GetCount(), many.HasRight(9999), many.GetAt(4999)));
}

TEST(RightsList, WithoutMemoryHoldsNoRightAndKeepsWhatItHad) {
    ovs::test::PathsReportFile();
    const DWORD granted[] = {1, 2, 0};
    OvsTestFailTaskMemory(0);
    const CUserRights lost(granted);
    EXPECT_TRUE(lost.HasBlock() && lost.HasRight(1) == 0);
    EXPECT_TRUE(ovs::test::ReportContains("CoTaskMemAlloc(Realloc) returned NULL [12 bytes]"));
    CUserRights kept(granted);
    OvsTestFailTaskMemory(0);
    EXPECT_FALSE(kept.AddRight(3));
    EXPECT_TRUE(ovs::test::ReportContains("CoTaskMemAlloc(Realloc) returned NULL [16 bytes]"));
    EXPECT_EQ((std::vector<DWORD>{1, 2}), Numbers(kept));
    CUserRights grown(lost);
    EXPECT_TRUE(grown.AddRight(3));
    EXPECT_EQ((std::vector<DWORD>{3}), Numbers(grown));
}

constexpr char kReasonQuery[] = "host 12 Audit Trail {51A0F930-A651-472E-87F2-661CC0B9A4AF}\n";
constexpr char kStatusQuery[] = "host 13 Audit Trail {69A3409D-AB10-4C10-8D68-29019337F215}\n";

// The references that the object has besides the one the test holds.
ULONG OtherReferences(IUnknown* object) {
    object->AddRef();
    return object->Release() - 1;
}

TEST(AuditTrail, ForwardsEachRequestToItsSlotOrEndsSilently) {
    const auto setup = ovs::test::CreateHostObject();
    IUnknown* host = setup.get();
    const ULONG references = OtherReferences(host);
    Tool_SetAudittrailReason(host, 0x7FFFFFF1);
    Tool_SetProcessModeForAudittrail(host, -3);
    LONG first = 0, second = 0;
    Tool_GetAudittrailStatusSameReasonSetting(host, &first, &second);
    Tool_ClearAudittrailStatusSameReasonSetting(host);
    Tool_InvalidateAttestInputReason(host, 5);
    EXPECT_EQ(std::string(kReasonQuery) + "reason 15 2147483633 0\n" + kStatusQuery + "status 8 -3\n" +
                  kStatusQuery + "status 9\n" + kStatusQuery + "status 10\n" + kStatusQuery + "status 11 5\n",
              ovs::test::CallLog(setup.get()));
    EXPECT_EQ(std::pair(11L, -22L), std::pair(first, second));
    EXPECT_EQ(1, ovs::test::LiveCounts(setup.get()).second) << "every service object released";
    // Without a service.
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
