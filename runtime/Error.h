#pragma once
// Run-time errors: a number in the forms runtime's numbering and its description.

#include <cstdint>
#include <string>
#include <string_view>

namespace runtime {

// The error numbers the program raises or reports.
enum ErrorNumber : std::int32_t {
    kInvalidProcedureCall = 5,
    kOverflow = 6,
    kOutOfMemory = 7,
    kTypeMismatch = 13,
    kFileNotFound = 53,
    kPermissionDenied = 70,
    kPathFileAccessError = 75,
    kPathNotFound = 76,
    kInvalidPropertyValue = 380,
};

struct Error {
    std::int32_t number = 0;
    std::string description;
    // What failed, for the person who has to fix it: a file's path as it was resolved, a
    // program as it was parsed from its command line. Empty when there is nothing to name.
    std::string detail;
};

// The runtime's own description of an error number ("Overflow" for 6); a generic text for
// numbers it does not know.
std::string errorDescription(std::int32_t number);

// An Error with the runtime's own description for its number, naming what failed.
Error makeError(std::int32_t number, std::string detail = {});

// Inside a catch block: the runtime error for the exception being handled. A runtime::Error is
// itself; std::bad_alloc is 7, "Out of memory"; any other std::exception is 5 with its text.
// Any other exception is thrown on.
Error currentError();

// The text of the box that reports an unhandled error: "Run-time error 'N':", an empty line,
// the description and, when there is one, an empty line and what failed.
std::string fatalErrorText(const Error& error);

// A message box's text on one line, for a log: its non-empty lines joined by "; " (by a blank
// after a line that ends in a colon).
std::string singleLine(std::string_view text);

}  // namespace runtime
