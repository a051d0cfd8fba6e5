// --version: the product name and version from the executable's own version resource.
#include <memory>

#include "cli/Velmora.h"
#include "cli/Output.h"

namespace cli {
namespace {

std::wstring Query(const BYTE* block, const std::wstring& path) {
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block, path.c_str(), &value, &length) || value == nullptr || length == 0) return L"";
    const std::wstring text(static_cast<const wchar_t*>(value), length);
    return text.substr(0, text.find(L'\0'));
}

}  // namespace

std::string VersionText() {
    wchar_t path[MAX_PATH * 2];
    const DWORD pathLength = ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    DWORD ignored = 0;
    const DWORD size = pathLength > 0 && pathLength < std::size(path) ? ::GetFileVersionInfoSizeW(path, &ignored) : 0;
    std::wstring name = L"Velmora";
    std::wstring version = L"(no version resource)";
    if (size != 0) {
        auto block = std::make_unique<BYTE[]>(size);
        void* translation = nullptr;
        UINT translationBytes = 0;
        if (::GetFileVersionInfoW(path, 0, size, block.get()) &&
            ::VerQueryValueW(block.get(), L"\\VarFileInfo\\Translation", &translation, &translationBytes) &&
            translation != nullptr && translationBytes >= 2 * sizeof(WORD)) {
            const auto* entry = static_cast<const WORD*>(translation);  // language, then code page
            wchar_t key[64];
            std::swprintf(key, std::size(key), L"\\StringFileInfo\\%04x%04x\\", entry[0], entry[1]);
            if (auto text = Query(block.get(), std::wstring(key) + L"ProductName"); !text.empty()) name = text;
            if (auto text = Query(block.get(), std::wstring(key) + L"ProductVersion"); !text.empty()) version = text;
        }
    }
    return "velmora " + ToUtf8(version) + " (" + ToUtf8(name) + ")";
}

}  // namespace cli
