// tagshifter --undo: the files of a journal put back as they were, or, with
// --list, the journals kept.
#pragma once

#include "app/output/output.h"
#include "app/settings.h"
#include "undo/journal.h"

namespace tagshifter {

// Shows each journal in the state folder on `output`, oldest first, and
// names on standard error each it passes over and why. Returns the exit
// status: 1 when it passed one over.
int listJournals(Output& output);

// The journal --undo names, or the last run's; throws an Error when it
// cannot be read.
undo::JournalContents journalToUndo(const Settings& settings);

// Restores the files of `journal`, last saved first, each shown on `output`.
// Returns the exit status: 1 when a file was left alone or not written.
int undoFiles(const Settings& settings, const undo::JournalContents& journal, Output& output);

}  // namespace tagshifter
