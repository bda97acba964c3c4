// Albums written after the guess was tuned, to check it on text it never saw.
#pragma once

#include "guess/evaluation_set.h"

namespace tagshifter::test {

inline const std::vector<Album>& heldOutAlbums()
{
    static const std::vector<Album> albums = {};
    return albums;
}

}  // namespace tagshifter::test
