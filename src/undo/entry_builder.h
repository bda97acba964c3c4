// Builds the journal entry of a save from its staged edits: every byte of the
// old file that the new content does not hold is stored (runs of zeros as a
// length); what it does hold (the audio, and large old bytes the save wrote
// anew, such as a picture) is kept as a range of the new file.
#pragma once

#include "io/edit_stream.h"
#include "io/original_file.h"
#include "undo/file_entry.h"

#include <string>

namespace tagshifter::undo {

FileEntry buildEntry(const std::string& path, io::OriginalFile& original, io::EditStream& edits);

}  // namespace tagshifter::undo
