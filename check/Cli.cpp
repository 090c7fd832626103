#include "check/Cli.h"

#include <filesystem>
#include <system_error>

#include "check/Checker.h"
#include "runtime/Error.h"
#include "runtime/Files.h"

namespace check {
namespace {

std::string usage(const std::string& programName) {
    return programName + " [--json] [--strict] [FILE]";
}

std::string help(const std::string& programName, const std::string& defaultFile) {
    return "usage: " + usage(programName) +
           "\n"
           "Says what the Porvane gate will make of its settings file: one line per finding,\n"
           "FILE:LINE: [Section] Key: message, then what the gate will do.\n"
           "FILE defaults to the Porvane.ini beside the checker, " +
           defaultFile +
           ".\n"
           "\n"
           "  --json     one JSON object instead, errors included\n"
           "  --strict   fail on advice too, not only on errors\n"
           "  --help     this text\n"
           "  --version  the checker's version\n"
           "\n"
           "An error is what makes the gate show a notice, end, or do other than the file\n"
           "plainly says; advice is everything else.\n"
           "Exit status: 0 no errors (advice alone included), 1 errors (with --strict, advice\n"
           "too), 2 the file cannot be read or wrong usage.\n";
}

// The path from the current folder, so that the policy beside a settings file named relatively
// is named in full, as the gate names it.
std::string absolute(const std::string& path) {
    std::error_code error;
    std::filesystem::path full =
        std::filesystem::absolute(std::u8string(path.begin(), path.end()), error);
    if (error) {
        return path;
    }
    std::u8string text = full.lexically_normal().u8string();
    return std::string(text.begin(), text.end());
}

// An answer that is not a report: the text as it is, or as one JSON object.
CliResult answer(int status, bool asJson, const std::string& field, const std::string& text,
                 bool onError) {
    if (asJson) {
        return {status, "{" + jsonString(field) + ":" + jsonString(text) + "}\n", ""};
    }
    return onError ? CliResult{status, "", text} : CliResult{status, text, ""};
}

}  // namespace

CliResult runCli(const std::string& programName, const std::vector<std::string>& args,
                 const std::string& defaultFile) {
    bool asJson = false;
    bool strict = false;
    bool wantsHelp = false;
    bool wantsVersion = false;
    std::string badOption;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            asJson = true;
        } else if (arg == "--strict") {
            strict = true;
        } else if (arg == "--help" || arg == "-h") {
            wantsHelp = true;
        } else if (arg == "--version") {
            wantsVersion = true;
        } else if (arg.starts_with("-") && arg != "-") {
            badOption = badOption.empty() ? arg : badOption;
        } else {
            files.push_back(arg);
        }
    }
    // --json counts wherever it stands, so that even a usage error answers in JSON.
    if (!badOption.empty()) {
        return asJson ? answer(2, true, "error", "unknown option " + badOption, true)
                      : CliResult{2, "",
                                  programName + ": unknown option " + badOption +
                                      "\nusage: " + usage(programName) + "\n"};
    }
    if (wantsHelp) {
        return answer(0, asJson, "help", help(programName, defaultFile), false);
    }
    if (wantsVersion) {
        return asJson ? answer(0, true, "version", PORVANE_VERSION, false)
                      : CliResult{0, programName + " " + PORVANE_VERSION + "\n", ""};
    }
    if (files.size() > 1) {
        return asJson ? answer(2, true, "error", "more than one FILE", true)
                      : CliResult{2, "", "usage: " + usage(programName) + "\n"};
    }
    std::string file = files.empty() ? defaultFile : files.front();
    std::string bytes;
    try {
        bytes = runtime::readWholeFile(file);
    } catch (const runtime::Error& error) {
        std::string message = absolute(file) + ": cannot be read: " + error.description;
        if (asJson) {
            return {2,
                    "{\"file\":" + jsonString(file) + ",\"error\":" + jsonString(message) +
                        ",\"errorNumber\":" + std::to_string(error.number) + "}\n",
                    ""};
        }
        return {2, "", programName + ": " + message + "\n"};
    }
    Report report =
        checkSettings(file, bytes, systemEnvironment(runtime::folderOf(absolute(file))));
    return {exitStatus(report, strict), asJson ? formatJson(report) : formatText(report), ""};
}

}  // namespace check
