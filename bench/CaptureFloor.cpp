// velmora capture's floor: the bare work of a picture of a window of another process, in a console
// program, static as velmora.exe is.
//   bench_capture_floor.exe screen HWND FILE.png   BitBlt of the window's rectangle from the screen DC
//                                                  into a 32-bit DIB, then the WIC PNG encoder to FILE
//   bench_capture_floor.exe print HWND FILE.png    PrintWindow(PW_RENDERFULLCONTENT) into the DIB; a
//                                                  picture of one colour is refused (exit 1, no file),
//                                                  else encoded as above
//   bench_capture_floor.exe screen-memory HWND FILE   screen, then the steps velmora takes around the
//                                                  encoder: the pixels copied out, the PNG encoded
//                                                  into a memory stream, read out, written to a
//                                                  temporary file beside FILE and moved over it
//   bench_capture_floor.exe matte HWND FILE.png|-  velmora capture --matte's and look's: a popup one pixel
//                                                  wider than the window rectangle on every side, below
//                                                  the window, painted white then black, each waited for
//                                                  where the popup shows beside the window, the screen
//                                                  taken each time; alpha (one less the largest channel
//                                                  difference) and colour (black over alpha); then the
//                                                  PNG as above, or nothing for -
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {
constexpr UINT kRenderFullContent = 2;  // PW_RENDERFULLCONTENT

int Encode(const wchar_t* path, const DWORD* pixels, int width, int height, IStream* memory = nullptr) {
    if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IStream* target = memory;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
    if (SUCCEEDED(hr) && memory == nullptr) {
        hr = factory->CreateStream(&stream);
        if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(path, GENERIC_WRITE);
        target = stream;
    }
    if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr)) hr = encoder->Initialize(target, WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, nullptr);
    if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr)) hr = frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height));
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
    const UINT stride = static_cast<UINT>(width) * 4;
    if (SUCCEEDED(hr)) {
        hr = frame->WritePixels(static_cast<UINT>(height), stride, stride * static_cast<UINT>(height),
                                reinterpret_cast<BYTE*>(const_cast<DWORD*>(pixels)));
    }
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    if (frame) frame->Release();
    if (encoder) encoder->Release();
    if (stream) stream->Release();
    if (factory) factory->Release();
    return SUCCEEDED(hr) ? 0 : 1;
}

int EncodeThroughMemory(const wchar_t* path, const DWORD* bits, int width, int height) {
    std::vector<DWORD> pixels;
    pixels.reserve(static_cast<size_t>(width) * height);
    for (size_t k = 0, n = static_cast<size_t>(width) * height; k < n; ++k) pixels.push_back(bits[k] | 0xff000000u);
    if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    IStream* memory = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &memory))) return 1;
    if (Encode(path, pixels.data(), width, height, memory) != 0) return 1;
    const LARGE_INTEGER zero{};
    ULARGE_INTEGER size{};
    memory->Seek(zero, STREAM_SEEK_END, &size);
    memory->Seek(zero, STREAM_SEEK_SET, nullptr);
    std::vector<BYTE> bytes(static_cast<size_t>(size.QuadPart));
    ULONG read = 0;
    memory->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    memory->Release();
    const std::wstring temporary = std::wstring(path) + L".part";
    const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), read, &written, nullptr);
    ::CloseHandle(file);
    return ok && ::MoveFileExW(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
LRESULT CALLBACK FillProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;
    if (message != WM_PAINT) return ::DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(window, &paint);
    const HBRUSH brush = ::CreateSolidBrush(static_cast<COLORREF>(::GetWindowLongPtrW(window, GWLP_USERDATA)));
    ::FillRect(dc, &paint.rcPaint, brush);
    ::DeleteObject(brush);
    ::EndPaint(window, &paint);
    return 0;
}

int Matte(HWND window, const RECT& rect, HDC canvas, const DWORD* bits, const wchar_t* path) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const size_t count = static_cast<size_t>(width) * height;
    WNDCLASSW fillClass{0, &FillProcedure, 0, 0, ::GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr, L"BenchMatte"};
    ::RegisterClassW(&fillClass);
    const HWND backdrop = ::CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, L"BenchMatte", L"", WS_POPUP, 0, 0, 0, 0,
                                            nullptr, nullptr, fillClass.hInstance, nullptr);
    ::SetWindowPos(backdrop, window, rect.left - 1, rect.top - 1, width + 2, height + 2, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    // Wine's X11 driver maps a new window over all others: the window goes back on top.
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const HDC screen = ::GetDC(nullptr);
    std::vector<DWORD> over[2];
    const COLORREF colours[2] = {RGB(255, 255, 255), RGB(0, 0, 0)};
    for (int i = 0; i < 2; ++i) {
        ::SetWindowLongPtrW(backdrop, GWLP_USERDATA, static_cast<LONG_PTR>(colours[i]));
        ::RedrawWindow(backdrop, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        for (int tries = 0;; ++tries) {
            for (MSG message; ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&message);
            if (::GetPixel(screen, rect.left - 1, rect.top - 1) == colours[i]) break;
            if (tries == 2000) return 1;
            ::Sleep(1);
        }
        if (!::BitBlt(canvas, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT)) return 1;
        ::GdiFlush();
        over[i].assign(bits, bits + count);
    }
    ::ReleaseDC(nullptr, screen);
    ::DestroyWindow(backdrop);
    std::vector<DWORD> pixels(count);
    for (size_t k = 0; k < count; ++k) {
        int difference = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            difference = std::max(difference, static_cast<int>(over[0][k] >> shift & 0xFF) - static_cast<int>(over[1][k] >> shift & 0xFF));
        }
        const DWORD alpha = static_cast<DWORD>(255 - difference);
        DWORD pixel = alpha << 24;
        for (int shift = 0; alpha != 0 && shift < 24; shift += 8) {
            pixel |= std::min<DWORD>(((over[1][k] >> shift & 0xFF) * 255 + alpha / 2) / alpha, 255) << shift;
        }
        pixels[k] = pixel;
    }
    return std::wcscmp(path, L"-") == 0 ? 0 : Encode(path, pixels.data(), width, height);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const bool print = std::wcscmp(argv[1], L"print") == 0;
    const HWND window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(std::wcstoul(argv[2], nullptr, 0))));
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) return 3;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HDC canvas = ::CreateCompatibleDC(nullptr);
    if (bitmap == nullptr || canvas == nullptr) return 1;
    ::SelectObject(canvas, bitmap);
    const DWORD* pixels = static_cast<const DWORD*>(bits);
    const size_t count = static_cast<size_t>(width) * height;
    if (std::wcscmp(argv[1], L"matte") == 0) return Matte(window, rect, canvas, pixels, argv[3]);
    if (print) {
        if (!::PrintWindow(window, canvas, kRenderFullContent)) return 1;
        ::GdiFlush();
        size_t i = 1;
        while (i < count && pixels[i] == pixels[0]) ++i;
        if (i == count) {
            std::fputs("the window rendered nothing through PrintWindow\n", stderr);
            return 1;
        }
    } else {
        const HDC screen = ::GetDC(nullptr);
        if (!::BitBlt(canvas, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT)) return 1;
        ::GdiFlush();
        ::ReleaseDC(nullptr, screen);
    }
    // Opaque, as the screen is (screen-memory does it in its copy).
    DWORD* writable = static_cast<DWORD*>(bits);
    if (std::wcscmp(argv[1], L"screen-memory") != 0) {
        for (size_t k = 0; k < count; ++k) writable[k] |= 0xff000000u;
    }
    if (std::wcscmp(argv[1], L"screen-memory") == 0) return EncodeThroughMemory(argv[3], pixels, width, height);
    return Encode(argv[3], pixels, width, height);
}
