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
// Returns the exit status, 1 when any file was not written. A file's own
// error is thrown once it is shown (with -k, only an unusable encoding is);
// a stop signal during a save waits until that file is written and closed.
int processFiles(const Settings& settings, const FileList& files, Output& output,
                 const SaveFile& save = saveTags);

}  // namespace tagshifter
