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

}  // namespace tagshifter::undo
