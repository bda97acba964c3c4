#include "app/undo_command.h"

#include "app/journal_notes.h"
#include "app/stop_signals.h"
#include "common/error.h"
#include "common/format.h"
#include "common/messages.h"
#include "undo/journal_folder.h"
#include "undo/restore.h"

#include <cstring>

#include <optional>

namespace tagshifter {

int listJournals(Output& output)
{
    std::string folderName;
    std::string why;
    bool missing = false;
    const std::shared_ptr<const sys::Folder> folder = undo::openDefaultFolder(false, folderName, why, &missing);
    if (!folder) {
        if (missing)
            return 0;  // nothing kept yet
        throw Error(Error::Kind::Other, formatted(messages::kCannotReadJournalFolder, folderName.c_str(), why.c_str()));
    }
    int error = 0;
    const std::vector<undo::JournalFile> journals = undo::journalsIn(*folder, &error);
    if (error != 0)
        throw Error(Error::Kind::Other,
                    formatted(messages::kCannotReadJournalFolder, folderName.c_str(), std::strerror(error)));
    // A journal passed over is named with the reason: the list is then not
    // all that the folder holds, and --undo may refuse the newest.
    int status = 0;
    for (size_t i = 0; i < journals.size(); ++i) {
        const undo::JournalFile& file = journals[i];
        const sys::Fd fd = undo::openJournalIn(*folder, file.name, why);
        undo::JournalContents contents;
        if (!fd || !undo::readJournal(fd.get(), contents, why)) {
            output.note(formatted(messages::kNoteJournalSkipped, file.name.c_str(), why.c_str()));
            status = 1;
            continue;
        }
        JournalListing listing;
        listing.started = static_cast<long long>(contents.header.startSeconds);
        listing.folder = contents.header.folder;
        listing.files = contents.files.size();
        listing.bytes = static_cast<unsigned long long>(contents.size);
        listing.name = file.name;
        listing.undo = contents.header.undo;
        listing.next = i + 1 == journals.size();
        output.journal(listing);
    }
    return status;
}

undo::JournalContents journalToUndo(const Settings& settings)
{
    std::string name;
    std::string why;
    const sys::Fd fd = undo::openJournalToUndo(settings.undoJournal, name, why);
    undo::JournalContents contents;
    if (!fd || !undo::readJournal(fd.get(), contents, why))
        throw Error(Error::Kind::Other, formatted(messages::kCannotReadJournal, name.c_str(), why.c_str()));
    return contents;
}

int undoFiles(const Settings& settings, const undo::JournalContents& journal, Output& output)
{
    // The undo is a run like any other: journaled, so that it can be undone.
    std::optional<undo::RunJournal> ownJournal;
    const undo::RunJournal* run = openJournal(settings, true, ownJournal, output);
    const io::CommitOptions options = run ? run->commitOptions(settings.syncWrites) : io::CommitOptions{};

    int status = 0;
    // Last saved, first restored: a file saved twice goes back to before the first save.
    for (size_t i = journal.files.size(); i-- > 0;) {
        const undo::FileEntry& entry = journal.files[i];
        output.starting(journal.files.size() - 1 - i);
        undo::RestoreResult restore;
        {
            const StopSignalsHeld held;
            restore = undo::restoreFile(entry, settings.previewOnly, options);
            if (run)
                run->afterCommit(restore.commit);
        }
        FileResult result;
        result.path = entry.path;
        switch (restore.outcome) {
        case undo::RestoreOutcome::Restored: result.outcome = Outcome::Restored; break;
        case undo::RestoreOutcome::WouldRestore:
            result.outcome = Outcome::Previewed;
            result.preview.push_back(formatted(messages::kUndoWouldRestore, entry.path.c_str()));
            break;
        case undo::RestoreOutcome::AlreadyBefore:
            // Nothing to put back: the run's save of it never reached the disk.
            result.outcome = settings.previewOnly ? Outcome::Previewed : Outcome::Unchanged;
            break;
        case undo::RestoreOutcome::Refused:
        case undo::RestoreOutcome::NotWritten:
            // Left as it is: failed, one word for it in the line, the count and JSON.
            result.fail(Outcome::Failed, restore.why);
            status = 1;
            break;
        }
        output.file(result);
        noteJournalLoss(run, entry.path, output);
    }
    return status;
}

}  // namespace tagshifter
