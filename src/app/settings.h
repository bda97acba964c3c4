// What the command line asks for; read-only once the options are read.
#pragma once

#include "text/encoding_choice.h"

#include <optional>
#include <string>

namespace tagshifter {

struct Settings {
    std::optional<SourceEncoding> source;  // none until -s names one
    TargetEncoding id3v1, id3v2;           // None removes the tag
    bool preserveUnicode = false;
    bool previewOnly = false;
    bool reportProgress = true;
    bool allFrames = false;  // -a: every text frame, TXXX, COMM and USLT too
    bool keepGoing = false;  // -k: a file that fails does not stop the run
    int id3v2Version = 4;    // the ID3v2 version written: 4, or 3 with --id3v2.3
    bool syncWrites = false;  // fsync each written file and its folder
    bool recursive = false;   // -r: folder operands give their .mp3 files
    bool json = false;        // --json: JSON Lines on standard output
    bool journal = true;      // --no-journal: false
    std::string journalFile;  // --journal=FILE; empty: the state folder
    bool undo = false;        // --undo: restore the files of a journal
    std::string undoJournal;  // --undo=JOURNAL; empty: the last run's
    bool listJournals = false;  // --undo --list
};

}  // namespace tagshifter
