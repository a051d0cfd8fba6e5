// The version gate with the DWM library at hand: which versions pass, when the version is
// queried, and what the cache keeps. (That nothing is loaded below 6 is checked in
// GateBelowSixTest.cpp, in a process that has not loaded the library.)
#include "dwm/DwmCalls.h"

#include "DwmTestSupport.h"
#include "WrapperTable.h"
#include "support/FakeDwm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using dwmtest::ReportedVersion;
using Lines = std::vector<std::wstring>;

class VersionGateTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_fake.IsFake()) << "run with FAKE_DWM";
        m_fake.Reset();
    }

    testsupport::FakeDwm m_fake;
};

TEST_F(VersionGateTest, VersionsFromSixUpPassWhateverTheMinorVersion) {
    struct Version {
        DWORD major;
        DWORD minor;
    };
    // 0x80000000 would be negative if the comparison were signed.
    for (const Version version : {Version{6, 0}, Version{6, 1}, Version{10, 0}, Version{0x80000000, 0}}) {
        SCOPED_TRACE(testing::Message() << version.major << "." << version.minor);
        ReportedVersion reported(version.major, version.minor);
        m_fake.ClearJournal();
        EXPECT_TRUE(IsDwmSupported());
        EXPECT_EQ(CompositionDisable(), S_OK);
        EXPECT_EQ(m_fake.Journal(), Lines{L"DwmEnableComposition action=0"});
    }
}

TEST_F(VersionGateTest, VersionsBelowSixAreRefusedWithoutAnyDwmCall) {
    for (const DWORD major : {0u, 4u, 5u}) {
        SCOPED_TRACE(testing::Message() << "major " << major);
        ReportedVersion reported(major, 2);
        dwmtest::TestWindow window;
        m_fake.ClearJournal();
        EXPECT_FALSE(IsDwmSupported());
        for (const dwmtest::Wrapper& wrapper : dwmtest::AllWrappers()) {
            SCOPED_TRACE(wrapper.name);
            dwmtest::OutArgs out;
            EXPECT_EQ(wrapper.call(window.get(), out), -1);
        }
        EXPECT_EQ(m_fake.Journal(), Lines{});
    }
}

TEST_F(VersionGateTest, FailedQueryRefusesAndTheNextCallQueriesAgain) {
    ReportedVersion reported(6, 1, /*failFirst=*/1);
    BOOL enabled = 7;
    EXPECT_EQ(IsCompositionEnabled(&enabled), -1);
    EXPECT_EQ(enabled, FALSE);
    EXPECT_EQ(dwm::testing::GetOsVersionCache().filled, 0);
    EXPECT_EQ(m_fake.Journal(), Lines{});

    EXPECT_EQ(IsCompositionEnabled(&enabled), S_OK);
    EXPECT_EQ(enabled, TRUE);
    EXPECT_EQ(ReportedVersion::Queries(), 2);
    EXPECT_EQ(m_fake.Journal(), Lines{L"DwmIsCompositionEnabled"});
}

TEST_F(VersionGateTest, CacheKeepsTheFirstSuccessfulQueryOfTheBasicRecord) {
    ReportedVersion reported(6, 1);
    ASSERT_TRUE(IsDwmSupported());
    const OsVersionCache& cache = dwm::testing::GetOsVersionCache();
    EXPECT_EQ(cache.filled, 1);
    EXPECT_EQ(cache.versionInfo.dwOSVersionInfoSize, 276u);
    EXPECT_EQ(cache.versionInfo.dwMajorVersion, 6u);
    EXPECT_EQ(cache.versionInfo.dwMinorVersion, 1u);
    EXPECT_EQ(cache.versionInfo.dwBuildNumber, 7601u);
    EXPECT_EQ(ReportedVersion::LastSize(), 276u);
}

TEST_F(VersionGateTest, WrappersQueryOnceButWindowBoundsQueriesOnEveryCall) {
    ReportedVersion reported(10, 0);
    dwmtest::TestWindow window;
    BOOL enabled = FALSE;
    ASSERT_EQ(IsCompositionEnabled(&enabled), S_OK);
    ASSERT_EQ(ReportedVersion::Queries(), 1);
    for (const dwmtest::Wrapper& wrapper : dwmtest::AllWrappers()) {
        dwmtest::OutArgs out;
        wrapper.call(window.get(), out);
    }
    EXPECT_EQ(ReportedVersion::Queries(), 1);

    RECT bounds{};
    GetWindowBounds(window.get(), &bounds);
    GetWindowBounds(window.get(), &bounds);
    EXPECT_EQ(ReportedVersion::Queries(), 3);
    EXPECT_EQ(ReportedVersion::LastSize(), 276u);
    // GetWindowBounds leaves the gate's cache alone.
    EXPECT_EQ(dwm::testing::GetOsVersionCache().filled, 1);
}

TEST_F(VersionGateTest, WindowBoundsDoesNotFillTheCache) {
    ReportedVersion reported(10, 0);
    dwmtest::TestWindow window;
    RECT bounds{};
    GetWindowBounds(window.get(), &bounds);
    EXPECT_EQ(ReportedVersion::Queries(), 1);
    EXPECT_EQ(dwm::testing::GetOsVersionCache().filled, 0);
}

}  // namespace
