// velmora.exe: the console companion of Quillet.exe.
#include <windows.h>

#include <exception>

#include "cli/Velmora.h"
#include "cli/Output.h"

int wmain(int argc, wchar_t** argv) {
    try {
        std::vector<std::string> args;
        for (int i = 1; i < argc; ++i) args.push_back(cli::ToUtf8(argv[i]));
        return cli::RunVelmora(args);
    } catch (const std::exception& error) {
        cli::WriteError(error.what());
        return cli::kExitFailed;
    }
}
