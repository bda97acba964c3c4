#include "app/file_loop.h"

#include "app/album_pass.h"
#include "app/formats.h"
#include "app/journal_notes.h"
#include "app/stop_note.h"
#include "app/stop_signals.h"
#include "common/error.h"
#include "common/format.h"
#include "common/messages.h"
#include "convert/source_texts.h"
#include "convert/tag_converter.h"
#include "sys/folder.h"
#include "text/fields.h"
#include "undo/journal_folder.h"

#include <taglib/tag.h>

#include <algorithm>
#include <array>
#include <new>
#include <optional>

namespace tagshifter {

namespace {

// `reason`: the opening's own; none when the file opened but holds nothing
// of its format.
Error openError(const std::string& name, const std::string& reason)
{
    Error error(Error::Kind::CannotOpenFile,
                std::string(messages::kCannotOpenFilePrefix) + name + messages::kCannotOpenFileSuffix);
    error.reason = reason.empty() ? messages::kNotMpegFile : reason;
    return error;
}

// An encoding name is wrong whatever the file: the error names the option,
// and the name (the one at fault in an auto: list, when it says which).
void nameTheOption(Error& error, const Settings& settings)
{
    std::string name;
    switch (error.kind) {
    case Error::Kind::SourceEncoding: error.where = "-s", name = settings.source->name(); break;
    case Error::Kind::Id3v1Encoding: error.where = "-1", name = settings.id3v1.name(); break;
    case Error::Kind::Id3v2Encoding: error.where = "-2", name = settings.id3v2.name(); break;
    default: return;
    }
    if (error.reason.empty())
        error.reason = name;
}

// The five fields are read before any frame changes, so that under -a none
// is recoded twice; without -a this is the same as reading each in turn.
// Each is let go once converted, so that a large text is not kept; one read
// cut short is converted from the whole text, read from the file only then.
void convertTags(TagConverter& converter, format::TaggedFile& file, const Settings& settings)
{
    const TagLib::Tag& combined = file.texts();
    const TagLib::Tag* main = file.mainTag();
    std::array<TagLib::String, kTagFields.size()> values;
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = fieldText(combined, main, kTagFields[i]);
    if (settings.allFrames)
        converter.convertOtherFrames(settings.id3v2Version);
    for (size_t i = 0; i < values.size(); ++i) {
        if (std::optional<std::string> whole = file.wholeText(kTagFields[i]))
            converter.convertLatin1Field(std::move(*whole), kTagFields[i].set);
        else
            converter.convertField(std::move(values[i]), kTagFields[i].set);
        values[i] = TagLib::String();
    }
    converter.finishId3v1();
}

// Where a file's text comes from: the encoding given, or with -s auto the
// reading its album was judged to need.
struct FileSource {
    AlbumPass* albums = nullptr;  // auto mode only
    size_t index = 0;             // the operand's place on the command line
    int64_t folder = sys::FolderCache::kByName;  // with -r, where the walk found it
    const std::vector<std::string>* id3v1Pages = nullptr;  // -1 auto: see id3v1Pages
};

// -1 auto: the pages an ID3v1 tag may be written in. Text read in a code
// page goes back to that page (transliterated where it cannot hold a
// character): the page named with -s, or the one the guess chose. Text left
// as it is or Unicode already goes to the first page of the -s list, then
// of the built-in list, that holds it whole.
std::vector<std::string> id3v1Pages(const Settings& settings)
{
    std::vector<std::string> pages;
    const SourceEncoding& source = *settings.source;
    if (source.kind == SourceEncoding::Kind::CodePage) {
        return {source.codePage};
    } else if (source.isAuto()) {
        try {
            pages = guess::CandidateList::parse(source).codePages();
        } catch (const Error&) {
            // The guess reports an unusable list on the first file.
        }
    }
    for (const std::string& page : guess::CandidateList::builtIn())
        if (std::find(pages.begin(), pages.end(), page) == pages.end())
            pages.push_back(page);
    return pages;
}

// The converter of one file, set to read it as the -s encoding says, or with
// -s auto as its album was judged to need (then named in the report).
void prepare(std::optional<TagConverter>& converter, format::TaggedFile& file, const Settings& settings,
             const FileSource& source, FileResult& result)
{
    // Looked at before the tags are made for writing: whether each had content.
    const bool hadId3v1 = file.hasLegacyContent();
    const bool hadId3v2 = file.hasMainContent();
    SourceEncoding encoding = *settings.source;
    TagConverter::SourcePlan plan;
    std::optional<std::string> readPage;  // the page the guess read the file in
    if (source.albums) {
        const guess::Reading reading = source.albums->readingOf(source.index);
        encoding = SourceEncoding::ofCodePage(sourceEncodingOf(reading));
        if (reading.kind == guess::Reading::Kind::CodePage)
            readPage = reading.codePage;
        plan = {reading.kind == guess::Reading::Kind::AsItIs, reading.keptAsItIs, reading.readers};
        result.reading = reading.label();
        result.readingMargin = reading.margin;
        const std::string readIn = guess::Reading::of(reading.kind, reading.codePage).label();
        for (const auto& field : reading.fields)
            result.judgedFields.push_back(
                {field.label, field.asItIs ? guess::Reading::asItIs().label() : readIn, field.margin});
    }
    converter.emplace(encoding, settings.id3v1, settings.id3v2, file.legacyTag(), file.mainTag(),
                      settings.preserveUnicode);
    converter->setSourcePlan(plan);
    if (source.id3v1Pages) {
        converter->setId3v1Pages(readPage ? std::vector<std::string>{*readPage} : *source.id3v1Pages);
        converter->setId3v1PagesKept(*source.id3v1Pages);
    }
    result.removesId3v1 = hadId3v1 && !converter->isId3v1Enabled();
    result.removesId3v2 = hadId3v2 && !converter->isId3v2Enabled();
    if (result.removesId3v2)
        result.removedPictures = file.mainPictures();
    if (settings.json)
        converter->recordTextChanges();
    if (!settings.previewOnly) {
        converter->cutId3v1ToRoom();
        converter->packLargeTexts(settings.id3v2Version);
    } else {
        converter->keepLargeTextsAside();
    }
}

// Converts the texts of `file` and notes in `result` what they became and
// which tags are written, as far as it got when a text fails.
void convert(TagConverter& converter, format::TaggedFile& file, const Settings& settings, FileResult& result)
{
    if (converter.isId3v1Enabled())
        result.id3v1Target = settings.id3v1;
    if (converter.isId3v2Enabled())
        result.id3v2Target = settings.id3v2;
    try {
        convertTags(converter, file, settings);
    } catch (const Error&) {
        result.texts = converter.takeTextChanges();
        converter.remakeTextsLetGo(result.texts);
        throw;  // the file is closed unsaved
    }
    result.texts = converter.takeTextChanges();
    if (converter.isId3v1Enabled()) {
        result.id3v1Target = converter.id3v1Target();  // with -1 auto, the page chosen
        file.keepWrittenLegacyBytes(result.texts);
    }
}

// Saves the converted tags into the staged copy and commits it to disk, the
// journal told before and after. `warning`: what did not hold of a save
// that went through (a flush to disk asked for).
void saveAndCommit(format::TaggedFile& file, const TagConverter& converter, const Settings& settings,
                   const SaveFile& save, const undo::RunJournal* journal, FileResult& result, std::string& warning)
{
    const format::TagsWritten written{converter.isId3v1Enabled(), converter.isId3v2Enabled(), settings.id3v2Version};
    if (!save(file, written)) {
        result.error = Error(Error::Kind::SaveFailed, messages::kSaveFailed);
        result.error->file = result.path;
        return;
    }
    io::CommitOptions options = journal ? journal->commitOptions(settings.syncWrites) : io::CommitOptions{};
    options.sync = settings.syncWrites;
    const io::CommitResult commit = file.commit(written, options);
    if (journal)
        journal->afterCommit(commit);
    if (!commit.written)
        return result.fail(commit.refused ? Outcome::Refused : Outcome::Failed, commit.error);
    result.outcome = commit.path == io::CommitPath::Unchanged ? Outcome::Unchanged : Outcome::Converted;
    warning = commit.warning;
}

// One file's way: open, prepare, convert, then preview or save. Fills
// `result` as far as the file gets; an error that is the file's own (it
// does not open, a text does not convert) is thrown. `held`: made before the
// file so that it ends after it, by the caller: the signals stay held until
// the commit is over, the file closed and shown.
void processFile(const Settings& settings, const FileSource& source, Formats& formats,
                 const SaveFile& save, const undo::RunJournal* journal, FileResult& result,
                 sys::FolderCache& folders, std::string& warning, std::optional<StopSignalsHeld>& held)
{
    const std::string& name = result.path;
    if (source.albums)
        source.albums->judgeAhead(source.index);
    std::unique_ptr<format::TaggedFile> opened = formats.of(name).open(name, folders, source.folder);
    format::TaggedFile& file = *opened;
    if (!file.tooLarge().empty())
        return result.fail(Outcome::Failed, file.tooLarge());
    if (!file.isOpen())
        throw openError(name, file.whyNotOpen());
    // A field TagLib took for empty would be written empty, or lost with the
    // main tag when that goes: such a file is left as it is, and one where
    // TagLib read no text at all is not said to hold no tags.
    if (const auto misread = settings.previewOnly ? std::nullopt : file.misreadFrame())
        return result.fail(Outcome::Refused, *misread);
    if (file.texts().isEmpty()) {
        result.outcome = Outcome::Skipped;
        return;
    }

    std::optional<TagConverter> converter;
    prepare(converter, file, settings, source, result);
    convert(*converter, file, settings, result);
    if (settings.previewOnly) {
        result.preview = converter->preview(
            source.albums ? formatted(messages::kPreviewNameWithReading, name.c_str(), result.reading.c_str()) : name);
        result.outcome = Outcome::Previewed;
        return;
    }
    held.emplace();  // through the strip, the save and the commit
    try {
        saveAndCommit(file, *converter, settings, save, journal, result, warning);
    } catch (...) {
        converter->remakeTextsLetGo(result.texts);
        throw;
    }
    opened.reset();
    converter->remakeTextsLetGo(result.texts);
}

// One operand, shown when done. Returns false when the file failed or was
// refused. Errors that would fail every file (an encoding name) always
// pass on; without -k every error does.
bool handleFile(const Settings& settings, const std::string& name, const FileSource& source,
                Formats& formats, const SaveFile& save, const undo::RunJournal* journal, Output& output,
                sys::FolderCache& folders, std::optional<StopSignalsHeld>& held)
{
    FileResult result;
    result.path = name;
    result.id3v2Version = settings.id3v2Version;
    std::string warning;
    try {
        try {
            processFile(settings, source, formats, save, journal, result, folders, warning, held);
        } catch (const std::bad_alloc&) {
            // A huge tag: this file fails, its memory is given back, the run goes on.
            result.fail(Outcome::Failed, messages::kOutOfMemory);
        }
    } catch (Error& error) {
        error.file = name;
        nameTheOption(error, settings);
        // An option at fault is the run's error, not this file's.
        if (error.isEncodingName())
            throw;
        result.outcome = Outcome::Failed;
        result.error = error;
        result.stops = !settings.keepGoing;
        output.file(result);
        if (result.stops)
            throw;
        return false;
    }
    // Converted all the same; the status says that --sync did not hold.
    if (!warning.empty())
        output.note(formatted(messages::kNoteConvertedBut, name.c_str(), warning.c_str()));
    output.file(result);
    return warning.empty() && result.outcome != Outcome::Failed && result.outcome != Outcome::Refused;
}

}  // namespace

bool saveTags(format::TaggedFile& file, const format::TagsWritten& written)
{
    return file.save(written);
}

int processFiles(const Settings& settings, const FileList& files, Output& output,
                 const SaveFile& save)
{
    Formats formats(settings);
    std::optional<AlbumPass> albums;
    if (settings.source->isAuto())
        albums.emplace(settings, files, formats);
    std::vector<std::string> pagesForId3v1;
    if (settings.id3v1.kind == TargetEncoding::Kind::PerFile)
        pagesForId3v1 = id3v1Pages(settings);

    std::optional<undo::RunJournal> journal;
    const undo::RunJournal* run = openJournal(settings, false, journal, output);

    sys::FolderCache folders(files.walked);
    const std::vector<std::string>& fileNames = files.names;
    const std::string undoCommand = undoCommandOf(settings, run);
    output.setRemovalWords(undoCommand, settings.previewOnly);
    // A stop signal from here on says how far the run got.
    stop_signals::catchOnce();
    const StopNote stopNote(output, undoCommand, fileNames.size());

    int status = 0;
    for (size_t i = 0; i < fileNames.size(); ++i) {
        output.starting(i);
        const FileSource source{albums ? &*albums : nullptr, i, files.folderOf(i),
                                pagesForId3v1.empty() ? nullptr : &pagesForId3v1};
        // Emplaced for the save; a signal held through it ends the run once
        // the file is shown and the note counts it.
        std::optional<StopSignalsHeld> held;
        if (!handleFile(settings, fileNames[i], source, formats, save, run, output, folders, held))
            status = 1;
        noteJournalLoss(run, fileNames[i], output);
        stopNote.update();
    }
    return status;
}

}  // namespace tagshifter
