#pragma once
// Settings text to typed values, as the forms runtime converts a string: errors are thrown as
// runtime::Error (13 "Type mismatch" for text that is not of the type, 6 "Overflow" for a
// number out of range).

#include <cstdint>
#include <string_view>
#include <vector>

namespace settings {

// "True"/"False" in any case with blanks around, or any number (0 is False).
bool toBoolean(std::string_view text);

// A number rounded to the nearest integer, a half to even: plain decimal with optional sign
// and blanks, fractions and exponents ("2.5", "1e3"), "&H" hex and "&O" octal.
std::int32_t toLong(std::string_view text);
std::int16_t toInteger(std::string_view text);

// A list of 32-bit numbers separated by commas and/or blanks ("600, 300, 60"), each read as
// toLong reads it; a value that toLong reads whole is that one number, exactly as it was read
// before lists. Numbers of 0 or less are left out and repeats count once; the rest come
// largest first. An empty item ("60,,30") or one that is no number is error 13.
std::vector<std::int32_t> toSecondsList(std::string_view text);

// A time of day, "HH:MM" or "HH:MM:SS" on the 24-hour clock with blanks around, as seconds
// since midnight; anything else ("25:61", "9 pm") is error 13.
std::int32_t toTimeOfDay(std::string_view text);

// Narrows a 32-bit number to 16 bits; overflow outside -32768..32767.
std::int16_t narrowToInteger(std::int32_t value);

}  // namespace settings
