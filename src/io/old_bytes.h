// The old bytes a save in place overwrites, kept (or found again where the
// new content moved them) so that a failed write can be undone.
#pragma once

#include "io/original_file.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tagshifter::io {

// Old bytes [from, from + length) stand at `at` in the new content.
struct MovedRange {
    uint64_t from, length, at;
};

class OldBytes {
public:
    // `moved`: where old bytes go in the new content; the written blocks
    // must run in the order that leaves each there until it is put back
    // (as the write order that reads every old byte before overwriting it does).
    OldBytes(OriginalFile& original, std::vector<MovedRange> moved);

    // How many old bytes of [begin, end) the new content does not hold.
    uint64_t heldFor(uint64_t begin, uint64_t end) const;
    // Before a write at `at` over `old`, the old bytes there.
    void aboutToWrite(uint64_t at, std::string old);
    // That write went through.
    void written();

    struct Outcome {
        bool complete = true;
        uint64_t firstLost = 0, endLost = 0;  // the bytes that could not be put back
        std::string error;
    };
    // Puts back what was written, last write first, and the file's `length`.
    Outcome putBack(uint64_t length);

private:
    struct Entry {
        uint64_t at = 0;
        uint64_t length = 0;
        std::vector<std::pair<uint64_t, std::string>> held;  // offset, bytes
    };
    std::vector<std::pair<uint64_t, uint64_t>> notMoved(uint64_t begin, uint64_t end) const;
    bool rebuild(const Entry& entry, std::string& out);

    OriginalFile& original_;
    std::vector<MovedRange> moved_;  // by `from`
    std::vector<Entry> entries_;
    std::string writing_;  // the old bytes under a write not yet through
    bool pending_ = false;
};

}  // namespace tagshifter::io
