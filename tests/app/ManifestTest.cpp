// What the shipped executable declares to Windows in its manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ManifestOf(const std::wstring& executable) {
    HMODULE module = ::LoadLibraryExW(executable.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) return std::string();
    std::string text;
    if (HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        const void* data = ::LockResource(::LoadResource(module, found));
        if (data != nullptr) text.assign(static_cast<const char*>(data), ::SizeofResource(module, found));
    }
    ::FreeLibrary(module);
    return text;
}

TEST(Manifest, DeclaresEverySupportedWindowsAndPerMonitorDpiAwareness) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring executable(path);
    executable = executable.substr(0, executable.find_last_of(L"\\/") + 1) + L"Quillet.exe";
    const std::string manifest = ManifestOf(executable);
    ASSERT_FALSE(manifest.empty()) << "no manifest resource in Quillet.exe";
    // Vista, 7, 8, 8.1, 10/11: a missing one makes that system report an older version.
    for (const char* id : {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + id + "\"/>"), std::string::npos) << id;
    }
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
}

}  // namespace
