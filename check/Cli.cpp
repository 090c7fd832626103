#include "check/Cli.h"

#include "check/Checker.h"
#include "runtime/Error.h"
#include "runtime/Files.h"

namespace check {

CliResult runCli(const std::string& programName, const std::vector<std::string>& args,
                 const std::string& defaultFile) {
    bool asJson = false;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            asJson = true;
        } else if (arg.starts_with("-") && arg != "-") {
            return {2, "",
                    programName + ": unknown option " + arg + "\nusage: " + programName +
                        " [--json] [FILE]\n"};
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() > 1) {
        return {2, "", "usage: " + programName + " [--json] [FILE]\n"};
    }
    std::string file = files.empty() ? defaultFile : files.front();
    std::string bytes;
    try {
        bytes = runtime::readWholeFile(file);
    } catch (const runtime::Error& error) {
        return {2, "", programName + ": " + file + ": cannot be read: " + error.description + "\n"};
    }
    Report report = checkSettings(file, bytes, systemEnvironment(runtime::folderOf(file)));
    return {report.problems.empty() ? 0 : 1, asJson ? formatJson(report) : formatText(report), ""};
}

}  // namespace check
