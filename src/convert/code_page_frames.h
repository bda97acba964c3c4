// Keeping code page bytes as they are in an ID3v2 tag.
#pragma once

namespace TagLib::ID3v2 {
class Tag;
}

namespace tagshifter {

// Marks the title, artist, album, genre and comment frames as Latin-1, so the
// code page bytes they carry one per character are written as those bytes.
// A frame that came in as UTF-16 or UTF-8 would otherwise write them as the
// Unicode of their Latin-1 reading: the very garbage the tool is there to fix.
// TagLib still picks a Unicode encoding for a frame whose text is not Latin-1,
// so no text is lost.
void keepCodePageBytes(TagLib::ID3v2::Tag& tag);

}  // namespace tagshifter
