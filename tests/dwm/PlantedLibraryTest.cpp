// A dwmapi.dll planted beside the executable must not be the one the layer loads. Runs in its
// own executable and directory, with the fake selected (WINEDLLOVERRIDES=dwmapi=n), so that a
// load by bare name would really take the planted copy.
#include "dwm/DwmCalls.h"

#include "support/FakeDwm.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

std::wstring ExecutableDirectory() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text = path;
    return text.substr(0, text.find_last_of(L'\\'));
}

std::wstring LongPath(const std::wstring& path) {
    wchar_t full[MAX_PATH] = {};
    const DWORD length = ::GetLongPathNameW(path.c_str(), full, MAX_PATH);
    return length != 0 && length < MAX_PATH ? std::wstring(full) : path;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(LongPath(a).c_str(), -1, LongPath(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Removes the planted copy even when an assertion ends the test early.
class PlantedFile {
public:
    explicit PlantedFile(std::wstring path) : m_path(std::move(path)) {}
    ~PlantedFile() { ::DeleteFileW(m_path.c_str()); }
    PlantedFile(const PlantedFile&) = delete;
    PlantedFile& operator=(const PlantedFile&) = delete;
    const std::wstring& path() const { return m_path; }

private:
    std::wstring m_path;
};

TEST(PlantedLibraryTest, LibraryComesFromTheSystemDirectoryNotFromBesideTheExecutable) {
    ASSERT_EQ(::GetModuleHandleW(L"dwmapi.dll"), nullptr) << "dwmapi.dll must not be loaded before the test";
    const std::wstring system = testsupport::SystemDwmapiPath();
    const PlantedFile planted(ExecutableDirectory() + L"\\dwmapi.dll");
    ASSERT_TRUE(::CopyFileW(system.c_str(), planted.path().c_str(), FALSE)) << ::GetLastError();
    // Precondition: a search by bare name finds the planted copy first.
    wchar_t found[MAX_PATH] = {};
    ASSERT_NE(::SearchPathW(nullptr, L"dwmapi.dll", nullptr, MAX_PATH, found, nullptr), 0u);
    ASSERT_TRUE(SamePath(found, planted.path())) << "search found " << testing::PrintToString(std::wstring(found));

    BOOL enabled = 7;
    EXPECT_EQ(IsCompositionEnabled(&enabled), S_OK);
    EXPECT_EQ(enabled, TRUE);

    const HMODULE loaded = ::GetModuleHandleW(L"dwmapi.dll");
    ASSERT_NE(loaded, nullptr);
    wchar_t loadedPath[MAX_PATH] = {};
    ASSERT_NE(::GetModuleFileNameW(loaded, loadedPath, MAX_PATH), 0u);
    EXPECT_TRUE(SamePath(loadedPath, system)) << "loaded " << testing::PrintToString(std::wstring(loadedPath));
    EXPECT_FALSE(SamePath(loadedPath, planted.path()));
}

}  // namespace
