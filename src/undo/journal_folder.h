// Where journals live: the default folder ($XDG_STATE_HOME/tagshifter, else
// ~/.local/state/tagshifter), one journal per run named by its start time,
// the bound on the folder, and opening the journal of a run.
#pragma once

#include "io/commit.h"
#include "undo/journal.h"
#include "sys/fd.h"
#include "sys/folder.h"

#include <memory>
#include <string>
#include <vector>

namespace tagshifter::undo {

// The folder keeps the journals of the last runs up to these bounds; the
// oldest go first.
inline constexpr size_t kMaxJournals = 50;
inline constexpr uint64_t kMaxJournalBytes = 200ull << 20;
inline constexpr char kJournalSuffix[] = ".journal";

// Opens the default folder, making what is missing of it below the base
// ($XDG_STATE_HOME or $HOME) without following links there. Every folder on
// the way from the base must belong to the user who runs the tool, and no
// one else may write it: a run as root with someone else's HOME neither
// writes there nor makes anything, and takes no journal from there.
// Fails with the reason in `why` and, where a folder on the way is refused,
// that folder in `name`; `missing` says that it does not exist.
std::shared_ptr<const sys::Folder> openDefaultFolder(bool create, std::string& name, std::string& why,
                                                     bool* missing = nullptr);

// Whether the journal open as `fd` may steer a run: a regular file of the
// user who runs the tool that no one else may write; false with the reason.
bool journalMayBeRead(int fd, std::string& why);

struct JournalFile {
    std::string name;
    uint64_t size = 0;
    bool regular = true;  // else a FIFO, a link, ...: never a journal to read
};

// The entries named as journals in the folder, oldest first, those that are
// no regular file among them (an undo names them as refused, never reads
// them); with `error`, set to the errno of a listing that could not be read
// to the end (else 0).
std::vector<JournalFile> journalsIn(const sys::Folder& folder, int* error = nullptr);

// Removes the oldest journals, never `keep` nor one that a running run
// holds locked, until at most `maxCount` are left and they hold at most
// `maxBytes` in all.
void pruneJournals(const sys::Folder& folder, const std::string& keep, size_t maxCount = kMaxJournals,
                   uint64_t maxBytes = kMaxJournalBytes);

// Opens the journal `name` of the held folder without waiting on a FIFO or
// following a link, and checks that it may be read; fails with the reason.
sys::Fd openJournalIn(const sys::Folder& folder, const std::string& name, std::string& why);

// Opens the journal an undo reads: `given` (a path with a slash, or else the
// name of a journal in the default folder), or the newest in the default
// folder when empty, and checks it may be read. `name` is set to the
// journal's name as shown; fails with the reason.
// `where`, when given, is set to the folder it lies in and its name there,
// and whether that folder is the state folder.
struct JournalPlace {
    std::shared_ptr<const sys::Folder> folder;
    std::string base;
    bool stateFolder = false;
};
sys::Fd openJournalToUndo(const std::string& given, std::string& name, std::string& why,
                          JournalPlace* where = nullptr);

// How a run is journaled.
struct JournalChoice {
    bool off = false;   // --no-journal
    std::string named;  // --journal=FILE; empty: the default folder
    bool sync = false;
    bool undo = false;  // the run is an undo
    UndoneJournal undoes;  // an undo's: the journal it undoes
};

// A run's journal, once open: writes the entries, and at the end removes
// itself when it holds none (from the default folder) and bounds the folder.
class RunJournal {
public:
    // A named journal that cannot be made leaves failure() saying why (the
    // run must not go on); where the default folder cannot be written, the
    // run has no journal and note() says why.
    explicit RunJournal(const JournalChoice& choice);
    // Goes on with the journal of an undo cut short (see JournalWriter),
    // `fd` held locked, in `folder` when that is the state folder.
    RunJournal(sys::Fd fd, std::shared_ptr<const sys::Folder> folder, const std::string& name,
               const JournalContents& contents, bool sync);
    ~RunJournal();
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    JournalWriter* writer() const { return writer_.get(); }
    // The options of every commit of the run: with the journal's hook,
    // which records each save before its file changes.
    io::CommitOptions commitOptions(bool sync) const;
    // After each commit, written or not: a save that went through is
    // recorded as done.
    void afterCommit(const io::CommitResult& commit) const;
    // For standard error, once: why this run has no journal.
    const std::string& note() const { return note_; }
    // Why the named journal could not be made; empty when it was.
    const std::string& failure() const { return failure_; }

private:
    std::unique_ptr<JournalWriter> writer_;
    std::shared_ptr<const sys::Folder> folder_;  // the default folder, when the journal is in it
    std::string note_;
    std::string failure_;
};

}  // namespace tagshifter::undo
