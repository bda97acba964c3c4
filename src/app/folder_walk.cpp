#include "app/folder_walk.h"

#include "app/formats.h"
#include "common/messages.h"
#include "sys/folder_list.h"
#include "sys/folder_path.h"
#include "sys/folder_tree.h"

#include <algorithm>
#include <cerrno>

namespace tagshifter {

namespace {

std::string folderError(int error)
{
    return sys::folderError(error, messages::kFolderLinkNotFollowed, messages::kFolderReplaced);
}

// One folder of the walk: its entries still to go, and where its name ends
// in the path being built (one path for the whole depth, not one a level).
struct Level {
    sys::FolderTree::Node node;
    std::vector<sys::FolderEntry> entries;
    size_t next = 0;
    size_t pathLength = 0;
};

class Walk {
public:
    explicit Walk(FileList& list) : list_(list) {}
    void operand(const std::string& name, sys::Fd opened);

private:
    // Lists the folder just added as `node`; false, reported, when it cannot be read.
    bool enter(sys::FolderTree::Node node, const std::string& shown);
    void fail(const std::string& folder, int error) { list_.unreadable.push_back({folder, folderError(error)}); }

    FileList& list_;
    std::vector<Level> levels_;
    std::string path_;  // the folder being listed, ending in a slash
};

bool Walk::enter(sys::FolderTree::Node node, const std::string& shown)
{
    int error = 0;
    const auto folder = list_.walked->open(node, error);
    Level level{node, {}, 0, path_.size()};
    if (!folder || !sys::listFolder(*folder, level.entries)) {
        fail(shown, folder ? errno : error);
        return false;
    }
    level.entries.erase(std::remove_if(level.entries.begin(), level.entries.end(),
                                       [](const sys::FolderEntry& e) { return !e.folder && !Formats::takesName(e.name); }),
                        level.entries.end());
    levels_.push_back(std::move(level));
    return true;
}

void Walk::operand(const std::string& name, sys::Fd opened)
{
    const size_t before = list_.names.size() + list_.unreadable.size();
    sys::FolderTree::Node root = 0;
    if (!list_.walked->addRoot(name, std::move(opened), root)) {
        fail(name, errno);
        return;
    }
    path_ = name.back() == '/' ? name : name + "/";
    const size_t rootLength = path_.size();
    if (!enter(root, name))
        return;
    levels_.back().pathLength = rootLength;
    while (!levels_.empty()) {
        Level& level = levels_.back();
        if (level.next == level.entries.size()) {
            levels_.pop_back();
            if (!levels_.empty())
                path_.resize(levels_.back().pathLength);
            continue;
        }
        const sys::FolderEntry& entry = level.entries[level.next++];
        const sys::FolderTree::Node parent = level.node;
        if (!entry.folder) {
            list_.names.push_back(path_ + entry.name);
            list_.folders.push_back(parent);
            continue;
        }
        const std::string shown = path_ + entry.name;
        int error = 0;
        const auto folder = list_.walked->open(parent, error);
        // Never through a link: a folder swapped for one since the listing is not entered.
        sys::Fd sub(folder ? sys::openSubfolder(folder->fd(), entry.name) : -1);
        if (!folder || !sub.valid()) {
            fail(shown, folder ? (errno == ELOOP || errno == ENOTDIR ? sys::kFolderSwapped : errno) : error);
            continue;
        }
        sys::FolderTree::Node node = 0;
        if (!list_.walked->addChild(parent, entry.name, std::move(sub), node)) {
            fail(shown, errno);
            continue;
        }
        path_ += entry.name;
        path_ += '/';
        if (!enter(node, shown))
            path_.resize(shown.size() - entry.name.size());
    }
    if (list_.names.size() + list_.unreadable.size() == before)
        list_.withoutFiles.push_back(name);
}

}  // namespace

FileList expandFolders(const std::vector<std::string>& operands)
{
    FileList list;
    list.walked = std::make_shared<sys::FolderTree>();
    Walk walk(list);
    for (const std::string& operand : operands) {
        // An empty operand names no file; the resolution would take it for
        // the working folder, whose files would then show as "/song.mp3".
        sys::FolderOpening opening = operand.empty() ? sys::FolderOpening{} : sys::openFolderPath(operand);
        if (opening.fd.valid()) {
            walk.operand(operand, std::move(opening.fd));
            continue;
        }
        // Not a folder, or not one that may be followed: the loop opens it
        // as a file and says why not.
        list.names.push_back(operand);
        list.folders.push_back(sys::FolderCache::kByName);
    }
    return list;
}

}  // namespace tagshifter
