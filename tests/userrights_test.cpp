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
    EXPECT_FALSE(Tool_GetGraphAxisRight());
    Tool_SetCurrentUserRight(1411, 1);
    Tool_SetCurrentUserRight(1407, 7);
    Tool_SetCurrentUserRight(1408, 5);
    EXPECT_EQ(std::tuple(TRUE, 7u, 0u), std::tuple(Tool_GetGraphAxisRight(), Tool_GetCurrentUserRight(1407),
                                                   Tool_GetCurrentUserRight(1408)));
    Tool_SetCurrentUserRight(1406, 1);
    EXPECT_FALSE(Tool_GetGraphAxisRight());
    for (int right : {1406, 1407, 1411}) {
        Tool_SetCurrentUserRight(right, 0);
    }
}

TEST(RightsList, HoldsTheNumbersBeforeTheZeroEntryAndAnswersAnyAndAll) {
    const DWORD granted[] = {1706, 12, 0, 99}, none[] = {0};
    const CUserRights rights(granted), unrestricted, empty(none);
    EXPECT_EQ((std::vector<DWORD>{1706, 12}), Numbers(rights));
    for (DWORD right : {0u, 99u, 1706u}) { // no list grants every right, an empty one none
        EXPECT_EQ(std::tuple(right == 1706 ? right : 0, right, DWORD(0)),
                  std::tuple(rights.HasRight(right), unrestricted.HasRight(right), empty.HasRight(right)));
    }
    const DWORD oneTwo[] = {1, 2, 0}, twoThree[] = {2, 3, 0}, three[] = {3, 0}, twoOne[] = {2, 1, 0};
    // self, other: any, all, any of the other's block as a 0-ended array
    const std::tuple<const DWORD*, const DWORD*, BOOL, BOOL, BOOL> cases[] = {
        {nullptr, oneTwo, TRUE, TRUE, TRUE},  {none, nullptr, FALSE, TRUE, FALSE},
        {none, oneTwo, FALSE, FALSE, FALSE},  {oneTwo, twoThree, TRUE, FALSE, TRUE},
        {oneTwo, three, FALSE, FALSE, FALSE}, {oneTwo, twoOne, TRUE, TRUE, TRUE}};
    for (const auto& [selfBlock, otherBlock, any, all, anyOfArray] : cases) {
        const CUserRights self(selfBlock), other(otherBlock);
        EXPECT_EQ(std::tuple(any, all, anyOfArray),
                  std::tuple(self.HasAnyRight(other), self.HasAllRights(other), self.HasAnyRight(otherBlock)))
            << "self " << self.GetCount() << " other " << other.GetCount();
    }
}

TEST(RightsList, AddsRemovesCopiesAndKeepsWhatItHadWithoutMemory) {
    ovs::test::PathsReportFile();
    const DWORD start[] = {5, 7, 5, 9, 0};
    CUserRights rights(start);
    EXPECT_TRUE(rights.AddRight(11) && !rights.AddRight(0) && rights.RemoveRight(5) &&
                !rights.RemoveRight(6));
    CUserRights copy(rights);
    rights.RemoveRights(start);
    copy.RemoveRights(rights);
    EXPECT_EQ(std::pair(std::vector<DWORD>{11}, std::vector<DWORD>{7, 5, 9}),
              std::pair(Numbers(rights), Numbers(copy)));
    copy.RemoveRights(copy);
    EXPECT_TRUE(copy.HasBlock() && copy.GetCount() == 0);
    copy.Clear();
    EXPECT_FALSE(copy.HasBlock());
    const DWORD granted[] = {1, 2, 0};
    OvsTestFailTaskMemory(0);
    const CUserRights lost(granted);
    EXPECT_TRUE(lost.HasBlock() && lost.HasRight(1) == 0);
    CUserRights kept(granted);
    OvsTestFailTaskMemory(0);
    EXPECT_FALSE(kept.AddRight(3));
    EXPECT_EQ((std::vector<DWORD>{1, 2}), Numbers(kept));
    for (const char* size : {"[12 bytes]", "[16 bytes]"}) {
        EXPECT_TRUE(ovs::test::ReportContains(std::string("CoTaskMemAlloc(Realloc) returned NULL ") + size));
    }
}

constexpr char kReasonQuery[] = "host 12 Audit Trail {51A0F930-A651-472E-87F2-661CC0B9A4AF}\n";
constexpr char kStatusQuery[] = "host 13 Audit Trail {69A3409D-AB10-4C10-8D68-29019337F215}\n";

TEST(AuditTrail, ForwardsEachRequestToItsSlotOrEndsSilently) {
    const auto setup = ovs::test::CreateHostObject();
    IUnknown* host = setup.get();
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
    for (LONG answer : {OVS_SERVICE_FAILURE, OVS_SERVICE_NOTHING}) { // without a service
        setup->SetServiceAnswer(answer);
        Tool_SetAudittrailReason(host, 1);
    }
    Tool_SetProcessModeForAudittrail(nullptr, 1);
    EXPECT_EQ(std::string(kReasonQuery) + kReasonQuery, ovs::test::CallLog(setup.get()));
    ovs::test::ExpectAllReleased(setup.get(), 1);
}

} // namespace
