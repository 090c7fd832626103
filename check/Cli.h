#pragma once
// The checker's command line, the same for both programs: [--json] [--strict] [FILE], --help,
// --version.

#include <string>
#include <vector>

namespace check {

struct CliResult {
    // 0 no errors (advice alone included), 1 errors (with --strict, advice too), 2 the file
    // cannot be read or bad usage.
    int status = 0;
    std::string out;
    std::string err;
};

// Runs the checker on the arguments (without the program's own name). `defaultFile` is the
// settings file beside the checker, read when no FILE is given. With --json every answer is
// JSON on the standard output, errors included.
CliResult runCli(const std::string& programName, const std::vector<std::string>& args,
                 const std::string& defaultFile);

}  // namespace check
