// What the journal keeps of one saved file: the old file as a list of
// segments (old bytes, runs of zeros, or ranges of the new file that hold the
// old bytes: the audio, a picture), and the identity of the file as written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tagshifter::undo {

struct Segment {
    enum Kind : uint8_t { Bytes = 'B', Zeros = 'Z', Kept = 'K' };
    Kind kind = Bytes;
    uint64_t length = 0;
    uint64_t newOffset = 0;  // Kept: where these old bytes lie in the new file
    std::string bytes;       // Bytes: the old bytes themselves
};

struct Range {
    uint64_t offset = 0;
    uint64_t length = 0;
};

struct FileEntry {
    std::string path;  // absolute
    uint64_t oldSize = 0;
    uint64_t newSize = 0;
    // The ranges of the new file that the save wrote, and their hash: what
    // tells the file as written from a file changed since.
    std::vector<Range> written;
    uint64_t writtenHash = 0;
    std::vector<Segment> old;  // the old file, front to back
    // Known once the save is on disk: the new file's modification time.
    bool committed = false;
    int64_t mtimeSeconds = 0;
    int64_t mtimeNanoseconds = 0;

    std::string encode() const;
    // False when `bytes` is not a whole entry.
    bool decode(const std::string& bytes);
    // The bytes the entry keeps of the old file (for the figures).
    uint64_t keptBytes() const;
};

}  // namespace tagshifter::undo
