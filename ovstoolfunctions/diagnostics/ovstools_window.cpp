// The host's windows: keeping a rectangle on the desktop and finding the child frame of a window or
// a document.
#include "ovstoolhost.h"

#include "visible_rect.h"

void Tool_CalculateVisibleWindowRect(LPRECT lpRect) {
    if (lpRect == nullptr) {
        return;
    }
    RECT desktop = {};
    GetWindowRect(GetDesktopWindow(), &desktop);
    ovs::FitRectOnDesktop(*lpRect, desktop);
}

CMDIChildWnd* Tool_GetMDIChildFrameWnd(CWnd* pWnd) {
    if (pWnd == nullptr) {
        return nullptr;
    }
    // A window no framework object owns answers a temporary CWnd, which is never a child frame.
    for (CWnd* parent = pWnd->GetParent(); parent != nullptr; parent = parent->GetParent()) {
        if (parent->IsKindOf(RUNTIME_CLASS(CMDIChildWnd))) {
            return static_cast<CMDIChildWnd*>(parent);
        }
    }
    return nullptr;
}

CMDIChildWnd* Tool_GetMDIChildFrameWndFromDocument(CDocument* pDocument) {
    if (pDocument == nullptr) {
        return nullptr;
    }
    for (POSITION pos = pDocument->GetFirstViewPosition(); pos != nullptr;) {
        if (CView* view = pDocument->GetNextView(pos)) {
            return Tool_GetMDIChildFrameWnd(view);
        }
    }
    return nullptr;
}
