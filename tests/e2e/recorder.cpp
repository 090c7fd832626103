// The application the whole-program tests let Porvane start. It records its process id and its
// arguments, so a test knows which process to watch and how the command line was split, then
// waits to be ended. A SIGTERM ends it at once; without one it gives up after 60 seconds so that
// a test that failed half-way leaves nothing running for long.
//
//   e2e_recorder PID_FILE [ARG...]   writes "PID\nARG\n..." to PID_FILE

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

volatile sig_atomic_t gTerminated = 0;

void onTerm(int) {
    gTerminated = 1;
}

// Written beside the target and renamed over it, so a test never reads half a file.
bool writeRecord(const std::string& path, int argc, char** argv) {
    std::string tmp = path + ".part";
    std::FILE* out = std::fopen(tmp.c_str(), "w");
    if (out == nullptr) {
        return false;
    }
    std::fprintf(out, "%ld\n", static_cast<long>(getpid()));
    for (int i = 2; i < argc; ++i) {
        std::fprintf(out, "%s\n", argv[i]);
    }
    bool ok = std::fclose(out) == 0;
    return ok && std::rename(tmp.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PID_FILE [ARG...]\n", argv[0]);
        return 2;
    }
    struct sigaction action = {};
    action.sa_handler = onTerm;
    sigaction(SIGTERM, &action, nullptr);

    if (!writeRecord(argv[1], argc, argv)) {
        std::perror(argv[1]);
        return 2;
    }
    for (int second = 0; second < 60 && gTerminated == 0; ++second) {
        struct timespec left = {1, 0};
        while (nanosleep(&left, &left) != 0 && errno == EINTR && gTerminated == 0) {
        }
    }
    return 0;
}
