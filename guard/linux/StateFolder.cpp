#include "guard/linux/StateFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace guard {
namespace {

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

StateFolder::StateFolder(std::string folder)
    : folder_(std::move(folder)), file_(folder_ + "/guard.state") {
    ::mkdir(folder_.c_str(), 0755);  // the package makes it; a hand-started guard may not have it
}

std::optional<std::string> StateFolder::load() {
    const int fd = ::open(file_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? std::nullopt : std::optional<std::string>("");
    }
    std::string text;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<std::size_t>(st.st_size) <= kMaxStateBytes) {
        char buffer[65536];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
            if (n > 0) {
                text.append(buffer, static_cast<std::size_t>(n));
            }
            if (text.size() > kMaxStateBytes) {
                break;
            }
        }
    }
    ::close(fd);
    return text;  // what is not a state file, too big or unreadable, fails to parse
}

bool StateFolder::save(const std::string& text) {
    const std::string temporary = file_ + ".new";
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool written = writeAll(fd, text) && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || ::rename(temporary.c_str(), file_.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folder_);
    return true;
}

std::string StateFolder::setAside() {
    const std::string aside = file_ + ".unreadable-" + std::to_string(std::time(nullptr));
    if (::rename(file_.c_str(), aside.c_str()) != 0) {
        ::unlink(file_.c_str());
        return aside + " (could not be moved, removed)";
    }
    return aside;
}

}  // namespace guard
