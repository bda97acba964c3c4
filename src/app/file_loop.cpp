#include "app/file_loop.h"

#include "common/messages.h"
#include "convert/tag_converter.h"
#include "io/staged_file.h"

#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <optional>

namespace tagshifter {

namespace {

enum class Outcome { Skipped, Previewed, Saved, SaveFailed };

void printLine(const std::string& line)
{
    std::printf("%s", line.c_str());
}

// A FIFO or a device would block or never end in the reader, so anything
// but a regular file (or a link to one) is treated as a file that does not open.
bool isRegularFile(const std::string& name)
{
    struct stat status {};
    return stat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// Holds back the signals that ask the tool to stop (interrupt, terminate,
// hang-up) while one file is being stripped, saved and closed, so that a
// file is never left half-written. On leaving, the old mask comes back and a
// signal that arrived meanwhile takes its course: the run stops after a
// whole file.
class StopSignalsHeld {
public:
    StopSignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGINT);
        sigaddset(&held, SIGTERM);
        sigaddset(&held, SIGHUP);
        sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    ~StopSignalsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

private:
    sigset_t previous_;
};

Outcome processFile(const Settings& settings, const std::string& name, const SaveFile& save)
{
    if (!isRegularFile(name))
        throw std::string(messages::kCannotOpenFilePrefix) + name + messages::kCannotOpenFileSuffix;
    std::optional<StopSignalsHeld> held;
    io::StagedFile staged(name, TagLib::ID3v2::FrameFactory::instance());
    if (!staged.isOpen())
        throw std::string(messages::kCannotOpenFilePrefix) + name + messages::kCannotOpenFileSuffix;
    TagLib::MPEG::File& file = staged.file();

    TagLib::Tag* combined = file.tag();
    if (combined->isEmpty())
        return Outcome::Skipped;

    TagLib::ID3v1::Tag* id3v1 = file.ID3v1Tag(true);
    TagLib::ID3v2::Tag* id3v2 = file.ID3v2Tag(true);
    TagConverter converter(settings.sourceEncoding, settings.id3v1Encoding,
                           settings.id3v2Encoding, id3v1, id3v2, settings.preserveUnicode);
    converter.convertField(combined->title(), &TagLib::Tag::setTitle);
    converter.convertField(combined->artist(), &TagLib::Tag::setArtist);
    converter.convertField(combined->album(), &TagLib::Tag::setAlbum);
    converter.convertField(combined->comment(), &TagLib::Tag::setComment);
    converter.convertField(combined->genre(), &TagLib::Tag::setGenre);

    if (settings.previewOnly) {
        converter.printPreview(name);
        return Outcome::Previewed;
    }

    int tagMask = TagLib::MPEG::File::NoTags;
    if (converter.isId3v1Enabled())
        tagMask |= TagLib::MPEG::File::ID3v1;
    if (converter.isId3v2Enabled())
        tagMask |= TagLib::MPEG::File::ID3v2;
    held.emplace();  // through the strip, the save and the commit
    if (!save(file, tagMask))
        return Outcome::SaveFailed;
    io::CommitRequest request;
    request.id3v2Written = converter.isId3v2Enabled();
    request.options.sync = settings.syncWrites;
    const io::CommitResult commit = staged.commit(request);
    if (!commit.written) {
        std::fprintf(stderr, "%s%s%s%s\n", messages::kProgramPrefix, name.c_str(),
                     messages::kNotWrittenSeparator, commit.error.c_str());
        return Outcome::SaveFailed;
    }
    return Outcome::Saved;
}

}  // namespace

bool stripAndSave(TagLib::MPEG::File& file, int tagMask)
{
    file.strip(~tagMask, true);
    return file.save(tagMask, TagLib::File::StripOthers, TagLib::ID3v2::v4,
                     TagLib::File::Duplicate);
}

int processFiles(const Settings& settings, const std::vector<std::string>& fileNames,
                 const SaveFile& save)
{
    // Text frames, new and parsed alike, take the target's encoding: UTF-8 for
    // "unicode", and Latin-1 for a code page, so that the code page's bytes
    // (carried one per Latin-1 character) reach the disk unchanged. TagLib
    // still widens a frame whose text is not Latin-1, so nothing is lost.
    TagLib::ID3v2::FrameFactory::instance()->setDefaultTextEncoding(
        settings.id3v2Encoding == "unicode" ? TagLib::String::UTF8 : TagLib::String::Latin1);

    int status = 0;
    for (const std::string& name : fileNames) {
        switch (processFile(settings, name, save)) {
        case Outcome::Skipped:
            printLine(name + messages::kSkipSuffix);
            break;
        case Outcome::Previewed:
            break;
        case Outcome::Saved:
            if (settings.reportProgress)
                printLine(name + messages::kDoneSuffix);
            break;
        case Outcome::SaveFailed:
            printLine(name + messages::kFailedSuffix);
            status = 1;
            break;
        }
    }
    return status;
}

}  // namespace tagshifter
