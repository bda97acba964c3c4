// Whether a new file renamed over a file would keep what it carries besides
// its bytes (the copy itself is sys/metadata.h).
#pragma once

#include "io/original_file.h"

#include <string>

namespace tagshifter::io {

// Why replacing the file by a rename would lose something the metadata copy
// cannot bring over (a symbolic link operand, more than one hard link), or
// an empty text when nothing stands in the way.
std::string renameObstacle(const OriginalFile& original);

}  // namespace tagshifter::io
