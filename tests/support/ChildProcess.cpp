#include "support/ChildProcess.h"

#include <optional>

#include "support/ChildJob.h"

namespace testsupport {
namespace {

std::string ReadToEnd(HANDLE from) {
    std::string text;
    char buffer[4096];
    for (DWORD n = 0; ::ReadFile(from, buffer, sizeof buffer, &n, nullptr) && n > 0;) text.append(buffer, n);
    return text;
}

}  // namespace

std::wstring ThisDirectory() {
    wchar_t path[MAX_PATH] = {};
    const std::wstring module(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
    return module.substr(0, module.find_last_of(L"\\/") + 1);
}

ChildProcess::ChildProcess(std::wstring commandLine, const Launch& launch) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    fw::UniqueKernelObject outWrite, errWrite;  // the child's ends, ours closed once it has its copies
    fw::UniqueFile device;
    bool made = true;
    const auto pipe = [&](fw::UniqueKernelObject& read, fw::UniqueKernelObject& write) {
        HANDLE r = nullptr, w = nullptr;
        made = made && ::CreatePipe(&r, &w, &inherited, 1 << 20) && ::SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0);
        read.reset(r), write.reset(w);
        return w;
    };
    const auto open = [&](const wchar_t* path, DWORD disposition) {
        device.reset(::CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, disposition,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        made = made && device;
        return device.get();
    };
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    switch (launch.output) {
        case Output::None: break;
        case Output::Pipes: startup.hStdOutput = pipe(m_out, outWrite), startup.hStdError = pipe(m_err, errWrite); break;
        case Output::File: startup.hStdOutput = startup.hStdError = open(launch.file.c_str(), CREATE_ALWAYS); break;
        case Output::Full: startup.hStdOutput = open(L"Z:\\dev\\full", OPEN_EXISTING), startup.hStdError = pipe(m_err, errWrite); break;
        case Output::Closed: startup.hStdOutput = INVALID_HANDLE_VALUE, startup.hStdError = pipe(m_err, errWrite); break;
    }
    if (launch.output == Output::File) m_file = launch.file;
    if (launch.output != Output::None) startup.dwFlags = STARTF_USESTDHANDLES;
    // The variables for the child alone: put back once it has its copy.
    std::vector<std::pair<std::wstring, std::optional<std::wstring>>> saved;
    for (const auto& [name, value] : launch.environment) {
        wchar_t old[4096] = {};
        const DWORD length = ::GetEnvironmentVariableW(name.c_str(), old, 4096);
        saved.emplace_back(name, length > 0 && length < 4096 ? std::optional<std::wstring>(old) : std::nullopt);
        ::SetEnvironmentVariableW(name.c_str(), value.c_str());
    }
    // Tied before it runs, so that nothing it starts escapes in between.
    const DWORD flags = launch.flags | (launch.suspended || launch.tied ? CREATE_SUSPENDED : 0);
    PROCESS_INFORMATION info{};
    const bool created = made && ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, launch.output != Output::None,
                                                  flags, nullptr, nullptr, &startup, &info);
    for (const auto& [name, old] : saved) ::SetEnvironmentVariableW(name.c_str(), old ? old->c_str() : nullptr);
    if (!created) return;
    m_process.reset(info.hProcess), m_thread.reset(info.hThread);
    m_id = info.dwProcessId, m_threadId = info.dwThreadId;
    m_tied = launch.tied && KillWithThisProcess(info.hProcess);
    if (launch.tied && !launch.suspended) Resume();
}

ChildProcess::~ChildProcess() {
    if (Running()) Kill(1);
}

bool ChildProcess::Wait(DWORD ms, bool dispatch) const {
    if (!Started()) return false;
    const HANDLE process = m_process.get();
    if (!dispatch) return ::WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
    for (const ULONGLONG deadline = ::GetTickCount64() + ms;;) {
        const bool ended = ::MsgWaitForMultipleObjects(1, &process, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0;
        for (MSG message; ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&message);
        if (ended || ::GetTickCount64() >= deadline) return ended;
    }
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = 0;
    ::GetExitCodeProcess(m_process.get(), &code);
    return code;
}

void ChildProcess::Kill(UINT exitCode) const {
    ::TerminateProcess(m_process.get(), exitCode);
    ::WaitForSingleObject(m_process.get(), 5000);
}

std::string ChildProcess::Out() {
    if (m_file.empty()) return m_out ? ReadToEnd(m_out.get()) : std::string();
    const fw::UniqueFile file(::CreateFileW(m_file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
    return file ? ReadToEnd(file.get()) : std::string();
}

std::string ChildProcess::Err() { return m_err ? ReadToEnd(m_err.get()) : std::string(); }

}  // namespace testsupport
