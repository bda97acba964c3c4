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

// What --undo puts back: the files of a journal, and where it says so.
struct UndoPlan {
    undo::JournalContents journal;
    undo::UndoneJournal undone;  // which journal that is
    // Going on with an undo cut short (the journal --undo found is its):
    // its journal, held locked, which this undo goes on writing. `journal`
    // is then the one that undo undid.
    bool resumed = false;
    sys::Fd resumedFd;
    std::shared_ptr<const sys::Folder> resumedFolder;  // when the state folder
    std::string resumedName;   // in that folder, or as given
    std::string resumedShown;  // in messages
    undo::JournalContents resumedContents;
};

// The journal --undo names, or the last run's, or where that is the journal
// of an undo cut short, the one that undo undid; throws an Error when it
// cannot be read.
UndoPlan journalToUndo(const Settings& settings);

// Restores the files of the plan's journal, last saved first, each shown on
// `output`. Returns the exit status: 1 when a file was left alone or not written.
int undoFiles(const Settings& settings, UndoPlan& plan, Output& output);

}  // namespace tagshifter
