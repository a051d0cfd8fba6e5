#pragma once
// The pixels of a window, for `velmora capture`: copied from the screen, or rendered by the
// window itself into a bitmap of ours.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace cli {

enum class CaptureArea { Frame, Window, Client };
inline constexpr std::pair<const char*, CaptureArea> kCaptureAreaNames[] = {
    {"frame", CaptureArea::Frame}, {"window", CaptureArea::Window}, {"client", CaptureArea::Client}};
enum class CaptureMethod { Auto, Screen, Print };
inline constexpr std::pair<const char*, CaptureMethod> kCaptureMethodNames[] = {
    {"auto", CaptureMethod::Auto}, {"screen", CaptureMethod::Screen}, {"print", CaptureMethod::Print}};
enum class CaptureStatus { Ok, Minimized, EmptyArea, CloakedForScreen, PrintedNothing, Closed, Failed };

// Rows top-down; each pixel is 32-bit BGRA in memory (0xAARRGGBB read as a number), alpha 255:
// the layout of a 32-bpp top-down DIB, and of WIC's 32bppBGRA.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

struct CaptureResult {
    CaptureStatus status = CaptureStatus::Ok;
    std::string reason;                            // one line for stderr when not Ok
    CaptureMethod method = CaptureMethod::Screen;  // the one that ran: Screen or Print
    bool fellBack = false;                         // auto: print rendered nothing, the screen was taken
    RECT rect{};                                   // the rectangle taken: screen coordinates, physical pixels
    UINT dpi = 0;
    // Visible, uncloaked top-level windows above the target that overlap `rect`, topmost first;
    // gathered whenever the screen was considered (Screen and Auto), empty for Print.
    std::vector<HWND> coveredBy;
    Picture picture;  // empty unless Ok
};

// Never throws but std::bad_alloc. A window that closes meanwhile gives Closed, not a picture.
CaptureResult CaptureWindow(HWND window, CaptureArea area, CaptureMethod method);

}  // namespace cli
