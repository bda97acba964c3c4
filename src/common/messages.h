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
    "\n"
    "To view available ANSI code pages, execute:\n"
    "  iconv --list\n"
    "\n"
    "Important: use 'unicode' instead of utf-8 or utf-16\n"
    "\n"
    // Options added since, after the lines above.
    "      --sync                   Flush each saved file and its folder to disk.\n";

// Printed with "%s %s\n" from the program name and the version.
inline constexpr char kVersionLineFormat[] = "%s %s\n";
inline constexpr char kVersionNotice[] =
    "Copyright (C) 2026 the tagshifter authors.\n"
    "This is free software under the MIT licence; there is NO WARRANTY.\n";

inline constexpr char kNoSourceEncoding[] = "Please specify source encoding.\n";
inline constexpr char kNoFiles[] = "No files are given.\n";
inline constexpr char kHelpHint[] = "For help, type tagshifter --help.\n";

// Constant error messages: thrown as pointers, each ends in a newline.
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

// On standard error, why a file was not written: "tagshifter: NAME: not written: REASON".
inline constexpr char kProgramPrefix[] = "tagshifter: ";
inline constexpr char kNotWrittenSeparator[] = ": not written: ";
// The reasons: a frame the new tag would lose ("frame TSSE would be lost")...
inline constexpr char kFramePrefix[] = "frame ";
inline constexpr char kFrameLostSuffix[] = " would be lost";
inline constexpr char kFrameEmptiedSuffix[] = " would be emptied";
// ... or a step of the write that failed (followed by ": " and the system's
// reason where there is one).
inline constexpr char kReplacedMeanwhile[] = "the file was replaced while it was being converted";
inline constexpr char kChangedWhileRead[] = "the file changed while it was read";
inline constexpr char kReadError[] = "read error";
inline constexpr char kCannotRead[] = "cannot read";
inline constexpr char kCannotWrite[] = "cannot write";
inline constexpr char kCannotWriteNewFile[] = "cannot write the new file";
inline constexpr char kCannotRename[] = "cannot rename the new file over the old one";
inline constexpr char kCannotWriteInPlace[] = "the new layout cannot be written in place";
inline constexpr char kCannotTruncate[] = "cannot truncate";
inline constexpr char kCannotSync[] = "cannot sync";
inline constexpr char kCannotSyncFolder[] = "cannot sync the folder";

// The preview listing.
inline constexpr char kPreviewId3v1Header[] = "\tid3v1:";
inline constexpr char kPreviewId3v2Header[] = "\tid3v2:";
inline constexpr char kPreviewEmpty[] = "\t\tempty.";
inline constexpr char kPreviewTitle[] = "\t\tTitle:\t\t%s\n";
inline constexpr char kPreviewArtist[] = "\t\tArtist:\t\t%s\n";
inline constexpr char kPreviewAlbum[] = "\t\tAlbum:\t\t%s\n";
inline constexpr char kPreviewComment[] = "\t\tComment:\t%s\n";
inline constexpr char kPreviewGenre[] = "\t\tGenre:\t\t%s\n";

}  // namespace tagshifter::messages
