// An MP3 file opened for a staged save: TagLib parses and saves it on a
// stream that records the edits; commit() checks the new tag against the old
// and writes the result to disk.
#pragma once

#include "id3/id3v2.h"
#include "io/commit.h"
#include "io/edit_stream.h"
#include "io/frame_guard.h"
#include "io/original_file.h"
#include "io/shortened_frames.h"

#include <taglib/mpegfile.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace TagLib::ID3v2 {
class FrameFactory;
}

namespace tagshifter::io {

// TagLib holds a text as 4 bytes a character, several times over: a text
// frame past this is refused rather than read.
inline constexpr uint64_t kLargestTextFrame = 16 << 20;
// And a whole ID3v2 tag (pictures and all) past this.
inline constexpr uint64_t kLargestTag = 128 << 20;

struct CommitRequest {
    bool id3v2Written = true;  // false: the ID3v2 tag goes on purpose
    int id3v2Version = 4;      // the version the tag is written in
    CommitOptions options;
};

class StagedFile {
public:
    // Opens `name` without reading the audio properties, which the tool
    // never uses. isOpen() is false when the file cannot be read. `walked`:
    // as OriginalFile takes it. `shortened`: the ID3v2 tag will be removed,
    // so TagLib is handed its large frames cut short (see
    // shortenLargeFrames); such a file is never written with one.
    StagedFile(const std::string& name, TagLib::ID3v2::FrameFactory* factory,
               uint64_t wholeReadLimit = kWholeReadLimit, sys::FolderCache* folders = nullptr,
               int64_t walked = sys::FolderCache::kByName, bool shortened = false);
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool isOpen() const { return file_ && file_->isOpen(); }
    // Why the file was not handed to TagLib although it opened: a tag past
    // the limits below, whose reading would take many times its size in
    // memory; or why TagLib's reading is not kept: a read error. Empty
    // otherwise.
    const std::string& tooLarge() const { return tooLarge_; }
    // Why not, where the file itself refused to open.
    const std::string& whyNotOpen() const { return original_.whyNotOpen(); }
    TagLib::MPEG::File& file() { return *file_; }

    // Why the text TagLib read cannot be trusted: a field's frame that
    // holds text reads as empty. Nothing when it can.
    std::optional<std::string> misreadFrame();

    // The field texts TagLib was handed cut short, and the whole text of
    // one of them (its Latin-1 bytes), read from the file.
    const std::vector<ShortenedText>& shortenedTexts() const;
    std::string wholeText(const ShortenedText& text);

    // Refuses when the new ID3v2 tag would lose a frame of the old one or
    // the save would drop audio, and otherwise writes what the save changed.
    // A tag handed to TagLib cut short must be gone, none of it written.
    CommitResult commit(const CommitRequest& request);

    const OriginalFile& original() const { return original_; }

private:
    id3::ReadBytes readOriginal();
    // The ID3v2 tags at the start of the file as it was, read once.
    const std::vector<RawTag>& tagsBefore();

    OriginalFile original_;
    EditStream stream_;
    std::unique_ptr<TagLib::MPEG::File> file_;
    std::optional<std::vector<RawTag>> tagsBefore_;
    std::optional<ShortenedTag> shortened_;
    std::string tooLarge_;
};

}  // namespace tagshifter::io
