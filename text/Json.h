#pragma once
// JSON's one piece that every program of ours writes by hand: a string, quoted and escaped.

#include <string>
#include <string_view>

namespace text {

// `text` as a JSON string, quotes included: the quote, the backslash and every control
// character escaped, everything else (UTF-8 included) as it is.
std::string jsonString(std::string_view text);

}  // namespace text
