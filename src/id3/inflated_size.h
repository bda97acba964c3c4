// How long a frame's zlib-compressed data is once inflated, to check the
// length a frame gives it against what it holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tagshifter::id3 {

// The inflated length of the zlib stream `compressed`, counted without
// keeping the bytes; nullopt where the stream is broken, does not end
// within `compressed`, or inflates to more than `limit` bytes.
std::optional<uint64_t> inflatedSize(std::string_view compressed, uint64_t limit);

}  // namespace tagshifter::id3
