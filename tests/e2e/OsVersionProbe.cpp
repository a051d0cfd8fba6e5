// Writes the OSVERSIONINFOW that GetVersionExW fills in this process to the file named by its
// one argument, so that a test can learn what Wine reports to a program under a given setting.
#include <windows.h>
#include <shellapi.h>

int main() {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (arguments == nullptr || count != 2) return 2;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
    if (!::GetVersionExW(&info)) return 3;
    const HANDLE file =
        ::CreateFileW(arguments[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 4;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, &info, sizeof info, &written, nullptr);
    ::CloseHandle(file);
    ::LocalFree(arguments);
    return ok && written == sizeof info ? 0 : 5;
}
