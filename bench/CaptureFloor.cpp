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
#include <windows.h>
#include <wincodec.h>

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
