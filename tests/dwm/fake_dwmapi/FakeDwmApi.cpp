// A stateful stand-in for dwmapi.dll that records every call; see FakeDwmControl.h for what it
// does and the journal formats. Exported names come from fake_dwmapi.def, so the functions here
// carry their own names and do not clash with the SDK's declarations.
#include <windows.h>
#include <commctrl.h>
#include <dwmapi.h>

#include "FakeDwmControl.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <cstdlib>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace {

// Attribute ids newer than MinGW's DWMWINDOWATTRIBUTE, which ends at DWMWA_PASSIVE_UPDATE_MODE.
constexpr DWORD kUseHostBackdropBrush = 17;
constexpr DWORD kUseImmersiveDarkModeOld = 19;
constexpr DWORD kUseImmersiveDarkMode = 20;
constexpr DWORD kWindowCornerPreference = 33;
constexpr DWORD kBorderColor = 34;
constexpr DWORD kCaptionColor = 35;
constexpr DWORD kTextColor = 36;
constexpr DWORD kVisibleFrameBorderThickness = 37;
constexpr DWORD kSystemBackdropType = 38;
// DWMWA_COLOR_DEFAULT, what the three colours read as until one is set.
constexpr DWORD kColorDefault = 0xFFFFFFFF;
// The last DWMWCP_* and DWMSBT_* values.
constexpr int kLastCornerPreference = 3;
constexpr int kLastBackdropType = 4;
constexpr int kDefaultVisibleFrameBorderThickness = 1;
// EVENT_OBJECT_CLOAKED and UNCLOAKED, newer than MinGW's headers.
constexpr DWORD kEventObjectCloaked = 0x8017;
constexpr DWORD kEventObjectUncloaked = 0x8018;

struct Failure {
    HRESULT result;
    int remaining;  // < 0: for ever
};

// What the environment sets at load; Reset returns to it.
struct InitialState {
    BOOL composition = TRUE;
    DWORD colorization = 0xC40078D7;
    BOOL opaqueBlend = FALSE;
    RECT inset{7, 0, 7, 7};
    std::map<std::wstring, Failure> failures;
    int closeAtCall = 0;
    int interruptAtCall = 0;
};

struct State {
    BOOL composition = TRUE;
    DWORD colorization = 0;
    BOOL opaqueBlend = FALSE;
    RECT inset{7, 0, 7, 7};
    std::map<std::wstring, Failure> failures;
    // The window named by this call (counting from 1) is closed before the call is answered.
    int closeAtCall = 0;
    // Ctrl+C reaches the process before this call is answered.
    int interruptAtCall = 0;
    int windowCalls = 0;
    std::map<HWND, std::map<DWORD, int>> attributes;
    std::map<HTHUMBNAIL, DWM_THUMBNAIL_PROPERTIES> thumbnails;
    // Destination and source of each registration, for the picture the fake paints.
    std::map<HTHUMBNAIL, std::pair<HWND, HWND>> thumbnailWindows;
    std::vector<std::wstring> journal;
};

SRWLOCK g_lock = SRWLOCK_INIT;
InitialState g_initial;
State g_state;
std::wstring g_journalPath;
// Handles are never reused, not even across Reset, so a stale handle stays unknown.
UINT_PTR g_lastThumbnail = 0x1000;

class Lock {
public:
    Lock() { ::AcquireSRWLockExclusive(&g_lock); }
    ~Lock() { ::ReleaseSRWLockExclusive(&g_lock); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
};

std::wstring Format(const wchar_t* format, ...) {
    wchar_t buffer[512];
    va_list args;
    va_start(args, format);
    const int length = std::vswprintf(buffer, std::size(buffer), format, args);
    va_end(args);
    return length < 0 ? std::wstring(L"<journal line too long>") : std::wstring(buffer, static_cast<size_t>(length));
}

unsigned Hex(const void* handle) { return static_cast<unsigned>(reinterpret_cast<UINT_PTR>(handle)); }

std::wstring FormatRect(const RECT& rect) {
    return Format(L"(%ld,%ld,%ld,%ld)", rect.left, rect.top, rect.right, rect.bottom);
}

std::wstring FormatBytes(const void* data, DWORD size) {
    if (data == nullptr) return L"null";
    if (size == sizeof(int)) return Format(L"%d", *static_cast<const int*>(data));
    std::wstring text = L"[";
    for (DWORD i = 0; i < size; ++i) {
        if (i != 0) text += L' ';
        text += Format(L"%02x", static_cast<unsigned>(static_cast<const BYTE*>(data)[i]));
    }
    return text + L"]";
}

std::optional<std::wstring> Environment(const wchar_t* name) {
    wchar_t buffer[1024];
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
    if (length == 0 || length >= std::size(buffer)) return std::nullopt;
    return std::wstring(buffer, length);
}

long ParseNumber(const std::wstring& text) {
    return static_cast<long>(std::wcstoul(text.c_str(), nullptr, 0));
}

// "Entry=0x80004005,Entry2=0x80070005": permanent failures.
std::map<std::wstring, Failure> ParseFailures(const std::wstring& text) {
    std::map<std::wstring, Failure> failures;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L',', start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring item = text.substr(start, end - start);
        const size_t equals = item.find(L'=');
        if (equals != std::wstring::npos) {
            failures[item.substr(0, equals)] = Failure{ParseNumber(item.substr(equals + 1)), -1};
        }
        start = end + 1;
    }
    return failures;
}

void ReadEnvironment() {
    if (auto value = Environment(L"FAKE_DWM_COMPOSITION")) g_initial.composition = ParseNumber(*value) != 0;
    if (auto value = Environment(L"FAKE_DWM_COLORIZATION")) g_initial.colorization = static_cast<DWORD>(ParseNumber(*value));
    if (auto value = Environment(L"FAKE_DWM_OPAQUE")) g_initial.opaqueBlend = static_cast<BOOL>(ParseNumber(*value));
    if (auto value = Environment(L"FAKE_DWM_FAIL")) g_initial.failures = ParseFailures(*value);
    if (auto value = Environment(L"FAKE_DWM_JOURNAL")) g_journalPath = *value;
    if (auto value = Environment(L"FAKE_DWM_CLOSE_AT")) g_initial.closeAtCall = static_cast<int>(ParseNumber(*value));
    if (auto value = Environment(L"FAKE_DWM_INTERRUPT_AT")) g_initial.interruptAtCall = static_cast<int>(ParseNumber(*value));
    if (auto value = Environment(L"FAKE_DWM_FRAME_INSET")) {
        RECT& inset = g_initial.inset;
        std::swscanf(value->c_str(), L"%ld,%ld,%ld,%ld", &inset.left, &inset.top, &inset.right, &inset.bottom);
    }
}

void Restore() {
    g_state = State{};
    g_state.composition = g_initial.composition;
    g_state.colorization = g_initial.colorization;
    g_state.opaqueBlend = g_initial.opaqueBlend;
    g_state.inset = g_initial.inset;
    g_state.failures = g_initial.failures;
    g_state.closeAtCall = g_initial.closeAtCall;
    g_state.interruptAtCall = g_initial.interruptAtCall;
}

void AppendToJournalFile(const std::wstring& line) {
    if (g_journalPath.empty()) return;
    const std::wstring text = line + L"\n";
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    // Opened and closed per line: another process reads the file while this one runs.
    const HANDLE file = ::CreateFileW(g_journalPath.c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

// An injected failure for entry, counting it down.
std::optional<HRESULT> TakeFailure(const wchar_t* entry) {
    const auto found = g_state.failures.find(entry);
    if (found == g_state.failures.end()) return std::nullopt;
    const HRESULT result = found->second.result;
    if (found->second.remaining > 0 && --found->second.remaining == 0) g_state.failures.erase(found);
    return result;
}

// The frame of every DWM entry point: journal line, injected failure, then the behaviour.
// No exception leaves the DLL.
template <typename Describe, typename Behave>
HRESULT Run(const wchar_t* entry, Describe describe, Behave behave) {
    Lock lock;
    try {
        std::wstring line = entry;
        const std::wstring arguments = describe();
        if (!arguments.empty()) line += L" " + arguments;
        g_state.journal.push_back(line);
        AppendToJournalFile(line);
        if (const auto failure = TakeFailure(entry)) return *failure;
        return behave();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// FAKE_DWM_CLOSE_AT: the window the Nth window call names is closed first, as if its owner had
// closed it in that instant. The owner is another process that dispatches its messages.
// FAKE_DWM_INTERRUPT_AT: Ctrl+C is pressed in that instant; the console's handlers run on a thread
// of their own, given the time a person's keystroke leaves them.
void BeforeWindowCall(HWND window) {
    const int call = ++g_state.windowCalls;
    if (call == g_state.closeAtCall) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    }
    if (call == g_state.interruptAtCall && ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) ::Sleep(500);
}

auto NoArguments() {
    return [] { return std::wstring(); };
}

// Which calls Microsoft documents for each attribute, and the Windows builds that know it. Only
// the attributes documented for DwmGetWindowAttribute answer a get; the others are set-only. The
// old dark-mode number (19) is documented nowhere: the fake knows it only on the builds before
// the documented number (20) arrived.
enum Access { kGet = 1, kSet = 2, kBoth = kGet | kSet };

struct Build {
    DWORD major, minor, build;
    constexpr auto operator<=>(const Build&) const = default;
};
constexpr Build kVista{6, 0, 0}, kWindows7{6, 1, 0}, kWindows8{6, 2, 0}, kWindows10{10, 0, 10240},
    kWindows10_1809{10, 0, 17763}, kWindows10_2004{10, 0, 19041}, kWindows11{10, 0, 22000},
    kWindows11_22H2{10, 0, 22621}, kNever{~0u, 0, 0};

struct KnownAttribute {
    DWORD id;
    Access access;
    Build first;
    Build until = kNever;  // the first build that no longer knows it
};

constexpr KnownAttribute kKnownAttributes[] = {
    {DWMWA_NCRENDERING_ENABLED, kGet, kVista},
    {DWMWA_NCRENDERING_POLICY, kSet, kVista},
    {DWMWA_TRANSITIONS_FORCEDISABLED, kSet, kVista},
    {DWMWA_ALLOW_NCPAINT, kSet, kVista},
    {DWMWA_CAPTION_BUTTON_BOUNDS, kGet, kVista},
    {DWMWA_NONCLIENT_RTL_LAYOUT, kSet, kVista},
    {DWMWA_FORCE_ICONIC_REPRESENTATION, kSet, kVista},
    {DWMWA_FLIP3D_POLICY, kSet, kVista},
    {DWMWA_EXTENDED_FRAME_BOUNDS, kGet, kVista},
    {DWMWA_HAS_ICONIC_BITMAP, kSet, kWindows7},
    {DWMWA_DISALLOW_PEEK, kSet, kWindows7},
    {DWMWA_EXCLUDED_FROM_PEEK, kSet, kWindows7},
    {DWMWA_CLOAK, kSet, kWindows8},
    {DWMWA_CLOAKED, kGet, kWindows8},
    {DWMWA_FREEZE_REPRESENTATION, kSet, kWindows8},
    {DWMWA_PASSIVE_UPDATE_MODE, kSet, kWindows10},
    {kUseHostBackdropBrush, kSet, kWindows11},
    {kUseImmersiveDarkModeOld, kSet, kWindows10_1809, kWindows10_2004},
    {kUseImmersiveDarkMode, kSet, kWindows10_2004},
    {kWindowCornerPreference, kSet, kWindows11},
    {kBorderColor, kSet, kWindows11},
    {kCaptionColor, kSet, kWindows11},
    {kTextColor, kSet, kWindows11},
    {kVisibleFrameBorderThickness, kGet, kWindows11},
    {kSystemBackdropType, kBoth, kWindows11_22H2},
};

// The Windows the fake plays is the one its process is told it runs on.
Build RunningBuild() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    const auto getVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (getVersion == nullptr || getVersion(&version) != 0) return kVista;
    return Build{version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber};
}

// E_INVALIDARG, as Windows answers an attribute it does not know or does not give that way.
bool Answers(DWORD attribute, Access access) {
    static const Build running = RunningBuild();
    for (const KnownAttribute& known : kKnownAttributes) {
        if (known.id != attribute) continue;
        return (known.access & access) != 0 && !(running < known.first) && running < known.until;
    }
    return false;
}

bool IsInRange(DWORD attribute, int value) {
    if (attribute == DWMWA_NCRENDERING_POLICY) return value >= 0 && value < DWMNCRP_LAST;
    if (attribute == DWMWA_FLIP3D_POLICY) return value >= 0 && value < DWMFLIP3D_LAST;
    if (attribute == kWindowCornerPreference) return value >= 0 && value <= kLastCornerPreference;
    if (attribute == kSystemBackdropType) return value >= 0 && value <= kLastBackdropType;
    return true;
}

// What a window reads when neither this process nor the system has set the attribute.
int DefaultAttribute(DWORD attribute) {
    switch (attribute) {
        case kBorderColor:
        case kCaptionColor:
        case kTextColor:
            return static_cast<int>(kColorDefault);
        case kVisibleFrameBorderThickness:
            return kDefaultVisibleFrameBorderThickness;
        default:
            return 0;
    }
}

std::optional<int> StoredAttribute(HWND window, DWORD attribute) {
    const auto perWindow = g_state.attributes.find(window);
    if (perWindow == g_state.attributes.end()) return std::nullopt;
    const auto found = perWindow->second.find(attribute);
    if (found == perWindow->second.end()) return std::nullopt;
    return found->second;
}

struct PropertySearch {
    const wchar_t* name;
    bool found;
};

BOOL CALLBACK FindProperty(HWND, LPWSTR name, HANDLE, ULONG_PTR search) {
    auto* wanted = reinterpret_cast<PropertySearch*>(search);
    // A property set by atom has no name to compare.
    if (IS_INTRESOURCE(name) || ::lstrcmpiW(name, wanted->name) != 0) return TRUE;
    wanted->found = true;
    return FALSE;
}

// A window property as an integer; a property holding 0 counts, which GetPropW cannot tell from
// none.
std::optional<int> WindowProperty(HWND window, const wchar_t* name) {
    if (const HANDLE value = ::GetPropW(window, name)) return static_cast<int>(reinterpret_cast<UINT_PTR>(value));
    PropertySearch search{name, false};
    ::EnumPropsExW(window, FindProperty, reinterpret_cast<LPARAM>(&search));
    if (search.found) return 0;
    return std::nullopt;
}

// Stored in this process, else set in the system, else the default.
int EffectiveAttribute(HWND window, DWORD attribute) {
    if (const auto stored = StoredAttribute(window, attribute)) return *stored;
    if (const auto system = WindowProperty(window, fake_dwm::AttributeProperty(attribute).c_str())) return *system;
    return DefaultAttribute(attribute);
}

DWORD CloakedBits(HWND window) {
    DWORD bits = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(::GetPropW(window, fake_dwm::kCloakedProperty)));
    if (StoredAttribute(window, DWMWA_CLOAK).value_or(0) != 0) bits |= DWM_CLOAKED_APP;
    return bits;
}

bool IsOtherProcess(HWND window) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return process != ::GetCurrentProcessId();
}

// What the DWM draws a frame from, kept as the system's value where the window's process reads it
// (none is ever read back), and that process told: it paints what the DWM would, or does not.
void DrawFrame(HWND window, DWORD attribute, int value) {
    if (attribute == kUseImmersiveDarkModeOld) attribute = kUseImmersiveDarkMode;
    if (attribute != kUseImmersiveDarkMode && (attribute < kWindowCornerPreference || attribute > kTextColor)) return;
    ::SetPropW(window, fake_dwm::AttributeProperty(attribute).c_str(),
               reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(static_cast<DWORD>(value))));
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, ::RegisterWindowMessageW(fake_dwm::kDrawFrameMessage), attribute, 0, SMTO_ABORTIFHUNG,
                          5000, &ignored);
}

HRESULT ReadAttribute(HWND window, DWORD attribute, void* value, DWORD size) {
    BeforeWindowCall(window);
    if (!::IsWindow(window)) return E_HANDLE;
    if (value == nullptr) return E_POINTER;
    if (!Answers(attribute, kGet)) return E_INVALIDARG;
    RECT windowRect{};
    ::GetWindowRect(window, &windowRect);
    const RECT& inset = g_state.inset;
    switch (attribute) {
        case DWMWA_NCRENDERING_ENABLED:
            if (size != sizeof(BOOL)) return E_INVALIDARG;
            *static_cast<BOOL*>(value) = EffectiveAttribute(window, DWMWA_NCRENDERING_POLICY) != DWMNCRP_DISABLED;
            return S_OK;
        case DWMWA_CAPTION_BUTTON_BOUNDS: {
            if (size != sizeof(RECT)) return E_INVALIDARG;
            // Three 46 x 30 buttons against the right edge of the visible frame.
            const LONG right = windowRect.right - windowRect.left - inset.right;
            *static_cast<RECT*>(value) = RECT{right - 3 * 46, inset.top, right, inset.top + 30};
            return S_OK;
        }
        case DWMWA_EXTENDED_FRAME_BOUNDS:
            if (size != sizeof(RECT)) return E_INVALIDARG;
            *static_cast<RECT*>(value) = RECT{windowRect.left + inset.left, windowRect.top + inset.top,
                                              windowRect.right - inset.right, windowRect.bottom - inset.bottom};
            return S_OK;
        case DWMWA_CLOAKED:
            if (size != sizeof(DWORD)) return E_INVALIDARG;
            *static_cast<DWORD*>(value) = CloakedBits(window);
            return S_OK;
        default:
            if (size != sizeof(int)) return E_INVALIDARG;
            *static_cast<int*>(value) = EffectiveAttribute(window, attribute);
            return S_OK;
    }
}

HRESULT WriteAttribute(HWND window, DWORD attribute, const void* value, DWORD size) {
    BeforeWindowCall(window);
    if (!::IsWindow(window)) return E_HANDLE;
    if (value == nullptr || !Answers(attribute, kSet) || size != sizeof(int)) {
        return E_INVALIDARG;
    }
    const int stored = *static_cast<const int*>(value);
    if (!IsInRange(attribute, stored)) return E_INVALIDARG;
    // Only the owner of a window may cloak it.
    if (attribute == DWMWA_CLOAK && IsOtherProcess(window)) return E_ACCESSDENIED;
    g_state.attributes[window][attribute] = stored;
    DrawFrame(window, attribute, stored);
    // The DWM tells accessibility clients, other processes included, as on Windows 8 and later.
    if (attribute == DWMWA_CLOAK) {
        ::NotifyWinEvent(stored != 0 ? kEventObjectCloaked : kEventObjectUncloaked, window, OBJID_WINDOW, CHILDID_SELF);
    }
    return S_OK;
}

}  // namespace

extern "C" {

HRESULT WINAPI FakeIsCompositionEnabled(BOOL* enabled) {
    return Run(L"DwmIsCompositionEnabled", NoArguments(), [&]() -> HRESULT {
        if (enabled == nullptr) return E_INVALIDARG;
        *enabled = g_state.composition;
        return S_OK;
    });
}

HRESULT WINAPI FakeEnableComposition(UINT action) {
    return Run(L"DwmEnableComposition", [&] { return Format(L"action=%u", action); }, [&]() -> HRESULT {
        if (action != DWM_EC_DISABLECOMPOSITION && action != DWM_EC_ENABLECOMPOSITION) return E_INVALIDARG;
        g_state.composition = action == DWM_EC_ENABLECOMPOSITION;
        return S_OK;
    });
}

HRESULT WINAPI FakeGetColorizationColor(DWORD* colorization, BOOL* opaqueBlend) {
    return Run(L"DwmGetColorizationColor", NoArguments(), [&]() -> HRESULT {
        if (colorization == nullptr || opaqueBlend == nullptr) return E_INVALIDARG;
        *colorization = g_state.colorization;
        *opaqueBlend = g_state.opaqueBlend;
        return S_OK;
    });
}

HRESULT WINAPI FakeGetWindowAttribute(HWND window, DWORD attribute, void* value, DWORD size) {
    return Run(
        L"DwmGetWindowAttribute",
        [&] { return Format(L"hwnd=0x%08x attr=%lu size=%lu", Hex(window), attribute, size); },
        [&] { return ReadAttribute(window, attribute, value, size); });
}

HRESULT WINAPI FakeSetWindowAttribute(HWND window, DWORD attribute, const void* value, DWORD size) {
    return Run(
        L"DwmSetWindowAttribute",
        [&] {
            return Format(L"hwnd=0x%08x attr=%lu value=%ls size=%lu", Hex(window), attribute,
                          FormatBytes(value, size).c_str(), size);
        },
        [&] { return WriteAttribute(window, attribute, value, size); });
}

HRESULT WINAPI FakeExtendFrameIntoClientArea(HWND window, const MARGINS* margins) {
    return Run(
        L"DwmExtendFrameIntoClientArea",
        [&] {
            if (margins == nullptr) return Format(L"hwnd=0x%08x margins=null", Hex(window));
            return Format(L"hwnd=0x%08x left=%d right=%d top=%d bottom=%d", Hex(window), margins->cxLeftWidth,
                          margins->cxRightWidth, margins->cyTopHeight, margins->cyBottomHeight);
        },
        [&]() -> HRESULT {
            BeforeWindowCall(window);
            if (!::IsWindow(window)) return E_HANDLE;
            if (margins == nullptr) return E_INVALIDARG;
            if (!g_state.composition) return fake_dwm::kCompositionDisabled;
            return S_OK;
        });
}

HRESULT WINAPI FakeEnableBlurBehindWindow(HWND window, const DWM_BLURBEHIND* blurBehind) {
    return Run(
        L"DwmEnableBlurBehindWindow",
        [&] {
            if (blurBehind == nullptr) return Format(L"hwnd=0x%08x blurBehind=null", Hex(window));
            std::wstring region = L"none";
            RECT box{};
            if (blurBehind->hRgnBlur != nullptr) {
                region = ::GetRgnBox(blurBehind->hRgnBlur, &box) != ERROR ? FormatRect(box) : L"invalid";
            }
            return Format(L"hwnd=0x%08x flags=0x%lx enable=%d region=%ls transitionOnMaximized=%d", Hex(window),
                          blurBehind->dwFlags, blurBehind->fEnable, region.c_str(),
                          blurBehind->fTransitionOnMaximized);
        },
        [&]() -> HRESULT {
            BeforeWindowCall(window);
            if (!::IsWindow(window)) return E_HANDLE;
            if (blurBehind == nullptr) return E_INVALIDARG;
            if (!g_state.composition) return fake_dwm::kCompositionDisabled;
            return S_OK;
        });
}

// So that pictures of a thumbnail window show something under Wine, whose DWM draws nothing:
// after the window's own painting, each visible thumbnail copies the source's part of the screen.
constexpr UINT_PTR kPaintSubclassId = 0xD3;

struct Picture {
    HWND source;
    RECT sourceRect;
    RECT destination;
};

LRESULT CALLBACK PaintThumbnails(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
    if (message != WM_PAINT) return result;
    std::vector<Picture> pictures;
    {
        Lock lock;
        for (const auto& [handle, windows] : g_state.thumbnailWindows) {
            const DWM_THUMBNAIL_PROPERTIES& properties = g_state.thumbnails[handle];
            if (windows.first == window && properties.fVisible) {
                pictures.push_back({windows.second, properties.rcSource, properties.rcDestination});
            }
        }
    }
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::GetDC(window);
    for (const Picture& picture : pictures) {
        RECT source{};
        ::GetWindowRect(picture.source, &source);
        ::SetStretchBltMode(dc, HALFTONE);
        ::StretchBlt(dc, picture.destination.left, picture.destination.top,
                     picture.destination.right - picture.destination.left,
                     picture.destination.bottom - picture.destination.top, screen,
                     source.left + picture.sourceRect.left, source.top + picture.sourceRect.top,
                     picture.sourceRect.right - picture.sourceRect.left,
                     picture.sourceRect.bottom - picture.sourceRect.top, SRCCOPY);
    }
    ::ReleaseDC(window, dc);
    ::ReleaseDC(nullptr, screen);
    return result;
}

// Only what the flags name changes, as with the real DWM.
void MergeProperties(DWM_THUMBNAIL_PROPERTIES& into, const DWM_THUMBNAIL_PROPERTIES& from) {
    if (from.dwFlags & DWM_TNP_RECTDESTINATION) into.rcDestination = from.rcDestination;
    if (from.dwFlags & DWM_TNP_RECTSOURCE) into.rcSource = from.rcSource;
    if (from.dwFlags & DWM_TNP_OPACITY) into.opacity = from.opacity;
    if (from.dwFlags & DWM_TNP_VISIBLE) into.fVisible = from.fVisible;
    if (from.dwFlags & DWM_TNP_SOURCECLIENTAREAONLY) into.fSourceClientAreaOnly = from.fSourceClientAreaOnly;
    into.dwFlags |= from.dwFlags;
}

HRESULT WINAPI FakeRegisterThumbnail(HWND destination, HWND source, HTHUMBNAIL* thumbnail) {
    return Run(
        L"DwmRegisterThumbnail",
        [&] { return Format(L"destination=0x%08x source=0x%08x", Hex(destination), Hex(source)); },
        [&]() -> HRESULT {
            if (thumbnail == nullptr || !::IsWindow(destination) || !::IsWindow(source)) return E_INVALIDARG;
            const auto handle = reinterpret_cast<HTHUMBNAIL>(++g_lastThumbnail);
            g_state.thumbnails[handle] = DWM_THUMBNAIL_PROPERTIES{};
            g_state.thumbnailWindows[handle] = {destination, source};
            ::SetWindowSubclass(destination, PaintThumbnails, kPaintSubclassId, 0);
            *thumbnail = handle;
            return S_OK;
        });
}

HRESULT WINAPI FakeUnregisterThumbnail(HTHUMBNAIL thumbnail) {
    return Run(
        L"DwmUnregisterThumbnail", [&] { return Format(L"thumbnail=0x%08x", Hex(thumbnail)); },
        [&]() -> HRESULT {
            if (g_state.thumbnails.erase(thumbnail) == 0) return E_INVALIDARG;
            ::InvalidateRect(g_state.thumbnailWindows[thumbnail].first, nullptr, TRUE);
            g_state.thumbnailWindows.erase(thumbnail);
            return S_OK;
        });
}

HRESULT WINAPI FakeUpdateThumbnailProperties(HTHUMBNAIL thumbnail, const DWM_THUMBNAIL_PROPERTIES* properties) {
    return Run(
        L"DwmUpdateThumbnailProperties",
        [&] {
            if (properties == nullptr) return Format(L"thumbnail=0x%08x properties=null", Hex(thumbnail));
            return Format(L"thumbnail=0x%08x flags=0x%lx destination=%ls source=%ls opacity=%u visible=%d "
                          L"clientAreaOnly=%d",
                          Hex(thumbnail), properties->dwFlags, FormatRect(properties->rcDestination).c_str(),
                          FormatRect(properties->rcSource).c_str(), static_cast<unsigned>(properties->opacity),
                          properties->fVisible, properties->fSourceClientAreaOnly);
        },
        [&]() -> HRESULT {
            const auto found = g_state.thumbnails.find(thumbnail);
            if (found == g_state.thumbnails.end() || properties == nullptr) return E_INVALIDARG;
            MergeProperties(found->second, *properties);
            ::InvalidateRect(g_state.thumbnailWindows[thumbnail].first, nullptr, TRUE);
            return S_OK;
        });
}

HRESULT WINAPI FakeGetCompositionTimingInfo(HWND window, DWM_TIMING_INFO* info) {
    return Run(
        L"DwmGetCompositionTimingInfo",
        [&] {
            if (info == nullptr) return Format(L"hwnd=0x%08x info=null", Hex(window));
            return Format(L"hwnd=0x%08x size=%u", Hex(window), static_cast<unsigned>(info->cbSize));
        },
        [&]() -> HRESULT {
            if (info == nullptr || info->cbSize != sizeof(DWM_TIMING_INFO)) return E_INVALIDARG;
            if (!g_state.composition) return fake_dwm::kCompositionDisabled;
            LARGE_INTEGER frequency{};
            ::QueryPerformanceFrequency(&frequency);
            DWM_TIMING_INFO timing{};
            timing.cbSize = info->cbSize;
            timing.rateRefresh = UNSIGNED_RATIO{fake_dwm::kTimingRefreshNumerator, fake_dwm::kTimingRefreshDenominator};
            timing.rateCompose = UNSIGNED_RATIO{fake_dwm::kTimingComposeNumerator, fake_dwm::kTimingComposeDenominator};
            timing.qpcRefreshPeriod = static_cast<QPC_TIME>(frequency.QuadPart) / fake_dwm::kTimingRefreshNumerator;
            timing.cRefresh = fake_dwm::kTimingRefreshCount;
            timing.cFrame = fake_dwm::kTimingFrameCount;
            timing.cFramesDisplayed = fake_dwm::kTimingFramesDisplayed;
            timing.cFramesDropped = fake_dwm::kTimingFramesDropped;
            timing.cFramesMissed = fake_dwm::kTimingFramesMissed;
            *info = timing;
            return S_OK;
        });
}

// Nothing is composed here: what was drawn is on the screen already. Windows 7 refuses it while
// composition is off.
HRESULT WINAPI FakeFlush() {
    return Run(L"DwmFlush", NoArguments(), [&]() -> HRESULT {
        return g_state.composition ? S_OK : fake_dwm::kCompositionDisabled;
    });
}

void WINAPI FakeDwm_Reset() {
    Lock lock;
    try {
        Restore();
    } catch (...) {
    }
}

void WINAPI FakeDwm_SetComposition(BOOL reported) {
    Lock lock;
    g_state.composition = reported;
}

void WINAPI FakeDwm_SetColorization(DWORD colorization, BOOL opaqueBlend) {
    Lock lock;
    g_state.colorization = colorization;
    g_state.opaqueBlend = opaqueBlend;
}

void WINAPI FakeDwm_SetFrameInset(int left, int top, int right, int bottom) {
    Lock lock;
    g_state.inset = RECT{left, top, right, bottom};
}

void WINAPI FakeDwm_Fail(const wchar_t* entry, HRESULT result, int count) {
    Lock lock;
    try {
        if (entry == nullptr) return;
        if (count == 0) {
            g_state.failures.erase(entry);
        } else {
            g_state.failures[entry] = Failure{result, count};
        }
    } catch (...) {
    }
}

std::size_t WINAPI FakeDwm_GetJournal(wchar_t* buffer, std::size_t capacity) {
    Lock lock;
    std::size_t needed = 1;
    for (const std::wstring& line : g_state.journal) needed += line.size() + 1;
    if (buffer == nullptr || capacity < needed) return needed;
    for (const std::wstring& line : g_state.journal) {
        buffer = std::copy(line.begin(), line.end(), buffer);
        *buffer++ = L'\n';
    }
    *buffer = L'\0';
    return needed;
}

void WINAPI FakeDwm_ClearJournal() {
    Lock lock;
    g_state.journal.clear();
}

int WINAPI FakeDwm_ThumbnailCount() {
    Lock lock;
    return static_cast<int>(g_state.thumbnails.size());
}

}  // extern "C"

// The control exports keep the signatures their clients cast to.
static_assert(std::is_same_v<decltype(&FakeDwm_Reset), fake_dwm::ResetFn>);
static_assert(std::is_same_v<decltype(&FakeDwm_SetComposition), fake_dwm::SetCompositionFn>);
static_assert(std::is_same_v<decltype(&FakeDwm_SetColorization), fake_dwm::SetColorizationFn>);
static_assert(std::is_same_v<decltype(&FakeDwm_SetFrameInset), fake_dwm::SetFrameInsetFn>);
static_assert(std::is_same_v<decltype(&FakeDwm_Fail), fake_dwm::FailFn>);
static_assert(std::is_same_v<decltype(&FakeDwm_GetJournal), fake_dwm::GetJournalFn>);
static_assert(std::is_same_v<decltype(&FakeDwm_ClearJournal), fake_dwm::ClearJournalFn>);
static_assert(std::is_same_v<decltype(&FakeDwm_ThumbnailCount), fake_dwm::ThumbnailCountFn>);

// extern "C": the C runtime's DLL start-up calls DllMain by its plain name.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        try {
            ReadEnvironment();
            Restore();
        } catch (...) {
            return FALSE;
        }
    }
    return TRUE;
}
