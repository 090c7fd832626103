#include "settings/Profile.h"

#include <algorithm>

#include "runtime/Files.h"
#include "text/Decode.h"
#include "text/Lines.h"

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

// A character folded for comparisons that ignore letter case (ASCII and Latin-1 letters).
char16_t foldCase(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<char16_t>(c + 32);
    }
    return c;
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

void scanProfile(std::u16string_view text, const std::function<bool(const ProfileLine&)>& visit) {
    std::size_t number = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        ProfileLine line;
        line.number = ++number;
        std::u16string_view content = trim(text::nextLine(text, pos));
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

bool sameProfileName(std::u16string_view a, std::u16string_view b) {
    return std::ranges::equal(a, b,
                              [](char16_t x, char16_t y) { return foldCase(x) == foldCase(y); });
}

std::u16string foldProfileName(std::u16string_view name) {
    std::u16string folded(name);
    std::ranges::transform(folded, folded.begin(), foldCase);
    return folded;
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
            inSection = sameProfileName(line.name, wantedSection);
        } else if (inSection && line.kind == ProfileLine::Key &&
                   sameProfileName(line.name, wantedKey)) {
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
    std::u16string text = bytes ? text::decodeToUtf16(*bytes) : std::u16string();
    return readProfileText(text, section, key, defaultValue, buffer, size);
}

}  // namespace runtime
