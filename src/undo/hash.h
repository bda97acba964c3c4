// The hash that tells whether bytes are still those a run wrote.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tagshifter::undo {

// A 64-bit hash of 8-byte words, continued from `seed`: fast, and enough to
// tell bytes changed by accident or by another program from those a run
// wrote. Not for bytes chosen to collide: a journal is its user's own.
inline constexpr uint64_t kHashSeed = 0xcbf29ce484222325ull;
uint64_t hashBytes(const char* data, size_t size, uint64_t seed = kHashSeed);
inline uint64_t hashBytes(const std::string& bytes, uint64_t seed = kHashSeed)
{
    return hashBytes(bytes.data(), bytes.size(), seed);
}

// The steps of hashBytes, for a search that hashes many splices of two
// byte strings at once: the hash of `size` bytes starts as
// hashStart(size, seed), takes each whole 8-byte word in turn
// (hashWord), and ends with the word of the bytes left (wordOf, zero when
// none). A step can be undone (hashUnword), so that the state before the
// end of the bytes can be found from the hash of them all.
inline uint64_t hashWord(uint64_t hash, uint64_t word)
{
    hash = (hash ^ word) * 0x9e3779b97f4a7c15ull;
    return hash ^ (hash >> 29);
}
uint64_t hashUnword(uint64_t hash, uint64_t word);
inline uint64_t hashStart(size_t size, uint64_t seed = kHashSeed)
{
    return hashWord(seed, size);
}
// The bytes [data, data + size), up to 8, as one word, the first lowest.
uint64_t wordOf(const char* data, size_t size);

}  // namespace tagshifter::undo
