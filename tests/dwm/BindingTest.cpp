// How the layer binds dwmapi.dll's entry points: by name, DwmEnableComposition by ordinal 102,
// and a failure HRESULT instead of a call when an entry point is missing.
#include "dwm/DwmCalls.h"

#include "DwmTestSupport.h"
#include "WrapperTable.h"
#include "support/FakeDwm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::wstring>;

// Built from the fake's sources, with DwmEnableComposition exported at ordinal 102 only.
constexpr wchar_t kOrdinalOnlyDll[] = L"fake_dwmapi_ordinal_only.dll";

std::wstring BesideThisExecutable(const wchar_t* fileName) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text = path;
    return text.substr(0, text.find_last_of(L'\\') + 1) + fileName;
}

class BindingTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_fake.IsFake()) << "run with FAKE_DWM";
        ASSERT_NE(m_window.get(), nullptr);
        m_fake.Reset();
    }
    void TearDown() override { dwm::testing::BindModule(nullptr); }

    testsupport::FakeDwm m_fake;
    dwmtest::TestWindow m_window;
};

TEST_F(BindingTest, MissingEntryPointsGiveProcNotFoundInsteadOfACall) {
    // The test executable exports nothing at all, not even ordinal 102.
    dwm::testing::BindModule(::GetModuleHandleW(nullptr));
    for (const dwmtest::Wrapper& wrapper : dwmtest::AllWrappers()) {
        SCOPED_TRACE(wrapper.name);
        dwmtest::OutArgs out;
        EXPECT_EQ(wrapper.call(m_window.get(), out), HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));
    }
    RECT bounds{};
    GetWindowBounds(m_window.get(), &bounds);
    EXPECT_EQ(dwmtest::Text(bounds), dwmtest::Text(m_window.Rect()));
    EXPECT_EQ(m_fake.Journal(), Lines{});
}

TEST_F(BindingTest, RebindingForgetsEntryPointsLookedUpBefore) {
    BOOL enabled = FALSE;
    ASSERT_EQ(IsCompositionEnabled(&enabled), S_OK);  // bound and cached from the system's dwmapi.dll
    dwm::testing::BindModule(::GetModuleHandleW(nullptr));
    EXPECT_EQ(IsCompositionEnabled(&enabled), HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));
    dwm::testing::BindModule(nullptr);
    EXPECT_EQ(IsCompositionEnabled(&enabled), S_OK);
    EXPECT_EQ(m_fake.Journal(), (Lines{L"DwmIsCompositionEnabled", L"DwmIsCompositionEnabled"}));
}

TEST_F(BindingTest, CompositionSwitchIsBoundByOrdinal102) {
    const HMODULE probe = ::LoadLibraryW(BesideThisExecutable(kOrdinalOnlyDll).c_str());
    ASSERT_NE(probe, nullptr);
    ASSERT_EQ(::GetProcAddress(probe, "DwmEnableComposition"), nullptr) << "the probe must lack the name";
    const testsupport::FakeDwm probeFake(probe);
    ASSERT_TRUE(probeFake.IsFake());
    probeFake.Reset();

    dwm::testing::BindModule(probe);
    EXPECT_EQ(CompositionDisable(), S_OK);
    EXPECT_EQ(CompositionEnable(), S_OK);
    // The other entry points are looked up by name in the same module.
    BOOL enabled = FALSE;
    EXPECT_EQ(IsCompositionEnabled(&enabled), S_OK);
    EXPECT_EQ(probeFake.Journal(), (Lines{L"DwmEnableComposition action=0", L"DwmEnableComposition action=1",
                                          L"DwmIsCompositionEnabled"}));
    dwm::testing::BindModule(nullptr);
    ::FreeLibrary(probe);
}

}  // namespace
