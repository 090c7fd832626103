// settings-reference: writes the settings reference, generated from the table of keys, at build
// time. settings-reference man|text VERSION OUTPUT
#include <cstdio>
#include <string>
#include <string_view>

#include "settings/Reference.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: settings-reference man|text VERSION OUTPUT\n", stderr);
        return 2;
    }
    std::string_view form = argv[1];
    std::string text =
        form == "man" ? settings::manPage(argv[2]) : settings::textReference(argv[2]);
    std::FILE* out = std::fopen(argv[3], "wb");
    if (out == nullptr || std::fwrite(text.data(), 1, text.size(), out) != text.size() ||
        std::fclose(out) != 0) {
        std::perror(argv[3]);
        return 1;
    }
    return 0;
}
