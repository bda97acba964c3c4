#include "undo/hash.h"

namespace tagshifter::undo {

uint64_t hashBytes(const char* data, size_t size, uint64_t seed)
{
    uint64_t hash = seed;
    for (size_t i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(data[i]);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

}  // namespace tagshifter::undo
