#include "dwm/BlurRegion.h"

RECT CentredBox(int width, int height, int size) {
    const int x = width / 2 - size / 2;
    const int y = height / 2 - size / 2;
    return RECT{x, y, x + size, y + size};
}

RECT BlurRegionBox(const RECT& windowRect, int size) {
    return CentredBox(windowRect.right - windowRect.left, windowRect.bottom - windowRect.top, size);
}

fw::UniqueRegion MakeShapeRegion(BlurShape shape, const RECT& box) {
    switch (shape) {
        case BlurShape::Circle: return fw::UniqueRegion(::CreateEllipticRgn(box.left, box.top, box.right, box.bottom));
        case BlurShape::Rect: return fw::UniqueRegion(::CreateRectRgn(box.left, box.top, box.right, box.bottom));
        case BlurShape::None: break;
    }
    return fw::UniqueRegion();
}

fw::UniqueRegion MakeBlurRegion(HWND window, BlurShape shape, int size) {
    RECT windowRect{};
    ::GetWindowRect(window, &windowRect);
    return MakeShapeRegion(shape, BlurRegionBox(windowRect, size));
}
