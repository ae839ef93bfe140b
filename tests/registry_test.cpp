#include "test_support.h"
#include "ovsreg.h"

using ovs::test::RegistryTest;

TEST_F(RegistryTest, WrittenTextReadsBack) {
    ASSERT_TRUE(Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Log Path", "C:\\x"));
    char buffer[64];
    EXPECT_EQ(4, Tool_GetRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Log Path", "d", buffer, sizeof buffer));
    EXPECT_STREQ("C:\\x", buffer);
}
