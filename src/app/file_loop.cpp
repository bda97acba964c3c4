#include "app/file_loop.h"

#include "app/album_pass.h"
#include "app/report.h"
#include "app/run.h"
#include "common/format.h"
#include "common/messages.h"
#include "convert/frame_factory.h"
#include "convert/tag_converter.h"
#include "io/staged_file.h"
#include "sys/folder.h"

#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/taglib.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <optional>

namespace tagshifter {

// A FIFO or a device would block or never end in the reader, so anything
// but a regular file (or a link to one) is treated as a file that does not open.
bool isRegularFile(const std::string& name)
{
    struct stat status {};
    return stat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

namespace {

// The signals that ask the tool to stop (interrupt, terminate, hang-up) are
// held back while one file is being stripped, saved and closed, so that a
// file is never left half-written; the run then stops after a whole file.
// They are caught once for the run rather than blocked around each file,
// which would cost two system calls a file: one that arrives outside a file's
// save ends the run at once, as it would uncaught.
volatile sig_atomic_t gHolding = 0;
volatile sig_atomic_t gHeldSignal = 0;

void onStopSignal(int signal)
{
    if (gHolding) {
        gHeldSignal = signal;
        return;
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);  // taken as soon as this handler returns
}

void catchStopSignals()
{
    static bool caught = false;
    if (caught)
        return;
    caught = true;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        // A signal the caller ignores (nohup, a background job) stays ignored.
        if (sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction handler {};
        handler.sa_handler = onStopSignal;
        sigemptyset(&handler.sa_mask);
        handler.sa_flags = SA_RESTART;
        sigaction(signal, &handler, nullptr);
    }
}

class StopSignalsHeld {
public:
    StopSignalsHeld()
    {
        catchStopSignals();
        gHolding = 1;
    }
    ~StopSignalsHeld()
    {
        gHolding = 0;
        if (const int signal = gHeldSignal) {
            std::signal(signal, SIG_DFL);
            std::raise(signal);
        }
    }
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;
};

std::string openError(const std::string& name)
{
    return std::string(messages::kCannotOpenFilePrefix) + name + messages::kCannotOpenFileSuffix;
}

// The five fields are read before any frame changes, so that under -a none
// is recoded twice; without -a this is the same as reading each in turn.
void convertTags(TagConverter& converter, const TagLib::Tag& combined, const Settings& settings)
{
    const TagLib::String title = combined.title();
    const TagLib::String artist = combined.artist();
    const TagLib::String album = combined.album();
    const TagLib::String comment = combined.comment();
    const TagLib::String genre = combined.genre();
    if (settings.allFrames)
        converter.convertOtherFrames(id3v2TextEncoding(converter.isId3v2Unicode(), settings.id3v2Version));
    converter.convertField(title, &TagLib::Tag::setTitle);
    converter.convertField(artist, &TagLib::Tag::setArtist);
    converter.convertField(album, &TagLib::Tag::setAlbum);
    converter.convertField(comment, &TagLib::Tag::setComment);
    converter.convertField(genre, &TagLib::Tag::setGenre);
}

// Where a file's text comes from: the encoding given, or with -s auto the
// reading its album was judged to need.
struct FileSource {
    AlbumPass* albums = nullptr;  // auto mode only
    size_t index = 0;             // the operand's place on the command line
};

// What a file's handling leaves for its report beside its outcome.
struct FileNotes {
    std::string whyNotOpen;  // the opening's own reason, if it gave one
    bool warned = false;     // converted, but not all of what was asked held
};

Outcome processFile(const Settings& settings, const std::string& name, const FileSource& source,
                    FrameFactory& factory, const SaveFile& save, Report& report,
                    sys::FolderCache& folders, FileNotes& notes)
{
    // Made before the file so that it ends after it: the signals stay held
    // until the commit is over and the file closed.
    std::optional<StopSignalsHeld> held;
    io::StagedFile staged(name, &factory, io::kWholeReadLimit, &folders);
    if (!staged.isOpen()) {
        notes.whyNotOpen = staged.whyNotOpen();
        throw openError(name);
    }
    TagLib::MPEG::File& file = staged.file();

    TagLib::Tag* combined = file.tag();
    if (combined->isEmpty())
        return Outcome::Skipped;

    TagLib::ID3v1::Tag* id3v1 = file.ID3v1Tag(true);
    TagLib::ID3v2::Tag* id3v2 = file.ID3v2Tag(true);
    std::string sourceEncoding = settings.sourceEncoding;
    std::string previewName = name;
    if (source.albums) {
        const guess::Reading reading = source.albums->readingOf(source.index);
        sourceEncoding = sourceEncodingOf(reading);
        previewName = formatted(messages::kPreviewNameWithReading, name.c_str(), reading.label().c_str());
    }
    TagConverter converter(sourceEncoding, settings.id3v1Encoding,
                           settings.id3v2Encoding, id3v1, id3v2, settings.preserveUnicode);
    try {
        convertTags(converter, *combined, settings);
    } catch (const char*) {
        report.cannotConvert(name, converter.failedText(), converter.failedConversion());
        throw;  // the file is closed unsaved
    }

    if (settings.previewOnly) {
        converter.printPreview(previewName);
        return Outcome::Previewed;
    }

    int tagMask = TagLib::MPEG::File::NoTags;
    if (converter.isId3v1Enabled())
        tagMask |= TagLib::MPEG::File::ID3v1;
    if (converter.isId3v2Enabled())
        tagMask |= TagLib::MPEG::File::ID3v2;
    held.emplace();  // through the strip, the save and the commit
    if (!save(file, tagMask, settings.id3v2Version))
        return Outcome::Failed;
    io::CommitRequest request;
    request.id3v2Written = converter.isId3v2Enabled();
    request.id3v2Version = settings.id3v2Version;
    request.options.sync = settings.syncWrites;
    const io::CommitResult commit = staged.commit(request);
    if (!commit.written) {
        report.notWritten(name, commit.error);
        return Outcome::Failed;
    }
    if (!commit.warning.empty()) {
        report.convertedBut(name, commit.warning);
        notes.warned = true;
    }
    return Outcome::Converted;
}

// One operand, with its report lines. Returns false when the file failed.
// Errors that would fail every file (an encoding name) always pass on;
// without -k every error does.
bool handleFile(const Settings& settings, const std::string& name, const FileSource& source,
                FrameFactory& factory, const SaveFile& save, Report& report, sys::FolderCache& folders)
{
    Outcome outcome;
    FileNotes notes;
    try {
        outcome = processFile(settings, name, source, factory, save, report, folders, notes);
    } catch (const std::string& built) {
        report.cannotOpenFile(name, notes.whyNotOpen);
        report.count(Outcome::Failed);
        if (!settings.keepGoing)
            throw;
        report.printLine(formatErrorLine(built));
        return false;
    } catch (const char* constant) {
        report.count(Outcome::Failed);
        if (report.badEncoding(constant, name, settings.sourceEncoding, settings.id3v1Encoding,
                               settings.id3v2Encoding)
            || !settings.keepGoing)
            throw;
        report.printLine(formatErrorLine(constant));
        return false;
    }
    report.count(outcome);
    switch (outcome) {
    case Outcome::Skipped:
        report.printLine(name + messages::kSkipSuffix);
        break;
    case Outcome::Previewed:
        break;
    case Outcome::Converted:
        if (settings.reportProgress)
            report.printLine(name + messages::kDoneSuffix);
        // Converted all the same: the status says that --sync did not hold.
        return !notes.warned;
    case Outcome::Failed:
        report.printLine(name + messages::kFailedSuffix);
        return false;
    }
    return true;
}

}  // namespace

bool stripAndSave(TagLib::MPEG::File& file, int tagMask, int id3v2Version)
{
    file.strip(~tagMask, true);
    return file.save(tagMask, TagLib::File::StripOthers,
                     id3v2Version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4,
                     TagLib::File::Duplicate);
}

int processFiles(const Settings& settings, const std::vector<std::string>& fileNames,
                 const SaveFile& save)
{
    // Text frames, new and parsed alike, take the target's encoding: UTF-8 for
    // "unicode" (UTF-16 in ID3v2.3), and Latin-1 for a code page, so that the
    // code page's bytes (carried one per Latin-1 character) reach the disk
    // unchanged. TagLib still widens a frame whose text is not Latin-1, so
    // nothing is lost.
    const TagLib::String::Type textEncoding =
        id3v2TextEncoding(settings.id3v2Encoding == "unicode", settings.id3v2Version);
    FrameFactory factory(textEncoding);
    // A file without an ID3v2 tag gets one that TagLib 1 makes with its
    // shared factory, whatever the file was opened with.
    TagLib::ID3v2::FrameFactory::instance()->setDefaultTextEncoding(textEncoding);
    Report report(fileNames.size(), isatty(STDERR_FILENO) == 1);

    std::optional<AlbumPass> albums;
    if (guess::CandidateList::isAuto(settings.sourceEncoding))
        albums.emplace(settings, fileNames, factory);

    sys::FolderCache folders;
    int status = 0;
    try {
        for (size_t i = 0; i < fileNames.size(); ++i) {
            report.starting(i);
            const FileSource source{albums ? &*albums : nullptr, i};
            if (!handleFile(settings, fileNames[i], source, factory, save, report, folders))
                status = 1;
        }
    } catch (...) {
        report.finish();
        throw;
    }
    report.finish();
    return status;
}

}  // namespace tagshifter
