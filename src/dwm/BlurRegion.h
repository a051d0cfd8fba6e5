#pragma once
// The blur-behind region both programs hand the DWM: a circle or square centred in the window.
#include <windows.h>

#include <utility>

#include "framework/Handles.h"

enum class BlurShape { None, Circle, Rect };
// As velmora writes them.
inline constexpr std::pair<const char*, BlurShape> kBlurShapeNames[] = {
    {"whole-window", BlurShape::None}, {"circle", BlurShape::Circle}, {"square", BlurShape::Rect}};

// A square of the given side centred in a width x height area, each half truncated toward zero
// before the subtraction.
RECT CentredBox(int width, int height, int size);
// The square (and the circle's box) of the blur region: centred in a W x H window.
RECT BlurRegionBox(const RECT& windowRect, int size);
// A circle or square filling the box; none for BlurShape::None.
fw::UniqueRegion MakeShapeRegion(BlurShape shape, const RECT& box);

// The region over the window's current rectangle; none for BlurShape::None. The DWM keeps its
// own copy, so the caller's owner frees it after the call.
fw::UniqueRegion MakeBlurRegion(HWND window, BlurShape shape, int size);
