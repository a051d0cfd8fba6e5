// The tool as a user meets it: start, the log, the DWM notifications, the About item, closing.
#include <gtest/gtest.h>

#include "QuilletProcess.h"
#include "res/resource.h"

namespace {

using e2e::QuilletProcess;

TEST(Spine, StartsWithTheStartLineAndLogsEveryDwmNotification) {
    QuilletProcess tool;
    ASSERT_NE(tool.MainWindow(), nullptr) << "no window captioned Velmora";
    EXPECT_EQ(tool.LogLines(), std::vector<std::wstring>{L"START Velmora"});

    HWND main = tool.MainWindow();
    ::PostMessageW(main, WM_DWMCOMPOSITIONCHANGED, 0, 0);
    ::PostMessageW(main, WM_DWMNCRENDERINGCHANGED, 1, 0);
    ::PostMessageW(main, WM_DWMCOLORIZATIONCOLORCHANGED, 0x0a0b0c0d, 1);
    ::PostMessageW(main, WM_DWMWINDOWMAXIMIZEDCHANGE, 0, 0);
    ASSERT_TRUE(tool.WaitForLogLines(5, 10000));
    const std::vector<std::wstring> expected = {
        L"START Velmora",
        L"WM_COMPOSITIONCHANGED recieve Composition Disable",
        L"WM_NCRENDERINGCHANGED recieve isRenderring = TRUE",
        L"WM_DWMCOLORIZATIONCOLORCHANGED recieve Color=0x0a0b0c0d, opacityblend=1",
        L"WM_DWMWINDOWMAXIMIZEDCHANGE recieve isMaximized = FALSE",
    };
    EXPECT_EQ(tool.LogLines(), expected);

    DWORD exitCode = 1234;
    ASSERT_TRUE(tool.Close(15000, &exitCode)) << "the process did not end";
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
