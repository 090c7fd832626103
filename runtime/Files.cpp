#include "runtime/Files.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "runtime/Error.h"

namespace runtime {

std::filesystem::path pathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::optional<std::string> tryReadWholeFile(std::string_view utf8Path) {
    std::filesystem::path path = pathFromUtf8(utf8Path);
    std::error_code ec;
    if (utf8Path.empty() || std::filesystem::is_directory(path, ec)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

std::string readWholeFile(std::string_view utf8Path) {
    if (auto bytes = tryReadWholeFile(utf8Path)) {
        return *std::move(bytes);
    }
    std::filesystem::path path = pathFromUtf8(utf8Path);
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        throw makeError(kPathFileAccessError);
    }
    std::filesystem::path parent = path.parent_path();
    if (!parent.empty() && !std::filesystem::exists(parent, ec)) {
        throw makeError(kPathNotFound);
    }
    throw makeError(kFileNotFound);
}

}  // namespace runtime

namespace runtime {

std::string resolvePath(std::string_view base, std::string_view path) {
    std::filesystem::path p = pathFromUtf8(path);
    if (path.empty() || p.is_absolute() || p.has_root_name() || p.has_root_directory()) {
        return std::string(path);
    }
    std::u8string joined = (pathFromUtf8(base) / p).u8string();
    return {joined.begin(), joined.end()};
}

}  // namespace runtime
