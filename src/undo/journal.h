// Journals of runs, which keep what restores every file a run changed byte
// for byte, and the restore of those files (this folder). Here: writing a
// journal while a run goes, and reading one back.
#pragma once

#include "io/edit_stream.h"
#include "io/original_file.h"
#include "undo/file_entry.h"
#include "sys/fd.h"

#include <time.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tagshifter::undo {

struct JournalContents;
struct UndoneJournal;

struct JournalHeader {
    int64_t startSeconds = 0;  // when the run began (UTC)
    int64_t startMicroseconds = 0;
    std::string folder;  // the run's working folder
    bool undo = false;   // the run was an undo
};

// A journal is a series of records, each whole or ignored: a kill while one
// is appended leaves a tail that reading stops at. Each entry is appended
// (and with `sync` flushed to disk) before its file changes, and a record
// that its save committed right after: the undo takes only those files (and
// a file an in-place save left torn, which it can repair).
class JournalWriter {
public:
    // `fd`: a new, empty file; `folder`: its folder, synced with `sync`.
    JournalWriter(sys::Fd fd, const std::string& name, const JournalHeader& header, bool sync,
                  int folder);
    // Goes on with the journal `fd` (read and written, held locked) of an
    // undo that did not finish, whose whole records are `contents`: a file
    // it already has an entry for is recorded under that entry, which the
    // undo going on puts the same bytes in.
    JournalWriter(sys::Fd fd, const std::string& name, const JournalContents& contents, bool sync);
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // The header could not be written.
    const std::string& error() const { return error_; }
    void setError(std::string why) { error_ = std::move(why); }
    const std::string& name() const { return name_; }
    size_t files() const { return files_; }

    // A journal the user did not name gives way when it cannot be written
    // (a full home, say): the run goes on without it, as without a journal.
    void makeOptional() { optional_ = true; }
    // Once, after an optional journal gave way: why.
    std::string takeLoss();

    // The commit's hook: appends the entry of the save about to be written;
    // false, with the reason, when it cannot.
    bool recordSave(io::OriginalFile& original, io::EditStream& edits, std::string& why);
    // The commit's hook before a new file takes the old one's name: appends
    // which file it is, so that a kill before recordCommitted still leaves
    // it the run's; false, with the reason, when it cannot.
    bool recordStaged(int fd, std::string& why);
    // After a commit: the file now holds what the last entry recorded, with
    // the modification time the commit read from the descriptor it wrote
    // (`known` false: checked by its bytes alone).
    void recordCommitted(bool known, const struct timespec& modified);
    // After a commit that wrote nothing: its entry, if any, stays without
    // the record (the undo finds the file as before, or leaves it).
    void recordNotCommitted() { pending_ = false; }

    // An undo's: the journal it undoes, recorded before any file changes.
    bool recordUndoes(const UndoneJournal& undone);
    // An undo's: it went through every file of the journal it undoes.
    void recordFinished();

private:
    bool write(char type, const std::string& payload);
    // After a record that could not be written, whose tail may be torn:
    // nothing more is written. Says why; true when the journal was optional.
    bool giveWay(std::string& why);

    sys::Fd fd_;
    std::string name_;
    std::string folder_;  // the run's working folder, for absolute names
    bool sync_;
    std::string error_;
    size_t files_ = 0;
    bool optional_ = false;
    bool lost_ = false;     // nothing more is written: its tail may be torn
    std::string loss_;      // why it was lost, until taken
    bool pending_ = false;  // an entry was appended whose commit is not yet known
    size_t current_ = 0;    // the entry the save under way is recorded under
    // Going on with an undo's journal: the entry each file has (by path).
    std::vector<std::string> paths_;
};

// The journal an undo undoes: its name in the state folder (no slash) or
// its absolute path, and the file it was.
struct UndoneJournal {
    std::string name;
    uint64_t device = 0;
    uint64_t inode = 0;
};

struct JournalContents {
    JournalHeader header;
    std::vector<FileEntry> files;
    uint64_t size = 0;  // of the journal file
    uint64_t whole = 0;  // the length of its whole records: a kill may leave a torn one behind
    // An undo's, from journals since undos said so: the journal it undoes,
    // and whether it went through every file of it.
    bool undoesKnown = false;
    UndoneJournal undoes;
    bool finished = false;
};

// Reads a journal up to its first damaged record; false, with the reason,
// when it has no header.
bool readJournal(int fd, JournalContents& contents, std::string& why);

}  // namespace tagshifter::undo
