#include "runtime/Files.h"

#include <cerrno>
#include <memory>

#include "runtime/Error.h"
#include "runtime/system/NativeFiles.h"

namespace runtime {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The size the file says it has; 0 when it cannot tell, or when the
// answer is out of reach (a folder on some file systems reports an enormous size).
std::size_t expectedSize(std::FILE* file) {
    constexpr long kMostWorthTrusting = 1L << 30;
    long size = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        size = std::ftell(file);
    }
    std::rewind(file);
    return size > 0 && size < kMostWorthTrusting ? static_cast<std::size_t>(size) : 0;
}

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
    // One buffer of the file's size, filled by one read: growing a string chunk by chunk
    // copies the document over and over and leaves it in a buffer up to twice its size.
    std::string bytes(expectedSize(file.get()), '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    // Whatever the size said, read on to the end: the file may have grown meanwhile.
    char chunk[16 * 1024];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) {
        bytes.append(chunk, n);
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

std::string folderOf(std::string_view path) {
    std::size_t separator = path.find_last_of(std::string("/") + pathSeparator());
    if (separator == std::string_view::npos) {
        return {};
    }
    return std::string(path.substr(0, separator == 0 ? 1 : separator));
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
