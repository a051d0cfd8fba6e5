#pragma once
// Ctrl+C (and the console closing) for a command that runs until stopped: an event that its loop
// waits on beside its messages.
#include <windows.h>

#include "framework/Handles.h"

namespace cli {

class StopSignal {
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;
    // Null when the event could not be made.
    HANDLE Event() const { return m_stop.get(); }

private:
    fw::UniqueKernelObject m_stop;
};

}  // namespace cli
