// What a frame of fields (a picture, an object, synchronised lyrics, an
// ownership, a table of contents) means, read as the tag library reads it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tagshifter::io {

// The digest of what a frame of fields means, TagLib's way of reading it;
// nothing for frames not read so here. `id`: of an ID3v2.3 or 2.4 frame.
// One TagLib cannot read as it stands gets the digest of its very bytes.
std::optional<uint64_t> fieldsDigest(const std::string& id, std::string_view content, int version);

}  // namespace tagshifter::io
