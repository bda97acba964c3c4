// A large converted text held in its frame as the bytes the frame writes,
// not as a TagLib string at 4 bytes a character.
#pragma once

#include <string_view>

namespace TagLib {
class Tag;
namespace ID3v2 {
class Frame;
class Tag;
}  // namespace ID3v2
}  // namespace TagLib

namespace tagshifter {

// Puts in the place of `frame` (a plain text frame or COMM of `tag`, as the
// tag's setter left it) a frame of the same kind, id, language and
// description whose one text is `text`: UTF-8 when `utf8`, else bytes one
// per Latin-1 character. It writes, as ID3v2.`version`, the bytes `frame`
// would write holding that text. False, and nothing changed, for a frame or
// text it cannot write so (another kind of frame, a zero byte, text the
// frame's encoding cannot hold).
bool packText(TagLib::ID3v2::Tag& tag, TagLib::ID3v2::Frame& frame, std::string_view text, bool utf8, int version);

// Whether the frames of `id` in `tag` hold a packed text, which is never
// empty: asking the tag for the field would decode all of it.
bool holdsPackedText(const TagLib::Tag& tag, const char* id);

}  // namespace tagshifter
