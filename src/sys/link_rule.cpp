#include "sys/link_rule.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <vector>

namespace tagshifter::sys {

namespace {

constexpr int kMostLinks = 40;

std::deque<std::string> componentsOf(const std::string& path)
{
    std::deque<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start && path.compare(start, end - start, ".") != 0)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

int openDirectoryAt(int at, const char* name)
{
    int fd;
    do
        fd = openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0 && errno == EACCES)
        fd = openat(at, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return fd;
}

}  // namespace

bool linkMayBeFollowed(const struct stat& link, const struct stat& folder)
{
    return link.st_uid == geteuid() || link.st_uid == folder.st_uid;
}

Fd openFolderByComponents(const std::string& path)
{
    std::deque<std::string> left = componentsOf(path);
    Fd folder(openDirectoryAt(AT_FDCWD, !path.empty() && path[0] == '/' ? "/" : "."));
    int links = 0;
    while (folder && !left.empty()) {
        const std::string part = std::move(left.front());
        left.pop_front();
        Fd next(openDirectoryAt(folder.get(), part.c_str()));
        if (next) {
            folder = std::move(next);
            continue;
        }
        const int error = errno;
        struct stat named {};
        struct stat holder {};
        if ((error != ELOOP && error != ENOTDIR)
            || fstatat(folder.get(), part.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(named.st_mode)) {
            errno = error;
            return Fd();
        }
        if (fstat(folder.get(), &holder) != 0)
            return Fd();
        if (!linkMayBeFollowed(named, holder)) {
            errno = EPERM;
            return Fd();
        }
        if (++links > kMostLinks) {
            errno = ELOOP;
            return Fd();
        }
        std::vector<char> target(static_cast<size_t>(named.st_size > 0 ? named.st_size : 255) + 2);
        const ssize_t length = readlinkat(folder.get(), part.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<size_t>(length) >= target.size()) {
            errno = length < 0 ? errno : ELOOP;  // empty, or grown since the look
            return Fd();
        }
        const std::string to(target.data(), static_cast<size_t>(length));
        std::deque<std::string> spliced = componentsOf(to);
        spliced.insert(spliced.end(), left.begin(), left.end());
        left = std::move(spliced);
        if (to[0] == '/')
            folder = Fd(openDirectoryAt(AT_FDCWD, "/"));
    }
    return folder;
}

}  // namespace tagshifter::sys
