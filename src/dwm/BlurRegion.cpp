#include "dwm/BlurRegion.h"

RECT BlurRegionBox(const RECT& windowRect, int size) {
    const int width = windowRect.right - windowRect.left;
    const int height = windowRect.bottom - windowRect.top;
    const int x = width / 2 - size / 2;
    const int y = height / 2 - size / 2;
    return RECT{x, y, x + size, y + size};
}

fw::UniqueRegion MakeBlurRegion(HWND window, BlurShape shape, int size) {
    RECT windowRect{};
    ::GetWindowRect(window, &windowRect);
    const RECT box = BlurRegionBox(windowRect, size);
    switch (shape) {
        case BlurShape::Circle: return fw::UniqueRegion(::CreateEllipticRgn(box.left, box.top, box.right, box.bottom));
        case BlurShape::Rect: return fw::UniqueRegion(::CreateRectRgn(box.left, box.top, box.right, box.bottom));
        case BlurShape::None: break;
    }
    return fw::UniqueRegion();
}
