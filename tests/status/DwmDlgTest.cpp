// The status panel against Wine's own DWM: template, OS read-out, a system without DWM,
// colouring and the refresh timer's life.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

#include "StatusPanelHarness.h"
#include "dwm/DwmTesting.h"
#include "status/StatusTesting.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Template 130 as the system builds it, without the panel's own initialisation.

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

class PlainTemplate {
public:
    explicit PlainTemplate(HWND parent)
        : m_hWnd(::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DWM), parent,
                                      PlainDialogProc, 0)) {}
    ~PlainTemplate() {
        if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
    }
    PlainTemplate(const PlainTemplate&) = delete;
    PlainTemplate& operator=(const PlainTemplate&) = delete;
    HWND get() const { return m_hWnd; }

private:
    HWND m_hWnd;
};

// The system converts a template's position and size each on its own, so the size is mapped
// as a size, not as the right and bottom edges.
RECT DialogUnits(HWND dialog, int x, int y, int width, int height) {
    RECT mapped{x, y, width, height};
    ::MapDialogRect(dialog, &mapped);
    return RECT{mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
}

// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string Text(const RECT& rect) {
    char text[64];
    std::snprintf(text, sizeof text, "(%ld,%ld,%ld,%ld)", rect.left, rect.top, rect.right, rect.bottom);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

TEST(StatusPanelTemplate, PanelIsAHiddenChildWithASunkenEdgeAndTheTemplatesSize) {
    testsupport::HostWindow host;
    PlainTemplate panel(host.get());
    ASSERT_NE(panel.get(), nullptr);

    const LONG style = ::GetWindowLongW(panel.get(), GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_POPUP | WS_VISIBLE | WS_CAPTION), WS_CHILD) << std::hex << style;
    EXPECT_TRUE(style & DS_CONTROL);
    EXPECT_TRUE(::GetWindowLongW(panel.get(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    const RECT expected = DialogUnits(panel.get(), 0, 10, 467, 47);
    RECT client{};
    ::GetClientRect(panel.get(), &client);
    EXPECT_EQ(client.right, expected.right - expected.left);
    EXPECT_EQ(client.bottom, expected.bottom - expected.top);
    // The template places the client area; the sunken edge lies outside it.
    POINT origin{0, 0};
    ::MapWindowPoints(panel.get(), host.get(), &origin, 1);
    EXPECT_EQ(origin.x, expected.left);
    EXPECT_EQ(origin.y, expected.top);
}

TEST(StatusPanelTemplate, ControlsHaveTheirClassStylePlaceAndTextInTemplateOrder) {
    struct Control {
        int id;
        const wchar_t* className;
        LONG style;  // beyond WS_CHILD and WS_VISIBLE, the type included
        bool clientEdge;
        int x, y, width, height;
        const wchar_t* text;
    };
    const Control controls[] = {
        {IDC_OS_VERSION_LABEL, L"Static", WS_GROUP | SS_LEFT, false, 9, 16, 33, 8, L"OsVersion"},
        {IDC_OS_VERSION, L"Static", WS_GROUP | SS_LEFT, true, 44, 15, 330, 12, L"スタティック"},
        {IDC_COMPOSITION_STATE, L"Static", WS_GROUP | SS_CENTER, true, 143, 29, 36, 12, L"スタティック"},
        {IDC_REFRESH_STATUS, L"Button", WS_TABSTOP | BS_PUSHBUTTON, false, 6, 0, 50, 14, L"更新"},
        {IDC_AUTO_REFRESH, L"Button", WS_TABSTOP | BS_AUTOCHECKBOX, false, 60, 3, 64, 10, L"自動更新（１S)"},
        {IDC_COMPOSITION_ENABLE, L"Button", WS_TABSTOP | BS_PUSHBUTTON, false, 6, 28, 64, 14, L"CompositonEnable"},
        {IDC_COMPOSITION_DISABLE, L"Button", WS_TABSTOP | BS_PUSHBUTTON, false, 72, 28, 65, 14, L"CompositonDisable"},
        {IDC_COLORIZATION, L"Static", WS_GROUP | SS_LEFT, true, 186, 29, 186, 12, L"スタティック"},
    };
    testsupport::HostWindow host;
    PlainTemplate panel(host.get());
    ASSERT_NE(panel.get(), nullptr);

    HWND child = ::GetWindow(panel.get(), GW_CHILD);
    for (const Control& c : controls) {
        SCOPED_TRACE(testing::Message() << "control " << c.id);
        ASSERT_NE(child, nullptr) << "fewer controls than the template lists";
        EXPECT_EQ(::GetDlgCtrlID(child), c.id) << "template order";
        HWND control = ::GetDlgItem(panel.get(), c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(ClassOf(control), c.className);
        EXPECT_EQ(::GetWindowLongW(control, GWL_STYLE), WS_CHILD | WS_VISIBLE | c.style)
            << std::hex << ::GetWindowLongW(control, GWL_STYLE);
        EXPECT_EQ((::GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, c.clientEdge);
        EXPECT_EQ(Text(RectInParent(control)), Text(DialogUnits(panel.get(), c.x, c.y, c.width, c.height)));
        EXPECT_EQ(testsupport::TextOf(control), c.text);
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the template lists";
}

// ---------------------------------------------------------------------------------------------
// The operating-system read-out, from the panel's own version query.

struct ReportedOs {
    DWORD major, minor, build, platform;
    const wchar_t* csd;  // null: all 128 units filled with 'x', no terminator
    bool fails;          // the query scribbles into the record and reports failure
};

// While alive, the panel's version query reports os; counts the queries and keeps the size
// each one was given.
class PanelVersionReport {
public:
    explicit PanelVersionReport(const ReportedOs& os) {
        s_os = os;
        s_queries = 0;
        s_size = 0;
        status::testing::SetVersionQuery(&Query);
    }
    ~PanelVersionReport() { status::testing::SetVersionQuery(nullptr); }
    PanelVersionReport(const PanelVersionReport&) = delete;
    PanelVersionReport& operator=(const PanelVersionReport&) = delete;

    static void Change(const ReportedOs& os) { s_os = os; }
    static int Queries() { return s_queries; }
    static DWORD Size() { return s_size; }

private:
    static BOOL WINAPI Query(LPOSVERSIONINFOW info) {
        ++s_queries;
        s_size = info->dwOSVersionInfoSize;
        info->dwMajorVersion = s_os.major;
        info->dwMinorVersion = s_os.minor;
        info->dwBuildNumber = s_os.build;
        info->dwPlatformId = s_os.platform;
        if (s_os.csd != nullptr) {
            const size_t length = std::wstring_view(s_os.csd).copy(info->szCSDVersion, 127);
            info->szCSDVersion[length] = L'\0';
        } else {
            std::wmemset(info->szCSDVersion, L'x', 128);
        }
        return s_os.fails ? FALSE : TRUE;
    }

    static inline ReportedOs s_os{};
    static inline int s_queries = 0;
    static inline DWORD s_size = 0;
};

TEST(StatusPanelOsVersion, ReadOutIsExactForEachReportedVersion) {
    struct Case {
        ReportedOs os;
        std::wstring text;
    };
    const Case cases[] = {
        {{6, 1, 7601, 2, L"Service Pack 1", false},
         L" MajorVersion=6, MinorVersion=1, BuildNuber=7601, PlatformId=2 CSDVersion=Service Pack 1"},
        {{6, 1, 600, 2, L"Service Pack 1", false},
         L" MajorVersion=6, MinorVersion=1, BuildNuber=600, PlatformId=2 CSDVersion=Service Pack 1"},
        {{10, 0, 19045, 2, L"", false}, L" MajorVersion=10, MinorVersion=0, BuildNuber=19045, PlatformId=2 CSDVersion="},
        {{5, 1, 2600, 2, L"Service Pack 3", false},
         L" MajorVersion=5, MinorVersion=1, BuildNuber=2600, PlatformId=2 CSDVersion=Service Pack 3"},
        // A failed query shows zeros and no CSD text, whatever it left in the record.
        {{6, 1, 7601, 2, L"garbage", true}, L" MajorVersion=0, MinorVersion=0, BuildNuber=0, PlatformId=0 CSDVersion="},
        // A CSD text that fills all its 128 units, without a terminator, is shown whole.
        {{6, 2, 9200, 2, nullptr, false},
         L" MajorVersion=6, MinorVersion=2, BuildNuber=9200, PlatformId=2 CSDVersion=" + std::wstring(128, L'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "reported " << c.os.major << "." << c.os.minor << "." << c.os.build);
        PanelVersionReport report(c.os);
        StatusPanelHarness status;
        ASSERT_TRUE(status.Create());
        EXPECT_EQ(status.OsVersion(), c.text);
        EXPECT_EQ(PanelVersionReport::Queries(), 1);
        EXPECT_EQ(PanelVersionReport::Size(), 276u) << "the basic record, not the extended one";
        EXPECT_EQ(status.LogLines(), Lines{}) << "a version query is never logged";
    }
}

TEST(StatusPanelOsVersion, ReadOutIsFixedAfterInitialisation) {
    PanelVersionReport report({6, 1, 7601, 2, L"Service Pack 1", false});
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    const std::wstring first = status.OsVersion();

    PanelVersionReport::Change({10, 0, 19045, 2, L"", false});
    status.Tick();
    status.Click(IDC_REFRESH_STATUS);
    EXPECT_EQ(status.OsVersion(), first);
    EXPECT_EQ(PanelVersionReport::Queries(), 1);
}

TEST(StatusPanelOsVersion, WithoutTheSeamTheReadOutIsWhatTheSystemReports) {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
    ASSERT_TRUE(::GetVersionExW(&info));
    wchar_t expected[512];
    std::swprintf(expected, 512, L" MajorVersion=%lu, MinorVersion=%lu, BuildNuber=%lu, PlatformId=%lu CSDVersion=%ls",
                  info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId,
                  info.szCSDVersion);

    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    EXPECT_EQ(status.OsVersion(), expected);
}

// ---------------------------------------------------------------------------------------------
// Composition read-outs where the DWM cannot say, or says it is off.

// While alive, the DWM layer's version gate sees the given major version.
class DwmLayerReports {
public:
    explicit DwmLayerReports(DWORD major) {
        s_major = major;
        dwm::testing::SetVersionQuery(&Query);
    }
    ~DwmLayerReports() { dwm::testing::SetVersionQuery(nullptr); }
    DwmLayerReports(const DwmLayerReports&) = delete;
    DwmLayerReports& operator=(const DwmLayerReports&) = delete;

private:
    static BOOL WINAPI Query(LPOSVERSIONINFOW info) {
        info->dwMajorVersion = s_major;
        info->dwMinorVersion = 1;
        info->dwBuildNumber = 2600;
        info->dwPlatformId = VER_PLATFORM_WIN32_NT;
        return TRUE;
    }
    static inline DWORD s_major = 0;
};

TEST(StatusPanelWithoutDwm, MajorVersion5ShowsUnknownAndOnlyTheRefreshButtonLogsTheGatesResult) {
    DwmLayerReports xp(5);
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    EXPECT_EQ(status.State(), L"unknown");
    EXPECT_EQ(status.Colorization(), L"");

    for (int i = 0; i < 3; ++i) status.Tick();
    EXPECT_EQ(status.State(), L"unknown");
    EXPECT_EQ(status.LogLines(), Lines{}) << "automatic refreshes never log";

    status.Click(IDC_REFRESH_STATUS);
    EXPECT_EQ(status.LogLines(), Lines{L"DwmIsCompositionEnabled() Error HRESULT=0xffffffff"})
        << "one line for the state, nothing for the colour";
    EXPECT_EQ(status.State(), L"unknown");
    EXPECT_EQ(status.Colorization(), L"");

    status.Click(IDC_COMPOSITION_ENABLE);
    status.Click(IDC_COMPOSITION_DISABLE);
    EXPECT_EQ(status.LogLines(), (Lines{L"DwmIsCompositionEnabled() Error HRESULT=0xffffffff",
                                        L"CompositionEnable() HRESUST=0xffffffff",
                                        L"CompositionDisable() HRESUST=0xffffffff"}));
}

TEST(StatusPanelWithoutDwm, APanelWithoutALogDropsItsLines) {
    DwmLayerReports xp(5);
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    status.Panel().m_pLogDlg = nullptr;
    status.Click(IDC_REFRESH_STATUS);
    status.Click(IDC_COMPOSITION_ENABLE);
    EXPECT_EQ(status.LogLines(), Lines{});
    EXPECT_EQ(status.State(), L"unknown") << "the read-out changes all the same";

    status.Panel().m_pLogDlg = &status.Log();
    status.Click(IDC_COMPOSITION_DISABLE);
    EXPECT_EQ(status.LogLines(), Lines{L"CompositionDisable() HRESUST=0xffffffff"});
}

// Wine's own DWM reports composition off.
TEST(StatusPanelOnWinesDwm, CompositionOffShowsDisableAndNoColourAndLogsNothing) {
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    EXPECT_TRUE(status.AutoRefreshTicked()) << "the box starts ticked";
    EXPECT_EQ(status.State(), L"Disable");
    EXPECT_EQ(status.Colorization(), L"");
    status.Tick();
    status.Click(IDC_REFRESH_STATUS);
    EXPECT_EQ(status.State(), L"Disable");
    EXPECT_EQ(status.Colorization(), L"");
    EXPECT_EQ(status.LogLines(), Lines{});
}

// ---------------------------------------------------------------------------------------------
// Colouring and the refresh timer's life.

TEST(StatusPanelColouring, BackgroundButtonsLabelAndCheckBoxAreGreyTheReadOutsKeepTheDefault) {
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    // The same template with the system's own dialog procedure gives the default answers.
    PlainTemplate plain(status.Host());
    ASSERT_NE(plain.get(), nullptr);

    HWND panel = status.Panel().m_hWnd;
    const HBRUSH grey = status.Panel().GetBackgroundBrush();
    HDC dc = ::GetDC(panel);
    const auto ask = [&](HWND dialog, UINT message, int id) {
        HWND control = id == 0 ? dialog : ::GetDlgItem(dialog, id);
        ::SetBkMode(dc, OPAQUE);
        return reinterpret_cast<HBRUSH>(
            ::SendMessageW(dialog, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    };

    EXPECT_EQ(ask(panel, WM_CTLCOLORDLG, 0), grey);
    for (int id : {IDC_REFRESH_STATUS, IDC_AUTO_REFRESH, IDC_COMPOSITION_ENABLE, IDC_COMPOSITION_DISABLE}) {
        EXPECT_EQ(ask(panel, WM_CTLCOLORBTN, id), grey) << "control " << id;
    }
    for (int id : {IDC_OS_VERSION_LABEL, IDC_AUTO_REFRESH}) {
        EXPECT_EQ(ask(panel, WM_CTLCOLORSTATIC, id), grey) << "control " << id;
        EXPECT_EQ(::GetBkMode(dc), TRANSPARENT) << "control " << id;
    }
    for (int id : {IDC_OS_VERSION, IDC_COMPOSITION_STATE, IDC_COLORIZATION}) {
        const HBRUSH brush = ask(panel, WM_CTLCOLORSTATIC, id);
        EXPECT_EQ(::GetBkMode(dc), OPAQUE) << "control " << id;
        EXPECT_NE(brush, grey) << "control " << id;
        EXPECT_EQ(brush, ask(plain.get(), WM_CTLCOLORSTATIC, id)) << "control " << id;
    }
    ::ReleaseDC(panel, dc);

    LOGBRUSH info{};
    ::GetObjectW(grey, sizeof info, &info);
    EXPECT_EQ(info.lbColor, RGB(200, 200, 200));
}

TEST(StatusPanelTimer, RefreshTimerRunsFromInitialisation) {
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    EXPECT_TRUE(::KillTimer(status.Panel().m_hWnd, CDwmDlg::kRefreshTimerId)) << "no timer 101 to stop";
}

// A timer that is already gone cannot be killed again.
struct DestroyProbe {
    bool destroyed = false;
    bool timerStillRunning = false;
};

LRESULT CALLBACK WatchDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_DESTROY) {
        auto& probe = *reinterpret_cast<DestroyProbe*>(data);
        probe.destroyed = true;
        probe.timerStillRunning = ::KillTimer(window, CDwmDlg::kRefreshTimerId) != FALSE;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

TEST(StatusPanelTimer, DestroyWindowStopsTheTimerBeforeTheWindowGoes) {
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    HWND panel = status.Panel().m_hWnd;
    DestroyProbe probe;
    ASSERT_TRUE(::SetWindowSubclass(panel, WatchDestroy, 7, reinterpret_cast<DWORD_PTR>(&probe)));

    CDialog& asDialog = status.Panel();  // the override must hold through the base class too
    EXPECT_TRUE(asDialog.DestroyWindow());
    EXPECT_TRUE(probe.destroyed);
    EXPECT_FALSE(probe.timerStillRunning);
    EXPECT_FALSE(::IsWindow(panel));
    EXPECT_EQ(status.Panel().m_hWnd, nullptr);
}

}  // namespace
