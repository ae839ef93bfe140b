#include "afxwin.h"

#include "handle_map.h"

namespace {

HandleMap<HDC, CDC>& DcMap() {
    static HandleMap<HDC, CDC> map;
    return map;
}

} // namespace

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CDC, CObject)

CGdiObject::~CGdiObject() {
    DeleteObject();
}

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
    if (hObject == nullptr || m_hObject != nullptr) {
        return FALSE;
    }
    m_hObject = hObject;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    const HGDIOBJ hObject = m_hObject;
    m_hObject = nullptr;
    return hObject;
}

BOOL CGdiObject::DeleteObject() {
    if (m_hObject == nullptr) {
        return FALSE;
    }
    return ::DeleteObject(Detach());
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const {
    return ::GetObjectA(m_hObject, nCount, lpObject);
}

BOOL CFont::CreateFontIndirect(const LOGFONTA* lpLogFont) {
    if (lpLogFont == nullptr || m_hObject != nullptr) {
        return FALSE;
    }
    return Attach(::CreateFontIndirectA(lpLogFont));
}

int CFont::GetLogFont(LOGFONTA* pLogFont) const {
    return GetObject(sizeof(LOGFONTA), pLogFont);
}

CDC::~CDC() {
    if (m_hDC != nullptr) {
        ::DeleteDC(Detach());
    }
}

CDC* PASCAL CDC::FromHandle(HDC hDC) {
    return DcMap().FromHandle(hDC, [](HDC h) {
        CDC* temporary = new CDC;
        temporary->m_hDC = temporary->m_hAttribDC = h;
        return temporary;
    });
}

void PASCAL CDC::DeleteTempMap() {
    DcMap().DeleteTemporary([](CDC* temporary) {
        temporary->m_hDC = temporary->m_hAttribDC = nullptr; // the context is not the object's to delete
        delete temporary;
    });
}

BOOL CDC::Attach(HDC hDC) {
    if (hDC == nullptr || m_hDC != nullptr || !DcMap().SetPermanent(hDC, this)) {
        return FALSE;
    }
    m_hDC = m_hAttribDC = hDC;
    return TRUE;
}

HDC CDC::Detach() {
    const HDC hDC = m_hDC;
    if (hDC != nullptr && DcMap().LookupPermanent(hDC) == this) {
        DcMap().RemovePermanent(hDC);
    }
    m_hDC = m_hAttribDC = nullptr;
    return hDC;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    if (m_hDC != nullptr) {
        return FALSE;
    }
    const HDC hDC = ::CreateCompatibleDC(pDC != nullptr ? pDC->m_hDC : nullptr);
    if (hDC != nullptr && !Attach(hDC)) {
        ::DeleteDC(hDC);
        return FALSE;
    }
    return hDC != nullptr;
}

BOOL CDC::DeleteDC() {
    if (m_hDC == nullptr) {
        return FALSE;
    }
    return ::DeleteDC(Detach());
}

int CDC::GetDeviceCaps(int nIndex) const {
    return ::GetDeviceCaps(m_hAttribDC, nIndex);
}
