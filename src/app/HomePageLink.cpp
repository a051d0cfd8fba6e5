#include "app/HomePageLink.h"

#include <shellapi.h>

namespace {
app::testing::ShellExecuteFunction g_shellExecute = nullptr;
}

void OpenHomePage(HWND owner) {
    const auto shellExecute = g_shellExecute != nullptr ? g_shellExecute : &::ShellExecuteW;
    shellExecute(owner, L"open", kHomePageUrl, nullptr, nullptr, SW_SHOWNORMAL);
}

namespace app::testing {
void SetShellExecute(ShellExecuteFunction function) { g_shellExecute = function; }
}  // namespace app::testing
