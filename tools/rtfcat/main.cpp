// rtfcat: prints what Porvane's RTF reader makes of a file, as text or as the model's outline.
#include <cstdio>
#include <cstring>
#include <string>

#include "rtf/Reader.h"
#include "runtime/Error.h"
#include "runtime/Files.h"

int main(int argc, char** argv) {
    bool model = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--model") == 0) {
            model = true;
        } else if (path == nullptr) {
            path = argv[i];
        } else {
            path = nullptr;
            break;
        }
    }
    if (path == nullptr) {
        std::fputs("usage: rtfcat [--model] FILE\n", stderr);
        return 1;
    }
    // Read the way the gate reads its policy.
    std::string bytes;
    try {
        bytes = runtime::readWholeFile(path);
    } catch (const runtime::Error& e) {
        std::fprintf(stderr, "rtfcat: cannot read %s: %s\n", path, e.description.c_str());
        return 1;
    }
    const rtf::Document document = rtf::parse(bytes);
    // The document holds its own copy of the text: the file's bytes are no longer needed.
    std::string().swap(bytes);
    const auto write = [](std::string_view piece) {
        std::fwrite(piece.data(), 1, piece.size(), stdout);
    };
    if (model) {
        write(rtf::dumpModel(document));
    } else {
        rtf::writePlainText(document, write);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
