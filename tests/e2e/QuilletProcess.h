#pragma once
// Starts the real Quillet.exe and drives it from outside, as a user or another program would.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/ChildProcess.h"

namespace e2e {

inline constexpr wchar_t kTool[] = L"Quillet.exe";  // as built, beside the test programs

using testsupport::Environment;

class QuilletProcess {
public:
    // Extra environment variables for the tool's process only; executable names a copy of the
    // tool made by CopyTool (Wine's per-program settings go by the executable's name).
    explicit QuilletProcess(const Environment& environment = {}, const std::wstring& executable = kTool);
    ~QuilletProcess();
    QuilletProcess(const QuilletProcess&) = delete;
    QuilletProcess& operator=(const QuilletProcess&) = delete;

    // The main dialog, once it has shown up; null when it did not within the time-out.
    HWND MainWindow() const { return m_main; }
    DWORD ProcessId() const { return m_child.Id(); }

    // A top-level window of the tool's process with this caption, other than `except`.
    HWND WaitForTopLevel(const std::wstring& caption, HWND except, DWORD timeoutMs) const;
    // A visible top-level window of the tool's process that `match` accepts.
    HWND WaitForTopLevel(const std::function<bool(HWND)>& match, DWORD timeoutMs) const;
    // A control of the main dialog or of one of its panels.
    HWND FindControl(int id) const;

    std::vector<std::wstring> LogLines() const;
    bool WaitForLogLines(size_t count, DWORD timeoutMs) const;
    std::wstring Text(HWND window) const;
    std::wstring ControlText(int id) const { return Text(FindControl(id)); }

    // Clicks a button and returns once its handler has run; false when it did not answer.
    bool Press(int id) const;
    bool Press(HWND button) const;

    // A cell of a list view of the tool, and a row's rectangle on the screen (empty when not given).
    std::wstring ListCell(HWND list, int row, int column) const;
    RECT ListRowOnScreen(HWND list, int row) const;
    // The first row whose cell in `column` reads `text`; -1 when there is none.
    int FindListRow(HWND list, int column, const std::wstring& text) const;

    // Whether the tool's process has loaded a module of this file name (e.g. L"dwmapi.dll").
    bool HasModule(const std::wstring& name) const;

    // Delivers one tick of a timer to a window and returns once it has been handled.
    bool SendTimer(HWND window, UINT_PTR timerId) const;

    // Asks the dialog to close and waits for the process to end; false on time-out.
    bool Close(DWORD timeoutMs, DWORD* exitCode);

private:
    testsupport::ChildProcess m_child;
    HWND m_main = nullptr;
};

// A real left click of the mouse at a point of the screen.
bool ClickAt(POINT screen);

// Where this test program keeps files for the tool (a Windows path into the build tree): a
// directory of its own, as the runs against Wine's DWM and against the fake run side by side.
std::wstring ScratchPath(const std::wstring& name);
// Copies the tool to `name` among the scratch files, for a test that needs it under a name of its own; "" when
// done, else why not (a failure to copy is the test's environment, never the tool's fault).
std::string CopyTool(const std::wstring& name);
// A text file's lines (the fake DWM's journal); none when it cannot be read.
std::vector<std::string> ReadLines(const std::wstring& path);

}  // namespace e2e
