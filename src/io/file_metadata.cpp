#include "io/file_metadata.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace tagshifter::io {

namespace {

bool copyExtendedAttributes(int from, int to)
{
    ssize_t size = flistxattr(from, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP;  // a file system without them has none to lose
    if (size == 0)
        return true;
    std::string names(static_cast<size_t>(size), '\0');
    size = flistxattr(from, names.data(), names.size());
    if (size < 0)
        return false;
    names.resize(static_cast<size_t>(size));
    for (size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
        const char* name = names.c_str() + at;
        const ssize_t length = fgetxattr(from, name, nullptr, 0);
        if (length < 0)
            return false;
        std::string value(static_cast<size_t>(length), '\0');
        const ssize_t got = fgetxattr(from, name, value.data(), value.size());
        if (got < 0 || fsetxattr(to, name, value.data(), static_cast<size_t>(got), 0) != 0)
            return false;
    }
    return true;
}

}  // namespace

std::string renameObstacle(const OriginalFile& original)
{
    struct stat link {};
    if (lstat(original.name().c_str(), &link) != 0)
        return "cannot look up the name";
    if (S_ISLNK(link.st_mode))
        return "symbolic link";
    if (original.status().st_nlink > 1)
        return "more than one hard link";
    return {};
}

bool nameLeadsToFile(const OriginalFile& original)
{
    struct stat named {};
    return stat(original.name().c_str(), &named) == 0 && named.st_dev == original.status().st_dev
           && named.st_ino == original.status().st_ino;
}

bool copyMetadata(const OriginalFile& original, int temporary)
{
    const struct stat& status = original.status();
    struct stat made {};
    if (fstat(temporary, &made) != 0)
        return false;
    if ((made.st_uid != status.st_uid || made.st_gid != status.st_gid)
        && fchown(temporary, status.st_uid, status.st_gid) != 0)
        return false;
    if (fchmod(temporary, status.st_mode & 07777) != 0)
        return false;
    if (!copyExtendedAttributes(original.fd(), temporary))
        return false;
    const struct timespec times[2] = {status.st_atim, {0, UTIME_NOW}};
    return futimens(temporary, times) == 0;
}

}  // namespace tagshifter::io
