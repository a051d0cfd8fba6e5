// The real velmora.exe, started by the test with its output in pipes, inspecting windows that the test
// made (another process's windows, for velmora). The FakeDwm rows run against the fake DWM, whose journal
// goes to a file, the WineDwm rows against Wine's stub: CTest runs each set with its DLL. Wine tells a
// renamed copy it runs on Windows XP.
#include <windows.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <functional>
#include <map>
#include <regex>

#include "cli/Output.h"
#include "support/ChildJob.h"
#include "support/FakeDwm.h"

namespace {

const std::wstring kXpCopy = L"VelmoraXp.exe";

std::wstring ModulePath() {
    wchar_t path[MAX_PATH] = {};
    return std::wstring(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
}
std::wstring Directory() { return ModulePath().substr(0, ModulePath().find_last_of(L'\\') + 1); }
const std::wstring kJournal = Directory() + L"cli-e2e-journal.txt";

struct Result { bool finished = false; DWORD exitCode = 0; std::string out, err; };  // unfinished: killed

// Runs a program of the test's directory with stdout and stderr in pipes large enough to hold all it writes,
// read once it has ended. Meanwhile this thread's messages are dispatched, should velmora send any to the
// test's windows; `started` gets the child's process id.
Result RunProgram(const std::wstring& exe, const std::wstring& args, const std::function<void(DWORD)>& started) {
    Result r;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read[2], write[2];
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(::CreatePipe(&read[i], &write[i], &inherit, 1 << 20));
        ::SetHandleInformation(read[i], HANDLE_FLAG_INHERIT, 0);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write[0], startup.hStdError = write[1];
    std::wstring line = L"\"" + Directory() + exe + L"\" " + args;
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                         nullptr, &startup, &process)) {
        EXPECT_TRUE(testsupport::KillWithThisProcess(process.hProcess));
        ::ResumeThread(process.hThread);
        if (started) started(process.dwProcessId);
        for (const ULONGLONG deadline = ::GetTickCount64() + 20000; !r.finished && ::GetTickCount64() < deadline;) {
            r.finished = ::MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0;
            for (MSG message; ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&message);
        }
        if (!r.finished) ::TerminateProcess(process.hProcess, 99);
        ::WaitForSingleObject(process.hProcess, 5000);
        ::GetExitCodeProcess(process.hProcess, &r.exitCode);
        ::CloseHandle(process.hThread), ::CloseHandle(process.hProcess);
    }
    for (int i = 0; i < 2; ++i) {
        ::CloseHandle(write[i]);
        char buffer[4096];
        for (DWORD n = 0; ::ReadFile(read[i], buffer, sizeof buffer, &n, nullptr) && n > 0;) (i ? r.err : r.out).append(buffer, n);
        ::CloseHandle(read[i]);
    }
    return r;
}

struct Row {
    const char* args;  // {A}: window A's handle in hex, {a}: in decimal; {B} {H} {J} {D}esktop {F}oreground {pid} {exe}
    DWORD exit;
    // "text": in stdout, runs of blanks as one, "O!text": not in it; "E:text": in stderr; "/json/pointer=value";
    // "J:text": in the journal, after the previous J: match, "J!text": not in the journal.
    std::vector<std::string> expect;
    const char* env = "";  // NAME=VALUE for velmora only, or "winxp": the copy that Wine tells Windows XP
};
void PrintTo(const Row& row, std::ostream* out) { *out << row.args; }

std::string Hex(HWND window) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    return text;
}
std::string Squeezed(const std::string& text) { return "\n" + std::regex_replace(text, std::regex(" +"), " "); }
std::string ReadAll(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class VelmoraE2e : public testing::TestWithParam<Row> {
public:
    static void SetUpTestSuite() {
        const WNDCLASSW windowClass{0, ::DefWindowProcW, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"VelmoraTestClass"};
        ::RegisterClassW(&windowClass);
        struct Made { const char* key; const wchar_t* title; int x, y, width, height; DWORD visible; };
        const Made made[] = {{"{A}", L"VelmoraTarget Alpha", 100, 100, 400, 300, WS_VISIBLE},
                             {"{B}", L"VelmoraTarget Beta", 520, 100, 200, 150, WS_VISIBLE},
                             {"{H}", L"VelmoraTarget Hidden", 520, 300, 200, 150, 0},
                             {"{J}", L"日本語のタイトル 🎌", 100, 450, 300, 200, WS_VISIBLE}};
        for (const Made& m : made) {
            s_windows[m.key] = ::CreateWindowExW(0, windowClass.lpszClassName, m.title, WS_OVERLAPPEDWINDOW | m.visible,
                                                 m.x, m.y, m.width, m.height, nullptr, nullptr, nullptr, nullptr);
        }
        // What "the system" reports for them, read by velmora's fake DWM.
        for (const auto& [id, value] : {std::pair<DWORD, DWORD>{33, 2}, {38, 2}, {34, 0x00D77800}, {20, 1}, {19, 1}}) {
            testsupport::FakeDwm::SetSystemAttribute(s_windows["{A}"], id, value);
        }
        testsupport::FakeDwm::SetCloaked(s_windows["{B}"], 2);  // DWM_CLOAKED_SHELL
        ::SetEnvironmentVariableW(L"FAKE_DWM_JOURNAL", kJournal.c_str());  // for velmora: the test loads no DWM
        const std::wstring dir = Directory(), key = L"Software\\Wine\\AppDefaults\\" + kXpCopy;
        ASSERT_TRUE(::CopyFileW((dir + L"velmora.exe").c_str(), (dir + kXpCopy).c_str(), FALSE));
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Version", REG_SZ, L"winxp64", 16), ERROR_SUCCESS);
    }
    static void TearDownTestSuite() {
        for (const auto& [key, window] : s_windows) ::DestroyWindow(window);  // the watch test's suite makes its own
        ::RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Wine\\AppDefaults\\" + kXpCopy).c_str());
        ::DeleteFileW((Directory() + kXpCopy).c_str()), ::DeleteFileW(kJournal.c_str());
    }

protected:
    void SetUp() override {
        // A is the topmost of the test's windows, and the foreground window.
        ::SetWindowPos(s_windows["{A}"], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::SetForegroundWindow(s_windows["{A}"]);
        ::DeleteFileW(kJournal.c_str());
    }

    static std::string Expand(std::string text) {
        const std::wstring exe = ModulePath().substr(Directory().size());
        std::map<std::string, std::string> values{
            {"{a}", std::to_string(reinterpret_cast<UINT_PTR>(s_windows["{A}"]))},
            {"{D}", Hex(::GetDesktopWindow())}, {"{F}", Hex(::GetForegroundWindow())},
            {"{pid}", std::to_string(::GetCurrentProcessId())}, {"{exe}", std::string(exe.begin(), exe.end())}};
        for (const auto& [key, window] : s_windows) values[key] = Hex(window);
        for (const auto& [key, value] : values) {
            for (size_t at; (at = text.find(key)) != std::string::npos;) text.replace(at, key.size(), value);
        }
        return text;
    }

    static void Check(const Row& row, const Result& r) {
        ASSERT_TRUE(r.finished) << "velmora did not end; stdout: " << r.out;
        EXPECT_EQ(r.exitCode, row.exit) << "stdout:\n" << r.out << "stderr:\n" << r.err;
        if (row.exit >= 2) {
            EXPECT_EQ(r.out, "");
            const std::string hint = row.exit == 2 ? "Run 'velmora --help' for usage.\n" : "";
            EXPECT_TRUE(std::regex_match(r.err, std::regex("velmora: [^\n]+\n(  [^\n]+\n)*" + hint))) << r.err;
        } else if (std::string(row.args).find("watch") == std::string::npos) {
            EXPECT_EQ(r.err, "");
        }
        const nlohmann::json json = nlohmann::json::parse(r.out, nullptr, false);  // discarded when not JSON
        if (std::string(row.args).find("--json") != std::string::npos) { ASSERT_FALSE(json.is_discarded()) << r.out; }
        const std::string out = Squeezed(r.out), err = Squeezed(r.err), journal = ReadAll(kJournal);
        size_t journalAt = 0;  // J: lines are looked for in order
        for (const std::string& raw : row.expect) {
            const std::string e = Expand(raw);
            if (e[0] == '/') {
                const nlohmann::json& node = json.at(nlohmann::json::json_pointer(e.substr(0, e.find('='))));
                EXPECT_EQ(node.is_string() ? node.get<std::string>() : node.dump(), e.substr(e.find('=') + 1)) << e;
                continue;
            }
            const bool tagged = e.size() > 1 && (e[1] == ':' || e[1] == '!') && std::string("EJO").find(e[0]) != std::string::npos;
            const std::string& in = !tagged || e[0] == 'O' ? out : e[0] == 'E' ? err : journal;
            const size_t at = in.find(tagged ? e.substr(2) : e, e[0] == 'J' ? journalAt : 0);
            const bool found = at != std::string::npos;
            EXPECT_EQ(found, !(tagged && e[1] == '!')) << e << " in:\n" << in;
            if (e[0] == 'J' && found) journalAt = at;
        }
    }

    static Result Run(const Row& row, const std::function<void(DWORD)>& started = {}) {
        const std::wstring setting = cli::ToWide(row.env), name = setting.substr(0, setting.find(L'='));
        if (name != setting) ::SetEnvironmentVariableW(name.c_str(), setting.substr(name.size() + 1).c_str());
        const Result r = RunProgram(setting == L"winxp" ? kXpCopy : L"velmora.exe", cli::ToWide(Expand(row.args)), started);
        if (name != setting) ::SetEnvironmentVariableW(name.c_str(), nullptr);
        return r;
    }

    static inline std::map<std::string, HWND> s_windows;
};

TEST_P(VelmoraE2e, ExitStatusOutputAndDwmCalls) { Check(GetParam(), Run(GetParam())); }

const char kNoDwmLoaded[] = "J!Dwm", kUnsupported[] = "FAKE_DWM_UNSUPPORTED=33,38", kOff[] = "FAKE_DWM_COMPOSITION=0",
           kColour[] = "FAKE_DWM_COLORIZATION=0xC40078D7";
const Row kFakeDwmRows[] = {
    {"windows", 0, {"\n{A} {pid} {exe} VelmoraTestClass yes no no 100, 100, 500, 400 (400 x 300) 107, 100, 493, 393 "
                    "(386 x 293) 96 VelmoraTarget Alpha\n", "\n{B} {pid} {exe} VelmoraTestClass yes no shell ",
                    "O!VelmoraTarget Hidden"}},
    {"windows --all --fields title,cloaked,handle", 0,
     {"\ntitle cloaked handle\n", "\nVelmoraTarget Hidden no {H}\n", "\nVelmoraTarget Beta shell {B}\n"}},
    {"windows --json --fields title,handle", 0, {"{\"title\":\"日本語のタイトル 🎌\",\"handle\":\"{J}\"}"}},
    {"get {A}", 0, {"\nwindow {A} \"VelmoraTarget Alpha\"\n", "\nrect 100, 100, 500, 400 (400 x 300)\n", "\ncloaked no\n",
                    "\nextended-frame-bounds 107, 100, 493, 393 (386 x 293)\n", "\ndark-mode on\n", "\ncorner round\n",
                    "\nborder-color #0078D7\n", "\ncaption-color default\n", "\nvisible-frame-border-thickness 1\n",
                    "\nbackdrop mica\n"}},
    {"get {A} backdrop corner", 1, {"\nbackdrop error 0x80070057: not supported by this Windows (E_INVALIDARG)\n",
                                    "\ncorner error 0x80070057"}, kUnsupported},
    {"get {A} dark-mode", 0, {"\ndark-mode on\n", "J:attr=20 size=4", "J:attr=19 size=4"}, "FAKE_DWM_UNSUPPORTED=20"},
    {"get --json {A} corner border-color", 0, {"/handle={A}", "/title=VelmoraTarget Alpha", "/rect/right=500",
        "/attributes/corner/value=2", "/attributes/corner/text=round", "/attributes/border-color/value=0x00d77800"}},
    {"get {a} cloaked", 0, {"\nwindow {A} "}}, {"get --title \"targET alpha\" cloaked", 0, {"\nwindow {A} "}},
    {"get --pid {pid} --title alpha cloaked", 0, {"\nwindow {A} "}}, {"get foreground cloaked", 0, {"\nwindow {F} "}},
    {"get --class velmoratestclass --first cloaked", 0, {"\nwindow {A} "}}, {"get desktop", 0, {"\nwindow {D} "}},
    {"get --class VelmoraTestClass cloaked", 3, {"E:3 windows match --class 'VelmoraTestClass'",
        "E:\n {A} {exe} VelmoraTestClass \"VelmoraTarget Alpha\"\n", "E:\n {B} ", "E:\n {J} "}},
    {"get --process {exe} --title BETA cloaked", 0, {"\nwindow {B} ", "\ncloaked shell\n"}},
    {"get --title hidden --pid {pid}", 3, {"E:no window matches --title 'hidden' --pid '{pid}' (hidden ones: --all)"}},
    {"get --title hidden --all cloaked", 0, {"\nwindow {H} "}},
    {"get 0x7ffffff0 cloaked", 3, {"E:no window has the handle 0x7ffffff0"}},
    {"get --title 日本語 cloaked", 0, {"\nwindow {J} \"日本語のタイトル 🎌\"\n"}},
    {"get --json --title 🎌 cloaked", 0, {"/title=日本語のタイトル 🎌", "/handle={J}", "/attributes/cloaked/text=no"}},
    {"composition", 0, {"\ncomposition on\n", "\ncolorization #0078D7 alpha 196 (0xc40078d7), blended\n",
        "\nrefresh-rate 60.000 Hz (60/1)\nrefresh-period 16.667 ms\nframes-displayed 1190\nframes-dropped 10\n"}, kColour},
    {"composition --json", 0, {"/composition/enabled=true", "/colorization/rgb=#0078D7", "/colorization/alpha=196",
        "/timing/refresh-rate/numerator=60", "/timing/frames-displayed=1190"}, kColour},
    {"frob", 2, {"E:velmora: unknown command 'frob'"}}, {"get {A} nosuch", 2, {"E:'nosuch'"}},
    {"set {A} corner=small backdrop=shiny", 2, {"E:'shiny'", "J!DwmSetWindowAttribute"}},
    {"set {A} corner=small", 0, {"\ncorner: requested small, DWM OK, now small\n",
        "J:DwmSetWindowAttribute hwnd={A} attr=33 value=3 size=4"}},
    {"set {A} transitions=off nc-policy=enabled flip3d=above border-color=#FF8000", 0,
     {"\ntransitions: requested off, DWM OK, not readable\n", "\nborder-color: requested #FF8000, DWM OK, now #FF8000\n",
      "J:hwnd={A} attr=3 value=1 size=4", "J:attr=2 value=2 size=4", "J:attr=8 value=2 size=4",
      "J:attr=34 value=33023 size=4"}},
    {"set {A} cloak=on corner=small", 1, {"\ncloak: requested on, error 0x80070005: refused (E_ACCESSDENIED), not "
        "readable\ncorner: requested small, DWM OK, now small\n", "J:attr=13 value=1 size=4", "J:attr=33 value=3"}},
    {"set {A} dark-mode=on", 0, {"\ndark-mode: requested on, DWM OK, now on\n", "J:attr=20 value=1", "J:attr=19 value=1"},
     "FAKE_DWM_UNSUPPORTED=20"},
    {"set {A} corner=small --json", 0, {"/set/0/name=corner", "/set/0/id=33", "/set/0/requested=small",
                                        "/set/0/result/hresult=0x00000000", "/set/0/now/text=small"}},
    {"frame {A} 10,20,30,40", 0, {"\nframe left 10, right 20, top 30, bottom 40, DWM OK\n",
                                  "J:DwmExtendFrameIntoClientArea hwnd={A} left=10 right=20 top=30 bottom=40"}},
    {"frame {A} all", 0, {"J:left=-1 right=-1 top=-1 bottom=-1"}},
    {"frame {A} reset", 1, {"error 0x80263001: composition is off", "J:left=0 right=0 top=0 bottom=0"}, kOff},
    {"blur {A} on --circle 100", 0, {"\nblur: on, circle 150, 100, 250, 200 (100 x 100), DWM OK\n",
        "J:DwmEnableBlurBehindWindow hwnd={A} flags=0x3 enable=1 region=(150,100,249,199) transitionOnMaximized=0"}},
    {"blur {A} on --rect 100 --transition-on-maximized", 0,
     {"J:flags=0x7 enable=1 region=(150,100,250,200) transitionOnMaximized=1"}},
    {"blur {A} off", 1, {"composition is off", "J:flags=0x1 enable=0 region=none"}, kOff},
    // Below Vista: the DWM is never called.
    {"get {A} corner", 0, {"\ncorner no DWM\n", kNoDwmLoaded}, "winxp"},
    {"set {A} corner=round", 1, {"\ncorner: requested round, no DWM, now unknown (no DWM)\n", kNoDwmLoaded}, "winxp"},
    {"windows --fields handle,cloaked,frame,title", 0, {"\n{A} no DWM no DWM VelmoraTarget Alpha\n", kNoDwmLoaded}, "winxp"},
};

TEST_F(VelmoraE2e, WatchWritesTheColorizationChangeItReceives) {
    const Row row{"watch --json --count 1", 0, {"/event=colorization-changed", "/colorization/argb=0xc40078d7",
                                                "/colorization/rgb=#0078D7", "/colorization/opaque-blend=true"}};
    Check(row, Run(row, [](DWORD pid) {
              DWORD owner = 0;
              HWND watch = nullptr;  // hidden, and the only one: the two test programs do not run together
              for (int i = 0; i < 200 && owner != pid; ++i, ::Sleep(50)) {
                  watch = ::FindWindowExW(nullptr, nullptr, L"VelmoraWatch", nullptr);
                  ::GetWindowThreadProcessId(watch, &owner);
              }
              ASSERT_EQ(owner, pid);
              ::PostMessageW(watch, WM_DWMCOLORIZATIONCOLORCHANGED, 0xC40078D7, TRUE);
          }));
}
const Row kWineDwmRows[] = {
    {"get {A} corner cloaked", 1, {"\ncorner error 0x80004001: not implemented (E_NOTIMPL)\n", "\ncloaked error 0x80004001"}},
    {"windows --fields handle,cloaked,frame,title", 0, {"\n{A} ? ? VelmoraTarget Alpha\n"}},
};
INSTANTIATE_TEST_SUITE_P(FakeDwm, VelmoraE2e, testing::ValuesIn(kFakeDwmRows));
INSTANTIATE_TEST_SUITE_P(WineDwm, VelmoraE2e, testing::ValuesIn(kWineDwmRows));

}  // namespace
