// An independent byte-level reader of MP3 files: where the tags are, what
// lies between them, and what the tag frames hold. It does not use TagLib,
// so the tests can check what TagLib wrote with something else than TagLib;
// nor does it share the tool's own ID3v2 reader (src/id3/), so that a fault
// there cannot hide itself in the tests that judge it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tagshifter::test {

// Offsets of the parts of a file, found by the rules TagLib reads them by.
// What no tag covers is the audio: the MPEG frames, and anything no tag
// reader knows (Lyrics3, garbage), which a save must keep byte for byte.
//
// The leading ID3v2 tag starts at offset 0, or at the first "ID3" before the
// first MPEG frame; further ID3v2 tags right behind it count as part of it.
// A header whose size bytes are not sync-safe counts as a tag of 10 bytes.
// Trailing tags: an ID3v1 block in the last 128 bytes, and before it an
// APE tag whose footer's size fits in what lies between the tags.
struct FileParts {
    size_t tagBegin = 0;    // where the leading ID3v2 tag starts (0 without one)
    size_t audioBegin = 0;  // where it ends (0 without one)
    size_t audioEnd = 0;    // start of the trailing APE/ID3v1 tags, or the size
    bool hasId3v2 = false;
    bool hasApe = false;
    bool hasId3v1 = false;
};

FileParts locateParts(const std::string& file);
// The bytes before the leading tag followed by those between the tags.
std::string audioBytes(const std::string& file);
// Where the first MPEG frame header followed by a matching one starts at or
// after `from`, or npos.
size_t firstMpegFrame(const std::string& bytes, size_t from = 0);

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

// A text frame (T***, TXXX) or a COMM or USLT frame, read in full: the
// description and the (first) text, both in UTF-8.
struct DescribedText {
    std::string id;
    uint8_t encoding = 0;
    std::string description;
    std::string text;
};

// Every such frame of the tag, in the order stored.
std::vector<DescribedText> describedTexts(const Id3v2Contents& tag);

struct Id3v1Contents {
    std::string title, artist, album, year, comment;  // trailing zeros cut
    uint8_t genre = 255;
};

std::optional<Id3v1Contents> readId3v1(const std::string& file);

}  // namespace tagshifter::test
