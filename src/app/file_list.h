// The files a run goes through: its operands, or with -r what the walk found,
// each with the folder it was found in, and the folders the walk could not
// read.
#pragma once

#include "sys/folder.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tagshifter {

struct FileList {
    std::vector<std::string> names;  // as shown
    // With -r, one per name: its folder in `walked`, or kByName for an
    // operand that is not a folder.
    std::vector<int64_t> folders;
    std::shared_ptr<sys::FolderTree> walked;

    struct Unreadable {
        std::string folder;
        std::string why;
    };
    std::vector<Unreadable> unreadable;     // folders -r could not open or read
    std::vector<std::string> withoutFiles;  // folder operands with no .mp3 in them or below

    size_t size() const { return names.size(); }
    int64_t folderOf(size_t index) const { return folders.empty() ? sys::FolderCache::kByName : folders[index]; }
};

}  // namespace tagshifter
