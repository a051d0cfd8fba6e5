#pragma once
// PNG files of captured pictures, through the Windows Imaging Component, and the two places
// they go: a file that is replaced whole or not at all, and standard output.
#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/Capture.h"

namespace cli {

// COM for the calling thread while it lives; a thread that already has COM in the other
// apartment model keeps it (and uses it).
class ComScope {
public:
    ComScope() : m_result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComScope() {
        if (SUCCEEDED(m_result)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool usable() const { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }
    HRESULT result() const { return m_result; }

private:
    HRESULT m_result;
};

// One reference to a COM object, released with its owner.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { reset(); }
    ComRef(ComRef&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) {
            reset();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    // For the out-parameter of a creating call; what was held is released first.
    T** put() {
        reset();
        return &m_object;
    }
    void reset() {
        if (T* old = std::exchange(m_object, nullptr)) old->Release();
    }

private:
    T* m_object = nullptr;
};

// The picture as a PNG (32-bpp BGRA, the encoder's default compression); nothing, with `error`
// set to one line, when WIC fails. Initialises COM for the call.
std::optional<std::vector<std::uint8_t>> EncodePng(const Picture& picture, std::string& error);

// Writes a temporary file beside `path` and moves it over `path` once the bytes are on disk:
// readers never see half a file, and on failure an existing file is left as it was.
// `error`: "cannot write PATH: the system's reason".
bool WriteFileAtomically(const std::wstring& path, const std::vector<std::uint8_t>& bytes, std::string& error);

// All of the bytes, unchanged, to standard output; a short write is an error.
bool WriteBytesToStdout(const std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace cli
