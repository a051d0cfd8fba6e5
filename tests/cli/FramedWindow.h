#pragma once
// Windows that draw around themselves what Windows 11's DWM would (Wine's draws nothing), from
// the values the fake DWM keeps for them: rounded corners through the window region, a one-pixel
// border, a caption band with the title in WM_NCPAINT, as custom-frame programs paint. A popup
// of 360 x 260, the frame inset 7, 0, 7, 7 as the fake reports it, a white client area.
#include <windows.h>

namespace testsupport {

// As soon as the fake says the DWM draws anew; only after a frame change (WM_NCCALCSIZE) or
// WM_NCACTIVATE; never (the frame it was created with).
enum class Redraws { WhenSet, AfterFrameChange, Never };

// Never activated; the caller destroys it.
HWND CreateFramedWindow(const wchar_t* title, int x, int y, Redraws redraws);

}  // namespace testsupport
