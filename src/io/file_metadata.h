// What a file carries besides its bytes (owner, mode, times, extended
// attributes, links), and whether a new file renamed over it would keep it.
#pragma once

#include "io/original_file.h"

#include <string>

namespace tagshifter::io {

// Why replacing the file by a rename would lose something the metadata copy
// cannot bring over (a symbolic link operand, more than one hard link), or
// an empty text when nothing stands in the way.
std::string renameObstacle(const OriginalFile& original);

// Makes `temporary` carry what the original does: its owner (before the
// mode, which a change of owner may clear), exactly its extended attributes
// (ACLs among them: what the folder's default ACL gave the new file goes),
// its mode, and its access time; the modification time is now. False when
// any of it cannot be carried over.
bool copyMetadata(const OriginalFile& original, int temporary);

}  // namespace tagshifter::io
