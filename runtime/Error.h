#pragma once
// Run-time errors: a number in the forms runtime's numbering and its description.

#include <cstdint>
#include <string>

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
};

// The runtime's own description of an error number ("Overflow" for 6); a generic text for
// numbers it does not know.
std::string errorDescription(std::int32_t number);

// An Error with the runtime's own description for its number.
Error makeError(std::int32_t number);

}  // namespace runtime
