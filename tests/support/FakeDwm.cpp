#include "support/FakeDwm.h"

#include <gtest/gtest.h>

namespace testsupport {
namespace {

template <typename Fn>
void Bind(HMODULE module, const char* name, Fn* target) {
    const FARPROC proc = module != nullptr ? ::GetProcAddress(module, name) : nullptr;
    // Through void(*)(): the one function-pointer type GCC accepts as a neutral stop.
    *target = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

HMODULE LoadedDwmapi() {
    const HMODULE loaded = ::GetModuleHandleW(L"dwmapi.dll");
    return loaded != nullptr ? loaded : ::LoadLibraryW(SystemDwmapiPath().c_str());
}

}  // namespace

std::wstring SystemDwmapiPath() {
    wchar_t directory[MAX_PATH] = {};
    ::GetSystemDirectoryW(directory, MAX_PATH);
    return std::wstring(directory) + L"\\dwmapi.dll";
}

FakeDwm::FakeDwm() : FakeDwm(LoadedDwmapi()) {}

FakeDwm::FakeDwm(HMODULE module) : m_module(module) {
    Bind(m_module, fake_dwm::kSetComposition, &m_setComposition);
    Bind(m_module, fake_dwm::kSetColorization, &m_setColorization);
    Bind(m_module, fake_dwm::kSetFrameInset, &m_setFrameInset);
    Bind(m_module, fake_dwm::kFail, &m_fail);
    Bind(m_module, fake_dwm::kGetJournal, &m_getJournal);
    Bind(m_module, fake_dwm::kClearJournal, &m_clearJournal);
    Bind(m_module, fake_dwm::kThumbnailCount, &m_thumbnailCount);
    // Bound last and only when all others are: IsFake() means every control is usable.
    if (m_setComposition && m_setColorization && m_setFrameInset && m_fail && m_getJournal && m_clearJournal &&
        m_thumbnailCount) {
        Bind(m_module, fake_dwm::kReset, &m_reset);
    }
}

bool FakeDwm::Check() const {
    if (!IsFake()) ADD_FAILURE() << "the loaded dwmapi.dll is not the fake one";
    return IsFake();
}

void FakeDwm::Reset() const {
    if (Check()) m_reset();
}

void FakeDwm::SetComposition(BOOL reported) const {
    if (Check()) m_setComposition(reported);
}

void FakeDwm::SetColorization(DWORD colorization, BOOL opaqueBlend) const {
    if (Check()) m_setColorization(colorization, opaqueBlend);
}

void FakeDwm::SetFrameInset(int left, int top, int right, int bottom) const {
    if (Check()) m_setFrameInset(left, top, right, bottom);
}

void FakeDwm::Fail(const wchar_t* entry, HRESULT result, int count) const {
    if (Check()) m_fail(entry, result, count);
}

std::vector<std::wstring> FakeDwm::Journal() const {
    std::vector<std::wstring> lines;
    if (!Check()) return lines;
    std::wstring text(m_getJournal(nullptr, 0), L'\0');
    m_getJournal(text.data(), text.size());
    text.resize(text.size() - 1);  // the terminator
    size_t start = 0;
    for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

void FakeDwm::ClearJournal() const {
    if (Check()) m_clearJournal();
}

int FakeDwm::ThumbnailCount() const {
    return Check() ? m_thumbnailCount() : -1;
}

void FakeDwm::SetSystemAttribute(HWND window, DWORD id, DWORD value) {
    const std::wstring name = fake_dwm::AttributeProperty(id);
    if (!::SetPropW(window, name.c_str(), reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(value)))) {
        ADD_FAILURE() << "SetPropW failed for attribute " << id << ", error " << ::GetLastError();
    }
}

void FakeDwm::RemoveSystemAttribute(HWND window, DWORD id) {
    ::RemovePropW(window, fake_dwm::AttributeProperty(id).c_str());
}

void FakeDwm::SetCloaked(HWND window, DWORD bits) {
    if (bits == 0) {
        ::RemovePropW(window, fake_dwm::kCloakedProperty);
    } else if (!::SetPropW(window, fake_dwm::kCloakedProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(bits)))) {
        ADD_FAILURE() << "SetPropW failed for the cloaked bits, error " << ::GetLastError();
    }
    // What the DWM raises when the shell cloaks or uncloaks a window (EVENT_OBJECT_(UN)CLOAKED).
    ::NotifyWinEvent(bits != 0 ? 0x8017 : 0x8018, window, OBJID_WINDOW, CHILDID_SELF);
}

}  // namespace testsupport
