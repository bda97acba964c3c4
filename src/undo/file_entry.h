// What the journal keeps of one saved file: the old file as a list of
// segments (old bytes, runs of zeros, or ranges of the new file that hold the
// old bytes: the audio, a picture), and the identity of the file as written.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tagshifter::undo {

struct Segment {
    enum Kind : uint8_t { Bytes = 'B', Zeros = 'Z', Kept = 'K' };
    Kind kind = Bytes;
    uint64_t length = 0;
    uint64_t newOffset = 0;  // Kept: where these old bytes lie in the new file
    std::string bytes;       // Bytes: the old bytes themselves
};

// Appends old bytes that stand at `newOffset` in the new file, joined to the
// last segment where they follow on from it there.
void appendKept(std::vector<Segment>& segments, uint64_t newOffset, uint64_t length);

// Kept bytes are hashed in chunks of this size, on writing and on checking.
inline constexpr uint64_t kHashChunk = 1 << 20;

struct Range {
    uint64_t offset = 0;
    uint64_t length = 0;
};

// A stretch of the new file hashed on its own: a written or a kept range cut
// into kHashChunk pieces from its start.
struct Chunk {
    uint64_t offset = 0;
    uint64_t length = 0;
    bool written = false;
};

using ByteReader = std::function<void(uint64_t offset, uint64_t length, std::string& out)>;
// Gives the same bytes without a copy where it can, else in `spill`, as
// OriginalFile::bytesAt does.
using ByteView = std::function<std::string_view(uint64_t offset, uint64_t length, std::string& spill)>;

struct FileEntry {
    std::string path;  // absolute
    uint64_t oldSize = 0;
    uint64_t newSize = 0;
    // The ranges of the new file that the save wrote, and their hash; the
    // hash of the rest of it (the old bytes it kept: keptHashOf). Together:
    // the whole file as the save left it.
    std::vector<Range> written;
    uint64_t writtenHash = 0;
    uint64_t keptHash = 0;
    // The file the run opened: a save cut short leaves its bytes in it.
    uint64_t device = 0;
    uint64_t inode = 0;
    std::vector<Segment> old;  // the old file, front to back
    // Chunks hashed one by one (chunkHashes; writtenHash and keptHash then
    // hash those), so that an undo can tell where a save in place was cut
    // short; older entries hash each kind of range whole. takenHash: the old
    // bytes taken from the written ranges (a picture the new tag keeps).
    bool chunked = false;
    std::vector<uint64_t> chunkHashes;
    uint64_t takenHash = 0;
    // The new file a save wrote beside the old one, recorded before it took
    // the old one's name: found at the path, it is the run's, committed or not.
    bool stagedKnown = false;
    uint64_t stagedDevice = 0;
    uint64_t stagedInode = 0;
    // Known once the save is on disk, from a record after it: only then is
    // the file the run's to restore.
    bool committed = false;
    bool mtimeKnown = false;  // the new file's modification time
    int64_t mtimeSeconds = 0;
    int64_t mtimeNanoseconds = 0;

    // Every old byte the entry takes from the new file lies where it lay in
    // the old file, outside the written ranges: a save cut short wrote
    // nothing but those ranges (and the end of the file), so the rest holds.
    bool keptInPlace() const;

    std::string encode() const;
    // False when `bytes` is not a whole entry (`chunked`: as written since
    // chunks were hashed one by one).
    bool decode(const std::string& bytes, bool chunked);
    // The ranges of the new file outside those written, front to back.
    std::vector<Range> keptRanges() const;
    // Written and kept ranges cut into chunks, front to back.
    std::vector<Chunk> chunks() const;
    // The hash of the kept ranges' bytes, as `read` gives them, in chunks of
    // kHashChunk from each range's start: the same on writing and checking.
    uint64_t keptHashOf(const ByteReader& read) const;
    // The same for the written ranges.
    uint64_t writtenHashOf(const ByteReader& read) const;
    // Sets chunkHashes, writtenHash and keptHash from the new file's bytes.
    void hashNewFile(const ByteView& view);
    // The hash of the old bytes of the segments that take them from written
    // ranges, each as `readOld` gives the old file's bytes.
    uint64_t takenHashOf(const ByteReader& readOld) const;
};

}  // namespace tagshifter::undo
