#include "test_support.h"

#include "diagnostics/visible_rect.h"
#include "ovsreg.h"
#include "ovstoolhost.h"
#include "unique_resource.h"

#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <utility>

namespace {

bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

std::string Text(const RECT& r) {
    return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + "}";
}

TEST(VisibleRect, ShrinksThenMovesOntoTheDesktop) {
    struct Case {
        RECT desktop;
        RECT in;
        RECT out;
    };
    const RECT screen = {0, 0, 1024, 768};
    const RECT leftOfPrimary = {-1280, -200, 0, 824};
    const RECT offset = {100, 50, 900, 650};
    const Case cases[] = {
        {screen, {10, 10, 110, 110}, {10, 10, 110, 110}},      // inside: unchanged
        {screen, {-50, 10, 1100, 110}, {0, 10, 1024, 110}},    // wider: left 0, desktop width
        {screen, {1000, 10, 1100, 110}, {924, 10, 1024, 110}}, // over the right edge
        {screen, {-20, -30, 80, 70}, {0, 0, 100, 100}},        // over the left and top edges
        {screen, {10, 700, 110, 800}, {10, 668, 110, 768}},    // over the bottom edge
        {screen, {0, 0, 2000, 2000}, {0, 0, 1024, 768}},       // larger both ways
        {leftOfPrimary, {-1500, 0, 100, 100}, {-1280, 0, 0, 100}},
        {leftOfPrimary, {0, -500, 100, 1000}, {-100, -200, 0, 824}},
        {offset, {0, 100, 1000, 200}, {100, 100, 900, 200}}, // width from 0, then moved to the origin
    };
    for (const Case& c : cases) {
        RECT r = c.in;
        ovs::FitRectOnDesktop(r, c.desktop);
        EXPECT_TRUE(r == c.out) << Text(c.in) << " on " << Text(c.desktop) << " gave " << Text(r);
    }
}

TEST(VisibleRect, ExportUsesTheDesktopWindow) {
    RECT desktop = {};
    ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &desktop));
    RECT wanted = {-100, -100, 5000, 50};
    RECT r = wanted;
    ovs::FitRectOnDesktop(wanted, desktop);
    Tool_CalculateVisibleWindowRect(&r);
    EXPECT_TRUE(r == wanted) << Text(r) << " on " << Text(desktop);
    EXPECT_EQ(desktop.right - desktop.left, r.right - r.left);
    Tool_CalculateVisibleWindowRect(nullptr);
}

class CDerivedChildFrame : public CMDIChildWnd {
    DECLARE_DYNAMIC(CDerivedChildFrame)
};
IMPLEMENT_DYNAMIC(CDerivedChildFrame, CMDIChildWnd)

class CPlainView : public CView {
    DECLARE_DYNAMIC(CPlainView)
public:
    void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNAMIC(CPlainView, CView)

// A document whose list may hold null entries, as a host's may.
class CListDocument : public CDocument {
public:
    void AddNullEntry() { m_viewList.AddTail(nullptr); }
};

// top frame > outer child frame > inner (derived) child frame > foreign window > view, and a
// second view straight in the top frame.
class ChildFrameWalk : public ::testing::Test {
protected:
    void SetUp() override {
        const RECT r = {0, 0, 200, 200};
        ASSERT_TRUE(m_top->Create(nullptr, "top")) << "no top-level windows: " << GetLastError();
        ASSERT_TRUE(m_outer->Create(nullptr, "outer", WS_CHILD, r, m_top));
        ASSERT_TRUE(m_inner->Create(nullptr, "inner", WS_CHILD, r, m_outer));
        m_foreign = CreateWindowExA(0, "STATIC", "foreign", WS_CHILD, 0, 0, 50, 50, m_inner->m_hWnd, nullptr,
                                    nullptr, nullptr);
        ASSERT_NE(nullptr, m_foreign);
        ASSERT_TRUE(m_view.CreateEx(0, nullptr, "view", WS_CHILD, 0, 0, 10, 10, m_foreign, nullptr));
        ASSERT_TRUE(m_topView.Create(nullptr, "top view", 0, r, m_top, 1));
    }
    void TearDown() override {
        m_view.DestroyWindow();
        m_topView.DestroyWindow();
        if (m_top->m_hWnd != nullptr) {
            m_top->DestroyWindow(); // frames delete themselves
        }
        CWnd::DeleteTempMap();
    }

    CFrameWnd* m_top = new CFrameWnd;
    CMDIChildWnd* m_outer = new CMDIChildWnd;
    CDerivedChildFrame* m_inner = new CDerivedChildFrame;
    HWND m_foreign = nullptr;
    CPlainView m_view;
    CPlainView m_topView;
};

TEST_F(ChildFrameWalk, NearestChildFrameAboveTheWindow) {
    EXPECT_EQ(m_inner, Tool_GetMDIChildFrameWnd(&m_view)) << "a derived frame, past a foreign window";
    EXPECT_EQ(m_inner, Tool_GetMDIChildFrameWnd(CWnd::FromHandle(m_foreign)));
    EXPECT_EQ(m_outer, Tool_GetMDIChildFrameWnd(m_inner)) << "never the window itself";
    EXPECT_EQ(nullptr, Tool_GetMDIChildFrameWnd(m_outer)) << "a plain frame above is no child frame";
    EXPECT_EQ(nullptr, Tool_GetMDIChildFrameWnd(&m_topView));
    EXPECT_EQ(nullptr, Tool_GetMDIChildFrameWnd(nullptr));

    // A window without its object is a temporary CWnd, even where a child frame's object was.
    const HWND unowned = m_inner->Detach();
    EXPECT_EQ(m_outer, Tool_GetMDIChildFrameWnd(&m_view));
    ASSERT_TRUE(m_inner->Attach(unowned));
    // Attached windows pass no messages through their object: it outlives its window.
    EXPECT_TRUE(m_inner->DestroyWindow());
    delete m_inner;
}

TEST_F(ChildFrameWalk, DocumentsAnswerTheFrameOfTheirFirstView) {
    EXPECT_EQ(nullptr, Tool_GetMDIChildFrameWndFromDocument(nullptr));
    CListDocument document;
    EXPECT_EQ(nullptr, Tool_GetMDIChildFrameWndFromDocument(&document)) << "no views";
    document.AddNullEntry();
    EXPECT_EQ(nullptr, Tool_GetMDIChildFrameWndFromDocument(&document)) << "only a null entry";
    document.AddView(&m_view);
    document.AddView(&m_topView);
    EXPECT_EQ(m_inner, Tool_GetMDIChildFrameWndFromDocument(&document)) << "the null entry is skipped";

    CListDocument topFirst;
    topFirst.AddView(&m_topView);
    topFirst.AddView(&m_view);
    EXPECT_EQ(nullptr, Tool_GetMDIChildFrameWndFromDocument(&topFirst)) << "only the first view counts";
}

// ---------------------------------------------------------------------------------------------
// Report items

constexpr char kItemKey[] = OVS_REG_PRODUCT_ROOT "\\CurrentVersion\\ReportItem\\OCX";

class ReportItems : public ovs::test::RegistryTest {
protected:
    static void Set(const std::string& name, DWORD type, const void* data, DWORD size) {
        ovs::unique_hkey key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kItemKey, 0, nullptr, 0, KEY_WRITE,
                                                 nullptr, key.put(), nullptr));
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size));
    }
    static void SetText(const std::string& name, const std::string& text) {
        Set(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
};

TEST_F(ReportItems, NumberedTextsAppendedInStep) {
    SetText("12Chart", "Chart.Control");
    SetText("Plain", "Plain.Control");
    SetText("70000", "Big.Control");
    Set("3", REG_EXPAND_SZ, "Expand.Control", 15);
    Set("4", REG_SZ, "Cut\0After", 10); // the text ends at its terminator
    const DWORD number = 5;
    Set("5", REG_DWORD, &number, sizeof number);
    SetText("6", std::string(300, 'x'));        // text over 260 bytes
    SetText(std::string(300, '7'), "Too.Long"); // name over 260 bytes
    SetText("8", "Last.Control");

    CStringArray texts;
    CWordArray numbers;
    texts.Add("kept");
    numbers.Add(99);
    EXPECT_TRUE(Tool_EnumReportItemOCX(OVS_REG_PRODUCT_ROOT, texts, numbers));
    ASSERT_EQ(texts.GetSize(), numbers.GetSize());
    EXPECT_STREQ("kept", texts[0]);
    EXPECT_EQ(99, numbers[0]);
    std::set<std::pair<WORD, std::string>> items;
    for (INT_PTR i = 1; i < texts.GetSize(); ++i) {
        items.emplace(numbers[i], texts[i].GetString());
    }
    const std::set<std::pair<WORD, std::string>> wanted = {
        {12, "Chart.Control"}, {0, "Plain.Control"}, {4464, "Big.Control"},
        {3, "Expand.Control"}, {4, "Cut"},           {8, "Last.Control"},
    };
    EXPECT_EQ(wanted, items);
}

TEST_F(ReportItems, WithoutTheKeyOrRootTheArraysStayAsTheyWere) {
    CStringArray texts;
    CWordArray numbers;
    texts.Add("kept");
    EXPECT_TRUE(Tool_EnumReportItemOCX(OVS_REG_PRODUCT_ROOT, texts, numbers));
    EXPECT_TRUE(Tool_EnumReportItemOCX(nullptr, texts, numbers));
    EXPECT_EQ(1, texts.GetSize());
    EXPECT_EQ(0, numbers.GetSize());
}

// ---------------------------------------------------------------------------------------------
// System version

constexpr char kFixedRoot[] = "SOFTWARE\\VELDORAN\\Zeridi OIP Instrument Control Software";
constexpr char kOtherRoot[] = "SOFTWARE\\VELDORAN\\Zeridi OIP Instrument Control software";
constexpr char kGuard = '#';
constexpr BYTE kFlagUnset = 0x5A;

class SystemVersion : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char self[MAX_PATH];
        const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
        std::string path(self, length < sizeof self ? length : 0);
        s_module = LoadLibraryA((path.substr(0, path.find_last_of("\\/") + 1) + "OVSVersion.dll").c_str());
    }
    void SetUp() override {
        ASSERT_NE(nullptr, s_module);
        ASSERT_EQ(S_OK, ovs::test::CallServerFunction(s_module, "DllRegisterServer"));
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        std::memset(m_buffer, kGuard, sizeof m_buffer);
    }
    void TearDown() override {
        SetEnvironmentVariableA("OVS_VERSION_FAIL", nullptr);
        SetEnvironmentVariableA("OVS_VERSION_TEXT", nullptr);
        CoUninitialize();
    }

    bool Untouched() const {
        for (char c : m_buffer) {
            if (c != kGuard) {
                return false;
            }
        }
        return m_flag == kFlagUnset;
    }

    static inline HMODULE s_module = nullptr;
    char m_buffer[OVS_SYSTEM_VERSION_SIZE + 8];
    BYTE m_flag = kFlagUnset;
};

TEST_F(SystemVersion, FixedForOnePackageOtherwiseFromTheComponent) {
    Tool_GetSystemVersion(m_buffer, &m_flag, kFixedRoot);
    EXPECT_STREQ("2.00", m_buffer);
    EXPECT_EQ(0, m_flag);

    m_flag = kFlagUnset;
    Tool_GetSystemVersion(m_buffer, &m_flag, kOtherRoot);
    EXPECT_STREQ(OVS_PROJECT_VERSION ".0", m_buffer) << "the component's own product version";
    EXPECT_EQ(kFlagUnset, m_flag) << "the flag is never written on the component's road";
    Tool_GetSystemVersion(m_buffer, nullptr, nullptr);
    EXPECT_STREQ(OVS_PROJECT_VERSION ".0", m_buffer);
}

TEST_F(SystemVersion, LongTextIsCutAndTerminated) {
    SetEnvironmentVariableA("OVS_VERSION_TEXT", std::string(100, 'v').c_str());
    Tool_GetSystemVersion(m_buffer, &m_flag, kOtherRoot);
    EXPECT_EQ(std::string(OVS_SYSTEM_VERSION_SIZE - 1, 'v'), m_buffer);
    EXPECT_EQ(std::string(8, kGuard), std::string(m_buffer + OVS_SYSTEM_VERSION_SIZE, 8));
}

TEST_F(SystemVersion, FailuresLeaveBothOutputsUntouched) {
    for (const char* failure : {"create=80040154", "version=80004005", "version=null"}) {
        SetEnvironmentVariableA("OVS_VERSION_FAIL", failure);
        Tool_GetSystemVersion(m_buffer, &m_flag, kOtherRoot);
        EXPECT_TRUE(Untouched()) << failure;
    }
    SetEnvironmentVariableA("OVS_VERSION_FAIL", nullptr);
    Tool_GetSystemVersion(nullptr, &m_flag, kFixedRoot);
    EXPECT_EQ(kFlagUnset, m_flag) << "a null buffer: nothing written";
    std::thread([this] {
        Tool_GetSystemVersion(m_buffer, &m_flag, kOtherRoot);
    }).join(); // COM not set up there
    EXPECT_TRUE(Untouched());
}

} // namespace
