#pragma once
// The Windows rules for the program of a command line, shared by the backend and the lookup.

#include <string_view>

namespace runtime::win32 {

// The program as the command line names it: the text inside the leading quotes, or else the
// first blank-delimited word.
std::wstring_view programOf(std::wstring_view commandLine);

}  // namespace runtime::win32
