// The folders a walk went through, each known by its parent, its name there
// and its device and inode: any of them opens again from a folder still held
// by single steps that follow no link and notice a folder swapped meanwhile,
// with only a few descriptors held whatever the depth.
#pragma once

#include "sys/folder.h"

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tagshifter::sys {

class FolderTree {
public:
    using Node = uint32_t;
    // Folders held open at most, the last used kept.
    static constexpr size_t kHeld = 16;
    static constexpr Node kNoParent = UINT32_MAX;

    // The folder `name` in `parent`, just opened from it by openSubfolder;
    // with kNoParent, a folder named on the command line, opened by
    // openFolderPath. False with errno when it cannot be looked at.
    bool add(Node parent, const std::string& name, Fd opened, Node& node);

    // The folder `node`, open; nullptr with `error` (an errno value or
    // kLinkRefused or kFolderSwapped) when it is no longer the one walked.
    std::shared_ptr<const Folder> open(Node node, int& error);

private:
    struct Entry {
        Node parent;
        std::string name;  // a root's: its path
        dev_t device;
        ino_t inode;
    };

    std::shared_ptr<const Folder> held(Node node);
    void hold(Node node, std::shared_ptr<const Folder> folder);
    std::shared_ptr<const Folder> reopen(const std::shared_ptr<const Folder>& parent, Node node, int& error);

    std::vector<Entry> entries_;
    std::vector<std::pair<Node, std::shared_ptr<const Folder>>> held_;  // most recently used last
};

}  // namespace tagshifter::sys
