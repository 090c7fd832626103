#include "runtime/Error.h"

namespace runtime {

std::string errorDescription(std::int32_t number) {
    switch (number) {
        case kInvalidProcedureCall:
            return "Invalid procedure call or argument";
        case kOverflow:
            return "Overflow";
        case kOutOfMemory:
            return "Out of memory";
        case kTypeMismatch:
            return "Type mismatch";
        case kFileNotFound:
            return "File not found";
        case kPermissionDenied:
            return "Permission denied";
        case kPathFileAccessError:
            return "Path/File access error";
        case kPathNotFound:
            return "Path not found";
        case kInvalidPropertyValue:
            return "Invalid property value";
        default:
            return "Application-defined or object-defined error";
    }
}

Error makeError(std::int32_t number) {
    return Error{number, errorDescription(number)};
}

}  // namespace runtime
