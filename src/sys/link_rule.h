// Opening a folder by its path one component at a time, each from the folder
// before it held open, so that a link planted on the way cannot lead the tool
// somewhere its planter chose.
#pragma once

#include "sys/fd.h"

#include <sys/stat.h>

#include <string>

namespace tagshifter::sys {

// Whether a symbolic link may be followed: it belongs to the user running the
// tool, or to the owner of the folder holding it (the kernel's
// protected_symlinks rule, applied everywhere, not only in sticky folders).
bool linkMayBeFollowed(const struct stat& link, const struct stat& folder);

// Opens the folder `path` (relative to the working folder unless absolute):
// every component opened from its parent with O_NOFOLLOW, a link followed
// only by the rule above (at most 40 of them). -1 with errno otherwise
// (EPERM for a link the rule refuses).
Fd openFolderByComponents(const std::string& path);

}  // namespace tagshifter::sys
