#include "undo/file_entry.h"

#include "undo/codec.h"
#include "undo/hash.h"

#include <algorithm>

namespace tagshifter::undo {

void appendKept(std::vector<Segment>& segments, uint64_t newOffset, uint64_t length)
{
    if (length == 0)
        return;
    Segment* last = segments.empty() ? nullptr : &segments.back();
    if (last && last->kind == Segment::Kept && last->newOffset + last->length == newOffset)
        last->length += length;
    else
        segments.push_back({Segment::Kept, length, newOffset, {}});
}

std::string FileEntry::encode() const
{
    size_t size = 8 + path.size() + 8 * (8 + 2 * written.size()) + (chunked ? 8 * (2 + chunkHashes.size()) : 0);
    for (const Segment& segment : old)
        size += 1 + 8 + 8 + segment.bytes.size();
    RecordWriter out;
    out.reserve(size);
    out.text(path);
    out.u64(oldSize);
    out.u64(newSize);
    out.u64(written.size());
    for (const Range& range : written) {
        out.u64(range.offset);
        out.u64(range.length);
    }
    out.u64(writtenHash);
    out.u64(keptHash);
    out.u64(device);
    out.u64(inode);
    out.u64(old.size());
    for (const Segment& segment : old) {
        out.u8(segment.kind);
        out.u64(segment.length);
        if (segment.kind == Segment::Kept)
            out.u64(segment.newOffset);
        else if (segment.kind == Segment::Bytes)
            out.text(segment.bytes);
    }
    if (chunked) {
        out.u64(chunkHashes.size());
        for (const uint64_t hash : chunkHashes)
            out.u64(hash);
        out.u64(takenHash);
    }
    return out.take();
}

bool FileEntry::decode(const std::string& bytes, bool chunked)
{
    RecordReader in(bytes);
    path = in.text();
    oldSize = in.u64();
    newSize = in.u64();
    written.clear();
    for (uint64_t i = 0, n = in.u64(); i < n && in.ok(); ++i) {
        Range range;
        range.offset = in.u64();
        range.length = in.u64();
        written.push_back(range);
    }
    writtenHash = in.u64();
    keptHash = in.u64();
    device = in.u64();
    inode = in.u64();
    old.clear();
    uint64_t total = 0;
    for (uint64_t i = 0, n = in.u64(); i < n && in.ok(); ++i) {
        Segment segment;
        segment.kind = static_cast<Segment::Kind>(in.u8());
        segment.length = in.u64();
        if (segment.kind == Segment::Kept)
            segment.newOffset = in.u64();
        else if (segment.kind == Segment::Bytes)
            segment.bytes = in.text();
        else if (segment.kind != Segment::Zeros)
            return false;
        if (segment.kind == Segment::Bytes && segment.bytes.size() != segment.length)
            return false;
        if (segment.kind == Segment::Kept
            && (segment.length > newSize || segment.newOffset > newSize - segment.length))
            return false;
        if (segment.length > oldSize - total)
            return false;
        total += segment.length;
        old.push_back(std::move(segment));
    }
    this->chunked = chunked;
    chunkHashes.clear();
    if (chunked) {
        const uint64_t count = in.u64();
        if (count != chunks().size())
            return false;
        for (uint64_t i = 0; i < count && in.ok(); ++i)
            chunkHashes.push_back(in.u64());
        takenHash = in.u64();
    }
    return in.ok() && in.atEnd() && total == oldSize && !path.empty();
}

namespace {

// Whether `segment` takes its old bytes from a range the save wrote.
bool takenFromWritten(const Segment& segment, const std::vector<Range>& written)
{
    if (segment.kind != Segment::Kept)
        return false;
    for (const Range& range : written)
        if (range.offset < segment.newOffset + segment.length && segment.newOffset < range.offset + range.length)
            return true;
    return false;
}

// The hash of the chunk hashes of one kind, in order.
uint64_t hashOfChunks(const std::vector<Chunk>& chunks, const std::vector<uint64_t>& hashes, bool written)
{
    RecordWriter out;
    for (size_t i = 0; i < chunks.size() && i < hashes.size(); ++i)
        if (chunks[i].written == written)
            out.u64(hashes[i]);
    return hashBytes(out.bytes());
}

std::vector<uint64_t> hashesOf(const std::vector<Chunk>& chunks, const ByteView& view)
{
    std::vector<uint64_t> hashes;
    hashes.reserve(chunks.size());
    std::string spill;
    for (const Chunk& chunk : chunks) {
        const std::string_view bytes = view(chunk.offset, chunk.length, spill);
        hashes.push_back(hashBytes(bytes.data(), bytes.size()));
    }
    return hashes;
}

std::vector<uint64_t> hashesOf(const std::vector<Chunk>& chunks, const ByteReader& read)
{
    const ByteView view = [&read](uint64_t offset, uint64_t length, std::string& spill) {
        spill.clear();
        read(offset, length, spill);
        return std::string_view(spill);
    };
    return hashesOf(chunks, view);
}

// The hash of the chunks of one kind among `all`, each as `read` gives it.
uint64_t hashOfChunksRead(std::vector<Chunk> all, bool written, const ByteReader& read)
{
    all.erase(std::remove_if(all.begin(), all.end(), [written](const Chunk& c) { return c.written != written; }),
              all.end());
    return hashOfChunks(all, hashesOf(all, read), written);
}

}  // namespace

bool FileEntry::keptInPlace() const
{
    uint64_t at = 0;
    for (const Segment& segment : old) {
        // Old bytes found among those written are only there once written.
        if (segment.kind == Segment::Kept && (segment.newOffset != at || takenFromWritten(segment, written)))
            return false;
        at += segment.length;
    }
    return true;
}

std::vector<Range> FileEntry::keptRanges() const
{
    std::vector<Range> sorted = written;
    std::sort(sorted.begin(), sorted.end(), [](const Range& a, const Range& b) { return a.offset < b.offset; });
    std::vector<Range> kept;
    uint64_t at = 0;
    for (const Range& range : sorted) {
        if (range.offset > at)
            kept.push_back({at, range.offset - at});
        at = std::max(at, range.offset + range.length);
    }
    if (newSize > at)
        kept.push_back({at, newSize - at});
    return kept;
}

std::vector<Chunk> FileEntry::chunks() const
{
    std::vector<Chunk> all;
    auto add = [&all](const Range& range, bool written) {
        for (uint64_t done = 0; done < range.length; done += kHashChunk)
            all.push_back({range.offset + done, std::min(kHashChunk, range.length - done), written});
    };
    for (const Range& range : written)
        add(range, true);
    for (const Range& range : keptRanges())
        add(range, false);
    std::stable_sort(all.begin(), all.end(), [](const Chunk& a, const Chunk& b) { return a.offset < b.offset; });
    return all;
}

void FileEntry::hashNewFile(const ByteView& view)
{
    chunked = true;
    const std::vector<Chunk> all = chunks();
    chunkHashes = hashesOf(all, view);
    writtenHash = hashOfChunks(all, chunkHashes, true);
    keptHash = hashOfChunks(all, chunkHashes, false);
}

uint64_t FileEntry::writtenHashOf(const ByteReader& read) const
{
    if (chunked)
        return hashOfChunksRead(chunks(), true, read);
    uint64_t hash = kHashSeed;
    for (const Range& range : written) {
        std::string bytes;
        read(range.offset, range.length, bytes);
        hash = hashBytes(bytes, hash);
    }
    return hash;
}

uint64_t FileEntry::takenHashOf(const ByteReader& readOld) const
{
    uint64_t hash = kHashSeed;
    uint64_t at = 0;
    for (const Segment& segment : old) {
        if (takenFromWritten(segment, written)) {
            std::string bytes;
            readOld(at, segment.length, bytes);
            hash = hashBytes(bytes, hash);
        }
        at += segment.length;
    }
    return hash;
}

uint64_t FileEntry::keptHashOf(const ByteReader& read) const
{
    if (chunked)
        return hashOfChunksRead(chunks(), false, read);
    uint64_t hash = kHashSeed;
    for (const Range& range : keptRanges()) {
        for (uint64_t done = 0; done < range.length;) {
            const uint64_t take = std::min(kHashChunk, range.length - done);
            std::string bytes;
            read(range.offset + done, take, bytes);
            hash = hashBytes(bytes, hash);
            done += take;
        }
    }
    return hash;
}

}  // namespace tagshifter::undo
