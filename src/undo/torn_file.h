// A save in place cut short after it moved the audio (its tag grew or shrank
// on a file with other names), or the undo of a save cut short in turn: the
// file holds the old bytes on one side of a point and the new bytes on the
// other. Here: finding that point from the entry's chunk hashes, checking the
// whole file against it, and where each old byte now lies.
#pragma once

#include "io/original_file.h"
#include "undo/file_entry.h"

namespace tagshifter::undo {

// True with `resolved`: the entry whose kept segments point into `current`
// where each old byte lies now, every byte of `current` found to be what the
// cut left. False with a fixed reason. `strict`: the save had finished (an
// undo of it was cut short), so the written ranges too must be wholly old or
// wholly new; otherwise they are the save's own, left as it cut them.
bool resolveTorn(io::OriginalFile& current, const FileEntry& entry, bool strict, FileEntry& resolved,
                 const char*& why);

}  // namespace tagshifter::undo
