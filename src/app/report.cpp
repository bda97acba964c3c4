#include "app/report.h"

#include "common/format.h"
#include "common/messages.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tagshifter {

namespace {

// Why a file did not open, as far as can be told from outside TagLib.
std::string whyNotOpen(const std::string& name)
{
    struct stat status {};
    if (stat(name.c_str(), &status) != 0)
        return std::strerror(errno);
    if (!S_ISREG(status.st_mode))
        return messages::kNotRegularFile;
    if (access(name.c_str(), R_OK) != 0)
        return std::strerror(errno);
    return messages::kNotMpegFile;
}

}  // namespace

Report::Report(size_t fileCount, bool showProgress)
    : fileCount_(fileCount), showProgress_(showProgress && fileCount > 1)
{
}

void Report::starting(size_t index)
{
    if (!showProgress_)
        return;
    std::fflush(stdout);
    std::fprintf(stderr, messages::kNoteProgress, index + 1, fileCount_);
    progressShown_ = true;
}

void Report::clearProgress()
{
    if (!progressShown_)
        return;
    std::fputs(messages::kNoteClearProgress, stderr);
    progressShown_ = false;
}

void Report::printLine(const std::string& line)
{
    clearProgress();
    std::printf("%s", line.c_str());
    std::fflush(stdout);
}

void Report::note(const std::string& line)
{
    // Standard output first, so that both streams read in order when they
    // go to the same place.
    std::fflush(stdout);
    clearProgress();
    std::fputs(line.c_str(), stderr);
}

void Report::count(Outcome outcome)
{
    ++counts_[static_cast<int>(outcome)];
}

void Report::cannotOpenFile(const std::string& name, const std::string& reason)
{
    note(formatted(messages::kNoteCannotOpenFile, name.c_str(),
                   (reason.empty() ? whyNotOpen(name) : reason).c_str()));
}

void Report::convertedBut(const std::string& name, const std::string& what)
{
    note(formatted(messages::kNoteConvertedBut, name.c_str(), what.c_str()));
}

void Report::notWritten(const std::string& name, const std::string& reason)
{
    note(formatted(messages::kNoteNotWritten, name.c_str(), reason.c_str()));
}

void Report::cannotConvert(const std::string& name, const std::string& where,
                           const std::string& conversion)
{
    note(formatted(messages::kNoteCannotConvert, name.c_str(), where.c_str(), conversion.c_str()));
}

bool Report::badEncoding(const char* message, const std::string& name, const std::string& source,
                         const std::string& id3v1, const std::string& id3v2)
{
    const char* option = nullptr;
    const std::string* given = nullptr;
    if (message == messages::kCannotOpenSourceEncoding) {
        option = "-s";
        given = &source;
    } else if (message == messages::kCannotOpenId3v1Encoding) {
        option = "-1";
        given = &id3v1;
    } else if (message == messages::kCannotOpenId3v2Encoding) {
        option = "-2";
        given = &id3v2;
    } else if (message == messages::kId3v1NoUnicode) {
        note(formatted(messages::kNoteId3v1NoUnicode, name.c_str()));
        return true;
    } else {
        return false;
    }
    note(formatted(messages::kNoteCannotOpenEncoding, name.c_str(), given->c_str(), option));
    return true;
}

void Report::finish()
{
    if (fileCount_ <= 1)
        return;
    note(formatted(messages::kNoteCount, fileCount_, counts_[0], counts_[1], counts_[2], counts_[3]));
}

}  // namespace tagshifter
