// The grid font: the face name and point size of the resource text module, sized for a device.
#include "ovstoolswitches.h"

#include <afxwin.h>
#include <afxwnd.h>
#include <ovsres.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT kGridFontText = 339;
constexpr char kDefaultFontText[] = "Default";

HGDIOBJ DefaultGuiFont() {
    return GetStockObject(DEFAULT_GUI_FONT);
}

LONG DefaultGuiFontHeight() {
    LOGFONTA font = {};
    GetObjectA(DefaultGuiFont(), sizeof(font), &font);
    return font.lfHeight;
}

// Logical pixels per inch of the device, or of the main window's screen; 0 when there is none.
int VerticalResolution(CDC* pDC) {
    if (pDC != nullptr) {
        return pDC->GetDeviceCaps(LOGPIXELSY);
    }
    CWnd* mainWindow = AfxGetMainWnd();
    if (mainWindow == nullptr) {
        return 0;
    }
    CDC* screen = mainWindow->GetDC();
    if (screen == nullptr) {
        return 0;
    }
    const int resolution = screen->GetDeviceCaps(LOGPIXELSY);
    mainWindow->ReleaseDC(screen);
    return resolution;
}

BOOL CreateGridFont(CFont* pFont, LONG height, const CString& faceName) {
    LOGFONTA font = {};
    font.lfHeight = height;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH;
    lstrcpynA(font.lfFaceName, faceName, LF_FACESIZE);
    return pFont->CreateFontIndirect(&font);
}

} // namespace

BOOL Tool_GetGridFont(CFont* pFont, CDC* pDC) {
    if (pFont == nullptr) {
        return FALSE;
    }
    pFont->DeleteObject(); // a font the object held before
    CString text;
    RES_LoadString(kGridFontText, text, 1);
    const int comma = text.Find(',');
    if (text.IsEmpty() || text.Compare(kDefaultFontText) == 0 || comma < 0) {
        return pFont->Attach(DefaultGuiFont());
    }
    const CString faceName = text.Left(comma);
    const int pointSize = std::atoi(text.Mid(comma + 1));
    const int resolution = pointSize > 0 ? VerticalResolution(pDC) : 0;
    if (resolution > 0) {
        const LONG height = MulDiv(pointSize, -resolution, 72);
        if (height != 0) {
            return CreateGridFont(pFont, height, faceName);
        }
    }
    return CreateGridFont(pFont, DefaultGuiFontHeight(), faceName);
}
