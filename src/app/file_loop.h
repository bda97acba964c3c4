// The loop over the file operands: open, convert, preview or save, report.
#pragma once

#include "app/file_list.h"
#include "app/output/output.h"
#include "app/settings.h"
#include "format/tagged_file.h"

#include <functional>
#include <string>
#include <vector>

namespace tagshifter {

// Saves the tags `written` to the staged copy that the loop then commits to
// disk. Returns what the save returned.
bool saveTags(format::TaggedFile& file, const format::TagsWritten& written);

// Where the loop writes a file; tests put a failing save here.
using SaveFile = std::function<bool(format::TaggedFile&, const format::TagsWritten&)>;

// Processes every operand in order, each shown on `output` once done.
// Returns the exit status: 0 when every file was handled, 1 when any save
// failed or was refused because the new ID3v2 tag would lose a frame of the
// old one. A file that does not open, an unusable encoding or a text that
// cannot be converted ends the loop with its Error, once the file is shown;
// with -k only an unusable encoding does, and the others leave the file as
// it was and make the status 1. An interrupt, terminate or
// hang-up signal that arrives while a file is being saved takes effect once
// that file is written and closed.
int processFiles(const Settings& settings, const FileList& files, Output& output,
                 const SaveFile& save = saveTags);

}  // namespace tagshifter
