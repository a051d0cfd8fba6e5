#pragma once
// Seams for the tests of the DWM layer; the program itself never calls these.
#include <windows.h>

#include "dwm/DwmCalls.h"

namespace dwm::testing {

// Has the signature of GetVersionExW, which it replaces.
using VersionQuery = BOOL(WINAPI*)(LPOSVERSIONINFOW info);

// Routes every version query of the layer (the gate and GetWindowBounds) to query;
// nullptr restores GetVersionExW. Also clears OsVersionCache, so the next wrapper queries again.
void SetVersionQuery(VersionQuery query);

// The process-wide version cache as the gate left it.
const OsVersionCache& GetOsVersionCache();

// Binds every later DWM call to module instead of the system's dwmapi.dll and forgets all
// entry points looked up so far; nullptr returns to loading dwmapi.dll from the system
// directory. The caller keeps module loaded while it is bound; the layer never frees it.
void BindModule(HMODULE module);

}  // namespace dwm::testing
