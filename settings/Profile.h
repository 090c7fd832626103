#pragma once
// Our own reader of Windows profile (INI) files, the same on every platform. It follows the
// Windows rules: names matched without regard to case; the line, the key name and the value
// trimmed of blanks; the first '=' splits; a value in one matching pair of quotes loses them;
// the first matching section and the first matching key win; a line without '=' is no key;
// CRLF, LF or CR line ends; no comment syntax. Files may be UTF-16LE with a BOM or UTF-8 with
// or without one; a file that is not valid UTF-8 is read as Windows-1252.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace runtime {

// One line of a profile as the reader sees it.
struct ProfileLine {
    enum Kind { Section, Key, Other };
    Kind kind = Other;
    std::size_t number = 0;       // counted from 1
    std::u16string_view name;     // the section's or the key's name, trimmed
    std::u16string_view written;  // a key's value as written, trimmed
    std::u16string_view value;    // a key's value as the reader returns it (outer quotes gone)
};

// Hands every line of the profile text (already decoded) to `visit`, in order, until it returns
// false. Lookups and the settings checker both read a profile through this.
void scanProfile(std::u16string_view text, const std::function<bool(const ProfileLine&)>& visit);

// True when two section or key names match as the reader matches them: letter case ignored.
bool sameProfileName(std::u16string_view a, std::u16string_view b);

// The name with its letter case folded as the reader folds it, for keeping names in a map.
std::u16string foldProfileName(std::u16string_view name);

// The value of `key` in `section` of the profile text (already decoded), or nothing when the
// section or the key is missing.
std::optional<std::u16string> findProfileValue(std::u16string_view text,
                                               std::u16string_view section,
                                               std::u16string_view key);

// The profile read on text already decoded: copies the value of `key` in `section` (or the
// default) into `buffer` as readProfileString does, and returns the number of units copied.
std::size_t readProfileText(std::u16string_view text, std::u16string_view section,
                            std::u16string_view key, std::u16string_view defaultValue,
                            char16_t* buffer, std::size_t size);

// The profile read: copies the value of `key` in `section` of the file at `utf8File` into
// `buffer` (at most size - 1 units, never half a surrogate pair, then a terminator) and returns
// the number of units copied. A missing or unreadable file, section or key copies
// `defaultValue` instead, without its trailing spaces (as Windows does; leading blanks and
// trailing tabs stay).
std::size_t readProfileString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view defaultValue, char16_t* buffer, std::size_t size,
                              std::string_view utf8File);

}  // namespace runtime
