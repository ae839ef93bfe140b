#include "test_support.h"

int main(int argc, char** argv) {
    // A child mode's result is its exit code, whatever its value; only a plain start runs the tests.
    if (const std::optional<int> childResult = ovs::test::DispatchChild(argc, argv)) {
        return *childResult;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
