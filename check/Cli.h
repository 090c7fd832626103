#pragma once
// The checker's command line, the same for both programs: [--json] [FILE].

#include <string>
#include <vector>

namespace check {

struct CliResult {
    int status = 0;  // 0 nothing to report, 1 problems reported, 2 unreadable file or bad usage
    std::string out;
    std::string err;
};

// Runs the checker on the arguments (without the program's own name). `defaultFile` is the
// settings file beside the checker, read when no FILE is given.
CliResult runCli(const std::string& programName, const std::vector<std::string>& args,
                 const std::string& defaultFile);

}  // namespace check
