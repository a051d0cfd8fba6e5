// Another process's windows for velmora's capture, wait and watch figures, driven by bench_velmora.exe.
//   bench_target_windows.exe paint W H    one visible popup of W x H at 0, 0, "Bench capture window",
//                                         painted with a fixed pattern (a gradient with a grid and stripes)
//   bench_target_windows.exe hidden       one hidden window, "Bench wait window": a message WM_APP makes it
//                                         show itself (ShowWindow, SW_SHOWNA; with a WPARAM, then titled
//                                         "Bench wait window shown") and returns QueryPerformanceCounter
//                                         taken just before; WM_APP + 1 hides it again, with its first title
//   bench_target_windows.exe churn N PERIOD LIFE FILE
//                                         N windows, one every PERIOD ms (as long as each takes less), each
//                                         created hidden ("Bench churn K"), shown and renamed ("Bench churn K
//                                         renamed") at once and destroyed LIFE ms after (0: at once); writes
//                                         the handles in order to FILE and ends
// The first two stay until the driver ends the process.
#include <windows.h>
#include <imm.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <deque>
#include <string>
#include <vector>

namespace {
constexpr wchar_t kClass[] = L"QuilletBenchActor";

std::vector<DWORD> g_pixels;
int g_width = 0, g_height = 0;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = ::BeginPaint(window, &paint);
            if (!g_pixels.empty()) {
                BITMAPINFO info{};
                info.bmiHeader.biSize = sizeof(info.bmiHeader);
                info.bmiHeader.biWidth = g_width;
                info.bmiHeader.biHeight = -g_height;
                info.bmiHeader.biPlanes = 1;
                info.bmiHeader.biBitCount = 32;
                info.bmiHeader.biCompression = BI_RGB;
                ::SetDIBitsToDevice(dc, 0, 0, g_width, g_height, 0, 0, 0, g_height, g_pixels.data(), &info,
                                    DIB_RGB_COLORS);
            }
            ::EndPaint(window, &paint);
            return 0;
        }
        case WM_APP: {
            LARGE_INTEGER now;
            ::QueryPerformanceCounter(&now);
            ::ShowWindow(window, SW_SHOWNA);
            if (wParam != 0) ::SetWindowTextW(window, L"Bench wait window shown");
            return static_cast<LRESULT>(now.QuadPart);
        }
        case WM_APP + 1:
            ::ShowWindow(window, SW_HIDE);
            ::SetWindowTextW(window, L"Bench wait window");
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

// What a screen might show: smooth gradients (compress well), a grid and diagonal stripes (less so).
void MakePattern(int width, int height) {
    g_width = width, g_height = height;
    g_pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            DWORD r = static_cast<DWORD>(x * 255 / width), g = static_cast<DWORD>(y * 255 / height), b = 160;
            if (x % 64 == 0 || y % 48 == 0) r = g = b = 40;
            else if (((x + y) / 8) % 5 == 0) b = static_cast<DWORD>((x ^ y) & 0xff);
            g_pixels[static_cast<size_t>(y) * width + x] = 0xff000000u | (r << 16) | (g << 8) | b;
        }
    }
}

void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
}

int Churn(HINSTANCE instance, int count, int periodMs, int lifeMs, const wchar_t* file) {
    std::vector<HWND> made;
    std::deque<std::pair<HWND, ULONGLONG>> living;  // each with the tick it is to be destroyed at
    const ULONGLONG start = ::GetTickCount64();
    const auto destroyDue = [&](ULONGLONG now) {
        for (; !living.empty() && living.front().second <= now; living.pop_front()) ::DestroyWindow(living.front().first);
    };
    for (int k = 1; k <= count || !living.empty(); Pump()) {
        const ULONGLONG now = ::GetTickCount64();
        destroyDue(now);
        const ULONGLONG nextMade = start + static_cast<ULONGLONG>(k - 1) * static_cast<ULONGLONG>(periodMs);
        if (k <= count && nextMade <= now) {
            wchar_t title[64];
            std::swprintf(title, 64, L"Bench churn %d", k);
            const HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, kClass, title, WS_POPUP, 1200, 950, 20, 20, nullptr,
                                                  nullptr, instance, nullptr);
            if (window == nullptr) return 1;
            ::ShowWindow(window, SW_SHOWNA);
            std::swprintf(title, 64, L"Bench churn %d renamed", k);
            ::SetWindowTextW(window, title);
            made.push_back(window);
            living.emplace_back(window, ::GetTickCount64() + static_cast<ULONGLONG>(lifeMs));
            destroyDue(::GetTickCount64());
            ++k;
            continue;
        }
        ULONGLONG next = k <= count ? nextMade : ~0ull;
        if (!living.empty()) next = std::min(next, living.front().second);
        if (next > now) ::Sleep(static_cast<DWORD>(std::min<ULONGLONG>(next - now, 1000)));
    }
    FILE* out = _wfopen(file, L"w");
    if (out == nullptr) return 1;
    for (HWND window : made) {
        std::fprintf(out, "0x%08llx\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)) & 0xffffffffull);
    }
    std::fclose(out);
    return 0;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (__argc < 2) return 2;
    const std::wstring mode = __wargv[1];
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClass;
    ::RegisterClassW(&windowClass);
    if (mode == L"churn") {
        // No "Default IME" window beside each of them: the stream holds the churn's windows alone.
        ::ImmDisableIME(static_cast<DWORD>(-1));
        if (__argc < 6) return 2;
        return Churn(instance, _wtoi(__wargv[2]), _wtoi(__wargv[3]), _wtoi(__wargv[4]), __wargv[5]);
    }
    if (mode == L"paint") {
        if (__argc < 4) return 2;
        MakePattern(_wtoi(__wargv[2]), _wtoi(__wargv[3]));
        ::CreateWindowExW(0, kClass, L"Bench capture window", WS_POPUP | WS_VISIBLE, 0, 0, g_width, g_height, nullptr,
                          nullptr, instance, nullptr);
    } else if (mode == L"hidden") {
        ::CreateWindowExW(WS_EX_TOOLWINDOW, kClass, L"Bench wait window", WS_POPUP, 1200, 950, 20, 20, nullptr, nullptr,
                          instance, nullptr);
    } else {
        return 2;
    }
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}
