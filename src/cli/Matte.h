#pragma once
// A window's picture with true transparency. A solid window of velmora's own goes directly below
// the target, never activated; the screen is taken once over white and once over black, and what
// differs between the two is what lets the backdrop through. The backdrop is gone when the capture
// returns, however it ends.
#include <windows.h>

#include "cli/Capture.h"

namespace cli {

// The backdrop's window class, which tests look for.
inline constexpr wchar_t kMatteClass[] = L"VelmoraMatte";

// The area as `capture` takes it, widened by `margin` physical pixels on every side. Refused:
// minimized, cloaked, an empty area, an area not all on the screen, an area any other window
// covers (named in the reason and in coveredBy). `stop`, when not null, is an event that ends the
// capture early (Interrupted). Never throws but std::bad_alloc.
CaptureResult CaptureMatte(HWND window, CaptureArea area, int margin, HANDLE stop);

// Straight alpha and colour from the same pixels over white and over black: alpha is one less
// the largest difference of a channel, colour the black picture divided by alpha.
Picture Unmatte(const Picture& overWhite, const Picture& overBlack);

}  // namespace cli
