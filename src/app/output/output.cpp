#include "app/output/output.h"

#include "app/output/terminal_text.h"
#include "common/format.h"
#include "common/messages.h"
#include "sys/fd.h"

#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace tagshifter {

Output::Output(size_t fileCount, bool terminal)
    : escapeOut_(sys::isTerminal(STDOUT_FILENO)), escapeErr_(sys::isTerminal(STDERR_FILENO)),
      showProgress_(terminal && fileCount > 1)
{
    counts_.files = fileCount;
}

std::string Output::timeText(long long seconds, const char* format, bool utc)
{
    const time_t time = static_cast<time_t>(seconds);
    tm parts {};
    if (utc)
        gmtime_r(&time, &parts);
    else
        localtime_r(&time, &parts);
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &parts));
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

void Output::print(const std::string& text)
{
    clearProgress();
    const std::string shown = escapeOut_ ? escapeControls(text) : std::string();
    const std::string& bytes = escapeOut_ ? shown : text;
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
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
    const char* name = error.file.c_str();
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
    case Outcome::Unchanged: ++counts_.converted, ++counts_.unchanged; break;
    case Outcome::Previewed: ++counts_.previewed; break;
    case Outcome::Skipped: ++counts_.skipped; break;
    case Outcome::Failed: ++counts_.failed; break;
    case Outcome::Refused: ++counts_.refused; break;
    }
    if (result.error)
        noteError(*result.error);
    show(result);
}

void Output::unreadableFolder(const std::string& folder, const std::string& why)
{
    ++counts_.failed;
    note(formatted(messages::kNoteCannotReadFolder, folder.c_str(), why.c_str()));
    showUnreadable(folder, why);
}

void Output::finish(const Error* fatal)
{
    if (counts_.files > 1)
        note(formatted(messages::kNoteCount, counts_.files, counts_.converted, counts_.unchanged,
                       counts_.previewed, counts_.skipped, counts_.failed, counts_.refused));
    close(counts_, fatal);
}

}  // namespace tagshifter
