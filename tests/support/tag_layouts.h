// Whole MP3 files in the tag layouts met in collections: every ID3v2
// version and its optional parts, trailing APE, Lyrics3 and ID3v1 blocks,
// garbage, VBR headers, and files with no audio at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tagshifter::test {

// The five fields the tool converts, as the bytes of the source code page.
struct SourceFields {
    std::string title;
    std::string artist;
    std::string album;
    std::string comment;
    std::string genre;
};

// One ID3v2.2 frame: three-letter id and three-byte size.
std::string id3v22Frame(const std::string& id, const std::string& body);
// One ID3v2.4 frame: the size is sync-safe; `formatFlags` is the second
// flag byte (0x02 marks an unsynchronised body, already encoded by the caller).
std::string id3v24Frame(const std::string& id, const std::string& body, uint8_t formatFlags = 0);

// Inserts a zero after every 0xFF that is followed by 0xE0 or more or by a
// zero, and after a final 0xFF.
std::string unsynchronise(const std::string& bytes);

// A tag header with the given version and flags around `body` (extended
// header, frames and padding as the caller laid them out); a v2.4 footer is
// added when the flags ask for one (0x10).
std::string id3v2Tag(uint8_t majorVersion, uint8_t flags, const std::string& body);

// A Lyrics3 v2.00 block holding one lyrics field.
std::string lyrics3v2Block(const std::string& lyrics);

// The first frame of a VBR stream: an MPEG frame carrying a Xing header
// that claims `frameCount` frames.
std::string xingFrame(uint32_t frameCount);

// The body of the PRIV frame put first in every ID3v2.3 and 2.4 layout.
extern const std::string kPrivateFrameBody;

struct TagLayout {
    std::string name;
    std::string bytes;
    SourceFields fields;  // what the tool reads from the file's tags
    bool hasTags = true;  // false: the tool skips the file
    // Some TagLib versions do not see the tag: skipping the file untouched
    // is then right too.
    bool mayBeSkipped = false;
    // Some TagLib versions would lose a frame of the tag: the tool then
    // refuses to write the file, which is right too.
    bool mayBeRefused = false;
};

// Every layout, each with its own text so that mix-ups show.
std::vector<TagLayout> tagLayouts();

}  // namespace tagshifter::test
