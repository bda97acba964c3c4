#include "app/file_loop.h"

#include "app/album_pass.h"
#include "app/report.h"
#include "app/run.h"
#include "app/stop_signals.h"
#include "common/format.h"
#include "common/messages.h"
#include "convert/frame_factory.h"
#include "convert/tag_converter.h"
#include "io/staged_file.h"
#include "undo/journal_folder.h"

#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/taglib.h>

#include <sys/stat.h>
#include <unistd.h>

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

// What a file's save goes through besides the disk: the factory and the
// run's journal (none in a preview or with --no-journal).
struct SaveContext {
    FrameFactory& factory;
    undo::JournalWriter* journal = nullptr;
    const SaveFile& save;
};

Outcome processFile(const Settings& settings, const std::string& name, const FileSource& source,
                    const SaveContext& context, Report& report)
{
    if (!isRegularFile(name))
        throw openError(name);
    // Made before the file so that it ends after it: the signals stay held
    // until the commit is over and the file closed.
    std::optional<StopSignalsHeld> held;
    io::StagedFile staged(name, &context.factory);
    if (!staged.isOpen())
        throw openError(name);
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
    if (!context.save(file, tagMask, settings.id3v2Version))
        return Outcome::Failed;
    io::CommitRequest request;
    request.id3v2Written = converter.isId3v2Enabled();
    request.id3v2Version = settings.id3v2Version;
    request.options.sync = settings.syncWrites;
    if (context.journal) {
        request.options.beforeWrite = [&context](io::OriginalFile& original, io::EditStream& edits,
                                                 std::string& why) {
            return context.journal->recordSave(original, edits, why);
        };
    }
    const io::CommitResult commit = staged.commit(request);
    if (!commit.written) {
        report.notWritten(name, commit.error);
        return Outcome::Failed;
    }
    if (context.journal)
        context.journal->recordCommitted(name);
    return Outcome::Converted;
}

// One operand, with its report lines. Returns false when the file failed.
// Errors that would fail every file (an encoding name) always pass on;
// without -k every error does.
bool handleFile(const Settings& settings, const std::string& name, const FileSource& source,
                const SaveContext& context, Report& report)
{
    Outcome outcome;
    try {
        outcome = processFile(settings, name, source, context, report);
    } catch (const std::string& built) {
        report.cannotOpenFile(name);
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
        break;
    case Outcome::Failed:
        report.printLine(name + messages::kFailedSuffix);
        return false;
    }
    return true;
}

}  // namespace

undo::JournalChoice journalChoiceOf(const Settings& settings, bool undo)
{
    undo::JournalChoice choice;
    choice.off = !settings.journal;
    choice.named = settings.journalFile;
    choice.sync = settings.syncWrites;
    choice.undo = undo;
    return choice;
}

void noteJournal(const Settings& settings, const undo::RunJournal* journal, Report& report)
{
    if (journal && !journal->note().empty())
        report.note(journal->note());
    if (settings.previewOnly || settings.undo || settings.id3v1Encoding != "none"
        || settings.id3v2Encoding != "none")
        return;
    if (journal && journal->writer()) {
        const std::string command = settings.journalFile.empty()
                                        ? std::string(messages::kUndoCommand)
                                        : formatted(messages::kUndoCommandNamed, settings.journalFile.c_str());
        report.note(formatted(messages::kNoteRemovesEverything, command.c_str()));
    } else {
        report.note(messages::kNoteRemovesEverythingForGood);
    }
}

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

    // Opened before any file changes: a named journal that cannot be
    // written ends the run here.
    std::optional<undo::RunJournal> journal;
    if (!settings.previewOnly)
        journal.emplace(journalChoiceOf(settings));
    noteJournal(settings, journal ? &*journal : nullptr, report);
    const SaveContext context{factory, journal ? journal->writer() : nullptr, save};

    int status = 0;
    try {
        for (size_t i = 0; i < fileNames.size(); ++i) {
            report.starting(i);
            const FileSource source{albums ? &*albums : nullptr, i};
            if (!handleFile(settings, fileNames[i], source, context, report))
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
