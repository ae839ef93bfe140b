#include "afxwin.h"

IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)
IMPLEMENT_DYNAMIC(CMDIChildWnd, CFrameWnd)
IMPLEMENT_DYNAMIC(CView, CWnd)
IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

const RECT CFrameWnd::rectDefault = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};

BOOL CFrameWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd) {
    // The default rectangle lets the system place and size the window.
    const bool placed = rect.left != CW_USEDEFAULT;
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                    placed ? rect.right - rect.left : CW_USEDEFAULT,
                    placed ? rect.bottom - rect.top : CW_USEDEFAULT,
                    pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, nullptr);
}

CDocument* CFrameWnd::GetActiveDocument() {
    return m_pViewActive != nullptr ? m_pViewActive->GetDocument() : nullptr;
}

void CFrameWnd::PostNcDestroy() {
    delete this;
}

BOOL CMDIChildWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                          CWnd* pParentWnd) {
    return CFrameWnd::Create(lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd);
}

CView::~CView() {
    if (m_pDocument != nullptr) {
        m_pDocument->RemoveView(this);
    }
}

CDocument::~CDocument() {
    for (POSITION pos = GetFirstViewPosition(); pos != nullptr;) {
        if (CView* view = GetNextView(pos)) {
            view->m_pDocument = nullptr;
        }
    }
}

void CDocument::AddView(CView* pView) {
    if (pView == nullptr) {
        AfxThrowInvalidArgException();
    }
    if (pView->m_pDocument == this) {
        return;
    }
    if (pView->m_pDocument != nullptr) {
        pView->m_pDocument->RemoveView(pView);
    }
    m_viewList.AddTail(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
    if (pView == nullptr) {
        return;
    }
    if (POSITION pos = m_viewList.Find(pView)) {
        m_viewList.RemoveAt(pos);
        pView->m_pDocument = nullptr;
    }
}

CView* CDocument::GetNextView(POSITION& rPosition) const {
    return static_cast<CView*>(const_cast<CPtrList&>(m_viewList).GetNext(rPosition));
}
