#include "cli/PngFile.h"

#include <wincodec.h>

#include <algorithm>

#include "cli/Output.h"
#include "framework/Handles.h"

namespace cli {
namespace {

using fw::UniqueFile;

HRESULT WritePng(const Picture& picture, IStream* stream) {
    ComRef<IWICImagingFactory> factory;
    HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.put()));
    ComRef<IWICBitmapEncoder> encoder;
    if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put());
    if (SUCCEEDED(hr)) hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
    ComRef<IWICBitmapFrameEncode> frame;
    ComRef<IPropertyBag2> options;
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(frame.put(), options.put());
    if (SUCCEEDED(hr)) hr = frame->Initialize(options.get());
    if (SUCCEEDED(hr)) hr = frame->SetSize(static_cast<UINT>(picture.width), static_cast<UINT>(picture.height));
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
    // The encoder names the format it will take instead; the pixels are in this one only.
    if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA)) hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    const UINT stride = static_cast<UINT>(picture.width * sizeof(std::uint32_t));
    const UINT rows = static_cast<UINT>(picture.height);
    // WIC's parameter is not const, but it only reads the pixels.
    BYTE* pixels = reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(picture.pixels.data()));
    if (SUCCEEDED(hr)) hr = frame->WritePixels(rows, stride, stride * rows, pixels);
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    return hr;
}

HRESULT ReadAll(IStream* stream, std::vector<std::uint8_t>& bytes) {
    const LARGE_INTEGER start{};
    ULARGE_INTEGER size{};
    HRESULT hr = stream->Seek(start, STREAM_SEEK_END, &size);
    if (SUCCEEDED(hr)) hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (SUCCEEDED(hr)) bytes.resize(static_cast<size_t>(size.QuadPart));
    ULONG read = 0;
    if (SUCCEEDED(hr)) hr = stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    if (SUCCEEDED(hr) && read != bytes.size()) hr = E_UNEXPECTED;
    return hr;
}

// ERROR_SUCCESS, or why not. A handle that takes nothing is an error, not a loop without end.
DWORD WriteAll(HANDLE file, const std::vector<std::uint8_t>& bytes) {
    constexpr size_t kChunk = size_t{1} << 30;
    for (size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - done, kChunk));
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return ::GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        done += written;
    }
    return ERROR_SUCCESS;
}

// The whole file on disk and closed, or why not; `created` tells whether it exists now.
DWORD WriteNewFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes, bool& created) {
    // CREATE_NEW: never truncate a file that is someone else's.
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    created = static_cast<bool>(file);
    if (!file) return ::GetLastError();
    if (const DWORD error = WriteAll(file.get(), bytes)) return error;
    if (!::FlushFileBuffers(file.get())) return ::GetLastError();
    return ::CloseHandle(file.release()) ? ERROR_SUCCESS : ::GetLastError();
}

}  // namespace

std::optional<std::vector<std::uint8_t>> EncodePng(const Picture& picture, std::string& error) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height)) {
        error = "cannot encode a PNG of " + std::to_string(picture.width) + "x" + std::to_string(picture.height) + " pixels";
        return std::nullopt;
    }
    const ComScope com;
    HRESULT hr = com.usable() ? S_OK : com.result();
    ComRef<IStream> stream;
    if (SUCCEEDED(hr)) hr = ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    if (SUCCEEDED(hr)) hr = WritePng(picture, stream.get());
    std::vector<std::uint8_t> bytes;
    if (SUCCEEDED(hr)) hr = ReadAll(stream.get(), bytes);
    if (FAILED(hr)) {
        error = "cannot encode the PNG: " + SystemMessage(static_cast<DWORD>(hr));
        return std::nullopt;
    }
    return bytes;
}

bool WriteFileAtomically(const std::wstring& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
    // Beside the target: a move within one volume replaces it in one step.
    const std::wstring temporary =
        path + L".tmp-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount64());
    // Windows refuses to replace a read-only file, but not every system that runs us enforces it.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    bool created = false;
    DWORD failure = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0
                        ? ERROR_ACCESS_DENIED
                        : WriteNewFile(temporary, bytes, created);
    if (failure == ERROR_SUCCESS &&
        !::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        failure = ::GetLastError();
    }
    if (failure == ERROR_SUCCESS) return true;
    if (created) ::DeleteFileW(temporary.c_str());
    error = "cannot write " + ToUtf8(path) + ": " + SystemMessage(failure);
    return false;
}

bool WriteBytesToStdout(const std::vector<std::uint8_t>& bytes, std::string& error) {
    // The handle itself: no C runtime text mode to turn 0x0A into 0x0D 0x0A.
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const DWORD failure = out == nullptr || out == INVALID_HANDLE_VALUE ? ERROR_INVALID_HANDLE : WriteAll(out, bytes);
    if (failure == ERROR_SUCCESS) return true;
    error = "cannot write to standard output: " + SystemMessage(failure);
    return false;
}

}  // namespace cli
