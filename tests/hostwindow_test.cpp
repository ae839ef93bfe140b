#include "test_support.h"

#include "diagnostics/visible_rect.h"
#include "ovsreg.h"
#include "ovstoolhost.h"

#include <cstring>
#include <set>
#include <utility>

namespace {

std::string Text(const RECT& r) {
    return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + "}";
}

TEST(VisibleRect, ShrinksThenMovesOntoTheDesktop) {
    const RECT screen = {0, 0, 1024, 768};
    const RECT leftOfPrimary = {-1280, -200, 0, 824};
    const struct {
        RECT desktop, in, out;
    } cases[] = {
        {screen, {10, 10, 110, 110}, {10, 10, 110, 110}},      // inside: unchanged
        {screen, {-50, 10, 1100, 110}, {0, 10, 1024, 110}},    // wider: left 0, desktop width
        {screen, {1000, 10, 1100, 110}, {924, 10, 1024, 110}}, // over the right edge
        {screen, {-20, -30, 80, 70}, {0, 0, 100, 100}},        // over the left and top edges
        {screen, {10, 700, 110, 800}, {10, 668, 110, 768}},    // over the bottom edge
        {leftOfPrimary, {-1500, 0, 100, 100}, {-1280, 0, 0, 100}},
        {leftOfPrimary, {0, -500, 100, 1000}, {-100, -200, 0, 824}},
        // Width from 0, then moved to the origin.
        {{100, 50, 900, 650}, {0, 100, 1000, 200}, {100, 100, 900, 200}},
    };
    for (const auto& c : cases) {
        RECT r = c.in;
        ovs::FitRectOnDesktop(r, c.desktop);
        EXPECT_EQ(Text(c.out), Text(r)) << Text(c.in) << " on " << Text(c.desktop);
    }
    RECT desktop = {}, wanted = {-100, -100, 5000, 50}, r = wanted;
    ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &desktop));
    ovs::FitRectOnDesktop(wanted, desktop);
    Tool_CalculateVisibleWindowRect(&r);
    EXPECT_EQ(Text(wanted), Text(r)) << " on " << Text(desktop);
    Tool_CalculateVisibleWindowRect(nullptr);
}

class CDerivedChildFrame : public CMDIChildWnd {
    DECLARE_DYNAMIC(CDerivedChildFrame)
};
IMPLEMENT_DYNAMIC(CDerivedChildFrame, CMDIChildWnd)

class CPlainView : public CView {
public:
    void OnDraw(CDC*) override {}
};

class CListDocument : public CDocument {
public:
    void AddNullEntry() { m_viewList.AddTail(nullptr); }
};

// top frame > outer child frame > inner (derived) child frame > foreign window > view.
TEST(ChildFrame, NearestChildFrameAboveTheWindowOrTheFirstViewOfADocument) {
    const RECT r = {0, 0, 200, 200};
    auto* top = new CFrameWnd;
    ASSERT_TRUE(top->Create(nullptr, "top")) << "no top-level windows: " << GetLastError();
    auto* outer = new CMDIChildWnd;
    ASSERT_TRUE(outer->Create(nullptr, "outer", WS_CHILD, r, top));
    auto* inner = new CDerivedChildFrame;
    ASSERT_TRUE(inner->Create(nullptr, "inner", WS_CHILD, r, outer));
    const HWND foreign = CreateWindowExA(0, "STATIC", "foreign", WS_CHILD, 0, 0, 50, 50, inner->m_hWnd,
                                         nullptr, nullptr, nullptr);
    CPlainView view;
    ASSERT_TRUE(view.CreateEx(0, nullptr, "view", WS_CHILD, 0, 0, 10, 10, foreign, nullptr));
    CListDocument document;
    EXPECT_EQ(nullptr, Tool_GetMDIChildFrameWndFromDocument(nullptr));
    EXPECT_EQ(nullptr, Tool_GetMDIChildFrameWndFromDocument(&document)) << "no views";
    document.AddNullEntry(); // a host's list may hold null entries
    document.AddView(&view);
    EXPECT_EQ(inner, Tool_GetMDIChildFrameWndFromDocument(&document)) << "the null entry is skipped";
    EXPECT_EQ(inner, Tool_GetMDIChildFrameWnd(&view)) << "a derived frame, past a foreign window";
    EXPECT_EQ(outer, Tool_GetMDIChildFrameWnd(inner)) << "never the window itself";
    EXPECT_EQ(nullptr, Tool_GetMDIChildFrameWnd(outer)) << "a plain frame above is no child frame";
    EXPECT_EQ(nullptr, Tool_GetMDIChildFrameWnd(nullptr));
    top->DestroyWindow(); // with every window below it; frames delete themselves
    CWnd::DeleteTempMap();
}

class ReportItems : public ovs::test::RegistryTest {};

TEST_F(ReportItems, NumberedTextsAppendedInStep) {
    CStringArray texts;
    CWordArray numbers;
    texts.Add("kept");
    numbers.Add(99);
    EXPECT_TRUE(Tool_EnumReportItemOCX(OVS_REG_PRODUCT_ROOT, texts, numbers)) << "no key: nothing appended";
    const DWORD number = 5;
    const std::string longText(300, 'x');
    const struct {
        std::string name;
        DWORD type;
        const void* data;
        size_t size;
    } values[] = {
        {"12Chart", REG_SZ, "Chart.Control", 14}, {"Plain", REG_SZ, "Plain.Control", 14},
        {"70000", REG_SZ, "Big.Control", 12},     {"3", REG_EXPAND_SZ, "Expand.Control", 15},
        {"4", REG_SZ, "Cut\0After", 10},          {"5", REG_DWORD, &number, sizeof number},
        {"6", REG_SZ, longText.c_str(), 301},     {std::string(300, '7'), REG_SZ, "Too.Long", 9},
    };
    for (const auto& v : values) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE,
                                                 OVS_REG_PRODUCT_ROOT "\\CurrentVersion\\ReportItem\\OCX",
                                                 v.name.c_str(), v.type, v.data, static_cast<DWORD>(v.size)));
    }
    EXPECT_TRUE(Tool_EnumReportItemOCX(nullptr, texts, numbers));
    ASSERT_EQ(1, texts.GetSize());
    EXPECT_TRUE(Tool_EnumReportItemOCX(OVS_REG_PRODUCT_ROOT, texts, numbers));
    ASSERT_EQ(texts.GetSize(), numbers.GetSize());
    std::set<std::pair<WORD, std::string>> items;
    for (INT_PTR i = 0; i < texts.GetSize(); ++i) {
        items.emplace(numbers[i], texts[i].GetString());
    }
    // Names count by their leading digits, to 16 bits; texts end at their terminator; a text or name
    // over 260 bytes, or a value that is no text, is no item.
    const std::set<std::pair<WORD, std::string>> wanted = {
        {99, "kept"},          {12, "Chart.Control"}, {0, "Plain.Control"},
        {4464, "Big.Control"}, {3, "Expand.Control"}, {4, "Cut"},
    };
    EXPECT_EQ(wanted, items);
}

constexpr char kFixedRoot[] = "SOFTWARE\\VELDORAN\\Zeridi OIP Instrument Control Software";
constexpr char kOtherRoot[] = "SOFTWARE\\VELDORAN\\Zeridi OIP Instrument Control software";
TEST(SystemVersion, FixedForOnePackageOtherwiseFromTheComponentWhichMayFail) {
    const HMODULE server = LoadLibraryA((ovs::test::ExecutableFolder() + "\\OVSVersion.dll").c_str());
    ASSERT_EQ(S_OK, ovs::test::CallServerFunction(server, "DllRegisterServer"));
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    char buffer[OVS_SYSTEM_VERSION_SIZE + 8];
    std::memset(buffer, '#', sizeof buffer);
    const std::string untouched(buffer, sizeof buffer);
    BYTE flag = 0x5A;
    for (const char* failure : {"create=80040154", "version=80004005", "version=null"}) {
        SetEnvironmentVariableA("OVS_VERSION_FAIL", failure);
        Tool_GetSystemVersion(buffer, &flag, kOtherRoot);
        EXPECT_EQ(untouched, std::string(buffer, sizeof buffer)) << failure;
    }
    SetEnvironmentVariableA("OVS_VERSION_FAIL", nullptr);
    Tool_GetSystemVersion(nullptr, &flag, kFixedRoot);
    EXPECT_EQ(0x5A, flag) << "a null buffer: nothing written";
    // The flag is written on the fixed package's road only.
    const auto shown = [&] { return std::string(buffer) + " flag " + std::to_string(flag); };
    Tool_GetSystemVersion(buffer, &flag, kOtherRoot);
    EXPECT_EQ(OVS_PROJECT_VERSION ".0 flag 90", shown()) << "the component's own product version";
    Tool_GetSystemVersion(buffer, &flag, kFixedRoot);
    EXPECT_EQ("2.00 flag 0", shown());
    Tool_GetSystemVersion(buffer, nullptr, nullptr);
    EXPECT_STREQ(OVS_PROJECT_VERSION ".0", buffer);
    SetEnvironmentVariableA("OVS_VERSION_TEXT", std::string(100, 'v').c_str()); // cut and terminated
    Tool_GetSystemVersion(buffer, &flag, kOtherRoot);
    SetEnvironmentVariableA("OVS_VERSION_TEXT", nullptr);
    CoUninitialize();
    EXPECT_EQ(std::string(OVS_SYSTEM_VERSION_SIZE - 1, 'v') + '\0' + std::string(8, '#'),
              std::string(buffer, sizeof buffer));
}

} // namespace
