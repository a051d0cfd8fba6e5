#pragma once
// The blur-behind region both programs hand the DWM: a circle or square centred in the window.
#include <windows.h>

#include "framework/Handles.h"

enum class BlurShape { None, Circle, Rect };

// The square (and the circle's box) of the blur region: centred in a W x H window, each half
// truncated toward zero before the subtraction.
RECT BlurRegionBox(const RECT& windowRect, int size);

// The region over the window's current rectangle; none for BlurShape::None. The DWM keeps its
// own copy, so the caller's owner frees it after the call.
fw::UniqueRegion MakeBlurRegion(HWND window, BlurShape shape, int size);
