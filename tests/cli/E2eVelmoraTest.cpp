// The real velmora.exe, started by the test with its output in pipes, inspecting windows that the test
// made (another process's windows, for velmora). The FakeDwm rows run against the fake DWM, whose journal
// goes to a file, the WineDwm rows against Wine's stub: CTest runs each set with its DLL, in a Wine prefix
// of their own whose registry each row sets to the Windows version velmora is to see. Every JSON document
// a row produces is kept in bin/cli-json/ for the schema check that runs after.
#include <windows.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <thread>

#include "cli/Output.h"
#include "support/ChildJob.h"
#include "support/FakeDwm.h"
#include "support/WindowTestSupport.h"

namespace {

std::wstring ModulePath() {
    wchar_t path[MAX_PATH] = {};
    return std::wstring(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
}
std::wstring Directory() { return ModulePath().substr(0, ModulePath().find_last_of(L'\\') + 1); }
const std::wstring kJournal = Directory() + L"cli-e2e-journal.txt";
const std::wstring kReadOnly = L"Z:\\tmp\\velmora-e2e-read-only.png";  // a file capture may not replace

struct Result { bool finished = false; DWORD exitCode = 0; std::string out, err; };  // unfinished: killed

// Runs a program of the test's directory with stdout and stderr in pipes large enough to hold all it writes,
// read once it has ended. Meanwhile this thread's messages are dispatched, should velmora send any to the
// test's windows; `started` gets the child's process id.
// stdoutMode "full": a device that refuses every write for want of space; "closed": no stdout at all.
Result RunProgram(const std::wstring& exe, const std::wstring& args, const std::function<void(DWORD)>& started,
                  const std::string& stdoutMode = "") {
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
    HANDLE full = INVALID_HANDLE_VALUE;
    if (stdoutMode == "full") {
        full = ::CreateFileW(L"Z:\\dev\\full", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);
        EXPECT_NE(full, INVALID_HANDLE_VALUE);
        startup.hStdOutput = full;
    } else if (stdoutMode == "closed") {
        startup.hStdOutput = INVALID_HANDLE_VALUE;
    }
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
    if (full != INVALID_HANDLE_VALUE) ::CloseHandle(full);
    for (int i = 0; i < 2; ++i) {
        ::CloseHandle(write[i]);
        char buffer[4096];
        for (DWORD n = 0; ::ReadFile(read[i], buffer, sizeof buffer, &n, nullptr) && n > 0;) (i ? r.err : r.out).append(buffer, n);
        ::CloseHandle(read[i]);
    }
    return r;
}

struct Row {
    // {A}: window A's handle in hex, {a}: in decimal; {B} {H} {J} {W} {T} {K} {D}esktop {F}oreground, {pid}, {exe}
    // and {EXE} (upper case); {cl} {ct}: A's client area on the screen, {box100}: a 100-pixel box centred in it,
    // {rgn100} and {ellipse100}: that box as the journal shows a square and a circle region.
    const char* args;
    DWORD exit;
    // "text": in stdout, runs of blanks as one, "O!text": not in it; "R:text": in stdout as written; "E:text": in
    // stderr; "/json/pointer=value"; "J:text": in the journal, after the previous J: match, "J!text": not in it.
    std::vector<std::string> expect;
    // Blank-separated: "os=10.0.19045", the Windows velmora is told it runs on (10.0.22621 unless given);
    // "stdout=full" or "stdout=closed"; "dll=missing": no dwmapi.dll in system32; NAME=VALUE, for velmora only.
    const char* env = "";
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

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::wstring SystemDwmapi() {
    wchar_t path[MAX_PATH] = {};
    ::GetSystemDirectoryW(path, MAX_PATH);
    return std::wstring(path) + L"\\dwmapi.dll";
}

const wchar_t kVersionKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";

// What Wine reports to programs started from now on: "10.0.22621". The prefix is the tests' own.
void TellWindowsVersion(const std::string& version) {
    const size_t dot = version.rfind('.');
    const std::wstring major = cli::ToWide(version.substr(0, dot)), build = cli::ToWide(version.substr(dot + 1));
    const auto set = [](const wchar_t* name, const std::wstring& value) {
        const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kVersionKey, name, REG_SZ, value.c_str(), bytes), ERROR_SUCCESS);
    };
    set(L"CurrentVersion", major);
    set(L"CurrentBuildNumber", build);
    set(L"CurrentBuild", build);
}

// Four solid quadrants, the same whether painted or printed.
LRESULT CALLBACK PaintQuadrants(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT && message != WM_PRINTCLIENT) return ::DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint{};
    const HDC dc = message == WM_PAINT ? ::BeginPaint(window, &paint) : reinterpret_cast<HDC>(wParam);
    testsupport::FillQuadrants(window, dc, {RGB(200, 30, 60), RGB(20, 180, 90), RGB(40, 70, 220), RGB(230, 210, 10)});
    if (message == WM_PAINT) ::EndPaint(window, &paint);
    return 0;
}

class VelmoraE2e : public testing::TestWithParam<Row> {
public:
    static void SetUpTestSuite() {
        const WNDCLASSW quadrants{0, &PaintQuadrants, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"VelmoraQuadrants"};
        ::RegisterClassW(&quadrants);
        for (const wchar_t* name : {L"VelmoraTestClass", L"VelmoraWideClass", L"VelmoraEvilClass", L"VelmoraClosable", L"VelmoraCover"}) {
            const WNDCLASSW windowClass{0, ::DefWindowProcW, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, name};
            ::RegisterClassW(&windowClass);
        }
        struct Made { const char* key; const wchar_t* className; const wchar_t* title; int x, y, width, height; DWORD visible; };
        const Made made[] = {{"{A}", L"VelmoraTestClass", L"VelmoraTarget Alpha", 100, 100, 400, 300, WS_VISIBLE},
                             {"{B}", L"VelmoraTestClass", L"VelmoraTarget Beta", 520, 100, 200, 150, WS_VISIBLE},
                             {"{H}", L"VelmoraTestClass", L"VelmoraTarget Hidden", 520, 300, 200, 150, 0},
                             {"{J}", L"VelmoraWideClass", L"日本語のタイトル 🎌", 100, 450, 300, 200, WS_VISIBLE},
                             {"{W}", L"VelmoraWideClass", L"Wide 12345678901234", 420, 450, 300, 200, WS_VISIBLE},
                             // A title any program may choose: a line break, a colour sequence, quotes, a
                             // right-to-left override.
                             {"{T}", L"VelmoraEvilClass", L"Evil\nline \x1b[31mred\x1b[0m \"quoted\" \x202e" L"evil", 740,
                              450, 200, 150, WS_VISIBLE},
                             // A picture to take, its corner covered by another window, and one minimized.
                             {"{Q}", L"VelmoraQuadrants", L"Velmora Quadrants", 760, 620, 300, 200, WS_VISIBLE},
                             {"{C}", L"VelmoraCover", L"Velmora Cover", 980, 740, 150, 120, WS_VISIBLE},
                             {"{M}", L"VelmoraQuadrants", L"Velmora Minimized", 100, 700, 300, 200, WS_VISIBLE | WS_MINIMIZE}};
        for (const Made& m : made) {
            s_windows[m.key] = ::CreateWindowExW(0, m.className, m.title, WS_OVERLAPPEDWINDOW | m.visible, m.x, m.y,
                                                 m.width, m.height, nullptr, nullptr, nullptr, nullptr);
        }
        // What "the system" reports for them, read by velmora's fake DWM: only 37 and 38 are ever reported.
        testsupport::FakeDwm::SetSystemAttribute(s_windows["{A}"], 38, 2);  // DWMSBT_MAINWINDOW
        testsupport::FakeDwm::SetSystemAttribute(s_windows["{A}"], 33, 2);  // set-only: never read back
        testsupport::FakeDwm::SetSystemAttribute(s_windows["{B}"], 38, 4);  // DWMSBT_TABBEDWINDOW
        testsupport::FakeDwm::SetCloaked(s_windows["{B}"], 2);               // DWM_CLOAKED_SHELL
        ::SetEnvironmentVariableW(L"FAKE_DWM_JOURNAL", kJournal.c_str());  // for velmora: the test loads no DWM
        ::CreateDirectoryW((Directory() + L"cli-json").c_str(), nullptr);
        ::SetFileAttributesW(kReadOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
        std::ofstream(kReadOnly.c_str(), std::ios::binary) << "not a picture";
        ::SetFileAttributesW(kReadOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    static void TearDownTestSuite() {
        for (const auto& [key, window] : s_windows) ::DestroyWindow(window);  // the watch test's suite makes its own
        ::DeleteFileW(kJournal.c_str());
        ::SetFileAttributesW(kReadOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(kReadOnly.c_str());
    }

protected:
    void SetUp() override {
        // K is the window a row may have closed: there afresh for every row.
        if (!::IsWindow(s_windows["{K}"])) {
            s_windows["{K}"] = ::CreateWindowExW(0, L"VelmoraClosable", L"VelmoraTarget Closable", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                                 300, 300, 300, 200, nullptr, nullptr, nullptr, nullptr);
        }
        // A is the topmost of the test's windows, and the foreground window; the cover lies over the quadrants.
        ::SetWindowPos(s_windows["{C}"], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ::SetWindowPos(s_windows["{A}"], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::SetForegroundWindow(s_windows["{A}"]);
        ::DeleteFileW(kJournal.c_str());
    }

    static std::string Box(const RECT& r, const char* format) {
        char text[64];
        std::snprintf(text, sizeof text, format, r.left, r.top, r.right, r.bottom);
        return text;
    }

    static std::string Expand(std::string text) {
        const std::wstring exe = ModulePath().substr(Directory().size());
        std::string upper(exe.begin(), exe.end());
        std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return static_cast<char>(::toupper(c)); });
        RECT client{};
        ::GetClientRect(s_windows["{A}"], &client);
        const RECT box{client.right / 2 - 50, client.bottom / 2 - 50, client.right / 2 + 50, client.bottom / 2 + 50};
        ::MapWindowPoints(s_windows["{A}"], nullptr, reinterpret_cast<POINT*>(&client), 2);
        std::map<std::string, std::string> values{
            {"{a}", std::to_string(reinterpret_cast<UINT_PTR>(s_windows["{A}"]))},
            {"{D}", Hex(::GetDesktopWindow())}, {"{F}", Hex(::GetForegroundWindow())},
            {"{pid}", std::to_string(::GetCurrentProcessId())}, {"{exe}", std::string(exe.begin(), exe.end())},
            {"{EXE}", upper}, {"{cl}", std::to_string(client.left)}, {"{ct}", std::to_string(client.top)},
            {"{box100}", Box(box, "%ld, %ld, %ld, %ld (100 x 100)")}, {"{rgn100}", Box(box, "(%ld,%ld,%ld,%ld)")},
            {"{ellipse100}", Box(RECT{box.left, box.top, box.right - 1, box.bottom - 1}, "(%ld,%ld,%ld,%ld)")}};
        for (const auto& [key, window] : s_windows) values[key] = Hex(window);
        for (const auto& [key, value] : values) {
            for (size_t at; (at = text.find(key)) != std::string::npos;) text.replace(at, key.size(), value);
        }
        return text;
    }

    // Every JSON document, named after the schema definition it must satisfy.
    static void Keep(const Row& row, const std::string& out) {
        if (out.empty()) return;
        const std::vector<std::string> words = Words(row.args);
        const auto command = std::find_if(words.begin(), words.end(), [](const std::string& w) { return w[0] != '-'; });
        if (command == words.end()) return;
        char name[64];
        std::snprintf(name, sizeof name, "%03d-%s.json", s_kept++, *command == "watch" ? "watch-event" : command->c_str());
        std::ofstream((Directory() + L"cli-json\\" + cli::ToWide(name)).c_str(), std::ios::binary) << out;
    }

    static void Check(const Row& row, const Result& r) {
        ASSERT_TRUE(r.finished) << "velmora did not end; stdout: " << r.out;
        EXPECT_EQ(r.exitCode, row.exit) << "stdout:\n" << r.out << "stderr:\n" << r.err;
        const bool expectsErrors = std::any_of(row.expect.begin(), row.expect.end(), [](const std::string& e) { return e.rfind("E:", 0) == 0; });
        if (row.exit == 2) { EXPECT_EQ(r.out, ""); }
        if (row.exit >= 2 || expectsErrors) {
            const std::string hint = row.exit == 2 ? "Run 'velmora --help' for usage.\n" : "";
            EXPECT_TRUE(std::regex_match(r.err, std::regex("(velmora: [^\n]+\n(  [^\n]+\n)*)+" + hint))) << r.err;
        } else if (std::string(row.args).find("watch") == std::string::npos) {
            EXPECT_EQ(r.err, "");
        }
        const bool json = std::string(row.args).find("--json") != std::string::npos;
        const nlohmann::json document = nlohmann::json::parse(r.out, nullptr, false);  // discarded when not JSON
        if (json && !r.out.empty()) {
            ASSERT_FALSE(document.is_discarded()) << r.out;
            Keep(row, r.out);
        }
        const std::string out = Squeezed(r.out), err = Squeezed(r.err), journal = ReadAll(kJournal), raw = "\n" + r.out;
        size_t journalAt = 0;  // J: lines are looked for in order
        for (const std::string& raw_expectation : row.expect) {
            const std::string e = Expand(raw_expectation);
            if (e[0] == '/') {
                const auto pointer = nlohmann::json::json_pointer(e.substr(0, e.find('=')));
                ASSERT_TRUE(document.contains(pointer)) << e << " in " << r.out;
                const nlohmann::json& node = document.at(pointer);
                EXPECT_EQ(node.is_string() ? node.get<std::string>() : node.dump(), e.substr(e.find('=') + 1)) << e;
                continue;
            }
            const bool tagged = e.size() > 1 && (e[1] == ':' || e[1] == '!') && std::string("EJOR").find(e[0]) != std::string::npos;
            const std::string& in = !tagged || e[0] == 'O' ? out : e[0] == 'E' ? err : e[0] == 'R' ? raw : journal;
            const size_t at = in.find(tagged ? e.substr(2) : e, e[0] == 'J' ? journalAt : 0);
            const bool found = at != std::string::npos;
            EXPECT_EQ(found, !(tagged && e[1] == '!')) << e << " in:\n" << in;
            if (e[0] == 'J' && found) journalAt = at;
        }
    }

    static Result Run(const Row& row, const std::function<void(DWORD)>& started = {}) {
        std::string version = "10.0.22621", stdoutMode;
        std::wstring missing;
        std::vector<std::pair<std::wstring, std::optional<std::wstring>>> saved;
        for (const std::string& setting : Words(row.env)) {
            const std::string name = setting.substr(0, setting.find('=')), value = setting.substr(name.size() + 1);
            if (name == "os") {
                version = value;
            } else if (name == "stdout") {
                stdoutMode = value;
            } else if (name == "dll") {
                missing = SystemDwmapi();
                ::MoveFileExW(missing.c_str(), (missing + L".away").c_str(), MOVEFILE_REPLACE_EXISTING);
            } else {
                const std::wstring wide = cli::ToWide(name);
                wchar_t old[512];
                const DWORD length = ::GetEnvironmentVariableW(wide.c_str(), old, 512);
                saved.emplace_back(wide, length > 0 && length < 512 ? std::optional<std::wstring>(old) : std::nullopt);
                ::SetEnvironmentVariableW(wide.c_str(), cli::ToWide(value).c_str());
            }
        }
        TellWindowsVersion(version);
        const Result r = RunProgram(L"velmora.exe", cli::ToWide(Expand(row.args)), started, stdoutMode);
        if (!missing.empty()) ::MoveFileExW((missing + L".away").c_str(), missing.c_str(), MOVEFILE_REPLACE_EXISTING);
        for (const auto& [name, old] : saved) ::SetEnvironmentVariableW(name.c_str(), old ? old->c_str() : nullptr);
        return r;
    }

    static inline std::map<std::string, HWND> s_windows;
    static inline int s_kept = 0;
};

TEST_P(VelmoraE2e, ExitStatusOutputAndDwmCalls) { Check(GetParam(), Run(GetParam())); }

const char kNoDwmLoaded[] = "J!Dwm", kOff[] = "FAKE_DWM_COMPOSITION=0", kColour[] = "FAKE_DWM_COLORIZATION=0xC40078D7",
           kXp[] = "os=5.2.3790", kNoDll[] = "dll=missing", kSetOnly[] = "set-only: the DWM does not report it";
const std::string kTitleInText = "Evil\\nline \\x1b[31mred\\x1b[0m \"quoted\" \\u202eevil";
const Row kFakeDwmRows[] = {
    // The listing: default fields, filters, a window of another desktop, alignment by display columns.
    {"windows", 0, {"\n{A} {pid} {exe} VelmoraTestClass yes no no 100, 100, 500, 400 (400 x 300) 107, 100, 493, 393 "
                    "(386 x 293) 96 VelmoraTarget Alpha\n", "\n{B} {pid} {exe} VelmoraTestClass yes no shell ",
                    "O!VelmoraTarget Hidden"}},
    {"windows --all --fields title,cloaked,handle", 0,
     {"\ntitle cloaked handle\n", "\nVelmoraTarget Hidden no {H}\n", "\nVelmoraTarget Beta shell {B}\n"}},
    {"windows --json --fields title,handle", 0, {"{\"title\":\"日本語のタイトル 🎌\",\"handle\":\"{J}\"}"}},
    {"windows --class velmorawideclass --fields title,handle", 0,
     {"R:\n日本語のタイトル 🎌  {J}\n", "R:\nWide 12345678901234  {W}\n"}},
    {"windows --process {EXE} --title beta --fields handle,title", 0, {"\n{B} VelmoraTarget Beta\n", "O!{A}"}},
    {"windows --pid 99999 --fields handle", 0, {"R:\nhandle\n", "O!0x"}},
    {"--json windows --class VelmoraEvilClass --fields handle,title", 0,
     {"/0/title=Evil\nline \x1b[31mred\x1b[0m \"quoted\" \xe2\x80\xae" "evil", "/0/handle={T}"}},
    {"windows --class VelmoraEvilClass --fields handle,title", 0, {"\n{T} " + kTitleInText + "\n", "O!\x1b", "O!\xe2\x80\xae"}},
    // get on Windows 11 22H2, 21H2, 10 22H2, 7: what the DWM reports, and why not where it does not.
    {"get {A}", 0, {"\nhandle {A}\n", "\ntitle \"VelmoraTarget Alpha\"\n", "\nrect 100, 100, 500, 400 (400 x 300)\n",
                    "\ncloaked no\n", "\nextended-frame-bounds 107, 100, 493, 393 (386 x 293)\n",
                    "\ndark-mode " + std::string(kSetOnly) + "\n", "\ncorner " + std::string(kSetOnly) + "\n",
                    "\nnc-policy set-only", "\nvisible-frame-border-thickness 1\n", "\nbackdrop mica\n",
                    "J:hwnd={A} attr=33 size=4"}},
    {"get {A} corner cloaked", 1, {"\ncorner " + std::string(kSetOnly) + "\n", "\ncloaked no\n"}},
    {"get {A}", 0, {"\ncorner needs Windows 11 (build 22000); this is 10.0.19045\n", "\ndark-mode set-only",
                    "\nbackdrop needs Windows 11 22H2 (build 22621); this is 10.0.19045\n", "\ncloaked no\n"}, "os=10.0.19045"},
    {"get {A} backdrop", 1, {"\nbackdrop needs Windows 11 22H2 (build 22621); this is 10.0.22000\n"}, "os=10.0.22000"},
    {"get {A}", 0, {"\ncloaked needs Windows 8 (build 9200); this is 6.1.7601\n", "\nhas-iconic-bitmap set-only",
                    "\nvisible-frame-border-thickness needs Windows 11"}, "os=6.1.7601"},
    {"get {B} backdrop", 0, {"\nbackdrop tabbed\n"}},
    {"get --json {A} corner extended-frame-bounds backdrop", 1,
     {"/handle={A}", "/title=VelmoraTarget Alpha", "/rect/left=100", "/rect/bottom=400", "/client-rect/left={cl}",
      "/client-rect/top={ct}", "/attributes/corner/error=" + std::string(kSetOnly), "/attributes/corner/hresult=0x80070057",
      "/attributes/extended-frame-bounds/top=100", "/attributes/backdrop=mica", "/monitor/primary=true"}},
    // Choosing the window.
    {"get {a} cloaked", 0, {"\nhandle {A}\n"}}, {"get --title \"targET alpha\" cloaked", 0, {"\nhandle {A}\n"}},
    {"get --pid {pid} --title alpha cloaked", 0, {"\nhandle {A}\n"}}, {"get foreground cloaked", 0, {"\nhandle {F}\n"}},
    {"get --pid 99999 --title alpha", 3, {"E:no window matches --title \"alpha\" --pid \"99999\""}},
    {"get --class velmoratestclass --first cloaked", 0, {"\nhandle {A}\n"}}, {"get desktop cloaked", 0, {"\nhandle {D}\n"}},
    {"get --class VelmoraTestClass cloaked", 3, {"E:2 windows match --class \"VelmoraTestClass\"",
        "E:\n {A} {exe} VelmoraTestClass \"VelmoraTarget Alpha\"\n", "E:\n {B} "}},
    {"get --process {EXE} --title BETA cloaked", 0, {"\nhandle {B}\n", "\ncloaked shell\n"}},
    {"get --title hidden --pid {pid}", 3, {"E:no window matches --title \"hidden\" --pid \"{pid}\" (hidden ones: --all)"}},
    {"get --title hidden --all cloaked", 0, {"\nhandle {H}\n"}},
    {"get 0x7ffffff0 cloaked", 3, {"E:no window has the handle 0x7ffffff0"}},
    {"get 0x100010072", 2, {"E:'0x100010072'"}},
    {"get --title 日本語 cloaked", 0, {"\ntitle \"日本語のタイトル 🎌\"\n"}},
    // UTF-8 through a pipe whatever the code page (here Shift-JIS, which has these characters).
    {"windows --json --title 日本語 --fields title", 0, {"/0/title=日本語のタイトル 🎌"}, "LC_ALL=ja_JP.SJIS"},
    {"get --json --title 🎌 cloaked", 0, {"/title=日本語のタイトル 🎌", "/handle={J}", "/attributes/cloaked=no"}},
    {"get --class VelmoraEvilClass cloaked", 0, {"\ntitle \"Evil\\nline \\x1b[31mred\\x1b[0m \\\"quoted\\\" \\u202eevil\"\n"}},
    // Composition.
    {"composition", 0, {"\nos 10.0.22621\n", "\ndwm yes\n", "\ncomposition on\n",
        "\ncolorization #0078D7 alpha 196 (0xc40078d7), blended\n",
        "\nrefresh-rate 60.000 Hz (60/1)\nrefresh-period-ms 16.667\nframes-displayed 1190\nframes-dropped 10\n"}, kColour},
    {"composition --json", 0, {"/os/build=22621", "/dwm=true", "/composition=true", "/colorization/rgb=#0078D7",
        "/colorization/argb=0xc40078d7", "/colorization/alpha=196", "/timing/refresh-rate/numerator=60",
        "/timing/frames-displayed=1190"}, kColour},
    // Usage errors: no DWM call.
    {"frob", 2, {"E:velmora: unknown command 'frob'"}}, {"get {A} nosuch", 2, {"E:'nosuch'"}},
    {"set {A} corner=small backdrop=shiny", 2, {"E:'shiny'", "J!DwmSetWindowAttribute"}},
    // set: the read-back of a set-only attribute is no failure; a refusal is.
    {"set {A} corner=small", 0, {"\nhandle {A}\n", "\ncorner small DWM OK set-only: not reported\n",
        "J:DwmSetWindowAttribute hwnd={A} attr=33 value=3 size=4", "J:DwmGetWindowAttribute hwnd={A} attr=33"}},
    {"set {A} transitions=off nc-policy=enabled flip3d=above border-color=#FF8000 host-backdrop-brush=on", 0,
     {"\ntransitions off DWM OK set-only: not reported\n", "\nborder-color #FF8000 DWM OK set-only: not reported\n",
      "J:hwnd={A} attr=3 value=1 size=4", "J:attr=2 value=2 size=4", "J:attr=8 value=2 size=4",
      "J:attr=34 value=33023 size=4", "J:attr=17 value=1 size=4"}},
    {"set {A} backdrop=acrylic", 0, {"\nbackdrop acrylic DWM OK acrylic\n", "J:attr=38 value=3 size=4"}},
    {"set {A} cloak=on corner=small", 1, {"\ncloak on error 0x80070005: refused (E_ACCESSDENIED) set-only: not reported\n",
        "\ncorner small DWM OK ", "J:attr=13 value=1 size=4", "J:attr=33 value=3"}},
    {"set {A} dark-mode=on", 0, {"\ndark-mode on DWM OK set-only: not reported\n", "J:attr=20 value=1", "J:attr=19 value=1"},
     "os=10.0.18362"},
    {"set {A} corner=round", 1, {"\ncorner round needs Windows 11 (build 22000); this is 10.0.19045 "}, "os=10.0.19045"},
    {"set {A} corner=small --json", 0, {"/handle={A}", "/set/0/attribute=corner", "/set/0/requested=small",
        "/set/0/result/hresult=0x00000000", "/set/0/now/error=set-only: not reported"}},
    // frame and blur.
    {"frame {A} 10,20,30,40", 0, {"\nmargins left 10, right 20, top 30, bottom 40\n", "\nresult DWM OK\n",
        "\nextended-frame-bounds 107, 100, 493, 393 (386 x 293)\n",
        "J:DwmExtendFrameIntoClientArea hwnd={A} left=10 right=20 top=30 bottom=40"}},
    {"frame {A} 10,20,30,40 --json", 0, {"/margins/left=10", "/margins/right=20", "/margins/top=30", "/margins/bottom=40",
        "/result/hresult=0x00000000", "/extended-frame-bounds/left=107"}},
    {"frame {A} all", 0, {"J:left=-1 right=-1 top=-1 bottom=-1"}},
    {"frame {A} reset", 1, {"\nresult error 0x80263001: composition is off", "J:left=0 right=0 top=0 bottom=0"}, kOff},
    {"blur {A} on --circle 100", 0, {"\nregion circle\n", "\nregion-box {box100}\n", "\nflags enable+blur-region\n",
        "J:DwmEnableBlurBehindWindow hwnd={A} flags=0x3 enable=1 region={ellipse100} transitionOnMaximized=0"}},
    {"blur {A} on --rect 100 --transition-on-maximized --json", 0, {"/region=square", "/enable=true",
        "/flags=enable+blur-region+transition-on-maximized", "J:flags=0x7 enable=1 region={rgn100} transitionOnMaximized=1"}},
    {"blur {A} off", 1, {"composition is off", "\nregion whole-window\n", "J:flags=0x1 enable=0 region=none"}, kOff},
    // A window that closes during the command: what was done, then exit 3; nothing made up.
    {"get {K}", 3, {"E:the window {K} has closed", "O!handle"}, "FAKE_DWM_CLOSE_AT=1"},
    {"set {K} corner=small backdrop=mica", 3, {"\ncorner small DWM OK set-only: not reported\n", "O!backdrop",
        "E:the window {K} has closed"}, "FAKE_DWM_CLOSE_AT=3"},
    {"set {K} corner=small backdrop=mica --json", 3, {"/set/0/attribute=corner", "O!\"backdrop\"", "E:has closed"},
     "FAKE_DWM_CLOSE_AT=3"},
    {"set {K} corner=small", 3, {"O!corner", "E:has closed"}, "FAKE_DWM_CLOSE_AT=1"},
    {"frame {K} all", 3, {"\nresult DWM OK\n", "O!extended-frame-bounds", "E:has closed"}, "FAKE_DWM_CLOSE_AT=2"},
    {"blur {K} on --circle 50", 3, {"O!region", "E:the window {K} has closed"}, "FAKE_DWM_CLOSE_AT=1"},
    // capture: the frame bounds, not the window rectangle; a covered window by screen, print, auto.
    {"capture {Q} --json -o Z:\\tmp\\velmora-e2e-frame.png --method screen", 0, {"/area=frame", "/width=286", "/height=193",
        "/rect/left=767", "/rect/top=620", "/method=screen", "/covered-by/0/handle={C}", "/covered-by/0/title=Velmora Cover",
        "/file=Z:\\tmp\\velmora-e2e-frame.png"}},
    {"capture {Q} --area window -o Z:\\tmp\\velmora-e2e-window.png", 0, {"\nwidth 300\n", "\nheight 200\n",
        "\nfile Z:\\tmp\\velmora-e2e-window.png\n",
        "\nmethod screen\n", "\nfell-back yes\n", "\ncovered-by:\nhandle title\n{C} Velmora Cover\n"}},
    {"capture {Q} --method print -o Z:\\tmp\\velmora-e2e-print.png", 1, {"E:the window rendered nothing through PrintWindow"}},
    {"capture {M} -o Z:\\tmp\\velmora-e2e-minimized.png", 1, {"E:is minimized"}},
    {"capture {Q} -o Z:\\tmp\\no-such-folder\\q.png", 1, {"E:cannot write Z:\\tmp\\no-such-folder\\q.png: "}},
    {"capture {Q} -o Z:\\tmp\\velmora-e2e-read-only.png", 1, {"E:cannot write Z:\\tmp\\velmora-e2e-read-only.png: "}},
    {"capture {Q} --area middle", 2, {"E:--area: expected frame, window or client, got 'middle'"}},
    // Output that cannot be written.
    {"windows --json", 1, {"E:cannot write the output: "}, "stdout=full"},
    {"windows", 1, {"E:cannot write the output: "}, "stdout=closed"},
    {"get {A} cloaked", 1, {"E:cannot write the output: "}, "stdout=full"},
    // No DWM: below Vista the DWM is never called; without dwmapi.dll it means the same.
    {"get {A} corner", 0, {"\ncorner no DWM\n", kNoDwmLoaded}, kXp},
    {"set {A} corner=round", 0, {"\ncorner round no DWM no DWM\n", kNoDwmLoaded}, kXp},
    {"windows --fields handle,cloaked,frame,title", 0, {"\n{A} no DWM no DWM VelmoraTarget Alpha\n", kNoDwmLoaded}, kXp},
    {"composition --json", 0, {"/dwm=false", "/composition/error=no DWM", "/os/major=5"}, kXp},
    {"get {A} corner", 0, {"\ncorner no DWM\n"}, kNoDll},
    {"composition --json", 0, {"/dwm=false", "/composition/error=no DWM", "/composition/hresult=0x8007007e"}, kNoDll},
};

// wait, and watch of one window: the row's command, with what happens to the test's windows while it runs
// (after 300 ms, from another thread; the test's own thread dispatches their messages meanwhile), and after
// it, the windows as they were.
struct WaitCase {
    Row row;
    std::function<void()> change = {}, restore = {};
};

TEST_F(VelmoraE2e, WaitAndWatchEndWhenTheWindowDoes) {
    using testsupport::FakeDwm;
    const auto post = [](const char* key) { return [key] { ::PostMessageW(s_windows[key], WM_CLOSE, 0, 0); }; };
    const WaitCase cases[] = {
        {{"wait --title \"VelmoraTarget Alpha\" --timeout 5", 0, {"\nhandle pid process ", "\n{A} {pid} {exe} VelmoraTestClass yes "}}},
        {{"wait {A} --json --timeout 0", 0, {"/handle={A}", "/title=VelmoraTarget Alpha", "/visible=true", "/cloaked=no"}}},
        {{"wait {H} --visible --timeout 10", 0, {"\n{H} {pid} {exe} VelmoraTestClass yes no no "}},
         [] { ::ShowWindow(s_windows["{H}"], SW_SHOWNA); }, [] { ::ShowWindow(s_windows["{H}"], SW_HIDE); }},
        {{"wait {B} --visible --timeout 10", 0, {"\n{B} {pid} {exe} VelmoraTestClass yes no no "}},
         [] { FakeDwm::SetCloaked(s_windows["{B}"], 0); }, [] { FakeDwm::SetCloaked(s_windows["{B}"], 2); }},
        {{"wait --title beta --cloaked --until cloaked=shell --timeout 5", 0, {"\n{B} {pid} {exe} VelmoraTestClass yes no shell "}}},
        {{"wait {A} --until backdrop=acrylic --timeout 10", 0, {"\n{A} "}},
         [] { FakeDwm::SetSystemAttribute(s_windows["{A}"], 38, 3); }, [] { FakeDwm::SetSystemAttribute(s_windows["{A}"], 38, 2); }},
        {{"wait --title \"VelmoraTarget Closable\" --gone --timeout 10", 0, {"O!0x"}}, post("{K}")},
        {{"wait {K} --foreground --timeout 10", 3, {"E:the window {K} has closed before it was in the foreground"}}, post("{K}")},
        {{"wait {H} --visible --timeout 0.5", 4, {"E:timed out after 0.5 s waiting for the window to be visible; last seen:",
                                                  "\n{H} {pid} {exe} VelmoraTestClass no "}}},
        {{"wait --title nosuchwindow --timeout 0.2", 4, {"E:no window matched", "O!0x"}}},
        {{"wait {A} --until corner=round", 2, {"E:--until: the DWM reports no value of 'corner'"}}},
        // Ended by its window closing, well before its 30 s (a run is killed after 20).
        {{"watch {K} --interval 50 --seconds 30", 0, {" destroyed {K} "}}, post("{K}")},
    };
    for (const WaitCase& c : cases) {
        SCOPED_TRACE(c.row.args);
        SetUp();
        std::thread changer;
        const Result r = Run(c.row, [&](DWORD) {
            if (c.change) changer = std::thread([&] { ::Sleep(300), c.change(); });
        });
        if (changer.joinable()) changer.join();
        Check(c.row, r);
        if (c.restore) c.restore();
    }
}

// -o -: the PNG and nothing else on stdout, as big as the client area.
TEST_F(VelmoraE2e, CaptureToStdoutWritesThePngAlone) {
    const Row toStdout{"capture {Q} --area client -o -", 0, {}};
    const Result r = Run(toStdout);
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(r.err, "");
    ASSERT_GT(r.out.size(), 33u);
    EXPECT_EQ(r.out.substr(0, 8), "\x89PNG\r\n\x1a\n");
    const auto bigEndian = [&](size_t at) {
        return static_cast<LONG>(static_cast<unsigned char>(r.out[at]) << 24 | static_cast<unsigned char>(r.out[at + 1]) << 16 |
                                 static_cast<unsigned char>(r.out[at + 2]) << 8 | static_cast<unsigned char>(r.out[at + 3]));
    };
    RECT client{};
    ::GetClientRect(s_windows["{Q}"], &client);
    EXPECT_EQ(bigEndian(16), client.right);  // IHDR width, then height
    EXPECT_EQ(bigEndian(20), client.bottom);
}

// JSON lines of a watch, each parsed.
std::vector<nlohmann::json> JsonLines(const std::string& out) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line, nullptr, false));
    return lines;
}

// The events of one handle, in order, as "event" or "event title".
std::vector<std::string> EventsOf(const std::vector<nlohmann::json>& lines, const std::string& handle) {
    std::vector<std::string> events;
    for (const nlohmann::json& line : lines) {
        if (line.is_discarded()) { ADD_FAILURE() << "a line that is no JSON"; continue; }
        if (line.value("handle", "") != handle) continue;
        const std::string event = line["event"];
        events.push_back(event == "renamed" ? event + " " + line.value("title", "") : event);
    }
    return events;
}

// A window of its own thread goes through its life while velmora watches: created, shown, renamed, cloaked
// (through the fake, which raises the event), uncloaked, destroyed.
HWND LiveOneWindow() {
    const auto pump = [](int ms) {
        for (const ULONGLONG end = ::GetTickCount64() + ms; ::GetTickCount64() < end; ::Sleep(10)) {
            for (MSG m; ::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&m);
        }
    };
    pump(400);
    const HWND window = ::CreateWindowExW(0, L"VelmoraClosable", L"Velmora Lived", WS_OVERLAPPEDWINDOW, 600, 500, 200, 120,
                                          nullptr, nullptr, nullptr, nullptr);
    pump(300);
    ::ShowWindow(window, SW_SHOWNA);
    pump(300);
    ::SetWindowTextW(window, L"Velmora Renamed");
    pump(300);
    testsupport::FakeDwm::SetCloaked(window, 2);
    pump(300);
    testsupport::FakeDwm::SetCloaked(window, 0);
    pump(300);
    ::DestroyWindow(window);
    return window;
}

TEST_F(VelmoraE2e, WatchWindowsStreamsASnapshotThenEachChangeOnce) {
    struct Case { Row row; std::vector<std::string> expected; };
    const Case cases[] = {
        {{"watch --windows --json --class VelmoraClosable --interval 50 --seconds 2.6", 0, {}},
         {"created", "shown", "renamed Velmora Renamed", "cloaked", "uncloaked", "destroyed"}},
        {{"watch --json --events created,destroyed --title velmora --interval 50 --seconds 2.6", 0, {}}, {"created", "destroyed"}},
        {{"watch --json --title nothing-of-the-kind --interval 50 --seconds 2.6", 0, {}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row.args);
        SetUp();
        HWND lived = nullptr;
        std::thread life;
        const Result r = Run(c.row, [&](DWORD) { life = std::thread([&] { lived = LiveOneWindow(); }); });
        life.join();
        ASSERT_EQ(r.exitCode, 0u) << r.err;
        Keep(c.row, r.out);
        const std::vector<nlohmann::json> lines = JsonLines(r.out);
        EXPECT_EQ(EventsOf(lines, Hex(lived)), c.expected) << r.out;
        // The snapshot comes first and holds the windows there before: the closable one matches the first two.
        size_t snapshots = 0;
        while (snapshots < lines.size() && lines[snapshots].value("event", "") == "snapshot") ++snapshots;
        const bool snapshotOfK = std::any_of(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(snapshots),
                                             [](const nlohmann::json& l) { return l.value("handle", "") == Hex(s_windows["{K}"]); });
        EXPECT_EQ(snapshotOfK, std::string(c.row.args).find("nothing") == std::string::npos) << r.out;
        for (size_t i = snapshots; i < lines.size(); ++i) { EXPECT_NE(lines[i].value("event", ""), "snapshot") << r.out; }
    }
}

TEST_F(VelmoraE2e, WatchOneWindowPrintsEachAttributeChangeOnce) {
    const Row changes{"watch {A} --json --interval 50 --seconds 2", 0, {}};
    std::thread change;
    const Result r = Run(changes, [&](DWORD) {
        change = std::thread([] { ::Sleep(500), testsupport::FakeDwm::SetSystemAttribute(s_windows["{A}"], 38, 3); });
    });
    change.join();
    testsupport::FakeDwm::SetSystemAttribute(s_windows["{A}"], 38, 2);
    Keep(changes, r.out);
    std::vector<std::string> seen;
    for (const nlohmann::json& line : JsonLines(r.out)) {
        if (line.value("event", "") != "changed") continue;
        const nlohmann::json& c = line["change"];
        seen.push_back(c.value("name", "") + ": " + c.value("from", "") + " -> " + c.value("to", ""));
    }
    EXPECT_EQ(seen, std::vector<std::string>{"backdrop: mica -> acrylic"}) << r.out;
}

// Two notifications for --count 1: exactly one line (the document would not parse as one object otherwise).
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
              ::PostMessageW(watch, WM_DWMCOLORIZATIONCOLORCHANGED, 0xC4FF8000, FALSE);
          }));
}
// Wine's own dwmapi.dll answers every window call with E_NOTIMPL: a failure wherever it is met.
const Row kWineDwmRows[] = {
    {"get {A} corner cloaked", 1, {"\ncorner error 0x80004001: not implemented (E_NOTIMPL)\n", "\ncloaked error 0x80004001"}},
    {"windows --fields handle,cloaked,frame,title", 1, {"\n{A} ? ? VelmoraTarget Alpha\n"}},
    {"set {A} corner=round", 1, {"\ncorner round DWM OK error 0x80004001: not implemented (E_NOTIMPL)\n"}},
    {"frame {A} all", 1, {"\nresult DWM OK\n", "\nextended-frame-bounds error 0x80004001"}},
    // A DWM that cannot tell cloaking leaves --visible to the window's flag, and --cloaked never holds; both say so.
    {"wait {A} --visible --timeout 5", 0, {"\n{A} {pid} {exe} VelmoraTestClass yes no ? ",
        "E:the DWM cannot tell whether a window is cloaked (error 0x80004001: not implemented (E_NOTIMPL)); --visible looks"}},
    {"wait {A} --cloaked --timeout 0.3", 4, {"E:--cloaked cannot hold", "E:timed out after 0.3 s"}},
};
INSTANTIATE_TEST_SUITE_P(FakeDwm, VelmoraE2e, testing::ValuesIn(kFakeDwmRows));
INSTANTIATE_TEST_SUITE_P(WineDwm, VelmoraE2e, testing::ValuesIn(kWineDwmRows));

}  // namespace
