#pragma once
// The settings reference, generated from the table of keys so that it cannot drift from what
// the program reads: the manual page porvane.ini(5) on Linux, a text file beside Porvane.exe on
// Windows, and the README's table of keys. Only the table, the keys' meanings and these words
// about the file's format go into it.

#include <string>
#include <string_view>

namespace settings {

// porvane.ini(5), in the man macros.
std::string manPage(std::string_view version);

// The keys as the README's table gives them, in Markdown: section, key, type, default, when
// read and meaning, one row a key.
std::string markdownTable();

// The same reference as plain text with CR LF line ends, lines of at most 78 characters.
std::string textReference(std::string_view version);

}  // namespace settings
