#pragma once
// What a command line would start, found by the platform's own rules without starting anything:
// the settings checker says this before the gate ever runs. One implementation per system
// (runtime/system/posix/CommandLine.cpp, runtime/system/win32/CommandLine.cpp).

#include <string>
#include <string_view>
#include <vector>

namespace runtime {

struct ApplicationLookup {
    std::string program;                 // the program as parsed from the command line
    std::string path;                    // the file that would be started
    std::vector<std::string> arguments;  // the words after the program (Windows: one string)
};

// Finds the program of a command line as starting it would. Throws runtime::Error as starting
// it would: 5 for an empty line or one the quoting rules reject, 53 when the program does not
// exist, 70 when it may not be run; the error's detail names the program as parsed.
ApplicationLookup lookUpApplication(std::string_view commandLine);

}  // namespace runtime
