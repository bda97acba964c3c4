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
};

// Lists `folder`; false with errno when it cannot be read to the end.
bool listFolder(const Folder& folder, std::vector<FolderEntry>& entries);

}  // namespace tagshifter::sys
