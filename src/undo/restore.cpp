#include "undo/restore.h"

#include "common/messages.h"
#include "undo/hash.h"
#include "undo/torn_file.h"

#include <taglib/tbytevector.h>

#include <algorithm>

namespace tagshifter::undo {

namespace {

enum class FileState {
    AsWritten,  // the save's bytes: it can be restored
    Torn,       // an in-place save (or its undo) cut short, every byte where the cut left it: it can be repaired
    AsBefore,   // already the old bytes (the save never reached the disk)
    Changed,    // something else: left alone
};

struct FileCheck {
    FileCheck() = default;
    FileCheck(FileState state, const char* why) : state(state), why(why) {}
    FileState state = FileState::Changed;
    const char* why = nullptr;  // for Changed: a fixed reason
    // For Torn after the audio moved: the entry whose kept segments point to
    // where each old byte lies in the file now, for applyEntry.
    bool resolved = false;
    FileEntry entry;
};

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

// The bytes of `current`, for the entry's hashes.
ByteReader readerOf(io::OriginalFile& current)
{
    return [&current](uint64_t offset, uint64_t length, std::string& out) { current.read(offset, length, out); };
}

// A file cut short while written in place, or while its undo was: repaired
// when the entry tells where each old byte lies and every byte is as the cut
// left it.
FileCheck tornCheck(io::OriginalFile& current, const FileEntry& entry, bool strict)
{
    FileCheck check;
    if (!strict && entry.keptInPlace()) {
        // A cut leaves the old length or the new one (room is made before
        // the first write, the end cut off after the last): any other, a
        // file someone added to or cut since, whose bytes past the new end
        // the restore would drop.
        if (current.size() != entry.oldSize && current.size() != entry.newSize)
            return {FileState::Changed, messages::kUndoSizeChanged};
        if (entry.keptHashOf(readerOf(current)) != entry.keptHash || current.failed())
            return {FileState::Changed, messages::kUndoAudioChanged};
        check.state = FileState::Torn;
        return check;
    }
    const char* why = nullptr;
    if (!resolveTorn(current, entry, strict, check.entry, why))
        return {FileState::Changed, current.failed() ? messages::kReadError : why};
    check.state = FileState::Torn;
    check.resolved = true;
    return check;
}

FileCheck checkFile(io::OriginalFile& current, const FileEntry& entry)
{
    if (holdsOldBytes(current, entry))
        return {FileState::AsBefore, nullptr};
    if (current.failed())
        return {FileState::Changed, messages::kReadError};
    const bool sameFile = current.status().st_dev == static_cast<dev_t>(entry.device)
                          && current.status().st_ino == static_cast<ino_t>(entry.inode);
    const bool stagedFile = entry.stagedKnown
                            && current.status().st_dev == static_cast<dev_t>(entry.stagedDevice)
                            && current.status().st_ino == static_cast<ino_t>(entry.stagedInode);
    if (!entry.committed && !stagedFile) {
        // Only the file the run opened, cut short while written in place,
        // is the run's (a save that wrote a new file beside it never writes
        // in place).
        if (!sameFile || entry.stagedKnown)
            return {FileState::Changed, messages::kUndoSaveNotFinished};
        // Killed after its last write, before the record of it.
        if (current.size() == entry.newSize && entry.writtenHashOf(readerOf(current)) == entry.writtenHash
            && entry.keptHashOf(readerOf(current)) == entry.keptHash && !current.failed())
            return {FileState::AsWritten, nullptr};
        return tornCheck(current, entry, false);
    }
    const char* why = nullptr;
    if (current.size() != entry.newSize)
        why = messages::kUndoSizeChanged;
    else if (entry.writtenHashOf(readerOf(current)) != entry.writtenHash)
        why = current.failed() ? messages::kReadError : messages::kUndoTagsChanged;
    else if (entry.keptHashOf(readerOf(current)) != entry.keptHash)
        why = current.failed() ? messages::kReadError : messages::kUndoAudioChanged;
    if (why != nullptr) {
        // An undo of it cut short, in place, leaves the file old on one side
        // of a point and new on the other.
        if (current.failed() || !entry.chunked || (!stagedFile && (!sameFile || entry.stagedKnown)))
            return {FileState::Changed, why};
        const FileCheck torn = tornCheck(current, entry, true);
        // A length only a write cut short gives: the cut's reason says more.
        const bool tornLength = current.size() != entry.newSize
                                && current.size() == std::max(entry.oldSize, entry.newSize);
        return torn.state == FileState::Torn || tornLength ? torn : FileCheck{FileState::Changed, why};
    }
    // An empty file holds nothing the hashes could tell apart: any empty
    // file, another's made to look the same, would match. Only the very
    // file the run wrote is taken.
    const bool runsFile = entry.stagedKnown ? stagedFile : sameFile;
    if (entry.newSize == 0 && !runsFile)
        return {FileState::Changed, messages::kUndoModifiedSince};
    if (entry.mtimeKnown
        && (current.status().st_mtim.tv_sec != entry.mtimeSeconds
            || current.status().st_mtim.tv_nsec != entry.mtimeNanoseconds))
        return {FileState::Changed, messages::kUndoModifiedSince};
    return {FileState::AsWritten, nullptr};
}

// Edits the content of `current` (as the save wrote it) into the old bytes.
// False when the result would not have the old length.
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

}  // namespace

RestoreResult restoreFile(const FileEntry& entry, bool preview, const io::CommitOptions& options)
{
    // The path is read from the journal, and whatever now lies on it was not
    // looked at by the run: opened as operands are, no link another user
    // planted followed on the way.
    io::OriginalFile current(entry.path);
    if (!current.isOpen())
        return {RestoreOutcome::Refused, std::string(messages::kCannotOpen) + ": " + current.whyNotOpen()};
    const FileCheck check = checkFile(current, entry);
    if (check.state == FileState::AsBefore)
        return {RestoreOutcome::AlreadyBefore, {}};
    if (check.state == FileState::Changed)
        return {RestoreOutcome::Refused, check.why};
    if (preview)
        return {RestoreOutcome::WouldRestore, {}};
    io::EditStream edits(current);
    if (!applyEntry(current, edits, check.resolved ? check.entry : entry))
        return {RestoreOutcome::NotWritten, messages::kReadError};
    RestoreResult result;
    result.commit = io::commitEdits(current, edits, options);
    result.outcome = result.commit.written ? RestoreOutcome::Restored : RestoreOutcome::NotWritten;
    result.why = result.commit.written ? std::string() : result.commit.error;
    return result;
}

}  // namespace tagshifter::undo
