// porvane-keeper: started by the gate, never by hand. It starts the application whose words it
// is given and holds it, so that the time limit still ends it when the gate itself is killed.
// See runtime/system/posix/Keeper.h.

#include <cstdio>
#include <string>
#include <vector>

#include "app/keeper/Keeper.h"

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    int status = runtime::posix::runKeeper(words);
    if (status == 2) {
        std::fprintf(stderr, "porvane-keeper: started by porvane only\n");
    }
    return status;
}
