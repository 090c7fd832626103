// e2e_design: writes what the whole-program tests must know of the program's design, as the
// program itself is built with it, so that no test reads it out of a header's text: the policy
// window's designed client area in pixels at 96 dots per inch, and the twips to a pixel there.
//   e2e_design OUTPUT
#include <cstdio>

#include "policy/PolicyRules.h"
#include "runtime/Twips.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: e2e_design OUTPUT\n", stderr);
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr ||
        std::fprintf(out,
                     "{\"client_width\": %d, \"client_height\": %d, \"twips_per_pixel\": %d}\n",
                     policy::designedPixels(policy::kClientWidth),
                     policy::designedPixels(policy::kClientHeight), runtime::kTwipsPerPixel) < 0 ||
        std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
