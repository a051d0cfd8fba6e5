#include "cli/StopSignal.h"

#include <atomic>

namespace cli {
namespace {

// Set by the console's Ctrl+C thread, waited on by the loop: the one state that two threads share.
std::atomic<HANDLE> g_stopEvent{nullptr};

BOOL WINAPI OnConsoleControl(DWORD) {
    if (const HANDLE stop = g_stopEvent.load()) ::SetEvent(stop);
    return TRUE;
}

}  // namespace

StopSignal::StopSignal() : m_stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    g_stopEvent = m_stop.get();
    ::SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
}

StopSignal::~StopSignal() {
    ::SetConsoleCtrlHandler(&OnConsoleControl, FALSE);
    g_stopEvent = nullptr;
}

}  // namespace cli
