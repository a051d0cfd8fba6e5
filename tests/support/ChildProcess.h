#pragma once
// Another program, started by a test or a benchmark: its output where the caller reads it, variables
// of its own, its life tied to this process. The one way both start a program; no test framework.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/Handles.h"

namespace testsupport {

using Environment = std::vector<std::pair<std::wstring, std::wstring>>;

// Where its stdout and stderr go: nowhere of ours (a window program); a pipe each of 1 MB, read once
// it has ended; both into one file, emptied first (output of any size); stdout a device that refuses
// every write for want of space, or no stdout at all, and stderr a pipe.
enum class Output { None, Pipes, File, Full, Closed };

struct Launch {
    Output output = Output::None;
    std::wstring file = {};        // Output::File
    Environment environment = {};  // for the child alone
    bool suspended = false;        // until Resume()
    bool tied = true;              // ended with this process however it ends (ChildJob.h)
    DWORD flags = 0;               // more CreateProcess flags
};

// This program's directory, separator included: where the programs it starts lie.
std::wstring ThisDirectory();

// Killed when the object goes, if still running.
class ChildProcess {
public:
    explicit ChildProcess(std::wstring commandLine, const Launch& launch = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return static_cast<bool>(m_process); }
    bool Tied() const { return m_tied; }
    DWORD Id() const { return m_id; }
    DWORD ThreadId() const { return m_threadId; }
    HANDLE Handle() const { return m_process.get(); }
    void Resume() const { ::ResumeThread(m_thread.get()); }
    // Whether it has ended within `ms`; meanwhile this thread's messages are dispatched when asked,
    // should the child send any to this process's windows.
    bool Wait(DWORD ms, bool dispatch = false) const;
    bool Running() const { return Started() && !Wait(0); }
    DWORD ExitCode() const;
    void Kill(UINT exitCode) const;  // and waits up to 5 s for the end
    // What it wrote, once it has ended: stdout (or the file) and stderr, each read once.
    std::string Out();
    std::string Err();

private:
    fw::UniqueKernelObject m_process, m_thread, m_out, m_err;  // the pipes' read ends
    DWORD m_id = 0, m_threadId = 0;
    std::wstring m_file;
    bool m_tied = false;
};

}  // namespace testsupport
