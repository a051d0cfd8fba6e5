// The fake dwmapi.dll's configuration by environment and its journal file, which end-to-end
// tests of another process rely on. The environment is set in CMakeLists.txt.
#include "dwm/DwmCalls.h"

#include "support/FakeDwm.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::wstring JournalPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"FAKE_DWM_JOURNAL", path, MAX_PATH);
    return length != 0 && length < MAX_PATH ? path : L"";
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class FakeEnvironmentTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_fake.IsFake()) << "run with FAKE_DWM";
        m_fake.Reset();
    }

    testsupport::FakeDwm m_fake;
};

TEST_F(FakeEnvironmentTest, InitialStateComesFromTheEnvironmentAndResetReturnsToIt) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "as loaded" : "after changes and Reset");
        BOOL enabled = 7;
        DWORD colorization = 0;
        BOOL opaqueBlend = 7;
        EXPECT_EQ(IsCompositionEnabled(&enabled), S_OK);
        EXPECT_EQ(enabled, FALSE);
        EXPECT_EQ(GetColorizationColor(&colorization, &opaqueBlend), S_OK);
        EXPECT_EQ(colorization, 0x80112233u);
        EXPECT_EQ(opaqueBlend, 1);
        // Permanent: every call fails.
        EXPECT_EQ(CompositionEnable(), HRESULT(0x80004005));
        EXPECT_EQ(CompositionEnable(), HRESULT(0x80004005));
        EXPECT_EQ(UnregisterThumbnail(nullptr), HRESULT(0x80070005));

        m_fake.SetComposition(TRUE);
        m_fake.SetColorization(1, FALSE);
        m_fake.Fail(L"DwmEnableComposition", S_OK, 0);
        m_fake.Reset();
    }
}

TEST_F(FakeEnvironmentTest, JournalFileGetsEveryLineAsItIsMade) {
    const std::wstring path = JournalPath();
    ASSERT_FALSE(path.empty()) << "FAKE_DWM_JOURNAL is not set";
    ::DeleteFileW(path.c_str());
    BOOL enabled = FALSE;
    IsCompositionEnabled(&enabled);
    EXPECT_EQ(ReadFile(path), "DwmIsCompositionEnabled\n");
    CompositionDisable();
    EXPECT_EQ(ReadFile(path), "DwmIsCompositionEnabled\nDwmEnableComposition action=0\n");
    // Reset clears the journal in memory only.
    m_fake.Reset();
    EXPECT_EQ(m_fake.Journal().size(), 0u);
    EXPECT_EQ(ReadFile(path), "DwmIsCompositionEnabled\nDwmEnableComposition action=0\n");
    ::DeleteFileW(path.c_str());
}

}  // namespace
