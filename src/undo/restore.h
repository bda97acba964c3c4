// Turning a file back into what it was before a journaled save: first the
// check that it is still what the save wrote, then the edits that recreate
// the old bytes, for the usual commit to write.
#pragma once

#include "io/commit.h"
#include "undo/file_entry.h"

#include <string>

namespace tagshifter::undo {

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
