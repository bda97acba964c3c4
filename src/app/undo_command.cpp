#include "app/undo_command.h"

#include "app/journal_notes.h"
#include "app/stop_signals.h"
#include "common/error.h"
#include "common/format.h"
#include "common/messages.h"
#include "undo/journal_folder.h"
#include "undo/restore.h"
#include "sys/folder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
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

namespace {

[[noreturn]] void cannotRead(const std::string& name, const std::string& why)
{
    throw Error(Error::Kind::Other, formatted(messages::kCannotReadJournal, name.c_str(), why.c_str()));
}

// The journal an undo cut short undid, checked to be the very file it was.
undo::JournalContents undoneJournal(const undo::UndoneJournal& undone)
{
    std::string name;
    std::string why;
    const sys::Fd fd = undo::openJournalToUndo(undone.name, name, why);
    undo::JournalContents contents;
    if (!fd || !undo::readJournal(fd.get(), contents, why))
        cannotRead(name, why);
    struct stat status {};
    if (!sys::statusOf(fd.get(), status))
        cannotRead(name, std::strerror(errno));
    if (static_cast<uint64_t>(status.st_dev) != undone.device || static_cast<uint64_t>(status.st_ino) != undone.inode)
        cannotRead(name, messages::kUndoneJournalReplaced);
    return contents;
}

}  // namespace

UndoPlan journalToUndo(const Settings& settings)
{
    std::string name;
    std::string why;
    undo::JournalPlace place;
    const sys::Fd fd = undo::openJournalToUndo(settings.undoJournal, name, why, &place);
    UndoPlan plan;
    struct stat status {};
    if (!fd || !undo::readJournal(fd.get(), plan.journal, why))
        cannotRead(name, why);
    if (!sys::statusOf(fd.get(), status))
        cannotRead(name, std::strerror(errno));
    const undo::JournalContents& found = plan.journal;
    if (found.header.undo && found.undoesKnown && !found.finished) {
        // An undo cut short (killed, or stopped by a signal) is gone on
        // with, not undone: undoing it would turn the files it reached back
        // into the run's, and a file it left torn into the torn one.
        plan.resumed = true;
        if (!settings.previewOnly && settings.journal) {
            // Held locked: an undo still running holds it so.
            plan.resumedFd = sys::Fd(place.folder->openAt(place.base, O_RDWR | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
            struct stat again {};
            if (!plan.resumedFd || !sys::statusOf(plan.resumedFd.get(), again))
                cannotRead(name, std::strerror(errno));
            if (again.st_dev != status.st_dev || again.st_ino != status.st_ino)
                cannotRead(name, messages::kJournalReplaced);
            if (!sys::lockFile(plan.resumedFd.get(), false))
                cannotRead(name, messages::kUndoStillRunning);
            if (!undo::readJournal(plan.resumedFd.get(), plan.resumedContents, why))
                cannotRead(name, why);
            plan.resumedFolder = place.stateFolder ? place.folder : nullptr;
            plan.resumedName = place.stateFolder ? place.base : name;
            plan.resumedShown = name;
        }
        plan.undone = found.undoes;
        plan.journal = undoneJournal(found.undoes);
        return plan;
    }
    // A journal of the state folder by its name there, any other by its
    // absolute path: the way an undo of this undo finds it again.
    if (place.stateFolder)
        plan.undone.name = place.base;
    else
        plan.undone.name = name[0] == '/' ? name : sys::workingFolder() + "/" + name;
    plan.undone.device = static_cast<uint64_t>(status.st_dev);
    plan.undone.inode = static_cast<uint64_t>(status.st_ino);
    return plan;
}

int undoFiles(const Settings& settings, UndoPlan& plan, Output& output)
{
    const undo::JournalContents& journal = plan.journal;
    // The undo is a run like any other: journaled, so that it can be undone.
    std::optional<undo::RunJournal> ownJournal;
    const undo::RunJournal* run = nullptr;
    if (plan.resumedFd) {
        ownJournal.emplace(std::move(plan.resumedFd), plan.resumedFolder, plan.resumedName, plan.resumedContents,
                           settings.syncWrites);
        if (!ownJournal->failure().empty())
            cannotRead(plan.resumedShown, ownJournal->failure());
        run = &*ownJournal;
    } else {
        run = openJournal(settings, true, ownJournal, output, plan.undone);
    }
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
    // Every file gone through: a later --undo undoes this undo, not goes on with it.
    if (run && run->writer())
        run->writer()->recordFinished();
    return status;
}

}  // namespace tagshifter
