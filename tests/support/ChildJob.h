#pragma once
// Ties the life of a program a test starts to the test's own process. A test that ends without
// running its destructors (its watchdog, CTest's time-out, a crash, taskkill /f) takes the
// program with it instead of leaving it running into the next run.
#include <windows.h>

namespace testsupport {

// Puts the process into one job object of this process, made on first use and never closed:
// the system closes it as this process ends, however it ends, and that ends every process in it.
// Start the process suspended and resume it after this call, so that nothing escapes in between.
// False when the process could not be put in (the process keeps running then, untied).
bool KillWithThisProcess(HANDLE process);

}  // namespace testsupport
