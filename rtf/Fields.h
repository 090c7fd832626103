// Field instructions: the part of a field that says what the field is.
#pragma once

#include <string>
#include <string_view>

namespace rtf {

// The target of a HYPERLINK field instruction ("HYPERLINK \"https://x\" \\l \"top\"" gives
// "https://x#top"), or an empty string when the field is something else.
std::string hyperlinkTarget(std::string_view instruction);

}  // namespace rtf
