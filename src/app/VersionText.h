#pragma once
// The product version of the running executable, read from its own version resource once per run.
#include <windows.h>

// "Ver.:" followed by the ProductVersion under the first translation, or an empty text when the
// version information cannot be read. The text lives for the whole run; callers copy it.
// User-interface thread only: the process-wide cache behind it is unguarded.
const wchar_t* GetProductVersionText();

namespace app::testing {
// The two file reads of the version reader; a test can count them or serve another block.
struct VersionFileApi {
    DWORD(WINAPI* getFileVersionInfoSize)(LPCWSTR file, LPDWORD handle);
    BOOL(WINAPI* getFileVersionInfo)(LPCWSTR file, DWORD handle, DWORD size, LPVOID data);
};
// Replaces GetFileVersionInfoSizeW/GetFileVersionInfoW; nullptr restores them. The caller keeps
// `api` alive while it is installed.
void SetVersionFileApi(const VersionFileApi* api);
// Forgets the cached text so that the next call reads the file again.
void ResetVersionTextCache();
// The cache's ready flag: 1 once a text has been built, 0 before (and after a failed read).
int VersionTextReadyFlag();
}  // namespace app::testing
