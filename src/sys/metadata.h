// What a file carries besides its bytes (owner, mode, times, extended
// attributes), copied onto the new file that replaces it.
#pragma once

#include <sys/stat.h>

namespace tagshifter::sys {

// Makes `temporary` carry what `original` (whose stat is `status`) does: its
// owner (before the mode, which a change of owner may clear), exactly its
// extended attributes (ACLs among them: what the folder's default ACL gave
// the new file goes), its mode, and its access time; the modification time
// is now. False when any of it cannot be carried over.
bool copyMetadata(int original, const struct stat& status, int temporary);

}  // namespace tagshifter::sys
