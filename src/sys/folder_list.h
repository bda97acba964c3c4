// What a folder holds, as the walk needs it: its regular files and its
// folders, in byte order of their names; links and everything else left out.
#pragma once

#include "sys/folder.h"

#include <string>
#include <vector>

namespace tagshifter::sys {

struct FolderEntry {
    std::string name;
    bool folder = false;  // else a regular file
    bool other = false;   // neither: a link, a FIFO, a device, ...
};

// Lists the folders and regular files of `folder`, with `others` the rest
// too; false with errno when it cannot be read to the end.
bool listFolder(const Folder& folder, std::vector<FolderEntry>& entries, bool others = false);

}  // namespace tagshifter::sys
