#include "undo/hash.h"

#include <cstring>

namespace tagshifter::undo {

namespace {

uint64_t wordAt(const char* data)
{
    uint64_t word;
    std::memcpy(&word, data, 8);
    return word;
}

// The inverse of the multiplier of hashWord, modulo 2^64 (Newton's steps,
// each doubling the bits that are right).
constexpr uint64_t inverseOf(uint64_t odd)
{
    uint64_t inverse = odd;
    for (int i = 0; i < 5; ++i)
        inverse *= 2 - odd * inverse;
    return inverse;
}
constexpr uint64_t kInverse = inverseOf(0x9e3779b97f4a7c15ull);
static_assert(kInverse * 0x9e3779b97f4a7c15ull == 1);

}  // namespace

uint64_t hashUnword(uint64_t hash, uint64_t word)
{
    const uint64_t mixed = hash ^ (hash >> 29) ^ (hash >> 58);
    return (mixed * kInverse) ^ word;
}

uint64_t wordOf(const char* data, size_t size)
{
    uint64_t word = 0;
    for (size_t i = 0, shift = 0; i < size && i < 8; ++i, shift += 8)
        word |= static_cast<uint64_t>(static_cast<unsigned char>(data[i])) << shift;
    return word;
}

uint64_t hashBytes(const char* data, size_t size, uint64_t seed)
{
    uint64_t hash = hashStart(size, seed);
    size_t i = 0;
    // Four words a turn: the same hash with a quarter of the loop's own work.
    for (; i + 32 <= size; i += 32) {
        hash = hashWord(hash, wordAt(data + i));
        hash = hashWord(hash, wordAt(data + i + 8));
        hash = hashWord(hash, wordAt(data + i + 16));
        hash = hashWord(hash, wordAt(data + i + 24));
    }
    for (; i + 8 <= size; i += 8)
        hash = hashWord(hash, wordAt(data + i));
    return hashWord(hash, wordOf(data + i, size - i));
}

}  // namespace tagshifter::undo
