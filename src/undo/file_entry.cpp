#include "undo/file_entry.h"

#include "undo/codec.h"

namespace tagshifter::undo {

std::string FileEntry::encode() const
{
    RecordWriter out;
    out.text(path);
    out.u64(oldSize);
    out.u64(newSize);
    out.u64(written.size());
    for (const Range& range : written) {
        out.u64(range.offset);
        out.u64(range.length);
    }
    out.u64(writtenHash);
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

uint64_t FileEntry::keptBytes() const
{
    uint64_t kept = 0;
    for (const Segment& segment : old)
        kept += segment.bytes.size();
    return kept;
}

}  // namespace tagshifter::undo
