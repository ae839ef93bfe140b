// Installed products and solution types; the product list lives once per process, so cases run in
// children.
#include "current_user_raw.h"
#include "test_support.h"

#include <ovstoolfiletypes.h>
#include <ovstoolproducts.h>

#include <sstream>

namespace {

constexpr char kMachineKey[] =
    "SOFTWARE\\VELDORAN\\Orvantiscope\\Orvantiscope2\\CurrentVersion\\InstalledProduct";
constexpr char kUserKey[] = "SOFTWARE\\VELDORAN\\Orvantiscope\\Orvantiscope2\\InstalledProduct";

// Entries "name=number" (double word) or "name:text" (string value; "*n" is n letters).
void WriteMachineEntries(const std::string& entries) {
    std::istringstream words(entries);
    for (std::string word; words >> word;) {
        const size_t at = word.find_first_of("=:");
        const std::string name = word.substr(0, at), data = word.substr(at + 1);
        const DWORD number = word[at] == '=' ? std::stoul(data) : 0;
        const std::string text = data[0] == '*' ? std::string(std::stoul(data.substr(1)), 'x') : data;
        ASSERT_TRUE(word[at] == '=' ? ovs::test::RawUserSet(kMachineKey, name.c_str(), REG_DWORD, &number, 4,
                                                            HKEY_LOCAL_MACHINE)
                                    : ovs::test::RawUserSet(kMachineKey, name.c_str(), REG_SZ, text.c_str(),
                                                            DWORD(text.size() + 1), HKEY_LOCAL_MACHINE));
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

using ProductsTest = ovs::test::BothHivesTest;

TEST_F(ProductsTest, MaskSelectionListFilledOnceAndGpcInstalledUnlessZeroOrBelow) {
    // Product cache (0: none), requested, mask, filter, solution type (application and default alike).
    const std::tuple<const char*, DWORD, long, DWORD, int, long> cases[] = {
        {"LC=1 GC=1", 0, -1, 0x11, 2, 0},
        {"LCVXMS=1", 0, -1, 0x100, 0, 1},
        {"GC=1", 0, 0, 0x10, 0, -1}, // no row matches LC
        {"GC=1", 0, 2, 0x10, 1, 2},
        {"GCVXMS=1 GC=1", 0, -1, 0x410, 1, 3},
        {"LC:1 GC=1", 0, -1, 0x10, 1, 2}, // a text entry is ignored
        {"LC=0 PDA=1", 0, -1, 0x2, 0, 0},
        {"lczetrams=5 agilentlc=1", 0, -1, 0x201, 0, 1},
        {"LC=1 Notes:*3000 GC=1", 0, 3, 0x11, 1, -1},
        {"LC=1", 0x400, -1, 0x400, 1, 3}, // the user's cache overrides
        {"", 0, -1, 0, 0, -1},
        {"LC=1", 0, 7, 0x1, 0, -1}};
    for (const auto& [machine, productCache, requested, mask, filter, solution] : cases) {
        SCOPED_TRACE(machine);
        ovs::test::ResetProductRegistry();
        ovs::test::ResetCurrentUserTree();
        WriteMachineEntries(machine);
        if (productCache != 0) {
            ASSERT_TRUE(ovs::test::RawUserSetInt(kUserKey, "ProductCache", productCache));
        }
        const auto result = ovs::test::RunChild("products-select", {std::to_string(requested)});
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(Pack(mask, filter, solution, solution, solution >= 2 ? 1 : 0), result.exitCode);
    }
    ovs::test::ResetProductRegistry();
    const auto result = ovs::test::RunChild("products-stale");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode);

    EXPECT_TRUE(Tool_IsGPCInstalled());
    for (const auto& [value, expected] :
         {std::pair{0xFFFFFFFFu, TRUE}, {1u, TRUE}, {0u, FALSE}, {0xFFFFFFFEu, FALSE}}) {
        ASSERT_TRUE(ovs::test::RawUserSetInt(kUserKey, "GPC", value));
        EXPECT_EQ(expected, Tool_IsGPCInstalled()) << value;
    }
    const long before = Tool_GetDefaultSolutionType();
    EXPECT_EQ(before, Tool_SetDefaultSolutionType(3));
    EXPECT_EQ(3, Tool_SetDefaultSolutionType(before));
    EXPECT_EQ(before, Tool_GetDefaultSolutionType());
}

// The list is filled while empty and never refreshed; a computed 0 is not kept.
const ovs::test::ChildMode kStaleMode("products-stale", [](const std::vector<std::string>&) {
    const DWORD before = Tool_GetInstalledProduct();
    WriteMachineEntries("LC=1");
    const DWORD filled = Tool_GetInstalledProduct();
    WriteMachineEntries("GC=1");
    Tool_ClearInstalledProductCache();
    return before == 0 && filled == 0x1 && Tool_GetInstalledProduct() == 0x1 ? 0 : 1;
});

} // namespace
