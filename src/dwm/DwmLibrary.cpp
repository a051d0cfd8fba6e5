#include "dwm/DwmLibrary.h"

#include "dwm/DwmTesting.h"

#include <algorithm>
#include <iterator>

namespace dwm {
namespace {

constexpr auto kSlotCount = static_cast<size_t>(Slot::Count);

// Never freed: entry points stay cached in g_entries, and a wrapper may still run from a
// destructor late in process exit, so the library lives as long as the process.
HMODULE g_module = nullptr;
FARPROC g_entries[kSlotCount] = {};

// The HRESULT of the Win32 error just set, or of fallback when the call set none.
HRESULT LastError(DWORD fallback) {
    const DWORD error = ::GetLastError();
    return HRESULT_FROM_WIN32(error != ERROR_SUCCESS ? error : fallback);
}

// By full path: a search by bare name would take a dwmapi.dll planted beside the executable.
HMODULE LoadFromSystemDirectory() {
    static constexpr wchar_t kFileName[] = L"\\dwmapi.dll";
    wchar_t path[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0) return nullptr;
    if (length + std::size(kFileName) > MAX_PATH) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    std::copy(std::begin(kFileName), std::end(kFileName), path + length);
    return ::LoadLibraryW(path);
}

}  // namespace

FARPROC Resolve(Slot slot, const char* name, WORD ordinal, HRESULT* failure) {
    FARPROC& entry = g_entries[static_cast<size_t>(slot)];
    if (entry != nullptr) return entry;
    if (g_module == nullptr) {
        ::SetLastError(ERROR_SUCCESS);
        g_module = LoadFromSystemDirectory();
        if (g_module == nullptr) {
            *failure = LastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
    }
    ::SetLastError(ERROR_SUCCESS);
    entry = ::GetProcAddress(g_module, name != nullptr ? name : MAKEINTRESOURCEA(ordinal));
    if (entry == nullptr) *failure = LastError(ERROR_PROC_NOT_FOUND);
    return entry;
}

void testing::BindModule(HMODULE module) {
    g_module = module;
    std::fill(std::begin(g_entries), std::end(g_entries), nullptr);
}

}  // namespace dwm
