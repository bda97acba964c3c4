// src/app/output: the one way out for every line a run prints. The base
// class keeps standard error (progress, notes, the count); a face writes
// standard output: the specified text lines, or JSON Lines.
#pragma once

#include "common/error.h"
#include "convert/text_change.h"
#include "text/encoding_choice.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tagshifter {

// Restored: by an undo (whose files are otherwise unchanged, previewed or failed).
enum class Outcome { Converted, Unchanged, Previewed, Skipped, Failed, Refused, Restored };

// What became of one file, as much as the run got to know.
struct FileResult {
    std::string path;
    Outcome outcome = Outcome::Failed;
    std::string reading;                 // with -s auto: the reading chosen
    std::optional<double> readingMargin;  // and how far the next most plausible one lies behind
    // Each field the guess judged: the reading it got (the file's, or "as it
    // is") and how far keeping it as it is, or reading it so, lies behind.
    struct JudgedField {
        std::string label, reading;
        std::optional<double> margin;
    };
    std::vector<JudgedField> judgedFields;
    TargetEncoding id3v1Target, id3v2Target;  // the encodings written; None: that tag removed
    int id3v2Version = 4;
    std::vector<TextChange> texts;       // each field and frame text, before and after
    std::vector<std::string> preview;    // -w: the listing's lines
    std::optional<Error> error;          // why it failed or was refused
    bool stops = false;                  // the error ends the run
    // Tags with content that a target left at none removes, and the
    // pictures among the removed ID3v2 tag's frames.
    bool removesId3v1 = false, removesId3v2 = false;
    size_t removedPictures = 0;

    // The file is not written (Failed or Refused) for `why`, its error's reason.
    void fail(Outcome failed, const std::string& why)
    {
        outcome = failed;
        error = Error(failed == Outcome::Refused ? Error::Kind::Refused : Error::Kind::NotWritten, why);
        error->file = path;
        error->reason = why;
    }
};

// One journal of the state folder, as --undo --list shows it.
struct JournalListing {
    long long started = 0;  // when its run began, in seconds since the epoch
    std::string folder;     // where that run ran
    size_t files = 0;
    unsigned long long bytes = 0;
    std::string name;
    bool undo = false;      // the run was an undo
    bool next = false;      // the one a plain --undo takes
};

struct Counts {
    size_t files = 0, converted = 0, unchanged = 0, previewed = 0, skipped = 0, failed = 0, refused = 0;
    size_t restored = 0;
    bool undo = false;  // the count of an undo: restored, unchanged, previewed, failed
    // Files converted or previewed whose ID3v1 or ID3v2 tag goes, and the
    // pictures that go with the ID3v2 tags.
    size_t id3v1Removed = 0, id3v2Removed = 0, picturesRemoved = 0;
    size_t shown() const { return converted + (undo ? unchanged + restored : 0) + previewed + skipped + failed + refused; }
};

class Output {
public:
    // `terminal`: standard error is a terminal a progress line may be redrawn on.
    Output(size_t fileCount, bool terminal);
    virtual ~Output() = default;
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Before file number `index` (from 0): the progress line.
    void starting(size_t index);
    // A line on standard error, after what standard output holds so far.
    void note(const std::string& line);
    // Counts the file, says on standard error where it went wrong, then
    // shows it on standard output.
    void file(const FileResult& result);
    // -r: a folder that could not be opened or read, counted as failed and
    // said on standard error.
    void unreadableFolder(const std::string& folder, const std::string& why);
    // Which tags the run removed, the count (when the run had more than one
    // file), then the face's last word, with the error that ended the run if
    // one did.
    void finish(const Error* fatal = nullptr);
    // The files are those of an undo: counted as restored or not.
    void countAsUndo() { counts_.undo = true; }
    // How the tags a run removes are put back: `undoCommand`, or "" when
    // they cannot be; a preview only says what would go.
    void setRemovalWords(const std::string& undoCommand, bool preview);
    // -q: the count is left out when every file went well.
    void setQuiet(bool quiet) { quiet_ = quiet; }
    const Counts& counts() const { return counts_; }
    // Whether a progress line is drawn on standard error.
    bool drawsProgress() const { return showProgress_; }
    // --undo --list: one journal on standard output.
    virtual void journal(const JournalListing& listing) = 0;

protected:
    // Standard output, after the progress line is wiped: one line, or
    // several at once.
    void print(const std::string& line);
    void print(const std::vector<std::string>& lines);
    // One line written a part at a time, so that a large one is never held
    // whole: the progress line wiped, the parts, then the line flushed.
    // Where escapes are due the parts are kept and escaped as one line.
    void startLine();
    void printPart(const std::string& part);
    void endLine();
    virtual void show(const FileResult& result) = 0;
    virtual void showUnreadable(const std::string& /*folder*/, const std::string& /*why*/) {}
    virtual void close(const Counts& counts, const Error* fatal) = 0;

private:
    void clearProgress();
    void write(const std::string& line);  // escaped where it goes to a terminal
    void noteError(const Error& error);
    void noteRemovals();

    Counts counts_;
    // The stream is a terminal: control characters are shown escaped.
    bool escapeOut_, escapeErr_;
    std::string undoCommand_;
    bool preview_ = false;
    bool quiet_ = false;
    bool showProgress_;
    bool progressShown_ = false;
    std::string escapedLine_;  // the parts of a line to escape whole
};

}  // namespace tagshifter
