#include "sys/folder_path.h"

#include "sys/fd.h"
#include "sys/seam.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace tagshifter::sys {

namespace {

constexpr int kMostLinks = 40;  // as the kernel allows in one name

// Room for the target of the link whose stat is `status`, and a byte more
// to tell one that grew meanwhile. The links of /proc (/proc/self, a
// process's root and working folder) give their size as 0: room for any.
size_t targetRoom(const struct stat& status)
{
    return status.st_size > 0 ? static_cast<size_t>(status.st_size) + 1 : PATH_MAX;
}

int openFolderStep(int at, const char* name, int mode)
{
    if (!stepAllowed(Step::OpenFolder))
        return -1;
    return retried([&] { return openat(at, name, mode | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); });
}

// Where the resolution stands: the current folder until a part is opened.
class Cursor {
public:
    explicit Cursor(int start = AT_FDCWD) : start_(start) {}
    int fd() const { return held_.valid() ? held_.get() : start_; }
    void moveTo(int fd) { held_.reset(fd); }
    Fd take() { return std::move(held_); }

    // Moves along `path`; the last part is opened for reading when
    // `forReading`. False with `error` set.
    bool walk(const std::string& path, bool forReading, int& error);

private:
    bool step(const std::string& name, bool last, int& error);
    // Follows the link held as `link`, whose stat is `status`.
    bool followLink(int link, const struct stat& status, bool last, int& error);

    int start_;
    Fd held_;
    int links_ = 0;
};

bool Cursor::walk(const std::string& path, bool forReading, int& error)
{
    std::vector<std::string> parts;
    size_t start = 0;
    if (!path.empty() && path[0] == '/') {
        const int root = openFolderStep(AT_FDCWD, "/", O_PATH);
        if (root < 0) {
            error = errno;
            return false;
        }
        moveTo(root);
    }
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    if (parts.empty())
        parts.emplace_back(".");
    for (size_t i = 0; i < parts.size(); ++i)
        if (!step(parts[i], forReading && i + 1 == parts.size(), error))
            return false;
    return true;
}

bool Cursor::step(const std::string& name, bool last, int& error)
{
    int fd = openFolderStep(this->fd(), name.c_str(), last ? O_RDONLY : O_PATH);
    if (fd < 0 && (errno == ELOOP || errno == ENOTDIR)) {
        // The link itself, held: its owner and its target are then read
        // from the one link, whatever is renamed over its name meanwhile.
        const int why = errno;
        Fd link(openat(this->fd(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat status {};
        if (link.valid() && fstat(link.get(), &status) == 0 && S_ISLNK(status.st_mode))
            return followLink(link.get(), status, last, error);
        errno = why;
    }
    if (fd < 0 && errno == EACCES && last)  // a folder one may search but not list
        fd = openFolderStep(this->fd(), name.c_str(), O_PATH);
    if (fd < 0) {
        error = errno;
        return false;
    }
    moveTo(fd);
    return true;
}

bool Cursor::followLink(int link, const struct stat& status, bool last, int& error)
{
    struct stat holder {};
    if (fstatat(fd(), ".", &holder, 0) != 0) {
        error = errno;
        return false;
    }
    if (status.st_uid != geteuid() && status.st_uid != holder.st_uid) {
        error = kLinkRefused;
        return false;
    }
    if (++links_ > kMostLinks) {
        error = ELOOP;
        return false;
    }
    std::string target(targetRoom(status), '\0');
    if (!stepAllowed(Step::ReadLink)) {
        error = errno;
        return false;
    }
    const ssize_t length = readlinkat(link, "", target.data(), target.size());
    if (length < 0 || static_cast<size_t>(length) >= target.size()) {
        error = length < 0 ? errno : kFolderSwapped;
        return false;
    }
    target.resize(static_cast<size_t>(length));
    return walk(target, last, error);
}

}  // namespace

FolderOpening openFolderPath(const std::string& path, int at)
{
    FolderOpening opening;
    if (path.size() >= PATH_MAX) {  // as the system would refuse it
        opening.error = ENAMETOOLONG;
        return opening;
    }
    Cursor cursor(at);
    if (cursor.walk(path, true, opening.error))
        opening.fd = cursor.take();
    return opening;
}

Fd followFileLink(int at, Fd link, struct stat& status, std::vector<LinkOwners>& passed, int& error)
{
    Fd holder;  // the folder of the link being followed, once not `at`
    while (S_ISLNK(status.st_mode)) {
        if (passed.size() == kMostLinks) {
            error = ELOOP;
            return Fd();
        }
        struct stat holding {};
        if (fstatat(holder.valid() ? holder.get() : at, ".", &holding, 0) != 0) {
            error = errno;
            return Fd();
        }
        passed.push_back({status.st_uid, holding.st_uid});
        std::string target(targetRoom(status), '\0');
        const ssize_t length
            = stepAllowed(Step::ReadLink) ? readlinkat(link.get(), "", target.data(), target.size()) : -1;
        if (length < 0 || static_cast<size_t>(length) >= target.size()) {
            error = length < 0 ? errno : kFolderSwapped;
            return Fd();
        }
        target.resize(static_cast<size_t>(length));
        const size_t slash = target.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
        const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
        FolderOpening opening = openFolderPath(folder, holder.valid() ? holder.get() : at);
        if (!opening.fd.valid()) {
            error = opening.error;
            return Fd();
        }
        holder = std::move(opening.fd);
        link.reset(retried([&] {
            return openat(holder.get(), base.empty() ? "." : base.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        }));
        if (!link.valid() || fstat(link.get(), &status) != 0) {
            error = errno;
            return Fd();
        }
    }
    return link;
}

int openSubfolder(int at, const std::string& name)
{
    return openFolderStep(at, name.c_str(), O_RDONLY);
}

std::string folderError(int error, const char* linkRefused, const char* swapped)
{
    if (error == kLinkRefused)
        return linkRefused;
    if (error == kFolderSwapped)
        return swapped;
    return std::strerror(error);
}

}  // namespace tagshifter::sys
