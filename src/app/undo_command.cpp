#include "app/undo_command.h"

#include "app/file_loop.h"
#include "app/report.h"
#include "app/stop_signals.h"
#include "common/format.h"
#include "common/messages.h"
#include "undo/journal_folder.h"
#include "undo/restore.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <optional>

namespace tagshifter {

namespace {

int listJournals()
{
    std::string folderName;
    std::string why;
    const undo::UniqueFd folder = undo::openDefaultFolder(false, folderName, why);
    if (!folder)
        return 0;  // nothing kept
    for (const undo::JournalFile& file : undo::journalsIn(folder.get())) {
        const undo::UniqueFd fd(openat(folder.get(), file.name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        undo::JournalContents contents;
        if (!fd || !undo::readJournal(fd.get(), contents, why))
            continue;
        const time_t start = static_cast<time_t>(contents.header.startSeconds);
        tm local {};
        localtime_r(&start, &local);
        char time[64];
        std::strftime(time, sizeof time, messages::kJournalListTime, &local);
        std::string name = file.name;
        if (contents.header.undo)
            name += messages::kJournalOfUndo;
        std::printf(messages::kJournalListLine, time, contents.header.folder.c_str(), contents.files.size(),
                    static_cast<unsigned long long>(contents.size), name.c_str());
    }
    return 0;
}

}  // namespace

int runUndo(const Settings& settings)
{
    if (settings.listJournals)
        return listJournals();
    std::string name;
    std::string why;
    const undo::UniqueFd fd = undo::openJournalToUndo(settings.undoJournal, name, why);
    undo::JournalContents contents;
    if (!fd || !undo::readJournal(fd.get(), contents, why))
        throw formatted(messages::kCannotReadJournal, name.c_str(), why.c_str());

    Report report(contents.files.size(), isatty(STDERR_FILENO) == 1);
    // The undo is a run like any other: journaled, so that it can be undone.
    std::optional<undo::RunJournal> journal;
    if (!settings.previewOnly)
        journal.emplace(journalChoiceOf(settings, true));
    noteJournal(settings, journal ? &*journal : nullptr, report);
    undo::JournalWriter* writer = journal ? journal->writer() : nullptr;

    io::CommitOptions options;
    options.sync = settings.syncWrites;
    if (writer) {
        options.beforeWrite = [writer](io::OriginalFile& original, io::EditStream& edits, std::string& reason) {
            return writer->recordSave(original, edits, reason);
        };
    }
    int status = 0;
    // Last saved, first restored: a file saved twice goes back to before the first save.
    for (size_t i = contents.files.size(); i-- > 0;) {
        const undo::FileEntry& entry = contents.files[i];
        report.starting(contents.files.size() - 1 - i);
        undo::RestoreResult result;
        {
            const StopSignalsHeld held;
            result = undo::restoreFile(entry, settings.previewOnly, options);
            if (result.outcome == undo::RestoreOutcome::Restored && writer)
                writer->recordCommitted(entry.path);
        }
        switch (result.outcome) {
        case undo::RestoreOutcome::Restored:
            report.count(Outcome::Converted);
            if (settings.reportProgress)
                report.printLine(entry.path + messages::kDoneSuffix);
            break;
        case undo::RestoreOutcome::WouldRestore:
            report.count(Outcome::Previewed);
            report.printLine(formatted(messages::kUndoWouldRestore, entry.path.c_str()));
            break;
        case undo::RestoreOutcome::AlreadyBefore:
            report.count(Outcome::Skipped);
            break;
        case undo::RestoreOutcome::Refused:
            report.count(Outcome::Failed);
            report.note(formatted(messages::kNoteNotRestored, entry.path.c_str(), result.why.c_str()));
            status = 1;
            break;
        case undo::RestoreOutcome::NotWritten:
            report.count(Outcome::Failed);
            report.notWritten(entry.path, result.why);
            report.printLine(entry.path + messages::kFailedSuffix);
            status = 1;
            break;
        }
    }
    report.finish();
    return status;
}

}  // namespace tagshifter
