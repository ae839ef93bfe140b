#include "test_support.h"

int main(int argc, char** argv) {
    const int childResult = ovs::test::DispatchChild(argc, argv);
    if (childResult >= 0) {
        return childResult;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
