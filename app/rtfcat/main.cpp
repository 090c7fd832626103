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
    if (model) {
        const std::string outline = rtf::dumpModel(rtf::parse(bytes));
        std::fwrite(outline.data(), 1, outline.size(), stdout);
    } else {
        // Each paragraph or table is printed, and let go, as soon as it is read: the text of a
        // large document is never held whole, in the model or in the output.
        std::string text;
        rtf::parse(bytes, [&text](rtf::Block&& block) {
            rtf::appendPlainText(block, text);
            if (text.size() >= 64 * 1024) {
                std::fwrite(text.data(), 1, text.size(), stdout);
                text.clear();
            }
        });
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
