#include "app/journal_notes.h"

#include "common/error.h"
#include "common/format.h"
#include "common/messages.h"

namespace tagshifter {

namespace {

void noteJournal(const Settings& settings, const undo::RunJournal* journal, Output& output)
{
    if (journal && !journal->note().empty())
        output.note(journal->note());
    if (settings.previewOnly || settings.undo || settings.id3v1.isWritten() || settings.id3v2.isWritten())
        return;
    if (journal && journal->writer()) {
        const std::string command = undoCommandOf(settings, journal);
        output.note(formatted(messages::kNoteRemovesEverything, command.c_str()));
    } else {
        output.note(messages::kNoteRemovesEverythingForGood);
    }
}

}  // namespace

std::string undoCommandOf(const Settings& settings, const undo::RunJournal* journal)
{
    if (!journal || !journal->writer())
        return "";
    return settings.journalFile.empty() ? std::string(messages::kUndoCommand)
                                        : formatted(messages::kUndoCommandNamed, settings.journalFile.c_str());
}

const undo::RunJournal* openJournal(const Settings& settings, bool undo, std::optional<undo::RunJournal>& journal,
                                    Output& output, const undo::UndoneJournal& undoes)
{
    if (!settings.previewOnly) {
        journal.emplace(undo::JournalChoice{!settings.journal, settings.journalFile, settings.syncWrites, undo, undoes});
        if (!journal->failure().empty())
            throw Error(Error::Kind::Other, formatted(messages::kCannotWriteNamedJournal, settings.journalFile.c_str(),
                                                      journal->failure().c_str()));
    }
    const undo::RunJournal* run = journal ? &*journal : nullptr;
    noteJournal(settings, run, output);
    return run;
}

void noteJournalLoss(const undo::RunJournal* journal, const std::string& file, Output& output)
{
    undo::JournalWriter* writer = journal ? journal->writer() : nullptr;
    if (!writer)
        return;
    const std::string loss = writer->takeLoss();
    if (!loss.empty())
        output.note(formatted(messages::kNoteJournalLost, writer->name().c_str(), loss.c_str(), file.c_str()));
}

}  // namespace tagshifter
