#include "sys/metadata.h"

#include "sys/fd.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <string>
#include <vector>

namespace tagshifter::sys {

namespace {

// The names of a file's extended attributes; false on an error other than
// a file system that has none.
bool attributeNames(int fd, std::vector<std::string>& names)
{
    std::string list(256, '\0');
    ssize_t size;
    while ((size = flistxattr(fd, list.data(), list.size())) < 0 && errno == ERANGE) {
        const ssize_t needed = flistxattr(fd, nullptr, 0);
        if (needed < 0)
            return false;
        list.resize(static_cast<size_t>(needed) + 1);
    }
    if (size < 0)
        return errno == ENOTSUP;
    for (size_t at = 0; at < static_cast<size_t>(size); at = list.find('\0', at) + 1)
        names.emplace_back(list.c_str() + at);
    return true;
}

// Removes what the new file got from its folder (a default ACL) that the
// original lacks. Security labels are the system's to give, and stay.
bool dropExtraAttributes(int to, const std::vector<std::string>& keep)
{
    std::vector<std::string> names;
    if (!attributeNames(to, names))
        return false;
    for (const std::string& name : names) {
        if (name.rfind("security.", 0) == 0)
            continue;
        const bool kept = std::find(keep.begin(), keep.end(), name) != keep.end();
        if (!kept && fremovexattr(to, name.c_str()) != 0)
            return false;
    }
    return true;
}

bool copyAttributes(int from, int to, const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        const ssize_t length = fgetxattr(from, name.c_str(), nullptr, 0);
        if (length < 0)
            return false;
        std::string value(static_cast<size_t>(length), '\0');
        const ssize_t got = fgetxattr(from, name.c_str(), value.data(), value.size());
        if (got < 0 || fsetxattr(to, name.c_str(), value.data(), static_cast<size_t>(got), 0) != 0)
            return false;
    }
    return true;
}

}  // namespace

bool copyMetadata(int original, const struct stat& status, int temporary)
{
    struct stat made {};
    if (!statusOf(temporary, made))
        return false;
    if ((made.st_uid != status.st_uid || made.st_gid != status.st_gid)
        && fchown(temporary, status.st_uid, status.st_gid) != 0)
        return false;
    std::vector<std::string> names;
    if (!attributeNames(original, names) || !dropExtraAttributes(temporary, names))
        return false;
    // The mode before the ACL: setting an access ACL sets the group bits.
    if (fchmod(temporary, status.st_mode & 07777) != 0 || !copyAttributes(original, temporary, names))
        return false;
    const struct timespec times[2] = {status.st_atim, {0, UTIME_NOW}};
    return futimens(temporary, times) == 0;
}

}  // namespace tagshifter::sys
