#include "runtime/Profile.h"

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

bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b) {
    return std::ranges::equal(a, b,
                              [](char16_t x, char16_t y) { return foldCase(x) == foldCase(y); });
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

std::optional<std::u16string> findProfileValue(std::u16string_view text,
                                               std::u16string_view section,
                                               std::u16string_view key) {
    std::u16string_view wantedSection = trim(section);
    std::u16string_view wantedKey = trim(key);
    bool inSection = false;
    for (std::size_t pos = 0; pos < text.size();) {
        std::u16string_view line = trim(text::nextLine(text, pos));
        if (auto name = sectionName(line)) {
            if (inSection) {
                return std::nullopt;  // only the first matching section counts
            }
            inSection = equalsIgnoreCase(*name, wantedSection);
            continue;
        }
        if (!inSection) {
            continue;
        }
        std::size_t eq = line.find(u'=');
        if (eq == std::u16string_view::npos) {
            continue;
        }
        if (equalsIgnoreCase(trim(line.substr(0, eq)), wantedKey)) {
            return std::u16string(unquote(trim(line.substr(eq + 1))));
        }
    }
    return std::nullopt;
}

std::size_t readProfileString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view defaultValue, char16_t* buffer, std::size_t size,
                              std::string_view utf8File) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    std::optional<std::u16string> value;
    if (auto bytes = tryReadWholeFile(utf8File)) {
        value = findProfileValue(text::decodeToUtf16(*bytes), section, key);
    }
    std::u16string_view result = value ? std::u16string_view(*value) : trimDefault(defaultValue);
    std::size_t n = std::min(result.size(), size - 1);
    if (n < result.size() && n > 0 && result[n - 1] >= 0xD800 && result[n - 1] <= 0xDBFF) {
        --n;  // never keep the first half of a pair whose second half was cut off
    }
    std::copy_n(result.begin(), n, buffer);
    buffer[n] = u'\0';
    return n;
}

}  // namespace runtime
