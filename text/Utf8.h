#pragma once
// UTF-8, the program's inside encoding, and UTF-16, the one Windows and profile files speak.

#include <string>
#include <string_view>

namespace text {

// The character that stands in for anything that cannot be decoded.
inline constexpr char32_t kReplacement = 0xFFFD;

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// Appends `cp` as UTF-8; surrogates and values above U+10FFFF become U+FFFD.
void appendUtf8(std::string& out, char32_t cp);

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view utf8);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view utf16);

}  // namespace text
