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
#include <regex>
#include <sstream>
#include <thread>

#include "FramedWindow.h"
#include "cli/Output.h"
#include "support/ChildProcess.h"
#include "support/FakeDwm.h"
#include "support/WindowTestSupport.h"

namespace {

using testsupport::Output;

std::wstring Directory() { return testsupport::ThisDirectory(); }
const std::wstring kJournal = Directory() + L"cli-e2e-journal.txt";
const std::wstring kReadOnly = L"Z:\\tmp\\velmora-e2e-read-only.png";  // a file capture may not replace

struct Result { bool finished = false; DWORD exitCode = 0; std::string out, err; };  // unfinished: killed

// 3 998 characters: longer than any buffer of a fixed size would hold.
std::string LongTitle() {
    std::string title = "VelmoraLong";
    for (int i = 0; title.size() < 3998; ++i) title += static_cast<char>('0' + i % 10);
    return title;
}
const std::string kLongTitle = LongTitle();

// The hidden window velmora watch makes for the DWM's notifications: there once it is watching.
HWND WatchWindowOf(DWORD pid) {
    DWORD owner = 0;
    HWND watch = nullptr;  // the only one: the two test programs do not run together
    for (int i = 0; i < 200 && owner != pid; ++i, ::Sleep(50)) {
        watch = ::FindWindowExW(nullptr, nullptr, L"VelmoraWatch", nullptr);
        ::GetWindowThreadProcessId(watch, &owner);
    }
    return owner == pid ? watch : nullptr;
}

// A JSON pointer into the document on stdout, and the value there: a string as it is, anything else as JSON text.
struct Pointer { std::string at, value; };

// One run of velmora and what it must show. Every text may name the test's windows and facts:
// {A}: window A's handle in hex, {a}: in decimal; {B} {H} {J} {W} {T} {K} {D}esktop {F}oreground, {pid}, {exe}
// and {EXE} (upper case); {cl} {ct}: A's client area on the screen, {box100}: a 100-pixel box centred in it,
// {rgn100} and {ellipse100}: that box as the journal shows a square and a circle region.
struct Row {
    const char* args;
    DWORD exit = 0;
    const char* schema = nullptr;           // stdout is JSON of this docs/velmora.schema.json definition, kept for its check
    std::vector<std::string> out = {};      // in stdout, with runs of blanks as one (and a line break before it)
    std::vector<std::string> notOut = {};   // not in it
    std::vector<std::string> rawOut = {};   // in stdout as written
    std::vector<std::string> err = {};      // in stderr, blanks as in out; without these and below exit 2, stderr is empty
    std::vector<Pointer> json = {};
    std::vector<std::string> journal = {};  // the fake DWM's calls, each found at or after the one before
    std::vector<std::string> notJournal = {};
    testsupport::Environment env = {};      // for velmora only
    const char* os = "10.0.22621";          // the Windows velmora is told it runs on
    Output stdoutTo = Output::Pipes;        // or Full, Closed: stdout as the child has it
    bool noDwmapi = false;                  // no dwmapi.dll in system32
    bool notes = false;                     // stderr may say more than .err (watch says how it stops)
    const char* user = "";                  // the user's settings for the run: transparency=0|1, high-contrast=FLAGS
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

// The user's settings a row may give, in the prefix's registry (HKCU) for that run only.
struct UserSetting { const char* name; const wchar_t* key; const wchar_t* value; DWORD type; };
constexpr UserSetting kUserSettings[] = {
    {"transparency", L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", L"EnableTransparency", REG_DWORD},
    {"high-contrast", L"Control Panel\\Accessibility\\HighContrast", L"Flags", REG_SZ}};

void SetUserSettings(const std::string& settings, bool set) {
    std::istringstream words(settings);
    for (std::string setting; words >> setting;) {
        const std::string name = setting.substr(0, setting.find('=')), value = setting.substr(setting.find('=') + 1);
        const auto known = std::find_if(std::begin(kUserSettings), std::end(kUserSettings), [&](const UserSetting& u) { return name == u.name; });
        ASSERT_NE(known, std::end(kUserSettings)) << name;
        if (!set) { ::RegDeleteKeyValueW(HKEY_CURRENT_USER, known->key, known->value); continue; }
        const DWORD number = std::stoul(value);
        const std::wstring text = cli::ToWide(value);
        const bool dword = known->type == REG_DWORD;
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, known->key, known->value, known->type, dword ? static_cast<const void*>(&number) : text.c_str(),
                                    dword ? sizeof number : static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))), ERROR_SUCCESS);
    }
}

// Never narrower than 250 x 150, as a window that clamps what it is given.
LRESULT CALLBACK KeepMinimumSize(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETMINMAXINFO) reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{250, 150};
    return ::DefWindowProcW(window, message, wParam, lParam);
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
        const WNDCLASSW minimum{0, &KeepMinimumSize, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"VelmoraMinimum"};
        ::RegisterClassW(&minimum);
        for (const wchar_t* name : {L"VelmoraTestClass", L"VelmoraWideClass", L"VelmoraEvilClass", L"VelmoraClosable", L"VelmoraCover",
                                      L"VelmoraLongClass", L"VelmoraWhere"}) {
            const WNDCLASSW windowClass{0, ::DefWindowProcW, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, name};
            ::RegisterClassW(&windowClass);
        }
        const std::wstring longTitle = cli::ToWide(kLongTitle);
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
                             {"{M}", L"VelmoraQuadrants", L"Velmora Minimized", 100, 700, 300, 200, WS_VISIBLE | WS_MINIMIZE},
                             {"{L}", L"VelmoraLongClass", longTitle.c_str(), 200, 200, 200, 100, 0},
                             // Where windows are: a frame of 400 x 200 (the fake's borders 7, 0, 7, 7) whose top right
                             // quarter another covers; half of one past the right edge of the 1280-pixel screen; one to
                             // move that keeps a minimum size, and one to move that is minimized.
                             {"{S}", L"VelmoraWhere", L"Velmora Shown", 800, 150, 414, 207, WS_VISIBLE},
                             {"{V}", L"VelmoraWhere", L"Velmora Over", 1000, 150, 214, 107, WS_VISIBLE},
                             {"{P}", L"VelmoraWhere", L"Velmora Partly", 1100, 870, 360, 107, WS_VISIBLE},
                             {"{X}", L"VelmoraMinimum", L"Velmora Movable", 0, 880, 300, 140, WS_VISIBLE},
                             {"{Y}", L"VelmoraWhere", L"Velmora Restorable", 400, 880, 300, 140, WS_VISIBLE | WS_MINIMIZE},
                             {"{Z}", L"VelmoraWhere", L"Velmora Transparent", 1150, 600, 100, 80, 0}};
        for (const Made& m : made) {
            s_windows[m.key] = ::CreateWindowExW(0, m.className, m.title, WS_OVERLAPPEDWINDOW | m.visible, m.x, m.y,
                                                 m.width, m.height, nullptr, nullptr, nullptr, nullptr);
        }
        // What "the system" reports for them, read by velmora's fake DWM: only 37 and 38 are ever reported.
        testsupport::FakeDwm::SetSystemAttribute(s_windows["{A}"], 38, 2);  // DWMSBT_MAINWINDOW
        testsupport::FakeDwm::SetSystemAttribute(s_windows["{A}"], 33, 2);  // set-only: never read back
        testsupport::FakeDwm::SetSystemAttribute(s_windows["{B}"], 38, 4);  // DWMSBT_TABBEDWINDOW
        testsupport::FakeDwm::SetCloaked(s_windows["{B}"], 2);               // DWM_CLOAKED_SHELL
        // Layered and fully transparent: there, and nothing of it seen.
        ::SetWindowLongPtrW(s_windows["{Z}"], GWL_EXSTYLE, ::GetWindowLongPtrW(s_windows["{Z}"], GWL_EXSTYLE) | WS_EX_LAYERED);
        ::SetLayeredWindowAttributes(s_windows["{Z}"], 0, 0, LWA_ALPHA);
        ::ShowWindow(s_windows["{Z}"], SW_SHOWNA);
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
        if (!::IsIconic(s_windows["{Y}"])) ::ShowWindow(s_windows["{Y}"], SW_SHOWMINNOACTIVE);  // a row restores it
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
        wchar_t path[MAX_PATH] = {};
        const std::wstring exe = std::wstring(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH)).substr(Directory().size());
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
    static void Keep(const char* definition, const std::string& out) {
        if (out.empty()) return;
        char name[64];
        std::snprintf(name, sizeof name, "%03d-%s.json", s_kept++, definition);
        std::ofstream((Directory() + L"cli-json\\" + cli::ToWide(name)).c_str(), std::ios::binary) << out;
    }

    static void Check(const Row& row, const Result& r) {
        ASSERT_TRUE(r.finished) << "velmora did not end; stdout: " << r.out;
        EXPECT_EQ(r.exitCode, row.exit) << "stdout:\n" << r.out << "stderr:\n" << r.err;
        if (row.exit == 2) { EXPECT_EQ(r.out, ""); }
        if (row.exit >= 2 || !row.err.empty()) {
            const std::string hint = row.exit == 2 ? "Run 'velmora --help' for usage.\n" : "";
            EXPECT_TRUE(std::regex_match(r.err, std::regex("(velmora: [^\n]+\n(  [^\n]+\n)*)+" + hint))) << r.err;
        } else if (!row.notes) {
            EXPECT_EQ(r.err, "");
        }
        const nlohmann::json document = nlohmann::json::parse(r.out, nullptr, false);  // discarded when not JSON
        if (row.schema && !r.out.empty()) {
            ASSERT_FALSE(document.is_discarded()) << r.out;
            Keep(row.schema, r.out);
        } else if (document.is_structured()) {
            ADD_FAILURE() << "a JSON document on stdout that the row gives no schema for:\n" << r.out;
        }
        const auto find = [](const std::string& in, const std::vector<std::string>& texts, bool there) {
            for (const std::string& text : texts) {
                EXPECT_EQ(in.find(Expand(text)) != std::string::npos, there)
                    << (there ? "missing: " : "unwanted: ") << Expand(text) << " in:\n" << in;
            }
        };
        const std::string out = Squeezed(r.out), journal = ReadAll(kJournal);
        find(out, row.out, true), find(out, row.notOut, false), find("\n" + r.out, row.rawOut, true);
        find(Squeezed(r.err), row.err, true), find(journal, row.notJournal, false);
        for (size_t from = 0; const std::string& call : row.journal) {
            const size_t found = journal.find(Expand(call), from);
            EXPECT_NE(found, std::string::npos) << Expand(call) << " at or after " << from << " in:\n" << journal;
            if (found != std::string::npos) from = found;
        }
        for (const auto& [at, value] : row.json) {
            const auto pointer = nlohmann::json::json_pointer(at);
            ASSERT_TRUE(document.contains(pointer)) << at << " in " << r.out;
            const nlohmann::json& node = document.at(pointer);
            EXPECT_EQ(node.is_string() ? node.get<std::string>() : node.dump(), Expand(value)) << at;
        }
    }

    // velmora's output in pipes, read once it has ended; meanwhile this thread's messages are dispatched,
    // should velmora send any to the test's windows. `started` gets its process id.
    static Result Run(const Row& row, const std::function<void(DWORD)>& started = {}) {
        const testsupport::Launch launch{.output = row.stdoutTo, .environment = row.env, .flags = CREATE_NO_WINDOW};
        const std::wstring dwmapi = SystemDwmapi();
        if (row.noDwmapi) ::MoveFileExW(dwmapi.c_str(), (dwmapi + L".away").c_str(), MOVEFILE_REPLACE_EXISTING);
        TellWindowsVersion(row.os);
        SetUserSettings(row.user, true);
        Result r;
        {
            testsupport::ChildProcess velmora(L"\"" + Directory() + L"velmora.exe\" " + cli::ToWide(Expand(row.args)), launch);
            EXPECT_TRUE(velmora.Started() && velmora.Tied()) << "velmora.exe not started, or not tied to the test";
            if (started && velmora.Started()) started(velmora.Id());
            r.finished = velmora.Wait(20000, true);
            if (!r.finished) velmora.Kill(99);
            r.exitCode = velmora.ExitCode(), r.out = velmora.Out(), r.err = velmora.Err();
        }
        SetUserSettings(row.user, false);
        if (row.noDwmapi) ::MoveFileExW((dwmapi + L".away").c_str(), dwmapi.c_str(), MOVEFILE_REPLACE_EXISTING);
        return r;
    }

    static inline std::map<std::string, HWND> s_windows;
    static inline int s_kept = 0;
};

TEST_P(VelmoraE2e, ExitStatusOutputAndDwmCalls) { Check(GetParam(), Run(GetParam())); }

const testsupport::Environment kOff{{L"FAKE_DWM_COMPOSITION", L"0"}}, kColour{{L"FAKE_DWM_COLORIZATION", L"0xC40078D7"}};
// The fake DWM closes the window that its nth window call names before answering.
testsupport::Environment ClosesAtCall(const wchar_t* n) { return {{L"FAKE_DWM_CLOSE_AT", n}}; }
const char kXp[] = "5.2.3790";
const std::string kSetOnly = "set-only: the DWM does not report it";
const std::string kTitleInText = "Evil\\nline \\x1b[31mred\\x1b[0m \"quoted\" \\u202eevil";
const Row kFakeDwmRows[] = {
    // The listing: default fields, filters, a window of another desktop, alignment by display columns.
    {.args = "windows", .out = {"\n{A} {pid} {exe} VelmoraTestClass yes no no 100, 100, 500, 400 (400 x 300) 107, 100, 493, 393 "
                                "(386 x 293) 96 VelmoraTarget Alpha\n", "\n{B} {pid} {exe} VelmoraTestClass yes no shell "},
     .notOut = {"VelmoraTarget Hidden"}},
    {.args = "windows --all --fields title,cloaked,handle",
     .out = {"\ntitle cloaked handle\n", "\nVelmoraTarget Hidden no {H}\n", "\nVelmoraTarget Beta shell {B}\n"}},
    {.args = "windows --json --fields title,handle", .schema = "windows",
     .out = {"{\"title\":\"日本語のタイトル 🎌\",\"handle\":\"{J}\"}"}},
    {.args = "windows --class velmorawideclass --fields title,handle",
     .rawOut = {"\n日本語のタイトル 🎌  {J}\n", "\nWide 12345678901234  {W}\n"}},
    {.args = "windows --process {EXE} --title beta --fields handle,title", .out = {"\n{B} VelmoraTarget Beta\n"},
     .notOut = {"{A}"}},
    {.args = "windows --pid 99999 --fields handle", .notOut = {"0x"}, .rawOut = {"\nhandle\n"}},
    {.args = "--json windows --class VelmoraEvilClass --fields handle,title", .schema = "windows",
     .json = {{"/0/title", "Evil\nline \x1b[31mred\x1b[0m \"quoted\" \xe2\x80\xae" "evil"}, {"/0/handle", "{T}"}}},
    {.args = "windows --class VelmoraEvilClass --fields handle,title", .out = {"\n{T} " + kTitleInText + "\n"},
     .notOut = {"\x1b", "\xe2\x80\xae"}},
    {.args = "windows --class VelmoraQuadrants --fields handle,minimized", .out = {"\n{M} yes\n", "\n{Q} no\n"}},
    {.args = "windows --json --title \"Velmora Minimized\" --fields minimized", .schema = "windows",
     .json = {{"/0/minimized", "true"}}},
    // A title longer than any fixed buffer, whole.
    {.args = "windows --all --class VelmoraLongClass --fields title", .out = {"\n" + kLongTitle + "\n"}},
    {.args = "windows --all --json --class VelmoraLongClass --fields title", .schema = "windows", .json = {{"/0/title", kLongTitle}}},
    // get on Windows 11 22H2, 21H2, 10 22H2, 7: what the DWM reports, and why not where it does not.
    {.args = "get {A}", .out = {"\nhandle {A}\n", "\ntitle \"VelmoraTarget Alpha\"\n", "\nrect 100, 100, 500, 400 (400 x 300)\n",
        "\ncloaked no\n", "\nextended-frame-bounds 107, 100, 493, 393 (386 x 293)\n", "\nvisible-frame-border-thickness 1\n",
        "\nbackdrop mica\n", "\nset-only (not reported): nc-policy, transitions, allow-ncpaint, ",
        ", dark-mode, corner, border-color, caption-color, text-color\n"},
     .notOut = {"\ncorner set-only", "\nnc-policy ", "newer than"}, .journal = {"hwnd={A} attr=33 size=4"}},
    {.args = "get {A} corner cloaked", .exit = 1, .out = {"\ncorner " + kSetOnly + "\n", "\ncloaked no\n"}},
    {.args = "get {A}", .out = {"\nnewer than this Windows: host-backdrop-brush (build 22000), corner (build 22000), border-color (build 22000), caption-color "
        "(build 22000), text-color (build 22000), visible-frame-border-thickness (build 22000), backdrop (build 22621)\n",
        ", dark-mode\n", "\ncloaked no\n"}, .os = "10.0.19045"},
    {.args = "get {A} backdrop", .exit = 1, .out = {"\nbackdrop needs Windows 11 22H2 (build 22621); this is 10.0.22000\n"},
     .os = "10.0.22000"},
    // Named, each keeps its line; corner is as old as this build, backdrop newer, and the DWM is asked of both.
    {.args = "get {A} backdrop corner", .exit = 1, .out = {"\nbackdrop needs Windows 11 22H2 (build 22621); this is 10.0.22000\n",
        "\ncorner " + kSetOnly + "\n"}, .journal = {"attr=38", "attr=33"}, .os = "10.0.22000"},
    {.args = "get {A}", .out = {"cloaked (build 9200)", ", has-iconic-bitmap, ", "visible-frame-border-thickness (build 22000)"},
     .os = "6.1.7601"},
    {.args = "get {B} backdrop", .out = {"\nbackdrop tabbed\n"}},
    {.args = "get --json {A} corner extended-frame-bounds backdrop", .exit = 1, .schema = "get",
     .json = {{"/handle", "{A}"}, {"/title", "VelmoraTarget Alpha"}, {"/rect/left", "100"}, {"/rect/bottom", "400"},
              {"/client-rect/left", "{cl}"}, {"/client-rect/top", "{ct}"}, {"/attributes/corner/error", kSetOnly},
              {"/attributes/corner/hresult", "0x80070057"}, {"/attributes/extended-frame-bounds/top", "100"},
              {"/attributes/backdrop", "mica"}, {"/monitor/primary", "true"}}},
    // Choosing the window.
    {.args = "get {a} cloaked", .out = {"\nhandle {A}\n"}},
    {.args = "get --title \"targET alpha\" cloaked", .out = {"\nhandle {A}\n"}},
    {.args = "get --pid {pid} --title alpha cloaked", .out = {"\nhandle {A}\n"}},
    {.args = "get foreground cloaked", .out = {"\nhandle {F}\n"}},
    {.args = "get --pid 99999 --title alpha", .exit = 3, .err = {"no window matches --title \"alpha\" --pid \"99999\""}},
    {.args = "get --class velmoratestclass --first cloaked", .out = {"\nhandle {A}\n"}},
    {.args = "get desktop cloaked", .out = {"\nhandle {D}\n"}},
    {.args = "get --class VelmoraTestClass cloaked", .exit = 3, .err = {"2 windows match --class \"VelmoraTestClass\"",
        "\n {A} {exe} VelmoraTestClass \"VelmoraTarget Alpha\"\n", "\n {B} "}},
    {.args = "get --process {EXE} --title BETA cloaked", .out = {"\nhandle {B}\n", "\ncloaked shell\n"}},
    {.args = "get --title hidden --pid {pid}", .exit = 3,
     .err = {"no window matches --title \"hidden\" --pid \"{pid}\" (hidden ones: --all)"}},
    {.args = "get --title hidden --all cloaked", .out = {"\nhandle {H}\n"}},
    {.args = "get 0x7ffffff0 cloaked", .exit = 3, .err = {"no window has the handle 0x7ffffff0"}},
    {.args = "get 0x100010072", .exit = 2, .err = {"'0x100010072'"}},
    {.args = "get --title 日本語 cloaked", .out = {"\ntitle \"日本語のタイトル 🎌\"\n"}},
    // UTF-8 through a pipe whatever the code page (here Shift-JIS, which has these characters).
    {.args = "windows --json --title 日本語 --fields title", .schema = "windows", .json = {{"/0/title", "日本語のタイトル 🎌"}},
     .env = {{L"LC_ALL", L"ja_JP.SJIS"}}},
    {.args = "windows --title 日本語 --fields title,handle", .rawOut = {"\n日本語のタイトル 🎌  {J}\n"},
     .env = {{L"LC_ALL", L"ja_JP.SJIS"}}},
    {.args = "get --json --title 🎌 cloaked", .schema = "get",
     .json = {{"/title", "日本語のタイトル 🎌"}, {"/handle", "{J}"}, {"/attributes/cloaked", "no"}}},
    {.args = "get --class VelmoraEvilClass cloaked",
     .out = {"\ntitle \"Evil\\nline \\x1b[31mred\\x1b[0m \\\"quoted\\\" \\u202eevil\"\n"}},
    // Composition.
    {.args = "composition", .out = {"\nos 10.0.22621\n", "\ndwm yes\n", "\ncomposition on\n",
        "\ncolorization #0078D7 alpha 196 (0xc40078d7), blended\n",
        "\nrefresh-rate 60.000 Hz (60/1)\nrefresh-period-ms 16.667\nframes-displayed 1190\nframes-dropped 10\n"}, .env = kColour},
    {.args = "composition --json", .schema = "composition",
     .json = {{"/os/build", "22621"}, {"/dwm", "true"}, {"/composition", "true"}, {"/colorization/rgb", "#0078D7"},
              {"/colorization/argb", "0xc40078d7"}, {"/colorization/alpha", "196"}, {"/timing/refresh-rate/numerator", "60"},
              {"/timing/frames-displayed", "1190"}}, .env = kColour},
    // Usage errors: no DWM call.
    {.args = "frob", .exit = 2, .err = {"velmora: unknown command 'frob'"}},
    {.args = "get {A} nosuch", .exit = 2, .err = {"'nosuch'"}},
    {.args = "windows -- foo", .exit = 2, .err = {"unexpected argument 'foo'"}},
    {.args = "set {A} corner=small backdrop=shiny", .exit = 2, .err = {"'shiny'"}, .notJournal = {"DwmSetWindowAttribute"}},
    // set: the read-back of a set-only attribute is no failure; a refusal is.
    {.args = "set {A} corner=small", .out = {"\nhandle {A}\n", "\ncorner small DWM OK set-only: not reported\n"},
     .journal = {"DwmSetWindowAttribute hwnd={A} attr=33 value=3 size=4", "DwmGetWindowAttribute hwnd={A} attr=33"}},
    {.args = "set {A} transitions=off nc-policy=enabled flip3d=above border-color=#FF8000 host-backdrop-brush=on",
     .out = {"\ntransitions off DWM OK set-only: not reported\n", "\nborder-color #FF8000 DWM OK set-only: not reported\n"},
     .journal = {"hwnd={A} attr=3 value=1 size=4", "attr=2 value=2 size=4", "attr=8 value=2 size=4", "attr=34 value=33023 size=4",
                 "attr=17 value=1 size=4"}},
    {.args = "set {A} backdrop=acrylic", .out = {"\nbackdrop acrylic DWM OK acrylic\n"}, .journal = {"attr=38 value=3 size=4"}},
    {.args = "set {A} cloak=on corner=small", .exit = 1, .out = {"\ncloak on error 0x80070005: refused (E_ACCESSDENIED) set-only: "
        "not reported\n", "\ncorner small DWM OK "}, .journal = {"attr=13 value=1 size=4", "attr=33 value=3"}},
    {.args = "set {A} dark-mode=on", .out = {"\ndark-mode on DWM OK set-only: not reported\n"},
     .journal = {"attr=20 value=1", "attr=19 value=1"}, .os = "10.0.18362"},
    {.args = "set {A} corner=round", .exit = 1, .out = {"\ncorner round needs Windows 11 (build 22000); this is 10.0.19045 "},
     .os = "10.0.19045"},
    {.args = "set {A} text-color=#102030", .exit = 1,
     .out = {"\nset:\nattribute requested result now\ntext-color #102030 needs Windows 11 (build 22000); this is 10.0.19045 "},
     .os = "10.0.19045"},
    {.args = "set 0x7ffffff0 corner=small", .exit = 3, .err = {"no window has the handle 0x7ffffff0"}, .notJournal = {"Dwm"}},
    {.args = "set {A} corner=small --json", .schema = "set", .json = {{"/handle", "{A}"}, {"/set/0/attribute", "corner"},
        {"/set/0/requested", "small"}, {"/set/0/result/hresult", "0x00000000"}, {"/set/0/now/error", "set-only: not reported"}}},
    // frame and blur.
    {.args = "frame {A} 10,20,30,40", .out = {"\nmargins left 10, right 20, top 30, bottom 40\n", "\nresult DWM OK\n",
        "\nextended-frame-bounds 107, 100, 493, 393 (386 x 293)\n"},
     .journal = {"DwmExtendFrameIntoClientArea hwnd={A} left=10 right=20 top=30 bottom=40"}},
    {.args = "frame {A} 10,20,30,40 --json", .schema = "frame", .json = {{"/margins/left", "10"}, {"/margins/right", "20"},
        {"/margins/top", "30"}, {"/margins/bottom", "40"}, {"/result/hresult", "0x00000000"},
        {"/extended-frame-bounds/left", "107"}}},
    {.args = "frame {A} all", .journal = {"left=-1 right=-1 top=-1 bottom=-1"}},
    {.args = "frame {A} reset", .exit = 1, .out = {"\nresult error 0x80263001: composition is off"},
     .journal = {"left=0 right=0 top=0 bottom=0"}, .env = kOff},
    {.args = "blur {A} on --circle 100", .out = {"\nregion circle\n", "\nregion-box {box100}\n", "\nflags enable+blur-region\n"},
     .journal = {"DwmEnableBlurBehindWindow hwnd={A} flags=0x3 enable=1 region={ellipse100} transitionOnMaximized=0"}},
    {.args = "blur {A} on --rect 100 --transition-on-maximized --json", .schema = "blur", .json = {{"/region", "square"},
        {"/enable", "true"}, {"/flags", "enable+blur-region+transition-on-maximized"}},
     .journal = {"flags=0x7 enable=1 region={rgn100} transitionOnMaximized=1"}},
    {.args = "blur {A} off", .exit = 1, .out = {"composition is off", "\nregion whole-window\n"},
     .journal = {"flags=0x1 enable=0 region=none"}, .env = kOff},
    // A window that closes during the command: what was done, then exit 3; nothing made up.
    {.args = "get {K}", .exit = 3, .notOut = {"handle"}, .err = {"the window {K} has closed"}, .env = ClosesAtCall(L"1")},
    {.args = "set {K} corner=small backdrop=mica", .exit = 3, .out = {"\ncorner small DWM OK set-only: not reported\n"},
     .notOut = {"backdrop"}, .err = {"the window {K} has closed"}, .env = ClosesAtCall(L"3")},
    {.args = "set {K} corner=small backdrop=mica --json", .exit = 3, .schema = "set", .notOut = {"\"backdrop\""},
     .err = {"has closed"}, .json = {{"/set/0/attribute", "corner"}}, .env = ClosesAtCall(L"3")},
    {.args = "set {K} corner=small", .exit = 3, .notOut = {"corner"}, .err = {"has closed"}, .env = ClosesAtCall(L"1")},
    {.args = "frame {K} all", .exit = 3, .out = {"\nresult DWM OK\n"}, .notOut = {"extended-frame-bounds"}, .err = {"has closed"},
     .env = ClosesAtCall(L"2")},
    {.args = "blur {K} on --circle 50", .exit = 3, .notOut = {"region"}, .err = {"the window {K} has closed"},
     .env = ClosesAtCall(L"1")},
    // capture: the frame bounds, not the window rectangle; a covered window by screen, print, auto.
    {.args = "capture {Q} --json -o Z:\\tmp\\velmora-e2e-frame.png --method screen", .schema = "capture",
     .json = {{"/area", "frame"}, {"/width", "286"}, {"/height", "193"}, {"/rect/left", "767"}, {"/rect/top", "620"},
              {"/method", "screen"}, {"/covered-by/0/handle", "{C}"}, {"/covered-by/0/title", "Velmora Cover"},
              {"/file", "Z:\\tmp\\velmora-e2e-frame.png"}}},
    {.args = "capture {Q} --area window -o Z:\\tmp\\velmora-e2e-window.png", .out = {"\nwidth 300\n", "\nheight 200\n",
        "\nfile Z:\\tmp\\velmora-e2e-window.png\n", "\nmethod screen\n", "\nfell-back yes\n",
        "\ncovered-by:\nhandle title\n{C} Velmora Cover\n"}},
    {.args = "capture {Q} --method print -o Z:\\tmp\\velmora-e2e-print.png", .exit = 1,
     .err = {"the window rendered nothing through PrintWindow"}},
    {.args = "capture {M} -o Z:\\tmp\\velmora-e2e-minimized.png", .exit = 1, .err = {"is minimized"}},
    {.args = "capture {Q} -o Z:\\tmp\\no-such-folder\\q.png", .exit = 1, .err = {"cannot write Z:\\tmp\\no-such-folder\\q.png: "}},
    {.args = "capture {Q} -o Z:\\tmp\\velmora-e2e-read-only.png", .exit = 1,
     .err = {"cannot write Z:\\tmp\\velmora-e2e-read-only.png: "}},
    {.args = "capture {Q} --area middle", .exit = 2, .err = {"--area: expected frame, window or client, got 'middle'"}},
    {.args = "capture {Q} --matte -o Z:\\tmp\\velmora-e2e-matte.png", .exit = 1,
     .err = {"the window {Q} is covered by {C} \"Velmora Cover\": the backdrop would not show through it"}},
    {.args = "look {M}", .exit = 1, .err = {"the window {M} is minimized"}},
    // Output that cannot be written.
    {.args = "windows --json", .exit = 1, .schema = "windows", .err = {"cannot write the output: "}, .stdoutTo = Output::Full},
    {.args = "windows", .exit = 1, .err = {"cannot write the output: "}, .stdoutTo = Output::Closed},
    {.args = "get {A} cloaked", .exit = 1, .err = {"cannot write the output: "}, .stdoutTo = Output::Full},
    {.args = "watch --windows --class VelmoraTestClass --seconds 1", .exit = 1, .err = {"cannot write the output: "},
     .stdoutTo = Output::Full},
    // No DWM: below Vista the DWM is never called; without dwmapi.dll it means the same.
    {.args = "get {A} corner", .out = {"\ncorner no DWM\n"}, .notJournal = {"Dwm"}, .os = kXp},
    {.args = "set {A} corner=round", .out = {"\ncorner round no DWM no DWM\n"}, .notJournal = {"Dwm"}, .os = kXp},
    {.args = "windows --fields handle,cloaked,frame,title", .out = {"\n{A} no DWM no DWM VelmoraTarget Alpha\n"},
     .notJournal = {"Dwm"}, .os = kXp},
    {.args = "composition --json", .schema = "composition", .json = {{"/dwm", "false"}, {"/composition/error", "no DWM"},
        {"/os/major", "5"}}, .os = kXp},
    {.args = "get {A} corner", .out = {"\ncorner no DWM\n"}, .noDwmapi = true},
    {.args = "composition --json", .schema = "composition", .json = {{"/dwm", "false"}, {"/composition/error", "no DWM"},
        {"/composition/hresult", "0x8007007e"}}, .noDwmapi = true},
    // Where a window is and who sees it. What Wine has no service for reads unknown, with why.
    {.args = "monitors", .out = {"\nnumber name rect work dpi scale primary refresh-hz bits\n", "\n1 \\\\.\\DISPLAY1 0, 0, 1280, "
        "1024 (1280 x 1024) 0, 0, 1280, 1024 (1280 x 1024) 96 100 % yes ? 32\n"}},
    {.args = "monitors --json", .schema = "monitors", .json = {{"/0/number", "1"}, {"/0/rect/right", "1280"}, {"/0/scale", "100.0"},
        {"/0/primary", "true"}, {"/0/refresh-hz", "null"}}},
    {.args = "explain {S}", .out = {"\nverdict partly seen\n", "\ncovered 25 % of its frame lies under 1 window above it\n",
        "\nframe 807, 150, 1207, 350 (400 x 200)\n", "\nframe-from dwm\n", "\ninsets left 7, right 7, top 0, bottom 7\n",
        "\non-monitors 100 %\n", "\ncovered 25 %\n", "\nshown 75 %\n", "\n{V} {exe} 25 % Velmora Over\n", "\ncloaked no\n",
        "\naffinity unknown: the system keeps no display affinity (it answers for a window that does not exist)\n"},
     .notOut = {"\nbackdrop shows", "\ndesktop "}},
    {.args = "explain {S} --json", .schema = "explain", .json = {{"/verdict", "partly seen"}, {"/reasons/0/reason", "covered"},
        {"/covered", "25.0"}, {"/shown", "75.0"}, {"/covered-by/0/handle", "{V}"}, {"/covered-by/0/share", "25.0"},
        {"/insets/right", "7"}, {"/insets/bottom", "7"}, {"/affinity", "null"}, {"/alpha", "255"}}},
    {.args = "explain {S}", .out = {"\nframe 801, 152, 1211, 353 (410 x 201)\n", "\ninsets left 1, right 3, top 2, bottom 4\n"},
     .env = {{L"FAKE_DWM_FRAME_INSET", L"1,2,3,4"}}},
    {.args = "explain {P}", .out = {"\nverdict partly seen\n", "\noff-screen 50 % of its frame lies on no monitor\n",
        "\non-monitors 50 %\n", "\nmonitors:\nnumber name share\n1 \\\\.\\DISPLAY1 50 %\n"}},
    {.args = "explain {P} --json", .schema = "explain", .json = {{"/on-monitors", "50.0"}, {"/monitors/0/number", "1"},
        {"/monitors/0/share", "50.0"}, {"/reasons/0/reason", "off-screen"}, {"/shown", "50.0"}, {"/verdict", "partly seen"}}},
    {.args = "move {X} 30 700 300 200 --monitor 1 --json", .schema = "move", .json = {{"/monitor", "1"}, {"/frame/left", "30"},
        {"/requested/bottom", "900"}}},
    {.args = "explain {M}", .out = {"\nverdict not seen\n", "\nminimized it is minimized\n", "\nshown 0 %\n"}},
    {.args = "explain {Z}", .out = {"\nverdict not seen\n", "\ntransparent layered with alpha 0\n", "\nlayered yes\n",
        "\nalpha 0\n"}},
    {.args = "explain {H}", .out = {"\nverdict not seen\n", "\nhidden its visibility flag (WS_VISIBLE) is off\n"}},
    {.args = "explain {B}", .out = {"\nverdict not seen\n", "\ncloaked shell\n", "\ncloaked cloaked by shell (its virtual desktop "
        "is unknown: the system has no virtual desktop service (class not registered))\n",
        "\ndesktop unknown: the system has no virtual desktop service (class not registered)\n"}},
    {.args = "explain {B} --json", .schema = "explain", .json = {{"/cloaked", "shell"}, {"/desktop", "null"}, {"/current-desktop", "null"},
        {"/reasons/0/reason", "cloaked"}, {"/shown", "0.0"}}},
    // The backdrop A asks for: the build, the user's settings, energy saver (unknown under Wine), A active.
    {.args = "explain {A} --json", .schema = "explain", .json = {{"/verdict", "seen"}, {"/backdrop/asked", "mica"},
        {"/backdrop/shows", "false"}, {"/backdrop/checks/0/check", "build"}, {"/backdrop/checks/0/blocks", "false"},
        {"/backdrop/checks/1/finding", "false"}, {"/backdrop/checks/1/blocks", "true"}, {"/backdrop/checks/2/finding", "null"},
        {"/backdrop/checks/3/finding", "true"}, {"/backdrop/checks/3/blocks", "true"}, {"/backdrop/checks/4/finding", "true"},
        {"/backdrop/checks/5/blocks", "false"}}, .user = "transparency=0 high-contrast=127"},
    {.args = "explain {J} --backdrop", .out = {"\nbackdrop asked auto\n", "\nbackdrop shows no\n", "\ntransparency-effects on no\n",
        "\nhigh-contrast off no\n", "\nactive no yes\n", "\nenergy-saver unknown: the system reports no effective power mode"},
     .user = "transparency=1 high-contrast=126"},
    {.args = "explain {A} --backdrop", .out = {"\nbackdrop asked needs Windows 11 22H2 (build 22621); this is 10.0.22000\n",
        "\nbuild 10.0.22000 yes\n"}, .os = "10.0.22000"},
    {.args = "explain {K}", .exit = 3, .notOut = {"verdict"}, .err = {"the window {K} has closed"}, .env = ClosesAtCall(L"1")},
    {.args = "windows --title \"Velmora Shown\"", .out = {"\nhandle pid process class visible minimized cloaked rect frame dpi title\n"}},
    {.args = "windows --title \"Velmora Shown\" --fields handle,shown,affinity,desktop", .out = {"\n{S} 75 % ? ?\n"}},
    {.args = "windows --json --title \"Velmora Shown\" --fields shown,affinity,desktop", .schema = "windows",
     .json = {{"/0/shown", "75.0"}, {"/0/affinity", "null"}, {"/0/desktop", "null"}}},
    {.args = "wait {S} --shown 75 --timeout 2", .out = {"\n{S} {pid} {exe} VelmoraWhere yes no no "}},
    {.args = "wait {S} --shown 75.1 --timeout 0.3", .exit = 4, .err = {"timed out after 0.3 s waiting for the window to be 75.1 % shown"}},
    // move: the visible frame where asked (the fake's borders around it), the rectangle, a size clamped, a window restored.
    {.args = "move {X} 200 700 300 200", .out = {"\nby frame\n", "\nrequested 200, 700, 500, 900 (300 x 200)\n",
        "\nframe 200, 700, 500, 900 (300 x 200)\n", "\nrect 193, 700, 507, 907 (314 x 207)\n"}, .notOut = {"difference"}},
    {.args = "move {X} 10 700 320 240 --by window --json", .schema = "move", .json = {{"/by", "window"}, {"/rect/left", "10"},
        {"/rect/bottom", "940"}, {"/frame/left", "17"}, {"/frame/bottom", "933"}, {"/frame-from", "dwm"}}},
    {.args = "move {X} 50 720 100 80", .exit = 1, .out = {"\nframe 50, 720, 286, 863 (236 x 143)\n", "\ndifference width 136\n",
        "\ndifference height 63\n"}, .err = {"its frame is 236 x 143 at 50, 720 where 100 x 80 at 50, 720 was asked: the window "
        "refused or clamped it"}},
    {.args = "move {Y} 400 760 200 120 --json", .schema = "move", .json = {{"/restored-from", "minimized"}, {"/frame/left", "400"},
        {"/frame/right", "600"}, {"/rect/bottom", "887"}}},
    {.args = "move {X} 1 2 --monitor 2", .exit = 1, .err = {"--monitor 2: there is 1 monitor ('velmora monitors' lists them)"}},
    {.args = "move {X} 1", .exit = 2, .err = {"expected a position and maybe a size"}},
    // doctor: what fails window tests names itself.
    {.args = "doctor", .out = {"\nverdict window tests can work here\n", "\nsession console, session ", "\ninput-desktop yes ok\n",
        "\nmonitor 1 1280 x 1024 ok\n", "\ncomposition on ok\n", "\nscreen readable ok\n", "\nsystem-dpi 96 (100 %) ok\n",
        "\nenergy-saver unknown: the system reports no effective power mode"}},
    {.args = "doctor --json", .exit = 1, .schema = "doctor", .err = {"window tests will fail here: composition"},
     .json = {{"/verdict", "window tests will fail here"}, {"/checks/3/check", "composition"}, {"/checks/3/finding", "false"},
              {"/checks/3/verdict", "fail"}}, .env = kOff},
    {.args = "doctor", .exit = 1, .out = {"\ntransparency-effects off warn\n", "\nhigh-contrast on fail\n"},
     .err = {"window tests will fail here: high-contrast"}, .user = "transparency=0 high-contrast=127"},
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
        {{.args = "wait --title \"VelmoraTarget Alpha\" --timeout 5",
          .out = {"\nhandle pid process ", "\n{A} {pid} {exe} VelmoraTestClass yes "}}},
        {{.args = "wait {A} --json --timeout 0", .schema = "wait",
          .json = {{"/handle", "{A}"}, {"/title", "VelmoraTarget Alpha"}, {"/visible", "true"}, {"/cloaked", "no"}}}},
        {{.args = "wait {H} --visible --timeout 10", .out = {"\n{H} {pid} {exe} VelmoraTestClass yes no no "}},
         [] { ::ShowWindow(s_windows["{H}"], SW_SHOWNA); }, [] { ::ShowWindow(s_windows["{H}"], SW_HIDE); }},
        {{.args = "wait {B} --visible --timeout 10", .out = {"\n{B} {pid} {exe} VelmoraTestClass yes no no "}},
         [] { FakeDwm::SetCloaked(s_windows["{B}"], 0); }, [] { FakeDwm::SetCloaked(s_windows["{B}"], 2); }},
        {{.args = "wait --title beta --cloaked --until cloaked=shell --timeout 5",
          .out = {"\n{B} {pid} {exe} VelmoraTestClass yes no shell "}}},
        {{.args = "wait {A} --until backdrop=acrylic --timeout 10", .out = {"\n{A} "}},
         [] { FakeDwm::SetSystemAttribute(s_windows["{A}"], 38, 3); }, [] { FakeDwm::SetSystemAttribute(s_windows["{A}"], 38, 2); }},
        {{.args = "wait --title \"VelmoraTarget Closable\" --gone --timeout 10", .notOut = {"0x"}}, post("{K}")},
        // K closes as velmora first asks the DWM about it: after velmora has found it, whatever the load.
        {{.args = "wait {K} --cloaked --timeout 10", .exit = 3, .err = {"the window {K} has closed before it was cloaked"},
          .env = ClosesAtCall(L"1")}},
        {{.args = "wait {A} --gone --timeout 0.3", .exit = 4, .out = {"\n{A} {pid} {exe} VelmoraTestClass yes "},
          .err = {"timed out after 0.3 s waiting for the window to be gone; last seen:"}}},
        {{.args = "wait {H} --visible --timeout 0.5", .exit = 4, .out = {"\n{H} {pid} {exe} VelmoraTestClass no "},
          .err = {"timed out after 0.5 s waiting for the window to be visible; last seen:"}}},
        {{.args = "wait --title nosuchwindow --timeout 0.2", .exit = 4, .notOut = {"0x"}, .err = {"no window matched"}}},
        {{.args = "wait {A} --until corner=round", .exit = 2, .err = {"--until: the DWM reports no value of 'corner'"}}},
        // Shown whole once the window over it moves away.
        {{.args = "wait {S} --shown 100 --interval 50 --timeout 10", .out = {"\n{S} {pid} {exe} VelmoraWhere yes no no "}},
         [] { ::SetWindowPos(s_windows["{V}"], nullptr, 1000, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); },
         [] { ::SetWindowPos(s_windows["{V}"], nullptr, 1000, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); }},
        // A cloaked window covers nothing.
        {{.args = "wait {S} --shown 100 --interval 50 --timeout 10", .out = {"\n{S} "}},
         [] { FakeDwm::SetCloaked(s_windows["{V}"], 2); }, [] { FakeDwm::SetCloaked(s_windows["{V}"], 0); }},
        // Ended by its window closing, well before its 30 s (a run is killed after 20): as velmora reads its
        // attributes once watching, or as it reads it for the snapshot, when there is nothing to watch.
        {{.args = "watch {K} --interval 50 --seconds 30", .out = {" destroyed {K} "}, .env = ClosesAtCall(L"2")}},
        {{.args = "watch {K} --interval 50 --seconds 30", .exit = 3, .notOut = {"{K}"}, .err = {"the window {K} has closed"},
          .env = ClosesAtCall(L"1")}},
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
    const Row toStdout{.args = "capture {Q} --area client -o -"};
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

// Windows that draw what the DWM would (FramedWindow.h), one made for each case and raised above the others,
// for look, set --verify and --nudge, and capture --matte. Whatever the ending, the window is where it was, on
// top, the foreground unchanged, and no backdrop is left.
TEST_F(VelmoraE2e, LookAndVerifyWhatWindowsDrewOfTheirFrame) {
    using testsupport::Redraws;
    const std::vector<std::pair<Redraws, Row>> cases = {
        {Redraws::WhenSet, {.args = "look {L}", .out = {"\ncorners top-left 8\n", "\ncorner round\ncaption color #F3F3F3\n"
            "caption text #000000\ncaption dark-mode off\nshadow left 0, right 0, top 0, bottom 0\ninsets left 7, right 7, top 0, "
            "bottom 7\n", "\nleft #707070 1\ntop #707070 1\n"}}},
        {Redraws::WhenSet, {.args = "look {L} --json --expect corner=round --expect dark-mode=off --expect shadow=off",
            .schema = "look", .json = {{"/corner", "round"}, {"/corners/top-right", "8"}, {"/border/2/color", "#707070"},
            {"/caption/text", "#000000"}, {"/expect/0/holds", "true"}, {"/expect/1/holds", "true"}, {"/expect/2/holds", "true"}}}},
        {Redraws::WhenSet, {.args = "look {L} --expect corner=square --expect caption-color=#F3F3F3", .exit = 1,
            .out = {"\ncorner square round (radius 8) no\n", "\ncaption-color #F3F3F3 caption #F3F3F3 yes\n"},
            .err = {"corner: seen round (radius 8), expected square"}}},
        {Redraws::WhenSet, {.args = "set {L} corner=small border-color=#00C000 caption-color=#204080 text-color=#FFC000 "
            "dark-mode=on --verify", .out = {"\ncorner small DWM OK painted: small (radius 4)\n",
            "\nborder-color #00C000 DWM OK painted: border #00C000\n", "\ncaption-color #204080 DWM OK painted: caption #204080\n",
            "\ntext-color #FFC000 DWM OK painted: text #FFC000\n", "\ndark-mode on DWM OK painted: dark caption #204080\n"}}},
        {Redraws::WhenSet, {.args = "set {L} corner=square caption-color=default --verify --json", .schema = "set",
            .json = {{"/set/0/now/painted", "true"}, {"/set/0/now/seen", "square (radius 0)"},
                     {"/set/1/now/error", "set-only: not reported"}}}},
        {Redraws::AfterFrameChange, {.args = "set {L} corner=square caption-color=#204080 --verify", .exit = 1,
            .out = {"\ncorner square DWM OK not painted: round (radius 8), asked square\n",
                    "\ncaption-color #204080 DWM OK not painted: caption #F3F3F3, asked #204080\n"}}},
        {Redraws::AfterFrameChange, {.args = "set {L} corner=square --verify --nudge",
            .out = {"\ncorner square DWM OK painted after frame-change: square (radius 0)\n"}}},
        {Redraws::Never, {.args = "set {L} corner=small --verify --nudge", .exit = 1,
            .out = {"\ncorner small DWM OK not painted: round (radius 8), asked small\n"}}},
        {Redraws::WhenSet, {.args = "capture {L} --matte --area window --margin 10 --json -o Z:\\tmp\\velmora-e2e-matte.png",
            .schema = "capture", .json = {{"/matte", "true"}, {"/margin", "10"}, {"/width", "380"}, {"/height", "280"}}}},
        // The fake's second call on the window comes after the screen was taken twice, the backdrop still up.
        {Redraws::WhenSet, {.args = "look {L}", .exit = 3, .err = {"the window {L} has closed"}, .env = {{L"FAKE_DWM_CLOSE_AT", L"2"}}}},
        {Redraws::WhenSet, {.args = "look {L}", .exit = 130, .err = {"interrupted by Ctrl+C"}, .env = {{L"FAKE_DWM_INTERRUPT_AT", L"2"}}}},
    };
    for (const auto& [redraws, row] : cases) {
        SCOPED_TRACE(row.args);
        SetUp();
        const HWND framed = s_windows["{L}"] = testsupport::CreateFramedWindow(L"Velmora Framed", 860, 50, redraws);
        ::SetWindowPos(framed, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        const HDC screen = ::GetDC(nullptr);  // its caption on the screen, Windows 11's light one
        ASSERT_TRUE(testsupport::PumpUntil([&] { return ::GetPixel(screen, 880, 60) == RGB(243, 243, 243); }, 5000));
        ::ReleaseDC(nullptr, screen);
        RECT before{}, after{};
        ::GetWindowRect(framed, &before);
        Check(row, Run(row));
        EXPECT_EQ(::FindWindowW(L"VelmoraMatte", nullptr), nullptr);
        EXPECT_EQ(::GetForegroundWindow(), s_windows["{A}"]);
        if (::GetWindowRect(framed, &after)) {
            EXPECT_TRUE(::EqualRect(&before, &after) && ::GetWindow(framed, GW_HWNDPREV) == nullptr);
        }
        ::DestroyWindow(framed);
    }
    s_windows.erase("{L}");
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
        if (line.value("handle", "") != handle || line["event"] == "moved") continue;  // how many is the system's
        const std::string event = line["event"];
        events.push_back(event == "renamed" ? event + " " + line.value("title", "") : event);
    }
    return events;
}

// A window of its own thread goes through its life once velmora watches: created, shown, renamed, cloaked
// (through the fake, which raises the event), uncloaked, minimized, restored, hidden and destroyed, each long
// enough to be seen. (DestroyWindow hides a visible window first: a watch may see it hidden in between.)
HWND LiveOneWindow(DWORD velmora) {
    const auto pump = [](int ms) {
        for (const ULONGLONG end = ::GetTickCount64() + ms; ::GetTickCount64() < end; ::Sleep(10)) {
            for (MSG m; ::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&m);
        }
    };
    EXPECT_TRUE(WatchWindowOf(velmora));
    const HWND window = ::CreateWindowExW(0, L"VelmoraClosable", L"Velmora Lived", WS_OVERLAPPEDWINDOW, 600, 500, 200, 120,
                                          nullptr, nullptr, nullptr, nullptr);
    const std::function<void()> life[] = {
        [&] { ::ShowWindow(window, SW_SHOWNA); }, [&] { ::SetWindowTextW(window, L"Velmora Renamed"); },
        [&] { testsupport::FakeDwm::SetCloaked(window, 2); }, [&] { testsupport::FakeDwm::SetCloaked(window, 0); },
        [&] { ::ShowWindow(window, SW_SHOWMINNOACTIVE); }, [&] { ::ShowWindow(window, SW_SHOWNOACTIVATE); },
        [&] { ::ShowWindow(window, SW_HIDE); }, [&] { ::DestroyWindow(window); }};
    for (const auto& step : life) pump(300), step();
    return window;
}

TEST_F(VelmoraE2e, WatchWindowsStreamsASnapshotThenEachChangeOnce) {
    // The window's events in order; whether the closable window, there before, matches and is in the snapshot.
    struct Case { Row row; std::vector<std::string> events; bool snapshotOfK; };
    const Case cases[] = {
        {{.args = "watch --windows --json --class VelmoraClosable --interval 50 --seconds 4"},
         {"created", "shown", "renamed Velmora Renamed", "cloaked", "uncloaked", "minimized", "restored", "hidden", "destroyed"},
         true},
        {{.args = "watch --json --events created,destroyed --title velmora --interval 50 --seconds 4"},
         {"created", "destroyed"}, true},
        {{.args = "watch --json --title nothing-of-the-kind --interval 50 --seconds 4"}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row.args);
        SetUp();
        HWND lived = nullptr;
        std::thread life;
        const Result r = Run(c.row, [&](DWORD pid) { life = std::thread([&, pid] { lived = LiveOneWindow(pid); }); });
        life.join();
        ASSERT_EQ(r.exitCode, 0u) << r.err;
        Keep("watch-event", r.out);
        const std::vector<nlohmann::json> lines = JsonLines(r.out);
        EXPECT_EQ(EventsOf(lines, Hex(lived)), c.events) << r.out;
        // The snapshot comes first and holds the windows there before.
        size_t snapshots = 0;
        while (snapshots < lines.size() && lines[snapshots].value("event", "") == "snapshot") ++snapshots;
        const bool snapshotOfK = std::any_of(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(snapshots),
                                             [](const nlohmann::json& l) { return l.value("handle", "") == Hex(s_windows["{K}"]); });
        EXPECT_EQ(snapshotOfK, c.snapshotOfK) << r.out;
        for (size_t i = snapshots; i < lines.size(); ++i) { EXPECT_NE(lines[i].value("event", ""), "snapshot") << r.out; }
    }
}

TEST_F(VelmoraE2e, WatchOneWindowPrintsEachAttributeChangeOnce) {
    const Row changes{.args = "watch {A} --json --interval 50 --seconds 2"};
    std::thread change;
    const Result r = Run(changes, [&](DWORD pid) {
        change = std::thread([pid] {
            EXPECT_TRUE(WatchWindowOf(pid));
            testsupport::FakeDwm::SetSystemAttribute(s_windows["{A}"], 38, 3);
        });
    });
    change.join();
    testsupport::FakeDwm::SetSystemAttribute(s_windows["{A}"], 38, 2);
    Keep("watch-event", r.out);
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
    const Row row{.args = "watch --json --count 1", .schema = "watch-event",
                  .json = {{"/event", "colorization-changed"}, {"/colorization/argb", "0xc40078d7"},
                           {"/colorization/rgb", "#0078D7"}, {"/colorization/opaque-blend", "true"}},
                  .notes = true};
    Check(row, Run(row, [](DWORD pid) {
              const HWND watch = WatchWindowOf(pid);
              ASSERT_TRUE(watch);
              ::PostMessageW(watch, WM_DWMCOLORIZATIONCOLORCHANGED, 0xC40078D7, TRUE);
              ::PostMessageW(watch, WM_DWMCOLORIZATIONCOLORCHANGED, 0xC4FF8000, FALSE);
          }));
}
// Wine's own dwmapi.dll answers every window call with E_NOTIMPL: a failure wherever it is met.
const Row kWineDwmRows[] = {
    {.args = "get {A} corner cloaked", .exit = 1,
     .out = {"\ncorner error 0x80004001: not implemented (E_NOTIMPL)\n", "\ncloaked error 0x80004001"}},
    {.args = "windows --fields handle,cloaked,frame,title", .exit = 1, .out = {"\n{A} ? ? VelmoraTarget Alpha\n"}},
    {.args = "set {A} corner=round", .exit = 1, .out = {"\ncorner round DWM OK error 0x80004001: not implemented (E_NOTIMPL)\n"}},
    {.args = "frame {A} all", .exit = 1, .out = {"\nresult DWM OK\n", "\nextended-frame-bounds error 0x80004001"}},
    // A DWM that cannot tell cloaking leaves --visible to the window's flag, and --cloaked never holds; both say so.
    {.args = "wait {A} --visible --timeout 5", .out = {"\n{A} {pid} {exe} VelmoraTestClass yes no ? "},
     .err = {"the DWM cannot tell whether a window is cloaked (error 0x80004001: not implemented (E_NOTIMPL)); --visible looks"}},
    {.args = "wait {A} --cloaked --timeout 0.3", .exit = 4, .err = {"--cloaked cannot hold", "timed out after 0.3 s"}},
    // Without frame bounds the rectangle stands for the frame, and says so; placing a frame by it fails.
    {.args = "explain {S}", .out = {"\nverdict partly seen\n", "\nframe 800, 150, 1214, 357 (414 x 207)\n",
        "\nframe-from error 0x80004001", "\ninsets unknown: the DWM gives no frame bounds\n",
        "\ncloaking-unknown the DWM cannot tell whether it is cloaked"}},
    {.args = "move {X} 200 700 300 200", .exit = 1, .out = {"\nrect 200, 700, 500, 900 (300 x 200)\n", "\nframe-from error 0x80004001"}},
    {.args = "wait {A} --shown 100 --timeout 5", .out = {"\n{A} "}, .err = {"--shown looks at the window's own visibility alone"}},
    // Without a DWM that answers, what the window drew itself: Wine's square frame, no shadow.
    {.args = "look {A} --expect corner=square --expect shadow=off", .out = {"\ncorner square square (radius 0) yes\n", "\nshadow off shadow off yes\n"}},
};
INSTANTIATE_TEST_SUITE_P(FakeDwm, VelmoraE2e, testing::ValuesIn(kFakeDwmRows));
INSTANTIATE_TEST_SUITE_P(WineDwm, VelmoraE2e, testing::ValuesIn(kWineDwmRows));

}  // namespace
