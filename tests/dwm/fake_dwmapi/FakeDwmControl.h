#pragma once
// The control exports of the fake dwmapi.dll (a test double installed into the test prefix's
// system32). Tests reach them with GetProcAddress by the names below; tests/support/FakeDwm.h
// wraps them.
//
// Behaviour of the twelve DWM entry points:
//  - Every call is appended to the journal first, as one line (formats below), also when it then
//    fails. With FAKE_DWM_JOURNAL set, each line is also appended to that file (UTF-8, '\n').
//  - An injected failure (FakeDwm_Fail) is returned next, without any other effect.
//  - DwmIsCompositionEnabled reports the composition value (default TRUE, any BOOL settable);
//    DwmEnableComposition(0 or 1) sets it to FALSE or TRUE, other actions are E_INVALIDARG.
//  - DwmGetColorizationColor reports the configured colour and opaque blend.
//  - DwmGetWindowAttribute and DwmSetWindowAttribute play the Windows that the process is told it
//    runs on (RtlGetVersion), as Microsoft documents each attribute: a get answers only 1, 5, 9,
//    14, 37 and 38, a set only the others and 38. An attribute this build does not know is
//    E_INVALIDARG for both: 10-12 need Windows 7, 13-15 Windows 8, 16 Windows 10, 19 only
//    Windows 10 1809-1909 (17763-19040; undocumented, so never later), 20 Windows 10 2004 (19041),
//    17 and 33-37 Windows 11 (22000), 38 Windows 11 22H2 (22621); 0, 18, 21-32 and 39 up never.
//    A window that does not exist is E_HANDLE; a null value is E_POINTER for a get and
//    E_INVALIDARG for a set; a size other than the attribute's or a value out of range is
//    E_INVALIDARG. Values are 4 bytes, except 5 and 9 (RECT):
//      1  NCRENDERING_ENABLED (get): FALSE when the policy (2) is DWMNCRP_DISABLED, else TRUE
//      2  NCRENDERING_POLICY: 0 .. DWMNCRP_LAST - 1
//      3, 4, 6, 7, 10, 11, 12: any value
//      5  CAPTION_BUTTON_BOUNDS: three 46 x 30 buttons at the top right, in window coordinates
//      8  FLIP3D_POLICY: 0 .. DWMFLIP3D_LAST - 1
//      9  EXTENDED_FRAME_BOUNDS: GetWindowRect inset by the frame inset (default 7, 0, 7, 7)
//      13 CLOAK: any value; on a window of another process E_ACCESSDENIED, nothing stored;
//         stored, it raises EVENT_OBJECT_CLOAKED (nonzero) or EVENT_OBJECT_UNCLOAKED (0)
//      14 CLOAKED (get): the bits of the window property kCloakedProperty, OR'ed with
//         DWM_CLOAKED_APP when CLOAK was set nonzero on the window in this process
//      15 FREEZE_REPRESENTATION, 16 PASSIVE_UPDATE_MODE, 17 USE_HOSTBACKDROPBRUSH,
//      19 and 20 USE_IMMERSIVE_DARK_MODE (old and new id): any value
//      33 WINDOW_CORNER_PREFERENCE: 0 .. 3
//      34 BORDER_COLOR, 35 CAPTION_COLOR, 36 TEXT_COLOR: any COLORREF
//      37 VISIBLE_FRAME_BORDER_THICKNESS (get): the system's value, default 1
//      38 SYSTEMBACKDROP_TYPE: 0 .. 4
//    A set stores the value for (window, attribute) in this process; a get reads it back. When
//    nothing is stored, a get reads the value "in the system": the window property named
//    kAttributePropertyPrefix + the decimal id (AttributeProperty(id)), which any process may
//    set; its HANDLE cast to an integer is the value, 0 included. Without one, the default
//    (0 unless given above). Attribute 1 follows the policy so found; 5, 9 and 14 have no such
//    property. Only 37 and 38 are ever read back this way: the rest are set-only.
//    A set of 20 (or 19), 33, 34, 35 or 36, what the DWM draws a frame from, also sets that
//    property (19 as 20) on the window, and sends the window kDrawFrameMessage (wParam: the id):
//    its owner paints what the DWM would draw, or does not; the fake draws nothing.
//  - DwmExtendFrameIntoClientArea and DwmEnableBlurBehindWindow give kCompositionDisabled
//    (DWM_E_COMPOSITIONDISABLED) while composition is off, as Windows 7 does.
//  - DwmRegisterThumbnail hands out a handle never used before in the process;
//    DwmUnregisterThumbnail and DwmUpdateThumbnailProperties with a handle not registered are
//    E_INVALIDARG.
//  - DwmGetCompositionTimingInfo: a null record or a cbSize other than sizeof(DWM_TIMING_INFO)
//    is E_INVALIDARG, composition off is kCompositionDisabled; else the record is zeroed but for
//    cbSize and filled with the kTiming figures below (the window is not looked at).
//  - DwmFlush returns at once (what was drawn is on the screen already): S_OK, or
//    kCompositionDisabled while composition is off.
//
// Journal lines (hwnd and thumbnail as 0x%08x, rectangles as (left,top,right,bottom)):
//   DwmIsCompositionEnabled
//   DwmEnableComposition action=1
//   DwmGetColorizationColor
//   DwmGetWindowAttribute hwnd=0x00010020 attr=9 size=16
//   DwmSetWindowAttribute hwnd=0x00010020 attr=2 value=1 size=4     (value=null for a null pointer;
//                                                                     4 bytes as a signed decimal,
//                                                                     so 0xFFFFFFFF is value=-1;
//                                                                     other sizes as hex bytes value=[01 02])
//   DwmExtendFrameIntoClientArea hwnd=0x00010020 left=3 right=4 top=1 bottom=2   (margins=null)
//   DwmEnableBlurBehindWindow hwnd=0x00010020 flags=0x3 enable=1 region=(0,0,10,10) transitionOnMaximized=0
//                                                           (region=none without a region; blurBehind=null)
//   DwmRegisterThumbnail destination=0x00010020 source=0x00010030
//   DwmUnregisterThumbnail thumbnail=0x00001001
//   DwmUpdateThumbnailProperties thumbnail=0x00001001 flags=0x1f destination=(0,0,100,50)
//       source=(0,0,200,100) opacity=255 visible=1 clientAreaOnly=0   (one line; properties=null)
//   DwmGetCompositionTimingInfo hwnd=0x00000000 size=292   (size is the cbSize given; info=null)
//   DwmFlush
//
// Environment read when the DLL is loaded (the initial state, restored by FakeDwm_Reset):
//   FAKE_DWM_COMPOSITION=0|1, FAKE_DWM_COLORIZATION=0xAARRGGBB, FAKE_DWM_OPAQUE=n,
//   FAKE_DWM_FAIL=DwmEnableComposition=0x80004005,DwmGetColorizationColor=0x80070005 (permanent),
//   FAKE_DWM_JOURNAL=path of the journal file, FAKE_DWM_FRAME_INSET=left,top,right,bottom,
//   FAKE_DWM_CLOSE_AT=n: before answering the nth call that names a window (attribute get or set,
//   frame, blur), the fake sends that window WM_CLOSE (its owner, another process, destroys it).
//   FAKE_DWM_INTERRUPT_AT=n: before answering the nth such call, Ctrl+C in the process's console
//   (GenerateConsoleCtrlEvent), then half a second for its handlers to run.
#include <windows.h>

#include <cstddef>
#include <string>

namespace fake_dwm {

// DWM_E_COMPOSITIONDISABLED, which MinGW's headers lack.
inline constexpr HRESULT kCompositionDisabled = static_cast<HRESULT>(0x80263001);

// Window properties that stand for the DWM state of a window "in the system", which a test sets
// with SetPropW on its own windows for a program in another process to read. The value is the
// HANDLE cast to an integer. tests/support/FakeDwm.h sets them.
//
// The DWM_CLOAKED_* bits that DWMWA_CLOAKED reports.
inline constexpr wchar_t kCloakedProperty[] = L"FakeDwm.Cloaked";
// Followed by the decimal attribute id: "FakeDwm.Attribute.33".
inline constexpr wchar_t kAttributePropertyPrefix[] = L"FakeDwm.Attribute.";
inline std::wstring AttributeProperty(DWORD attribute) {
    return kAttributePropertyPrefix + std::to_wstring(attribute);
}
// Registered window message: the DWM draws the window's frame anew from those properties.
inline constexpr wchar_t kDrawFrameMessage[] = L"FakeDwm.DrawFrame";

// What DwmGetCompositionTimingInfo reports; qpcRefreshPeriod is the QueryPerformanceFrequency
// divided by kTimingRefreshNumerator, every other field 0.
inline constexpr UINT32 kTimingRefreshNumerator = 60;    // rateRefresh
inline constexpr UINT32 kTimingRefreshDenominator = 1;
inline constexpr UINT32 kTimingComposeNumerator = 60;    // rateCompose
inline constexpr UINT32 kTimingComposeDenominator = 1;
inline constexpr ULONGLONG kTimingRefreshCount = 1200;   // cRefresh
inline constexpr ULONGLONG kTimingFrameCount = 1200;     // cFrame
inline constexpr ULONGLONG kTimingFramesDisplayed = 1190;
inline constexpr ULONGLONG kTimingFramesDropped = 10;
inline constexpr ULONGLONG kTimingFramesMissed = 0;

// Back to the initial state: configuration, no window attributes, no thumbnails, no injected
// failures, empty in-memory journal (the journal file is left as it is).
using ResetFn = void(WINAPI*)();
// The value DwmIsCompositionEnabled reports, stored as given (2 included).
using SetCompositionFn = void(WINAPI*)(BOOL reported);
using SetColorizationFn = void(WINAPI*)(DWORD colorization, BOOL opaqueBlend);
// The invisible border that DWMWA_EXTENDED_FRAME_BOUNDS takes off the window rectangle.
using SetFrameInsetFn = void(WINAPI*)(int left, int top, int right, int bottom);
// entry: a DWM export name. count > 0: the next count calls fail; count < 0: every call fails;
// count 0: the entry works again.
using FailFn = void(WINAPI*)(const wchar_t* entry, HRESULT result, int count);
// Copies the journal, each line ended by '\n', with a terminator when capacity allows; returns
// the number of characters the whole journal needs, terminator included.
using GetJournalFn = std::size_t(WINAPI*)(wchar_t* buffer, std::size_t capacity);
using ClearJournalFn = void(WINAPI*)();
// Thumbnail registrations in force.
using ThumbnailCountFn = int(WINAPI*)();

inline constexpr char kReset[] = "FakeDwm_Reset";
inline constexpr char kSetComposition[] = "FakeDwm_SetComposition";
inline constexpr char kSetColorization[] = "FakeDwm_SetColorization";
inline constexpr char kSetFrameInset[] = "FakeDwm_SetFrameInset";
inline constexpr char kFail[] = "FakeDwm_Fail";
inline constexpr char kGetJournal[] = "FakeDwm_GetJournal";
inline constexpr char kClearJournal[] = "FakeDwm_ClearJournal";
inline constexpr char kThumbnailCount[] = "FakeDwm_ThumbnailCount";

}  // namespace fake_dwm
