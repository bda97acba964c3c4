#include "undo/restore.h"

#include "common/messages.h"
#include "undo/hash.h"

#include <taglib/tbytevector.h>

#include <cerrno>
#include <cstring>

namespace tagshifter::undo {

namespace {

TagLib::ByteVector vectorOf(const std::string& bytes)
{
    return TagLib::ByteVector(bytes.data(), static_cast<unsigned int>(bytes.size()));
}

bool holdsOldBytes(io::OriginalFile& current, const FileEntry& entry)
{
    if (current.size() != entry.oldSize)
        return false;
    uint64_t at = 0;
    for (const Segment& segment : entry.old) {
        if (segment.kind != Segment::Kept) {
            std::string now;
            current.read(at, segment.length, now);
            if (segment.kind == Segment::Bytes ? now != segment.bytes
                                               : now.find_first_not_of('\0') != std::string::npos
                                                     || now.size() != segment.length)
                return false;
        }
        at += segment.length;
    }
    return !current.failed();
}

}  // namespace

FileCheck checkFile(io::OriginalFile& current, const FileEntry& entry)
{
    const char* why = nullptr;
    if (current.size() != entry.newSize) {
        why = messages::kUndoSizeChanged;
    } else {
        uint64_t hash = kHashSeed;
        for (const Range& range : entry.written) {
            std::string bytes;
            current.read(range.offset, range.length, bytes);
            hash = hashBytes(bytes, hash);
        }
        if (current.failed())
            why = messages::kReadError;
        else if (hash != entry.writtenHash)
            why = messages::kUndoTagsChanged;
        else if (entry.committed && (current.status().st_mtim.tv_sec != entry.mtimeSeconds
                                     || current.status().st_mtim.tv_nsec != entry.mtimeNanoseconds))
            why = messages::kUndoModifiedSince;
        else
            return {FileState::AsWritten, nullptr};
    }
    if (holdsOldBytes(current, entry))
        return {FileState::AsBefore, nullptr};
    return {FileState::Changed, why};
}

bool applyEntry(io::OriginalFile& current, io::EditStream& edits, const FileEntry& entry)
{
    // The stream holds the old bytes placed so far, then the current file
    // from `next` on: a range kept further on is reached by removing what
    // lies before it; anything else is inserted.
    uint64_t position = 0;
    uint64_t next = 0;
    for (const Segment& segment : entry.old) {
        if (segment.kind == Segment::Kept && segment.newOffset >= next) {
            if (segment.newOffset > next)
                edits.removeBlock(position, segment.newOffset - next);
            position += segment.length;
            next = segment.newOffset + segment.length;
            continue;
        }
        std::string bytes;
        if (segment.kind == Segment::Bytes)
            bytes = segment.bytes;
        else if (segment.kind == Segment::Zeros)
            bytes.assign(segment.length, '\0');
        else
            current.read(segment.newOffset, segment.length, bytes);
        if (bytes.size() != segment.length)
            return false;
        edits.insert(vectorOf(bytes), position, 0);
        position += segment.length;
    }
    if (edits.contentLength() > position)
        edits.removeBlock(position, edits.contentLength() - position);
    return edits.contentLength() == entry.oldSize && !current.failed();
}

RestoreResult restoreFile(const FileEntry& entry, bool preview, const io::CommitOptions& options)
{
    io::OriginalFile current(entry.path);
    if (!current.isOpen())
        return {RestoreOutcome::Refused, std::string(messages::kCannotOpen) + ": " + std::strerror(errno)};
    const FileCheck check = checkFile(current, entry);
    if (check.state == FileState::AsBefore)
        return {RestoreOutcome::AlreadyBefore, {}};
    if (check.state == FileState::Changed)
        return {RestoreOutcome::Refused, check.why};
    if (preview)
        return {RestoreOutcome::WouldRestore, {}};
    io::EditStream edits(current);
    if (!applyEntry(current, edits, entry))
        return {RestoreOutcome::NotWritten, messages::kReadError};
    const io::CommitResult commit = io::commitEdits(current, edits, options);
    if (!commit.written)
        return {RestoreOutcome::NotWritten, commit.error};
    RestoreResult restored{RestoreOutcome::Restored, {}};
    restored.modifiedKnown = commit.modifiedKnown;
    restored.modified = commit.modified;
    return restored;
}

}  // namespace tagshifter::undo
