#pragma once
// Splitting text into lines the way Windows editors write them and everyone else reads them.

#include <cstddef>
#include <string_view>

namespace text {

// The line of `text` that starts at `pos`, without its line end (LF, CRLF or CR); moves `pos`
// past the line end. Loop while `pos < text.size()`: text that ends in a line end has no empty
// last line.
template <class Char>
std::basic_string_view<Char> nextLine(std::basic_string_view<Char> text, std::size_t& pos) {
    const std::size_t start = pos;
    const Char ends[] = {Char('\r'), Char('\n'), Char(0)};
    const std::size_t end = text.find_first_of(ends, start);
    if (end == std::basic_string_view<Char>::npos) {
        pos = text.size();
        return text.substr(start);
    }
    pos = end + 1;
    if (text[end] == Char('\r') && pos < text.size() && text[pos] == Char('\n')) {
        ++pos;
    }
    return text.substr(start, end - start);
}

}  // namespace text
