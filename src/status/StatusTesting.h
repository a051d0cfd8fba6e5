#pragma once
// Seam for the tests of the status panel; the program itself never calls it.
#include <windows.h>

namespace status::testing {

// Has the signature of GetVersionExW, which it replaces.
using VersionQuery = BOOL(WINAPI*)(LPOSVERSIONINFOW info);

// Routes the panel's own version query to query; nullptr restores GetVersionExW.
void SetVersionQuery(VersionQuery query);

}  // namespace status::testing
