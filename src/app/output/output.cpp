#include "app/output/output.h"

#include "app/output/terminal_text.h"
#include "common/format.h"
#include "common/messages.h"
#include "sys/fd.h"

#include <unistd.h>

#include <cstdio>

namespace tagshifter {

Output::Output(size_t fileCount, bool terminal)
    : escapeOut_(sys::isTerminal(STDOUT_FILENO)), escapeErr_(sys::isTerminal(STDERR_FILENO)),
      showProgress_(terminal && fileCount > 1)
{
    counts_.files = fileCount;
}

void Output::starting(size_t index)
{
    if (!showProgress_)
        return;
    std::fflush(stdout);
    std::fprintf(stderr, messages::kNoteProgress, index + 1, counts_.files);
    progressShown_ = true;
}

void Output::clearProgress()
{
    if (!progressShown_)
        return;
    std::fputs(messages::kNoteClearProgress, stderr);
    progressShown_ = false;
}

void Output::write(const std::string& line)
{
    const std::string shown = escapeOut_ ? escapeControls(line) : std::string();
    const std::string& bytes = escapeOut_ ? shown : line;
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void Output::print(const std::string& line)
{
    clearProgress();
    write(line);
    std::fflush(stdout);
}

void Output::print(const std::vector<std::string>& lines)
{
    clearProgress();
    for (const std::string& line : lines)
        write(line);
    std::fflush(stdout);
}

void Output::startLine()
{
    clearProgress();
}

void Output::printPart(const std::string& part)
{
    if (escapeOut_)
        escapedLine_ += part;
    else
        std::fwrite(part.data(), 1, part.size(), stdout);
}

void Output::endLine()
{
    if (escapeOut_) {
        write(escapedLine_);
        std::string().swap(escapedLine_);
    }
    std::fflush(stdout);
}

void Output::note(const std::string& line)
{
    // Standard output first, so that both streams read in order when they
    // go to the same place.
    std::fflush(stdout);
    clearProgress();
    const std::string shown = escapeErr_ ? escapeControls(line) : std::string();
    const std::string& bytes = escapeErr_ ? shown : line;
    std::fputs(bytes.c_str(), stderr);
}

void Output::noteError(const Error& error)
{
    const char* name = error.file.empty() ? messages::kEmptyNameShown : error.file.c_str();
    switch (error.kind) {
    case Error::Kind::CannotOpenFile:
        note(formatted(messages::kNoteCannotOpenFile, name, error.reason.c_str()));
        break;
    case Error::Kind::Conversion:
        note(formatted(messages::kNoteCannotConvert, name, error.where.c_str(), error.conversion.c_str()));
        break;
    case Error::Kind::NotWritten:
    case Error::Kind::Refused:
        note(formatted(messages::kNoteNotWritten, name, error.reason.c_str()));
        break;
    case Error::Kind::SourceEncoding:
    case Error::Kind::Id3v1Encoding:
    case Error::Kind::Id3v2Encoding:
        note(formatted(messages::kNoteCannotOpenEncoding, error.reason.c_str(), error.where.c_str()));
        break;
    case Error::Kind::Id3v1NoUnicode:
        note(messages::kNoteId3v1NoUnicode);
        break;
    case Error::Kind::SaveFailed:
    case Error::Kind::Other:
        break;
    }
}

void Output::file(const FileResult& result)
{
    switch (result.outcome) {
    case Outcome::Converted: ++counts_.converted; break;
    case Outcome::Unchanged:
        // A run's unchanged files are among those converted; an undo's are not restored.
        counts_.converted += counts_.undo ? 0 : 1;
        ++counts_.unchanged;
        break;
    case Outcome::Previewed: ++counts_.previewed; break;
    case Outcome::Skipped: ++counts_.skipped; break;
    case Outcome::Failed: ++counts_.failed; break;
    case Outcome::Refused: ++counts_.refused; break;
    case Outcome::Restored: ++counts_.restored; break;
    }
    if (result.outcome == Outcome::Converted || result.outcome == Outcome::Previewed) {
        counts_.id3v1Removed += result.removesId3v1;
        counts_.id3v2Removed += result.removesId3v2;
        if (result.removesId3v2)
            counts_.picturesRemoved += result.removedPictures;
    }
    if (result.error)
        noteError(*result.error);
    show(result);
}

void Output::setRemovalWords(const std::string& undoCommand, bool preview)
{
    undoCommand_ = undoCommand;
    preview_ = preview;
}

void Output::noteRemovals()
{
    const struct {
        size_t files;
        const char* option;
        const char* tag;
        bool pictures;  // ID3v1 holds none
    } removals[] = {{counts_.id3v1Removed, "-1", "ID3v1", false},
                    {counts_.id3v2Removed, "-2", "ID3v2", true}};
    for (const auto& removal : removals) {
        if (removal.files == 0)
            continue;
        std::string what = countOf(removal.files, messages::kWordFile, messages::kWordFiles);
        if (removal.pictures && counts_.picturesRemoved > 0)
            what += formatted(messages::kRemovedPictures,
                              countOf(counts_.picturesRemoved, messages::kWordPicture, messages::kWordPictures).c_str());
        if (preview_)
            note(formatted(messages::kNoteTagWouldBeRemoved, removal.option, removal.tag, what.c_str()));
        else if (undoCommand_.empty())
            note(formatted(messages::kNoteTagRemovedForGood, removal.option, removal.tag, what.c_str()));
        else
            note(formatted(messages::kNoteTagRemoved, removal.option, removal.tag, what.c_str(),
                           undoCommand_.c_str(), removal.files == 1 ? messages::kWordIt : messages::kWordThem));
    }
}

void Output::unreadableFolder(const std::string& folder, const std::string& why)
{
    ++counts_.failed;
    note(formatted(messages::kNoteCannotReadFolder, folder.c_str(), why.c_str()));
    showUnreadable(folder, why);
}

void Output::finish(const Error* fatal)
{
    // An option at fault names itself on standard error, as a file's error does.
    if (fatal && fatal->isEncodingName())
        noteError(*fatal);
    noteRemovals();
    const size_t notReached = counts_.files > counts_.shown() ? counts_.files - counts_.shown() : 0;
    // -q: a run in which every file went well ends without a word.
    const bool allWell = !fatal && notReached == 0 && counts_.failed == 0 && counts_.refused == 0;
    if (counts_.files > 1 && counts_.undo && !(quiet_ && allWell))
        note(formatted(messages::kNoteUndoCount, counts_.files, counts_.restored, counts_.unchanged,
                       counts_.previewed, counts_.failed));
    else if (counts_.files > 1 && !(quiet_ && allWell))
        note(formatted(messages::kNoteCount, counts_.files, counts_.converted, counts_.unchanged,
                       counts_.previewed, counts_.skipped, counts_.failed, counts_.refused,
                       notReached ? formatted(messages::kNotReached, notReached).c_str() : ""));
    close(counts_, fatal);
}

}  // namespace tagshifter
