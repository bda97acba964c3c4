// What the per-file path asks of a file, whatever its format: its texts, the
// two tags the -1 and -2 targets write, a staged save and its commit.
#pragma once

#include "convert/text_change.h"
#include "io/commit.h"
#include "sys/folder.h"
#include "text/labelled_text.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace TagLib {
class Tag;
}

namespace tagshifter {
struct TagField;
}

namespace tagshifter::format {

// The legacy tag is the -1 target, short and in a code page (ID3v1 in an
// MP3); the main tag the -2 target (ID3v2), written in `mainVersion`.
struct TagsWritten {
    bool legacy = false;
    bool main = false;
    int mainVersion = 4;
};

class TaggedFile {
public:
    virtual ~TaggedFile() = default;
    // Why not open: empty when it opened but holds nothing of its format.
    virtual bool isOpen() const = 0;
    virtual const std::string& whyNotOpen() const = 0;
    // Why it opened but is not read (its tags are too large, or a read failed), or empty.
    virtual const std::string& tooLarge() const = 0;
    // The five fields as read, both tags combined.
    virtual const TagLib::Tag& texts() = 0;
    // A field whose text texts() holds cut short, the main tag being read
    // only to be removed: the whole text, as its Latin-1 bytes. Nothing for
    // the others.
    virtual std::optional<std::string> wholeText(const TagField& field) = 0;
    // Why the texts read cannot be trusted; nothing when they can.
    virtual std::optional<std::string> misreadFrame() = 0;
    // Before the tags are made for writing: each one's content, the main one's pictures.
    virtual bool hasLegacyContent() = 0;
    virtual bool hasMainContent() = 0;
    virtual size_t mainPictures() = 0;
    // The tags to write, made when the file has none.
    virtual TagLib::Tag* legacyTag() = 0;
    virtual TagLib::Tag* mainTag() = 0;
    // Sets the legacy bytes of `texts` to those the legacy tag writes.
    virtual void keepWrittenLegacyBytes(std::vector<TextChange>& texts) = 0;
    // Saves the tags `written`, the others removed, to the staged copy.
    virtual bool save(const TagsWritten& written) = 0;
    // Refuses when the new main tag would lose a frame of the old one or the
    // save would drop audio, and otherwise writes what the save changed.
    virtual io::CommitResult commit(const TagsWritten& written, const io::CommitOptions& options) = 0;
};

// A format the tool converts, made once a run. `walked`: where -r found the file.
class Format {
public:
    virtual ~Format() = default;
    virtual std::unique_ptr<TaggedFile> open(const std::string& name, sys::FolderCache& folders,
                                             int64_t walked) = 0;
    // The texts -s auto judges (see sourceTexts); none when the file does not
    // open, and `whyNotOpen` then says why.
    virtual std::vector<LabelledText> textsToJudge(const std::string& name, sys::FolderCache& folders,
                                                   int64_t walked, bool allFrames, bool preserveUnicode,
                                                   std::string& whyNotOpen) = 0;
};

}  // namespace tagshifter::format
