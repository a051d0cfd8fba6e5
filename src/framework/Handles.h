#pragma once
// Move-only owners for the handles the program must free, one line per kind, and the scope guards
// for device-context state and COM.
#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <utility>

namespace fw {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : m_handle(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::Invalid(); }

    void reset(Handle handle = Traits::Invalid()) {
        Handle old = std::exchange(m_handle, handle);
        if (old != Traits::Invalid()) Traits::Close(old);
    }
    [[nodiscard]] Handle release() { return std::exchange(m_handle, Traits::Invalid()); }

private:
    Handle m_handle = Traits::Invalid();
};

// A kind of handle: its type, the call that frees it, and the value that holds nothing (null, or
// -1 for the calls that answer INVALID_HANDLE_VALUE, which is no constant expression).
template <typename H, auto Free, std::intptr_t None = 0>
struct HandleKind {
    using Handle = H;
    static H Invalid() { return reinterpret_cast<H>(None); }
    static void Close(H handle) { Free(handle); }
};

using UniqueBrush = UniqueHandle<HandleKind<HBRUSH, &::DeleteObject>>;
using UniqueRegion = UniqueHandle<HandleKind<HRGN, &::DeleteObject>>;
using UniqueBitmap = UniqueHandle<HandleKind<HBITMAP, &::DeleteObject>>;
using UniqueFont = UniqueHandle<HandleKind<HFONT, &::DeleteObject>>;
using UniqueWindow = UniqueHandle<HandleKind<HWND, &::DestroyWindow>>;  // a window of the calling thread
using UniqueMemoryDc = UniqueHandle<HandleKind<HDC, &::DeleteDC>>;  // CreateCompatibleDC's, not GetDC's
using UniqueWinEventHook = UniqueHandle<HandleKind<HWINEVENTHOOK, &::UnhookWinEvent>>;
using UniqueKernelObject = UniqueHandle<HandleKind<HANDLE, &::CloseHandle>>;
using UniqueFile = UniqueHandle<HandleKind<HANDLE, &::CloseHandle, -1>>;
using UniqueFind = UniqueHandle<HandleKind<HANDLE, &::FindClose, -1>>;
using UniqueModule = UniqueHandle<HandleKind<HMODULE, &::FreeLibrary>>;
using UniqueDesktop = UniqueHandle<HandleKind<HDESK, &::CloseDesktop>>;

// GetDC/ReleaseDC as a scope; a null window is the screen.
class WindowDc {
public:
    explicit WindowDc(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
    ~WindowDc() {
        if (m_dc != nullptr) ::ReleaseDC(m_window, m_dc);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// SelectObject that puts the previous object back; false when nothing could be selected.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(dc != nullptr ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (m_old != nullptr) ::SelectObject(m_dc, m_old);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    explicit operator bool() const { return m_old != nullptr; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

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

// One reference to a COM object, released with its owner. Its own template: the object is
// reached through it (->) and filled in by creating calls (put), which no handle needs.
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

}  // namespace fw

// A solid brush that lives as long as its owner.
class CBrush {
public:
    explicit CBrush(COLORREF colour) : m_brush(::CreateSolidBrush(colour)) {}
    HBRUSH get() const { return m_brush.get(); }

private:
    fw::UniqueBrush m_brush;
};
