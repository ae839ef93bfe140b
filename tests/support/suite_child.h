// The body of a child mode that runs this executable's test suites matching a filter: a test starts
// the child in another locale, and the same tests, which skip elsewhere, run there.
#pragma once

#include <gtest/gtest.h>

namespace ovs::test {

inline int RunSuitesInThisProcess(const char* filter) {
    GTEST_FLAG_SET(filter, filter);
    int argc = 1;
    char name[] = "suites";
    char* argv[] = {name, nullptr};
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace ovs::test
