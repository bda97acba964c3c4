// The pre-pass of -s auto: the operands of one folder are read and judged
// together, and each file gets the reading it is then converted from.
#pragma once

#include "app/file_list.h"
#include "app/formats.h"
#include "app/settings.h"
#include "guess/album_judge.h"
#include "guess/reading.h"
#include "sys/folder.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tagshifter {

// The folder an operand names its file in, as given: "a/b/c.mp3" is in
// "a/b", "c.mp3" and "./c.mp3" in ".", "/c.mp3" in "/".
std::string folderOf(const std::string& name);

class AlbumPass {
public:
    // Nothing is read and no judge is opened until the first reading is asked for.
    AlbumPass(const Settings& settings, const FileList& files, Formats& formats);
    ~AlbumPass();
    AlbumPass(const AlbumPass&) = delete;
    AlbumPass& operator=(const AlbumPass&) = delete;

    // The reading of operand `index`. The first call for a folder reads the
    // texts of all its operands (a file that does not open gives none) and
    // judges them as one album; only that folder's texts are held meanwhile.
    // The first call of all opens the judge, which throws the source-encoding Error
    // message "Cannot open source encoding.\n" for an unusable list. A file
    // that did not open for the guess (out of descriptors, replaced meanwhile)
    // throws why: its page was judged without its texts.
    guess::Reading readingOf(size_t index);
    // Judges the album of operand `index` if it is not yet, before its file
    // is opened to be converted: the judge's memory and the open file's are
    // not held at once. What fails is left for readingOf to throw.
    void judgeAhead(size_t index);

private:
    guess::FileTexts readTexts(size_t index);

    const Settings& settings_;
    const FileList& files_;
    const std::vector<std::string>& fileNames_;
    Formats& formats_;
    mutable sys::FolderCache folders_;  // the folder being read, held open
    std::unique_ptr<guess::AlbumJudge> judge_;
    // The operands of each folder not yet judged, in command-line order.
    std::unordered_map<std::string, std::vector<size_t>> waiting_;
    std::vector<std::optional<guess::Reading>> readings_;
    std::unordered_map<size_t, std::string> unread_;  // operand: why it did not open for the guess
};

// A text past kJudgedHead + kJudgedTail bytes is judged by its head and its
// tail: the guess holds each reading of a text at 4 bytes a character and
// more, and a longer text says no more about its page. The tail keeps the end
// a page of several bytes a character may fail to read. The whole text is
// still converted.
inline constexpr size_t kJudgedHead = 48 << 10;
inline constexpr size_t kJudgedTail = 16 << 10;

// `bytes` cut to its head and its tail, each at a byte under 0x30 (a space,
// a sign, a control), which no page of several bytes a character uses inside
// one (the second byte of GB18030's four may be a digit): every page reads
// the two as it reads them in the whole. Left whole where no such byte stands
// in the last half of the head or the first half of the tail.
void cutToJudgedParts(std::string& bytes);

// The encoding a file is converted from under `reading`: the code page,
// UTF-8 (which also checks the bytes), or Latin-1, which gives each
// character back as it is.
std::string sourceEncodingOf(const guess::Reading& reading);

}  // namespace tagshifter
