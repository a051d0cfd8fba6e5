// The status strip of the running tool, read and pressed from outside: against Wine's own DWM,
// and (built with QUILLET_E2E_FAKE_DWM) against the fake DWM configured through the environment.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "QuilletProcess.h"
#include "res/resource.h"

namespace {

using e2e::QuilletProcess;
using Lines = std::vector<std::wstring>;

constexpr UINT_PTR kRefreshTimerId = 101;

// A whole file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    ::CloseHandle(file);
    return bytes;
}

std::wstring OsReadOut(const OSVERSIONINFOW& info) {
    wchar_t text[512];
    std::swprintf(text, 512, L" MajorVersion=%lu, MinorVersion=%lu, BuildNuber=%lu, PlatformId=%lu CSDVersion=%ls",
                  info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId,
                  info.szCSDVersion);
    return text;
}

OSVERSIONINFOW OwnVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
    ::GetVersionExW(&info);
    return info;
}

// The status panel: the dialog that holds the OS read-out.
HWND StatusPanel(const QuilletProcess& tool) {
    HWND readOut = tool.FindControl(IDC_OS_VERSION);
    return readOut != nullptr ? ::GetParent(readOut) : nullptr;
}

bool Tick(const QuilletProcess& tool) { return tool.SendTimer(StatusPanel(tool), kRefreshTimerId); }

#if !QUILLET_E2E_FAKE_DWM

TEST(StatusStrip, ShowsWhatWineReportsAndItsButtonsLogNothingAgainstWinesDwm) {
    QuilletProcess tool;
    ASSERT_NE(tool.MainWindow(), nullptr);
    EXPECT_EQ(tool.ControlText(IDC_OS_VERSION), OsReadOut(OwnVersion()));
    EXPECT_EQ(tool.ControlText(IDC_COMPOSITION_STATE), L"Disable");
    EXPECT_EQ(tool.ControlText(IDC_COLORIZATION), L"");

    ASSERT_TRUE(tool.Press(IDC_REFRESH_STATUS));
    ASSERT_TRUE(tool.Press(IDC_COMPOSITION_ENABLE));
    ASSERT_TRUE(tool.Press(IDC_COMPOSITION_DISABLE));
    ASSERT_TRUE(Tick(tool));
    EXPECT_EQ(tool.ControlText(IDC_COMPOSITION_STATE), L"Disable");
    EXPECT_EQ(tool.LogLines(), Lines{L"START Velmora"});
}

// Wine's per-program version setting, for the duration of one test.
class WineVersionSetting {
public:
    WineVersionSetting(std::vector<std::wstring> programs, const std::wstring& version)
        : m_programs(std::move(programs)) {
        for (const auto& program : m_programs) {
            const std::wstring key = KeyOf(program);
            m_ok = m_ok && ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Version", REG_SZ, version.c_str(),
                                             static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t))) ==
                               ERROR_SUCCESS;
        }
    }
    ~WineVersionSetting() {
        for (const auto& program : m_programs) ::RegDeleteTreeW(HKEY_CURRENT_USER, KeyOf(program).c_str());
    }
    WineVersionSetting(const WineVersionSetting&) = delete;
    WineVersionSetting& operator=(const WineVersionSetting&) = delete;
    bool ok() const { return m_ok; }

private:
    static std::wstring KeyOf(const std::wstring& program) { return L"Software\\Wine\\AppDefaults\\" + program; }
    std::vector<std::wstring> m_programs;
    bool m_ok = true;
};

// What Wine reports to a program of the given name, learnt by running the probe under it.
bool ProbeVersion(OSVERSIONINFOW& info) {
    const std::wstring output = e2e::ScratchPath(L"os-version-probe.bin");
    ::DeleteFileW(output.c_str());
    const testsupport::ChildProcess probe(L"\"" + testsupport::ThisDirectory() + L"os_version_probe.exe" + L"\" \"" + output + L"\"");
    if (!probe.Wait(30000) || probe.ExitCode() != 0) return false;
    const std::string bytes = ReadFileBytes(output);
    ::DeleteFileW(output.c_str());
    if (bytes.size() != sizeof info) return false;
    std::memcpy(&info, bytes.data(), sizeof info);
    return true;
}

TEST(StatusStrip, OsReadOutFollowsWinesVersionSettingForTheProgram) {
    // A copy of the tool under a name of its own, so that no other test's tool sees the setting.
    const std::wstring copyName = L"QuilletVersionSetting.exe";
    ASSERT_EQ(e2e::CopyTool(copyName), "");

    struct Case {
        const wchar_t* setting;
        DWORD major;
        const wchar_t* state;
        Lines logAfterRefresh;
    };
    const Case cases[] = {
        {L"winxp64", 5, L"unknown", {L"START Velmora", L"DwmIsCompositionEnabled() Error HRESULT=0xffffffff"}},
        {L"win7", 6, L"Disable", {L"START Velmora"}},
        // Wine's DWM has composition always on from Windows 8, and no colour to give.
        // The manifest declares Windows 10, so the query tells the truth instead of 6.2.
        {L"win10", 10, L"Enable", {L"START Velmora", L"GetColorizationColor() HRESUST=0x80004001"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Wine version setting " << testing::PrintToString(std::wstring(c.setting)));
        WineVersionSetting setting({copyName, L"os_version_probe.exe"}, c.setting);
        ASSERT_TRUE(setting.ok());
        OSVERSIONINFOW reported{};
        ASSERT_TRUE(ProbeVersion(reported));
        EXPECT_EQ(reported.dwMajorVersion, c.major) << "the setting or the manifest did not take";

        QuilletProcess tool({}, copyName);
        ASSERT_NE(tool.MainWindow(), nullptr);
        EXPECT_EQ(tool.ControlText(IDC_OS_VERSION), OsReadOut(reported));
        EXPECT_EQ(tool.ControlText(IDC_COMPOSITION_STATE), c.state);
        EXPECT_EQ(tool.ControlText(IDC_COLORIZATION), L"");
        ASSERT_TRUE(Tick(tool));
        EXPECT_EQ(tool.LogLines(), Lines{L"START Velmora"}) << "automatic refreshes never log";
        ASSERT_TRUE(tool.Press(IDC_REFRESH_STATUS));
        EXPECT_EQ(tool.LogLines(), c.logAfterRefresh);
        DWORD exitCode = 1;
        EXPECT_TRUE(tool.Close(15000, &exitCode));
    }
    ::DeleteFileW(e2e::ScratchPath(copyName).c_str());
}

#else  // against the fake DWM

// The fake's journal file, as lines; the file is removed when the test is over.
class JournalFile {
public:
    JournalFile() : m_path(e2e::ScratchPath(L"status-journal.txt")) { ::DeleteFileW(m_path.c_str()); }
    ~JournalFile() { ::DeleteFileW(m_path.c_str()); }
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::vector<std::string> Read() const {
        std::vector<std::string> lines;
        std::istringstream text(ReadFileBytes(m_path));
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return lines;
    }
    std::vector<std::string> SwitchCalls() const {
        std::vector<std::string> calls;
        for (const auto& line : Read()) {
            if (line.rfind("DwmEnableComposition", 0) == 0) calls.push_back(line);
        }
        return calls;
    }

private:
    std::wstring m_path;
};

TEST(StatusStripWithFakeDwm, ShowsTheConfiguredColourSplitIntoItsBytes) {
    QuilletProcess tool(e2e::Environment{{L"FAKE_DWM_COMPOSITION", L"1"}, {L"FAKE_DWM_COLORIZATION", L"0x80FF8000"},
                         {L"FAKE_DWM_OPAQUE", L"0"}});
    ASSERT_NE(tool.MainWindow(), nullptr);
    EXPECT_EQ(tool.ControlText(IDC_OS_VERSION), OsReadOut(OwnVersion()));
    EXPECT_EQ(tool.ControlText(IDC_COMPOSITION_STATE), L"Enable");
    EXPECT_EQ(tool.ControlText(IDC_COLORIZATION), L"alpha=128, R=255, G=128, B=0, opaque blend=FALSE");
    ASSERT_TRUE(tool.Press(IDC_REFRESH_STATUS));
    EXPECT_EQ(tool.ControlText(IDC_COLORIZATION), L"alpha=128, R=255, G=128, B=0, opaque blend=FALSE");
    EXPECT_EQ(tool.LogLines(), Lines{L"START Velmora"});
}

TEST(StatusStripWithFakeDwm, SwitchesReachTheDwmAndShowAtTheNextRefreshWithoutALogLine) {
    JournalFile journal;
    QuilletProcess tool(e2e::Environment{{L"FAKE_DWM_COMPOSITION", L"1"}, {L"FAKE_DWM_JOURNAL", journal.Path()}});
    ASSERT_NE(tool.MainWindow(), nullptr);
    ASSERT_EQ(tool.ControlText(IDC_COMPOSITION_STATE), L"Enable");

    ASSERT_TRUE(tool.Press(IDC_COMPOSITION_DISABLE));
    EXPECT_EQ(tool.ControlText(IDC_COMPOSITION_STATE), L"Enable") << "no refresh of its own";
    ASSERT_TRUE(Tick(tool));
    EXPECT_EQ(tool.ControlText(IDC_COMPOSITION_STATE), L"Disable");
    EXPECT_EQ(tool.ControlText(IDC_COLORIZATION), L"");

    ASSERT_TRUE(tool.Press(IDC_COMPOSITION_ENABLE));
    ASSERT_TRUE(tool.Press(IDC_REFRESH_STATUS));
    EXPECT_EQ(tool.ControlText(IDC_COMPOSITION_STATE), L"Enable");

    EXPECT_EQ(journal.SwitchCalls(),
              (std::vector<std::string>{"DwmEnableComposition action=0", "DwmEnableComposition action=1"}));
    EXPECT_EQ(tool.LogLines(), Lines{L"START Velmora"});
}

TEST(StatusStripWithFakeDwm, FailingSwitchesAreLoggedWithTheirResult) {
    JournalFile journal;
    QuilletProcess tool(e2e::Environment{{L"FAKE_DWM_FAIL", L"DwmEnableComposition=0x80004005"}, {L"FAKE_DWM_JOURNAL", journal.Path()}});
    ASSERT_NE(tool.MainWindow(), nullptr);

    ASSERT_TRUE(tool.Press(IDC_COMPOSITION_ENABLE));
    ASSERT_TRUE(tool.Press(IDC_COMPOSITION_DISABLE));
    EXPECT_EQ(tool.LogLines(), (Lines{L"START Velmora", L"CompositionEnable() HRESUST=0x80004005",
                                      L"CompositionDisable() HRESUST=0x80004005"}));
    EXPECT_EQ(journal.SwitchCalls(),
              (std::vector<std::string>{"DwmEnableComposition action=1", "DwmEnableComposition action=0"}));
    ASSERT_TRUE(Tick(tool));
    EXPECT_EQ(tool.ControlText(IDC_COMPOSITION_STATE), L"Enable") << "a failed switch changes nothing";
}

TEST(StatusStripWithFakeDwm, FailingColourQueryIsLoggedOnlyWhenTheRefreshButtonAsks) {
    QuilletProcess tool(e2e::Environment{{L"FAKE_DWM_FAIL", L"DwmGetColorizationColor=0x80070005"}});
    ASSERT_NE(tool.MainWindow(), nullptr);
    EXPECT_EQ(tool.ControlText(IDC_COMPOSITION_STATE), L"Enable");
    EXPECT_EQ(tool.ControlText(IDC_COLORIZATION), L"");
    ASSERT_TRUE(Tick(tool));
    ASSERT_TRUE(Tick(tool));
    EXPECT_EQ(tool.LogLines(), Lines{L"START Velmora"});

    ASSERT_TRUE(tool.Press(IDC_REFRESH_STATUS));
    EXPECT_EQ(tool.LogLines(), (Lines{L"START Velmora", L"GetColorizationColor() HRESUST=0x80070005"}));
    EXPECT_EQ(tool.ControlText(IDC_COLORIZATION), L"");
}

#endif

}  // namespace
