#pragma once
// The control exports of the fake dwmapi.dll (a test double installed into the test prefix's
// system32). Tests reach them with GetProcAddress by the names below; tests/support/FakeDwm.h
// wraps them.
//
// Behaviour of the ten DWM entry points:
//  - Every call is appended to the journal first, as one line (formats below), also when it then
//    fails. With FAKE_DWM_JOURNAL set, each line is also appended to that file (UTF-8, '\n').
//  - An injected failure (FakeDwm_Fail) is returned next, without any other effect.
//  - DwmIsCompositionEnabled reports the composition value (default TRUE, any BOOL settable);
//    DwmEnableComposition(0 or 1) sets it to FALSE or TRUE, other actions are E_INVALIDARG.
//  - DwmGetColorizationColor reports the configured colour and opaque blend.
//  - DwmSetWindowAttribute stores 4-byte values of attributes 2-4, 6-8 and 10-13 per window;
//    DwmGetWindowAttribute reads them back (0 when never set). Attribute 1 is FALSE when the
//    stored policy (attribute 2) is DWMNCRP_DISABLED, else TRUE; 5 is a caption-button strip at
//    the top right, in window coordinates; 9 is GetWindowRect inset by the frame inset
//    (default left 7, top 0, right 7, bottom 7). A window that does not exist is E_HANDLE;
//    a wrong size, an unknown attribute or a policy value out of range is E_INVALIDARG.
//  - DwmExtendFrameIntoClientArea and DwmEnableBlurBehindWindow give kCompositionDisabled
//    (DWM_E_COMPOSITIONDISABLED) while composition is off, as Windows 7 does.
//  - DwmRegisterThumbnail hands out a handle never used before in the process;
//    DwmUnregisterThumbnail and DwmUpdateThumbnailProperties with a handle not registered are
//    E_INVALIDARG.
//
// Journal lines (hwnd and thumbnail as 0x%08x, rectangles as (left,top,right,bottom)):
//   DwmIsCompositionEnabled
//   DwmEnableComposition action=1
//   DwmGetColorizationColor
//   DwmGetWindowAttribute hwnd=0x00010020 attr=9 size=16
//   DwmSetWindowAttribute hwnd=0x00010020 attr=2 value=1 size=4     (value=null for a null pointer;
//                                                                     other sizes as hex bytes value=[01 02])
//   DwmExtendFrameIntoClientArea hwnd=0x00010020 left=3 right=4 top=1 bottom=2   (margins=null)
//   DwmEnableBlurBehindWindow hwnd=0x00010020 flags=0x3 enable=1 region=(0,0,10,10) transitionOnMaximized=0
//                                                           (region=none without a region; blurBehind=null)
//   DwmRegisterThumbnail destination=0x00010020 source=0x00010030
//   DwmUnregisterThumbnail thumbnail=0x00001001
//   DwmUpdateThumbnailProperties thumbnail=0x00001001 flags=0x1f destination=(0,0,100,50)
//       source=(0,0,200,100) opacity=255 visible=1 clientAreaOnly=0   (one line; properties=null)
//
// Environment read when the DLL is loaded (the initial state, restored by FakeDwm_Reset):
//   FAKE_DWM_COMPOSITION=0|1, FAKE_DWM_COLORIZATION=0xAARRGGBB, FAKE_DWM_OPAQUE=n,
//   FAKE_DWM_FAIL=DwmEnableComposition=0x80004005,DwmGetColorizationColor=0x80070005 (permanent),
//   FAKE_DWM_JOURNAL=path of the journal file, FAKE_DWM_FRAME_INSET=left,top,right,bottom.
#include <windows.h>

#include <cstddef>

namespace fake_dwm {

// DWM_E_COMPOSITIONDISABLED, which MinGW's headers lack.
inline constexpr HRESULT kCompositionDisabled = static_cast<HRESULT>(0x80263001);

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
