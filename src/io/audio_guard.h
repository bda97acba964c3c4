// The guard against audio lost in the tag library: every byte the save
// drops must lie in a tag as the tool's own reader sees the file.
#pragma once

#include "io/edit_stream.h"
#include "io/original_file.h"

#include <optional>
#include <string>
#include <vector>

namespace tagshifter::io {

// Checks the bytes of `original` that the new content (`pieces`) no longer
// holds: each run of them must be ID3v2 tags (a tag and those right behind
// it, a footer only where one stands) followed by nothing, or by the APE and
// ID3v1 tags that end the file; a tag whose size reaches past the end of
// the file holds only its frames and zeros, and no tag holds MPEG audio
// frames behind its padding. Returns why not, naming the audio bytes that
// would be lost.
std::optional<std::string> findAudioLoss(const std::vector<Piece>& pieces, OriginalFile& original);

}  // namespace tagshifter::io
