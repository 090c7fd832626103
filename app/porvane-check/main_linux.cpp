// porvane-check: the settings checker on Linux.
#include <cstdio>
#include <string>
#include <vector>

#include "check/Cli.h"
#include "runtime/system/NativeFiles.h"
#include "settings/Keys.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    check::CliResult result =
        check::runCli("porvane-check", args, settings::iniFileIn(runtime::executableDirectory()));
    std::fwrite(result.out.data(), 1, result.out.size(), stdout);
    std::fwrite(result.err.data(), 1, result.err.size(), stderr);
    return result.status;
}
