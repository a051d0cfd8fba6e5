#pragma once
// Move-only owners for the handles the program must free.
#include <windows.h>

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

template <typename H>
struct GdiObjectTraits {
    using Handle = H;
    static constexpr H Invalid() { return nullptr; }
    static void Close(H handle) { ::DeleteObject(handle); }
};

struct ModuleTraits {
    using Handle = HMODULE;
    static constexpr HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE module) { ::FreeLibrary(module); }
};

// Kernel objects answer null when they cannot be made, files INVALID_HANDLE_VALUE.
struct KernelObjectTraits {
    using Handle = HANDLE;
    static constexpr HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE object) { ::CloseHandle(object); }
};

struct FileTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE file) { ::CloseHandle(file); }
};

using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueRegion = UniqueHandle<GdiObjectTraits<HRGN>>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueKernelObject = UniqueHandle<KernelObjectTraits>;
using UniqueFile = UniqueHandle<FileTraits>;

}  // namespace fw

// A solid brush that lives as long as its owner.
class CBrush {
public:
    explicit CBrush(COLORREF colour) : m_brush(::CreateSolidBrush(colour)) {}
    HBRUSH get() const { return m_brush.get(); }

private:
    fw::UniqueBrush m_brush;
};
