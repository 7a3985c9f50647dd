#include "storage/atomicsave.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace veltra {
namespace {

std::string SystemError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Closes and, unless released, removes the temporary file on every early return.
class TempFile {
public:
    explicit TempFile(const std::string& target) : name_(target + ".XXXXXX") {
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

bool WriteAll(int fd, const std::string& data) {
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

} // namespace

bool AtomicSave(const std::string& path, const std::function<bool(std::ostream&)>& write,
                std::string& errorText) {
    errorText.clear();
    std::ostringstream content;
    if (!write(content) || !content) {
        errorText = "Cannot write " + path;
        return false;
    }
    TempFile temp(path);
    if (temp.Fd() < 0) {
        errorText = SystemError("Cannot create file", temp.Name());
        return false;
    }
    // Keep the permissions of the file being replaced; a new file gets the usual 0666 & ~umask.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) {
        ::fchmod(temp.Fd(), old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(temp.Fd(), 0666 & ~mask);
    }
    if (!WriteAll(temp.Fd(), content.str())) {
        errorText = SystemError("Cannot write", temp.Name());
        return false;
    }
    if (::fsync(temp.Fd()) != 0) {
        errorText = SystemError("Cannot flush", temp.Name());
        return false;
    }
    if (!temp.Close()) {
        errorText = SystemError("Cannot close", temp.Name());
        return false;
    }
    if (::rename(temp.Name().c_str(), path.c_str()) != 0) {
        errorText = SystemError("Cannot replace", path);
        return false;
    }
    temp.Keep();
    // Make the rename itself durable; a failure here no longer endangers either file.
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace veltra
