// Folders reached by name without following what another user planted:
// each part of the name opened from the folder before it, and a symbolic
// link followed only where it belongs to the user running the tool or to
// the owner of the folder holding it.
#pragma once

#include "sys/fd.h"

#include <string>

namespace tagshifter::sys {

// Why a folder did not open, beside an errno value.
inline constexpr int kLinkRefused = -1;    // a link another user planted stands in the way
inline constexpr int kFolderSwapped = -2;  // not the folder met before: replaced meanwhile

struct FolderOpening {
    Fd fd;          // open for reading where allowed, else only as a place to look in
    int error = 0;  // an errno value or one of the above, when not opened
};

// Opens the folder `path` (relative to the current folder unless it starts
// with a slash; "" is the current folder).
FolderOpening openFolderPath(const std::string& path);

// Opens the folder `name` in the folder `at` for reading, never through a
// link; -1 with errno otherwise.
int openSubfolder(int at, const std::string& name);

// The system's text for `error`, or the message given for the two above.
std::string folderError(int error, const char* linkRefused, const char* swapped);

}  // namespace tagshifter::sys
