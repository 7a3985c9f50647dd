#include "storage/atomicsave.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace veltra {
namespace {

std::string SystemError(const std::string& what, const std::string& path, std::string* reason,
                        int* errorNumber) {
    if (errorNumber != nullptr) *errorNumber = errno;
    const std::string cause = std::strerror(errno);
    if (reason != nullptr) *reason = cause;
    return what + " " + path + ": " + cause;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A descriptor's own link (/proc/self/fd/1, /dev/fd/1, where /dev/stdout leads): what it
// names is a file this process already has open.
bool IsDescriptorLink(const std::string& path) {
    return path.rfind("/dev/fd/", 0) == 0 ||
           (path.rfind("/proc/", 0) == 0 && path.find("/fd/") != std::string::npos);
}

// The file a save must replace: a symbolic link is followed (through chains of links, relative
// ones from their own folder) so that the link stays and its target gets the new content.
// A link to nowhere yet names the file to create. False for a loop or a link that cannot be read.
// `descriptor` tells whether the way led through a descriptor's link.
bool ResolveLinks(const std::string& path, std::string& target, bool& descriptor) {
    target = path;
    descriptor = false;
    for (int hops = 0; hops < 40; ++hops) {
        descriptor = descriptor || IsDescriptorLink(target);
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        // The size lstat gives is not the length of every link (those under /proc say 64).
        std::vector<char> buf(static_cast<std::size_t>(std::max<off_t>(st.st_size, PATH_MAX)) + 1);
        const ssize_t n = ::readlink(target.c_str(), buf.data(), buf.size());
        if (n < 0 || static_cast<std::size_t>(n) >= buf.size()) return false;
        const std::string link(buf.data(), static_cast<std::size_t>(n));
        target = link.front() == '/' || target.find('/') == std::string::npos
                     ? link
                     : FolderOf(target) + "/" + link;
    }
    errno = ELOOP;
    return false;
}

// A file-size limit would kill the process with SIGXFSZ in the middle of a save and leave the
// temporary file behind; ignored, the write fails with EFBIG and is reported like any other.
void IgnoreFileSizeSignal() {
    struct sigaction old {};
    if (::sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
        std::signal(SIGXFSZ, SIG_IGN);
}

bool WriteAll(int fd, std::string_view data) {
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// What is not a regular file (a FIFO, a terminal, a device node) is written into as it is:
// replacing it by a rename would put a regular file in its place, and a reader waiting on it
// would never see the content. So is a regular file reached through a descriptor's link
// (`--save /dev/stdout` with standard output sent to a file): it gets the content at its end,
// after what the descriptor wrote, as the descriptor itself would write it.
bool WriteInPlace(const std::string& path, std::string_view data, int flags, std::string& errorText,
                  std::string* reason, int* errorNumber) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        errorText = SystemError("Cannot open", path, reason, errorNumber);
        return false;
    }
    if (!WriteAll(fd, data)) {
        errorText = SystemError("Cannot write", path, reason, errorNumber);
        ::close(fd);
        return false;
    }
    if (::close(fd) != 0) {
        errorText = SystemError("Cannot close", path, reason, errorNumber);
        return false;
    }
    return true;
}

// Closes and, unless released, removes the temporary file on every early return. It is named
// after the file it will become, hidden: ".NAME.tmp-XXXXXX" next to it.
class TempFile {
public:
    explicit TempFile(const std::string& target)
        : name_(FolderOf(target) + "/." + BaseOf(target) + ".tmp-XXXXXX") {
        std::vector<char> buf(name_.begin(), name_.end());
        buf.push_back('\0');
        fd_ = ::mkstemp(buf.data());
        name_.assign(buf.data());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!kept_) ::unlink(name_.c_str());
    }
    int Fd() const { return fd_; }
    const std::string& Name() const { return name_; }
    bool Close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0;
    }
    void Keep() { kept_ = true; }

private:
    std::string name_;
    int fd_ = -1;
    bool kept_ = false;
};

} // namespace

bool AtomicSave(const std::string& path, const std::function<bool(std::ostream&)>& write,
                std::string& errorText, std::string* reason, int* errorNumber) {
    errorText.clear();
    if (errorNumber != nullptr) *errorNumber = 0;
    IgnoreFileSizeSignal();
    std::ostringstream content;
    if (!write(content) || !content) {
        errorText = "Cannot write " + path;
        if (reason != nullptr) *reason = "the content could not be made";
        return false;
    }
    // Messages name the file the user chose, never the link target or the temporary file.
    std::string target;
    bool descriptor = false;
    if (!ResolveLinks(path, target, descriptor)) {
        errorText = SystemError("Cannot create file", path, reason, errorNumber);
        return false;
    }
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode))
            return WriteInPlace(path, content.view(), O_WRONLY, errorText, reason, errorNumber);
        if (S_ISREG(existing.st_mode) && descriptor)
            return WriteInPlace(path, content.view(), O_WRONLY | O_APPEND, errorText, reason,
                                errorNumber);
    }
    TempFile temp(target);
    if (temp.Fd() < 0) {
        errorText = SystemError("Cannot create file", path, reason, errorNumber);
        return false;
    }
    // Keep the permissions of the file being replaced; a new file gets the usual 0666 & ~umask.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        ::fchmod(temp.Fd(), old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(temp.Fd(), 0666 & ~mask);
    }
    if (!WriteAll(temp.Fd(), content.view())) {
        errorText = SystemError("Cannot write", path, reason, errorNumber);
        return false;
    }
    if (::fsync(temp.Fd()) != 0) {
        errorText = SystemError("Cannot flush", path, reason, errorNumber);
        return false;
    }
    if (!temp.Close()) {
        errorText = SystemError("Cannot close", path, reason, errorNumber);
        return false;
    }
    if (::rename(temp.Name().c_str(), target.c_str()) != 0) {
        errorText = SystemError("Cannot replace", path, reason, errorNumber);
        return false;
    }
    temp.Keep();
    // Make the rename itself durable; a failure here no longer endangers either file.
    const int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace veltra
