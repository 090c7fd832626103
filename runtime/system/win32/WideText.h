#pragma once
// UTF-8 inside, UTF-16 at the Win32 edge: the one place that turns one into the other.

#include <string>
#include <string_view>

namespace runtime::win32 {

// UTF-8 to the platform's wide strings; a malformed sequence becomes U+FFFD.
std::wstring widen(std::string_view utf8);
// Wide strings to UTF-8; a lone surrogate becomes U+FFFD.
std::string narrow(std::wstring_view wide);

}  // namespace runtime::win32
