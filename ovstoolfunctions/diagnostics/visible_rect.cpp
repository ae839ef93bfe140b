#include "visible_rect.h"

namespace ovs {

void FitRectOnDesktop(RECT& rect, const RECT& desktop) {
    const LONG desktopWidth = desktop.right - desktop.left;
    const LONG desktopHeight = desktop.bottom - desktop.top;
    // An oversized rectangle starts at 0, not at the desktop's origin; the moves below fix that.
    if (rect.right - rect.left > desktopWidth) {
        rect.left = 0;
        rect.right = desktopWidth;
    }
    if (rect.bottom - rect.top > desktopHeight) {
        rect.top = 0;
        rect.bottom = desktopHeight;
    }
    if (rect.right > desktop.right) {
        OffsetRect(&rect, desktop.right - rect.right, 0);
    }
    if (rect.left < desktop.left) {
        OffsetRect(&rect, desktop.left - rect.left, 0);
    }
    if (rect.bottom > desktop.bottom) {
        OffsetRect(&rect, 0, desktop.bottom - rect.bottom);
    }
    if (rect.top < desktop.top) {
        OffsetRect(&rect, 0, desktop.top - rect.top);
    }
}

} // namespace ovs
