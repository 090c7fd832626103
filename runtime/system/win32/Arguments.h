#pragma once
// A console program's own arguments, in UTF-8, read from the UTF-16 command line so that any file
// name arrives whole.

#include <string>
#include <vector>

namespace runtime::win32 {

// The arguments after the program's name.
std::vector<std::string> programArguments();

}  // namespace runtime::win32
