// The About box as another program meets it: opened by a system command, read, closed with OK.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "QuilletProcess.h"
#include "res/resource.h"

namespace {

using e2e::QuilletProcess;

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (::IsWindow(window)) {
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(20);
    }
    return true;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

// Opens the box with a posted system command (sending it would wait for the modal run) and
// returns it once it is up: a second top-level window of the tool captioned "Velmora".
HWND OpenAboutBox(const QuilletProcess& tool, WPARAM command) {
    ::PostMessageW(tool.MainWindow(), WM_SYSCOMMAND, command, 0);
    return tool.WaitForTopLevel(L"Velmora", tool.MainWindow(), 15000);
}

TEST(E2eAbout, SystemCommandOpensTheAboutBoxAndOkClosesIt) {
    QuilletProcess tool;
    HWND main = tool.MainWindow();
    ASSERT_NE(main, nullptr) << "no window captioned Velmora";

    HWND box = OpenAboutBox(tool, IDM_ABOUTBOX);
    ASSERT_NE(box, nullptr) << "no About box after WM_SYSCOMMAND 16";
    EXPECT_EQ(ClassOf(box), L"#32770");
    EXPECT_EQ(tool.Text(box), L"Velmora");
    EXPECT_EQ(tool.Text(::GetDlgItem(box, IDC_VERSION_TEXT)), L"Velmora Ver.:1.0.1.102 ");
    EXPECT_EQ(::GetWindow(box, GW_OWNER), main);
    EXPECT_FALSE(::IsWindowEnabled(main)) << "the box is modal";

    HWND ok = ::GetDlgItem(box, IDOK);
    ASSERT_NE(ok, nullptr);
    ::SendMessageTimeoutW(ok, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    ASSERT_TRUE(WaitUntilGone(box, 10000)) << "OK did not close the box";
    EXPECT_TRUE(::IsWindow(main)) << "the tool goes on running";
    EXPECT_TRUE(::IsWindowEnabled(main));

    // Any command from 16 to 31 is the About item; the second box shows the same text.
    HWND again = OpenAboutBox(tool, 0x001F);
    ASSERT_NE(again, nullptr) << "no About box after WM_SYSCOMMAND 0x1F";
    EXPECT_EQ(tool.Text(again), L"Velmora");
    EXPECT_EQ(tool.Text(::GetDlgItem(again, IDC_VERSION_TEXT)), L"Velmora Ver.:1.0.1.102 ");
    ::PostMessageW(again, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntilGone(again, 10000));

    EXPECT_EQ(tool.LogLines(), std::vector<std::wstring>{L"START Velmora"}) << "the About box writes no log";
    DWORD exitCode = 1234;
    ASSERT_TRUE(tool.Close(15000, &exitCode)) << "the process did not end";
    EXPECT_EQ(exitCode, 0u);
}

TEST(E2eAbout, OtherSystemCommandsKeepTheirDefaultBehaviour) {
    QuilletProcess tool;
    HWND main = tool.MainWindow();
    ASSERT_NE(main, nullptr);
    // Sent, not posted: a wrongly opened modal box would keep the call from returning.
    DWORD_PTR result = 0;
    ASSERT_NE(::SendMessageTimeoutW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0, SMTO_ABORTIFHUNG, 10000, &result), 0);
    EXPECT_TRUE(::IsIconic(main));
    ASSERT_NE(::SendMessageTimeoutW(main, WM_SYSCOMMAND, SC_RESTORE, 0, SMTO_ABORTIFHUNG, 10000, &result), 0);
    EXPECT_FALSE(::IsIconic(main));
    EXPECT_TRUE(::IsWindowEnabled(main)) << "no modal box is open";

    DWORD exitCode = 1234;
    ASSERT_TRUE(tool.Close(15000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
