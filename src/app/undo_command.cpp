#include "app/undo_command.h"

#include "app/file_loop.h"
#include "app/stop_signals.h"
#include "common/error.h"
#include "common/format.h"
#include "common/messages.h"
#include "undo/journal_folder.h"
#include "undo/restore.h"

#include <fcntl.h>

#include <optional>

namespace tagshifter {

int listJournals(Output& output)
{
    std::string folderName;
    std::string why;
    const sys::Fd folder = undo::openDefaultFolder(false, folderName, why);
    if (!folder)
        return 0;  // nothing kept
    for (const undo::JournalFile& file : undo::journalsIn(folder.get())) {
        const sys::Fd fd(openat(folder.get(), file.name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        undo::JournalContents contents;
        if (!fd || !undo::readJournal(fd.get(), contents, why))
            continue;
        JournalListing listing;
        listing.started = static_cast<long long>(contents.header.startSeconds);
        listing.folder = contents.header.folder;
        listing.files = contents.files.size();
        listing.bytes = static_cast<unsigned long long>(contents.size);
        listing.name = file.name;
        listing.undo = contents.header.undo;
        output.journal(listing);
    }
    return 0;
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
    if (!settings.previewOnly)
        ownJournal.emplace(journalChoiceOf(settings, true));
    noteJournal(settings, ownJournal ? &*ownJournal : nullptr, output);
    undo::JournalWriter* writer = ownJournal ? ownJournal->writer() : nullptr;

    io::CommitOptions options;
    options.sync = settings.syncWrites;
    if (writer) {
        options.reportModified = true;
        options.beforeWrite = [writer](io::OriginalFile& original, io::EditStream& edits, std::string& why) {
            return writer->recordSave(original, edits, why);
        };
    }
    int status = 0;
    // Last saved, first restored: a file saved twice goes back to before the first save.
    for (size_t i = journal.files.size(); i-- > 0;) {
        const undo::FileEntry& entry = journal.files[i];
        output.starting(journal.files.size() - 1 - i);
        undo::RestoreResult restore;
        {
            const StopSignalsHeld held;
            restore = undo::restoreFile(entry, settings.previewOnly, options);
            if (restore.outcome == undo::RestoreOutcome::Restored && writer)
                writer->recordCommitted(restore.modifiedKnown, restore.modified);
        }
        FileResult result;
        result.path = entry.path;
        switch (restore.outcome) {
        case undo::RestoreOutcome::Restored: result.outcome = Outcome::Converted; break;
        case undo::RestoreOutcome::WouldRestore:
            result.outcome = Outcome::Previewed;
            result.preview.push_back(formatted(messages::kUndoWouldRestore, entry.path.c_str()));
            break;
        case undo::RestoreOutcome::AlreadyBefore:
            // Nothing to put back: the run's save of it never reached the disk.
            result.outcome = settings.previewOnly ? Outcome::Previewed : Outcome::Unchanged;
            break;
        case undo::RestoreOutcome::Refused:
        case undo::RestoreOutcome::NotWritten: {
            const bool refused = restore.outcome == undo::RestoreOutcome::Refused;
            result.outcome = refused ? Outcome::Refused : Outcome::Failed;
            result.error = Error(refused ? Error::Kind::Refused : Error::Kind::NotWritten, restore.why);
            result.error->file = entry.path;
            result.error->reason = restore.why;
            status = 1;
            break;
        }
        }
        output.file(result);
        noteJournalLoss(writer, entry.path, output);
    }
    return status;
}

}  // namespace tagshifter
