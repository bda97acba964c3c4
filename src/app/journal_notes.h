// A run's journal as the command line asks for it, and what standard error
// says about it: shared by the conversion and the undo.
#pragma once

#include "app/output/output.h"
#include "app/settings.h"
#include "undo/journal_folder.h"

#include <optional>
#include <string>

namespace tagshifter {

// Opens into `journal` the journal of a run (`undo`: of an undo) as
// `settings` ask, none under -w, before any file changes, and says on
// standard error why the run has none, and that a run with neither -1 nor
// -2 removes every tag (and how to undo it). A named journal that cannot be
// made ends the run: an Error is thrown. Returns the journal, or null.
// An undo's records `undoes`, the journal it undoes.
const undo::RunJournal* openJournal(const Settings& settings, bool undo, std::optional<undo::RunJournal>& journal,
                                    Output& output, const undo::UndoneJournal& undoes = {});

// The command that undoes a run kept in `journal`; "" when it has none.
std::string undoCommandOf(const Settings& settings, const undo::RunJournal* journal);

// After the save of `file`: says once on standard error that the journal
// gave way there, when it did.
void noteJournalLoss(const undo::RunJournal* journal, const std::string& file, Output& output);

}  // namespace tagshifter
