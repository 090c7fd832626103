#include "runtime/system/CommandLine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "runtime/Error.h"
#include "runtime/system/posix/Process.h"

namespace runtime {
namespace {

// What exec would make of this file: 0 when it would run, else the errno it would give.
int execError(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno;
    }
    if (S_ISDIR(info.st_mode)) {
        return EACCES;
    }
    if (!S_ISREG(info.st_mode) || ::access(path.c_str(), X_OK) != 0) {
        return EACCES;
    }
    // The kernel runs ELF files and scripts with a "#!" line; posix_spawnp gives ENOEXEC for
    // anything else.
    char magic[4] = {};
    std::ifstream(path, std::ios::binary).read(magic, sizeof magic);
    bool elf = magic[0] == '\x7f' && magic[1] == 'E' && magic[2] == 'L' && magic[3] == 'F';
    bool script = magic[0] == '#' && magic[1] == '!';
    return elf || script ? 0 : ENOEXEC;
}

}  // namespace

ApplicationLookup lookUpApplication(std::string_view commandLine) {
    std::vector<std::string> words = posix::splitCommandLine(commandLine);
    ApplicationLookup found;
    found.program = words.front();
    found.arguments.assign(words.begin() + 1, words.end());
    int error = ENOENT;
    if (found.program.find('/') != std::string::npos) {
        found.path = found.program;
        error = execError(found.path);
    } else {
        // posix_spawnp's search: each PATH entry in turn (an empty one is the current folder),
        // the system's default path when PATH is unset; a match that may not be run is
        // remembered, and the search goes on.
        const char* env = std::getenv("PATH");
        std::string path = env != nullptr ? env : "/bin:/usr/bin";
        std::size_t start = 0;
        for (;;) {
            std::size_t end = path.find(':', start);
            std::string dir = path.substr(start, end == std::string::npos ? end : end - start);
            std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + found.program;
            int candidateError = execError(candidate);
            if (candidateError == 0) {
                found.path = candidate;
                error = 0;
                break;
            }
            if (candidateError != ENOENT && candidateError != ENOTDIR) {
                error = candidateError;
            }
            if (end == std::string::npos) {
                break;
            }
            start = end + 1;
        }
    }
    if (error != 0) {
        throw makeError(posix::startErrorNumber(error), found.program);
    }
    return found;
}

}  // namespace runtime
