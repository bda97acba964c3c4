// Writing the new content of a file to disk: only the changed bytes when the
// length stays, otherwise a new file beside the old one renamed over it, or,
// where a rename would lose something, in place in large blocks. Every way
// leaves the file as it was when a step fails, and none writes to a file
// that changed since it was read.
#pragma once

#include "io/edit_stream.h"
#include "io/original_file.h"

#include <sys/stat.h>

#include <functional>
#include <string>
#include <utility>

namespace tagshifter::io {

enum class CommitPath { Unchanged, SameLength, Renamed, InPlace };

struct CommitOptions {
    bool sync = false;  // fsync the file, and its folder after a rename
    // Called once the content is known to change, before any byte of the
    // file does (the journal records the save here); false refuses the
    // save, with the reason in the string.
    std::function<bool(OriginalFile&, EditStream&, std::string&)> beforeWrite;
    // Called when the new content was written to a new file, once it is
    // whole and before it takes the old one's name (the journal records
    // which file it is); false refuses the save, with the reason.
    std::function<bool(int fd, std::string&)> beforeReplace;
    // Report the written file's modification time (the journal's check),
    // taken from the descriptor written, never from the name.
    bool reportModified = false;
};

struct CommitResult {
    CommitResult(bool written, CommitPath path, std::string error = {}, bool refused = false)
        : written(written), path(path), error(std::move(error)), refused(refused)
    {
    }
    bool written = false;
    CommitPath path = CommitPath::Unchanged;
    std::string error;     // why not, when not written
    bool refused = false;  // the guard kept the file: its new tag would lose a frame
    std::string warning;   // what did not hold although it was written
    bool modifiedKnown = false;  // with reportModified, once written
    struct timespec modified {};
};

CommitResult commitEdits(OriginalFile& original, EditStream& edits, const CommitOptions& options);

}  // namespace tagshifter::io
