#include "sys/folder.h"

#include "sys/folder_path.h"
#include "sys/folder_tree.h"
#include "sys/seam.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tagshifter::sys {

SplitName splitName(const std::string& name)
{
    const size_t slash = name.rfind('/');
    if (slash == std::string::npos)
        return {".", name};
    std::string base = name.substr(slash + 1);
    // "album/" names the folder itself, which is then refused as no regular file.
    return {slash == 0 ? "/" : name.substr(0, slash), base.empty() ? "." : base};
}

std::string workingFolder()
{
    std::string folder(4096, '\0');
    while (getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE)
            return ".";
        folder.resize(folder.size() * 2);
    }
    folder.resize(std::strlen(folder.c_str()));
    return folder;
}

std::shared_ptr<const Folder> Folder::open(const std::string& path, int& error)
{
    FolderOpening opening = openFolderPath(path);
    error = opening.error;
    return opening.fd.valid() ? adopt(std::move(opening.fd)) : nullptr;
}

std::shared_ptr<const Folder> Folder::adopt(Fd fd)
{
    return std::shared_ptr<const Folder>(new Folder(std::move(fd)));
}

bool Folder::statAt(const std::string& name, struct stat& out, bool follow) const
{
    return fstatat(fd(), name.c_str(), &out, follow ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
}

int Folder::openAt(const std::string& name, int flags, mode_t mode) const
{
    return retried([&] { return openat(this->fd(), name.c_str(), flags | O_CLOEXEC, mode); });
}

bool Folder::renameWithin(const std::string& from, const std::string& to) const
{
    return renameat(fd(), from.c_str(), fd(), to.c_str()) == 0;
}

bool Folder::unlinkAt(const std::string& name) const
{
    return unlinkat(fd(), name.c_str(), 0) == 0;
}

bool Folder::link(int fd, const std::string& name) const
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (linkat(AT_FDCWD, self.c_str(), this->fd(), name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    // Without /proc, the same through the descriptor (needs privilege).
    return errno == ENOENT && linkat(fd, "", this->fd(), name.c_str(), AT_EMPTY_PATH) == 0;
}

bool Folder::forbidsReplacing() const
{
    int flags = 0;
    return ioctl(fd(), FS_IOC_GETFLAGS, &flags) == 0 && (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
}

bool Folder::sync() const
{
    return syncFile(fd());
}

std::shared_ptr<const Folder> Folder::child(const std::string& name, bool create) const
{
    if (create && (!stepAllowed(Step::MakeFolder) || mkdirat(fd(), name.c_str(), 0700) != 0) && errno != EEXIST)
        return nullptr;
    if (!stepAllowed(Step::OpenFolder))
        return nullptr;
    const int child = openAt(name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (child < 0)
        return nullptr;
    return adopt(Fd(child));
}

bool Folder::status(struct stat& out) const
{
    return fstat(fd(), &out) == 0;
}

FolderCache::FolderCache(std::shared_ptr<FolderTree> walked) : walked_(std::move(walked)) {}

FolderCache::~FolderCache() = default;

std::shared_ptr<const Folder> FolderCache::open(const std::string& path, int64_t node, int& error)
{
    if (folder_ && node == node_ && (node != kByName || path == path_))
        return folder_;
    if (node != kByName && walked_)
        folder_ = walked_->open(static_cast<FolderTree::Node>(node), error);
    else
        folder_ = Folder::open(path, error);
    node_ = folder_ ? node : kByName;
    path_ = folder_ && node == kByName ? path : std::string();
    return folder_;
}

}  // namespace tagshifter::sys
