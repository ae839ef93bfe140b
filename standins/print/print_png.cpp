// The page as a PNG: drawn with GDI on a DIB section (font mapping always finds a face, where GDI+
// font families may miss), encoded with GDI+.
#include "print_outputs.h"
#include "unique_resource.h"

#include <gdiplus.h>

#include <cwchar>

namespace ovsprint {

namespace {

constexpr int kWidth = 595; // A4 at 72 dots per inch
constexpr int kHeight = 842;
constexpr char kFontFace[] = "Arial";
constexpr wchar_t kPngType[] = L"image/png";

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    wide.resize(length > 0 ? length - 1 : 0);
    return wide;
}

// The encoder of the PNG type, as the installed codecs name it.
bool PngEncoder(CLSID& encoder) {
    UINT count = 0;
    UINT size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) {
        return false;
    }
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) {
        return false;
    }
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(codecs[i].MimeType, kPngType) == 0) {
            encoder = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

} // namespace

void DrawPage(HDC dc, int width, int height, const std::vector<std::string>& lines) {
    const int margin = width / 12;
    const int lineHeight = height / 50;
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, margin / 2, margin / 2, width - margin / 2, height - margin / 2);
    HFONT font =
        CreateFontA(-lineHeight * 2 / 3, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, kFontFace);
    HGDIOBJ previous = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    int y = margin;
    for (const std::string& line : lines) {
        TextOutA(dc, margin, y, line.c_str(), static_cast<int>(line.size()));
        y += lineHeight;
    }
    SelectObject(dc, previous);
    DeleteObject(font);
}

bool WritePng(const std::string& path, const std::vector<std::string>& lines) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        return false;
    }
    bool saved = false;
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (dc != nullptr && bitmap != nullptr) {
            HGDIOBJ previous = SelectObject(dc, bitmap);
            PatBlt(dc, 0, 0, kWidth, kHeight, WHITENESS);
            DrawPage(dc, kWidth, kHeight, lines);
            SelectObject(dc, previous);
            Gdiplus::Bitmap image(bitmap, nullptr);
            CLSID encoder;
            saved = PngEncoder(encoder) && image.Save(Wide(path).c_str(), &encoder, nullptr) == Gdiplus::Ok;
        }
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
        if (dc != nullptr) {
            DeleteDC(dc);
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}

} // namespace ovsprint
