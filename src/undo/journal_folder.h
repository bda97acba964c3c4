// Where journals live: the default folder ($XDG_STATE_HOME/tagshifter, else
// ~/.local/state/tagshifter), one journal per run named by its start time,
// the bound on the folder, and opening the journal of a run.
#pragma once

#include "undo/journal.h"
#include "sys/fd.h"

#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace tagshifter::undo {

// The folder keeps the journals of the last runs up to these bounds; the
// oldest go first.
inline constexpr size_t kMaxJournals = 50;
inline constexpr uint64_t kMaxJournalBytes = 200ull << 20;
inline constexpr char kJournalSuffix[] = ".journal";

// The default folder's name from the environment; empty when neither
// XDG_STATE_HOME nor HOME names an absolute folder.
std::string defaultFolderName();

// Opens the default folder, making what is missing of it below the base
// ($XDG_STATE_HOME or $HOME) without following links there. Every folder on
// the way from the base must belong to the user who runs the tool: a run as
// root with someone else's HOME neither writes there nor makes anything.
// Fails with the reason in `why`.
sys::Fd openDefaultFolder(bool create, std::string& name, std::string& why);

// The name of the journal of a run that began at `start`.
std::string journalName(const timespec& start);

struct JournalFile {
    std::string name;
    uint64_t size = 0;
};

// The journals in the folder, oldest first.
std::vector<JournalFile> journalsIn(int folder);

// Removes the oldest journals, never `keep`, until at most `maxCount` are
// left and they hold at most `maxBytes` in all.
void pruneJournals(int folder, const std::string& keep, size_t maxCount = kMaxJournals,
                   uint64_t maxBytes = kMaxJournalBytes);

// Opens the journal an undo reads: `given` (a path, or the name of a journal
// in the default folder), or the newest in the default folder when empty.
// `name` is set to the journal's name as shown; fails with the reason.
sys::Fd openJournalToUndo(const std::string& given, std::string& name, std::string& why);

// How a run is journaled.
struct JournalChoice {
    bool off = false;   // --no-journal
    std::string named;  // --journal=FILE; empty: the default folder
    bool sync = false;
    bool undo = false;  // the run is an undo
};

// A run's journal, once open: writes the entries, and at the end removes
// itself when it holds none (from the default folder) and bounds the folder.
class RunJournal {
public:
    // Throws an Error when a named journal cannot be made; where the
    // default folder cannot be written, the run has no journal and
    // note() says why.
    explicit RunJournal(const JournalChoice& choice);
    ~RunJournal();
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    JournalWriter* writer() const { return writer_.get(); }
    // For standard error, once: why this run has no journal.
    const std::string& note() const { return note_; }

private:
    std::unique_ptr<JournalWriter> writer_;
    sys::Fd folder_;  // the default folder, when the journal is in it
    std::string note_;
};

}  // namespace tagshifter::undo
