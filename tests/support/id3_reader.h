// An independent byte-level reader of MP3 files: where the tags are, what
// lies between them, and what the tag frames hold. It does not use TagLib,
// so the tests can check what TagLib wrote with something else than TagLib.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tagshifter::test {

// Offsets of the parts of a file. Everything from audioBegin to audioEnd is
// what no tag covers: the MPEG frames, and anything the tag reader does not
// know (Lyrics3, garbage), which a save must keep byte for byte.
struct FileParts {
    size_t audioBegin = 0;  // end of a leading ID3v2 tag, or 0
    size_t audioEnd = 0;    // start of the trailing APE/ID3v1 tags, or the size
    bool hasId3v2 = false;
    bool hasApe = false;
    bool hasId3v1 = false;
};

FileParts locateParts(const std::string& file);
std::string audioBytes(const std::string& file);

struct Id3v2Frame {
    std::string id;
    std::string body;  // unsynchronisation undone
};

struct Id3v2Contents {
    int majorVersion = 0;
    std::vector<Id3v2Frame> frames;
};

// The leading ID3v2 tag, or nothing when the file does not start with one.
std::optional<Id3v2Contents> readId3v2(const std::string& file);

struct FrameText {
    uint8_t encoding = 0;  // 0 Latin-1, 1 UTF-16 with BOM, 2 UTF-16BE, 3 UTF-8
    std::string bytes;     // the text as stored, without terminator
};

// The text of the first frame with this id (v2.3/2.4 ids); for COMM the
// text after the description.
std::optional<FrameText> frameText(const Id3v2Contents& tag, const std::string& id);
// The frame's text in UTF-8, whatever its encoding.
std::string toUtf8(const FrameText& text);

struct Id3v1Contents {
    std::string title, artist, album, year, comment;  // trailing zeros cut
    uint8_t genre = 255;
};

std::optional<Id3v1Contents> readId3v1(const std::string& file);

}  // namespace tagshifter::test
