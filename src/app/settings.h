// What the command line asks for; read-only once the options are read.
#pragma once

#include <string>

namespace tagshifter {

struct Settings {
    std::string sourceEncoding;          // empty until -s is given
    std::string id3v1Encoding = "none";  // "none" removes the tag
    std::string id3v2Encoding = "none";
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
