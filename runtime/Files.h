#pragma once
// Reading whole files by UTF-8 path, with failures as runtime errors.

#include <optional>
#include <string>
#include <string_view>

namespace runtime {

// The file's bytes. Throws runtime::Error: 53 when it does not exist, 75 when it exists but
// cannot be read (a folder, no permission, a read error).
std::string readWholeFile(std::string_view utf8Path);

// The file's bytes, or nothing when it cannot be read for any reason.
std::optional<std::string> tryReadWholeFile(std::string_view utf8Path);

// The folder part of a path, without the separator: "/" for a file in the root, empty for a
// bare name. Both '/' and the system's separator count.
std::string folderOf(std::string_view path);

// `path` when it is absolute or empty, else `path` taken relative to the folder `base`.
std::string resolvePath(std::string_view base, std::string_view path);

}  // namespace runtime
