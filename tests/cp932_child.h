// Runs the double-byte tests of a test executable in a second process whose ANSI code page is 932: the
// suites named "Dbcs*" skip in any other code page; "InCodePage932.DoubleByteTestsPass" starts this
// executable again with the Unix locale ja_JP.UTF-8 (code page 932 under Wine) to run only those suites.
#pragma once

#include "locale_child.h"
#include "suite_child.h"
#include "test_support.h"

#define OVS_REQUIRE_CODE_PAGE_932()                                                                          \
    do {                                                                                                     \
        if (GetACP() != 932) {                                                                               \
            GTEST_SKIP() << "runs in the child process with code page 932";                                  \
        }                                                                                                    \
    } while (false)

namespace ovs::test {

inline const ChildMode kDbcsChild("dbcs-tests", [](const std::vector<std::string>&) {
    return GetACP() != 932 ? 3 : RunSuitesInThisProcess("Dbcs*");
});

} // namespace ovs::test

TEST(InCodePage932, DoubleByteTestsPass) {
    if (!ovs::test::RunsUnderWine()) {
        GTEST_SKIP() << "the locale of a second process is set this way only under Wine";
    }
    const ovs::test::ChildResult result = ovs::test::RunChildInLocale("ja_JP.UTF-8", "dbcs-tests");
    EXPECT_TRUE(result.finished && result.exitCode == 0)
        << "3: the child's code page was not 932; 1: a double-byte test failed";
}
