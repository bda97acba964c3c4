#include "undo/entry_builder.h"

#include "undo/hash.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

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
    std::string_view bytes;  // in the edits
};

class SegmentList {
public:
    explicit SegmentList(std::vector<Segment>& out) : out_(out) {}

    void kept(uint64_t newOffset, uint64_t length) { appendKept(out_, newOffset, length); }

    // Old bytes: runs of zeros as lengths, the rest as they are.
    void bytes(const char* data, uint64_t length)
    {
        uint64_t start = 0;  // the first byte not yet placed
        uint64_t i = 0;
        while (i < length) {
            const void* zero = std::memchr(data + i, '\0', length - i);
            if (zero == nullptr)
                break;
            i = static_cast<uint64_t>(static_cast<const char*>(zero) - data);
            uint64_t zeros = 1;
            while (i + zeros + 8 <= length && wordIsZero(data + i + zeros))
                zeros += 8;
            while (i + zeros < length && data[i + zeros] == '\0')
                ++zeros;
            if (zeros >= kZeroRun) {
                stored(data + start, i - start);
                out_.push_back({Segment::Zeros, zeros, 0, {}});
                start = i + zeros;
            }
            i += zeros;
        }
        stored(data + start, length - start);
    }

private:
    static bool wordIsZero(const char* data)
    {
        uint64_t word;
        std::memcpy(&word, data, 8);
        return word == 0;
    }

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

// Finds old bytes among the new bytes the save wrote, in time linear in
// both: every aligned chunk of the new bytes is indexed by a rolling hash,
// and the old bytes are rolled through once. Any stretch of at least two
// chunks that the new bytes hold contains an indexed chunk, and is found.
class NewBytesIndex {
public:
    explicit NewBytesIndex(const std::vector<Written>& written) : written_(written)
    {
        power_ = 1;
        for (uint64_t i = 1; i < kChunk; ++i)
            power_ *= kBase;
        uint64_t chunks = 0;
        for (const Written& w : written)
            chunks += w.bytes.size() / kChunk;
        if (chunks == 0)
            return;
        while (filterBits_ < chunks * 16)
            filterBits_ *= 2;
        seen_.assign(filterBits_ / 64, 0);
        for (size_t w = 0; w < written.size(); ++w) {
            const std::string_view bytes = written[w].bytes;
            for (uint64_t at = 0; at + kChunk <= bytes.size(); at += kChunk) {
                const uint64_t hash = hashOf(bytes.data() + at);
                if (chunks_.emplace(hash, Place{w, at}).second)
                    seen_[hash % filterBits_ / 64] |= 1ull << (hash % 64);
            }
        }
    }

    bool empty() const { return chunks_.empty(); }

    static uint64_t hashOf(const char* data)
    {
        uint64_t hash = 0;
        for (uint64_t i = 0; i < kChunk; ++i)
            hash = hash * kBase + static_cast<unsigned char>(data[i]);
        return hash;
    }
    uint64_t roll(uint64_t hash, char out, char in) const
    {
        return (hash - static_cast<unsigned char>(out) * power_) * kBase + static_cast<unsigned char>(in);
    }

    // The written stretch and offset in it whose chunk equals `data`, if any.
    bool find(uint64_t hash, const char* data, size_t& w, uint64_t& at) const
    {
        if ((seen_[hash % filterBits_ / 64] & (1ull << (hash % 64))) == 0)
            return false;
        const auto found = chunks_.find(hash);
        if (found == chunks_.end()
            || std::memcmp(written_[found->second.w].bytes.data() + found->second.at, data, kChunk) != 0)
            return false;
        w = found->second.w;
        at = found->second.at;
        return true;
    }

private:
    static constexpr uint64_t kBase = 0x100000001b3ull;
    struct Place {
        size_t w;
        uint64_t at;
    };
    const std::vector<Written>& written_;
    uint64_t power_;
    std::unordered_map<uint64_t, Place> chunks_;
    // A bit per hash (modulo its size) seen among the chunks: most rolled
    // hashes are turned away here, without a look into the map.
    uint64_t filterBits_ = 64;
    std::vector<uint64_t> seen_;
};

// How far `a` and `b`, equal in their first `equal` bytes, stay equal:
// compared a block at a time (a picture can run to megabytes), the last
// block byte by byte.
uint64_t matchEnd(std::string_view a, std::string_view b, uint64_t equal)
{
    constexpr uint64_t kBlock = 4096;
    const uint64_t most = std::min(a.size(), b.size());
    while (equal < most) {
        const uint64_t block = std::min(kBlock, most - equal);
        if (std::memcmp(a.data() + equal, b.data() + equal, block) != 0)
            break;
        equal += block;
    }
    while (equal < most && a[equal] == b[equal])
        ++equal;
    return equal;
}

// Old bytes that no piece keeps in the new content: the parts found among
// the new bytes are kept by reference, the rest stored.
void addOldBytes(std::string_view old, const std::vector<Written>& written, const NewBytesIndex& index,
                 SegmentList& segments)
{
    uint64_t done = 0;  // old bytes before this are placed
    if (!index.empty() && old.size() >= kChunk) {
        uint64_t probe = 0;
        uint64_t hash = NewBytesIndex::hashOf(old.data());
        while (true) {
            size_t w = 0;
            uint64_t inNew = 0;
            if (index.find(hash, old.data() + probe, w, inNew)) {
                const std::string_view bytes = written[w].bytes;
                uint64_t begin = probe;
                while (begin > done && inNew > 0 && old[begin - 1] == bytes[inNew - 1]) {
                    --begin;
                    --inNew;
                }
                const uint64_t length = matchEnd(old.substr(begin), bytes.substr(inNew), probe + kChunk - begin);
                segments.bytes(old.data() + done, begin - done);
                segments.kept(written[w].at + inNew, length);
                done = begin + length;
                probe = done;
                if (probe + kChunk > old.size())
                    break;
                hash = NewBytesIndex::hashOf(old.data() + probe);
                continue;
            }
            if (probe + kChunk >= old.size())
                break;
            hash = index.roll(hash, old[probe], old[probe + kChunk]);
            ++probe;
        }
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
    entry.device = static_cast<uint64_t>(original.status().st_dev);
    entry.inode = static_cast<uint64_t>(original.status().st_ino);

    // Where each old byte kept by a piece lies in the new content.
    struct Place {
        uint64_t from, length, at;
    };
    std::vector<Place> places;
    std::vector<Written> written;
    uint64_t at = 0;
    for (const io::Piece& piece : edits.pieces()) {
        if (piece.original) {
            places.push_back({piece.from, piece.length, at});
        } else {
            entry.written.push_back({at, piece.length});
            written.push_back({at, edits.writtenBytes(piece)});
        }
        at += piece.length;
    }
    entry.hashNewFile([&edits](uint64_t offset, uint64_t length, std::string& spill) {
        return edits.bytesAt(offset, length, spill);
    });
    const NewBytesIndex index(written);
    std::sort(places.begin(), places.end(), [](const Place& a, const Place& b) { return a.from < b.from; });

    SegmentList segments(entry.old);
    uint64_t old = 0;
    std::string spill;
    auto addGap = [&](uint64_t end) {
        if (end <= old)
            return;
        addOldBytes(original.bytesAt(old, end - old, spill), written, index, segments);
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
    entry.takenHash = entry.takenHashOf(
        [&original](uint64_t offset, uint64_t length, std::string& out) { original.read(offset, length, out); });
    return entry;
}

}  // namespace tagshifter::undo
