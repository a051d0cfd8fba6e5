#include "cli/PngFile.h"

#include <wincodec.h>

#include <algorithm>
#include <string_view>

#include "cli/Output.h"
#include "framework/Handles.h"

namespace cli {
namespace {

using fw::ComRef;

constexpr wchar_t kTemporaryMark[] = L".tmp-";

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

// The whole file on disk and closed, or why not; `created` tells whether it exists now.
DWORD WriteNewFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes, bool& created) {
    // CREATE_NEW: never truncate a file that is someone else's.
    fw::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    created = static_cast<bool>(file);
    if (!file) return ::GetLastError();
    const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (const DWORD error = WriteAll(file.get(), all)) return error;
    if (!::FlushFileBuffers(file.get())) return ::GetLastError();
    return ::CloseHandle(file.release()) ? ERROR_SUCCESS : ::GetLastError();
}

// Gone: no such process, or one that has exited; one that may not be opened (protected, another
// user's) is running.
bool HasEnded(DWORD pid) {
    const fw::UniqueKernelObject process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process) return ::GetLastError() == ERROR_INVALID_PARAMETER;
    return ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
}

bool IsNumber(std::wstring_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// The process that wrote `file`, when it is a temporary file of `name` ("NAME.tmp-PID-N", the name
// in any case, as the file system matches it); else 0.
DWORD WriterOf(std::wstring_view file, std::wstring_view name) {
    const std::wstring prefix = std::wstring(name) + kTemporaryMark;
    const int length = static_cast<int>(prefix.size());
    if (file.size() <= prefix.size() ||
        ::CompareStringOrdinal(file.data(), length, prefix.data(), length, TRUE) != CSTR_EQUAL) {
        return 0;
    }
    file.remove_prefix(prefix.size());
    const std::size_t dash = file.find(L'-');
    if (dash == std::wstring_view::npos || dash > 10 || !IsNumber(file.substr(0, dash)) || !IsNumber(file.substr(dash + 1))) {
        return 0;
    }
    const unsigned long long pid = std::stoull(std::wstring(file.substr(0, dash)));
    return pid <= MAXDWORD ? static_cast<DWORD>(pid) : 0;
}

// The temporary files of writes to `path` that were killed before their move.
void RemoveLeftovers(const std::wstring& path) {
    const std::wstring folder = path.substr(0, path.find_last_of(L"\\/:") + 1);  // npos + 1: none
    WIN32_FIND_DATAW found{};
    const fw::UniqueFind search(::FindFirstFileW((path + kTemporaryMark + L"*").c_str(), &found));
    if (!search) return;
    do {
        const DWORD pid = WriterOf(found.cFileName, std::wstring_view(path).substr(folder.size()));
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && pid != 0 && HasEnded(pid)) {
            ::DeleteFileW((folder + found.cFileName).c_str());
        }
    } while (::FindNextFileW(search.get(), &found));
}

}  // namespace

std::optional<std::vector<std::uint8_t>> EncodePng(const Picture& picture, std::string& error) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height)) {
        error = "cannot encode a PNG of " + std::to_string(picture.width) + "x" + std::to_string(picture.height) + " pixels";
        return std::nullopt;
    }
    const fw::ComScope com;
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
    RemoveLeftovers(path);
    // Beside the target: a move within one volume replaces it in one step.
    const std::wstring temporary =
        path + kTemporaryMark + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount64());
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

}  // namespace cli
