#include "undo/entry_builder.h"

#include "undo/hash.h"

#include <algorithm>
#include <cstring>

namespace tagshifter::undo {

namespace {

// Old bytes written anew are looked for in the new bytes in chunks of this
// size; shorter stretches are stored.
constexpr uint64_t kChunk = 1024;
// Runs of zeros (padding) at least this long are stored as a length.
constexpr uint64_t kZeroRun = 32;

// A stretch of the new content that the save wrote.
struct Written {
    uint64_t at;  // in the new content
    std::string bytes;
};

class SegmentList {
public:
    explicit SegmentList(std::vector<Segment>& out) : out_(out) {}

    void kept(uint64_t newOffset, uint64_t length)
    {
        if (length == 0)
            return;
        if (!out_.empty() && out_.back().kind == Segment::Kept
            && out_.back().newOffset + out_.back().length == newOffset) {
            out_.back().length += length;
            return;
        }
        Segment segment;
        segment.kind = Segment::Kept;
        segment.newOffset = newOffset;
        segment.length = length;
        out_.push_back(segment);
    }

    // Old bytes: runs of zeros as lengths, the rest as they are.
    void bytes(const char* data, uint64_t length)
    {
        uint64_t start = 0;  // the first byte not yet placed
        uint64_t i = 0;
        while (i < length) {
            if (data[i] != '\0') {
                ++i;
                continue;
            }
            uint64_t zeros = 1;
            while (i + zeros < length && data[i + zeros] == '\0')
                ++zeros;
            if (zeros >= kZeroRun) {
                stored(data + start, i - start);
                Segment segment;
                segment.kind = Segment::Zeros;
                segment.length = zeros;
                out_.push_back(segment);
                start = i + zeros;
            }
            i += zeros;
        }
        stored(data + start, length - start);
    }

private:
    void stored(const char* data, uint64_t length)
    {
        if (length == 0)
            return;
        if (out_.empty() || out_.back().kind != Segment::Bytes) {
            out_.emplace_back();
            out_.back().kind = Segment::Bytes;
        }
        out_.back().bytes.append(data, length);
        out_.back().length = out_.back().bytes.size();
    }

    std::vector<Segment>& out_;
};

// Old bytes that no piece keeps in the new content: the parts found among
// the new bytes are kept by reference, the rest stored.
void addOldBytes(const std::string& old, const std::vector<Written>& written, SegmentList& segments)
{
    uint64_t done = 0;  // old bytes before this are placed
    uint64_t probe = 0;
    while (probe + kChunk <= old.size()) {
        const Written* where = nullptr;
        const char* found = nullptr;
        for (const Written& w : written) {
            found = static_cast<const char*>(
                memmem(w.bytes.data(), w.bytes.size(), old.data() + probe, kChunk));
            if (found) {
                where = &w;
                break;
            }
        }
        if (!where) {
            probe += kChunk;
            continue;
        }
        uint64_t inNew = static_cast<uint64_t>(found - where->bytes.data());
        uint64_t begin = probe;
        while (begin > done && inNew > 0 && old[begin - 1] == where->bytes[inNew - 1]) {
            --begin;
            --inNew;
        }
        uint64_t length = probe + kChunk - begin;
        while (begin + length < old.size() && inNew + length < where->bytes.size()
               && old[begin + length] == where->bytes[inNew + length])
            ++length;
        segments.bytes(old.data() + done, begin - done);
        segments.kept(where->at + inNew, length);
        done = begin + length;
        probe = done;
    }
    segments.bytes(old.data() + done, old.size() - done);
}

}  // namespace

FileEntry buildEntry(const std::string& path, io::OriginalFile& original, io::EditStream& edits)
{
    FileEntry entry;
    entry.path = path;
    entry.oldSize = original.size();
    entry.newSize = edits.contentLength();

    // Where each old byte kept by a piece lies in the new content.
    struct Place {
        uint64_t from, length, at;
    };
    std::vector<Place> places;
    std::vector<Written> written;
    uint64_t at = 0;
    uint64_t hash = kHashSeed;
    for (const io::Piece& piece : edits.pieces()) {
        if (piece.original) {
            places.push_back({piece.from, piece.length, at});
        } else {
            Written w{at, {}};
            edits.appendPiece(piece, w.bytes);
            hash = hashBytes(w.bytes, hash);
            entry.written.push_back({at, piece.length});
            written.push_back(std::move(w));
        }
        at += piece.length;
    }
    entry.writtenHash = hash;
    std::sort(places.begin(), places.end(), [](const Place& a, const Place& b) { return a.from < b.from; });

    SegmentList segments(entry.old);
    uint64_t old = 0;
    auto addGap = [&](uint64_t end) {
        if (end <= old)
            return;
        std::string bytes;
        original.read(old, end - old, bytes);
        addOldBytes(bytes, written, segments);
        old = end;
    };
    for (const Place& place : places) {
        addGap(place.from);
        const uint64_t end = place.from + place.length;
        if (end <= old)
            continue;  // the same old bytes kept twice
        const uint64_t skip = old - place.from;
        segments.kept(place.at + skip, place.length - skip);
        old = end;
    }
    addGap(entry.oldSize);
    return entry;
}

}  // namespace tagshifter::undo
