// Feature switches and display settings: registry answers, cached switches, the grid font, the font
// check per locale and the peak-pick setting of a settings store.
#include "host_object.h"
#include "locale_child.h"
#include "test_support.h"

#include <afxwin.h>
#include <afxwnd.h>
#include <ovsreg.h>
#include <ovsres.h>
#include <ovstoolswitches.h>

using namespace std::string_literals;

namespace {

class SwitchesTest : public ovs::test::RegistryTest {};

BOOL WriteOption(LPCSTR subKey, LPCSTR value, int number) {
    return Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, subKey, value, number);
}

TEST_F(SwitchesTest, RegistryAnswersAndSwitchesCachedOncePerProcess) {
    EXPECT_EQ(6914, Tool_Get3DViewDrawMode());
    EXPECT_FALSE(Tool_Get3DASCIICustomMode());
    CString name;
    EXPECT_STREQ("\\Orvantiscope\\System\\WorkSpaceConfiguration.xml",
                 Tool_GetWorkSpaceConfigurationFileName(name));
    EXPECT_STREQ("\\Orvantiscope\\System\\WorkSpaceConfiguration.xml", name);
    for (const auto& [mode, expected] : {std::pair{0, 6913}, {1, 6914}, {2, 6913}}) {
        ASSERT_TRUE(WriteOption("PDA", "3DViewDrawMode", mode));
        EXPECT_EQ(expected, Tool_Get3DViewDrawMode()) << mode;
    }
    for (const auto& [text, expected] :
         {std::pair{"YES", TRUE}, {"yes", TRUE}, {"Y", FALSE}, {"No", FALSE}}) {
        ASSERT_TRUE(Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "PDA", "3DASCIICustom", text));
        EXPECT_EQ(expected, Tool_Get3DASCIICustomMode()) << text;
    }
    ASSERT_TRUE(Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Sys Path", "D:\\Sys"));
    EXPECT_STREQ("D:\\Sys\\WorkSpaceConfiguration.xml", Tool_GetWorkSpaceConfigurationFileName(name));
    int a = 0;
    EXPECT_EQ(S_OK, Tool_GetDelayTimeFromConfig(&a, &a, nullptr, nullptr, nullptr));
    EXPECT_EQ(E_INVALIDARG, Tool_GetDelayTimeFromConfig(nullptr, &a, &a, &a, &a));
    EXPECT_EQ(E_INVALIDARG, Tool_GetDelayTimeFromConfig(&a, nullptr, &a, &a, &a));
    ASSERT_TRUE(WriteOption("Option", "DragDropDisable", 1));
    ASSERT_TRUE(WriteOption("Option", "DataFileUpdateDisable", 2)); // only 1 disables
    ASSERT_TRUE(WriteOption("Option", "ProjectManagement", 1));
    const auto result = ovs::test::RunChild("switches-cached");
    EXPECT_EQ(0x55u, result.exitCode);
}

// The three cached switches, answered twice: before and after the registry changes.
const ovs::test::ChildMode kCachedMode("switches-cached", [](const std::vector<std::string>&) {
    const auto answers = [] {
        return (Tool_IsDragDropDisable() ? 1 : 0) | (Tool_IsDataFileUpdateDisable() ? 2 : 0) |
               (Tool_IsWorkSpaceManagementMode() ? 4 : 0);
    };
    const int first = answers();
    WriteOption("Option", "DragDropDisable", 0);
    WriteOption("Option", "DataFileUpdateDisable", 1);
    WriteOption("Option", "ProjectManagement", 0);
    return first | answers() << 4;
});

// Height, face, weight and character set of a font.
std::string Describe(const CFont& font) {
    LOGFONTA f = {};
    font.GetLogFont(&f);
    return std::to_string(f.lfHeight) + " " + f.lfFaceName + " " + std::to_string(f.lfWeight) + " " +
           std::to_string(f.lfCharSet);
}

TEST(GridFont, SizedForTheDeviceTheMainWindowOrTheDefaultHeight) {
    LOGFONTA gui = {};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui);
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    CWinApp app("Host");
    CWnd messageOnly;
    ASSERT_TRUE(messageOnly.CreateEx(0, nullptr, "grid", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr));
    // Text, device, main window (its screen when there is no device), height.
    const std::tuple<const char*, CDC*, CWnd*, LONG> cases[] = {{"Courier New,12", &memory, nullptr, -16},
                                                                {"Arial,0", &memory, nullptr, gui.lfHeight},
                                                                {"Arial,9", nullptr, nullptr, gui.lfHeight},
                                                                {"Arial,9", nullptr, &messageOnly, -12}};
    for (const auto& [text, dc, main, height] : cases) {
        RES_SetStringOverride(339, text);
        app.m_pMainWnd = main;
        // An earlier font of the object is deleted first.
        CFont font;
        LOGFONTA earlier = {};
        earlier.lfHeight = -30;
        ASSERT_TRUE(font.CreateFontIndirect(&earlier));
        const HGDIOBJ earlierFont = font.GetSafeHandle();
        ASSERT_TRUE(Tool_GetGridFont(&font, dc)) << text;
        EXPECT_EQ(0u, GetObjectType(earlierFont));
        const std::string face = std::string(text).substr(0, std::string(text).find(','));
        EXPECT_EQ(std::to_string(height) + " " + face + " 400 1", Describe(font)) << text;
    }
    app.m_pMainWnd = nullptr;
    for (const char* text : {"Default", "", "Arial"}) {
        RES_SetStringOverride(339, text);
        CFont font;
        EXPECT_TRUE(Tool_GetGridFont(&font, nullptr)) << text;
        EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), font.Detach()) << text;
    }
    RES_SetStringOverride(339, nullptr);
    EXPECT_FALSE(Tool_GetGridFont(nullptr, nullptr));
}

TEST(FontCorrupt, OnlyForSimplifiedAndTraditionalChinese) {
    if (!ovs::test::RunsUnderWine()) {
        GTEST_SKIP() << "the locale of a child is set through Wine's Unix environment";
    }
    const std::pair<const char*, DWORD> cases[] = {
        {"zh_CN.UTF-8", 1}, {"zh_TW.UTF-8", 1}, {"zh_HK.UTF-8", 0}, {"ja_JP.UTF-8", 0}, {"en_US.UTF-8", 0}};
    for (const auto& [locale, expected] : cases) {
        const auto result = ovs::test::RunChildInLocale(locale, "switches-font-corrupt");
        EXPECT_EQ(expected, result.exitCode) << locale;
    }
}

const ovs::test::ChildMode kFontCorruptMode("switches-font-corrupt", [](const std::vector<std::string>&) {
    return Tool_IsFontCorrupt() ? 1 : 0;
});

// The document store of the host-object stand-in hands out the block; the reading frees it on every road.
TEST(PeakPickSwitch, FirstNumberOfTheBlockAndEveryBlockFreed) {
    const auto host = ovs::test::CreateHostObject();
    const auto store = ovs::test::QueryAs<IOVSDocumentStore>(host.get(), IID_IOVSDocumentStore);
    const std::tuple<HRESULT, std::string, BOOL> cases[] = {
        {S_OK, "\x01\0\0\0"s, TRUE},   {S_OK, "\0\0\0\x80\x01"s, TRUE}, {S_OK, "\0\0\0\0"s, FALSE},
        {S_OK, "\x01\x01\x01", FALSE}, {E_FAIL, "\x01\0\0\0"s, FALSE},  {S_OK, "", FALSE}};
    for (const auto& [result, block, expected] : cases) {
        host->SetStoredBlock(reinterpret_cast<const BYTE*>(block.data()), static_cast<ULONG>(block.size()), 1,
                             result);
        EXPECT_EQ(expected, Tool_GetPeakPick2AlgVersionChangeEnable(store.get())) << block.size();
        EXPECT_EQ("store 20 0 0x15300e (null) 0 0\n", ovs::test::CallLog(host.get()));
        ovs::test::ExpectAllReleased(host.get());
    }
    EXPECT_FALSE(Tool_GetPeakPick2AlgVersionChangeEnable(nullptr));
}

} // namespace
