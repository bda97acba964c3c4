#include "io/file_metadata.h"

namespace tagshifter::io {

std::string renameObstacle(const OriginalFile& original)
{
    if (original.viaLink())
        return "symbolic link";
    if (original.status().st_nlink > 1)
        return "more than one hard link";
    return {};
}

}  // namespace tagshifter::io
