// Writing the new content of a file to disk: only the changed bytes when the
// length stays, otherwise a new file beside the old one renamed over it, or,
// where a rename would lose something, in place in large blocks.
#pragma once

#include "io/edit_stream.h"
#include "io/original_file.h"

#include <functional>
#include <string>

namespace tagshifter::io {

enum class CommitPath { Unchanged, SameLength, Renamed, InPlace };

// The steps a test can make fail as if the system refused them.
enum class CommitStep { WriteInPlace, CreateTemporary, CopyMetadata, WriteTemporary, Rename };

struct CommitOptions {
    bool sync = false;  // fsync the file, and its folder after a rename
    // Test seam: returning true makes that step fail with an I/O error.
    std::function<bool(CommitStep)> failStep;
    // Called once the content is known to change, before any byte of the
    // file does (the journal records the save here); false refuses the
    // save, with the reason in the string.
    std::function<bool(OriginalFile&, EditStream&, std::string&)> beforeWrite;
};

struct CommitResult {
    bool written = false;
    CommitPath path = CommitPath::Unchanged;
    std::string error;  // why not, when not written
    bool refused = false;  // the guard kept the file: its new tag would lose a frame
};

// Temporary files are named ".<name>.tagshifter-XXXXXX" beside the file.
inline constexpr char kTemporaryMark[] = ".tagshifter-";

CommitResult commitEdits(OriginalFile& original, EditStream& edits, const CommitOptions& options);

}  // namespace tagshifter::io
