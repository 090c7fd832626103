#include "runtime/Files.h"

#include <cerrno>
#include <memory>

#include "runtime/Error.h"
#include "runtime/NativeFiles.h"

namespace runtime {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The bytes, or the errno of what failed.
std::optional<std::string> readAll(std::string_view utf8Path, int& error) {
    error = 0;
    if (utf8Path.empty()) {
        error = ENOENT;
        return std::nullopt;
    }
    std::unique_ptr<std::FILE, FileCloser> file(openForReading(utf8Path));
    if (!file) {
        error = errno;
        return std::nullopt;
    }
    std::string bytes;
    char chunk[64 * 1024];
    for (;;) {
        std::size_t n = std::fread(chunk, 1, sizeof chunk, file.get());
        bytes.append(chunk, n);
        if (n < sizeof chunk) {
            break;
        }
    }
    if (std::ferror(file.get())) {
        // A folder opens on some systems but gives a read error.
        error = EIO;
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

std::optional<std::string> tryReadWholeFile(std::string_view utf8Path) {
    int error = 0;
    return readAll(utf8Path, error);
}

std::string readWholeFile(std::string_view utf8Path) {
    int error = 0;
    if (auto bytes = readAll(utf8Path, error)) {
        return *std::move(bytes);
    }
    throw makeError(error == ENOENT ? kFileNotFound : kPathFileAccessError, std::string(utf8Path));
}

std::string resolvePath(std::string_view base, std::string_view path) {
    if (path.empty() || isAbsolutePath(path) || base.empty()) {
        return std::string(path);
    }
    std::string joined(base);
    if (joined.back() != pathSeparator() && joined.back() != '/') {
        joined += pathSeparator();
    }
    return joined += path;
}

}  // namespace runtime
