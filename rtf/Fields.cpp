#include "rtf/Fields.h"

#include <vector>

namespace rtf {

namespace {

// Splits a field instruction into arguments: quoted strings lose their quotes, switches like
// \l stay as they are.
std::vector<std::string> arguments(std::string_view s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c <= ' ') {
            ++i;
            continue;
        }
        std::string arg;
        if (c == '"') {
            ++i;
            while (i < s.size() && s[i] != '"') {
                // Writers double the backslashes of Windows paths inside quotes.
                if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '\\') {
                    ++i;
                }
                arg.push_back(s[i++]);
            }
            ++i;
        } else {
            while (i < s.size() && static_cast<unsigned char>(s[i]) > ' ') {
                arg.push_back(s[i++]);
            }
        }
        out.push_back(std::move(arg));
    }
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z') {
            x = static_cast<char>(x - 'a' + 'A');
        }
        if (y >= 'a' && y <= 'z') {
            y = static_cast<char>(y - 'a' + 'A');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string hyperlinkTarget(std::string_view instruction) {
    const std::vector<std::string> args = arguments(instruction);
    if (args.empty() || !equalsIgnoringCase(args[0], "HYPERLINK")) {
        return {};
    }
    std::string target;
    std::string anchor;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() == 2 && a[0] == '\\') {
            const char sw = a[1];
            // \l names a bookmark; \o, \t and \m take an argument we have no use for.
            if ((sw == 'l' || sw == 'o' || sw == 't' || sw == 'm') && i + 1 < args.size()) {
                if (sw == 'l') {
                    anchor = args[i + 1];
                }
                ++i;
            }
            continue;
        }
        if (target.empty()) {
            target = a;
        }
    }
    if (!anchor.empty()) {
        target += "#" + anchor;
    }
    return target;
}

}  // namespace rtf
