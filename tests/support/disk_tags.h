// Reads the tags of a file as bytes on disk, without TagLib, so that tests
// see exactly what was written: the ID3v2 version and the encoding byte of
// each frame, the raw ID3v1 block, the presence of an APE tag, the audio.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tagshifter::test {

struct DiskFrame {
    std::string id;
    std::string body;  // for a text frame: the encoding byte, then the text
};

struct DiskId3v2 {
    int majorVersion = 0;
    size_t size = 0;  // header, frames, padding and footer
    std::vector<DiskFrame> frames;

    // The first frame with this id, or null.
    const DiskFrame* find(const std::string& id) const;
};

// The ID3v2 tag at the start of `bytes`, if there is one.
std::optional<DiskId3v2> readId3v2(const std::string& bytes);

// The text of a text frame without its encoding byte and trailing zeros.
std::string frameText(const DiskFrame& frame);

struct DiskId3v1 {
    std::string title, artist, album, comment;  // trailing zeros cut off
};

// The 128-byte ID3v1 block at the end of `bytes`, if there is one.
std::optional<DiskId3v1> readId3v1(const std::string& bytes);

bool hasApeTag(const std::string& bytes);

// What is left of `bytes` once the ID3v2 tag at the start and the ID3v1
// block and APE tag at the end are cut away.
std::string audioOf(const std::string& bytes);

}  // namespace tagshifter::test
