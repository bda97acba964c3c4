#include "sys/folder_tree.h"

#include "sys/folder_path.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace tagshifter::sys {

bool FolderTree::add(Node parent, const std::string& name, Fd opened, Node& node)
{
    struct stat status {};
    if (fstat(opened.get(), &status) != 0)
        return false;
    node = static_cast<Node>(entries_.size());
    entries_.push_back({parent, name, status.st_dev, status.st_ino});
    hold(node, Folder::adopt(std::move(opened)));
    return true;
}

std::shared_ptr<const Folder> FolderTree::held(Node node)
{
    const auto found = std::find_if(held_.begin(), held_.end(), [node](const auto& h) { return h.first == node; });
    if (found == held_.end())
        return nullptr;
    std::rotate(found, found + 1, held_.end());
    return held_.back().second;
}

void FolderTree::hold(Node node, std::shared_ptr<const Folder> folder)
{
    if (held_.size() == kHeld)
        held_.erase(held_.begin());
    held_.emplace_back(node, std::move(folder));
}

std::shared_ptr<const Folder> FolderTree::reopen(const std::shared_ptr<const Folder>& parent, Node node,
                                                 int& error)
{
    const Entry& entry = entries_[node];
    Fd fd;
    int why = 0;
    if (parent) {
        fd.reset(openSubfolder(parent->fd(), entry.name));
        why = errno;
    } else {
        FolderOpening opening = openFolderPath(entry.name);
        fd = std::move(opening.fd);
        why = opening.error;
    }
    struct stat status {};
    if (fd.valid() && fstat(fd.get(), &status) != 0)
        fd.reset(), why = errno;
    if (!fd.valid()) {
        // Where a folder stood, a link or a file now: swapped.
        error = why == ELOOP || why == ENOTDIR ? kFolderSwapped : why;
        return nullptr;
    }
    if (status.st_dev != entry.device || status.st_ino != entry.inode) {
        error = kFolderSwapped;
        return nullptr;
    }
    auto folder = Folder::adopt(std::move(fd));
    hold(node, folder);
    return folder;
}

std::shared_ptr<const Folder> FolderTree::open(Node node, int& error)
{
    if (auto folder = held(node))
        return folder;
    // Up to the nearest folder still held (or the root, opened by its
    // name again), then down one step at a time.
    std::vector<Node> down;
    std::shared_ptr<const Folder> folder;
    for (Node at = node; !folder; at = entries_[at].parent) {
        down.push_back(at);
        if (entries_[at].parent == kNoParent)
            break;
        folder = held(entries_[at].parent);
    }
    for (auto it = down.rbegin(); it != down.rend(); ++it)
        if (!(folder = reopen(folder, *it, error)))
            return nullptr;
    return folder;
}

}  // namespace tagshifter::sys
