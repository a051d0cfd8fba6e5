#pragma once
// Seams for the About box tests: what the version reader reads, what the shell is asked to open,
// and a hook that lets a test act inside the About box's modal run and then press OK.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace abouttest {

// Serves the version reader: either the executable's real file (counted) or one of the blocks of
// VersionBlocks.rc in its place. Installed for the object's lifetime; the cache starts empty.
class VersionFileSeam {
public:
    VersionFileSeam();
    ~VersionFileSeam();
    VersionFileSeam(const VersionFileSeam&) = delete;
    VersionFileSeam& operator=(const VersionFileSeam&) = delete;

    // 0: the real file; otherwise the RT_VERSION resource of this test executable with that id.
    void ServeBlock(int resourceId);
    // The file has no version resource at all.
    void ServeNothing();
    // The size is told, but reading the information fails.
    void FailRead();

    int SizeCalls() const;
    int ReadCalls() const;
    // The file names the reader asked about, in order.
    std::vector<std::wstring> Files() const;
};

// Records every ShellExecuteW the program makes, and starts nothing.
class ShellSeam {
public:
    struct Call {
        HWND owner;
        std::wstring verb;
        std::wstring file;
        bool parametersNull;
        bool directoryNull;
        INT show;
    };
    ShellSeam();
    ~ShellSeam();
    ShellSeam(const ShellSeam&) = delete;
    ShellSeam& operator=(const ShellSeam&) = delete;
    std::vector<Call> Calls() const;
};

// What an About box showed while it was open.
struct BoxSeen {
    HWND window = nullptr;
    HWND owner = nullptr;
    std::wstring caption;
    std::wstring versionText;
    LONG versionStyle = 0;
};

// While alive, every dialog box this thread opens is looked at once it runs its modal loop:
// `act` (if any) runs inside the box, then OK is pressed on it.
class ModalBoxCloser {
public:
    explicit ModalBoxCloser(std::function<void(HWND box)> act = {});
    ~ModalBoxCloser();
    ModalBoxCloser(const ModalBoxCloser&) = delete;
    ModalBoxCloser& operator=(const ModalBoxCloser&) = delete;
    const std::vector<BoxSeen>& Seen() const { return m_seen; }

private:
    static LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK OnTimer(HWND window, UINT, UINT_PTR timerId, DWORD);

    std::function<void(HWND)> m_act;
    std::vector<BoxSeen> m_seen;
    HHOOK m_hook = nullptr;
};

// Clicks the SysLink control in its first link, with the mouse, as a user would.
void ClickLink(HWND link);

}  // namespace abouttest
