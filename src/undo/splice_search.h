// Where a stretch of bytes cut short mid-way was cut: the places at which
// the start of one string joined to the end of another hashes as given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tagshifter::undo {

// Every k in [0, n] (n: the length of both) at which `first`'s bytes [0, k)
// followed by `second`'s [k, n) hash (hashBytes) to `hash`, found in one pass
// over each. Where `first` and `second` agree on every byte between two such
// places, the joins are the same bytes, so only the first of them is given.
// At most `most` places, in order.
std::vector<uint64_t> splicesHashingTo(const std::string& first, const std::string& second, uint64_t hash,
                                       size_t most);

}  // namespace tagshifter::undo
