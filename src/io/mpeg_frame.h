// MPEG audio frame headers, enough to tell audio from a tag's padding.
#pragma once

#include <cstddef>
#include <string_view>

namespace tagshifter::io {

// The length of the MPEG audio frame whose header starts at `at`, or 0 where
// no valid header stands there.
size_t mpegFrameLength(std::string_view bytes, size_t at);

// Where the first MPEG audio frame at or behind `from` starts that is
// followed right behind it by another of the same stream, or npos: two in a
// row are audio, not stray bytes that look like a header.
size_t findMpegAudio(std::string_view bytes, size_t from);

}  // namespace tagshifter::io
