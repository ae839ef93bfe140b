// The framework's frame, view and document classes. A document keeps the list of its views; a view
// knows its document. Frames live on the heap: destroying a frame's window deletes the frame.
#pragma once

#include "afxlist.h"
#include "afxwnd.h"

class CDocument;
class CView;

class AFX_API CFrameWnd : public CWnd {
    DECLARE_DYNAMIC(CFrameWnd)
public:
    // A top-level frame, or a child frame when the parent is given.
    virtual BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
                        const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr);

    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pViewNew) { m_pViewActive = pViewNew; }
    // The document of the active view, or null.
    CDocument* GetActiveDocument();

    static const RECT rectDefault;

protected:
    void PostNcDestroy() override;

private:
    CView* m_pViewActive = nullptr;
};

// A child frame of a multiple-document application, made as a child window of its parent.
class AFX_API CMDIChildWnd : public CFrameWnd {
    DECLARE_DYNAMIC(CMDIChildWnd)
public:
    BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, const RECT& rect = rectDefault,
                CWnd* pParentWnd = nullptr) override;
};

class AFX_API CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    // Leaves its document's list of views.
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    virtual void OnDraw(CDC* pDC) = 0;

protected:
    friend class CDocument;
    CDocument* m_pDocument = nullptr;
};

class AFX_API CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
public:
    // Its views stay, without a document.
    ~CDocument() override;

    // Adds the view to the list and makes this its document; a view of another document moves here.
    void AddView(CView* pView);
    void RemoveView(CView* pView);
    POSITION GetFirstViewPosition() const { return m_viewList.GetHeadPosition(); }
    CView* GetNextView(POSITION& rPosition) const;

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCSTR lpszTitle) { m_strTitle = lpszTitle; }
    const CString& GetPathName() const { return m_strPathName; }
    virtual void SetPathName(LPCSTR lpszPathName) { m_strPathName = lpszPathName; }

protected:
    CString m_strTitle;
    CString m_strPathName;
    CPtrList m_viewList;
};
