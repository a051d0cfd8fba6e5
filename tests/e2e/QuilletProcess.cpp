#include "QuilletProcess.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "res/resource.h"
#include "support/WindowTestSupport.h"

namespace e2e {
namespace {

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindById(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<ControlSearch*>(lParam);
    if (::GetDlgCtrlID(window) != search.id) return TRUE;
    search.found = window;
    return FALSE;
}

// List-view messages carry pointers that nothing marshals between processes: `data` travels
// through a copy in the tool's own memory; `prepare` learns the copy's address before it is made.
template <typename T, typename Prepare>
bool SendThroughCopy(HANDLE process, HWND window, UINT message, WPARAM wParam, T& data, Prepare prepare) {
    char* copy = static_cast<char*>(
        ::VirtualAllocEx(process, nullptr, sizeof data, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (copy == nullptr) return false;
    prepare(copy);
    DWORD_PTR result = 0;
    const bool ok = ::WriteProcessMemory(process, copy, &data, sizeof data, nullptr) &&
                    ::SendMessageTimeoutW(window, message, wParam, reinterpret_cast<LPARAM>(copy), SMTO_ABORTIFHUNG,
                                          10000, &result) != 0 &&
                    ::ReadProcessMemory(process, copy, &data, sizeof data, nullptr);
    ::VirtualFreeEx(process, copy, 0, MEM_RELEASE);
    return ok && result != 0;
}

}  // namespace

bool ClickAt(POINT screen) {
    if (!::SetCursorPos(screen.x, screen.y)) return false;
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return ::SendInput(2, inputs, sizeof(INPUT)) == 2;
}

std::wstring ScratchPath(const std::wstring& name) {
    wchar_t path[MAX_PATH] = {};
    const std::wstring program(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
    const std::wstring stem = program.substr(0, program.find_last_of(L'.'));
    const std::wstring directory = stem + L"-scratch\\";
    ::CreateDirectoryW(directory.c_str(), nullptr);
    return directory + name;
}

std::string CopyTool(const std::wstring& name) {
    const std::wstring from = testsupport::ThisDirectory() + kTool, to = ScratchPath(name);
    // A copy still running from a run that ended abruptly holds its file until its job has ended it.
    const ULONGLONG deadline = ::GetTickCount64() + 10000;
    while (!::CopyFileW(from.c_str(), to.c_str(), FALSE)) {
        const DWORD error = ::GetLastError();
        if ((error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) && ::GetTickCount64() < deadline) {
            ::Sleep(100);
            continue;
        }
        std::string holders;
        const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
            if (::lstrcmpiW(entry.szExeFile, name.c_str()) == 0) holders += " " + std::to_string(entry.th32ProcessID);
        }
        if (snapshot != INVALID_HANDLE_VALUE) ::CloseHandle(snapshot);
        char text[512];
        std::snprintf(text, sizeof text, "cannot copy Quillet.exe to %ls (error %lu)%s%s", to.c_str(), error,
                      holders.empty() ? "" : "; still running from it, not started by this test: process", holders.c_str());
        return text;
    }
    return "";
}

std::vector<std::string> ReadLines(const std::wstring& path) {
    std::vector<std::string> lines;
    std::ifstream file{std::filesystem::path(path)};
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

QuilletProcess::QuilletProcess(const Environment& environment, const std::wstring& executable)
    : m_child(L"\"" + (executable == kTool ? testsupport::ThisDirectory() + kTool : ScratchPath(executable)) + L"\"",
              {.environment = environment}) {
    if (!m_child.Started()) return;
    // A test that ends without its destructors (a time-out, a crash) must not leave the tool running.
    if (!m_child.Tied()) std::fprintf(stderr, "warning: %ls is not tied to the test process\n", executable.c_str());
    m_main = WaitForTopLevel(L"Velmora", nullptr, 30000);
    // The dialog is up once the start line is there.
    if (m_main != nullptr) WaitForLogLines(1, 10000);
}

QuilletProcess::~QuilletProcess() {
    DWORD exitCode = 0;
    if (m_child.Running() && !Close(10000, &exitCode)) m_child.Kill(99);
}

HWND QuilletProcess::WaitForTopLevel(const std::wstring& caption, HWND except, DWORD timeoutMs) const {
    return WaitForTopLevel([&](HWND window) { return window != except && Text(window) == caption; }, timeoutMs);
}

HWND QuilletProcess::WaitForTopLevel(const std::function<bool(HWND)>& match, DWORD timeoutMs) const {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    do {
        HWND found = testsupport::FindVisibleTopLevel(m_child.Id(), match);
        if (found != nullptr) return found;
        ::Sleep(50);
    } while (::GetTickCount64() < deadline);
    return nullptr;
}

HWND QuilletProcess::FindControl(int id) const {
    if (m_main == nullptr) return nullptr;
    ControlSearch search{id, nullptr};
    ::EnumChildWindows(m_main, FindById, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<std::wstring> QuilletProcess::LogLines() const {
    HWND list = FindControl(IDC_LOG_LIST);
    return list != nullptr ? testsupport::ListBoxLines(list) : std::vector<std::wstring>();
}

bool QuilletProcess::WaitForLogLines(size_t count, DWORD timeoutMs) const {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (LogLines().size() < count) {
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(20);
    }
    return true;
}

std::wstring QuilletProcess::Text(HWND window) const {
    wchar_t text[1024] = {};
    ::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

bool QuilletProcess::Press(int id) const { return Press(FindControl(id)); }

bool QuilletProcess::Press(HWND button) const {
    DWORD_PTR result = 0;
    return button != nullptr &&
           ::SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, &result) != 0;
}

std::wstring QuilletProcess::ListCell(HWND list, int row, int column) const {
    struct Cell {
        LVITEMW item;
        wchar_t text[260];
    } cell{};
    cell.item.iSubItem = column;
    cell.item.cchTextMax = 259;
    SendThroughCopy(m_child.Handle(), list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), cell,
                    [&](char* copy) { cell.item.pszText = reinterpret_cast<LPWSTR>(copy + offsetof(Cell, text)); });
    return cell.text;
}

RECT QuilletProcess::ListRowOnScreen(HWND list, int row) const {
    RECT rect{LVIR_BOUNDS, 0, 0, 0};
    const bool given =
        SendThroughCopy(m_child.Handle(), list, LVM_GETITEMRECT, static_cast<WPARAM>(row), rect, [](char*) {});
    ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return given ? rect : RECT{};
}

int QuilletProcess::FindListRow(HWND list, int column, const std::wstring& text) const {
    const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        if (ListCell(list, row, column) == text) return row;
    }
    return -1;
}

bool QuilletProcess::HasModule(const std::wstring& name) const {
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, m_child.Id());
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    bool found = false;
    for (BOOL more = ::Module32FirstW(snapshot, &module); more && !found; more = ::Module32NextW(snapshot, &module)) {
        found = ::lstrcmpiW(module.szModule, name.c_str()) == 0;
    }
    ::CloseHandle(snapshot);
    return found;
}

bool QuilletProcess::SendTimer(HWND window, UINT_PTR timerId) const {
    DWORD_PTR result = 0;
    return window != nullptr &&
           ::SendMessageTimeoutW(window, WM_TIMER, timerId, 0, SMTO_ABORTIFHUNG, 10000, &result) != 0;
}

bool QuilletProcess::Close(DWORD timeoutMs, DWORD* exitCode) {
    if (m_main != nullptr) ::PostMessageW(m_main, WM_CLOSE, 0, 0);
    if (!m_child.Wait(timeoutMs)) return false;
    *exitCode = m_child.ExitCode();
    return true;
}

}  // namespace e2e
