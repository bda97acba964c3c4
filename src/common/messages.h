// The fixed texts that the tool prints, gathered in one place so that every
// message is written exactly once and printed only through "%s".
#pragma once

#include "tagshifter_version.h"

namespace tagshifter::messages {

inline constexpr char kProgramName[] = "tagshifter";
inline constexpr char kVersion[] = TAGSHIFTER_VERSION;  // from project() in CMake

inline constexpr char kUsage[] =
    "Usage:\n"
    "  tagshifter [options] file1 file2 ...\n"
    "\n"
    "Options:\n"
    "  -h, --help                   This help\n"
    "  -v, --version                Version information\n"
    "  -s, --source-encoding=cp     Current encoding, required\n"
    "  -1, --id3v1-encoding=t       Target encoding, can be 'none' or an ANSI code page\n"
    "  -2, --id3v2-encoding=t       Target encoding, can be 'none', an ANSI code page or 'unicode'\n"
    "  -p, --preserve-unicode       Try not to reencode unicode.\n"
    "  -w, --preview                Do not modify the files, just show converted tags.\n"
    "  -q, --quiet                  Do not report what files have been processed.\n"
    "  -a, --all-frames             Also recode every other text frame, TXXX, COMM and USLT.\n"
    "  -k, --keep-going             After a file that fails, go on with the next one.\n"
    "      --id3v2.3                Write ID3v2.3 instead of ID3v2.4, for old players.\n"
    "      --sync                   Flush each saved file and its folder to disk.\n"
    "  -r, --recursive              Also convert the .mp3 files in the folders given, and below.\n"
    "      --json                   Print one JSON object per file and a summary instead.\n"
    "  -1 auto                      Write each file's ID3v1 in its own code page.\n"
    "  -s auto[:LIST]               Guess each album's code page among LIST, or common ones.\n"
    "  -1 none, -2 none             Remove that tag, pictures and all (the default); --undo puts it back.\n"
    "      --journal=FILE           Keep what undoes this run in FILE, not in the state folder.\n"
    "      --no-journal             Keep nothing to undo this run with.\n"
    "      --undo[=JOURNAL]         Put back the files of the last run, or of JOURNAL.\n"
    "      --list                   With --undo, list the journals kept instead.\n"
    "\n"
    "To view available ANSI code pages, execute:\n"
    "  iconv --list\n"
    "\n"
    "Important: use 'unicode' instead of utf-8 or utf-16\n"
    "\n";

// Printed with "%s %s\n" from the program name and the version.
inline constexpr char kVersionLineFormat[] = "%s %s\n";
inline constexpr char kVersionNotice[] =
    "Copyright (C) 2026 the tagshifter authors.\n"
    "This is free software under the MIT licence; there is NO WARRANTY.\n";

inline constexpr char kNoSourceEncoding[] = "Please specify source encoding.\n";
inline constexpr char kNoFiles[] = "No files are given.\n";
inline constexpr char kHelpHint[] = "For help, type tagshifter --help.\n";

// The texts of the Errors (common/error.h) that name no file; each ends in a newline.
inline constexpr char kCannotOpenSourceEncoding[] = "Cannot open source encoding.\n";
inline constexpr char kCannotOpenId3v1Encoding[] = "Cannot open id3v1 encoding.\n";
inline constexpr char kCannotOpenId3v2Encoding[] = "Cannot open id3v2 encoding.\n";
inline constexpr char kId3v1NoUnicode[] = "ID3v1 does not support unicode.\n";
inline constexpr char kEncodingError[] = "Error during encoding.\n";

// Pieces of the messages built at run time around a file name.
inline constexpr char kErrorPrefix[] = "Error: ";
inline constexpr char kCannotOpenFilePrefix[] = "Cannot open file: ";
inline constexpr char kCannotOpenFileSuffix[] = ".";
inline constexpr char kSkipSuffix[] = " does not contain any ID3 tags, skipping.\n";
inline constexpr char kFailedSuffix[] = "failed!\n";
inline constexpr char kDoneSuffix[] = "...done\n";

// Lines on standard error that say where a run went wrong, and how far it
// got. Each names what the line on standard output cannot: the file, the
// field or frame, the conversion.
inline constexpr char kNoteCannotOpenFile[] = "tagshifter: %s: cannot open the file: %s\n";
inline constexpr char kNotRegularFile[] = "not a regular file";
// An operand "" names no file: shown as '' on standard error, with why.
inline constexpr char kEmptyNameShown[] = "''";
inline constexpr char kEmptyName[] = "an empty name names no file";
inline constexpr char kCannotOpenConversion[] = "Cannot open a conversion";
inline constexpr char kCannotReadTextsToJudge[] = "Cannot read the file for the guess: ";
inline constexpr char kNoteCannotReadFolder[] = "tagshifter: %s: cannot read the folder: %s\n";
inline constexpr char kCannotReadFolder[] = "cannot read the folder";
inline constexpr char kFolderReplaced[] = "replaced by something else since it was listed";
inline constexpr char kNoteNoMp3Files[] = "tagshifter: %s: no .mp3 file in this folder or below\n";
inline constexpr char kFolderNeedsRecursive[] = "a folder (-r converts the .mp3 files in it and below)";
inline constexpr char kFolderLinkNotFollowed[] =
    "a symbolic link on the way whose owner is neither this user nor the owner of the folder holding it";
inline constexpr char kNotMpegFile[] = "TagLib cannot read it as an MPEG file";
inline constexpr char kLinkNotFollowed[] =
    "a symbolic link whose owner is neither this user nor the owner of both the folder holding it and the file it "
    "leads to";
inline constexpr char kNoteCannotConvert[] = "tagshifter: %s: %s: cannot convert %s\n";
inline constexpr char kNoteCannotOpenEncoding[] =
    "tagshifter: cannot open the encoding '%s' given to %s; 'iconv --list' shows the names known here\n";
inline constexpr char kNoteId3v1NoUnicode[] = "tagshifter: -1 takes a code page; 'unicode' is for -2 only\n";
// Once a run, for -2 utf-8 and its kin.
inline constexpr char kNoteId3v2UnicodeAsCodePage[] =
    "tagshifter: -2 %s writes that encoding's bytes as a code page, in frames marked Latin-1, "
    "which most players show garbled; Unicode frames are -2 unicode\n";
inline constexpr char kNoteProgress[] = "\rtagshifter: file %zu of %zu\033[K";
inline constexpr char kNoteClearProgress[] = "\r\033[K";
// Converted files include those whose bytes stayed the same (unchanged);
// refused ones were kept because the new tag would lose a frame.
// Files a run stopped by an error never reached close the count:
// ", 1 not reached".
inline constexpr char kNoteCount[] =
    "tagshifter: %zu files: %zu converted (%zu unchanged), %zu previewed, %zu skipped, %zu failed, %zu refused%s\n";
inline constexpr char kNotReached[] = ", %zu not reached";
// An undo's count: restored files are put back, unchanged ones already were.
inline constexpr char kNoteUndoCount[] =
    "tagshifter: %zu files: %zu restored, %zu unchanged, %zu previewed, %zu failed\n";

// What a failed conversion went through, for kNoteCannotConvert.
inline constexpr char kFromSource[] = "from '%s' (-s) to UTF-8";
inline constexpr char kToId3v1[] = "from UTF-8 to '%s' (-1) for ID3v1";
inline constexpr char kToId3v2[] = "from UTF-8 to '%s' (-2) for ID3v2";
// Where it failed: one of the five fields, or a frame and its description.
inline constexpr char kFieldTitle[] = "title";
inline constexpr char kFieldArtist[] = "artist";
inline constexpr char kFieldAlbum[] = "album";
inline constexpr char kFieldComment[] = "comment";
inline constexpr char kFieldGenre[] = "genre";
inline constexpr char kFrameWithDescription[] = "%s frame \"%s\"";
inline constexpr char kFrame[] = "%s frame";

// On standard error, why a file was not written.
inline constexpr char kNoteNotWritten[] = "tagshifter: %s: not written: %s\n";
// The reasons: a frame the new tag would lose ("frame TSSE would be lost")...
inline constexpr char kFramePrefix[] = "frame ";
inline constexpr char kFrameLostSuffix[] = " would be lost";
inline constexpr char kFrameEmptiedSuffix[] = " would be emptied";
// ... a frame of no text that TagLib would write back other than it was ...
inline constexpr char kFrameChangedSuffix[] = " would be written back changed";
// ... a frame whose group byte or encryption TagLib would not keep ...
inline constexpr char kFrameGroupedOrEncryptedSuffix[] = " is grouped or encrypted, which TagLib does not keep";
// ... a frame whose data length (indicator, or compressed size) TagLib reads short of its content or past it ...
inline constexpr char kFrameDataLengthSuffix[] = " gives a data length by which TagLib misreads it";
// ... a frame whose text encoding byte is none of ID3v2's four ...
inline constexpr char kFrameUnknownEncodingSuffix[] = " holds text in an encoding ID3v2 does not have, which TagLib misreads";
// ... a frame holding text that TagLib reads as empty ...
inline constexpr char kFrameReadEmptySuffix[] = " holds text that TagLib reads as empty";
// ... a tag whose frames cannot all be read (what lies behind would go) ...
inline constexpr char kUnreadPastFrame[] = "the tag cannot be read past frame ";
inline constexpr char kUnreadFrames[] = "the tag's frames cannot be read";
// ... bytes the save would drop that are audio, not tags ...
inline constexpr char kAudioWouldBeLost[] = "audio bytes %llu to %llu would be lost";
// ... or a step of the write that failed (followed by ": " and the system's
// reason where there is one).
inline constexpr char kChangedMeanwhile[] = "changed while being converted";
// A tag too large to be read safely, or memory that ran out on it.
inline constexpr char kTagTooLarge[] = "the ID3v2 tag is larger than %llu MiB";
// A tag read with its large frames cut short, which would be written back.
inline constexpr char kShortenedTagKept[] = "the ID3v2 tag was read in part and would be kept";
inline constexpr char kFrameTooLarge[] = "frame %s is larger than %llu MiB";
inline constexpr char kOutOfMemory[] = "out of memory";
inline constexpr char kReadError[] = "read error";
inline constexpr char kCannotRead[] = "cannot read";
inline constexpr char kCannotWrite[] = "cannot write";
inline constexpr char kCannotWriteNewFile[] = "cannot write the new file";
inline constexpr char kCannotRename[] = "cannot rename the new file over the old one";
inline constexpr char kCannotWriteInPlace[] = "the new layout cannot be written in place";
inline constexpr char kCannotTruncate[] = "cannot truncate";
inline constexpr char kCannotSync[] = "cannot sync";
inline constexpr char kCannotSyncFolder[] = "cannot sync the folder";
inline constexpr char kCannotCheck[] = "cannot check the file";
inline constexpr char kCannotOpenForWriting[] = "cannot open it for writing";
inline constexpr char kFileImmutable[] = "the file is immutable";
inline constexpr char kFileAppendOnly[] = "the file is append-only";
inline constexpr char kSparseFile[] = "the file has holes (a sparse file), which a save would fill";
inline constexpr char kHardLinkPlanted[] =
    "a name of a file with other names, in a folder others may write or whose owner does not own the file";
inline constexpr char kCannotCreateNewFile[] = "cannot create the new file";
inline constexpr char kCannotMakeRoom[] = "cannot make room for the longer file";
inline constexpr char kTooMuchToHold[] = "too many old bytes to hold to write it in place safely";
// After a failed write in place: the old bytes are back, or where not.
inline constexpr char kOldBytesPutBack[] = " (the old bytes were put back)";
inline constexpr char kOldBytesNotPutBack[] = "; bytes %llu to %llu could not be put back: %s";

// A file that was converted, but not all of what was asked held.
inline constexpr char kNoteConvertedBut[] = "tagshifter: %s: converted, but %s\n";
// Said in the JSON output of a file whose save TagLib refused.
inline constexpr char kSaveFailed[] = "TagLib could not save the new tags";

// The values of --json's "outcome" and of an error's "kind", in the order of
// Outcome and of Error::Kind.
inline constexpr const char* kJsonOutcomes[] = {"converted", "unchanged", "previewed",
                                                "skipped",   "failed",    "refused", "restored"};
inline constexpr const char* kJsonErrorKinds[] = {
    "cannot-open-file", "source-encoding", "id3v1-encoding", "id3v2-encoding", "id3v1-no-unicode",
    "conversion",       "save-failed",     "not-written",    "refused",        "other"};

// The journal of a run and --undo.
// On standard error, once, where a run has no journal or removes every tag.
inline constexpr char kNoteNoJournal[] =
    "tagshifter: no journal in %s (%s): this run cannot be undone\n";
// Where there is no folder to name (neither variable set).
inline constexpr char kNoteNoJournalFolder[] = "tagshifter: no journal (%s): this run cannot be undone\n";
inline constexpr char kNoteRemovesEverything[] =
    "tagshifter: neither -1 nor -2 given: every tag of each file is removed; '%s' puts them back\n";
inline constexpr char kNoteRemovesEverythingForGood[] =
    "tagshifter: neither -1 nor -2 given: every tag of each file is removed, for good (no journal)\n";
// Where the journal of the state folder could not take a file's entry.
inline constexpr char kNoteJournalSkipped[] = "tagshifter: journal %s left out: %s\n";
inline constexpr char kNoteJournalLost[] =
    "tagshifter: the journal %s could not be written (%s): %s and the files after it cannot be undone\n";
// Once a run, at its end, for each tag a target left at none removed
// where it had content: "-2", "ID3v2", "3 files (with 2 pictures)".
inline constexpr char kNoteTagRemoved[] = "tagshifter: %s none removed the %s tag of %s; '%s' puts %s back\n";
inline constexpr char kNoteTagRemovedForGood[] =
    "tagshifter: %s none removed the %s tag of %s, for good (no journal)\n";
inline constexpr char kNoteTagWouldBeRemoved[] = "tagshifter: %s none would remove the %s tag of %s\n";
inline constexpr char kRemovedPictures[] = " (with %s)";
// Counted words: "1 file", "2 files".
inline constexpr char kWordFile[] = "file";
inline constexpr char kWordFiles[] = "files";
inline constexpr char kWordPicture[] = "picture";
inline constexpr char kWordPictures[] = "pictures";
// What the undo puts back: one thing, or several.
inline constexpr char kWordIt[] = "it";
inline constexpr char kWordThem[] = "them";
// Said when a stop signal ends a run: "after 446 of 1680 files".
inline constexpr char kNoteStopped[] =
    "tagshifter: stopped after %zu of %s; %zu changed, '%s' puts %s back\n";
inline constexpr char kNoteStoppedForGood[] =
    "tagshifter: stopped after %zu of %s; %zu changed, for good (no journal)\n";
inline constexpr char kNoteStoppedNothingChanged[] = "tagshifter: stopped after %zu of %s; none changed\n";
inline constexpr char kUndoCommand[] = "tagshifter --undo";
inline constexpr char kUndoCommandNamed[] = "tagshifter --undo=%s";
// Built errors (after "Error: ").
inline constexpr char kCannotWriteNamedJournal[] = "Cannot write the journal %s: %s.";
inline constexpr char kCannotReadJournal[] = "Cannot read the journal %s: %s.";
inline constexpr char kUndoTakesNoFiles[] = "--undo takes no files: it restores those of the journal.\n";
inline constexpr char kListNeedsUndo[] = "--list goes with --undo.\n";
// --journal= with nothing after it.
inline constexpr char kJournalNeedsFile[] = "--journal takes a file name; --no-journal keeps none.\n";
// "-s, -2": the options given that say how to convert.
inline constexpr char kUndoTakesNoOption[] =
    "--undo does not take %s: it puts back the bytes the journal holds, as they were.\n";
// Reasons.
inline constexpr char kNoHome[] = "neither XDG_STATE_HOME nor HOME is set";
inline constexpr char kFolderOfAnotherUser[] = "it belongs to another user";
inline constexpr char kFolderWritableByOthers[] = "others may write it";
inline constexpr char kNoJournalYet[] = "no journal yet";
inline constexpr char kJournalOfAnotherUser[] = "another user owns it or can write it";
inline constexpr char kJournalIsLink[] = "a symbolic link (a journal is read by its own name, never through a link)";
inline constexpr char kNotAJournal[] = "not a journal";
inline constexpr char kCannotWriteJournal[] = "cannot write the journal";
inline constexpr char kCannotOpen[] = "cannot open";
inline constexpr char kUndoSizeChanged[] = "its size changed since the run";
inline constexpr char kUndoTagsChanged[] = "its tags changed since the run";
inline constexpr char kUndoModifiedSince[] = "it was modified after the run";
inline constexpr char kUndoAudioChanged[] = "its audio changed since the run";
inline constexpr char kUndoAudioTorn[] = "its audio was left torn by a save cut short";
inline constexpr char kUndoSaveNotFinished[] = "the run never finished saving it";
// The lines of an undo: with -w, a file that would be restored; with
// --list, one journal.
inline constexpr char kUndoWouldRestore[] = "%s: would be restored\n";
inline constexpr char kJournalListLine[] = "%s  %s  %s  %llu bytes  %s\n";
inline constexpr char kJournalListTime[] = "%Y-%m-%d %H:%M:%S UTC";
inline constexpr char kJournalOfUndo[] = " (undo)";
inline constexpr char kJournalTakenNext[] = "  <- --undo";
inline constexpr char kOneFile[] = "%zu file";
inline constexpr char kFiles[] = "%zu files";
// Where the state folder is refused or cannot be read.
inline constexpr char kCannotReadJournalFolder[] = "Cannot read the journals in %s: %s.";
// With --json, when a journal's run began: ISO 8601, in UTC.
inline constexpr char kJsonJournalTime[] = "%Y-%m-%dT%H:%M:%SZ";

// The preview listing.
// With -s auto, its first line: the file name and the reading chosen for it.
inline constexpr char kPreviewNameWithReading[] = "%s [%s]";
// The reading's words: "cp1251", "utf-8", "left as it is", then "; comment
// as it is" for each field kept; or "no page of the list fits".
inline constexpr char kReadingAsItIs[] = "left as it is";
inline constexpr char kReadingUtf8[] = "utf-8";
inline constexpr char kReadingNothingFits[] = "no page of the list fits";
inline constexpr char kReadingFieldKept[] = "; %s as it is";
inline constexpr char kPreviewId3v1Header[] = "\tid3v1:";
inline constexpr char kPreviewId3v2Header[] = "\tid3v2:";
inline constexpr char kPreviewEmpty[] = "\t\tempty.";
inline constexpr char kPreviewTitle[] = "\t\tTitle:\t\t%s\n";
inline constexpr char kPreviewArtist[] = "\t\tArtist:\t\t%s\n";
inline constexpr char kPreviewAlbum[] = "\t\tAlbum:\t\t%s\n";
inline constexpr char kPreviewComment[] = "\t\tComment:\t%s\n";
inline constexpr char kPreviewGenre[] = "\t\tGenre:\t\t%s\n";
// With -a, one line per other frame: its id, and its description if any.
inline constexpr char kPreviewFrame[] = "\t\t%s:\t\t%s\n";
inline constexpr char kPreviewFrameWithDescription[] = "\t\t%s \"%s\":\t%s\n";

}  // namespace tagshifter::messages
