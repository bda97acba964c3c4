// The loop over the file operands: open, convert, preview or save, report.
#pragma once

#include "app/file_list.h"
#include "app/output/output.h"
#include "app/settings.h"
#include "undo/journal_folder.h"

#include <functional>
#include <string>
#include <vector>

namespace TagLib::MPEG {
class File;
}

namespace tagshifter {

// Removes the tag types outside `tagMask` and saves the file with the tags in
// it, ID3v2 as version 2.4 or 2.3 (`id3v2Version` 4 or 3), to the staged
// copy that the loop then commits to disk. Returns what the save returned.
bool stripAndSave(TagLib::MPEG::File& file, int tagMask, int id3v2Version);

// Where the loop writes a file; tests put a failing save here.
using SaveFile = std::function<bool(TagLib::MPEG::File&, int tagMask, int id3v2Version)>;

// How a run (or an undo, `undo`) is journaled under `settings`.
undo::JournalChoice journalChoiceOf(const Settings& settings, bool undo = false);

// Says once on standard error why the run has no journal, and that a run
// with neither -1 nor -2 removes every tag (and how to undo it).
void noteJournal(const Settings& settings, const undo::RunJournal* journal, Output& output);

// After the save of `file`: says once on standard error that the journal
// gave way there, when it did.
void noteJournalLoss(undo::JournalWriter* writer, const std::string& file, Output& output);

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
                 const SaveFile& save = stripAndSave);

}  // namespace tagshifter
