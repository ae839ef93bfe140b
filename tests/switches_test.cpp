// Feature switches and display settings: registry answers, cached switches, the grid font, the font
// check per locale and the peak-pick setting of a settings store.
#include "block_counter.h"
#include "locale_child.h"
#include "test_support.h"

#include <afxwin.h>
#include <afxwnd.h>
#include <ovsreg.h>
#include <ovsres.h>
#include <ovstoolswitches.h>

#include <cstring>

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
    ASSERT_TRUE(result.finished);
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
    ASSERT_EQ(96, memory.GetDeviceCaps(LOGPIXELSY)) << "as this rig measures it";
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
        ASSERT_TRUE(result.finished) << locale;
        EXPECT_EQ(expected, result.exitCode) << locale;
    }
}

const ovs::test::ChildMode kFontCorruptMode("switches-font-corrupt", [](const std::vector<std::string>&) {
    return Tool_IsFontCorrupt() ? 1 : 0;
});

// A settings store whose twentieth slot hands out a prepared block in task memory.
class FakeStore final : public IOVSDocumentStore {
public:
    FakeStore(HRESULT answer, const std::string& given) : result(answer), block(given) {}
    HRESULT result;
    std::string block; // handed out unless "none"
    std::string call;  // category, identifier and whether the name was null

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    // clang-format off
    OVS_PLACEHOLDER_NOTIMPL(3) OVS_PLACEHOLDER_NOTIMPL(4) OVS_PLACEHOLDER_NOTIMPL(5) OVS_PLACEHOLDER_NOTIMPL(6)
    OVS_PLACEHOLDER_NOTIMPL(7) OVS_PLACEHOLDER_NOTIMPL(8) OVS_PLACEHOLDER_NOTIMPL(10) OVS_PLACEHOLDER_NOTIMPL(11)
    OVS_PLACEHOLDER_NOTIMPL(12) OVS_PLACEHOLDER_NOTIMPL(13) OVS_PLACEHOLDER_NOTIMPL(14) OVS_PLACEHOLDER_NOTIMPL(15)
    OVS_PLACEHOLDER_NOTIMPL(16) OVS_PLACEHOLDER_NOTIMPL(17)
    HRESULT STDMETHODCALLTYPE GetNames(LPSTR, LPSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE WriteBlock(LONG, LONG, LPCSTR, const BYTE*, ULONG, LONG) override { return E_NOTIMPL; }
    // clang-format on
    HRESULT STDMETHODCALLTYPE ReadBlock(LONG category, LONG identifier, LPCSTR name, LONG, LONG, BYTE** out,
                                        ULONG* size, LONG* flag) override {
        call = std::to_string(category) + " " + std::to_string(identifier) + (name == nullptr ? " null" : "");
        const bool given = block != "none";
        *out = given ? static_cast<BYTE*>(CoTaskMemAlloc(block.size() + 1)) : nullptr;
        if (given) {
            std::memcpy(*out, block.data(), block.size());
        }
        *size = given ? static_cast<ULONG>(block.size()) : 0;
        *flag = given ? 1 : 0;
        return result;
    }
};

// Registered for the whole process: the spy stays in use while any block it saw is alive.
ovs::test::BlockCounter blocks;

TEST(PeakPickSwitch, FirstNumberOfTheBlockAndEveryBlockFreed) {
    ASSERT_EQ(S_OK, CoRegisterMallocSpy(&blocks));
    const std::tuple<HRESULT, std::string, BOOL> cases[] = {{S_OK, "\x01\0\0\0"s, TRUE},
                                                            {S_OK, "\0\0\0\x80\x01"s, TRUE},
                                                            {S_OK, "\0\0\0\0"s, FALSE},
                                                            {S_OK, "\x01\x01\x01", FALSE},
                                                            {E_FAIL, "\x01\0\0\0"s, FALSE},
                                                            {S_OK, "none", FALSE},
                                                            {S_OK, "", FALSE}};
    for (const auto& [result, block, expected] : cases) {
        FakeStore store(result, block);
        const LONG allocated = blocks.allocated;
        const LONG freed = blocks.freed;
        EXPECT_EQ(expected, Tool_GetPeakPick2AlgVersionChangeEnable(&store)) << block.size();
        EXPECT_EQ(blocks.allocated - allocated, blocks.freed - freed) << "block freed";
        EXPECT_EQ("0 1388558 null", store.call);
    }
    EXPECT_FALSE(Tool_GetPeakPick2AlgVersionChangeEnable(nullptr));
    CoRevokeMallocSpy();
}

} // namespace
