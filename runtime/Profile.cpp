#include "runtime/Profile.h"

#include <algorithm>

#include "runtime/Files.h"
#include "runtime/Text.h"

namespace runtime {
namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view trim(std::u16string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// The next line of `text` from `pos`, without its line end; advances `pos` past the line end.
std::u16string_view nextLine(std::u16string_view text, std::size_t& pos) {
    std::size_t start = pos;
    std::size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) {
        pos = text.size();
        return text.substr(start);
    }
    pos = end + 1;
    if (text[end] == u'\r' && pos < text.size() && text[pos] == u'\n') {
        ++pos;
    }
    return text.substr(start, end - start);
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::u16string_view> sectionName(std::u16string_view line) {
    if (line.empty() || line.front() != u'[') {
        return std::nullopt;
    }
    std::size_t close = line.rfind(u']');
    if (close == std::u16string_view::npos) {
        return std::nullopt;
    }
    return trim(line.substr(1, close - 1));
}

// The default as Windows uses it: without its trailing spaces (leading blanks and tabs stay).
std::u16string_view trimDefault(std::u16string_view s) {
    while (!s.empty() && s.back() == u' ') {
        s.remove_suffix(1);
    }
    return s;
}

std::u16string_view unquote(std::u16string_view value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

std::u16string decodeProfileBytes(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::u16string out;
        out.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        }
        return out;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    return isValidUtf8(bytes) ? utf8ToUtf16(bytes) : windows1252ToUtf16(bytes);
}

void scanProfile(std::u16string_view text, const std::function<bool(const ProfileLine&)>& visit) {
    std::size_t number = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        ProfileLine line;
        line.number = ++number;
        std::u16string_view content = trim(nextLine(text, pos));
        if (auto name = sectionName(content)) {
            line.kind = ProfileLine::Section;
            line.name = *name;
        } else if (std::size_t eq = content.find(u'='); eq != std::u16string_view::npos) {
            line.kind = ProfileLine::Key;
            line.name = trim(content.substr(0, eq));
            line.written = trim(content.substr(eq + 1));
            line.value = unquote(line.written);
        }
        if (!visit(line)) {
            return;
        }
    }
}

std::optional<std::u16string> findProfileValue(std::u16string_view text,
                                               std::u16string_view section,
                                               std::u16string_view key) {
    std::u16string_view wantedSection = trim(section);
    std::u16string_view wantedKey = trim(key);
    bool inSection = false;
    std::optional<std::u16string> found;
    scanProfile(text, [&](const ProfileLine& line) {
        if (line.kind == ProfileLine::Section) {
            if (inSection) {
                return false;  // only the first matching section counts
            }
            inSection = equalsIgnoreCase(line.name, wantedSection);
        } else if (inSection && line.kind == ProfileLine::Key &&
                   equalsIgnoreCase(line.name, wantedKey)) {
            found = std::u16string(line.value);
            return false;
        }
        return true;
    });
    return found;
}

std::size_t readProfileText(std::u16string_view text, std::u16string_view section,
                            std::u16string_view key, std::u16string_view defaultValue,
                            char16_t* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    std::optional<std::u16string> value = findProfileValue(text, section, key);
    std::u16string_view result = value ? std::u16string_view(*value) : trimDefault(defaultValue);
    std::size_t n = std::min(result.size(), size - 1);
    if (n < result.size() && n > 0 && result[n - 1] >= 0xD800 && result[n - 1] <= 0xDBFF) {
        --n;  // never keep the first half of a pair whose second half was cut off
    }
    std::copy_n(result.begin(), n, buffer);
    buffer[n] = u'\0';
    return n;
}

std::size_t readProfileString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view defaultValue, char16_t* buffer, std::size_t size,
                              std::string_view utf8File) {
    // A missing or unreadable file reads as an empty one: every key takes the default.
    std::optional<std::string> bytes = tryReadWholeFile(utf8File);
    std::u16string text = bytes ? decodeProfileBytes(*bytes) : std::u16string();
    return readProfileText(text, section, key, defaultValue, buffer, size);
}

}  // namespace runtime
