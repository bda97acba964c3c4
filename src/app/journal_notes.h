// A run's journal as the command line asks for it, and what standard error
// says about it: shared by the conversion and the undo.
#pragma once

#include "app/output/output.h"
#include "app/settings.h"
#include "undo/journal_folder.h"

#include <string>

namespace tagshifter {

// How a run (or an undo, `undo`) is journaled under `settings`.
undo::JournalChoice journalChoiceOf(const Settings& settings, bool undo = false);

// The command that undoes a run kept in `journal`; "" when it has none.
std::string undoCommandOf(const Settings& settings, const undo::RunJournal* journal);

// Says once on standard error why the run has no journal, and that a run
// with neither -1 nor -2 removes every tag (and how to undo it).
void noteJournal(const Settings& settings, const undo::RunJournal* journal, Output& output);

// After the save of `file`: says once on standard error that the journal
// gave way there, when it did.
void noteJournalLoss(const undo::RunJournal* journal, const std::string& file, Output& output);

}  // namespace tagshifter
