#pragma once
// Settings text to typed values, as the forms runtime converts a string: errors are thrown as
// runtime::Error (13 "Type mismatch" for text that is not of the type, 6 "Overflow" for a
// number out of range).

#include <cstdint>
#include <string_view>

namespace settings {

// "True"/"False" in any case with blanks around, or any number (0 is False).
bool toBoolean(std::string_view text);

// A number rounded to the nearest integer, a half to even: plain decimal with optional sign
// and blanks, fractions and exponents ("2.5", "1e3"), "&H" hex and "&O" octal.
std::int32_t toLong(std::string_view text);
std::int16_t toInteger(std::string_view text);

// Narrows a 32-bit number to 16 bits; overflow outside -32768..32767.
std::int16_t narrowToInteger(std::int32_t value);

}  // namespace settings
