#include "runtime/Error.h"

#include <exception>
#include <new>
#include <utility>

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

Error makeError(std::int32_t number, std::string detail) {
    return Error{number, errorDescription(number), std::move(detail)};
}

Error currentError() {
    try {
        throw;
    } catch (const Error& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return makeError(kOutOfMemory);
    } catch (const std::exception& error) {
        return Error{kInvalidProcedureCall, error.what(), {}};
    }
}

std::string fatalErrorText(const Error& error) {
    std::string text =
        "Run-time error '" + std::to_string(error.number) + "':\n\n" + error.description;
    if (!error.detail.empty()) {
        text += "\n\n" + error.detail;
    }
    return text;
}

std::string singleLine(std::string_view text) {
    std::string line;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        std::string_view part = text.substr(pos, end == std::string_view::npos ? end : end - pos);
        if (!part.empty()) {
            // "Run-time error '53':" leads into its description; other lines stand apart.
            if (!line.empty()) {
                line += line.back() == ':' ? " " : "; ";
            }
            line += part;
        }
        if (end == std::string_view::npos) {
            break;
        }
        pos = end + 1;
    }
    return line;
}

}  // namespace runtime
