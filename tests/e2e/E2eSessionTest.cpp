// A user's whole session with the real tool, start to close, while Wine reports Windows XP, 7 and 10:
// against Wine's own DWM, and (built with QUILLET_E2E_FAKE_DWM) against the fake DWM, whose journal goes
// to a file. Wine's version setting goes by the executable's name, so the tool runs as a renamed copy.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

#include "QuilletProcess.h"
#include "res/resource.h"
#include "support/WindowTestSupport.h"

namespace {

using e2e::QuilletProcess;
using Lines = std::vector<std::wstring>;

// What the tool shows and logs under one version. A null `query` means that the read-out's DWM queries
// succeed; else it ends each of their log lines, as `setter` ends those of the attribute and frame
// operations and `blur` that of blur-behind. `inset`: the DWM's invisible frame left, right and below.
struct Version {
    const char* setting;
    const wchar_t *state, *colour, *query, *setter, *blur;
    bool dwmLoaded;
    int inset;
};
void PrintTo(const Version& version, std::ostream* out) { *out << version.setting; }

const wchar_t kOk[] = L" Exec OK ";
const wchar_t kNoDwm[] = L" Error HRESULT=0xffffffff";
const Version kWinXp{"winxp64", L"unknown", L"", kNoDwm, kNoDwm, kNoDwm, false, 0};
#if QUILLET_E2E_FAKE_DWM
const wchar_t kCopy[] = L"QuilletSessionFake.exe";
const wchar_t kColour[] = L"alpha=128, R=255, G=128, B=0, opaque blend=FALSE";
const Version kVersions[] = {kWinXp, {"win7", L"Enable", kColour, nullptr, kOk, kOk, true, 7},
                             {"win10", L"Enable", kColour, nullptr, kOk, kOk, true, 7}};
#else
// Wine's stub: composition on only from Windows 8; no colour, attribute queries or blur-behind.
const wchar_t kCopy[] = L"QuilletSessionBuiltin.exe";
const wchar_t kNotImplemented[] = L" Error HRESULT=0x80004001";
const Version kVersions[] = {kWinXp, {"win7", L"Disable", L"", kNotImplemented, kOk, kNotImplemented, true, 0},
                             {"win10", L"Enable", L"", kNotImplemented, kOk, kNotImplemented, true, 0}};
#endif

template <typename Char, typename... Args>
std::basic_string<Char> Format(const Char* format, Args... args) {
    Char text[256];
    if constexpr (sizeof(Char) == 1) std::snprintf(text, 256, format, args...);
    else std::swprintf(text, 256, format, args...);
    return text;
}
std::string Hex(HWND window) { return Format("0x%08x", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window))); }
std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }
RECT WindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}
std::wstring Bounds(const RECT& r) { return Format(L" t=%ld, b=%ld, l=%ld, r=%ld", r.top, r.bottom, r.left, r.right); }

class Session : public testing::TestWithParam<Version> {
protected:
    void SetUp() override {
        ::DeleteFileW(m_journal.c_str());
        ASSERT_EQ(e2e::CopyTool(kCopy), "");
        const std::wstring setting = Wide(GetParam().setting);
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, Key().c_str(), L"Version", REG_SZ, setting.c_str(),
                                    static_cast<DWORD>((setting.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        m_tool = std::make_unique<QuilletProcess>(
            e2e::Environment{{L"FAKE_DWM_JOURNAL", m_journal}, {L"FAKE_DWM_COLORIZATION", L"0x80FF8000"}}, kCopy);
        ASSERT_NE(m_tool->MainWindow(), nullptr);
        // Opened after the tool's start, so that it is not the row the tool inspects first.
        m_target.reset(::CreateWindowExW(0, L"Static", L"Session target", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                         ::GetSystemMetrics(SM_CXSCREEN) - 260, ::GetSystemMetrics(SM_CYSCREEN) - 180,
                                         240, 160, nullptr, nullptr, nullptr, nullptr));
    }
    void TearDown() override {
        m_tool.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, Key().c_str());
        ::DeleteFileW(e2e::ScratchPath(kCopy).c_str());
        ::DeleteFileW(m_journal.c_str());
    }
    static std::wstring Key() { return std::wstring(L"Software\\Wine\\AppDefaults\\") + kCopy; }

    // A control of the inspector panel (the status panel reuses some of its ids).
    HWND Control(int id) const { return ::GetDlgItem(::GetParent(m_tool->FindControl(IDC_WINDOW_LIST)), id); }
    std::wstring Text(int id) const { return m_tool->Text(Control(id)); }
    bool Press(int id) const { return m_tool->Press(Control(id)); }
    void Type(int id, const wchar_t* text) const {
        ::SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    void TypeMargins(std::initializer_list<const wchar_t*> topBottomLeftRight) const {
        int id = IDC_MARGIN_TOP;
        for (const wchar_t* text : topBottomLeftRight) Type(id++, text);
    }
    // Lists the windows anew, clicks the target's row with the mouse, waits for the read-out.
    bool Pick() const {
        const HWND list = Control(IDC_WINDOW_LIST);
        const std::wstring handle = Wide(Hex(m_target.get()));
        const int row = Press(IDC_REFRESH_LIST) ? m_tool->FindListRow(list, 1, handle) : -1;
        const RECT rect = m_tool->ListRowOnScreen(list, row);
        return row >= 0 && e2e::ClickAt({rect.left + 20, (rect.top + rect.bottom) / 2}) &&
               testsupport::PumpUntil([&] { return Text(IDC_SELECTED_HANDLE) == handle; }, 10000);
    }
    // Clicks a button whose handler first meets the framework's message box, and answers that with OK.
    bool PressThroughMessageBox(int id) const {
        ::PostMessageW(Control(id), BM_CLICK, 0, 0);
        const HWND box = m_tool->WaitForTopLevel([&](HWND window) {
            wchar_t name[16] = {};
            ::GetClassNameW(window, name, 16);
            return window != m_tool->MainWindow() && name == std::wstring(L"#32770");
        }, 10000);
        return box != nullptr && m_tool->Press(::GetDlgItem(box, IDOK)) &&
               testsupport::PumpUntil([&] { return !::IsWindow(box); }, 10000);
    }
    // The start line, then per step either the three log lines of a read-out or the line given.
    Lines ExpectedLog(const std::vector<std::wstring>& steps) const {
        Lines log{L"START Velmora"};
        for (const std::wstring& step : steps) {
            if (!step.empty()) log.push_back(step);
            if (const wchar_t* q = GetParam().query; step.empty() && q != nullptr) {
                log.insert(log.end(), {L"IsNCRenderingEnabled()" + std::wstring(q),
                                       L"GetCaptionButtonBounds()" + std::wstring(q),
                                       L"GetExtendedFrameBounds()" + std::wstring(q)});
            }
        }
        return log;
    }

    const std::wstring m_journal = e2e::ScratchPath(L"session-journal.txt");
    std::unique_ptr<QuilletProcess> m_tool;
    std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&::DestroyWindow)> m_target{nullptr, &::DestroyWindow};
};

TEST_P(Session, PicksAWindowWorksOnItShowsItsThumbnailAndEndsCleanly) {
    const Version& v = GetParam();
    const HWND main = m_tool->MainWindow(), target = m_target.get();
    EXPECT_EQ(m_tool->ControlText(IDC_COMPOSITION_STATE), v.state);
    EXPECT_EQ(m_tool->ControlText(IDC_COLORIZATION), v.colour);
    std::string firstRow;  // inspected from the start, before the log is attached
    for (wchar_t c : m_tool->ListCell(Control(IDC_WINDOW_LIST), 0, 1)) firstRow += static_cast<char>(c);

    ASSERT_TRUE(Pick());
    const RECT rect = WindowRect(target);
    const LONG width = rect.right - rect.left;
    EXPECT_EQ(Text(IDC_WINDOW_RECT), Bounds(rect));
    EXPECT_EQ(Text(IDC_NC_RENDERING), v.query ? L"Error" : L"Enable");
    // The fake's three 46 x 30 caption buttons sit against the visible frame's right edge.
    EXPECT_EQ(Text(IDC_CAPTION_BUTTON_BOUNDS), v.query ? L" Error" : Bounds({width - 7 - 138, 0, width - 7, 30}));
    EXPECT_EQ(Text(IDC_EXTENDED_FRAME_BOUNDS),
              v.query ? L" Error" : Bounds({rect.left + 7, rect.top, rect.right - 7, rect.bottom - 7}));

    ASSERT_TRUE(Press(IDC_ALLOW_NC_PAINT_TRUE));
    ASSERT_TRUE(Press(IDC_REFRESH_ATTRIBUTES));
    TypeMargins({L"1", L"2", L"3", L"4"});
    for (int id : {IDC_EXTEND_FRAME_MARGINS, IDC_BLUR_FLAG_ENABLE, IDC_BLUR_FLAG_REGION, IDC_BLUR_ENABLE,
                   IDC_BLUR_SHAPE_CIRCLE, IDC_BLUR_EXEC, IDC_REGISTER_THUMBNAIL, IDC_SHOW_THUMBNAIL}) {
        ASSERT_TRUE(Press(id)) << id;
    }
    const HWND thumbnail = m_tool->WaitForTopLevel(L"DWM-Thumbnail", nullptr, 10000);
    ASSERT_NE(thumbnail, nullptr);
    // Moved by another program: the move's own handling docks the thumbnail window, before any tick.
    ASSERT_TRUE(::SetWindowPos(main, nullptr, 20, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    EXPECT_EQ(WindowRect(thumbnail).left, WindowRect(main).right - 2 * v.inset);
    EXPECT_EQ(WindowRect(thumbnail).top, 40);

    ::PostMessageW(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    const HWND about = m_tool->WaitForTopLevel(L"Velmora", main, 15000);
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(m_tool->Press(::GetDlgItem(about, IDOK)));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !::IsWindow(about); }, 10000));

    const std::wstring setter = v.setter;
    EXPECT_EQ(m_tool->LogLines(), ExpectedLog({L"", L"AllowNcPaint(TRUE)" + setter, L"",
                                               L"ExtendFrameIntoClientAreaMargins(t=1, b=2, l=3, r=4)" + setter,
                                               L"EnableBlurBehindWindow()" + std::wstring(v.blur)}));
    EXPECT_EQ(m_tool->HasModule(L"dwmapi.dll"), v.dwmLoaded);
    RECT client{};
    ::GetClientRect(thumbnail, &client);
    DWORD exitCode = 1;
    ASSERT_TRUE(m_tool->Close(15000, &exitCode));
    EXPECT_EQ(exitCode, 0u);

#if QUILLET_E2E_FAKE_DWM
    const std::vector<std::string> journal = e2e::ReadLines(m_journal);
    EXPECT_EQ(journal.empty(), !v.dwmLoaded);
    if (!v.dwmLoaded) return;
    // The calls the session caused, in order; the status strip's once-a-second queries and the
    // docking's bounds of the main dialog and of the thumbnail window are left out.
    std::string calls, handle = "?";
    for (const std::string& line : journal) {
        const auto has = [&](const std::string& text) { return line.find(text) != std::string::npos; };
        if (has("DwmIsComposition") || has("DwmGetColorization") || has(Hex(main) + " attr=9") ||
            has(Hex(thumbnail) + " attr=9")) {
            continue;
        }
        calls += line + "\n";
        // The handle is the fake's choice; it shows first in the update after the registration.
        if (has("DwmUpdateThumbnail") && handle == "?") handle = line.substr(line.find('=') + 1, 10);
    }
    const std::string t = Hex(target), get = "DwmGetWindowAttribute hwnd=";
    const auto reading = [&](const std::string& w) {
        return get + w + " attr=1 size=4\n" + get + w + " attr=5 size=16\n" + get + w + " attr=9 size=16\n";
    };
    const auto box = [](LONG left, LONG top, LONG right, LONG bottom) {
        return Format("(%ld,%ld,%ld,%ld)", left, top, right, bottom);
    };
    const LONG height = rect.bottom - rect.top;
    EXPECT_EQ(calls, reading(firstRow) + reading(t) + "DwmSetWindowAttribute hwnd=" + t + " attr=4 value=1 size=4\n" +
                         reading(t) + "DwmExtendFrameIntoClientArea hwnd=" + t + " left=3 right=4 top=1 bottom=2\n" +
                         // An elliptic region's box ends one pixel short at the right and below, as GDI makes it.
                         "DwmEnableBlurBehindWindow hwnd=" + t + " flags=0x3 enable=1 region=" +
                         box(width / 2 - 50, height / 2 - 50, width / 2 + 49, height / 2 + 49) +
                         " transitionOnMaximized=0\nDwmRegisterThumbnail destination=" + Hex(thumbnail) +
                         " source=" + t + "\n" + get + t + " attr=9 size=16\nDwmUpdateThumbnailProperties thumbnail=" +
                         handle + " flags=0x1f destination=" + box(0, 0, client.right, client.bottom) +
                         " source=" + box(7, 0, width - 7, height - 7) +
                         " opacity=255 visible=1 clientAreaOnly=0\nDwmUnregisterThumbnail thumbnail=" + handle + "\n");
#endif
}

TEST_P(Session, KeepsTheNewest200LinesOfABurstOfNotificationsInOrder) {
    Lines expected;
    for (unsigned i = 1; i <= 250; ++i) {
        ASSERT_TRUE(::PostMessageW(m_tool->MainWindow(), WM_DWMCOLORIZATIONCOLORCHANGED, i, i % 2));
        const wchar_t* format = L"WM_DWMCOLORIZATIONCOLORCHANGED recieve Color=0x%08x, opacityblend=%u";
        if (i > 50) expected.push_back(Format(format, i, i % 2));
    }
    EXPECT_TRUE(testsupport::PumpUntil([&] {
        const Lines log = m_tool->LogLines();
        return !log.empty() && log.back() == expected.back();
    }, 20000));
    EXPECT_EQ(m_tool->LogLines(), expected);
}

TEST_P(Session, RefusesEntriesThatAreNoIntegersInAMessageBoxAndGoesOn) {
    ASSERT_TRUE(Pick());
    TypeMargins({L"1", L"2", L"3", L"4"});
    ASSERT_TRUE(Press(IDC_EXTEND_FRAME_MARGINS));
    // The exchange stops at the refused entry: neither it nor the margins after it are taken.
    TypeMargins({L"abc", L"7", L"8", L"9"});
    ASSERT_TRUE(PressThroughMessageBox(IDC_EXTEND_FRAME_MARGINS));
    Type(IDC_MARGIN_TOP, L"5");
    Type(IDC_BLUR_SIZE, L"99999999999");
    ASSERT_TRUE(PressThroughMessageBox(IDC_BLUR_EXEC));
    ASSERT_TRUE(Press(IDC_ALLOW_NC_PAINT_TRUE));

    const std::wstring setter = GetParam().setter;
    const std::wstring margins = L"ExtendFrameIntoClientAreaMargins(t=1, b=2, l=3, r=4)" + setter;
    EXPECT_EQ(m_tool->LogLines(), ExpectedLog({L"", margins, margins, L"EnableBlurBehindWindow()" +
                                               std::wstring(GetParam().blur), L"AllowNcPaint(TRUE)" + setter}));
}

INSTANTIATE_TEST_SUITE_P(Versions, Session, testing::ValuesIn(kVersions),
                         [](const testing::TestParamInfo<Version>& info) { return std::string(info.param.setting); });

}  // namespace
