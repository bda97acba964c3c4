// Turning a file back into what it was before a journaled save: first the
// check that it is still what the save wrote, then the edits that recreate
// the old bytes, for the usual commit to write.
#pragma once

#include "io/commit.h"
#include "io/edit_stream.h"
#include "io/original_file.h"
#include "undo/file_entry.h"

#include <string>

namespace tagshifter::undo {

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

FileCheck checkFile(io::OriginalFile& current, const FileEntry& entry);

// Edits the content of `current` (as the save wrote it) into the old bytes.
// False when the result would not have the old length.
bool applyEntry(io::OriginalFile& current, io::EditStream& edits, const FileEntry& entry);

enum class RestoreOutcome {
    Restored,
    WouldRestore,   // a preview: the file would be restored
    AlreadyBefore,  // nothing to do
    Refused,        // changed since the run, or cannot be opened
    NotWritten,     // the commit failed
};

struct RestoreResult {
    RestoreOutcome outcome = RestoreOutcome::Refused;
    std::string why;
    // Restored: what the commit reported (for the undo's own journal).
    io::CommitResult commit{false, io::CommitPath::Unchanged};
};

// Restores the file of `entry` through the commit, with `options` (the
// undo's own journal hook among them); with `preview`, only says whether it would.
RestoreResult restoreFile(const FileEntry& entry, bool preview, const io::CommitOptions& options);

}  // namespace tagshifter::undo
