#include "sys/folder_list.h"

#include "sys/seam.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace tagshifter::sys {

namespace {
struct CloseListing {
    void operator()(DIR* listing) const { closedir(listing); }
};
}  // namespace

bool listFolder(const Folder& folder, std::vector<FolderEntry>& entries, bool others)
{
    entries.clear();
    if (!stepAllowed(Step::ReadFolder))
        return false;
    // Its own descriptor, so that the listing starts at the beginning and
    // the folder stays held after it.
    const int fd = fcntl(folder.fd(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const std::unique_ptr<DIR, CloseListing> listing(fdopendir(fd));
    if (!listing) {
        // A folder held only as a place to look in cannot be listed.
        const int error = errno == EBADF ? EACCES : errno;
        close(fd);
        errno = error;
        return false;
    }
    rewinddir(listing.get());
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(listing.get());
        if (!entry) {
            if (errno != 0)
                return false;
            break;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat status {};
            if (!folder.statAt(name, status, false))
                continue;  // gone since the listing
            type = S_ISREG(status.st_mode) ? DT_REG : S_ISDIR(status.st_mode) ? DT_DIR : DT_UNKNOWN;
        }
        if (type == DT_REG || type == DT_DIR || others)
            entries.push_back({name, type == DT_DIR, type != DT_REG && type != DT_DIR});
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return true;
}

}  // namespace tagshifter::sys
