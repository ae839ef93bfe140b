// Fitting a window rectangle onto a desktop rectangle.
#pragma once

#include <windows.h>

namespace ovs {

// Shrinks the rectangle to the desktop's size where it is wider or taller (then starting at 0),
// and moves it onto the desktop: right, left, bottom and top edges in that order.
void FitRectOnDesktop(RECT& rect, const RECT& desktop);

} // namespace ovs
