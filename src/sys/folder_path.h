// Folders reached by name without following what another user planted:
// each part of the name opened from the folder before it, and a symbolic
// link followed only where it belongs to the user running the tool or to
// the owner of the folder holding it.
#pragma once

#include "sys/fd.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <fcntl.h>

#include <string>
#include <vector>

namespace tagshifter::sys {

// Why a folder did not open, beside an errno value.
inline constexpr int kLinkRefused = -1;    // a link another user planted stands in the way
inline constexpr int kFolderSwapped = -2;  // not the folder met before: replaced meanwhile

struct FolderOpening {
    Fd fd;          // open for reading where allowed, else only as a place to look in
    int error = 0;  // an errno value or one of the above, when not opened
};

// Opens the folder `path` (relative to the folder `at`, the current one by
// default, unless it starts with a slash; "" is that folder).
FolderOpening openFolderPath(const std::string& path, int at = AT_FDCWD);

// Follows `link`, a symbolic link held as a path handle in the folder `at`,
// with `status` its stat, to what it leads to: each link on the way held
// while its target is read, the folder part of each target opened as above.
// A path handle of the end, `status` then its stat, and in `passed` the
// owners of each link passed and of the folder holding it, for the
// caller's rule; invalid with `error`.
struct LinkOwners {
    uid_t link;
    uid_t folder;
};
Fd followFileLink(int at, Fd link, struct stat& status, std::vector<LinkOwners>& passed, int& error);

// Opens the folder `name` in the folder `at` for reading, never through a
// link; -1 with errno otherwise.
int openSubfolder(int at, const std::string& name);

// The system's text for `error`, or the message given for the two above.
std::string folderError(int error, const char* linkRefused, const char* swapped);

}  // namespace tagshifter::sys
