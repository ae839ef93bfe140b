// Installed products and solution types. The product list lives once per process, so each case
// runs in a child process of its own, started after the registry holds the case's entries.
#include "current_user_raw.h"
#include "test_support.h"

#include <ovstoolfiletypes.h>
#include <ovstoolproducts.h>

#include <string>
#include <vector>

namespace {

constexpr char kMachineKey[] =
    "SOFTWARE\\VELDORAN\\Orvantiscope\\Orvantiscope2\\CurrentVersion\\InstalledProduct";
constexpr char kUserKey[] = "SOFTWARE\\VELDORAN\\Orvantiscope\\Orvantiscope2\\InstalledProduct";

struct Entry {
    const char* name;
    DWORD type;
    std::string data; // REG_DWORD: the number in decimal
};

void WriteMachineEntries(const std::vector<Entry>& entries) {
    ovs::unique_hkey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMachineKey, 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, key.put(), nullptr));
    for (const Entry& e : entries) {
        if (e.type == REG_DWORD) {
            const DWORD value = std::stoul(e.data, nullptr, 0);
            RegSetValueExA(key.get(), e.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           sizeof(value));
        } else {
            RegSetValueExA(key.get(), e.name, 0, e.type, reinterpret_cast<const BYTE*>(e.data.c_str()),
                           static_cast<DWORD>(e.data.size() + 1));
        }
    }
}

// The child's answer in its exit code: mask (low 16 bits), filter type, application and default
// solution types (each + 1, 4 bits) and the extension type.
DWORD Pack(DWORD mask, int filter, long app, long def, int extensionType) {
    return (mask & 0xFFFF) | (static_cast<DWORD>(filter) << 16) | (static_cast<DWORD>(app + 1) << 20) |
           (static_cast<DWORD>(def + 1) << 24) | (static_cast<DWORD>(extensionType) << 28);
}

const ovs::test::ChildMode kSelectMode("products-select", [](const std::vector<std::string>& args) {
    const DWORD mask = Tool_GetInstalledProduct();
    Tool_SetAppSolutionType(std::stol(args.at(0)));
    return static_cast<int>(Pack(mask, Tool_GetFileFilterType(), Tool_GetAppSolutionType(0),
                                 Tool_GetDefaultSolutionType(), Tool_GetFileExtensionType()));
});

struct SelectCase {
    const char* label;
    std::vector<Entry> machine;
    DWORD productCache; // 0: none
    long requested;
    DWORD mask;
    int filter;
    long solution; // application and default alike
};

class ProductsTest : public ovs::test::RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        ovs::test::ResetCurrentUserTree();
    }
    void TearDown() override {
        ovs::test::ResetCurrentUserTree();
        RegistryTest::TearDown();
    }
};

TEST_F(ProductsTest, MaskAndSelectionFromTheRegistry) {
    const std::string longText(3000, 'x');
    const SelectCase cases[] = {
        {"LC and GC", {{"LC", REG_DWORD, "1"}, {"GC", REG_DWORD, "1"}}, 0, -1, 0x11, 2, 0},
        {"LC-MS only", {{"LCVXMS", REG_DWORD, "1"}}, 0, -1, 0x100, 0, 1},
        {"GC only, LC asked", {{"GC", REG_DWORD, "1"}}, 0, 0, 0x10, 0, -1},
        {"GC only, GC asked", {{"GC", REG_DWORD, "1"}}, 0, 2, 0x10, 1, 2},
        {"GC-MS automatic", {{"GCVXMS", REG_DWORD, "1"}, {"GC", REG_DWORD, "1"}}, 0, -1, 0x410, 1, 3},
        {"text entry ignored", {{"LC", REG_SZ, "1"}, {"GC", REG_DWORD, "1"}}, 0, -1, 0x10, 1, 2},
        {"zero sets no bit", {{"LC", REG_DWORD, "0"}, {"PDA", REG_DWORD, "1"}}, 0, -1, 0x2, 0, 0},
        {"names without case",
         {{"lczetrams", REG_DWORD, "5"}, {"agilentlc", REG_DWORD, "1"}},
         0,
         -1,
         0x201,
         0,
         1},
        {"long text amid numbers",
         {{"LC", REG_DWORD, "1"}, {"Notes", REG_SZ, longText}, {"GC", REG_DWORD, "1"}},
         0,
         3,
         0x11,
         1,
         -1},
        {"user cache overrides", {{"LC", REG_DWORD, "1"}}, 0x400, -1, 0x400, 1, 3},
        {"nothing installed", {}, 0, -1, 0, 0, -1},
        {"unknown request", {{"LC", REG_DWORD, "1"}}, 0, 7, 0x1, 0, -1},
    };
    for (const SelectCase& c : cases) {
        SCOPED_TRACE(c.label);
        ovs::test::ResetProductRegistry();
        ovs::test::ResetCurrentUserTree();
        WriteMachineEntries(c.machine);
        if (c.productCache != 0) {
            ASSERT_TRUE(ovs::test::RawUserSetInt(kUserKey, "ProductCache", c.productCache));
        }
        const auto result = ovs::test::RunChild("products-select", {std::to_string(c.requested)});
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(Pack(c.mask, c.filter, c.solution, c.solution, c.solution >= 2 ? 1 : 0), result.exitCode);
    }
}

// The list is filled while empty and never refreshed; the mask alone is forgotten.
const ovs::test::ChildMode kStaleMode("products-stale", [](const std::vector<std::string>&) {
    if (Tool_GetInstalledProduct() != 0) {
        return 1;
    }
    WriteMachineEntries({{"LC", REG_DWORD, "1"}}); // a computed 0 is not kept: read again
    if (Tool_GetInstalledProduct() != 0x1) {
        return 2;
    }
    WriteMachineEntries({{"GC", REG_DWORD, "1"}});
    Tool_ClearInstalledProductCache();
    if (Tool_GetInstalledProduct() != 0x1) {
        return 3; // the filled list stays
    }
    return 0;
});

TEST_F(ProductsTest, ListFilledOnceAndZeroNotCached) {
    const auto result = ovs::test::RunChild("products-stale");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode);
}

TEST_F(ProductsTest, GpcInstalledUnlessSetToZeroOrBelow) {
    const struct {
        bool set;
        DWORD value;
        BOOL expected;
    } cases[] = {{false, 0, TRUE},
                 {true, 0xFFFFFFFF, TRUE},
                 {true, 1, TRUE},
                 {true, 0, FALSE},
                 {true, 0xFFFFFFFE, FALSE}};
    for (const auto& c : cases) {
        ovs::test::ResetCurrentUserTree();
        if (c.set) {
            ASSERT_TRUE(ovs::test::RawUserSetInt(kUserKey, "GPC", c.value));
        }
        EXPECT_EQ(c.expected, Tool_IsGPCInstalled()) << c.value;
    }
}

TEST(SolutionTypes, DefaultIsReplacedAndThePreviousReturned) {
    const long before = Tool_GetDefaultSolutionType();
    EXPECT_EQ(before, Tool_SetDefaultSolutionType(3));
    EXPECT_EQ(3, Tool_SetDefaultSolutionType(before));
    EXPECT_EQ(before, Tool_GetDefaultSolutionType());
}

} // namespace
