#include <afx.h>
#include <afxwin.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class CTestChildFrame : public CMDIChildWnd {
    DECLARE_DYNAMIC(CTestChildFrame)
public:
    explicit CTestChildFrame(bool* deleted = nullptr) : m_deleted(deleted) {}
    ~CTestChildFrame() override {
        if (m_deleted != nullptr) {
            *m_deleted = true;
        }
    }

private:
    bool* m_deleted;
};
IMPLEMENT_DYNAMIC(CTestChildFrame, CMDIChildWnd)

class CTestView : public CView {
    DECLARE_DYNAMIC(CTestView)
public:
    void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNAMIC(CTestView, CView)

TEST(RuntimeClass, KindFollowsTheChainOfBaseClassesAcrossModules) {
    CTestChildFrame frame;
    CTestView view;
    struct Case {
        const CObject* object;
        CRuntimeClass* cls;
        BOOL kind;
    };
    const Case cases[] = {
        {&frame, RUNTIME_CLASS(CTestChildFrame), TRUE},
        {&frame, RUNTIME_CLASS(CMDIChildWnd), TRUE},
        {&frame, RUNTIME_CLASS(CFrameWnd), TRUE},
        {&frame, RUNTIME_CLASS(CWnd), TRUE},
        {&frame, RUNTIME_CLASS(CObject), TRUE},
        {&frame, RUNTIME_CLASS(CView), FALSE},
        {&frame, nullptr, FALSE},
        {&view, RUNTIME_CLASS(CView), TRUE},
        {&view, RUNTIME_CLASS(CFrameWnd), FALSE},
        {&view, RUNTIME_CLASS(CMDIChildWnd), FALSE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.object->IsKindOf(c.cls), c.kind) << (c.cls != nullptr ? c.cls->m_lpszClassName : "null");
    }
    EXPECT_STREQ(frame.GetRuntimeClass()->m_lpszClassName, "CTestChildFrame");
    EXPECT_EQ(frame.GetRuntimeClass()->m_nObjectSize, static_cast<int>(sizeof(CTestChildFrame)));
}

std::vector<INT_PTR> Items(CPtrList& list) {
    std::vector<INT_PTR> items;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
        items.push_back(reinterpret_cast<INT_PTR>(list.GetNext(pos)));
    }
    return items;
}

void* Item(INT_PTR n) {
    return reinterpret_cast<void*>(n);
}

TEST(PtrList, KeepsOrderThroughInsertsAndRemovals) {
    CPtrList list;
    list.AddTail(Item(2));
    list.AddHead(Item(1));
    const POSITION three = list.AddTail(Item(3));
    list.InsertBefore(three, Item(5));
    list.InsertAfter(three, Item(4));
    EXPECT_EQ(Items(list), (std::vector<INT_PTR>{1, 2, 5, 3, 4}));
    EXPECT_EQ(list.GetAt(list.FindIndex(2)), Item(5));
    EXPECT_EQ(list.FindIndex(5), nullptr);
    list.RemoveAt(list.Find(Item(5)));
    EXPECT_EQ(list.Find(Item(5)), nullptr);
    EXPECT_EQ(list.RemoveHead(), Item(1));
    EXPECT_EQ(list.RemoveTail(), Item(4));
    POSITION back = list.GetTailPosition();
    EXPECT_EQ(list.GetPrev(back), Item(3));
    EXPECT_EQ(list.GetPrev(back), Item(2));
    EXPECT_EQ(back, nullptr);
    EXPECT_EQ(list.GetCount(), 2);
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    EXPECT_THROW(list.GetHead(), CInvalidArgException*);
}

TEST(Window, CreatedWindowsAreFoundAndForeignOnesGetTemporaryObjects) {
    CWnd top;
    ASSERT_TRUE(top.CreateEx(0, nullptr, "top", WS_OVERLAPPEDWINDOW, 10, 20, 300, 200, nullptr, nullptr))
        << "no top-level windows: " << GetLastError();
    CWnd child;
    ASSERT_TRUE(child.Create(nullptr, "child", WS_VISIBLE, RECT{0, 0, 50, 50}, &top, 7));
    EXPECT_EQ(CWnd::FromHandlePermanent(top.m_hWnd), &top);
    EXPECT_EQ(child.GetParent(), &top);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);

    // A window no object owns: one temporary object per handle until the map is emptied.
    const HWND foreign = CreateWindowExA(0, "STATIC", "foreign", WS_CHILD, 0, 0, 5, 5, child.m_hWnd, nullptr,
                                         nullptr, nullptr);
    ASSERT_NE(foreign, nullptr);
    CWnd* temporary = CWnd::FromHandle(foreign);
    EXPECT_EQ(temporary->m_hWnd, foreign);
    EXPECT_EQ(CWnd::FromHandle(foreign), temporary);
    EXPECT_EQ(CWnd::FromHandlePermanent(foreign), nullptr);
    EXPECT_EQ(temporary->GetParent(), &child);
    CWnd::DeleteTempMap();
    EXPECT_TRUE(IsWindow(foreign)) << "a temporary object never destroys its window";

    CWnd attached;
    EXPECT_FALSE(attached.Attach(child.m_hWnd)) << "one object per window";
    EXPECT_TRUE(attached.Attach(foreign));
    EXPECT_EQ(CWnd::FromHandle(foreign), &attached);
    EXPECT_EQ(attached.Detach(), foreign);
    EXPECT_EQ(CWnd::FromHandlePermanent(foreign), nullptr);

    // Destroying the parent detaches the child's object too.
    EXPECT_TRUE(top.DestroyWindow());
    EXPECT_EQ(top.m_hWnd, nullptr);
    EXPECT_EQ(child.m_hWnd, nullptr);
    EXPECT_FALSE(IsWindow(foreign));
    EXPECT_FALSE(top.DestroyWindow());
}

TEST(Window, FrameDeletesItselfWithItsWindowAndObjectDestroysItsWindow) {
    bool deleted = false;
    auto* frame = new CTestChildFrame(&deleted);
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
    ASSERT_TRUE(frame->Create(nullptr, "frame", WS_VISIBLE, RECT{0, 0, 50, 50}, &parent));
    EXPECT_TRUE(GetWindowLongA(frame->m_hWnd, GWL_STYLE) & WS_CHILD);
    const HWND frameWindow = frame->m_hWnd;
    EXPECT_TRUE(frame->DestroyWindow());
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(IsWindow(frameWindow));
    const HWND parentWindow = parent.Detach();
    EXPECT_TRUE(IsWindow(parentWindow));
    {
        CWnd scoped;
        ASSERT_TRUE(scoped.Attach(parentWindow));
    }
    EXPECT_FALSE(IsWindow(parentWindow));
}

TEST(DeviceContext, ScreenContextAndFontRoundTrip) {
    CWnd desktop;
    CDC* dc = desktop.GetDC();
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(dc->GetDeviceCaps(LOGPIXELSY), 96);
    EXPECT_EQ(CDC::FromHandle(dc->m_hDC), dc);
    desktop.ReleaseDC(dc);
    CDC::DeleteTempMap();

    LOGFONTA wanted = {};
    wanted.lfHeight = -13;
    wanted.lfWeight = FW_BOLD;
    std::strcpy(wanted.lfFaceName, "Liberation Sans");
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(&wanted));
    EXPECT_FALSE(font.CreateFontIndirect(&wanted)) << "a font object holds one font";
    LOGFONTA read = {};
    EXPECT_EQ(font.GetLogFont(&read), static_cast<int>(sizeof(LOGFONTA)));
    EXPECT_EQ(read.lfHeight, -13);
    EXPECT_EQ(read.lfWeight, FW_BOLD);
    EXPECT_STREQ(read.lfFaceName, "Liberation Sans");
    CFont other;
    EXPECT_TRUE(other.Attach(font.Detach()));
    EXPECT_EQ(font.m_hObject, nullptr);
    EXPECT_TRUE(other.DeleteObject());
    EXPECT_FALSE(other.DeleteObject());

    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    EXPECT_EQ(CDC::FromHandle(memory.m_hDC), &memory);
    EXPECT_GT(memory.GetDeviceCaps(HORZRES), 0);
}

TEST(Application, MainWindowIsTheApplicationsOwn) {
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
    CWinApp app("Host");
    CWnd main;
    app.m_pMainWnd = &main;
    EXPECT_EQ(AfxGetMainWnd(), &main);
}

TEST(Document, ViewsJoinLeaveAndOutliveTheirDocument) {
    CTestView first;
    CTestView second;
    auto* document = new CDocument;
    document->AddView(&first);
    document->AddView(&second);
    document->AddView(&first); // already there
    POSITION pos = document->GetFirstViewPosition();
    EXPECT_EQ(document->GetNextView(pos), &first);
    EXPECT_EQ(document->GetNextView(pos), &second);
    EXPECT_EQ(pos, nullptr);
    EXPECT_THROW(document->AddView(nullptr), CInvalidArgException*);

    CDocument other;
    other.AddView(&second);
    EXPECT_EQ(second.GetDocument(), &other);
    pos = document->GetFirstViewPosition();
    EXPECT_EQ(document->GetNextView(pos), &first);
    EXPECT_EQ(pos, nullptr);

    delete document;
    EXPECT_EQ(first.GetDocument(), nullptr);
    {
        CTestView shortLived;
        other.AddView(&shortLived);
    }
    pos = other.GetFirstViewPosition();
    EXPECT_EQ(other.GetNextView(pos), &second);
    EXPECT_EQ(pos, nullptr);
}

} // namespace
