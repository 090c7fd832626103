#pragma once
// Text conversions at the edges: everything inside the program is UTF-8.

#include <string>
#include <string_view>

namespace runtime {

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view bytes);

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view utf8);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view utf16);

// Windows-1252 bytes to UTF-16 (the five unassigned bytes map to the C1 controls, as Windows
// does).
std::u16string windows1252ToUtf16(std::string_view bytes);

// A character folded for comparisons that ignore letter case (ASCII and Latin-1 letters).
char16_t foldCase(char16_t c);

// True when the two texts are equal without regard to letter case.
bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b);

}  // namespace runtime
