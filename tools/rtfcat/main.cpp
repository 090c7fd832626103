// rtfcat: prints what Porvane's RTF reader makes of a file, as text or as the model's outline.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "rtf/Reader.h"

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
        std::cerr << "usage: rtfcat [--model] FILE\n";
        return 1;
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    try {
        if (in) {
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    } catch (const std::ios_base::failure&) {
        in.setstate(std::ios::badbit);  // e.g. a directory: opens, then fails to read
    }
    if (!in.is_open() || in.bad()) {
        std::cerr << "rtfcat: cannot read " << path << ": " << std::strerror(errno) << "\n";
        return 1;
    }
    const rtf::Document document = rtf::parse(bytes);
    std::cout << (model ? rtf::dumpModel(document) : rtf::plainText(document));
    return 0;
}
