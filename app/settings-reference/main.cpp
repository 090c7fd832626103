// settings-reference: writes the settings reference, generated from the table of keys, at build
// time; or the README's table of keys, for tools/update-readme-settings.
//   settings-reference man|text VERSION OUTPUT
//   settings-reference markdown - OUTPUT   (OUTPUT - for standard output)
#include <cstdio>
#include <string>
#include <string_view>

#include "settings/Reference.h"

int main(int argc, char** argv) {
    std::string_view form = argc == 4 ? argv[1] : "";
    if (form != "man" && form != "text" && form != "markdown") {
        std::fputs("usage: settings-reference man|text|markdown VERSION OUTPUT\n", stderr);
        return 2;
    }
    std::string text = form == "man"    ? settings::manPage(argv[2])
                       : form == "text" ? settings::textReference(argv[2])
                                        : settings::markdownTable();
    std::string_view path = argv[3];
    std::FILE* out = path == "-" ? stdout : std::fopen(argv[3], "wb");
    if (out == nullptr || std::fwrite(text.data(), 1, text.size(), out) != text.size() ||
        std::fclose(out) != 0) {
        std::perror(argv[3]);
        return 1;
    }
    return 0;
}
