#include "AboutTestSupport.h"

#include <algorithm>
#include <cstring>

#include "app/HomePageLink.h"
#include "app/VersionText.h"
#include "res/resource.h"
#include "support/WindowTestSupport.h"

namespace abouttest {
namespace {

enum class Serve { RealFile, Block, Nothing, FailRead };

struct FileState {
    Serve serve = Serve::RealFile;
    int resourceId = 0;
    int sizeCalls = 0;
    int readCalls = 0;
    std::vector<std::wstring> files;
} g_file;

// The raw RT_VERSION resource of this executable: the same layout the file read hands back.
bool FindBlock(int id, const void** data, DWORD* size) {
    HMODULE self = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(self, MAKEINTRESOURCEW(id), RT_VERSION);
    if (resource == nullptr) return false;
    HGLOBAL loaded = ::LoadResource(self, resource);
    *data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    *size = ::SizeofResource(self, resource);
    return *data != nullptr && *size > 0;
}

DWORD WINAPI SeamSize(LPCWSTR file, LPDWORD handle) {
    ++g_file.sizeCalls;
    g_file.files.emplace_back(file != nullptr ? file : L"");
    switch (g_file.serve) {
    case Serve::RealFile:
    case Serve::FailRead:
        return ::GetFileVersionInfoSizeW(file, handle);
    case Serve::Block: {
        const void* data = nullptr;
        DWORD size = 0;
        return FindBlock(g_file.resourceId, &data, &size) ? size : 0;
    }
    case Serve::Nothing:
        break;
    }
    ::SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return 0;
}

BOOL WINAPI SeamRead(LPCWSTR file, DWORD handle, DWORD size, LPVOID target) {
    ++g_file.readCalls;
    switch (g_file.serve) {
    case Serve::RealFile:
        return ::GetFileVersionInfoW(file, handle, size, target);
    case Serve::Block: {
        const void* data = nullptr;
        DWORD blockSize = 0;
        if (!FindBlock(g_file.resourceId, &data, &blockSize)) return FALSE;
        std::memcpy(target, data, std::min(size, blockSize));
        return TRUE;
    }
    case Serve::Nothing:
    case Serve::FailRead:
        break;
    }
    ::SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

const app::testing::VersionFileApi kSeamApi{&SeamSize, &SeamRead};

std::vector<ShellSeam::Call> g_shellCalls;

HINSTANCE WINAPI RecordShellExecute(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                                    INT show) {
    g_shellCalls.push_back({owner, verb != nullptr ? verb : L"(null)", file != nullptr ? file : L"(null)",
                            parameters == nullptr, directory == nullptr, show});
    // What the shell answers on success (above 32); the program ignores it anyway.
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

ModalBoxCloser* g_closer = nullptr;
constexpr UINT_PTR kCloserTimer = 0x7A11;

bool IsAboutBox(HWND window) {
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    return std::wstring(className) == L"#32770" && (::GetWindowLongW(window, GWL_STYLE) & WS_CHILD) == 0 &&
           ::GetDlgItem(window, IDC_VERSION_TEXT) != nullptr;
}

}  // namespace

VersionFileSeam::VersionFileSeam() {
    g_file = FileState{};
    app::testing::ResetVersionTextCache();
    app::testing::SetVersionFileApi(&kSeamApi);
}

VersionFileSeam::~VersionFileSeam() {
    app::testing::SetVersionFileApi(nullptr);
    app::testing::ResetVersionTextCache();
}

void VersionFileSeam::ServeBlock(int resourceId) {
    g_file.serve = resourceId == 0 ? Serve::RealFile : Serve::Block;
    g_file.resourceId = resourceId;
}
void VersionFileSeam::ServeNothing() { g_file.serve = Serve::Nothing; }
void VersionFileSeam::FailRead() { g_file.serve = Serve::FailRead; }
int VersionFileSeam::SizeCalls() const { return g_file.sizeCalls; }
int VersionFileSeam::ReadCalls() const { return g_file.readCalls; }
std::vector<std::wstring> VersionFileSeam::Files() const { return g_file.files; }

ShellSeam::ShellSeam() {
    g_shellCalls.clear();
    app::testing::SetShellExecute(&RecordShellExecute);
}
ShellSeam::~ShellSeam() { app::testing::SetShellExecute(nullptr); }
std::vector<ShellSeam::Call> ShellSeam::Calls() const { return g_shellCalls; }

ModalBoxCloser::ModalBoxCloser(std::function<void(HWND)> act) : m_act(std::move(act)) {
    g_closer = this;
    m_hook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, &AfterMessage, nullptr, ::GetCurrentThreadId());
}

ModalBoxCloser::~ModalBoxCloser() {
    if (m_hook != nullptr) ::UnhookWindowsHookEx(m_hook);
    g_closer = nullptr;
}

// Once the box has initialised, a timer of its own brings the test in after the box is up and
// its modal loop runs.
LRESULT CALLBACK ModalBoxCloser::AfterMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && g_closer != nullptr) {
        const auto& message = *reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (message.message == WM_INITDIALOG && IsAboutBox(message.hwnd)) {
            ::SetTimer(message.hwnd, kCloserTimer, 10, &ModalBoxCloser::OnTimer);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK ModalBoxCloser::OnTimer(HWND box, UINT, UINT_PTR timerId, DWORD) {
    ::KillTimer(box, timerId);
    if (g_closer == nullptr) return;
    BoxSeen seen;
    seen.window = box;
    seen.owner = ::GetWindow(box, GW_OWNER);
    seen.caption = testsupport::TextOf(box);
    HWND version = ::GetDlgItem(box, IDC_VERSION_TEXT);
    seen.versionText = testsupport::TextOf(version);
    seen.versionStyle = ::GetWindowLongW(version, GWL_STYLE);
    g_closer->m_seen.push_back(seen);
    if (g_closer->m_act) g_closer->m_act(box);
    ::SendMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
}

void ClickLink(HWND link) {
    RECT client{};
    ::GetClientRect(link, &client);
    const LPARAM at = MAKELPARAM(4, (client.bottom - client.top) / 2);
    ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(link, WM_LBUTTONUP, 0, at);
}

}  // namespace abouttest
