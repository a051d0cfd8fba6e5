#include "app/VersionText.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "framework/Text.h"

namespace {

constexpr size_t kPathCapacity = 260;
constexpr size_t kTextCapacity = 256;
constexpr size_t kQueryCapacity = 50;

// The process-wide cache; never freed. Only the user-interface thread touches it.
int g_ready = 0;
wchar_t g_path[kPathCapacity];
wchar_t g_text[kTextCapacity];

const app::testing::VersionFileApi* g_fileApi = nullptr;

DWORD VersionInfoSize(LPCWSTR file, LPDWORD handle) {
    return g_fileApi != nullptr ? g_fileApi->getFileVersionInfoSize(file, handle)
                                : ::GetFileVersionInfoSizeW(file, handle);
}

BOOL VersionInfo(LPCWSTR file, DWORD handle, DWORD size, LPVOID data) {
    return g_fileApi != nullptr ? g_fileApi->getFileVersionInfo(file, handle, size, data)
                                : ::GetFileVersionInfoW(file, handle, size, data);
}

// Copies as much of `text` as fits and always terminates: a long value is cut, never overflows.
void CopyCut(wchar_t* destination, size_t capacity, std::wstring_view text) {
    const size_t count = text.size() < capacity ? text.size() : capacity - 1;
    text.copy(destination, count);
    destination[count] = L'\0';
}

// A string value as the block stores it, bounded by the length the query reports and by the end
// of the block, so that a value without its terminator is never read past.
std::wstring QueriedString(const BYTE* block, size_t blockBytes, const void* value, UINT length) {
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const auto at = reinterpret_cast<std::uintptr_t>(value);
    if (at < start || at >= start + blockBytes) return std::wstring();
    const size_t available = static_cast<size_t>(start + blockBytes - at) / sizeof(wchar_t);
    std::wstring_view text(static_cast<const wchar_t*>(value), std::min<size_t>(length, available));
    return std::wstring(text.substr(0, text.find(L'\0')));
}

}  // namespace

const wchar_t* GetProductVersionText() {
    if (g_ready == 1) return g_text;
    std::fill(std::begin(g_text), std::end(g_text), L'\0');

    const DWORD pathLength = ::GetModuleFileNameW(nullptr, g_path, static_cast<DWORD>(kPathCapacity));
    // A cut path names another file (or none): it must not lend its version to this program.
    if (pathLength == 0 || pathLength >= kPathCapacity) return g_text;

    DWORD ignored = 0;
    const DWORD size = VersionInfoSize(g_path, &ignored);
    if (size == 0) return g_text;

    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[static_cast<size_t>(size) + 1]());
    if (block == nullptr) return g_text;
    if (!VersionInfo(g_path, 0, size, block.get())) return g_text;

    wchar_t query[kQueryCapacity] = L"\\VarFileInfo\\Translation";
    void* translation = nullptr;
    UINT translationBytes = 0;
    if (!::VerQueryValueW(block.get(), query, &translation, &translationBytes)) return g_text;
    // An empty table has no first entry to read.
    if (translation == nullptr || translationBytes < 2 * sizeof(WORD)) return g_text;

    const auto* entry = static_cast<const WORD*>(translation);  // language, then code page
    const std::wstring key = fw::Format(L"%04x%04x", entry[0], entry[1]);
    CopyCut(query, kQueryCapacity, fw::Format(L"\\StringFileInfo\\%ls\\%ls", key.c_str(), L"ProductVersion"));
    void* value = nullptr;
    UINT valueLength = 0;
    // A table without this value leaves the text empty; it still counts as read for the run.
    if (::VerQueryValueW(block.get(), query, &value, &valueLength) && value != nullptr) {
        const std::wstring productVersion = QueriedString(block.get(), size, value, valueLength);
        CopyCut(g_text, kTextCapacity, fw::Format(L"Ver.:%ls", productVersion.c_str()));
    }

    g_ready = 1;
    return g_text;
}

namespace app::testing {
void SetVersionFileApi(const VersionFileApi* api) { g_fileApi = api; }

void ResetVersionTextCache() {
    g_ready = 0;
    std::fill(std::begin(g_text), std::end(g_text), L'\0');
}

int VersionTextReadyFlag() { return g_ready; }
}  // namespace app::testing
