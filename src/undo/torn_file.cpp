#include "undo/torn_file.h"

#include "common/messages.h"
#include "undo/hash.h"
#include "undo/splice_search.h"

#include <algorithm>

namespace tagshifter::undo {

namespace {

// A torn split runs through a chunk at most this many ways that give
// different bytes and hash right (more than one only by a hash collision).
constexpr size_t kMostTries = 64;
// The check of the old side compares this much at a time.
constexpr uint64_t kBlock = 1 << 20;

// Old bytes [oldOffset, +length) stand at newOffset in the new file.
struct Source {
    uint64_t newOffset, length, oldOffset;
};

// Which side of the split holds the new bytes: a save writing back to front
// (the audio moving towards the end), or an undo writing front to back,
// leaves the old bytes first; the other ways, the new.
enum class Order { OldThenNew, NewThenOld };

class Torn {
public:
    Torn(io::OriginalFile& current, const FileEntry& entry, bool strict)
        : current_(current), entry_(entry), strict_(strict), chunks_(entry.chunks())
    {
        uint64_t at = 0;
        for (const Segment& segment : entry.old) {
            if (segment.kind == Segment::Kept)
                sources_.push_back({segment.newOffset, segment.length, at});
            at += segment.length;
        }
        std::sort(sources_.begin(), sources_.end(),
                  [](const Source& a, const Source& b) { return a.newOffset < b.newOffset; });
    }

    bool resolve(FileEntry& resolved, const char*& why);

private:
    bool newSide(uint64_t at) const { return order_ == Order::OldThenNew ? at >= split_ : at < split_; }
    uint64_t start(size_t chunk) const { return chunk < chunks_.size() ? chunks_[chunk].offset : entry_.newSize; }
    // The kept segment whose old bytes stand at `at` in the new file, if any.
    const Source* sourceAt(uint64_t at) const;
    // The old bytes of new range [at, at + length) from where they lay in
    // the old file; false where no kept segment says.
    bool readSources(uint64_t at, uint64_t length, std::string& out);
    // Every old place of new range [at, at + length) is on the old side.
    bool sourcesOnOldSide(uint64_t at, uint64_t length) const;
    void classify();
    std::vector<uint64_t> candidates(bool& changed);
    std::vector<uint64_t> splitsBetween(size_t lower, size_t upper);
    std::vector<uint64_t> splitsInside(size_t index);
    bool holds(const char*& why);
    bool resolveSegments(FileEntry& resolved);
    bool oldSideAsLeft(const FileEntry& resolved);
    bool inWritten(uint64_t at) const;
    // The first byte from `at` on that is not a zero.
    uint64_t endOfZeros(uint64_t at);
    bool newByte(const FileEntry& resolved, uint64_t at, char& byte);
    // The old file's bytes [at, at + length) as `resolved` finds them, and
    // zeros past its end.
    void readOld(const FileEntry& resolved, uint64_t at, uint64_t length, std::string& out);

    io::OriginalFile& current_;
    const FileEntry& entry_;
    bool strict_;
    std::vector<Chunk> chunks_;
    std::vector<Source> sources_;
    std::vector<bool> asNew_;  // a chunk's bytes are its new bytes
    std::vector<bool> asOld_;  // a kept chunk's old places hold its bytes
    Order order_ = Order::OldThenNew;
    uint64_t split_ = 0;
};

const Source* Torn::sourceAt(uint64_t at) const
{
    for (const Source& s : sources_)
        if (s.newOffset <= at && at < s.newOffset + s.length)
            return &s;
    return nullptr;
}

bool Torn::readSources(uint64_t at, uint64_t length, std::string& out)
{
    const uint64_t end = at + length;
    while (at < end) {
        const Source* source = sourceAt(at);
        if (!source)
            return false;
        const uint64_t take = std::min(end, source->newOffset + source->length) - at;
        const size_t before = out.size();
        current_.read(source->oldOffset + (at - source->newOffset), take, out);
        if (out.size() - before != take)
            return false;
        at += take;
    }
    return true;
}

bool Torn::sourcesOnOldSide(uint64_t at, uint64_t length) const
{
    for (const Source& s : sources_) {
        const uint64_t begin = std::max(at, s.newOffset);
        const uint64_t end = std::min(at + length, s.newOffset + s.length);
        if (begin >= end)
            continue;
        const uint64_t first = s.oldOffset + (begin - s.newOffset);
        const uint64_t last = first + (end - begin) - 1;
        if (newSide(first) || newSide(last))
            return false;
    }
    return true;
}

bool Torn::inWritten(uint64_t at) const
{
    for (const Range& range : entry_.written)
        if (range.offset <= at && at < range.offset + range.length)
            return true;
    return false;
}

void Torn::classify()
{
    for (size_t i = 0; i < chunks_.size(); ++i) {
        std::string bytes;
        current_.read(chunks_[i].offset, chunks_[i].length, bytes);
        asNew_.push_back(bytes.size() == chunks_[i].length && hashBytes(bytes) == entry_.chunkHashes[i]);
        bytes.clear();
        asOld_.push_back(!chunks_[i].written && readSources(chunks_[i].offset, chunks_[i].length, bytes)
                         && hashBytes(bytes) == entry_.chunkHashes[i]);
    }
}

uint64_t Torn::endOfZeros(uint64_t at)
{
    const uint64_t size = current_.size();
    while (at < size) {
        std::string bytes;
        current_.read(at, std::min(kBlock, size - at), bytes);
        const size_t nonzero = bytes.find_first_not_of('\0');
        if (bytes.empty() || nonzero != std::string::npos)
            return at + (bytes.empty() ? 0 : nonzero);
        at += bytes.size();
    }
    return size;
}

// The splits that the chunks allow: the new side's chunks all hold their new
// bytes, the old side's kept chunks theirs at their old places, and at most
// one chunk between holds some of each.
std::vector<uint64_t> Torn::candidates(bool& changed)
{
    auto asNew = [&](size_t i) { return asNew_[i] || (chunks_[i].written && !strict_); };
    auto asOld = [&](size_t i) { return chunks_[i].written || asOld_[i]; };
    const bool oldFirst = order_ == Order::OldThenNew;
    // The chunks before `lower` lie on the first side, those from `upper` on the second.
    size_t lower = 0;
    while (lower < chunks_.size() && (oldFirst ? asOld(lower) : asNew(lower)))
        ++lower;
    size_t upper = chunks_.size();
    while (upper > 0 && (oldFirst ? asNew(upper - 1) : asOld(upper - 1)))
        --upper;
    if (upper <= lower)
        return splitsBetween(lower, upper);
    if (upper - lower > 1 || chunks_[lower].written) {
        changed = true;
        return {};
    }
    return splitsInside(lower);
}

// Every chunk whole on its side: the split lies between `upper` and `lower`.
std::vector<uint64_t> Torn::splitsBetween(size_t lower, size_t upper)
{
    std::vector<uint64_t> splits{start(upper)};
    if (lower != upper)
        splits.push_back(start(lower));
    // All of it on one side: past the new end, an undo making room for the
    // old length leaves zeros up to where it has written the old bytes back.
    if (lower == chunks_.size() || upper == 0) {
        splits.push_back(current_.size());
        splits.push_back(0);
        if (order_ == Order::NewThenOld)
            splits.push_back(endOfZeros(entry_.newSize));
    }
    return splits;
}

// One chunk holds both: the splits at which its bytes on the new side, and
// the old places' bytes on the old side, hash as its new bytes did. Found
// exactly rather than guessed from where the two agree, so that audio much
// alike (silence, a repeated pattern) does not hide the split; splits that
// give the same bytes are one.
std::vector<uint64_t> Torn::splitsInside(size_t index)
{
    const Chunk& chunk = chunks_[index];
    std::string now;
    std::string before;
    current_.read(chunk.offset, chunk.length, now);
    if (now.size() != chunk.length || !readSources(chunk.offset, chunk.length, before))
        return {};
    const bool oldFirst = order_ == Order::OldThenNew;
    std::vector<uint64_t> splits
        = splicesHashingTo(oldFirst ? before : now, oldFirst ? now : before, entry_.chunkHashes[index], kMostTries);
    for (uint64_t& split : splits)
        split += chunk.offset;
    return splits;
}

// The chunks' hashes hold with the split: each kept chunk's bytes, taken
// from where they lie, are its new bytes, and in strict mode each written
// chunk lies wholly on one side.
bool Torn::holds(const char*& why)
{
    for (size_t i = 0; i < chunks_.size(); ++i) {
        const Chunk& chunk = chunks_[i];
        const uint64_t end = chunk.offset + chunk.length;
        const bool first = newSide(chunk.offset);
        const bool last = newSide(end - 1);
        if (chunk.written) {
            if (strict_ && (first != last || (first && !asNew_[i]))) {
                why = messages::kUndoTagsChanged;
                return false;
            }
            continue;
        }
        if (first && last) {
            if (!asNew_[i])
                return false;
            continue;
        }
        if (!first && !last) {
            if (!asOld_[i] || !sourcesOnOldSide(chunk.offset, chunk.length))
                return false;
            continue;
        }
        // Split inside: the part on the old side from its old places, which
        // must still be old.
        std::string bytes;
        for (uint64_t at = chunk.offset; at < end;) {
            const uint64_t stop = at < split_ ? std::min(end, split_) : end;
            if (newSide(at)) {
                current_.read(at, stop - at, bytes);
            } else if (!sourcesOnOldSide(at, stop - at) || !readSources(at, stop - at, bytes)) {
                return false;
            }
            at = stop;
        }
        if (hashBytes(bytes) != entry_.chunkHashes[i])
            return false;
    }
    return true;
}

// The entry with each kept old byte taken from where it lies now: its new
// place on the new side, else its old place, which is then on the old side.
bool Torn::resolveSegments(FileEntry& resolved)
{
    resolved = entry_;
    resolved.old.clear();
    resolved.newSize = current_.size();
    uint64_t at = 0;  // in the old file
    for (const Segment& segment : entry_.old) {
        if (segment.kind != Segment::Kept) {
            resolved.old.push_back(segment);
            at += segment.length;
            continue;
        }
        for (uint64_t done = 0; done < segment.length;) {
            const uint64_t q = segment.newOffset + done;
            const uint64_t p = at + done;
            // The run up to where either place crosses the split.
            uint64_t run = segment.length - done;
            if (q < split_)
                run = std::min(run, split_ - q);
            if (p < split_)
                run = std::min(run, split_ - p);
            uint64_t from;
            if (newSide(q))
                from = q;
            else if (!newSide(p))
                from = p;
            else
                return false;
            appendKept(resolved.old, from, run);
            done += run;
        }
        at += segment.length;
    }
    return true;
}

void Torn::readOld(const FileEntry& resolved, uint64_t at, uint64_t length, std::string& out)
{
    uint64_t x = 0;
    for (const Segment& segment : resolved.old) {
        const uint64_t begin = std::max(at, x);
        const uint64_t end = std::min(at + length, x + segment.length);
        if (begin < end) {
            if (segment.kind == Segment::Bytes)
                out.append(segment.bytes, begin - x, end - begin);
            else if (segment.kind == Segment::Zeros)
                out.append(end - begin, '\0');
            else
                current_.read(segment.newOffset + (begin - x), end - begin, out);
        }
        x += segment.length;
    }
    if (at + length > std::max(at, entry_.oldSize))
        out.append(at + length - std::max(at, entry_.oldSize), '\0');
}

// The new byte at `at` where the entry knows it: an old byte kept.
bool Torn::newByte(const FileEntry& resolved, uint64_t at, char& byte)
{
    const Source* source = sourceAt(at);
    if (!source)
        return false;
    std::string bytes;
    readOld(resolved, source->oldOffset + (at - source->newOffset), 1, bytes);
    byte = bytes.empty() ? '\0' : bytes[0];
    return bytes.size() == 1;
}

// Every byte on the old side is its old byte (a zero past the old end: the
// room made for the new length), or its new byte (or past the new end, a
// zero) where a write was cut half-way; the written ranges, unless strict,
// are the save's own. On the new side past the new end, a zero.
bool Torn::oldSideAsLeft(const FileEntry& resolved)
{
    const uint64_t size = current_.size();
    for (uint64_t at = 0; at < size; at += kBlock) {
        const uint64_t length = std::min(kBlock, size - at);
        std::string now;
        current_.read(at, length, now);
        if (now.size() != length)
            return false;
        std::string old;
        readOld(resolved, at, length, old);
        for (uint64_t i = 0; i < length; ++i) {
            const uint64_t x = at + i;
            if (newSide(x)) {
                if (x >= entry_.newSize && now[i] != '\0')
                    return false;
                continue;
            }
            if (now[i] == old[i])
                continue;
            if (inWritten(x)) {
                if (strict_)
                    return false;
                continue;
            }
            // Past the new end, the room an undo made for the old length.
            if (x >= entry_.newSize) {
                if (now[i] != '\0')
                    return false;
                continue;
            }
            char byte = 0;
            if (!newByte(resolved, x, byte) || byte != now[i])
                return false;
        }
    }
    return !current_.failed();
}

bool Torn::resolve(FileEntry& resolved, const char*& why)
{
    bool forward = false;
    bool backward = false;
    for (const Source& s : sources_) {
        forward = forward || s.newOffset > s.oldOffset;
        backward = backward || s.newOffset < s.oldOffset;
    }
    why = messages::kUndoAudioTorn;
    if (!entry_.chunked || entry_.chunkHashes.size() != chunks_.size() || (forward && backward))
        return false;
    if (current_.size() != std::max(entry_.oldSize, entry_.newSize)) {
        why = messages::kUndoSizeChanged;
        return false;
    }
    classify();
    if (current_.failed()) {
        why = messages::kReadError;
        return false;
    }
    std::vector<Order> orders;
    if (!forward)
        orders.push_back(Order::NewThenOld);
    if (!backward)
        orders.push_back(Order::OldThenNew);
    bool changed = false;
    bool tagsChanged = false;
    for (const Order order : orders) {
        order_ = order;
        for (const uint64_t split : candidates(changed)) {
            split_ = split;
            const char* reason = messages::kUndoAudioChanged;
            if (!holds(reason)) {
                tagsChanged = tagsChanged || reason == messages::kUndoTagsChanged;
                continue;
            }
            if (!resolveSegments(resolved))
                continue;
            const uint64_t taken = entry_.takenHashOf(
                [&](uint64_t offset, uint64_t length, std::string& out) { readOld(resolved, offset, length, out); });
            if (taken != entry_.takenHash) {
                tagsChanged = true;
                continue;
            }
            if (!oldSideAsLeft(resolved)) {
                changed = true;
                continue;
            }
            return true;
        }
    }
    if (changed)
        why = messages::kUndoAudioChanged;
    else if (tagsChanged)
        why = messages::kUndoTagsChanged;
    return false;
}

}  // namespace

bool resolveTorn(io::OriginalFile& current, const FileEntry& entry, bool strict, FileEntry& resolved,
                 const char*& why)
{
    return Torn(current, entry, strict).resolve(resolved, why);
}

}  // namespace tagshifter::undo
