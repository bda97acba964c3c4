#include "undo/file_entry.h"

#include "undo/codec.h"
#include "undo/hash.h"

#include <algorithm>

namespace tagshifter::undo {

std::string FileEntry::encode() const
{
    size_t size = 8 + path.size() + 8 * (8 + 2 * written.size());
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
    return out.bytes();
}

bool FileEntry::decode(const std::string& bytes)
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
    return in.ok() && in.atEnd() && total == oldSize && !path.empty();
}

bool FileEntry::keptInPlace() const
{
    uint64_t at = 0;
    for (const Segment& segment : old) {
        if (segment.kind == Segment::Kept) {
            if (segment.newOffset != at)
                return false;
            // Old bytes found among those written are only there once written.
            for (const Range& range : written)
                if (range.offset < segment.newOffset + segment.length
                    && segment.newOffset < range.offset + range.length)
                    return false;
        }
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

uint64_t FileEntry::keptHashOf(const std::function<void(uint64_t, uint64_t, std::string&)>& read) const
{
    return keptHashOfViews([&read](uint64_t offset, uint64_t length, std::string& spill) {
        spill.clear();
        read(offset, length, spill);
        return std::string_view(spill);
    });
}

uint64_t FileEntry::keptHashOfViews(
    const std::function<std::string_view(uint64_t, uint64_t, std::string& spill)>& view) const
{
    uint64_t hash = kHashSeed;
    std::string spill;
    for (const Range& range : keptRanges()) {
        for (uint64_t done = 0; done < range.length;) {
            const uint64_t take = std::min(kHashChunk, range.length - done);
            const std::string_view bytes = view(range.offset + done, take, spill);
            hash = hashBytes(bytes.data(), bytes.size(), hash);
            done += take;
        }
    }
    return hash;
}

uint64_t FileEntry::keptBytes() const
{
    uint64_t kept = 0;
    for (const Segment& segment : old)
        kept += segment.bytes.size();
    return kept;
}

}  // namespace tagshifter::undo
